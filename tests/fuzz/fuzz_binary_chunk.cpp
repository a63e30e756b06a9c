// libFuzzer target: binary chunks, loaded and run. The input is a function
// record behind a valid header, so that every input reaches the loader and
// its code checks. When the first input byte is odd the record is instead
// the dump of one of a few compiled programs (chosen by the second byte)
// with the rest of the input laid over it from an offset (the third and
// fourth bytes), so that most such inputs are nearly valid code. A chunk
// that loads runs as a coroutine, with a few base functions, under a small
// cycle budget. Any input ends in a syntax error, a memory error past the
// allocation cap, or a run that ends, yields at the budget or raises an
// error; never in a crash or a hang.
//
// The inputs run on a worker thread with a large stack: the nesting of
// native calls that the runtime allows (metamethods calling script calling
// metamethods) needs more native stack in this unoptimized, instrumented
// build than the main thread has.
#include <pthread.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "console/run/script_host.h"
#include "script/api/auxlib.h"
#include "script/compiler/undump.h"
#include "script/lib/lib_base.h"
#include "script/vm/cpu.h"

namespace {

constexpr size_t MEMORY_CAP = 64u << 20;
constexpr int BUDGET = 20000;
size_t in_use = 0;

void* capped_alloc(void*, void* block, size_t old_size, size_t new_size) {
  size_t old_bytes = block != nullptr ? old_size : 0;
  if (new_size == 0) {
    std::free(block);
    in_use -= old_bytes;
    return nullptr;
  }
  if (new_size > old_bytes && in_use + (new_size - old_bytes) > MEMORY_CAP) return nullptr;
  void* p = std::realloc(block, new_size);
  if (p != nullptr) in_use = in_use - old_bytes + new_size;
  return p;
}

const luaL_Reg functions[] = {
    {"add", tinsert},
    {"del", tdel},
    {"count", tcount},
    {"pairs", luaB_pairs},
    {"next", luaB_next},
    {"setmetatable", luaB_setmetatable},
    {"getmetatable", luaB_getmetatable},
    {"rawget", luaB_rawget},
    {"rawset", luaB_rawset},
    {"cocreate", luaB_cocreate},
    {"coresume", luaB_coresume},
    {"yield", luaB_yield},
    {"unpack", unpack},
    {"pack", pack},
    {"select", luaB_select},
    {"tostring", luaB_tostring},
    {"error", luaB_error},
    {"pcall", luaB_pcall},
    {nullptr, nullptr},
};

// Programs whose dumps the nearly valid inputs start from.
const char* const programs[] = {
    "local function f(...) return ... end local t = {f(1, 2, 3)} local u = {n = #t, f(...)} return #t, u.n",
    "local s = 0 for i = 1, 10, 2 do s = s + i end for k, v in pairs({4, 5}) do s = s + k * v end return s",
    "local fs = {} for i = 1, 3 do fs[i] = function() i = i + 1 return i end end "
    "local co = cocreate(function(a) local b = yield(a + 1) return b .. 'x' end) "
    "return coresume(co, 1), coresume(co, 'y'), fs[1]() + fs[2]()",
    "local o = setmetatable({}, {__index = function(t, k) return k .. '!' end, __add = function() return 7 end}) "
    "local x = 0x10 return o.a, o + 1, @x, x & 3 | 4 << 1 >>> 1, x \\ 3, pcall(error, 'e'), select('#', unpack({1, "
    "2}))",
};

struct Writer {
  std::string out;
};

int collect(lua_State*, const void* p, size_t size, void* ud) {
  static_cast<Writer*>(ud)->out.append(static_cast<const char*>(p), size);
  return 0;
}

lua_State* new_state() {
  lua_State* L = lua_newstate(capped_alloc, nullptr);
  if (L == nullptr) return nullptr;
  lua_sethost(L, &tovo_script_host);
  lua_rawgeti(L, LUA_REGISTRYINDEX, LUA_RIDX_GLOBALS);
  luaL_setfuncs(L, functions, 0);
  lua_pop(L, 1);
  return L;
}

// The dumps of the programs, made once.
const std::vector<std::string>& dumps() {
  static std::vector<std::string> all = [] {
    std::vector<std::string> out;
    lua_State* L = new_state();
    for (const char* p : programs) {
      Writer w;
      if (luaL_loadbufferx(L, p, std::char_traits<char>::length(p), "=seed", "t") != LUA_OK) std::abort();
      if (lua_dump(L, collect, &w) != 0) std::abort();
      lua_pop(L, 1);
      out.push_back(w.out);
    }
    lua_close(L);
    return out;
  }();
  return all;
}

std::string chunk_of(const uint8_t* data, size_t size) {
  if (size >= 4 && (data[0] & 1) != 0) {
    const std::vector<std::string>& all = dumps();
    std::string bytes = all[data[1] % all.size()];
    size_t at = LUAC_HEADERSIZE + (static_cast<size_t>(data[2]) | (static_cast<size_t>(data[3]) << 8));
    if (at > bytes.size()) at = bytes.size();
    for (size_t i = 4; i < size; i++, at++) {
      if (at < bytes.size()) bytes[at] = static_cast<char>(data[i]);
      else bytes.push_back(static_cast<char>(data[i]));
    }
    return bytes;
  }
  uint8_t header[LUAC_HEADERSIZE];
  luaU_header(header);
  std::string bytes(reinterpret_cast<const char*>(header), LUAC_HEADERSIZE);
  bytes.append(reinterpret_cast<const char*>(data), size);
  return bytes;
}

constexpr size_t THREAD_STACK = 64u << 20;

void load_and_run(const std::string& bytes) {
  lua_State* L = new_state();
  if (L == nullptr) return;
  int status = luaL_loadbufferx(L, bytes.data(), bytes.size(), "=fuzz", "b");
  if (status != LUA_OK && status != LUA_ERRSYNTAX && status != LUA_ERRMEM) std::abort();
  if (status == LUA_OK) {
    lua_State* co = lua_newthread(L);
    lua_insert(L, -2);
    lua_xmove(L, co, 1);
    lua_reset_cpu_cycles(L, 0);
    lua_cpu_prepare_for_resume(L, 0);
    lua_set_cpu_superyielded_coresume(L, 0);
    lua_set_cpu_cycles_slice_max(L, BUDGET);
    status = lua_resume(co, nullptr, 0);
    lua_set_cpu_cycles_slice_max(L, INT32_MAX);
    if (status != LUA_OK && status != LUA_YIELD && status != LUA_ERRRUN && status != LUA_ERRMEM &&
        status != LUA_ERRERR) {
      std::abort();
    }
  }
  lua_close(L);
}

// The worker: takes one input at a time from the fuzzer's thread.
struct Worker {
  std::mutex lock;
  std::condition_variable changed;
  const std::string* input = nullptr;  // waiting to run, or running
  bool done = false;                   // the input has run
};

void* work(void* ud) {
  auto* w = static_cast<Worker*>(ud);
  std::unique_lock<std::mutex> hold(w->lock);
  for (;;) {
    w->changed.wait(hold, [w] { return w->input != nullptr && !w->done; });
    load_and_run(*w->input);
    w->done = true;
    w->changed.notify_all();
  }
  return nullptr;
}

// Never destroyed: the worker waits on it until the process ends.
Worker* start_worker() {
  auto* w = new Worker;
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, THREAD_STACK);
  pthread_t thread;
  if (pthread_create(&thread, &attr, work, w) != 0) std::abort();
  pthread_attr_destroy(&attr);
  return w;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Worker* const worker = start_worker();
  Worker* w = worker;
  std::string bytes = chunk_of(data, size);
  std::unique_lock<std::mutex> hold(w->lock);
  w->input = &bytes;
  w->done = false;
  w->changed.notify_all();
  w->changed.wait(hold, [w] { return w->done; });
  w->input = nullptr;
  return 0;
}
