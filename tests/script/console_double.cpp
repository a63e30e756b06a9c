#include "tests/script/console_double.h"

#include <cstring>

#include "script/vm/cpu.h"

namespace tovo_test {

uint8_t console_memory[0x10000];
std::string assert_message;

namespace {

constexpr int tab_count = 16;
int tab_newlines[tab_count];

uint32_t byte_at(uint32_t a) { return console_memory[a & 0xffff]; }

uint32_t address_of(int32_t fixed) { return static_cast<uint32_t>(fixed) >> 16; }

}  // namespace

void set_tab_lines(std::initializer_list<int> newlines) {
  std::memset(tab_newlines, 0, sizeof tab_newlines);
  int i = 0;
  for (int n : newlines) {
    if (i == tab_count) break;
    tab_newlines[i++] = n;
  }
}

int32_t peek_1(int32_t address) { return static_cast<int32_t>(byte_at(address_of(address)) << 16); }

int32_t peek_2(int32_t address) {
  uint32_t a = address_of(address);
  return static_cast<int32_t>(byte_at(a) << 16 | byte_at(a + 1) << 24);
}

int32_t peek_4(int32_t address) {
  uint32_t a = address_of(address);
  return static_cast<int32_t>(byte_at(a) | byte_at(a + 1) << 8 | byte_at(a + 2) << 16 | byte_at(a + 3) << 24);
}

void spend_cpu(lua_State* L, int n) {
  if (n < 0) return;
  long long c = (n < 1 ? 1LL : static_cast<long long>(n)) * 2;
  lua_add_cpu_cycles(L, c > 0x3fffffff ? 0x3fffffff : static_cast<int>(c));
}

// Two prelude lines, then each tab as its newlines plus 2; past the last
// tab, line 0 in tab 0.
int find_tab_line(int line, int* tab) {
  line -= 2;
  for (int i = 0; i < tab_count; i++) {
    int n = tab_newlines[i];
    if (n + 2 >= line) {
      if (tab) *tab = i;
      return line;
    }
    line -= n + 2;
  }
  if (tab) *tab = 0;
  return 0;
}

void keep_assert_message(const char* text) {
  assert_message.clear();
  if (text != nullptr) assert_message = text;
}

const lua_Host console_host = {peek_1, peek_2, peek_4, spend_cpu, find_tab_line, keep_assert_message};

}  // namespace tovo_test
