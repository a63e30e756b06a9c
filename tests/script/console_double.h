#pragma once
// The stand-in console that the runtime's tests use as the host of their
// states in place of the real one: a flat 64 KiB memory for the peek
// operators, code tabs of given line counts for the line mapping, the last
// assert message, and the charges made through spend_cpu.
#include <cstdint>
#include <initializer_list>
#include <string>

#include "script/console_services.h"

namespace tovo_test {

// The services below as a host record (lua_sethost).
extern const lua_Host console_host;

int32_t peek_1(int32_t address);
int32_t peek_2(int32_t address);
int32_t peek_4(int32_t address);
// Charges max(n, 1) * 2 cycles to the slice counter of L's state; nothing
// for n < 0.
void spend_cpu(lua_State* L, int n);
int find_tab_line(int line, int* tab);
// Keeps the text in assert_message (empty for null).
void keep_assert_message(const char* text);

// The bytes the peek operators read; tests write them directly.
extern uint8_t console_memory[0x10000];

// Code tabs holding the given numbers of newlines (the rest empty), and all
// tabs empty; find_tab_line maps with them as the console does.
void set_tab_lines(std::initializer_list<int> newlines);
inline void clear_tabs() { set_tab_lines({}); }

// The text of the last assert message kept (empty for null).
extern std::string assert_message;

}  // namespace tovo_test
