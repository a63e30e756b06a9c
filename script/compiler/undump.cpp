// Loading binary chunks. Every count and length is checked against what the
// input actually holds: arrays and strings grow as their items arrive, so a
// corrupt count fails with "truncated" instead of asking for its whole size.
// The loaded code is checked before any of it can run: code that breaks a
// rule the instruction loop relies on is "corrupted".
#include "script/compiler/undump.h"

#include <cstring>

#include "script/compiler/verify.h"

#include "script/value/gc.h"
#include "script/value/lua_mem.h"
#include "script/value/number.h"
#include "script/value/string.h"
#include "script/vm/func.h"
#include "script/vm/stack.h"
#include "script/vm/state.h"
#include "script/vm/unwind.h"
#include "script/vm/vm.h"

namespace {

constexpr int MAX_NESTING = LUAI_MAXCCALLS;  // nested prototypes

struct LoadState {
  lua_State* L;
  Zio* Z;
  Mbuffer* b;
  const char* name;
  int depth;
};

[[noreturn]] void error(LoadState* S, const char* why) {
  luaO_pushfstring(S->L, "%s: %s precompiled chunk", S->name, why);
  luaD_throw(S->L, LUA_ERRSYNTAX);
}

void LoadBlock(LoadState* S, void* b, size_t size) {
  if (luaZ_read(S->Z, b, size) != 0) error(S, "truncated");
}

int LoadChar(LoadState* S) {
  uint8_t x;
  LoadBlock(S, &x, 1);
  return x;
}

uint32_t Load32(LoadState* S) {
  uint8_t b[4];
  LoadBlock(S, b, 4);
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
         (static_cast<uint32_t>(b[3]) << 24);
}

int LoadInt(LoadState* S) {
  int x = static_cast<int>(Load32(S));
  if (x < 0) error(S, "corrupted");
  return x;
}

// Makes room for item need - 1 of total: the array doubles (at least 64
// items, at most total) and the new slots are set by init.
template <typename T, typename Init>
void grow(LoadState* S, T*& v, int& size, int need, int total, Init init) {
  if (need <= size) return;
  int newsize = size < 32 ? 64 : (size > total / 2 ? total : size * 2);
  if (newsize > total) newsize = total;
  if (newsize < need) newsize = need;
  v = luaM_reallocvector<T>(S->L, v, static_cast<size_t>(size), static_cast<size_t>(newsize));
  for (int i = size; i < newsize; i++) init(&v[i]);
  size = newsize;
}

TString* LoadString(LoadState* S) {
  size_t size = Load32(S);
  if (size == 0) return nullptr;  // no string
  size_t have = 0;
  char* s = nullptr;
  while (have < size) {  // the scratch buffer grows with the bytes read
    size_t chunk = size - have;
    size_t step = have < 4096 ? 4096 : have;
    if (chunk > step) chunk = step;
    s = luaZ_openspace(S->L, S->b, have + chunk);
    LoadBlock(S, s + have, chunk);
    have += chunk;
  }
  return luaS_newlstr(S->L, s, size - 1);  // the stored terminating 0 is dropped
}

void LoadFunction(LoadState* S, Proto* f);

void LoadCode(LoadState* S, Proto* f) {
  int n = LoadInt(S);
  for (int i = 0; i < n; i++) {
    grow(S, f->code, f->sizecode, i + 1, n, [](Instruction* x) { *x = 0; });
    f->code[i] = Load32(S);
  }
}

void LoadConstants(LoadState* S, Proto* f) {
  lua_State* L = S->L;
  int n = LoadInt(S);
  for (int i = 0; i < n; i++) {
    grow(S, f->k, f->sizek, i + 1, n, [](TValue* o) { setnilvalue(o); });
    TValue* o = &f->k[i];
    switch (LoadChar(S)) {
      case LUA_TNIL: setnilvalue(o); break;
      case LUA_TBOOLEAN: setbvalue(o, LoadChar(S)); break;
      case LUA_TNUMBER: setnvalue(o, static_cast<lua_Number>(Load32(S))); break;
      case LUA_TSTRING: {
        TString* ts = LoadString(S);
        if (ts == nullptr) error(S, "corrupted");  // a string constant needs a string
        setsvalue(o, ts);
        luaC_objbarrier(L, f, ts);
        break;
      }
      default: error(S, "corrupted");
    }
  }
  n = LoadInt(S);
  for (int i = 0; i < n; i++) {
    grow(S, f->p, f->sizep, i + 1, n, [](Proto** p) { *p = nullptr; });
    f->p[i] = luaF_newproto(L);
    luaC_objbarrier(L, f, f->p[i]);
    LoadFunction(S, f->p[i]);
  }
}

void LoadUpvalues(LoadState* S, Proto* f) {
  int n = LoadInt(S);
  if (n > MAXUPVAL) error(S, "corrupted");
  for (int i = 0; i < n; i++) {
    grow(S, f->upvalues, f->sizeupvalues, i + 1, n, [](Upvaldesc* u) { *u = Upvaldesc{nullptr, 0, 0}; });
    f->upvalues[i].instack = static_cast<uint8_t>(LoadChar(S));
    f->upvalues[i].idx = static_cast<uint8_t>(LoadChar(S));
  }
}

void LoadDebug(LoadState* S, Proto* f) {
  lua_State* L = S->L;
  f->source = LoadString(S);
  if (f->source != nullptr) luaC_objbarrier(L, f, f->source);
  int n = LoadInt(S);
  for (int i = 0; i < n; i++) {
    grow(S, f->lineinfo, f->sizelineinfo, i + 1, n, [](int* x) { *x = 0; });
    f->lineinfo[i] = static_cast<int>(Load32(S));
  }
  n = LoadInt(S);
  for (int i = 0; i < n; i++) {
    grow(S, f->locvars, f->sizelocvars, i + 1, n, [](LocVar* v) { *v = LocVar{nullptr, 0, 0}; });
    TString* name = LoadString(S);
    f->locvars[i].varname = name;
    if (name != nullptr) luaC_objbarrier(L, f, name);
    f->locvars[i].startpc = LoadInt(S);
    f->locvars[i].endpc = LoadInt(S);
  }
  n = LoadInt(S);
  if (n > f->sizeupvalues) error(S, "corrupted");  // a name for an upvalue that does not exist
  for (int i = 0; i < n; i++) {
    TString* name = LoadString(S);
    f->upvalues[i].name = name;
    if (name != nullptr) luaC_objbarrier(L, f, name);
  }
}

void LoadFunction(LoadState* S, Proto* f) {
  if (++S->depth > MAX_NESTING) error(S, "corrupted");
  f->linedefined = LoadInt(S);
  f->lastlinedefined = LoadInt(S);
  f->numparams = static_cast<uint8_t>(LoadChar(S));
  f->is_vararg = static_cast<uint8_t>(LoadChar(S));
  f->maxstacksize = static_cast<uint8_t>(LoadChar(S));
  LoadCode(S, f);
  LoadConstants(S, f);
  LoadUpvalues(S, f);
  LoadDebug(S, f);
  S->depth--;
}

// Readies a checked function and every function nested in it for the loop.
void prepare_all(Proto* f) {
  luaV_prepare(f);
  for (int i = 0; i < f->sizep; i++) prepare_all(f->p[i]);
}

void LoadHeader(LoadState* S) {
  uint8_t h[LUAC_HEADERSIZE];
  uint8_t s[LUAC_HEADERSIZE];
  luaU_header(h);
  s[0] = h[0];  // the escape byte, read already
  LoadBlock(S, s + 1, LUAC_HEADERSIZE - 1);
  if (std::memcmp(h, s, LUAC_HEADERSIZE) == 0) return;
  if (std::memcmp(h, s, 4) != 0) error(S, "not a");
  if (std::memcmp(h, s, 6) != 0) error(S, "version mismatch in");
  if (std::memcmp(h, s, 12) != 0) error(S, "incompatible");
  error(S, "corrupted");
}

}  // namespace

LClosure* luaU_undump(lua_State* L, Zio* z, Mbuffer* buff, const char* name) {
  LoadState S;
  if (*name == '@' || *name == '=') S.name = name + 1;
  else if (*name == LUA_SIGNATURE[0]) S.name = "binary string";
  else S.name = name;
  S.L = L;
  S.Z = z;
  S.b = buff;
  S.depth = 0;
  LoadHeader(&S);
  LClosure* cl = &luaF_newLclosure(L, 1)->l;
  setclLvalue(L->top, cl);  // anchors everything loaded
  incr_top(L);
  cl->p = luaF_newproto(L);
  LoadFunction(&S, cl->p);
  if (!luaU_verify(L, buff, cl->p)) error(&S, "corrupted");
  prepare_all(cl->p);
  if (cl->p->sizeupvalues != 1) {
    Proto* p = cl->p;
    cl = &luaF_newLclosure(L, p->sizeupvalues)->l;
    cl->p = p;
    setclLvalue(L->top - 1, cl);
  }
  return cl;
}
