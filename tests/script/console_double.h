#pragma once
// The stand-in console that the runtime's tests link in place of the real
// one: a flat 64 KiB memory for the peek operators, code tabs of given line
// counts for the line mapping, the last assert message, and the charges made
// through spend_cpu.
#include <cstdint>
#include <initializer_list>
#include <string>

namespace tovo_test {

// The bytes the peek operators read; tests write them directly.
extern uint8_t console_memory[0x10000];

// Code tabs holding the given numbers of newlines (the rest empty), and all
// tabs empty; find_tab_line maps with them as the console does.
void set_tab_lines(std::initializer_list<int> newlines);
inline void clear_tabs() { set_tab_lines({}); }

// The text of the last tovo_assert_message call (empty for null).
extern std::string assert_message;

}  // namespace tovo_test
