// Key state tables with press, hold and auto-repeat, and the queue of typed codes.
#include <SDL.h>

#include <cctype>
#include <cstring>

#include "engine/platform/events.h"
#include "engine/tarq.h"

namespace {

// The key module's record: only this file changes it.
struct tarq_key_tables {
  uint8_t tarqkey[TARQ_NUM_KEYS];        // this frame: 0 up, 1 down, 3 pressed or repeated
  uint8_t last_tarqkey[TARQ_NUM_KEYS];   // the frame before
  uint8_t block_tarqkey[TARQ_NUM_KEYS];  // 1: reads up until released
  int32_t tarqkey_buffer[TARQ_KEY_QUEUE];
  int32_t tarqkey_buffer_pos;
  int32_t next_press_t;  // engine time of the next auto-repeat
};

tarq_key_tables tables;

}  // namespace

static bool in_table(int32_t k) { return k >= 0 && k < TARQ_NUM_KEYS; }

int tarq_keys_init() {
  memset(tables.tarqkey, 0, sizeof(tables.tarqkey));
  memset(tables.last_tarqkey, 0, sizeof(tables.last_tarqkey));
  memset(tables.block_tarqkey, 0, sizeof(tables.block_tarqkey));
  tables.tarqkey_buffer_pos = 0;
  return 0;
}

void tarq_keys_reset() { tables = tarq_key_tables{}; }

int tarq_keys_exit() { return 0; }

// Time differences wrap like the engine clock.
static bool reached(int32_t now, int32_t t) {
  return static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(t)) >= 0;
}

// The loops over the tables run over every key without an early exit, so
// that they go many keys at a time.
void tarq_update_key_tables(const uint8_t* sdl_keys, int32_t count, uint32_t sdl_mods, int32_t now) {
  const int32_t n = count < TARQ_NUM_KEYS ? count : TARQ_NUM_KEYS;
  uint8_t newly_down = 0;
  for (int32_t k = 0; k < n; k++) {
    const uint8_t down = sdl_keys[k] != 0 ? 1 : 0;
    newly_down |= down & (tables.last_tarqkey[k] == 0 ? 1 : 0);
    tables.last_tarqkey[k] = tables.tarqkey[k];
    tables.tarqkey[k] = down;
  }
  for (int32_t k = n < 0 ? 0 : n; k < TARQ_NUM_KEYS; k++) {
    tables.last_tarqkey[k] = tables.tarqkey[k];
    tables.tarqkey[k] = 0;
  }
  if (newly_down) tables.next_press_t = static_cast<int32_t>(static_cast<uint32_t>(now) + TARQ_KEY_REPEAT_DELAY_MS);
  const struct {
    uint32_t mod;
    int key;
  } mods[] = {{KMOD_LCTRL, SDL_SCANCODE_LCTRL}, {KMOD_RCTRL, SDL_SCANCODE_RCTRL}, {KMOD_LALT, SDL_SCANCODE_LALT},
              {KMOD_RALT, SDL_SCANCODE_RALT},   {KMOD_LGUI, TARQ_KEY_LEFT_GUI},   {KMOD_RGUI, TARQ_KEY_RIGHT_GUI}};
  for (const auto& m : mods)
    if (sdl_mods & m.mod) tables.tarqkey[m.key] = 1;
  if (reached(now, tables.next_press_t)) {
    for (int32_t k = 0; k < TARQ_NUM_KEYS; k++) {
      const uint8_t t = tables.tarqkey[k];
      tables.tarqkey[k] = t == 1 && tables.block_tarqkey[k] == 0 ? 3 : t;
    }
    tables.next_press_t = static_cast<int32_t>(static_cast<uint32_t>(now) + TARQ_KEY_REPEAT_MS);
  }
  tarq_unblock_released_keys();
}

void tarq_unblock_released_keys() {
  for (int32_t k = 0; k < TARQ_NUM_KEYS; k++) {
    const uint8_t b = tables.block_tarqkey[k];
    tables.block_tarqkey[k] = tables.tarqkey[k] == 0 ? 0 : b;
  }
}

// The two halves of a key's state, as bytes without branches, so that a
// loop over every key goes many keys at a time: down_of is 1 when key k is
// down and not blocked, fresh_of when it was up before or is repeating.
static uint8_t down_of(int32_t k) { return (tables.tarqkey[k] != 0 ? 1 : 0) & (tables.block_tarqkey[k] == 0 ? 1 : 0); }
static uint8_t fresh_of(int32_t k) { return tables.tarqkey[k] == 3 || tables.last_tarqkey[k] == 0 ? 1 : 0; }

static int32_t state_of(int32_t k) {
  if (!down_of(k)) return 0;
  return fresh_of(k) ? 3 : 1;
}

static int32_t either(int32_t a, int32_t b) {
  const int32_t s = state_of(a);
  return s ? s : state_of(b);
}

