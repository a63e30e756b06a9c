#pragma once
// Helpers for compiler tests: tokenizing and compiling text behind a
// protected boundary, and a text listing of compiled functions.
#include <string>
#include <vector>

#include "script/value/object.h"

// One scanned token: its code and, for numerals, names and strings, its value.
struct scanned_token {
  int token;
  lua_Number number;  // numerals
  std::string text;   // names and strings
};

// Scans the whole text. Returns LUA_OK and the tokens (end of stream not
// included), or the error status with the message in *error.
int scan_text(lua_State* L, const std::string& text, std::vector<scanned_token>* out, std::string* error);

// Compiles text as a chunk named chunkname. On success returns LUA_OK and
// leaves the main closure on the stack; on failure returns the status and
// leaves the message on the stack. The stack holds one value more either way.
int compile_text(lua_State* L, const std::string& text, const char* chunkname = "=test");

// Loads a binary chunk (its first byte is the escape byte) as compile_text
// does, through the binary loader.
int load_binary(lua_State* L, const std::string& bytes, const char* chunkname = "=chunk");

// Dumps a prototype to bytes.
std::string dump_proto(lua_State* L, const Proto* p, bool strip);

// The main prototype of the closure on top of the stack.
Proto* top_proto(lua_State* L);

// A listing of a prototype's code, one instruction a line: the opcode name
// and its operands; register-or-constant operands that are constants show as
// k<index>, and LOADK shows k<index>. Constants follow after "; k:".
std::string listing(const Proto* p);
// The text of a constant: numbers as the runtime prints them, strings quoted.
std::string constant_text(const TValue* k);
