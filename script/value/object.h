#pragma once
// The object model: tagged values and the collectable objects (strings,
// userdata, prototypes, closures, upvalues, tables). A value is a
// pointer-wide value word and a 32-bit tag; numbers are 16.16 in the word.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "script/lua.h"

struct lua_State;
struct Table;
struct Proto;
struct UpVal;

typedef uint32_t Instruction;

// Tags beyond the basic types, used only inside the runtime.
constexpr int LUA_TPROTO = LUA_NUMTAGS;
constexpr int LUA_TUPVAL = LUA_NUMTAGS + 1;
constexpr int LUA_TDEADKEY = LUA_NUMTAGS + 2;
constexpr int LUA_TOTALTAGS = LUA_TUPVAL + 2;

// Variant tags: bits 4-5 hold the variant, bit 6 marks collectable values.
constexpr int BIT_ISCOLLECTABLE = 1 << 6;
constexpr int LUA_TSHRSTR = LUA_TSTRING | (0 << 4);  // 0x04
constexpr int LUA_TLNGSTR = LUA_TSTRING | (1 << 4);  // 0x14
constexpr int LUA_TLCL = LUA_TFUNCTION | (0 << 4);   // script closure 0x06
constexpr int LUA_TLCF = LUA_TFUNCTION | (1 << 4);   // light native function 0x16
constexpr int LUA_TCCL = LUA_TFUNCTION | (2 << 4);   // native closure 0x26
constexpr int LUA_TFCF = LUA_TFUNCTION | (3 << 4);   // fast native function 0x36

constexpr int ctb(int t) { return t | BIT_ISCOLLECTABLE; }

// Common header of every collectable object.
struct GCObject {
  GCObject* next;
  uint8_t tt;
  uint8_t marked;
};

union Value {
  GCObject* gc;
  void* p;
  int32_t b;        // booleans: 0 or 1
  lua_Number n;     // 16.16
  lua_CFunction f;  // light and fast native functions
};

struct TValue {
  Value value_;
  int32_t tt_;
};

typedef TValue* StkId;  // index into a thread's stack

// ---- tag tests ----
inline int rttype(const TValue* o) { return o->tt_; }
inline int ttype(const TValue* o) { return o->tt_ & 0x3f; }    // tag without the collectable bit
inline int ttypenv(const TValue* o) { return o->tt_ & 0x0f; }  // basic type
inline bool checktag(const TValue* o, int t) { return o->tt_ == t; }
inline bool ttisnil(const TValue* o) { return o->tt_ == LUA_TNIL; }
inline bool ttisboolean(const TValue* o) { return o->tt_ == LUA_TBOOLEAN; }
inline bool ttislightuserdata(const TValue* o) { return o->tt_ == LUA_TLIGHTUSERDATA; }
inline bool ttisnumber(const TValue* o) { return o->tt_ == LUA_TNUMBER; }
inline bool ttisstring(const TValue* o) { return ttypenv(o) == LUA_TSTRING; }
inline bool ttisshrstring(const TValue* o) { return o->tt_ == ctb(LUA_TSHRSTR); }
inline bool ttislngstring(const TValue* o) { return o->tt_ == ctb(LUA_TLNGSTR); }
inline bool ttistable(const TValue* o) { return o->tt_ == ctb(LUA_TTABLE); }
inline bool ttisfunction(const TValue* o) { return ttypenv(o) == LUA_TFUNCTION; }
inline bool ttisLclosure(const TValue* o) { return o->tt_ == ctb(LUA_TLCL); }
inline bool ttisCclosure(const TValue* o) { return o->tt_ == ctb(LUA_TCCL); }
inline bool ttislcf(const TValue* o) { return o->tt_ == LUA_TLCF; }
inline bool ttisfcf(const TValue* o) { return o->tt_ == LUA_TFCF; }
inline bool ttisuserdata(const TValue* o) { return o->tt_ == ctb(LUA_TUSERDATA); }
inline bool ttisthread(const TValue* o) { return o->tt_ == ctb(LUA_TTHREAD); }
inline bool ttisdeadkey(const TValue* o) { return o->tt_ == LUA_TDEADKEY; }
inline bool iscollectable(const TValue* o) { return (o->tt_ & BIT_ISCOLLECTABLE) != 0; }
inline bool l_isfalse(const TValue* o) { return ttisnil(o) || (ttisboolean(o) && o->value_.b == 0); }

