#pragma once
// The host clipboard as the player never uses it: its text written to a file
// (0 written, 1 when there is no text or the file cannot be made), and
// marking the text as preemptive, which this platform does not have (0;
// only the clipboard codes' writers ask for it).

int tarq_save_clipboard_to_file(const char* path);
int tarq_set_clipboard_text_preemptive();
