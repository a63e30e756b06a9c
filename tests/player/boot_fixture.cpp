#include "tests/player/boot_fixture.h"

#include <cstring>

#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/formats/pod_file.h"
#include "player/boot.h"
#include "player/cart/disk.h"
#include "player/shell_state.h"
#include "tests/player/built_datapod.h"

void boot_fixture::SetUp() {
  memset(&app, 0, sizeof app);
  memset(&shell, 0, sizeof shell);
  shell.data_pod = tarq_load_pod(built_datapod().c_str());
  ASSERT_NE(shell.data_pod, nullptr);
  shell.resources = tarq_load_pod_item(shell.data_pod, 1);
  screen = tarq_create_bitmap(128, 128, 8);
  pstate().draw_target = pstate().screens[0] = screen;
  pstate().cart = tarq_create_tovo_cart();
  pitems() = 1;
  pitem(0) = tarq_create_tovo_cart();
}

void boot_fixture::TearDown() {
  tarq_destroy_tovo_cart(pitem(0));
  pitem(0) = nullptr;
  tarq_destroy_tovo_cart(pstate().cart);
  pstate().cart = nullptr;
  pstate().draw_target = pstate().screens[0] = nullptr;
  tarq_destroy_bitmap(screen);
  tarq_destroy_pod(shell.resources);
  tarq_destroy_pod(shell.data_pod);
  clear_embedded_carts();
  memset(&shell, 0, sizeof shell);
  memset(&app, 0, sizeof app);
  run_state().pending_action = 0;
}

void boot_fixture::tick_to(int32_t t) {
  while (pstate().ticks < t) {
    move_boot();
    pstate().ticks++;
  }
}

int32_t boot_fixture::lit_pixels() const {
  int32_t n = 0;
  for (int i = 0; i < 128 * 128; i++) n += screen->pixels[i] != 0;
  return n;
}
