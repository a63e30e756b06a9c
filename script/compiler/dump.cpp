// Writing functions as binary chunks.
#include "script/compiler/undump.h"

#include <bit>
#include <cstring>

#include "script/vm/opcodes.h"

namespace {

struct DumpState {
  lua_State* L;
  lua_Writer writer;
  void* data;
  bool strip;
  int status;
};

void DumpBlock(const void* b, size_t size, DumpState* D) {
  if (D->status == 0) D->status = D->writer(D->L, b, size, D->data);
}

void DumpChar(int y, DumpState* D) {
  uint8_t x = static_cast<uint8_t>(y);
  DumpBlock(&x, 1, D);
}

void put32(uint8_t* out, uint32_t v) {
  for (int i = 0; i < 4; i++) out[i] = static_cast<uint8_t>(v >> (8 * i));
}

void DumpInt(int x, DumpState* D) {
  uint8_t b[4];
  put32(b, static_cast<uint32_t>(x));
  DumpBlock(b, 4, D);
}

// n 32-bit values, in one writer call on a little-endian host.
void DumpVector32(const void* v, int n, DumpState* D) {
  DumpInt(n, D);
  if (n <= 0) return;
  if constexpr (std::endian::native == std::endian::little) {
    DumpBlock(v, static_cast<size_t>(n) * 4, D);
  } else {
    for (int i = 0; i < n; i++) {
      uint32_t x;
      std::memcpy(&x, static_cast<const char*>(v) + 4 * static_cast<size_t>(i), 4);
      DumpInt(static_cast<int>(x), D);
    }
  }
}

// A function's code as it was made (the loop's forms turned back into
// their opcodes), in blocks of a bounded buffer.
void DumpCode(const Proto* f, DumpState* D) {
  constexpr int BLOCK = 1024;
  DumpInt(f->sizecode, D);
  Instruction block[BLOCK];
  for (int done = 0; done < f->sizecode; done += BLOCK) {
    int n = f->sizecode - done < BLOCK ? f->sizecode - done : BLOCK;
    for (int i = 0; i < n; i++) block[i] = luaP_original(f->code[done + i]);
    if constexpr (std::endian::native == std::endian::little) {
      DumpBlock(block, static_cast<size_t>(n) * 4, D);
    } else {
      for (int i = 0; i < n; i++) DumpInt(static_cast<int>(block[i]), D);
    }
  }
}

void DumpString(const TString* s, DumpState* D) {
  if (s == nullptr) {
    DumpInt(0, D);
    return;
  }
  uint32_t size = s->len + 1;  // the terminating 0 is written too
  DumpInt(static_cast<int>(size), D);
  DumpBlock(getstr(s), size, D);
}

void DumpFunction(const Proto* f, DumpState* D);

void DumpConstants(const Proto* f, DumpState* D) {
  DumpInt(f->sizek, D);
  for (int i = 0; i < f->sizek; i++) {
    const TValue* o = &f->k[i];
    DumpChar(ttypenv(o), D);
    switch (ttypenv(o)) {
      case LUA_TBOOLEAN: DumpChar(bvalue(o), D); break;
      case LUA_TNUMBER: {
        uint8_t b[4];
        put32(b, static_cast<uint32_t>(nvalue(o)));
        DumpBlock(b, 4, D);
        break;
      }
      case LUA_TSTRING: DumpString(tsvalue(o), D); break;
      default: break;  // nil
    }
  }
  DumpInt(f->sizep, D);
  for (int i = 0; i < f->sizep; i++) DumpFunction(f->p[i], D);
}

void DumpUpvalues(const Proto* f, DumpState* D) {
  DumpInt(f->sizeupvalues, D);
  for (int i = 0; i < f->sizeupvalues; i++) {
    DumpChar(f->upvalues[i].instack, D);
    DumpChar(f->upvalues[i].idx, D);
  }
}

void DumpDebug(const Proto* f, DumpState* D) {
  DumpString(D->strip ? nullptr : f->source, D);
  DumpVector32(f->lineinfo, D->strip ? 0 : f->sizelineinfo, D);
  int n = D->strip ? 0 : f->sizelocvars;
  DumpInt(n, D);
  for (int i = 0; i < n; i++) {
    DumpString(f->locvars[i].varname, D);
    DumpInt(f->locvars[i].startpc, D);
    DumpInt(f->locvars[i].endpc, D);
  }
  n = D->strip ? 0 : f->sizeupvalues;
  DumpInt(n, D);
  for (int i = 0; i < n; i++) DumpString(f->upvalues[i].name, D);
}

void DumpFunction(const Proto* f, DumpState* D) {
  DumpInt(f->linedefined, D);
  DumpInt(f->lastlinedefined, D);
  DumpChar(f->numparams, D);
  DumpChar(f->is_vararg, D);
  DumpChar(f->maxstacksize, D);
  DumpCode(f, D);
  DumpConstants(f, D);
  DumpUpvalues(f, D);
  DumpDebug(f, D);
}

}  // namespace

void luaU_header(uint8_t* h) {
  std::memcpy(h, LUA_SIGNATURE, 4);
  h[4] = 0x52;  // version 5.2
  h[5] = 0;     // official format
  h[6] = 1;     // little endian
  h[7] = 4;     // int
  h[8] = 4;     // length
  h[9] = 4;     // instruction
  h[10] = 4;    // number
  h[11] = 1;    // numbers are integral (raw 16.16)
  const uint8_t tail[] = {0x19, 0x93, 0x0d, 0x0a, 0x1a, 0x0a};
  std::memcpy(h + 12, tail, sizeof tail);
}

int luaU_dump(lua_State* L, const Proto* f, lua_Writer w, void* data, int strip) {
  DumpState D{L, w, data, strip != 0, 0};
  uint8_t h[LUAC_HEADERSIZE];
  luaU_header(h);
  DumpBlock(h, LUAC_HEADERSIZE, &D);
  DumpFunction(f, &D);
  return D.status;
}