// ---- value readers ----
inline lua_Number nvalue(const TValue* o) { return o->value_.n; }
inline int bvalue(const TValue* o) { return o->value_.b; }
inline void* pvalue(const TValue* o) { return o->value_.p; }
inline lua_CFunction fvalue(const TValue* o) { return o->value_.f; }
inline GCObject* gcvalue(const TValue* o) { return o->value_.gc; }

// ---- value writers ----
inline void setnilvalue(TValue* o) { o->tt_ = LUA_TNIL; }
// Numbers and booleans fill the whole value word, their 32 bits at its start
// and zeros after them, in one store: a copy of the value that follows reads
// the word back from that one store.
static_assert(std::endian::native == std::endian::little && sizeof(Value) == sizeof(uint64_t));
inline void setword32(TValue* o, int32_t v) {
  uint64_t word = static_cast<uint32_t>(v);
  std::memcpy(&o->value_, &word, sizeof word);
}
inline void setnvalue(TValue* o, lua_Number n) {
  setword32(o, n);
  o->tt_ = LUA_TNUMBER;
}
inline void setbvalue(TValue* o, int b) {
  setword32(o, b != 0);
  o->tt_ = LUA_TBOOLEAN;
}
inline void setpvalue(TValue* o, void* p) {
  o->value_.p = p;
  o->tt_ = LUA_TLIGHTUSERDATA;
}
inline void setfvalue(TValue* o, lua_CFunction f) {
  o->value_.f = f;
  o->tt_ = LUA_TLCF;
}
inline void setfastfvalue(TValue* o, lua_CFunction f) {
  o->value_.f = f;
  o->tt_ = LUA_TFCF;
}
inline void setgcovalue(TValue* o, GCObject* g) {  // any collectable, by its own tag
  o->value_.gc = g;
  o->tt_ = ctb(g->tt);
}
inline void setdeadvalue(TValue* o) { o->tt_ = LUA_TDEADKEY; }
// Member by member: one 16-byte copy of a value just written by two stores
// would wait for both to reach the cache. Measured: 16-byte copies take 3%
// fewer instructions on recursive calls and 6% fewer on short calls, but
// the recursion runs 13-20% longer, and still 13% longer with 16-byte
// copies only from constants and upvalues.
inline void setobj(TValue* dst, const TValue* src) {
  dst->value_ = src->value_;
  dst->tt_ = src->tt_;
}

// The shared read-only nil.
extern const TValue luaO_nilobject_;
inline const TValue* luaO_nilobject() { return &luaO_nilobject_; }

// ---- strings ----
// Header of a string; its bytes and a terminating 0 follow it.
struct TString : GCObject {
  uint8_t extra;  // long strings: hash computed; short strings: reserved-word index
  uint32_t hash;
  uint32_t len;
};
inline char* getstr(TString* s) { return reinterpret_cast<char*>(s + 1); }
inline const char* getstr(const TString* s) { return reinterpret_cast<const char*>(s + 1); }
inline TString* tsvalue(const TValue* o) { return static_cast<TString*>(o->value_.gc); }
inline const char* svalue(const TValue* o) { return getstr(tsvalue(o)); }
inline void setsvalue(TValue* o, TString* s) { setgcovalue(o, s); }

// ---- full userdata ----
struct Udata : GCObject {
  Table* metatable;
  Table* env;
  size_t len;
};
inline void* getudatamem(Udata* u) { return u + 1; }
inline Udata* uvalue(const TValue* o) { return static_cast<Udata*>(o->value_.gc); }

// ---- prototypes ----
struct Upvaldesc {
  TString* name;
  uint8_t instack;  // in the enclosing function's registers?
  uint8_t idx;
};

struct LocVar {
  TString* varname;
  int startpc;  // first point where the variable is active
  int endpc;    // first point where it is dead
};

union Closure;

