// Program text passes: counting tokens and preprocessing, on a cart of the
// largest size and on the worst case, 8192 compound assignments on one line.
// Bytes per second are reported as MB/s; the time per run is in ms.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "console/run/pre.h"
#include "console/run/token.h"

namespace {

const char cart_piece[] = R"(-- enemies
enemies = {}
function spawn(x, y, kind)
  local e = {x = x, y = y, dx = 0, dy = 0, kind = kind, hp = 3, t = 0}
  add(enemies, e)
  return e
end
function update_enemies()
  for e in all(enemies) do
    e.t += 1
    e.dx *= 0.9 e.dy += 0.2
    if (e.t % 30 == 0) e.dx = rnd(2) - 1
    e.x += e.dx e.y += e.dy
    if (e.y > 120) e.y = 120 e.dy = 0
    if (e.hp <= 0 and e.kind != 2) del(enemies, e)
  end
end
--[[ drawing
  keeps its own palette ]]
function draw_enemies()
  for e in all(enemies) do
    spr(16 + e.kind * 2 + flr(e.t / 8) % 2, e.x, e.y)
    if (e.hp < 3) ?"hit", e.x, e.y - 8, 8
  end
  print("enemies: " .. #enemies, 2, 2, 7) // count
end
)";

// A cart of exactly 65536 characters made of the piece above.
std::string full_cart() {
  std::string cart;
  while (cart.size() < 65536) cart += cart_piece;
  cart.resize(65536);
  return cart;
}

std::string worst_line() {
  std::string line;
  for (int i = 0; i < 8192; i++) line += "a+=1 ";
  return line;
}

void run_count(benchmark::State& state, const std::string& text) {
  for (auto _ : state) benchmark::DoNotOptimize(count_tokens(text.c_str()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void run_preprocess(benchmark::State& state, const std::string& text) {
  std::vector<char> out(TOVO_PRE_OUT_SIZE);
  tovo_text_result result;
  for (auto _ : state) {
    tovo_preprocess(text.c_str(), out.data(), TOVO_PRE_OUT_SIZE, &result);
    benchmark::DoNotOptimize(out.data());
  }
  if (result.status != 0) state.SkipWithError(result.message);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_count_tokens_cart(benchmark::State& state) { run_count(state, full_cart()); }
void BM_count_tokens_worst(benchmark::State& state) { run_count(state, worst_line()); }
void BM_preprocess_cart(benchmark::State& state) { run_preprocess(state, full_cart()); }
void BM_preprocess_worst(benchmark::State& state) { run_preprocess(state, worst_line()); }

}  // namespace

BENCHMARK(BM_count_tokens_cart)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_count_tokens_worst)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_preprocess_cart)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_preprocess_worst)->Unit(benchmark::kMillisecond);
