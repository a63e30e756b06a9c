#pragma once
// Compile and runtime error reports in the cart's terms: a line and a code
// tab, the source line, the message cut down to its essentials and a short
// traceback.
struct lua_State;

constexpr int TOVO_SYNTAX_DETAIL_MAX = 1023;
constexpr int TOVO_RUNTIME_MESSAGE_SIZE = 8192;
constexpr int TOVO_TRACEBACK_LINES = 10;

// Line n (from 1) of a text, includes flattened when flatten is 1; "<eof>"
// past the end; "" for a null text. The result stays valid until the next call.
const char* get_nth_line_ex(const char* text, int n, int flatten);

// The detail of a compiler message to print, or null when there is none or it
// was printed here ("unclosed %s").
const char* extract_syntax_error(const char* msg, int with_position);
// Prints the detail of a runtime message.
void extract_runtime_error(const char* msg);
// Prints up to ten traceback lines of the running program.
void print_traceback(lua_State* L);

// The reports. code is the cart's code (the working cart's code text); the
// message is the string on top of L's stack.
void tovo_report_compile_error(lua_State* L, const char* code, int is_prompt_line);
void tovo_report_runtime_error(lua_State* L, const char* code);
