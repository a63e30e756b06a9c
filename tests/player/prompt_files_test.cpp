// The shell's side of the prompt commands: cd inside the root path, mkdir,
// save under a name with its overwrite question, the directory listing,
// info's compressed size and load("@dropped") of a dropped cart.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "console/bindings/api_bindings.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/code_tabs.h"
#include "console/run/run_state.h"
#include "console/run/shell_port.h"
#include "engine/platform/host.h"
#include "engine/tarq.h"
#include "player/cart/compress.h"
#include "player/cart/disk.h"
#include "player/cart/disk_state.h"
#include "player/cart/drop.h"
#include "player/cart/prompt_files.h"
#include "player/shell_state.h"
#include "script/api/api.h"
#include "script/api/auxlib.h"
#include "tests/player/console_capture.h"
#include "tests/player/disk_fixture.h"

namespace {

struct prompt_files : disk_fixture {
  console_capture console;
  std::string root;
  void SetUp() override {
    disk_fixture::SetUp();
    root = dir.path + "/";
    std::snprintf(shell.root_path, sizeof shell.root_path, "%s", root.c_str());
    shell.current_folder[0] = 0;
    prepare_loaded_cart(tarq_create_tovo_cart(), nullptr);
  }
  void TearDown() override {
    shell.root_path[0] = shell.current_folder[0] = 0;
    disk_fixture::TearDown();
  }
};

TEST_F(prompt_files, CdStaysInsideTheRootAndNeedsAFolder) {
  tovo_make_folder("levels");
  tovo_make_folder("levels/deep");
  ASSERT_TRUE(tarq_directory_exists((root + "levels/deep").c_str()));
  const struct {
    const char* name;
    const char* printed;
    const char* folder;  // the current folder after it
  } steps[] = {
      {"levels", "/levels/\n", "levels/"},
      {"deep", "/levels/deep/\n", "levels/deep/"},
      {"../..", "/\n", ""},
      {"..", "cd: failed\n", ""},
      {"nowhere", "directory not found\n", ""},
      {"/levels/deep", "/levels/deep/\n", "levels/deep/"},
      {"/", "/\n", ""},
  };
  for (const auto& s : steps) {
    tovo_change_folder(s.name);
    EXPECT_EQ(console.lines(), s.printed) << s.name;
    EXPECT_STREQ(shell.current_folder, s.folder) << s.name;
  }
}

TEST_F(prompt_files, SaveAsksBeforeOverwritingAndListingShowsCartsAfterFolders) {
  tovo_make_folder("sub");
  tovo_change_folder("sub");
  console.lines();
  tovo_save_named_cart("game");
  EXPECT_EQ(console.lines(), "saved game.kx\n");
  EXPECT_STREQ(disk_state.cart_filename, (root + "sub/game.kx").c_str());
  tovo_save_named_cart("game.kx");
  EXPECT_EQ(console.lines(), "file already exists\noverwrite? [y/n]\n");
  tovo_save_named_cart("game.kx");
  EXPECT_EQ(console.lines(), "saved game.kx\n");
  do_quick_save(1);  // save() without a name: the current file
  EXPECT_EQ(console.lines(), "saved game.kx\n");
  tovo_change_folder("/");
  console.lines();
  do_quick_save(1);
  EXPECT_EQ(console.lines(), "saved sub/game.kx\n");
  tovo_change_folder("sub");
  console.lines();

  write_file(root + "sub/notes.txt", "x");
  tovo_make_folder("art");
  tovo_list_files(nullptr);
  EXPECT_EQ(console.lines(), "directory: /sub/\nart\ngame.kx\n");
  tovo_list_files("*");
  EXPECT_EQ(console.lines().substr(0, 21), "directory: /sub/\nart\n");
}

// Every file below a folder, as relative paths (folders end in "/").
std::set<std::string> tree(const std::string& top) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::recursive_directory_iterator(top)) {
    std::string name = e.path().string().substr(top.size());
    names.insert(e.is_directory() ? name + "/" : name);
  }
  return names;
}

