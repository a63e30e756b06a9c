#pragma once
// A machine as the shell sets it up: a zeroed pstate() with four screens, the
// machine's cart, a working cart and the registers after their reset.
#include <gtest/gtest.h>

#include <cstdint>

#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"
#include "tests/console/machine_setup.h"

class MachineTest : public ::testing::Test {
 protected:
  tovo_cart* cart = nullptr;
  tovo_cart* working = nullptr;

  void SetUp() override { set_up_machine(cart, working); }

  void TearDown() override { tear_down_machine(cart, working); }

  int32_t peek(int32_t a) { return tovo_peek(&pstate(), cart, a); }
  void poke(int32_t a, int32_t v) { tovo_poke(&pstate(), cart, a, v); }

  uint8_t sheet_pixel(int x, int y) { return cart->gfx->pixels[y * 128 + x]; }
  uint8_t screen_pixel(int x, int y) { return pstate().screens[pstate().display]->pixels[y * 128 + x]; }
  uint8_t map_cell(int x, int y) { return cart->map->pixels[y * 128 + x]; }
};
