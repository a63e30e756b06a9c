// Tables, interning and the collector of the script runtime.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/support/plain_alloc.h"
#include "script/value/gc.h"
#include "script/value/number.h"
#include "script/value/string.h"
#include "script/value/table.h"
#include "script/vm/stack.h"

namespace {

// A state with a table anchored on its stack.
struct Fixture {
  lua_State* L = lua_newstate(plain_alloc, nullptr);
  Table* t = anchor_table();
  ~Fixture() { lua_close(L); }
  Table* anchor_table() {
    Table* h = luaH_new(L);
    sethvalue(L->top, h);
    incr_top(L);
    return h;
  }
};

void BM_ArrayAppendAndRead(benchmark::State& state) {
  for (auto _ : state) {
    Fixture f;
    TValue v;
    for (int i = 1; i <= 1000; i++) {
      setnvalue(&v, i);
      luaH_setint(f.L, f.t, i, &v);
    }
    lua_Number sum = 0;
    for (int i = 1; i <= 1000; i++) sum += nvalue(luaH_getint(f.t, i));
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}

void BM_StringKeyLookup(benchmark::State& state) {
  Fixture f;
  std::vector<TString*> keys;
  for (int i = 0; i < 64; i++) {
    keys.push_back(luaS_new(f.L, ("field" + std::to_string(i)).c_str()));
    TValue k, v;
    setsvalue(&k, keys.back());
    setnvalue(&v, i);
    setobj(luaH_set(f.L, f.t, &k), &v);
  }
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(luaH_getstr(f.t, keys[i & 63]));
    i++;
  }
}

void BM_NumberKeys(benchmark::State& state, lua_Number first, lua_Number stride) {
  Fixture f;
  std::vector<TValue> keys(256);
  for (int i = 0; i < 256; i++) {
    setnvalue(&keys[static_cast<size_t>(i)], tovo_wrap_add(first, static_cast<lua_Number>(i) * stride));
    TValue v;
    setnvalue(&v, i);
    setobj(luaH_set(f.L, f.t, &keys[static_cast<size_t>(i)]), &v);
  }
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(luaH_get(f.t, &keys[i & 255]));
    i++;
  }
}

void BM_Interning(benchmark::State& state) {
  Fixture f;
  std::vector<std::string> texts;
  for (int i = 0; i < 1024; i++) texts.push_back("name_" + std::to_string(i));
  size_t i = 0;
  for (auto _ : state) {
    const std::string& s = texts[i & 1023];
    benchmark::DoNotOptimize(luaS_newlstr(f.L, s.data(), s.size()));
    i++;
  }
  state.SetItemsProcessed(state.iterations());
}

// A heap of about 2 MiB of live tables and strings.
void build_heap(Fixture& f) {
  TValue v;
  for (int i = 1; gettotalbytes(G(f.L)) < 2u * 1024 * 1024; i++) {
    Table* h = luaH_new(f.L);
    for (int j = 1; j <= 8; j++) {
      setnvalue(&v, j);
      luaH_setint(f.L, h, j, &v);
    }
    TValue k;
    setsvalue(&k, luaS_new(f.L, ("key" + std::to_string(i)).c_str()));
    setobj(luaH_set(f.L, h, &k), &v);
    sethvalue(&v, h);
    luaH_setint(f.L, f.t, i, &v);
  }
}

void BM_FullCollection2MiB(benchmark::State& state) {
  Fixture f;
  build_heap(f);
  for (auto _ : state) luaC_fullgc(f.L, 0);
  state.counters["heap_bytes"] = static_cast<double>(gettotalbytes(G(f.L)));
}

void BM_Step200(benchmark::State& state) {
  Fixture f;
  build_heap(f);
  for (auto _ : state) benchmark::DoNotOptimize(lua_gc(f.L, LUA_GCSTEP, 200));
}

BENCHMARK(BM_ArrayAppendAndRead);
BENCHMARK(BM_StringKeyLookup);
BENCHMARK_CAPTURE(BM_NumberKeys, fractional, 0x8000, 0x1234);
BENCHMARK_CAPTURE(BM_NumberKeys, negative, -0x10000, -0x10000);
BENCHMARK_CAPTURE(BM_NumberKeys, integer_hash_part, 0x10000 * 1000, 0x10000 * 7);
BENCHMARK(BM_Interning);
BENCHMARK(BM_FullCollection2MiB);
BENCHMARK(BM_Step200);

}  // namespace
