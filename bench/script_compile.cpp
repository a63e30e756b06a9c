// Compile time of the script compiler on a 64 KiB program (the size of a
// large cart plus its wrapper).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/support/plain_alloc.h"
#include "script/compiler/parse.h"
#include "script/value/lua_mem.h"
#include "script/value/string_buffer.h"
#include "script/vm/state.h"
#include "script/vm/unwind.h"

namespace {

// A cart-like program: functions with locals, loops, tables, calls, string
// building and the console's operators, repeated until it reaches size bytes.
std::string cart_text(size_t size) {
  std::string out = "-- generated\n";
  char buf[1024];
  for (int i = 0; out.size() < size; i++) {
    std::snprintf(buf, sizeof buf,
                  "function update_%d(p, dt)\n"
                  "  local x, y = p.x + p.dx * dt, p.y + p.dy * dt\n"
                  "  if x < 0 or x > 127 then p.dx = -p.dx end\n"
                  "  for j = 1, #p.trail do\n"
                  "    local t = p.trail[j]\n"
                  "    t.age = t.age + 1\n"
                  "    if t.age > 30 then t.dead = true end\n"
                  "  end\n"
                  "  local flags = (@0x5f00 & 0xf0) | (x << 2) ^^ (y >> 1)\n"
                  "  p.name = \"obj\" .. %d .. \":\" .. flags\n"
                  "  p.x, p.y = x, y\n"
                  "  return {x = x, y = y, n = %d, 1, 2, 3}\n"
                  "end\n",
                  i, i, i);
    out += buf;
  }
  return out;
}

struct Job {
  const std::string* text;
  size_t left;
  Mbuffer buff;
  Dyndata dyd;
};

const char* read_text(lua_State*, void* ud, size_t* size) {
  auto* job = static_cast<Job*>(ud);
  *size = job->left;
  job->left = 0;
  return *size == 0 ? nullptr : job->text->data();
}

void compile(lua_State* L, void* ud) {
  auto* job = static_cast<Job*>(ud);
  Zio z;
  luaZ_init(L, &z, read_text, job);
  luaY_parser(L, &z, &job->buff, &job->dyd, "=cart", zgetc(&z));
}

void BM_Compile64KiB(benchmark::State& state) {
  const std::string text = cart_text(64 * 1024);
  lua_State* L = lua_newstate(plain_alloc, nullptr);
  for (auto _ : state) {
    Job job{&text, text.size(), {}, {}};
    luaZ_initbuffer(&job.buff);
    ptrdiff_t top = savestack(L, L->top);  // the collector may move the stack
    if (luaD_rawrunprotected(L, compile, &job) != LUA_OK) state.SkipWithError("compile failed");
    L->top = restorestack(L, top);
    luaZ_freebuffer(L, &job.buff);
    luaM_freearray(L, job.dyd.actvar.arr, static_cast<size_t>(job.dyd.actvar.size));
    luaM_freearray(L, job.dyd.gt.arr, static_cast<size_t>(job.dyd.gt.size));
    luaM_freearray(L, job.dyd.label.arr, static_cast<size_t>(job.dyd.label.size));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
  lua_close(L);
}
BENCHMARK(BM_Compile64KiB)->Unit(benchmark::kMillisecond);

}  // namespace