struct Proto : GCObject {
  TValue* k;  // constants
  Instruction* code;
  Proto** p;  // nested functions
  int* lineinfo;
  LocVar* locvars;
  Upvaldesc* upvalues;
  Closure* cache;  // last closure made from this prototype
  TString* source;
  int sizeupvalues;
  int sizek;
  int sizecode;
  int sizelineinfo;
  int sizep;
  int sizelocvars;
  int linedefined;
  int lastlinedefined;
  GCObject* gclist;
  uint8_t numparams;
  uint8_t is_vararg;
  uint8_t maxstacksize;
  // numparams + 1 for a function without varargs, PROTO_NO_CALLARGS for one
  // with them: a call whose B operand (never 0 here) equals it passes
  // exactly the fixed parameters. Set by luaV_prepare.
  uint16_t callargs;
  // The stack a call with callargs values needs above the function's slot
  // for the frame: (callargs + maxstacksize) values, in bytes. Set by
  // luaV_prepare (0 for a function with varargs).
  uint16_t callroom;
};

constexpr uint16_t PROTO_NO_CALLARGS = 0xffff;  // above every B operand

// The quick-call field lies in padding: a prototype keeps its size.
static_assert(sizeof(void*) != 8 || sizeof(Proto) == 128);

// ---- upvalues ----
struct UpVal : GCObject {
  TValue* v;  // the stack slot while open, else &u.value
  union {
    TValue value;  // the value once closed
    struct {       // the doubly linked list of open upvalues (global list)
      UpVal* prev;
      UpVal* next;
    } l;
  } u;
};

// ---- closures ----
struct CClosure : GCObject {
  uint8_t nupvalues;
  GCObject* gclist;
  lua_CFunction f;
  TValue upvalue[1];  // nupvalues entries
};

struct LClosure : GCObject {
  uint8_t nupvalues;
  GCObject* gclist;
  Proto* p;
  UpVal* upvals[1];  // nupvalues entries
};

union Closure {
  CClosure c;
  LClosure l;
};

inline Closure* clvalue(const TValue* o) { return reinterpret_cast<Closure*>(o->value_.gc); }
inline LClosure* clLvalue(const TValue* o) { return static_cast<LClosure*>(o->value_.gc); }
inline CClosure* clCvalue(const TValue* o) { return static_cast<CClosure*>(o->value_.gc); }
inline void setclLvalue(TValue* o, LClosure* c) { setgcovalue(o, c); }
inline void setclCvalue(TValue* o, CClosure* c) { setgcovalue(o, c); }
inline bool isLfunction(const TValue* o) { return ttisLclosure(o); }
inline Proto* getproto(const TValue* o) { return clLvalue(o)->p; }

inline size_t sizeCclosure(int n) { return sizeof(CClosure) + sizeof(TValue) * static_cast<size_t>(n > 0 ? n - 1 : 0); }
inline size_t sizeLclosure(int n) { return sizeof(LClosure) + sizeof(UpVal*) * static_cast<size_t>(n > 0 ? n - 1 : 0); }

// ---- tables ----
struct Node {
  TValue val;
  TValue key;
  Node* next;  // next node of the same chain
};

struct Table : GCObject {
  uint8_t flags;       // 1 << event: the metamethod is known absent
  uint8_t lsizenode;   // log2 of the node count
  uint32_t indexnode;  // 1 + the node holding the key "__index", or 0 when not known
  Table* metatable;
  TValue* array;
  Node* node;
  Node* lastfree;  // every free node lies before it
  GCObject* gclist;
  int sizearray;
};

// The node cache lies in padding: the host record stays 72 bytes. (Script
// memory counts a table at its 32-bit layout size whatever the host record.)
static_assert(sizeof(void*) != 8 || sizeof(Table) == 72);

inline Table* hvalue(const TValue* o) { return static_cast<Table*>(o->value_.gc); }
inline void sethvalue(TValue* o, Table* t) { setgcovalue(o, t); }

inline int twoto(int x) { return 1 << x; }
inline int sizenode(const Table* t) { return twoto(t->lsizenode); }

// ---- equality without metamethods (numbers by value, long strings by
// contents, everything else by identity) ----
bool luaO_rawequalObj(const TValue* a, const TValue* b);
