// Making and destroying cart objects, and the blank-label test.
#include "console/machine/cart.h"

#include <cstring>

#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"
#include "engine/data/undo.h"
#include "engine/tracked_mem.h"
#include "sound/play/play.h"

namespace {

void set_defaults(tovo_cart* cart) {
  cart->gfx_view = cart->gfx;
  for (int i = 0; i < TOVO_SFX_COUNT; i++) cart->sfx[i].speed = tovo_default_sfx_speed(i);
  for (auto& pattern : cart->music)
    for (int c = 0; c < TOVO_PATTERN_CHANNELS; c++) pattern[c] = TOVO_MUSIC_CHANNEL_OFF + c;
  std::memset(cart->change_mask, 0xff, sizeof cart->change_mask);
}

}  // namespace

tovo_cart* tarq_create_tovo_cart() {
  tovo_cart* cart = static_cast<tovo_cart*>(tarq_calloc(sizeof(tovo_cart)));
  if (!cart) return nullptr;
  cart->code = static_cast<char*>(tarq_calloc(TOVO_CODE_SIZE));
  cart->gfx = tarq_create_bitmap(128, 128, 8);
  cart->map = tarq_create_bitmap(128, 64, 8);
  bool complete = cart->code && cart->gfx && cart->map;
  for (auto& stack : cart->undo) {
    stack = tarq_create_undo_stack();
    complete = complete && stack;
  }
  if (!complete) {
    tarq_destroy_tovo_cart(cart);
    return nullptr;
  }
  set_defaults(cart);
  return cart;
}

void tarq_destroy_tovo_cart(tovo_cart* cart) {
  if (!cart) return;
  // The mixer may be reading the sound records: stop it first.
  tarq_stop_tovo_song(cart);
  for (tovo_sfx& sfx : cart->sfx) tarq_stop_sfx(&sfx);
  if (pstate().cart == cart) pstate().cart = nullptr;
  // A draw target on this cart's sheet would dangle: draw to the screen.
  if (pstate().draw_target && pstate().draw_target == cart->gfx)
    pstate().draw_target = pstate().screens[pstate().display];
  tarq_destroy_bitmap(cart->gfx);
  tarq_destroy_bitmap(cart->map);
  tarq_free(cart->code);
  tarq_destroy_bitmap(cart->label);
  for (tarq_undo_stack* stack : cart->undo) tarq_destroy_undo_stack(stack);
  tarq_free(cart);
}

bool label_is_blank(const tarq_bitmap* label) {
  if (!label) return true;
  int32_t n = label->width * label->height * (label->depth / 8);
  for (int32_t i = 1; i < n; i++)
    if (label->pixels[i] != label->pixels[0]) return false;
  return true;
}
