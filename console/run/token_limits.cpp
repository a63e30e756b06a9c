// Size limits of a cart's code.
#include "console/run/token_limits.h"

#include <cstdio>
#include <cstring>

#include "console/run/token.h"

void tovo_text_accept(tovo_text_result* result) {
  result->status = 0;
  result->message[0] = 0;
  result->detail[0] = 0;
}

void tovo_text_refuse(tovo_text_result* result, const char* message) {
  result->status = 1;
  std::snprintf(result->message, sizeof result->message, "%s", message);
  result->detail[0] = 0;
}

int tovo_check_code_limits(const char* code, tovo_text_result* result) {
  tovo_text_accept(result);
  result->tokens = 0;
  const size_t chars = std::strlen(code);
  if (chars > static_cast<size_t>(TOVO_CHAR_LIMIT)) {
    tovo_text_refuse(result, "program exceeds char limit");
    // A length past the int range is shown as the largest int.
    const int shown = chars > 0x7fffffff ? 0x7fffffff : static_cast<int>(chars);
    std::snprintf(result->detail, sizeof result->detail, "%d / %d chars\n", shown, TOVO_CHAR_LIMIT);
    return result->status;
  }
  result->tokens = count_tokens(code);
  if (result->tokens > TOVO_TOKEN_LIMIT) {
    tovo_text_refuse(result, "program too large");
    std::snprintf(result->detail, sizeof result->detail, "%d / %d tokens\n", result->tokens, TOVO_TOKEN_LIMIT);
  }
  return result->status;
}
