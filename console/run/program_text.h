#pragma once
// The program text that the run loop compiles: our prelude (line 1 the
// header comment; everything else on line 2 together with the glyph defaults
// and the alias line, so that the cart's first line is program line 3), the
// preprocessed cart code and the epilogue that supplies the main loop.
#include <cstdint>

struct lua_State;

constexpr int32_t TOVO_PROGRAM_SIZE = 262144;

// The pieces, as NUL-terminated texts.
const char* tovo_prelude();                // "-- tovo header\n" and the rest of line 2
const char* tovo_glyph_defaults();         // 26 "G=G or V" statements and " ;"
const char* tovo_alias_line();             // locals for 59 API names
extern const char TOVO_PROGRAM_HEADER[];   // "-- tovo header"
extern const char TOVO_PROMPT_EPILOGUE[];  // "\n _end_of_program = 1 \n"

// Assembles a program into out (out_size bytes, zero-filled first) from the
// preprocessed code: prelude, glyph defaults, the alias line unless
// global_api, ";\n", " nd=0 " for the two cart ids that need it, the code (on
// a prompt line a short command stands for a call to it) and the epilogue
// (for a prompt line the prompt epilogue). Returns 0, or 1 when it does not fit (out is then
// emptied).
int tovo_assemble_program(const char* code, int is_prompt_line, int global_api, const char* cart_lid, char* out,
                          int32_t out_size);

// Compiles an assembled program on L, as text only: a program can never be
// taken for a binary chunk. The chunk name is the text itself. Returns the
// status and leaves the function, or the message, on the stack.
int tovo_compile_program(lua_State* L, const char* text);

// The short-command call that stands for a whole text, written after prefix
// into out: "run" -> "<prefix> run()", "load x" -> "<prefix> load(\"x\")"; for a
// prompt line also "s" -> "splore()". Returns 1 when the text is such a
// command, else 0 (out untouched).
int tovo_short_command(const char* text, int is_prompt_line, const char* prefix, char* out, int32_t out_size);
// True when the text is exactly one of the short-command words.
bool tovo_is_short_word(const char* text);
