// Cart formats: writing and reading a full text cart, compressing code,
// decompressing a full code area and mounting 64 carts.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "console/machine/cart.h"
#include "engine/data/gfx.h"
#include "engine/io/file.h"
#include "engine/io/stream_values.h"
#include "player/cart/cart_image.h"
#include "player/cart/cart_text.h"
#include "player/cart/compress.h"
#include "player/cart/disk.h"

namespace {

// Program-like text: keywords, names, numbers and calls.
std::string code_text(size_t size, uint32_t seed) {
  static const char* const words[] = {
      "function ", "end\n", "local ", "if ",  " then\n", "else\n", "for i=1,", " do\n",   "return ",
      "spr(",      "map(",  "print(", "btn(", "x",       "y",      "dx",       "player.", "enemies[",
      "]",         "+=",    "-=",     "==",   " ",       "\n  ",   "(",        ")",       "0",
      "1",         "128",   "0x5f00", "-- ",  "\"",      "sfx(",   "music(",   "add(",    ",",
  };
  std::mt19937 rng(seed);
  std::string s;
  while (s.size() < size) s += words[rng() % (sizeof words / sizeof words[0])];
  s.resize(size);
  return s;
}

// A cart with 65535 characters of code and every section in use.
tovo_cart* full_cart() {
  tovo_cart* cart = tarq_create_tovo_cart();
  std::string code = code_text(TOVO_TEXT_CART_MAX_CODE, 1);
  memcpy(cart->code, code.data(), code.size());
  for (int y = 0; y < 128; y++)
    for (int x = 0; x < 128; x++) cart->gfx->rows[y][x] = static_cast<uint8_t>((x ^ y) & 15);
  for (int y = 0; y < 32; y++)
    for (int x = 0; x < 128; x++) cart->map->rows[y][x] = static_cast<uint8_t>(x + y);
  for (int i = 0; i < TOVO_SPRITES; i++) cart->gff[i] = i;
  for (int i = 0; i < TOVO_SFX_COUNT; i++)
    for (int n = 0; n < TOVO_SFX_NOTES; n++) cart->sfx[i].notes[n] = {(i + n) & 63, n & 7, 5, i & 7, 0};
  for (int p = 0; p < TOVO_PATTERNS; p++) cart->music[p][0] = p;
  cart->label = tarq_create_bitmap(128, 128, 8);
  for (int i = 0; i < 128 * 128; i++) cart->label->pixels[i] = static_cast<uint8_t>(i & 15);
  memset(cart->change_mask, 0x0f, sizeof cart->change_mask);
  return cart;
}

std::string write_text(tovo_cart* cart) {
  tarq_file* f = tarq_fopen_vdisk("bench_cart.kx", "w");
  tarq_save_tovo_cart_to_file(cart, f, 0);
  return std::string(reinterpret_cast<char*>(f->data), static_cast<size_t>(f->size));
}

void BM_WriteFullTextCart(benchmark::State& state) {
  tovo_cart* cart = full_cart();
  for (auto _ : state) {
    tarq_file* f = tarq_fopen_vdisk("bench_cart.kx", "w");
    tarq_save_tovo_cart_to_file(cart, f, 0);
    benchmark::DoNotOptimize(f->size);
  }
  tarq_destroy_tovo_cart(cart);
}
BENCHMARK(BM_WriteFullTextCart);

void BM_ReadFullTextCart(benchmark::State& state) {
  tovo_cart* cart = full_cart();
  std::string text = write_text(cart);
  tarq_destroy_tovo_cart(cart);
  for (auto _ : state) {
    tarq_file* f = tarq_fopen_memory(text.data(), static_cast<int32_t>(text.size()));
    tovo_cart* read = tarq_load_tovo_cart_from_file(f, 0);
    tarq_fclose(f);
    benchmark::DoNotOptimize(read);
    tarq_destroy_tovo_cart(read);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ReadFullTextCart);

void compress_bench(benchmark::State& state, const std::string& text) {
  std::vector<uint8_t> out(text.size());
  int32_t n = 0;
  for (auto _ : state) {
    n = compress_mini(text.data(), out.data(), static_cast<int32_t>(text.size()));
    benchmark::DoNotOptimize(n);
  }
  state.counters["block"] = n;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_CompressCode(benchmark::State& state) { compress_bench(state, code_text(TOVO_PXA_MAX_TEXT, 2)); }
BENCHMARK(BM_CompressCode);

void BM_CompressLowEntropy(benchmark::State& state) {
  std::string text;
  while (text.size() < TOVO_PXA_MAX_TEXT) text += "abababababcabab";
  text.resize(TOVO_PXA_MAX_TEXT);
  compress_bench(state, text);
}
BENCHMARK(BM_CompressLowEntropy);

// A code area filled by one block as near 15616 bytes as the text allows.
void BM_DecompressFullBlock(benchmark::State& state) {
  std::vector<uint8_t> block(TOVO_PXA_MAX_TEXT);
  size_t length = TOVO_PXA_MAX_TEXT;
  std::string text;
  int32_t n = 0;
  do {
    text = code_text(length, 3) + std::string();
    for (size_t i = 0; i < text.size(); i += 7) text[i] = static_cast<char>('a' + (i * 2654435761u >> 7) % 26);
    n = compress_mini(text.data(), block.data(), static_cast<int32_t>(text.size()));
    length -= 512;
  } while (n > TOVO_CODE_AREA_SIZE);
  std::vector<char> out(TOVO_CODE_SIZE);
  for (auto _ : state) benchmark::DoNotOptimize(decompress_mini(block.data(), n, out.data(), TOVO_CODE_SIZE));
  state.counters["block"] = n;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_DecompressFullBlock);

void BM_Mount64Carts(benchmark::State& state) {
  tovo_cart* cart = full_cart();
  char names[TOVO_MAX_MOUNTED_CARTS][32];
  for (int i = 0; i < TOVO_MAX_MOUNTED_CARTS; i++) snprintf(names[i], sizeof names[i], "bench_mount_%d.kx", i);
  for (auto _ : state) {
    clear_embedded_carts();
    for (auto& name : names) mount_embedded_cart(cart, name);
  }
  tarq_destroy_tovo_cart(cart);
}
BENCHMARK(BM_Mount64Carts)->Unit(benchmark::kMillisecond);

}  // namespace