int32_t tarq_get_key_state(int32_t k) {
  switch (k) {
    case TARQ_KEY_SHIFT: return either(SDL_SCANCODE_LSHIFT, SDL_SCANCODE_RSHIFT);
    case TARQ_KEY_CTRL: {
      const int32_t s = either(SDL_SCANCODE_LCTRL, SDL_SCANCODE_RCTRL);
      return s ? s : either(TARQ_KEY_LEFT_GUI, TARQ_KEY_RIGHT_GUI);
    }
    case TARQ_KEY_ALT: return either(SDL_SCANCODE_LALT, SDL_SCANCODE_RALT);
    case TARQ_KEY_GUI: return either(TARQ_KEY_LEFT_GUI, TARQ_KEY_RIGHT_GUI);
    case TARQ_KEY_EXTRA: return either(TARQ_KEY_EXTRA_FIRST, TARQ_KEY_EXTRA_SECOND);
    default: break;
  }
  if (k < 0 || k >= TARQ_NUM_KEYS) return 0;
  return state_of(k);
}

int32_t tarq_key_down(int32_t k) { return in_table(k) && tables.tarqkey[k] != 0; }

void tarq_block_key(int32_t k) {
  if (in_table(k)) tables.block_tarqkey[k] = 1;
}

int32_t tarq_key_blocked(int32_t k) { return in_table(k) && tables.block_tarqkey[k] != 0; }

void tarq_set_key(int32_t k, int32_t state) {
  if (in_table(k)) tables.tarqkey[k] = static_cast<uint8_t>(state);
}

void tarq_hold_key(int32_t k) {
  if (in_table(k)) tables.tarqkey[k] = tables.last_tarqkey[k] = 1;
}

void tarq_mark_key_down(int32_t k) {
  if (in_table(k) && tables.tarqkey[k] == 0) tables.tarqkey[k] = 1;
}

void tarq_release_keys() { memset(tables.tarqkey, 0, sizeof(tables.tarqkey)); }

int32_t tarq_get_any_key_down() {
  for (int32_t k = 0; k < TARQ_NUM_KEYS; k++)
    if (tables.tarqkey[k] && k != SDL_SCANCODE_CAPSLOCK) return k;
  return 0;
}

bool tarq_any_key_entry() {
  uint64_t any = 0;
  for (int32_t k = 0; k < TARQ_NUM_KEYS; k += 8) {
    uint64_t word;
    memcpy(&word, tables.tarqkey + k, sizeof word);
    any |= word;
  }
  return any != 0;
}

void tarq_finish_key_pump(int32_t codes_this_pump) {
  if (codes_this_pump) return;
  // Whether any key reads as pressed (state 3), all keys at once.
  uint8_t pressed = 0;
  for (int32_t k = 0; k < TARQ_NUM_KEYS; k++) pressed |= down_of(k) & fresh_of(k);
  if (pressed) tarq_push_key_code(-1);
}

int32_t tarq_push_key_code(int32_t code) {
  if (tables.tarqkey_buffer_pos >= TARQ_KEY_QUEUE) return 0;
  tables.tarqkey_buffer[tables.tarqkey_buffer_pos++] = code;
  return 1;
}

int32_t tarq_keypressed() { return tables.tarqkey_buffer_pos > 0; }

void tarq_clear_key_queue() { tables.tarqkey_buffer_pos = 0; }

int32_t tarq_readkey() {
  // A quit ends the wait with no code: the main loop is to end.
  while (tables.tarqkey_buffer_pos == 0) {
    if (tarq_quit_requested()) return 0;
    tarq_handle_messages();
  }
  const int32_t code = tables.tarqkey_buffer[0];
  tables.tarqkey_buffer_pos--;
  memmove(tables.tarqkey_buffer, tables.tarqkey_buffer + 1,
          sizeof(int32_t) * static_cast<size_t>(tables.tarqkey_buffer_pos));
  return code;
}

const char* tarq_get_key_name(int32_t scancode) {
  static char name[64];
  const char* n =
      scancode >= 0 && scancode < SDL_NUM_SCANCODES ? SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode)) : "";
  if (!n || !*n) return "?";
  snprintf(name, sizeof(name), "%s", n);
  for (char* p = name; *p; p++) *p = static_cast<char>(toupper(static_cast<unsigned char>(*p)));
  return name;
}

int32_t tarq_us_layout_char(int32_t sc, int32_t shift) {
  if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return 'a' + (sc - SDL_SCANCODE_A);
  if (sc == SDL_SCANCODE_SPACE) return ' ';
  static const char digits[] = "1234567890", shifted_digits[] = "!@#$%^&*()";
  if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_0) return (shift ? shifted_digits : digits)[sc - SDL_SCANCODE_1];
  static const struct {
    int sc;
    char plain, shifted;
  } keys[] = {
      {SDL_SCANCODE_APOSTROPHE, '\'', '"'},  {SDL_SCANCODE_COMMA, ',', '<'},       {SDL_SCANCODE_MINUS, '-', '_'},
      {SDL_SCANCODE_PERIOD, '.', '>'},       {SDL_SCANCODE_SLASH, '/', '?'},       {SDL_SCANCODE_SEMICOLON, ';', ':'},
      {SDL_SCANCODE_EQUALS, '=', '+'},       {SDL_SCANCODE_LEFTBRACKET, '[', '{'}, {SDL_SCANCODE_BACKSLASH, '\\', '|'},
      {SDL_SCANCODE_RIGHTBRACKET, ']', '}'}, {SDL_SCANCODE_GRAVE, '`', '~'}};
  for (const auto& k : keys)
    if (k.sc == sc) return shift ? k.shifted : k.plain;
  return 0;
}
