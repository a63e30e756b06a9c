// Program-control bindings: frames and CPU, run, stop, reset, load, pause
// menu items, extcmd and the prompt commands.
#include <string>
#include <utility>

#include "console/bindings/api_bindings.h"
#include "console/bindings/stat.h"
#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/print/console_print.h"
#include "console/run/run_chain.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/spend_cpu.h"
#include "engine/data/ctext.h"
#include "engine/data/gfx.h"
#include "engine/tarq.h"
#include "script/api/auxlib.h"
#include "script/vm/cpu.h"
#include "tests/support/cart_harness.h"
#include "tests/support/fake_shell.h"
#include "tests/support/temp_dir.h"

namespace {

using tovo_test::CartHarness;

class ControlTest : public CartHarness {
 protected:
  // Runs code as a cart's top level for one tick.
  void run(const std::string& code, int ticks = 1) {
    start(code);
    tick(ticks);
  }
};

TEST_F(ControlTest, SpendCpuDoubles) {
  start("");  // the state in use, which spend_cpu charges
  lua_reset_cpu_cycles(L0());
  run_state().spend_counter = 0;
  spend_cpu(0);
  EXPECT_EQ(run_state().spend_counter, 2);
  spend_cpu(-1);
  EXPECT_EQ(run_state().spend_counter, 2);
  spend_cpu(10);
  EXPECT_EQ(run_state().spend_counter, 22);
  EXPECT_EQ(lua_cpu(L0()).cpu_cycles_slice, 22);
  spend_cpu(0x7fffffff);  // held at the largest charge, no overflow
  EXPECT_GT(run_state().spend_counter, 0x3fffffff);
}

TEST_F(ControlTest, RefundRules) {
  struct refund_case {
    int allowed;
    int32_t n;
    int32_t change;
  } cases[] = {{1, -20, 0}, {1, -10, -20}, {1, -17, -34}, {0, -10, 0}, {1, 3, 6}};
  for (const refund_case& c : cases) {
    start("");
    run_state().refund_allowed = c.allowed;
    run_state().refunded = 0;
    lua_cpu(L0()).cpu_cycles_slice_max = 1000;
    lua_cpu(L0()).cpu_cycles_slice = 500;
    lua_pushinteger(L0(), c.n);
    lua_setglobal(L0(), "n");
    lua_getglobal(L0(), "__refund_cpu__");
    lua_getglobal(L0(), "n");
    int32_t before = lua_cpu(L0()).cpu_cycles_slice;
    lua_call(L0(), 1, 0);
    EXPECT_EQ(lua_cpu(L0()).cpu_cycles_slice - before, c.change) << c.n;
  }
}

TEST_F(ControlTest, RefundsInASliceStopAtItsBudget) {
  start("");
  run_state().refund_allowed = 1;
  run_state().refunded = 0;
  lua_cpu(L0()).cpu_cycles_slice_max = 100;
  lua_cpu(L0()).cpu_cycles_slice = 500;
  for (int i = 0; i < 10; i++) {
    lua_getglobal(L0(), "__refund_cpu__");
    lua_pushinteger(L0(), -17);
    lua_call(L0(), 1, 0);
  }
  EXPECT_EQ(lua_cpu(L0()).cpu_cycles_slice, 400);  // 34 + 34 + 32, then nothing
  run_slice();                                     // a new slice may refund again
  EXPECT_EQ(run_state().refunded, 0);
}

TEST_F(ControlTest, RefundsNeverKeepALoopInOneSlice) {
  // Every step of all() gives back more than it costs: without a bound the
  // slice would never end.
  start("t={} for i=1,20 do t[i]=i end while true do for v in all(t) do end n=(n or 0)+1 end");
  run_state().refund_allowed = 1;
  tick(3);
  EXPECT_EQ(run_state().running, 1);
  EXPECT_NE(global("n"), "nil");
}

TEST_F(ControlTest, ProgramTextWithTheRefundWordGetsNoRefunds) {
  start("x='__refund_cpu__' function _update() end");
  EXPECT_EQ(run_state().refund_allowed, 0);
  start("function _update() end");
  EXPECT_EQ(run_state().refund_allowed, 1);
}

TEST_F(ControlTest, FlipEndsTheFrame) {
  run("a=1 flip() b=1");
  EXPECT_EQ(global("a"), "1");
  EXPECT_EQ(global("b"), "nil");
  EXPECT_EQ(run_state().spend_counter, 0);
  tick();
  EXPECT_EQ(global("b"), "1");
  EXPECT_GE(fake_shell.paused_menu_updates, 1);
  // __flip ends the frame as flip does.
  run("a=2 __flip() b=2");
  EXPECT_EQ(global("b"), "nil");
}

TEST_F(ControlTest, FlipStepsAndRecords) {
  start("while true do flip() end");
  run_state().step = 1;
  run_state().record_every_flip = 1;
  tick();
  EXPECT_EQ(run_state().pending_action, TOVO_PENDING_SUSPEND);
  EXPECT_EQ(fake_shell.video_frames, 1);
  EXPECT_EQ(pstate().cursor_x, 0);
  EXPECT_EQ(pstate().cursor_y, 0);
}

TEST_F(ControlTest, TimeAdvancesWithTheButtonsUpdate) {
  run("function _update60() end");
  tick(59);
  run_state().frame_ticks = 60;  // what 60 frames at 60 fps add
  lua_getglobal(L0_cart(), "time");
  lua_call(L0_cart(), 0, 1);
  EXPECT_EQ(lua_tonumber(L0_cart(), -1), 0x10000);
  lua_pop(L0_cart(), 1);

  start("function _update() end");
  tick(4);  // two sixtieths a frame at 30 fps
  EXPECT_EQ(run_state().frame_ticks, 8);
  start("function _update60() end");
  tick(4);
  EXPECT_EQ(run_state().frame_ticks, 4);
}

TEST_F(ControlTest, HoldframeMarksAndMapDisplay) {
  run("holdframe() r0=_map_display(0) r3=_map_display(3) poke(0x5f36,1) r1=_map_display(1) rn=_map_display(-2)");
  EXPECT_EQ(run_state().frame_held, 1);
  EXPECT_EQ(global("r0"), "true");
  EXPECT_EQ(global("r3"), "false");
  EXPECT_EQ(global("r1"), "true");
  EXPECT_EQ(global("rn"), "true");
  EXPECT_EQ(pstate().display, 0);
}

TEST_F(ControlTest, RunStopAndResetCounter) {
  run("run('param') a=1");
  EXPECT_EQ(pstate().reset_counter, 3);
  EXPECT_STREQ(run_state().pending_param, "param");
  EXPECT_EQ(global("a"), "nil");
  pstate().reset_counter = 0;

  run("stop('bye') a=1");
  EXPECT_EQ(run_state().pending_action, TOVO_PENDING_SUSPEND);
  EXPECT_EQ(global("a"), "nil");

  // While the reset sequence runs, run and stop do nothing.
  start("run() stop() a=1");
  pstate().reset_counter = 2;
  run_state().pending_action = 0;
  tick();
  EXPECT_EQ(run_state().pending_action, 0);
  EXPECT_EQ(global("a"), "1");
  pstate().reset_counter = 0;
}

TEST_F(ControlTest, ResetWritesTheRegisterTableKeepingTheCursor) {
  run("poke(0x5f26,9) poke(0x5f27,17) poke(0x5f24,3) poke(0x5f01,7) poke(0x5f25,2) poke(0x5f70,5) reset() while true "
      "do flip() end");
  EXPECT_EQ(pstate().ram[0x5f01], 1);
  EXPECT_EQ(pstate().ram[0x5f00], 0x10);
  EXPECT_EQ(pstate().ram[0x5f25], 6);
  EXPECT_EQ(pstate().ram[0x5f55], 0x60);
  EXPECT_EQ(pstate().ram[0x5f5e], 0xff);
  EXPECT_EQ(pstate().ram[0x5f70], 0);
  EXPECT_EQ(pstate().ram[0x5f26], 9);
  EXPECT_EQ(pstate().ram[0x5f27], 17);
  EXPECT_EQ(pstate().ram[0x5f24], 3);
}

TEST_F(ControlTest, LoadRoad) {
  fake_shell_mount("b.kx", "print('b')");
  std::snprintf(fake_shell.current_filename, sizeof fake_shell.current_filename, "a.kx");
  struct load_case {
    const char* code;
    const char* result;
    int pending;
  } cases[] = {
      {"r=load('#x')", "false", 0},
      {"r=load('@clip')", "false", 0},
      {"r=load('nothere.kx')", "false", 0},
      {"r=load('b.kx')", "true", TOVO_PENDING_RUN},
  };
  for (const load_case& c : cases) {
    run(c.code);
    EXPECT_EQ(run_state().pending_action, c.pending) << c.code;
    // A new file holds the slices for 30 ticks.
    EXPECT_EQ(run_state().load_delay, c.pending ? 30 : 0) << c.code;
    run_state().load_delay = 0;
    tick(2);  // a load's charge ends the slice, then load() ends a frame before it answers
    EXPECT_EQ(global("r"), c.result) << c.code;
    run_state().pending_action = 0;
  }
  EXPECT_STREQ(pitem(0)->code, "print('b')");

  // While the reset sequence runs load gives nothing, not false.
  start("r=load('b.kx')");
  pstate().reset_counter = 1;
  tick();
  EXPECT_EQ(global("r"), "nil");
  pstate().reset_counter = 0;
}

TEST_F(ControlTest, LoadWithABreadcrumbAndGoingBack) {
  fake_shell_mount("b.kx", "x=1");
  fake_shell_mount("a.kx", "x=2");
  std::snprintf(fake_shell.current_filename, sizeof fake_shell.current_filename, "a.kx");
  start("load('b.kx','back to a','to b')");
  std::snprintf(run_state().param, sizeof run_state().param, "from a");
  tick(2);
  ASSERT_EQ(run_chain_count(), 1);
  EXPECT_STREQ(get_run_chain_label(), "back to a");
  EXPECT_STREQ(get_run_chain_filename(), "a.kx");
  EXPECT_STREQ(get_run_chain_param_str(), "from a");
  EXPECT_STREQ(run_state().pending_param, "to b");

  // A one-character breadcrumb pushes nothing.
  run("load('b.kx','x')");
  EXPECT_EQ(run_chain_count(), 1);

  run_state().pending_action = 0;
  run_state().load_delay = 0;
  run("r=stat(100) extcmd('breadcrumb') s=1");
  EXPECT_EQ(global("r"), "back to a");
  EXPECT_EQ(global("s"), "nil");
  EXPECT_EQ(run_chain_count(), 0);
  EXPECT_EQ(run_state().pending_action, TOVO_PENDING_RUN);
  EXPECT_STREQ(run_state().pending_param, "from a");
  EXPECT_EQ(run_state().load_delay, 20);
  EXPECT_STREQ(pitem(0)->code, "x=2");
  run_state().load_delay = 0;
  run_cart();
  EXPECT_STREQ(run_state().param, "from a");  // stat(6) of the earlier cart
}

TEST_F(ControlTest, MenuItems) {
  run("menuitem(1,'first') menuitem(5,'a label of twenty chars') menuitem(6,'six') _menuitem(2,'two') _menuitem(2)");
  EXPECT_STREQ(run_state().menu_label[1], "first");
  EXPECT_EQ(std::string(run_state().menu_label[5]).size(), 16u);
  EXPECT_STREQ(run_state().menu_label[2], "");
  start("a=_get_menu_item_selected(3) b=_get_menu_item_selected(3) c=_get_menu_item_selected(0)");
  run_state().menu_selected[3] = 2;
  tick();
  EXPECT_EQ(global("a"), "2");
  EXPECT_EQ(global("b"), "nil");
  EXPECT_EQ(global("c"), "nil");
}

TEST_F(ControlTest, PauseMenuCallbacksFromFlip) {
  start("menuitem(1,'one',function(b) calls=(calls or 0)+1 got=b end) while true do flip() end");
  tick();
  run_state().menu_selected[1] = 32;
  tick();
  EXPECT_EQ(global("calls"), "1");
  EXPECT_EQ(global("got"), "32");
  EXPECT_EQ(fake_shell.paused_menu_builds, 0);
  // A left or right press keeps the menu open: it is opened again.
  run_state().menu_selected[1] = 1;
  tick(2);
  EXPECT_EQ(global("calls"), "2");
  EXPECT_EQ(fake_shell.paused_menu_builds, 1);
  EXPECT_EQ(fake_shell.paused_menu_keep, 1);
}

TEST_F(ControlTest, Extcmd) {
  struct extcmd_case {
    const char* code;
    const char* message;
  } cases[] = {
      {"extcmd('label')", "saved label"},
      {"extcmd('screen')", "saved screenshot: shot_0.png"},
      {"extcmd('screen',1,1)", "saved image: shot_0.png"},
      {"extcmd('video')", "saved 0 second gif: shot_0.png"},
      {"extcmd('go_back')", "unknown extcmd:go_back"},
      {"extcmd('nonsense')", "unknown extcmd:nonsense"},
      {"extcmd('shutdown')", ""},
      {"extcmd(12)", ""},
  };
  for (const extcmd_case& c : cases) {
    fake_shell.message[0] = 0;
    run(c.code);
    EXPECT_STREQ(fake_shell.message, c.message) << c.code;
  }
  EXPECT_EQ(tarq_quit_requested(), 1);
  tarq_request_quit(0);

  stat_inputs().bbs_play = 1;
  run("extcmd('folder') extcmd('set_title','t')");
  EXPECT_STREQ(fake_shell.message, "unknown extcmd:set_title");
  stat_inputs().bbs_play = 0;

  run("extcmd('set_filename','my.cart.name')");
  EXPECT_STREQ(run_state().set_filename, "my");
  run("extcmd('set_filename')");
  EXPECT_STREQ(run_state().set_filename, "");
  run("extcmd('rec_frames')");
  EXPECT_EQ(run_state().record_every_flip, 1);
  run("extcmd('rec')");
  EXPECT_EQ(run_state().record_every_flip, 0);
  run("extcmd('pause') extcmd('controls')");
  EXPECT_EQ(fake_shell.paused_menu_page, 1);

  fake_shell.video_result = 9;
  run("extcmd('video',2,1)");
  EXPECT_STREQ(fake_shell.message, "no video recorded (0 frames)");
}

TEST_F(ControlTest, ExtcmdResetOncePerHalfSecond) {
  run("extcmd('reset') extcmd('reset')");
  EXPECT_EQ(pstate().reset_counter, 1);
  pstate().reset_counter = 0;
  tovo_test::fake_now += 100;
  run("extcmd('reset')");
  EXPECT_EQ(pstate().reset_counter, 0);
  tovo_test::fake_now += 600;
  run("extcmd('reset')");
  EXPECT_EQ(pstate().reset_counter, 1);
  pstate().reset_counter = 0;
}

TEST_F(ControlTest, PromptCommandsNeedExec) {
  run("save('x') help() splore() cd() shutdown() reboot() info() mkdir('d') ls()");
  EXPECT_EQ(tarq_quit_requested(), 0);
  EXPECT_EQ(run_state().pending_action, 0);
  EXPECT_STREQ(fake_shell.command, "");

  // With exec the commands act (the console lines go to standard output once
  // the program stopped; here the cart still runs, so they are drawn).
  run_state().exec = 1;
  run("mkdir('d')");
  EXPECT_STREQ(fake_shell.command, "mkdir d");
  run("reboot()");
  EXPECT_STREQ(fake_shell.confirm_prompt, "continue with reboot? [y/n]");
  EXPECT_EQ(fake_shell.backups, 1);  // the current file is backed up first
  EXPECT_EQ(run_state().pending_action, TOVO_PENDING_REBOOT);
  run_state().pending_action = 0;
  run("shutdown()");
  EXPECT_STREQ(fake_shell.confirm_prompt, "continue with shutdown? [y/n]");
  EXPECT_EQ(tarq_quit_requested(), 1);
  tarq_request_quit(0);

  // The shell asks first when there are unsaved changes: declined, nothing
  // is backed up and nothing happens.
  fake_shell.confirm_answer = 1;
  run("reboot()");
  EXPECT_STREQ(fake_shell.confirm_prompt, "continue with reboot? [y/n]");
  EXPECT_EQ(run_state().pending_action, 0);
  // A cart that keeps running, so that only a shutdown would end the program.
  tarq_request_quit(0);
  run("function _update() shutdown() exit() end", 3);
  EXPECT_STREQ(fake_shell.confirm_prompt, "continue with shutdown? [y/n]");
  EXPECT_EQ(tarq_quit_requested(), 0);
  EXPECT_EQ(fake_shell.backups, 2);
  fake_shell.confirm_answer = 0;
  run_state().exec = 0;
}

TEST_F(ControlTest, SaveToClipboardWarnsOfABlankLabelAndReportsTheShell) {
  start("");
  tick();
  run_state().exec = 1;
  run_state().running = 0;
  auto save = [&](const char* name) {
    testing::internal::CaptureStdout();
    lua_pushcfunction(L0_cart(), kx_save);
    lua_pushstring(L0_cart(), name);
    lua_call(L0_cart(), 1, 0);
    return testing::internal::GetCapturedStdout();
  };
  const std::string blank = "warning: label is blank\nrun cart and ctrl-7 to capture\n";
  EXPECT_EQ(save("@clip"), blank + "failed to save to clipboard\n");  // no shell
  static int saves;
  saves = 0;
  tovo_shell().save_to_clipboard = []() {
    saves++;
    return 0;
  };
  for (const char* name : {"@clip", "@clip.kx", "@clip.png", "@clip.kx.png"})
    EXPECT_EQ(save(name), blank + "saved to clipboard\n") << name;
  EXPECT_EQ(saves, 4);
  tarq_bitmap* label = tarq_create_bitmap(128, 128, 8);
  label->pixels[500] = 3;
  std::swap(pitem(0)->label, label);
  EXPECT_EQ(save("@clip"), "saved to clipboard\n");
  std::swap(pitem(0)->label, label);
  tarq_destroy_bitmap(label);
  EXPECT_EQ(save("@clipx"), "");  // an ordinary name goes to the shell's save
  EXPECT_STREQ(fake_shell.command, "save @clipx");
  EXPECT_EQ(saves, 5);
  run_state().exec = 0;
  install_fake_shell();
}

// With exec and no program running: each prompt command reaches its shell
// routine with its argument, or prints what the console itself answers.
TEST_F(ControlTest, PromptCommandsReachTheShell) {
  start("");
  tick();
  run_state().exec = 1;
  run_state().running = 0;
  std::snprintf(fake_shell.current_folder, sizeof fake_shell.current_folder, "sub/");
  std::snprintf(fake_shell.current_filename, sizeof fake_shell.current_filename, "/r/sub/game.kx.png");
  const struct {
    const char* code;
    const char* command;  // what reached the shell ("" nothing)
    const char* printed;
  } cases[] = {
      {"cd()", "", "directory: /sub/\n"},
      {"cd('d')", "cd d", ""},
      {"cd('/')", "cd /", ""},
      {"mkdir('d')", "mkdir d", ""},
      {"mkdir()", "", "mkdir [name]\n"},
      {"ls('*.p8')", "ls *.p8", ""},
      {"ls()", "ls ", ""},
      {"folder()", "open sub/", ""},
      {"folder('elsewhere')", "", "useage: folder [location]\nlocations:\nbackups config bbs desktop\n"},
      {"save('game')", "save game", ""},
      {"backup()", "", "backed up game.kx.png\n"},
      {"install_demos()", "install_demos ", ""},
      {"install_games()", "install_games ", "installing games to /games/\n"},
      {"keyconfig()", "keyconfig ", ""},
  };
  for (const auto& c : cases) {
    fake_shell.command[0] = 0;
    testing::internal::CaptureStdout();
    ASSERT_EQ(luaL_loadstring(L0_cart(), c.code), 0) << c.code;
    lua_call(L0_cart(), 0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed) << c.code;
    EXPECT_STREQ(fake_shell.command, c.command) << c.code;
  }
  EXPECT_EQ(fake_shell.backups, 1);
  ASSERT_EQ(luaL_loadstring(L0_cart(), "save() save('')"), 0);
  lua_call(L0_cart(), 0, 0);
  EXPECT_EQ(fake_shell.quick_saves, 2);

  // The known locations open folders of the host.
  for (const char* where : {"backups", "config/", "bbs", "desktop"}) {
    fake_shell.command[0] = 0;
    lua_pushcfunction(L0_cart(), kx_folder);
    lua_pushstring(L0_cart(), where);
    lua_call(L0_cart(), 1, 0);
    EXPECT_EQ(std::string(fake_shell.command).rfind("open /", 0), 0u) << where << ": " << fake_shell.command;
  }
  run_state().exec = 0;
}

// extcmd("folder") opens the cart's output folder; it and "set_title" are
// refused (and so unknown) while a bulletin-board cart runs.
TEST_F(ControlTest, ExtcmdFolderAndTheBulletinBoardCondition) {
  tovo_shell().output_path_for = [](const char* name, char* out) {
    std::snprintf(out, 64, "/out/%s", name);
    return 0;
  };
  run("extcmd('folder')");
  EXPECT_STREQ(fake_shell.command, "open /out/");
  EXPECT_EQ(fake_shell.messages, 0);
  fake_shell.command[0] = 0;
  // A cart from the bulletin-board cache runs under its cart id.
  tovo_shell().bbs_path = [] { return "/app/bbs/"; };
  std::snprintf(fake_shell.current_filename, sizeof fake_shell.current_filename, "/app/bbs/carts/somecart-0.kx.png");
  run("extcmd('folder') extcmd('set_title', 'mine')");
  EXPECT_STREQ(run_state().running_cart_lid, "somecart-0");
  EXPECT_STREQ(fake_shell.command, "");
  EXPECT_STREQ(fake_shell.message, "unknown extcmd:set_title");
  EXPECT_EQ(fake_shell.messages, 2);
  fake_shell.current_filename[0] = 0;
  run("extcmd('folder')");
  EXPECT_STREQ(fake_shell.command, "open /out/");
}

// ls() in a running cart lists the current folder's carts only when the
// shell's listing-to-table word is set (the player sets it with exec).
TEST_F(ControlTest, LsInARunningCartGivesATableOfCartNames) {
  tovo_test::temp_dir dir;
  static std::string root;
  root = dir.path + "/";
  for (const char* name : {"a.kx", "b.kx.png", "c.txt", "d~.kx"}) tovo_test::write_file(dir.file(name), "x");
  tovo_shell().root_path = [] { return root.c_str(); };
  run("none=ls()==nil");
  EXPECT_EQ(global("none"), "true");
  run_state().list_to_table = 1;
  run("t=ls() n=#t s=t[1]..' '..t[2] u=ls('*')");
  EXPECT_EQ(global("n"), "2");
  std::string s = global("s");
  EXPECT_TRUE(s == "a.kx b.kx.png" || s == "b.kx.png a.kx") << s;
  EXPECT_EQ(global("u"), "nil");         // with an argument: nothing
  EXPECT_STREQ(fake_shell.command, "");  // a running cart never starts a listing
  run_state().list_to_table = 0;
}

TEST_F(ControlTest, StubsAndTheirResults) {
  run("a,b=radio() c=login() d,e=scoresub() f=bbsreq() g=set_draw_slice() h=export()");
  EXPECT_EQ(global("a"), "nil");
  EXPECT_EQ(global("b"), "0");
  EXPECT_EQ(global("e"), "0");
  EXPECT_STREQ(fake_shell.message, "can not connect to bbsreq host");
  int messages = fake_shell.messages;
  run("scoresub() bbsreq()");
  EXPECT_EQ(fake_shell.messages, messages);
}

TEST_F(ControlTest, AliasesBehaveAlike) {
  run("a=(t()==time()) b=(dir==ls) c=(exit==shutdown) d=(mapdraw==map) e=(__flip==flip)");
  EXPECT_EQ(global("a"), "true");
  EXPECT_EQ(global("b"), "true");
  EXPECT_EQ(global("c"), "true");
  EXPECT_EQ(global("d"), "true");
  EXPECT_EQ(global("e"), "false");  // flip is the prelude's wrapper around __flip
}

TEST_F(ControlTest, FastBindingsReadArgumentsInPlace) {
  run("a=abs('-12') b=abs({}) c=abs(true) d=abs() x,y=abs(-3)");
  EXPECT_EQ(global("a"), "12");
  EXPECT_EQ(global("b"), "0");
  EXPECT_EQ(global("c"), "0");
  EXPECT_EQ(global("d"), "0");
  EXPECT_EQ(global("x"), "3");
  EXPECT_EQ(global("y"), "nil");
}

std::string hooked_message;

TEST_F(ControlTest, LoadMessagesWhileNoCartRuns) {
  start("");
  tick();
  ASSERT_EQ(run_state().running, 0);
  static int32_t reason = 0;
  tovo_shell().take_load_reason = []() {
    int32_t r = reason;
    reason = 0;
    return r;
  };
  tovo_shell().is_mounted = [](const char*) { return 1; };
  tovo_shell().load_working_cart = [](const char*) { return 1; };
  struct load_message_case {
    const char* name;
    int32_t reason;
    const char* out;
  } cases[] = {
      {"a.kx", 1, "could not load: future version\n"},
      {"a.kx", 2, "could not load: code size > 64k\n"},
      {"a.kx", 0, "could not load\n"},
      {"__x", 0, "could not load\n"},
      {"@dropped", 0, "could not load\n"},
      {"#x", 0, ""},
  };
  run_state().exec = 1;
  for (const load_message_case& c : cases) {
    reason = c.reason;
    testing::internal::CaptureStdout();
    lua_pushcfunction(L0_cart(), kx_load);
    lua_pushstring(L0_cart(), c.name);
    lua_call(L0_cart(), 1, 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out) << c.name;
    EXPECT_FALSE(lua_toboolean(L0_cart(), -1)) << c.name;
    lua_pop(L0_cart(), 1);
  }
  tovo_shell().load_dropped_cart = []() {
    std::snprintf(pitem(0)->code, TOVO_CODE_SIZE, "abc");
    return 0;
  };
  testing::internal::CaptureStdout();
  lua_pushcfunction(L0_cart(), kx_load);
  lua_pushstring(L0_cart(), "@dropped");
  lua_call(L0_cart(), 1, 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "loaded cartridge (3 chars)\n");
  EXPECT_TRUE(lua_toboolean(L0_cart(), -1));
  lua_pop(L0_cart(), 1);
  run_state().exec = 0;
  install_fake_shell();
}

TEST_F(ControlTest, InfoCountsTheCode) {
  start("a=1 b=2");
  tick();
  tovo_shell().compressed_size = [](const char*) { return 20000; };
  run_state().exec = 1;
  const std::string counts = "tokens:         6 /  8192\nchars:          7 / 65535\ncompressed: 20000 / 15616\n";
  const struct {
    int32_t unsaved, external;
    const char* after;
  } cases[] = {
      {0, 0, ""},
      {1, 0, "unsaved changes\n"},
      {1, 1, "unsaved changes\nexternal changes\n"},
  };
  for (const auto& c : cases) {
    fake_shell.unsaved = c.unsaved;
    static int32_t external;
    external = c.external;
    tovo_shell().external_changes = [] { return external; };
    testing::internal::CaptureStdout();
    lua_pushcfunction(L0_cart(), kx_info);
    lua_call(L0_cart(), 0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), counts + c.after);
  }
  run_state().exec = 0;
  install_fake_shell();
}

