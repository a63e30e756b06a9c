#pragma once
// Marking the clipboard text as preemptive: nothing on this platform (0).
// Only the clipboard codes' writers ask for it.

int tarq_set_clipboard_text_preemptive();
