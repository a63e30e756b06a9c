#include "tests/player/disk_fixture.h"

#include <cstring>
#include <fstream>
#include <sstream>

#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"
#include "engine/platform/host.h"
#include "engine/tracked_mem.h"
#include "player/cart/cart_text.h"
#include "player/cart/disk.h"
#include "player/cart/disk_state.h"
#include "player/shell_state.h"
#include "tests/player/player_reset.h"

disk_fixture::disk_fixture() { tovo_test::reset_player_globals(); }

void disk_fixture::SetUp() {
  char path[1024];
  tarq_prefix_with_appdata_path("", path);
  appdata = path;
  for (const char* sub : {"cstore/", "cdata/", "backup/", "bbs/"}) tarq_mkdir((appdata + sub).c_str());
  pstate().cart = tarq_create_tovo_cart();
  for (auto& screen : pstate().screens) screen = tarq_create_bitmap(128, 128, 8);
  pstate().draw_target = pstate().screens[0];
}

void disk_fixture::TearDown() {
  shell.mode = 0;
  shell.program_started = 0;
  tarq_destroy_tovo_cart(pitem(0));
  pitem(0) = nullptr;
  pitems() = 0;
  tarq_destroy_tovo_cart(pstate().cart);
  for (auto& screen : pstate().screens) screen = tarq_destroy_bitmap(screen);
  pstate().draw_target = nullptr;
}

void disk_fixture::write_text_cart(const std::string& path, const std::string& code, int version) const {
  std::string text = "tovo cartridge // tovo.invalid\nversion " + std::to_string(version) + "\n__lua__\n" + code + "\n";
  write_file(path, text);
}

std::string disk_fixture::working_code() { return pitem(0) ? std::string(pitem(0)->code) : "<none>"; }

std::string disk_fixture::read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void disk_fixture::write_file(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}
