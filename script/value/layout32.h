#pragma once
// Script memory is measured in the runtime's 32-bit layout, whatever the
// host: a value is a 4-byte value word and a 4-byte tag, a pointer, int and
// size are 4 bytes, and a record is laid out field by field in declaration
// order with each field at a multiple of its own size (an 8-byte record
// containing a double at a multiple of 8). The runtime computes every
// request's size in that layout where it makes the request, beside the host
// size it really allocates, and hands both to the allocator hook (mem.h).
//
// The common header of every collectable object is next (4), tag (1) and
// mark (1): 6 bytes, followed by whatever the record puts there.
#include <cstddef>
#include <cstdint>

// ---- values and vector elements ----
constexpr size_t LAYOUT32_POINTER = 4;
// value word (4) + tag (4)
constexpr size_t LAYOUT32_TVALUE = 8;
// value (8) + key (8) + next node (4)
constexpr size_t LAYOUT32_NODE = 20;
// one instruction word
constexpr size_t LAYOUT32_INSTRUCTION = 4;
// a line number of the line table
constexpr size_t LAYOUT32_INT = 4;
// variable name (4) + first pc (4) + end pc (4)
constexpr size_t LAYOUT32_LOCVAR = 12;
// name (4) + in-stack byte (1) + index byte (1), padded to a multiple of 4
constexpr size_t LAYOUT32_UPVALDESC = 8;
// a local's register index, a short
constexpr size_t LAYOUT32_VARDESC = 2;
// name (4) + pc (4) + line (4) + active locals byte (1), padded to 16
constexpr size_t LAYOUT32_LABELDESC = 16;
// func (4) + top (4) + previous (4) + next (4) + wanted results (2) + status
// byte (1), padded to 20; extra (4) at 20; then the union of the script part
// (base 4 + saved pc 4) and the native part (context 4 + continuation 4 +
// old error function 4 + two bytes, padded to 16): 24 + 16
constexpr size_t LAYOUT32_CALLINFO = 40;

// ---- objects ----
// header (6) + extra byte (1), padded to 8; hash (4) at 8; length (4) at 12.
// The bytes and a terminating 0 follow.
constexpr size_t LAYOUT32_TSTRING = 16;
// header (6), padded to 8; metatable (4) at 8; user value (4) at 12; size (4)
// at 16: 20, rounded to 24 by the double (8-byte aligned on 32-bit Arm) that
// keeps the payload aligned for any type. The payload follows.
constexpr size_t LAYOUT32_UDATA = 24;
// header (6) + absent-metamethod flags (1) + node log-size (1) = 8;
// metatable, array part, node array, free pointer, collector link (5 x 4) at
// 8 to 28; array size (4) at 28
constexpr size_t LAYOUT32_TABLE = 32;
// header (6) + upvalue count (1), padded to 8; collector link (4) at 8;
// prototype (4) at 12; then one pointer per upvalue
constexpr size_t LAYOUT32_LCLOSURE = 16;
// header (6) + upvalue count (1), padded to 8; collector link (4) at 8;
// function (4) at 12; then one value per upvalue
constexpr size_t LAYOUT32_CCLOSURE = 16;
// header (6), padded to 8; value pointer (4) at 8; then the union of the
// closed value (8) and the open list's two links (8): 12 + 8
constexpr size_t LAYOUT32_UPVAL = 20;
// header (6), padded to 8; constants, code, nested functions, line table,
// locals, upvalue names, cache, source (8 x 4) at 8 to 40; upvalue, constant,
// code, line, nested-function and local counts, first and last line (8 x 4)
// at 40 to 72; collector link (4) at 72; parameter count, vararg flag and
// frame size bytes (3) at 76, padded to 80
constexpr size_t LAYOUT32_PROTO = 80;
// header (6) + status (1), padded to 8; top, global state, frame, old pc,
// stack end, stack (6 x 4) at 8 to 32; stack size (4) at 32; not-yieldable
// and native-depth counts (2 x 2) at 36; hook mask and allow-hook bytes (2) at
// 40, padded to 44; base hook count, hook count, hook, open upvalues,
// collector link, error handler chain, error function (7 x 4) at 44 to 72;
// base frame (LAYOUT32_CALLINFO) at 72; argument count (4) at 112
constexpr size_t LAYOUT32_THREAD = 116;
// allocator, user data, total, debt, traversed, estimate (6 x 4) = 24; string
// table (bucket array 4, count 4, size 4) at 24; registry (8) at 36; seed (4)
// at 44; current white, phase, kind, running (4 bytes) at 48; string sweep
// position (4) at 52; object lists and sweep positions (10 x 4) at 56 to 96;
// upvalue list head (LAYOUT32_UPVAL) at 96; buffer (pointer, length, size:
// 3 x 4) at 116; pause, major increment, step multiplier, panic, main thread,
// version, memory-error message (7 x 4) at 128 to 156; 30 metamethod names
// and 9 per-type metatables (39 x 4) at 156
constexpr size_t LAYOUT32_GLOBAL_STATE = 312;
// the main thread and the global state, made as one block
constexpr size_t LAYOUT32_STATE = LAYOUT32_THREAD + LAYOUT32_GLOBAL_STATE;

constexpr size_t layout32_string(size_t len) { return LAYOUT32_TSTRING + len + 1; }
constexpr size_t layout32_udata(size_t len) { return LAYOUT32_UDATA + len; }
constexpr size_t layout32_lclosure(int nupvalues) {
  return LAYOUT32_LCLOSURE + LAYOUT32_POINTER * static_cast<size_t>(nupvalues);
}
constexpr size_t layout32_cclosure(int nupvalues) {
  return LAYOUT32_CCLOSURE + LAYOUT32_TVALUE * static_cast<size_t>(nupvalues);
}

// ---- the element size of each vector the runtime allocates ----
// Defined only for the element types the runtime makes vectors of, so that a
// vector of any other type fails to compile until its size is given here.
template <typename T>
struct layout32;

struct TValue;
struct Node;
struct GCObject;
struct Proto;
struct LocVar;
struct Upvaldesc;
struct Vardesc;
struct Labeldesc;
struct CallInfo;

template <>
struct layout32<TValue> {
  static constexpr size_t size = LAYOUT32_TVALUE;
};
template <>
struct layout32<Node> {
  static constexpr size_t size = LAYOUT32_NODE;
};
template <>
struct layout32<GCObject*> {  // string table buckets
  static constexpr size_t size = LAYOUT32_POINTER;
};
template <>
struct layout32<Proto*> {  // nested functions
  static constexpr size_t size = LAYOUT32_POINTER;
};
template <>
struct layout32<uint32_t> {  // instructions
  static constexpr size_t size = LAYOUT32_INSTRUCTION;
};
template <>
struct layout32<int> {  // line table
  static constexpr size_t size = LAYOUT32_INT;
};
template <>
struct layout32<char> {  // the concatenation and lexer buffer
  static constexpr size_t size = 1;
};
template <>
struct layout32<LocVar> {
  static constexpr size_t size = LAYOUT32_LOCVAR;
};
template <>
struct layout32<Upvaldesc> {
  static constexpr size_t size = LAYOUT32_UPVALDESC;
};
template <>
struct layout32<Vardesc> {
  static constexpr size_t size = LAYOUT32_VARDESC;
};
template <>
struct layout32<Labeldesc> {
  static constexpr size_t size = LAYOUT32_LABELDESC;
};
template <>
struct layout32<CallInfo> {
  static constexpr size_t size = LAYOUT32_CALLINFO;
};
