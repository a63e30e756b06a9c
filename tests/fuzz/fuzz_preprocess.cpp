// libFuzzer target: include check and preprocessor on any bytes. Aborts when
// a newline or a string byte is lost, or the output leaves its buffer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "console/run/include.h"
#include "console/run/pre.h"
#include "console/run/token.h"

namespace {

bool strings_survive(const char* in, const std::string& out) {
  tovo_token_state ts;
  const char* p = get_first_token(&ts, in);
  size_t at = 0;
  while (ts.token != TOVO_TOK_END_OF_TEXT) {
    if (ts.token == TOVO_TOK_STRING) {
      at = out.find(std::string(ts.ident, static_cast<size_t>(ts.ident_len)), at);
      if (at == std::string::npos) return false;
      at += static_cast<size_t>(ts.ident_len);
    }
    p = get_next_token(&ts, p);
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte picks the output size: small sizes test the refusals; the
  // others leave room for what most inputs grow to, and stay small for speed.
  const int32_t out_size = data[0] < 32 ? 16 + data[0] * 8 : static_cast<int32_t>(8 * size + 64);
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  const char* in = text.c_str();
  std::vector<char> out(static_cast<size_t>(out_size));

  tovo_text_result result;
  if (tovo_flatten_includes(in, out.data(), out_size, &result) == 0 && std::strcmp(out.data(), in) != 0) std::abort();

  if (tovo_preprocess(in, out.data(), out_size, &result) != 0) {
    if (out[0] != 0) std::abort();
    return 0;
  }
  const std::string written(out.data());
  const auto newlines = [](const char* s) { return std::count(s, s + std::strlen(s), '\n'); };
  if (newlines(written.c_str()) != newlines(in) || !strings_survive(in, written)) std::abort();
  return 0;
}
