#pragma once
// A machine as the shell sets it up: a zeroed pstate with four screens, the
// machine's cart, a working cart and the registers after their reset.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "console/cart.h"
#include "console/mem.h"
#include "console/pstate.h"
#include "console/registers.h"
#include "engine/gfx.h"

class MachineTest : public ::testing::Test {
 protected:
  tovo_cart* cart = nullptr;
  tovo_cart* working = nullptr;

  void SetUp() override {
    std::memset(&pstate, 0, sizeof pstate);
    for (tarq_bitmap*& screen : pstate.screens) screen = tarq_create_bitmap(128, 128, 8);
    cart = pstate.cart = tarq_create_tovo_cart();
    working = pitem[0] = tarq_create_tovo_cart();
    pitems = 1;
    tovo_reset_registers(&pstate, cart);
  }

  void TearDown() override {
    tarq_destroy_tovo_cart(cart);
    tarq_destroy_tovo_cart(working);
    pitem[0] = nullptr;
    for (tarq_bitmap* screen : pstate.screens) tarq_destroy_bitmap(screen);
    std::memset(&pstate, 0, sizeof pstate);
  }

  int32_t peek(int32_t a) { return tovo_peek(&pstate, cart, a); }
  void poke(int32_t a, int32_t v) { tovo_poke(&pstate, cart, a, v); }

  uint8_t sheet_pixel(int x, int y) { return cart->gfx->pixels[y * 128 + x]; }
  uint8_t screen_pixel(int x, int y) { return pstate.screens[pstate.display]->pixels[y * 128 + x]; }
  uint8_t map_cell(int x, int y) { return cart->map->pixels[y * 128 + x]; }
};
