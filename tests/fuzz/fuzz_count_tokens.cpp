// libFuzzer target: the console tokenizer and the limit check on any bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "console/run/token.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);  // ends at its first NUL
  const int tokens = count_tokens(text.c_str());
  if (tokens < 0 || static_cast<size_t>(tokens) > size) std::abort();
  tovo_text_result result;
  tovo_check_code_limits(text.c_str(), &result);
  return 0;
}
