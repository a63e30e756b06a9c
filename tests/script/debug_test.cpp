// The debug interface: frames, function information and names, locals,
// hooks that are kept but never called, chunk ids and tracebacks.
#include "script/value/number.h"
#include "tests/script/console_double.h"
#include "tests/script/vm_fixture.h"

namespace {

class DebugTest : public VmTest {};

struct FrameInfo {
  std::string what, source, short_src, name, namewhat;
  int currentline = 0, linedefined = 0, nups = 0, nparams = 0, isvararg = 0, istailcall = 0;
};

std::vector<FrameInfo> frames_seen;

FrameInfo info_of(lua_State* L, lua_Debug* ar) {
  lua_getinfo(L, "Slnut", ar);
  FrameInfo f;
  f.what = ar->what;
  f.source = ar->source;
  f.short_src = ar->short_src;
  f.name = ar->name != nullptr ? ar->name : "";
  f.namewhat = ar->namewhat;
  f.currentline = ar->currentline;
  f.linedefined = ar->linedefined;
  f.nups = ar->nups;
  f.nparams = ar->nparams;
  f.isvararg = ar->isvararg;
  f.istailcall = ar->istailcall;
  return f;
}

// Records the frames above it (level 1: its caller, and so on).
int record_frames(lua_State* L) {
  frames_seen.clear();
  lua_Debug ar;
  for (int level = 0; lua_getstack(L, level, &ar); level++) frames_seen.push_back(info_of(L, &ar));
  return 0;
}

TEST_F(DebugTest, FramesOfScriptAndNativeFunctions) {
  set_global_function("probe", record_frames);
  ASSERT_EQ(run("local function f(a, b, ...)\n  probe()\nend\nf(1, 2)"), LUA_OK) << top_text(L);
  ASSERT_EQ(frames_seen.size(), 3u);
  const FrameInfo& native = frames_seen[0];
  EXPECT_EQ(native.what, "C");
  EXPECT_EQ(native.source, "=[C]");
  EXPECT_EQ(native.short_src, "[C]");
  EXPECT_EQ(native.currentline, -1);
  EXPECT_EQ(native.namewhat, "global");
  EXPECT_EQ(native.name, "probe");
  const FrameInfo& f = frames_seen[1];
  EXPECT_EQ(f.what, "Lua");
  EXPECT_EQ(f.short_src, "test");
  EXPECT_EQ(f.currentline, 2);
  EXPECT_EQ(f.linedefined, 1);
  EXPECT_EQ(f.namewhat, "local");
  EXPECT_EQ(f.name, "f");
  EXPECT_EQ(f.nparams, 2);
  EXPECT_EQ(f.isvararg, 1);
  const FrameInfo& main = frames_seen[2];
  EXPECT_EQ(main.what, "main");
  EXPECT_EQ(main.currentline, 4);
  EXPECT_EQ(main.namewhat, "");
}

TEST_F(DebugTest, FastNativeFunctionsAreNeverFrames) {
  lua_pushcclosure(L, record_frames, TOVO_FAST_CFUNCTION);
  lua_setglobal(L, "probe");
  ASSERT_EQ(run("probe()"), LUA_OK) << top_text(L);
  ASSERT_EQ(frames_seen.size(), 1u);
  EXPECT_EQ(frames_seen[0].what, "main");

  lua_Debug ar;
  lua_pushcclosure(L, record_frames, TOVO_FAST_CFUNCTION);
  lua_getinfo(L, ">Su", &ar);
  EXPECT_STREQ(ar.what, "C");
  EXPECT_STREQ(ar.source, "=[C]");
  EXPECT_EQ(ar.nups, 0);
}

TEST_F(DebugTest, FunctionsCalledByInstructionsAreNamedByTheirEvent) {
  set_global_function("probe", record_frames);
  lua_newtable(L);
  lua_newtable(L);
  for (const char* ev : {"__rotl", "__peek2", "__index", "__newindex", "__concat", "__le", "__len"}) {
    load("probe()");
    lua_setfield(L, -2, ev);
  }
  lua_setmetatable(L, -2);
  lua_setglobal(L, "t");
  const std::pair<const char*, const char*> cases[] = {
      {"local x = t <<> 1", "__rotl"}, {"local x = %t", "__peek2"},        {"local x = t.k", "__index"},
      {"t.k = 1", "__newindex"},       {"local x = t .. 'a'", "__concat"}, {"local x = t <= t", "__le"},
      {"local x = #t", "__len"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(run(c.first), LUA_OK) << c.first << ": " << top_text(L);
    ASSERT_GE(frames_seen.size(), 2u) << c.first;
    EXPECT_EQ(frames_seen[1].namewhat, "metamethod") << c.first;
    EXPECT_EQ(frames_seen[1].name, c.second) << c.first;
  }
  const std::pair<const char*, std::pair<const char*, const char*>> calls[] = {
      {"local o = {m = probe} o:m()", {"method", "m"}},
      {"local o = {m = probe} o.m()", {"field", "m"}},
      {"local p = probe p()", {"local", "p"}},
      {"for x in probe do end", {"for iterator", "for iterator"}},
      {"local function up() probe() end up()", {"global", "probe"}},
  };
  for (const auto& c : calls) {
    ASSERT_EQ(run(c.first), LUA_OK) << c.first << ": " << top_text(L);
    EXPECT_EQ(frames_seen[0].namewhat, c.second.first) << c.first;
    EXPECT_EQ(frames_seen[0].name, c.second.second) << c.first;
  }
}

TEST_F(DebugTest, TailCallsAreMarked) {
  set_global_function("probe", record_frames);
  ASSERT_EQ(run("local function g() probe() end local function f() return g() end f()"), LUA_OK);
  ASSERT_EQ(frames_seen.size(), 3u);
  EXPECT_EQ(frames_seen[1].istailcall, 1);
  EXPECT_EQ(frames_seen[1].namewhat, "");  // a tail-called frame has no caller to name it
}

int read_locals(lua_State* L) {
  lua_Debug ar;
  lua_getstack(L, 0, &ar);  // its own frame: the arguments are temporaries
  std::string names = lua_getlocal(L, &ar, 1);
  names += "=" + std::to_string(lua_tointeger(L, -1)) + " ";
  lua_pop(L, 1);
  lua_getstack(L, 1, &ar);
  for (int n = 1;; n++) {
    const char* name = lua_getlocal(L, &ar, n);
    if (name == nullptr) break;
    names += name;
    names += "=";
    names += lua_type(L, -1) == LUA_TNUMBER ? std::to_string(lua_tointeger(L, -1)) : "?";
    names += " ";
    lua_pop(L, 1);
  }
  for (int n = -1;; n--) {
    const char* name = lua_getlocal(L, &ar, n);
    if (name == nullptr) break;
    names += name;
    names += "=" + std::to_string(lua_tointeger(L, -1)) + " ";
    lua_pop(L, 1);
  }
  lua_pushinteger(L, 99);
  lua_setlocal(L, &ar, 1);  // a = 99
  lua_pushstring(L, names.c_str());
  return 1;
}

TEST_F(DebugTest, LocalsTemporariesAndVarargs) {
  set_global_function("locals", read_locals);
  ASSERT_EQ(
      run("local function f(a, ...) local b = 5 local s = locals(3) return s, a end return f(1, 7, 8)", LUA_MULTRET),
      LUA_OK)
      << top_text(L);
  EXPECT_EQ(text_of(1), "(*temporary)=3 a=1 b=5 (*vararg)=7 (*vararg)=8 ");
  EXPECT_EQ(lua_tonumber(L, 2), I(99));
  // Parameter names of a function that is not running.
  load("local function f(x, y) end return f");
  ASSERT_EQ(lua_pcall(L, 0, 1, 0), LUA_OK);
  EXPECT_STREQ(lua_getlocal(L, nullptr, 2), "y");
}

int hook_calls = 0;
void count_hook(lua_State*, lua_Debug*) { hook_calls++; }

TEST_F(DebugTest, HooksAreKeptButNeverCalled) {
  hook_calls = 0;
  lua_sethook(L, count_hook, LUA_MASKCOUNT | LUA_MASKLINE | LUA_MASKCALL, 1);
  EXPECT_EQ(lua_gethook(L), count_hook);
  EXPECT_EQ(lua_gethookmask(L), LUA_MASKCOUNT | LUA_MASKLINE | LUA_MASKCALL);
  EXPECT_EQ(lua_gethookcount(L), 1);
  EXPECT_EQ(number_of("local function f(x) return x end local s = 0 for i = 1, 100 do s = s + f(i) end return s"),
            I(5050));
  EXPECT_EQ(hook_calls, 0);
  lua_sethook(L, nullptr, 0, 0);
  EXPECT_EQ(lua_gethook(L), nullptr);
  EXPECT_EQ(lua_gethookmask(L), 0);
}

TEST_F(DebugTest, ValidLinesAndTheFunctionItself) {
  load("local a = 1\n\nlocal b = 2\nreturn a + b");
  lua_Debug ar;
  lua_pushvalue(L, -1);
  lua_getinfo(L, ">fL", &ar);
  ASSERT_EQ(lua_type(L, -1), LUA_TTABLE);
  for (int line : {1, 3, 4}) {
    const TValue* v = luaH_getint(hvalue(L->top - 1), line);
    EXPECT_TRUE(ttisboolean(v)) << line;
  }
  EXPECT_TRUE(ttisnil(luaH_getint(hvalue(L->top - 1), 2)));
  EXPECT_TRUE(luaO_rawequalObj(L->top - 2, L->top - 3));  // 'f' pushed the function
}

TEST_F(DebugTest, ChunkIds) {
  const std::pair<std::string, std::string> cases[] = {
      {"=test", "test"},
      {"@short.lua", "short.lua"},
      {"@" + std::string(70, 'd') + "/file.lua", "..." + std::string(47, 'd') + "/file.lua"},
      {"local x = 1", "[string \"local x = 1\"]"},
      {"line one\nline two", "[string \"line one...\"]"},
      {std::string(80, 's'), "[string \"" + std::string(45, 's') + "...\"]"},
  };
  for (const auto& c : cases) {
    char out[LUA_IDSIZE];
    luaO_chunkid(out, c.first.c_str(), LUA_IDSIZE);
    EXPECT_EQ(std::string(out), c.second) << c.first;
  }
}

TEST_F(DebugTest, TracebackAfterARuntimeError) {
  lua_settop(L, 0);
  lua_pushcfunction(L, db_traceback);
  load("local function inner()\n  error_call()\nend\nlocal function outer()\n  inner()\n  return 1\nend\nouter()");
  ASSERT_EQ(lua_pcall(L, 0, 0, 1), LUA_ERRRUN);
  EXPECT_EQ(text_of(-1),
            "attempt to call global 'error_call' (a nil value)\n"
            "stack traceback:\n"
            "\ttest:2: in function 'inner'\n"
            "\ttest:5: in function 'outer'\n"
            "\ttest:8: in main chunk");
}

TEST_F(DebugTest, TracebackArguments) {
  lua_settop(L, 0);
  lua_pushcfunction(L, db_traceback);
  lua_newtable(L);
  lua_call(L, 1, 1);
  EXPECT_EQ(lua_type(L, -1), LUA_TTABLE);  // not a message: returned unchanged

  lua_settop(L, 0);
  lua_pushcfunction(L, db_traceback);
  lua_pushinteger(L, 12);
  lua_call(L, 1, 1);
  EXPECT_EQ(text_of(-1), "12\nstack traceback:");

  // A suspended thread's traceback starts at its level 0.
  lua_State* co = lua_newthread(L);
  load("local n = 0\nwhile true do\n  n = n + 1\nend", co);
  lua_set_cpu_cycles_slice_max(L, 50);
  ASSERT_EQ(lua_resume(co, L, 0), LUA_YIELD);
  lua_pushcfunction(L, db_traceback);
  lua_pushvalue(L, -2);
  lua_pushstring(L, "suspended");
  lua_call(L, 2, 1);
  std::string text = text_of(-1);
  EXPECT_EQ(text.substr(0, text.find(':', 30)), "suspended\nstack traceback:\n\ttest");
  EXPECT_NE(text.find("in main chunk"), std::string::npos) << text;
}

TEST_F(DebugTest, LongTracebacksLeaveOutTheMiddle) {
  lua_settop(L, 0);
  lua_pushcfunction(L, db_traceback);
  load("local function f(n) if n == 0 then return nil + 1 end return 1 + f(n - 1) end f(40)");
  ASSERT_EQ(lua_pcall(L, 0, 0, 1), LUA_ERRRUN);
  std::string text = text_of(-1);
  EXPECT_NE(text.find("\n\t...\n"), std::string::npos) << text;
  int entries = 0;
  for (size_t at = text.find("\n\t"); at != std::string::npos; at = text.find("\n\t", at + 1)) entries++;
  EXPECT_EQ(entries, 10 + 1 + 11) << text;  // the first 10 frames, "...", the last 11
}

TEST_F(DebugTest, ProgramLinesAsTabLines) {
  tovo_test::set_tab_lines({3, 4});  // 2 prelude lines, tab 0 (3 newlines), 2 lines, tab 1 (4 newlines)
  EXPECT_EQ(get_tovo_line(L, 3), I(1));
  EXPECT_EQ(get_tovo_tab(L, 3), I(0));
  EXPECT_EQ(get_tovo_line(L, 9), I(2));
  EXPECT_EQ(get_tovo_tab(L, 9), I(1));
  tovo_test::clear_tabs();
}

}  // namespace
