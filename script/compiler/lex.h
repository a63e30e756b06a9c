#pragma once
// The lexer: program text to tokens (reserved words, names, numerals,
// strings and operators), each with its line.
#include "script/compiler/zio.h"
#include "script/value/object.h"
#include "script/value/string_buffer.h"

constexpr int FIRST_RESERVED = 257;

// Tokens other than single characters (a single character is its own code).
enum RESERVED {
  // reserved words
  TK_AND = FIRST_RESERVED,
  TK_BREAK,
  TK_DO,
  TK_ELSE,
  TK_ELSEIF,
  TK_END,
  TK_FALSE,
  TK_FOR,
  TK_FUNCTION,
  TK_GOTO,
  TK_IF,
  TK_IN,
  TK_LOCAL,
  TK_NIL,
  TK_NOT,
  TK_OR,
  TK_REPEAT,
  TK_RETURN,
  TK_THEN,
  TK_TRUE,
  TK_UNTIL,
  TK_WHILE,
  // other multi-character tokens
  TK_CONCAT,
  TK_DOTS,
  TK_EQ,
  TK_GE,
  TK_LE,
  TK_NE,
  TK_DBCOLON,
  TK_EOS,
  TK_NUMBER,
  TK_NAME,
  TK_STRING,
  TK_SHL,   // <<
  TK_SHR,   // >>
  TK_LSHR,  // >>>
  TK_ROTL,  // <<>
  TK_ROTR,  // >><
  TK_BXOR   // ^^
};

constexpr int NUM_RESERVED = TK_WHILE - FIRST_RESERVED + 1;
static_assert(TK_EOS == 286 && TK_STRING == 289 && TK_BXOR == 295);

constexpr size_t LUA_IDSIZE = 60;  // size of a chunk id in messages

union SemInfo {
  lua_Number r;  // numerals
  TString* ts;   // names and strings
};

struct Token {
  int token;
  SemInfo seminfo;
};

struct FuncState;
struct Dyndata;

// One per compile.
struct LexState {
  int current;      // current character (a byte or EOZ)
  int linenumber;   // input line counter
  int lastline;     // line of the last token consumed
  Token t;          // current token
  Token lookahead;  // look-ahead token (TK_EOS when none)
  FuncState* fs;    // function being compiled
  lua_State* L;
  Zio* z;
  Mbuffer* buff;  // token text
  Dyndata* dyd;   // the parser's lists of locals, gotos and labels
  TString* source;
  TString* envn;  // "_ENV"
  char decpoint;
};

// Interns and fixes the reserved words (once per state).
void luaX_init(lua_State* L);
void luaX_setinput(lua_State* L, LexState* ls, Zio* z, TString* source, int firstchar);
// Interns a string and anchors it in the current function's constant lookup
// table until the compile ends.
TString* luaX_newstring(LexState* ls, const char* str, size_t l);
void luaX_next(LexState* ls);
int luaX_lookahead(LexState* ls);
// Raises a syntax error near the current token.
[[noreturn]] void luaX_syntaxerror(LexState* ls, const char* msg);
// Raises a syntax error "source:line: msg", with " near ..." when token is
// not 0.
[[noreturn]] void luaX_lexerror(LexState* ls, const char* msg, int token);
// The display text of a token, pushed on the stack.
const char* luaX_token2str(LexState* ls, int token);

// Name classes of the lexer (glyph bytes 0x80-0xff, 0x1e and 0x1f are letters).
inline bool lislalpha(int c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == 0x1e || c == 0x1f ||
         (c >= 0x80 && c <= 0xff);
}
inline bool lislalnum(int c) { return lislalpha(c) || (c >= '0' && c <= '9'); }
