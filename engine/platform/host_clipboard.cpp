// The host clipboard through SDL. Without SDL's video subsystem (headless
// runs) the text is kept in the process, so copy and paste still pair up.
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "engine/platform/host.h"
#include "engine/tracked_mem.h"

constexpr int32_t TARQ_CLIPBOARD_FILE_MAX = 0x100000;

static char* local_clipboard = nullptr;  // tracked block, null when empty

static bool sdl_clipboard_available() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

static char* tracked_copy(const char* text) {
  size_t len = strlen(text);
  char* copy = static_cast<char*>(tarq_malloc(len + 1));
  if (copy) memcpy(copy, text, len + 1);
  return copy;
}

int tarq_set_clipboard_text(const char* text) {
  if (!text) text = "";
  if (sdl_clipboard_available()) return SDL_SetClipboardText(text);
  tarq_free(local_clipboard);
  local_clipboard = tracked_copy(text);
  return local_clipboard ? 0 : -1;
}

char* tarq_get_clipboard_text() {
  if (!sdl_clipboard_available()) return tracked_copy(local_clipboard ? local_clipboard : "");
  char* text = SDL_GetClipboardText();
  char* copy = tracked_copy(text ? text : "");
  SDL_free(text);
  return copy;
}

int tarq_has_clipboard_text() {
  if (!sdl_clipboard_available()) return local_clipboard && local_clipboard[0];
  return SDL_HasClipboardText() ? 1 : 0;
}

int tarq_load_clipboard_from_file(const char* path) {
  FILE* f = fopen(path, "rb");
  if (!f) return 1;
  char* text = static_cast<char*>(tarq_malloc(TARQ_CLIPBOARD_FILE_MAX + 1));
  if (!text) {
    fclose(f);
    return 1;
  }
  size_t n = fread(text, 1, TARQ_CLIPBOARD_FILE_MAX, f);
  fclose(f);
  text[n] = 0;
  tarq_set_clipboard_text(text);
  tarq_free(text);
  return 0;
}
