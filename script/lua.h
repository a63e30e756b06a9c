#pragma once
// The script runtime's public interface: types, status codes, type numbers,
// pseudo-indices and the state functions. Numbers are 16.16 fixed-point
// values held in int32_t; an integer n crosses the interface as n << 16.
#include <cstddef>
#include <cstdint>

struct lua_State;
struct lua_Debug;

typedef int32_t lua_Number;   // 16.16 fixed point
typedef int32_t lua_Integer;  // a plain int at the interface
typedef uint32_t lua_Unsigned;
typedef int (*lua_CFunction)(lua_State* L);
typedef void (*lua_Hook)(lua_State* L, lua_Debug* ar);
// Allocator hook: (user data, block, old size or object kind, new size).
typedef void* (*lua_Alloc)(void* ud, void* block, size_t old_size, size_t new_size);

// Status codes.
constexpr int LUA_OK = 0;
constexpr int LUA_YIELD = 1;
constexpr int LUA_ERRRUN = 2;
constexpr int LUA_ERRSYNTAX = 3;
constexpr int LUA_ERRMEM = 4;
constexpr int LUA_ERRGCMM = 5;
constexpr int LUA_ERRERR = 6;

// Basic types (the low four bits of a value's tag).
constexpr int LUA_TNONE = -1;
constexpr int LUA_TNIL = 0;
constexpr int LUA_TBOOLEAN = 1;
constexpr int LUA_TLIGHTUSERDATA = 2;
constexpr int LUA_TNUMBER = 3;
constexpr int LUA_TSTRING = 4;
constexpr int LUA_TTABLE = 5;
constexpr int LUA_TFUNCTION = 6;
constexpr int LUA_TUSERDATA = 7;
constexpr int LUA_TTHREAD = 8;
constexpr int LUA_NUMTAGS = 9;

constexpr int LUA_MINSTACK = 20;
constexpr int LUAI_MAXSTACK = 1000000;
constexpr int LUA_REGISTRYINDEX = -LUAI_MAXSTACK - 1000;
constexpr int LUA_RIDX_MAINTHREAD = 1;
constexpr int LUA_RIDX_GLOBALS = 2;
constexpr int LUA_RIDX_LAST = LUA_RIDX_GLOBALS;

// Upvalue count that makes lua_pushcclosure push a fast native function.
constexpr int TOVO_FAST_CFUNCTION = -3333;

// lua_gc options.
constexpr int LUA_GCSTOP = 0;
constexpr int LUA_GCRESTART = 1;
constexpr int LUA_GCCOLLECT = 2;
constexpr int LUA_GCCOUNT = 3;
constexpr int LUA_GCCOUNTB = 4;
constexpr int LUA_GCSTEP = 5;
constexpr int LUA_GCSETPAUSE = 6;
constexpr int LUA_GCSETSTEPMUL = 7;
constexpr int LUA_GCSETMAJORINC = 8;
constexpr int LUA_GCISRUNNING = 9;
constexpr int LUA_GCGEN = 10;
constexpr int LUA_GCINC = 11;

lua_State* lua_newstate(lua_Alloc f, void* ud);
void lua_close(lua_State* L);
lua_State* lua_newthread(lua_State* L);
lua_CFunction lua_atpanic(lua_State* L, lua_CFunction panicf);
const lua_Number* lua_version(lua_State* L);
int lua_gc(lua_State* L, int what, int data);

// Lines a host reads after a failure, kept by each state for all its
// threads. The runtime line is the line of the last runtime error raised by
// the runtime itself or by a library error with a position (0 until then);
// a host that raises errors of its own may set it too. The last line number
// is the start line of the statement the parser began last, counted in lines
// of the whole compiled text (-1 until a statement is parsed).
int tovo_runtime_line(lua_State* L);
void tovo_set_runtime_line(lua_State* L, int line);
int tovo_last_line_number(lua_State* L);

// Script memory is measured in the runtime's 32-bit layout (values of 8
// bytes, pointers of 4; script/value/layout32.h), while the blocks the host
// hands out keep the host's own sizes. Inside a call of a state's allocator
// hook that allocates or resizes a block, this is the new block's size in
// that layout (the charge of the request); at any other time, and for a call
// that frees, it is LUA_NO_CHARGE. A hook that measures script memory reads
// it; one that does not can ignore it.
constexpr size_t LUA_NO_CHARGE = SIZE_MAX;
size_t lua_alloc_charge();
