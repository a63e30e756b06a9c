#pragma once
// The parser: one pass over the tokens of a chunk that drives the code
// generator and produces the chunk's main function.
#include <cstdint>

#include "script/compiler/zio.h"
#include "script/value/object.h"
#include "script/value/string_buffer.h"

// Kinds of expression descriptors.
enum expkind {
  VVOID,  // no value (an empty expression list)
  VNIL,
  VTRUE,
  VFALSE,
  VK,          // info = constant index
  VKNUM,       // nval = 16.16 value not yet in the constant table
  VNONRELOC,   // info = result register
  VLOCAL,      // info = local register
  VUPVAL,      // info = upvalue index
  VINDEXED,    // ind.t = table register or upvalue, ind.idx = key RK, ind.vt = VLOCAL or VUPVAL
  VJMP,        // info = pc of the jump
  VRELOCABLE,  // info = pc of the instruction whose A is still open
  VCALL,       // info = pc of the call
  VVARARG      // info = pc of the VARARG
};

inline bool vkisvar(expkind k) { return k >= VLOCAL && k <= VINDEXED; }
inline bool vkisinreg(expkind k) { return k == VNONRELOC || k == VLOCAL; }

struct expdesc {
  expkind k;
  union {
    struct {
      short idx;   // key (register or constant)
      uint8_t t;   // table (register or upvalue)
      uint8_t vt;  // whether t is a register (VLOCAL) or an upvalue (VUPVAL)
    } ind;
    int info;
    lua_Number nval;
  } u;
  int t;  // patch list of "exit when true"
  int f;  // patch list of "exit when false"
};

// An active local variable: its index in the prototype's local records.
struct Vardesc {
  short idx;
};

// A pending goto or a label.
struct Labeldesc {
  TString* name;
  int pc;
  int line;         // line where it appeared (whole compiled text)
  uint8_t nactvar;  // active locals at that point
};

struct Labellist {
  Labeldesc* arr;
  int n;
  int size;
};

// Lists that live for the whole compile, shared by all functions.
struct Dyndata {
  struct {
    Vardesc* arr;
    int n;
    int size;
  } actvar;
  Labellist gt;
  Labellist label;
};

struct BlockCnt;
struct LexState;

// State of one function being compiled.
struct FuncState {
  Proto* f;
  Table* h;  // constant lookup: constant -> index (anchors the lexer's strings too)
  FuncState* prev;
  LexState* ls;
  BlockCnt* bl;
  int pc;           // next instruction
  int lasttarget;   // pc of the last jump target
  int jpc;          // jumps pending to pc
  int nk;           // constants
  int np;           // nested prototypes
  int firstlocal;   // first active local in Dyndata.actvar
  short nlocvars;   // local records
  uint8_t nactvar;  // active locals
  uint8_t nups;     // upvalues
  uint8_t freereg;  // first free register
};

// Parses a whole chunk; leaves the main closure (vararg, one upvalue "_ENV",
// upvalues not yet made) on the stack and returns it.
LClosure* luaY_parser(lua_State* L, Zio* z, Mbuffer* buff, Dyndata* dyd, const char* name, int firstchar);
