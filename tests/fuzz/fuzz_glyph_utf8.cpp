// libFuzzer target: the glyph and UTF-8 conversions. Any UTF-8 input converts
// without growing; any glyph text survives the trip to UTF-8 and back
// (carriage returns excepted), with either capital setting.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/formats/glyph_utf8.h"
#include "engine/tracked_mem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x10000) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);  // ends at its first NUL
  uint8_t* glyphs = convert_escaped_to_glyphs(text.c_str(), nullptr);
  if (strlen((const char*)glyphs) > strlen(text.c_str())) std::abort();
  tarq_free(glyphs);

  std::string expected;
  for (const char* p = text.c_str(); *p; p++)
    if (*p != '\r') expected += *p;
  for (int keep = 0; keep <= 1; keep++) {
    char* utf8 = convert_glyphs_to_escaped_ex((const uint8_t*)expected.c_str(), nullptr, keep);
    if (strlen(utf8) > 7 * expected.size()) std::abort();
    uint8_t* back = convert_escaped_to_glyphs(utf8, nullptr);
    if (expected != (const char*)back) std::abort();
    tarq_free(back);
    tarq_free(utf8);
  }
  return 0;
}