TEST_F(ControlTest, LoadSaysWhichFileItLoadedAndPutsTheCodeCursorAtTheStart) {
  start("");
  tick();
  ASSERT_EQ(run_state().running, 0);
  fake_shell_mount("sub/level2.kx", "x=1 y=2");
  tarq_ctext* text = tovo_shell().code_tab_record(code_tab_selected());
  ASSERT_NE(text, nullptr);
  text->cursor = 5;
  text->select_start = 2;
  text->select_end = 6;
  run_state().exec = 1;
  testing::internal::CaptureStdout();
  lua_pushcfunction(L0_cart(), kx_load);
  lua_pushstring(L0_cart(), "sub/level2.kx");
  lua_call(L0_cart(), 1, 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "loaded level2.kx (7 chars)\n");
  EXPECT_TRUE(lua_toboolean(L0_cart(), -1));
  lua_pop(L0_cart(), 1);
  EXPECT_EQ(text->cursor, 0);
  EXPECT_EQ(text->select_start, 0);
  EXPECT_EQ(text->select_end, 0);
  run_state().exec = 0;
}

TEST_F(ControlTest, ShellHooksTakeTheCalls) {
  tovo_shell().show_message = [](const char* text, int32_t) { hooked_message = text; };
  tovo_shell().current_filename = []() { return "hooked.kx"; };
  tovo_shell().is_mounted = [](const char*) { return 1; };
  tovo_shell().load_working_cart = [](const char*) { return 1; };
  run("extcmd('nope') r=load('any.kx')", 3);
  EXPECT_EQ(hooked_message, "unknown extcmd:nope");
  EXPECT_STREQ(fake_shell.message, "");
  EXPECT_EQ(global("r"), "false");  // the hook's load failed
  install_fake_shell();
}

