// Operations of the virtual machine on any values: metamethod calls, table
// access, arithmetic, length, comparisons and equality.
#include <cstring>

#include "script/debug/debug.h"
#include "script/value/gc.h"
#include "script/value/number.h"
#include "script/value/string.h"
#include "script/value/table.h"
#include "script/vm/do.h"
#include "script/vm/stack.h"
#include "script/vm/vm.h"

namespace {

constexpr int MAXTAGLOOP = 100;  // longest "__index" / "__newindex" chain

// Compares two strings with the collation of the C locale, piece by piece
// across embedded zeros.
int l_strcmp(const TString* ls, const TString* rs) {
  const char* l = getstr(ls);
  size_t ll = ls->len;
  const char* r = getstr(rs);
  size_t lr = rs->len;
  for (;;) {
    int temp = std::strcoll(l, r);
    if (temp != 0) return temp;
    size_t len = std::strlen(l);  // both are equal up to a zero byte
    if (len == lr) return len == ll ? 0 : 1;
    if (len == ll) return -1;
    len++;
    l += len;
    ll -= len;
    r += len;
    lr -= len;
  }
}

// -1 when neither operand has the event's metamethod, else its result's truth.
int call_orderTM(lua_State* L, const TValue* p1, const TValue* p2, TMS event) {
  if (!luaT_callbinTM(L, p1, p2, L->top, event)) return -1;
  return !l_isfalse(L->top);
}

// luaT_fasttm for "__index", through the metatable's record of where that key lies.
const TValue* indextm(lua_State* L, Table* mt) {
  if (mt == nullptr || (mt->flags & (1u << TM_INDEX)) != 0) return nullptr;
  const TValue* tm = luaH_indexslot(mt, G(L)->tmname[TM_INDEX]);
  if (ttisnil(tm)) {
    mt->flags |= static_cast<uint8_t>(1u << TM_INDEX);  // remember the absence
    return nullptr;
  }
  return tm;
}

// The "__eq" metamethod shared by two metatables, or null.
const TValue* get_equalTM(lua_State* L, Table* mt1, Table* mt2) {
  const TValue* tm1 = luaT_fasttm(L, mt1, TM_EQ);
  if (tm1 == nullptr) return nullptr;
  if (mt1 == mt2) return tm1;
  const TValue* tm2 = luaT_fasttm(L, mt2, TM_EQ);
  if (tm2 == nullptr) return nullptr;
  return luaV_rawequalobj(tm1, tm2) ? tm1 : nullptr;
}

}  // namespace

void luaT_callTM(lua_State* L, const TValue* f, const TValue* p1, const TValue* p2, TValue* p3, int hasres) {
  ptrdiff_t result = savestack(L, p3);
  setobj(L->top++, f);
  setobj(L->top++, p1);
  setobj(L->top++, p2);
  if (!hasres) setobj(L->top++, p3);
  // A metamethod may yield only when a script instruction called it.
  luaD_call(L, L->top - (4 - hasres), hasres, isLua(L->ci));
  if (hasres) {
    p3 = restorestack(L, result);
    setobj(p3, --L->top);
  }
}

int luaT_callbinTM(lua_State* L, const TValue* p1, const TValue* p2, StkId res, TMS event) {
  const TValue* tm = luaT_gettmbyobj(L, p1, event);
  if (ttisnil(tm)) tm = luaT_gettmbyobj(L, p2, event);
  if (ttisnil(tm)) return 0;
  luaT_callTM(L, tm, p1, p2, res, 1);
  return 1;
}

void luaV_gettable(lua_State* L, const TValue* t, const TValue* key, StkId val) {
  for (int loop = 0; loop < MAXTAGLOOP; loop++) {
    const TValue* tm;
    if (ttistable(t)) {
      Table* h = hvalue(t);
      const TValue* res = luaH_get(h, key);
      if (!ttisnil(res) || (tm = indextm(L, h->metatable)) == nullptr) {
        setobj(val, res);
        return;
      }
    } else if (ttisnil(tm = luaT_gettmbyobj(L, t, TM_INDEX))) {
      luaG_typeerror(L, t, "index");
    }
    if (ttisfunction(tm)) {
      luaT_callTM(L, tm, t, key, val, 1);
      return;
    }
    t = tm;  // go on with the metamethod's value
  }
  luaG_runerror(L, "loop in gettable");
}