// Nothing a cart names for save or mkdir lands outside the root: the folders
// above the root hold the same files before and after every attempt, and
// the refused ones report it.
TEST_F(prompt_files, SaveAndMkdirNeverLeaveTheRoot) {
  // The root three folders down, so that every ".." would land in the test's
  // own folder.
  std::string top = dir.path + "/";
  root = top + "home/user/carts/";
  std::filesystem::create_directories(root + "d");
  std::snprintf(shell.root_path, sizeof shell.root_path, "%s", root.c_str());
  auto outside = [&] {
    std::set<std::string> names;
    for (const auto& name : tree(top))
      if (name.rfind("home/user/carts/", 0) != 0) names.insert(name);
    return names;
  };
  const std::set<std::string> before = outside();
  const char* escapes[] = {"../x",        "../../x", "d/../../x",    "/../x",
                           ".kx/../../x", "..\\x",   "../../../.kx", ".kx/../../../.bashrc"};
  for (const char* name : escapes) {
    EXPECT_EQ(tovo_make_folder(name), 1) << name;
    console.lines();
    EXPECT_EQ(tovo_save_named_cart(name), 1) << name;
    EXPECT_EQ(console.lines(), "could not save\n") << name;
    EXPECT_EQ(outside(), before) << name;
  }
  tovo_change_folder("d");
  for (const char* name : {"../x", "../../x"}) {
    EXPECT_EQ(tovo_make_folder(name), 1) << name;
    EXPECT_EQ(tovo_save_named_cart(name), 1) << name;
  }
  EXPECT_EQ(outside(), before);
  EXPECT_FALSE(std::filesystem::exists(root + "x.kx"));

  // Names inside the root still work, from the current folder or from "/".
  const struct {
    const char* name;
    const char* made;
  } inside[] = {{"game", "d/game.kx"},
                {"/top", "top.kx"},
                {"/d/inner.png", "d/inner.kx.png"},
                {"sub.v2", "d/sub.v2.kx"},
                {"./dot", "d/./dot.kx"}};
  for (const auto& row : inside) {
    console.lines();
    EXPECT_EQ(tovo_save_named_cart(row.name), 0) << row.name << console.lines();
    EXPECT_TRUE(std::filesystem::exists(root + row.made)) << row.name;
  }
  EXPECT_EQ(tovo_make_folder("/made"), 0);
  EXPECT_EQ(tovo_make_folder("here"), 0);
  EXPECT_TRUE(tarq_directory_exists((root + "made").c_str()));
  EXPECT_TRUE(tarq_directory_exists((root + "d/here").c_str()));
  EXPECT_EQ(outside(), before);
}

TEST_F(prompt_files, InfoPrintsTheCompressedSizeOfTheCode) {
  const char* code = "for i=1,10 do print(i) end -- counting counting counting";
  std::snprintf(pitem(0)->code, TOVO_CODE_SIZE, "%s", code);
  split_code_to_tabs(pitem(0));
  lua_State* L = luaL_newstate();
  ASSERT_NE(L, nullptr);
  lua_pushcfunction(L, kx_info);
  lua_call(L, 0, 0);
  lua_close(L);
  char expected[64];
  std::snprintf(expected, sizeof expected, "compressed: %5d / 15616\n", tovo_shell().compressed_size(code));
  std::string lines = console.lines();
  EXPECT_NE(lines.find(expected), std::string::npos) << lines;
  EXPECT_GT(tovo_shell().compressed_size(code), 0);
}

TEST_F(prompt_files, ADroppedCartIsKeptForLoad) {
  EXPECT_EQ(load_dropped_cart(), 1);  // none kept
  write_text_cart(file("dropped_game.kx"), "print('dropped')");
  std::snprintf(tarq_state.dropped_file, sizeof tarq_state.dropped_file, "%s", file("dropped_game.kx").c_str());
  handle_dropped_file();
  EXPECT_STREQ(message_bar.text, "can not load");
  EXPECT_EQ(load_dropped_cart(), 0);
  EXPECT_EQ(working_code(), "print('dropped')");
  EXPECT_STREQ(disk_state.cart_filename, "");
  EXPECT_EQ(load_dropped_cart(), 1);  // taken once
}

}  // namespace