TEST_F(ControlTest, RunChainTable) {
  std::snprintf(run_state().param, sizeof run_state().param, "p");
  EXPECT_EQ(get_run_chain_label(), nullptr);
  EXPECT_EQ(get_run_chain_filename(), nullptr);
  for (int i = 0; i < 600; i++) add_run_chain_item("f", "a label longer than thirty-one characters", i == 0);
  EXPECT_EQ(run_chain_count(), 511);
  EXPECT_TRUE(run_chain_has_pending());  // the bottom entry waits, not the top
  EXPECT_EQ(std::string(get_run_chain_label()).size(), 31u);
  EXPECT_STREQ(get_run_chain_param_str(), "p");
  run_chain_cancel_pending();  // the top entry is not pending
  EXPECT_EQ(run_chain_count(), 511);
  pop_run_chain();
  EXPECT_EQ(run_chain_count(), 510);
  reset_run_chain();
  EXPECT_EQ(run_chain_count(), 0);
  EXPECT_FALSE(run_chain_has_pending());
  add_run_chain_item("g", "l", 1);
  EXPECT_TRUE(run_chain_has_pending());
  run_chain_confirm_pending();
  EXPECT_FALSE(run_chain_has_pending());
  run_chain_cancel_pending();
  EXPECT_EQ(run_chain_count(), 1);
  add_run_chain_item("h", "l", 1);
  run_chain_cancel_pending();
  EXPECT_EQ(run_chain_count(), 1);
  EXPECT_FALSE(run_chain_has_pending());
  follow_current_breadcrumb();  // "g" is not mounted: the shell is still asked to run
  EXPECT_EQ(run_chain_count(), 0);
  run_state().pending_action = 0;
  follow_current_breadcrumb();
  EXPECT_EQ(run_state().pending_action, 0);
}

}  // namespace
