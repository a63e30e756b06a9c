// Helpers for compiler tests.
#include "tests/script/compile_util.h"

#include "script/compiler/lex.h"
#include "script/compiler/parse.h"
#include "script/compiler/undump.h"
#include "script/value/gc.h"
#include "script/value/lua_mem.h"
#include "script/value/number.h"
#include "script/value/string.h"
#include "script/value/table.h"
#include "script/vm/opcodes.h"
#include "script/vm/stack.h"
#include "script/vm/state.h"
#include "script/vm/unwind.h"

namespace {

struct text_source {
  const char* data;
  size_t size;
};

const char* read_text(lua_State*, void* ud, size_t* size) {
  auto* src = static_cast<text_source*>(ud);
  *size = src->size;
  src->size = 0;
  return *size == 0 ? nullptr : src->data;
}

struct scan_job {
  text_source src;
  std::vector<scanned_token>* out;
  Mbuffer buff;
};

void do_scan(lua_State* L, void* ud) {
  auto* job = static_cast<scan_job*>(ud);
  Zio z;
  luaZ_init(L, &z, read_text, &job->src);
  Dyndata dyd = {};
  LexState ls;
  FuncState fs = {};
  fs.h = luaH_new(L);
  sethvalue(L->top, fs.h);
  incr_top(L);
  ls.buff = &job->buff;
  ls.dyd = &dyd;
  TString* source = luaS_newliteral(L, "=scan");
  setsvalue(L->top, source);  // anchored like a prototype's source
  incr_top(L);
  luaX_setinput(L, &ls, &z, source, zgetc(&z));
  ls.fs = &fs;
  fs.ls = &ls;
  for (;;) {
    luaX_next(&ls);
    if (ls.t.token == TK_EOS) break;
    scanned_token t{ls.t.token, 0, ""};
    if (t.token == TK_NUMBER) t.number = ls.t.seminfo.r;
    if (t.token == TK_NAME || t.token == TK_STRING) t.text.assign(getstr(ls.t.seminfo.ts), ls.t.seminfo.ts->len);
    job->out->push_back(t);
  }
}

struct compile_job {
  text_source src;
  const char* name;
  Mbuffer buff;
  Dyndata dyd;
};

void do_compile(lua_State* L, void* ud) {
  auto* job = static_cast<compile_job*>(ud);
  Zio z;
  luaZ_init(L, &z, read_text, &job->src);
  luaY_parser(L, &z, &job->buff, &job->dyd, job->name, zgetc(&z));
}

void do_undump(lua_State* L, void* ud) {
  auto* job = static_cast<compile_job*>(ud);
  Zio z;
  luaZ_init(L, &z, read_text, &job->src);
  zgetc(&z);  // the escape byte
  luaU_undump(L, &z, &job->buff, job->name);
}

int write_string(lua_State*, const void* p, size_t size, void* ud) {
  static_cast<std::string*>(ud)->append(static_cast<const char*>(p), size);
  return 0;
}

int run_job(lua_State* L, compile_job* job, Pfunc f) {
  luaZ_initbuffer(&job->buff);
  ptrdiff_t old = savestack(L, L->top);  // the stack may move
  int status = luaD_rawrunprotected(L, f, job);
  if (status != LUA_OK) luaD_seterrorobj(L, status, restorestack(L, old));
  else L->top = restorestack(L, old) + 1;  // the closure stays
  luaZ_freebuffer(L, &job->buff);
  luaM_freearray(L, job->dyd.actvar.arr, static_cast<size_t>(job->dyd.actvar.size));
  luaM_freearray(L, job->dyd.gt.arr, static_cast<size_t>(job->dyd.gt.size));
  luaM_freearray(L, job->dyd.label.arr, static_cast<size_t>(job->dyd.label.size));
  return status;
}

}  // namespace

int load_binary(lua_State* L, const std::string& bytes, const char* chunkname) {
  compile_job job{{bytes.data(), bytes.size()}, chunkname, {}, {}};
  return run_job(L, &job, do_undump);
}

std::string dump_proto(lua_State* L, const Proto* p, bool strip) {
  std::string out;
  luaU_dump(L, p, write_string, &out, strip ? 1 : 0);
  return out;
}

int scan_text(lua_State* L, const std::string& text, std::vector<scanned_token>* out, std::string* error) {
  scan_job job{{text.data(), text.size()}, out, {}};
  luaZ_initbuffer(&job.buff);
  ptrdiff_t old = savestack(L, L->top);  // the stack may move
  int status = luaD_rawrunprotected(L, do_scan, &job);
  if (status != LUA_OK && error != nullptr) {
    const TValue* o = L->top - 1;
    *error = ttisstring(o) ? std::string(svalue(o), tsvalue(o)->len) : "<no message>";
  }
  L->top = restorestack(L, old);
  luaZ_freebuffer(L, &job.buff);
  return status;
}

int compile_text(lua_State* L, const std::string& text, const char* chunkname) {
  compile_job job{{text.data(), text.size()}, chunkname, {}, {}};
  return run_job(L, &job, do_compile);
}

Proto* top_proto(lua_State* L) { return getproto(L->top - 1); }

std::string constant_text(const TValue* k) {
  char buf[TOVO_NUMBER_TEXT];
  switch (ttypenv(k)) {
    case LUA_TNIL: return "nil";
    case LUA_TBOOLEAN: return bvalue(k) ? "true" : "false";
    case LUA_TNUMBER: tovo_fixed_to_string(buf, nvalue(k)); return buf;
    case LUA_TSTRING: return "'" + std::string(svalue(k), tsvalue(k)->len) + "'";
    default: return "?";
  }
}

std::string listing(const Proto* p) {
  std::string out;
  auto rk = [](OpArgMask mode, int v) {
    if (mode == OpArgK && ISK(v)) return "k" + std::to_string(INDEXK(v));
    return std::to_string(v);
  };
  for (int pc = 0; pc < p->sizecode; pc++) {
    Instruction i = luaP_original(p->code[pc]);
    OpCode o = GET_OPCODE(i);
    std::string text = luaP_opnames[o];
    switch (getOpMode(o)) {
      case iABC:
        text += " " + std::to_string(GETARG_A(i));
        if (getBMode(o) != OpArgN || tovo_is_unary_rk_op(o)) text += " " + rk(getBMode(o), GETARG_B(i));
        if (getCMode(o) != OpArgN || tovo_is_unary_rk_op(o))
          text += " " + rk(tovo_is_unary_rk_op(o) ? OpArgK : getCMode(o), GETARG_C(i));
        break;
      case iABx:
        text += " " + std::to_string(GETARG_A(i));
        if (o == OP_LOADK) text += " k" + std::to_string(GETARG_Bx(i));
        else if (getBMode(o) != OpArgN) text += " " + std::to_string(GETARG_Bx(i));
        break;
      // clang-format off
      case iAsBx: text += " " + std::to_string(GETARG_A(i)) + " " + std::to_string(GETARG_sBx(i)); break;
      // clang-format on
      case iAx: text += " " + std::to_string(GETARG_Ax(i)); break;
    }
    out += text + "\n";
  }
  if (p->sizek > 0) {
    out += "; k:";
    for (int i = 0; i < p->sizek; i++) out += " " + constant_text(&p->k[i]);
    out += "\n";
  }
  return out;
}
