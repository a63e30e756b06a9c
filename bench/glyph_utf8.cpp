// Converting a 64 KiB cart text from glyph codes to UTF-8 and back.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "engine/formats/glyph_utf8.h"
#include "engine/tracked_mem.h"

namespace {

// Mostly ASCII code with some glyphs, kana and capitals, as cart code has.
std::string cart_text() {
  std::string line = "function _update() x+=1 if btn(\x8b) then y-=1 end -- \x9a\xcc TOVO \x80\x81\n";
  std::string text;
  while (text.size() + line.size() < 65536) text += line;
  return text;
}

void BM_GlyphsToUtf8(benchmark::State& state) {
  std::string text = cart_text();
  std::string out(7 * text.size() + 1, 0);
  for (auto _ : state) {
    convert_glyphs_to_escaped_ex((const uint8_t*)text.c_str(), out.data(), 0);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)text.size());
}
BENCHMARK(BM_GlyphsToUtf8);

void BM_Utf8ToGlyphs(benchmark::State& state) {
  std::string text = cart_text();
  char* utf8 = convert_glyphs_to_escaped_ex((const uint8_t*)text.c_str(), nullptr, 0);
  std::string out(strlen(utf8) + 1, 0);
  for (auto _ : state) {
    convert_escaped_to_glyphs(utf8, (uint8_t*)out.data());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)text.size());
  tarq_free(utf8);
}
BENCHMARK(BM_Utf8ToGlyphs);

}  // namespace
