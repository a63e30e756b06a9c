// Concatenation: joins runs of strings and numbers in one copy, calls
// "__concat" for other values, and charges the copied bytes to the budget.
#include <cstdint>
#include <cstring>

#include "script/debug/debug.h"
#include "script/value/number.h"
#include "script/value/string.h"
#include "script/value/string_buffer.h"
#include "script/vm/cpu.h"
#include "script/vm/unwind.h"
#include "script/vm/vm.h"

namespace {

// Longest string a join may make (lengths are kept in 32 bits).
constexpr size_t MAX_JOIN = 0xfffffff0u;

// The cycles a join charges for copying a piece of l bytes.
inline int32_t piece_charge(size_t l) { return static_cast<int32_t>(l / 32); }

// Turns a number at o into its text (as luaV_tostring does, with the text
// of a number seen lately found inline); false for a value neither string
// nor number.
[[gnu::always_inline]] inline bool tostring(lua_State* L, StkId o) {
  if (ttisstring(o)) return true;
  if (!ttisnumber(o)) return false;
  TString* ts = luaS_keptnumber(G(L), nvalue(o));
  setsvalue(o, ts != nullptr ? ts : luaS_makenumbertext(L, nvalue(o)));
  return true;
}

// Copies l bytes as std::memcpy does; the short pieces most joins are made
// of are copied inline, in two overlapping words.
[[gnu::always_inline]] inline void copy_piece(char* to, const char* from, size_t l) {
  if (l >= 8 && l <= 16) {
    uint64_t head, tail;
    std::memcpy(&head, from, 8);
    std::memcpy(&tail, from + l - 8, 8);
    std::memcpy(to, &head, 8);
    std::memcpy(to + l - 8, &tail, 8);
  } else if (l >= 4 && l < 8) {
    uint32_t head, tail;
    std::memcpy(&head, from, 4);
    std::memcpy(&tail, from + l - 4, 4);
    std::memcpy(to, &head, 4);
    std::memcpy(to + l - 4, &tail, 4);
  } else if (l < 4) {
    for (size_t k = 0; k < l; k++) to[k] = from[k];
  } else {
    std::memcpy(to, from, l);
  }
}

// The join buffer for a join of tl bytes. It grows at least twofold, so
// that a string built piece by piece reallocates it a few times rather than
// once a join. It is sized so for every join, as its size counts in the
// state's memory, though a long result is copied straight into its new
// string.
char* join_buffer(lua_State* L, size_t tl) {
  Mbuffer* b = &G(L)->buff;
  if (tl <= luaZ_sizebuffer(b)) return luaZ_buffer(b);  // large enough already
  size_t want = tl;
  if (want > luaZ_sizebuffer(b) && want < 2 * luaZ_sizebuffer(b)) want = 2 * luaZ_sizebuffer(b);
  return luaZ_openspace(L, b, want);
}

// The join of the two values on top of the stack when both are strings or
// numbers, as the general loop below makes it (the same conversions in the
// same order, the same buffer, charge and result) on a shorter road: the
// commonest join, a .. b alone. False, with nothing done, for other values.
[[gnu::always_inline]] inline bool join_pair(lua_State* L) {
  StkId top = L->top;
  StkId a = top - 2, b = top - 1;
  if (!(ttisstring(a) || ttisnumber(a)) || !(ttisstring(b) || ttisnumber(b))) return false;
  tostring(L, b);
  size_t lb = tsvalue(b)->len;
  if (lb == 0) {  // the result is the first operand
    tostring(L, a);
  } else if (ttisstring(a) && tsvalue(a)->len == 0) {  // the result is the second
    setobj(a, b);
  } else {
    tostring(L, a);
    size_t la = tsvalue(a)->len;
    if (la >= MAX_JOIN - lb) luaG_runerror(L, "string length overflow");
    size_t tl = la + lb;
    char* buffer = join_buffer(L, tl);
    int32_t charge = piece_charge(la) + piece_charge(lb);
    if (tl > LUAI_MAXSHORTLEN) {
      TString* joined = luaS_newlngstr(L, tl);
      char* to = getstr(joined);
      copy_piece(to, svalue(a), la);
      copy_piece(to + la, svalue(b), lb);
      lua_add_cpu_cycles(L, charge);
      setsvalue(a, joined);
    } else {  // kept_pair looked for a kept join of the two
      const TString* first = tsvalue(a);
      const TString* second = tsvalue(b);
      copy_piece(buffer, getstr(first), la);
      copy_piece(buffer + la, getstr(second), lb);
      lua_add_cpu_cycles(L, charge);  // charged before the string is made, which may fail
      TString* joined = luaS_newshrstr(L, buffer, tl);
      luaS_keepjoin(G(L), first, second, joined);
      setsvalue(a, joined);
    }
  }
  L->top = b;
  return true;
}

// The join of the two values on top of the stack when it is a kept join
// of two short strings, or of a short string and a number whose text is
// kept, that the join buffer already holds room for: join_pair's result and
// charge without a call, so that no register is saved for it. False, with
// nothing done, for any other join.
[[gnu::always_inline]] inline bool kept_pair(lua_State* L) {
  StkId top = L->top;
  StkId a = top - 2, b = top - 1;
  if (!ttisstring(a)) return false;
  const TString* first = tsvalue(a);
  size_t la = first->len;
  if (la == 0 || la >= LUAI_MAXSHORTLEN) return false;  // no short join of a non-empty second
  const TString* second;
  if (ttisstring(b)) second = tsvalue(b);
  else if (!ttisnumber(b) || (second = luaS_keptnumber(G(L), nvalue(b))) == nullptr) return false;
  size_t lb = second->len;
  size_t tl = la + lb;
  if (lb == 0 || tl > LUAI_MAXSHORTLEN || tl > luaZ_sizebuffer(&G(L)->buff)) return false;
  TString* kept = luaS_keptjoin(G(L), first, second);
  if (kept == nullptr) return false;
  int32_t charge = piece_charge(la) + piece_charge(lb);
  if (charge != 0) lua_add_cpu_cycles(L, charge);
  setsvalue(a, kept);
  L->top = b;
  return true;
}

// luaV_concat past the kept joins.
[[gnu::noinline]] void concat_runs(lua_State* L, int total) {
  if (total == 2 && join_pair(L)) return;
  do {
    StkId top = L->top;
    int n = 2;  // values joined by this pass
    if (!(ttisstring(top - 2) || ttisnumber(top - 2)) || !tostring(L, top - 1)) {
      if (!luaT_callbinTM(L, top - 2, top - 1, top - 2, TM_CONCAT)) luaG_concaterror(L, top - 2, top - 1);
    } else if (tsvalue(top - 1)->len == 0) {  // the result is the first operand
      tostring(L, top - 2);
    } else if (ttisstring(top - 2) && tsvalue(top - 2)->len == 0) {  // the result is the second
      setobj(top - 2, top - 1);
    } else {  // join as many strings and numbers as there are in a row
      size_t tl = tsvalue(top - 1)->len;
      int i;
      for (i = 1; i < total && tostring(L, top - i - 1); i++) {
        size_t l = tsvalue(top - i - 1)->len;
        if (l >= MAX_JOIN - tl) luaG_runerror(L, "string length overflow");
        tl += l;
      }
      char* buffer = join_buffer(L, tl);
      TString* joined = nullptr;
      if (tl > LUAI_MAXSHORTLEN) {
        joined = luaS_newlngstr(L, tl);
        buffer = getstr(joined);
      }
      int32_t charge = 0;
      tl = 0;
      n = i;
      for (StkId piece = top - n; piece < top; piece++) {
        const TString* ts = tsvalue(piece);
        size_t l = ts->len;
        copy_piece(buffer + tl, getstr(ts), l);
        tl += l;
        charge += piece_charge(l);
      }
      lua_add_cpu_cycles(L, charge);
      // Both ends are not empty: a short result is at least two bytes.
      setsvalue(top - n, joined != nullptr ? joined : luaS_newshrstr(L, buffer, tl));
    }
    total -= n - 1;
    L->top -= n - 1;
  } while (total > 1);
}

}  // namespace

void luaV_concat(lua_State* L, int total) {
  if (total == 2 && kept_pair(L)) return;
  concat_runs(L, total);
}
