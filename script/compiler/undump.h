#pragma once
// Binary chunks: the header shared by the loader and the dumper, the loader
// of precompiled functions and the writer of them.
#include "script/compiler/zio.h"
#include "script/value/object.h"
#include "script/value/string_buffer.h"

constexpr int LUAC_HEADERSIZE = 18;
constexpr char LUA_SIGNATURE[] = "\x1bLua";

// Fills h with this runtime's 18-byte chunk header.
void luaU_header(uint8_t* h);
// Loads a binary chunk whose first byte (the escape byte) has been read:
// leaves the main closure on the stack and returns it. Errors are syntax
// errors "%s: %s precompiled chunk".
LClosure* luaU_undump(lua_State* L, Zio* z, Mbuffer* buff, const char* name);
// Writes f as a binary chunk through w; strip leaves out the debug
// information. The writer's first non-zero status, or 0.
int luaU_dump(lua_State* L, const Proto* f, lua_Writer w, void* data, int strip);
