// The shared nil and raw equality of values.
#include "script/value/object.h"

#include "script/value/string.h"

const TValue luaO_nilobject_ = {{nullptr}, LUA_TNIL};

bool luaO_rawequalObj(const TValue* a, const TValue* b) {
  if (ttype(a) != ttype(b)) return false;
  switch (ttype(a)) {
    case LUA_TNIL: return true;
    case LUA_TNUMBER: return nvalue(a) == nvalue(b);
    case LUA_TBOOLEAN: return bvalue(a) == bvalue(b);
    case LUA_TLIGHTUSERDATA: return pvalue(a) == pvalue(b);
    case LUA_TLCF:
    case LUA_TFCF: return fvalue(a) == fvalue(b);
    case LUA_TLNGSTR: return luaS_eqlngstr(tsvalue(a), tsvalue(b));
    default: return gcvalue(a) == gcvalue(b);
  }
}
