// The host clipboard's text written to a file, and the preemptive clipboard,
// which this platform does not have.
#include "engine/platform/clipboard_save.h"

#include <cstdio>
#include <cstring>

#include "engine/platform/host.h"
#include "engine/tracked_mem.h"

int tarq_save_clipboard_to_file(const char* path) {
  if (!tarq_has_clipboard_text()) return 1;
  char* text = tarq_get_clipboard_text();
  if (!text) return 1;
  FILE* f = fopen(path, "wb");
  if (!f) {
    tarq_free(text);
    return 1;
  }
  fwrite(text, 1, strlen(text), f);
  fclose(f);
  tarq_free(text);
  return 0;
}

// The preemptive clipboard, which this platform does not have.
int tarq_set_clipboard_text_preemptive() { return 0; }