void luaV_settable(lua_State* L, const TValue* t, const TValue* key, const TValue* val) {
  for (int loop = 0; loop < MAXTAGLOOP; loop++) {
    const TValue* tm;
    if (ttistable(t)) {
      Table* h = hvalue(t);
      TValue* oldval = const_cast<TValue*>(luaH_get(h, key));
      // A present value is replaced; an absent one only without "__newindex".
      if (!ttisnil(oldval) || (tm = luaT_fasttm(L, h->metatable, TM_NEWINDEX)) == nullptr) {
        if (oldval == luaO_nilobject()) oldval = luaH_newkey(L, h, key);
        setobj(oldval, val);
        h->flags = 0;  // the key may name a metamethod
        luaC_barrierback(L, h, val);
        return;
      }
    } else if (ttisnil(tm = luaT_gettmbyobj(L, t, TM_NEWINDEX))) {
      luaG_typeerror(L, t, "index");
    }
    if (ttisfunction(tm)) {
      luaT_callTM(L, tm, t, key, const_cast<TValue*>(val), 0);
      return;
    }
    t = tm;
  }
  luaG_runerror(L, "loop in settable");
}

void luaV_arith(lua_State* L, StkId ra, const TValue* rb, const TValue* rc, TMS op) {
  TValue tempb, tempc;
  const TValue* b = luaV_tonumber(rb, &tempb);
  const TValue* c = b != nullptr ? luaV_tonumber(rc, &tempc) : nullptr;
  if (c != nullptr) {
    setnvalue(ra, luaO_arith(L, op - TM_ADD + LUA_OPADD, nvalue(b), nvalue(c)));
  } else if (!luaT_callbinTM(L, rb, rc, ra, op)) {
    luaG_aritherror(L, rb, rc);
  }
}

void luaV_objlen(lua_State* L, StkId ra, const TValue* rb) {
  const TValue* tm;
  switch (ttypenv(rb)) {
    case LUA_TTABLE: {
      Table* h = hvalue(rb);
      tm = luaT_fasttm(L, h->metatable, TM_LEN);
      if (tm != nullptr) break;
      setnvalue(ra, tovo_int2num(luaH_getn(h)));
      return;
    }
    case LUA_TSTRING: setnvalue(ra, static_cast<lua_Number>(tsvalue(rb)->len << 16)); return;
    default:
      tm = luaT_gettmbyobj(L, rb, TM_LEN);
      if (ttisnil(tm)) luaG_typeerror(L, rb, "get length of");
      break;
  }
  luaT_callTM(L, tm, rb, rb, ra, 1);
}

int luaV_lessthan(lua_State* L, const TValue* l, const TValue* r) {
  if (ttisnumber(l) && ttisnumber(r)) return nvalue(l) < nvalue(r);
  if (ttisstring(l) && ttisstring(r)) return l_strcmp(tsvalue(l), tsvalue(r)) < 0;
  int res = call_orderTM(L, l, r, TM_LT);
  if (res < 0) luaG_ordererror(L, l, r);
  return res;
}

int luaV_lessequal(lua_State* L, const TValue* l, const TValue* r) {
  if (ttisnumber(l) && ttisnumber(r)) return nvalue(l) <= nvalue(r);
  if (ttisstring(l) && ttisstring(r)) return l_strcmp(tsvalue(l), tsvalue(r)) <= 0;
  int res = call_orderTM(L, l, r, TM_LE);
  if (res >= 0) return res;
  res = call_orderTM(L, r, l, TM_LT);  // a <= b as not (b < a)
  if (res < 0) luaG_ordererror(L, l, r);
  return !res;
}

int luaV_equalobj_(lua_State* L, const TValue* t1, const TValue* t2) {
  const TValue* tm;
  switch (ttype(t1)) {
    case LUA_TUSERDATA:
      if (uvalue(t1) == uvalue(t2)) return 1;
      if (L == nullptr) return 0;
      tm = get_equalTM(L, uvalue(t1)->metatable, uvalue(t2)->metatable);
      break;
    case LUA_TTABLE:
      if (hvalue(t1) == hvalue(t2)) return 1;
      if (L == nullptr) return 0;
      tm = get_equalTM(L, hvalue(t1)->metatable, hvalue(t2)->metatable);
      break;
    default: return luaV_rawequalobj(t1, t2);
  }
  if (tm == nullptr) return 0;
  luaT_callTM(L, tm, t1, t2, L->top, 1);
  return !l_isfalse(L->top);
}
