#pragma once
// A code text record with a given text and a fresh history, and the keyboard
// state the editing operations read.
#include <SDL_scancode.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/data/ctext.h"
#include "engine/data/ctext_snapshot.h"
#include "engine/data/undo.h"
#include "engine/data/undo_step.h"
#include "engine/io/file.h"
#include "engine/platform/events.h"

inline tarq_ctext* make_ctext(const char* text, int32_t capacity = 1000) {
  tarq_ctext* c = tarq_create_ctext(nullptr, capacity);
  strcpy((char*)c->text, text);
  c->char_width = 4;
  c->line_height = 6;
  c->tab_width = 16;
  tarq_clear_undo_stack(c->undo);
  tarq_backup_ctext(c);
  return c;
}

inline std::string text_of(const tarq_ctext* c) { return (const char*)c->text; }

// The texts that undo steps back to, newest first; leaves the record at the oldest.
inline std::vector<std::string> undo_all(tarq_ctext* c) {
  std::vector<std::string> seen;
  tarq_backup_ctext(c);
  while (tarq_file* state = tarq_undo(c->undo)) {
    restore_undo_ctext_state(state, c);
    seen.push_back(text_of(c));
  }
  return seen;
}

// Modifier keys held (left ctrl, shift, alt) and keys pressed this frame.
struct key_state {
  explicit key_state(std::vector<int32_t> held, std::vector<int32_t> pressed = {}) {
    reset();
    for (int32_t k : held) tarq_hold_key(k);
    for (int32_t k : pressed) tarq_set_key(k, 3);
  }
  ~key_state() { reset(); }
  static void reset() { tarq_keys_init(); }
};

constexpr int32_t CTRL = SDL_SCANCODE_LCTRL, SHIFT = SDL_SCANCODE_LSHIFT, ALT = SDL_SCANCODE_LALT;
