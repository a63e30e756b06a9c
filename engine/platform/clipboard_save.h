#pragma once
// The host clipboard's text written to a file: 0 written, 1 when there is no
// text or the file cannot be made. The player never saves the clipboard.

int tarq_save_clipboard_to_file(const char* path);
