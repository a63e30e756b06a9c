// The string library's patterns: a backtracking matcher over the subject's
// bytes, and find, match, gmatch and gsub on top of it. Bytes 128-255 and the
// glyph bytes 30 and 31, which may stand in names, count as letters: they
// match %a, %l and %w and no other class.
#include <cctype>
#include <cstring>

#include "script/api/auxlib.h"
#include "script/lib/lib_string.h"
#include "script/value/number.h"

namespace {

constexpr int MAX_CAPTURES = 32;
constexpr int MAX_MATCH_DEPTH = 200;
constexpr ptrdiff_t CAPTURE_OPEN = -1;      // started, not closed yet
constexpr ptrdiff_t CAPTURE_POSITION = -2;  // "()": the position only
constexpr char ESC = '%';
constexpr const char* SPECIALS = "^$*+?.([%-";

struct matcher {
  const char* subject;  // start of the subject
  const char* subject_end;
  const char* pattern_end;
  lua_State* L;
  int depth;  // recursion left before "pattern too complex"
  int level;  // captures started
  struct {
    const char* start;
    ptrdiff_t len;
  } cap[MAX_CAPTURES];
};

const char* match_here(matcher* m, const char* s, const char* p);

bool glyph_byte(int c) { return c >= 128 || c == 30 || c == 31; }

// Does byte c belong to class letter cl (the letter after '%')?
bool in_class(int c, int cl) {
  bool found;
  switch (std::tolower(cl)) {
    case 'a': found = std::isalpha(c); break;
    case 'c': found = std::iscntrl(c); break;
    case 'd': found = std::isdigit(c); break;
    case 'g': found = std::isgraph(c); break;
    case 'l': found = std::islower(c); break;
    case 'p': found = std::ispunct(c); break;
    case 's': found = std::isspace(c); break;
    case 'u': found = std::isupper(c); break;
    case 'w': found = std::isalnum(c); break;
    case 'x': found = std::isxdigit(c); break;
    case 'z': found = c == 0; break;
    default: return cl == c;  // an escaped byte stands for itself
  }
  if (glyph_byte(c)) return cl == 'a' || cl == 'l' || cl == 'w';
  return std::isupper(cl) ? !found : found;
}

// Byte c against the set from '[' at p to its closing ']' at close.
bool in_set(int c, const char* p, const char* close) {
  bool member = true;
  p++;
  if (*p == '^') {
    member = false;
    p++;
  }
  while (p < close) {
    if (*p == ESC) {
      if (in_class(c, static_cast<unsigned char>(p[1]))) return member;
      p += 2;
    } else if (p + 2 < close && p[1] == '-') {
      if (static_cast<unsigned char>(p[0]) <= c && c <= static_cast<unsigned char>(p[2])) return member;
      p += 3;
    } else {
      if (static_cast<unsigned char>(*p) == c) return member;
      p++;
    }
  }
  return !member;
}

// The end of the single-byte item at p (a byte, '.', an escape or a set).
const char* item_end(matcher* m, const char* p) {
  char c = *p++;
  if (c == ESC) {
    if (p == m->pattern_end) luaL_error(m->L, "malformed pattern (ends with '%%')");
    return p + 1;
  }
  if (c != '[') return p;
  if (*p == '^') p++;
  do {  // the first byte of a set is literal, even a ']'
    if (p == m->pattern_end) luaL_error(m->L, "malformed pattern (missing ']')");
    if (*p++ == ESC && p < m->pattern_end) p++;
  } while (p == m->pattern_end || *p != ']');
  return p + 1;
}

// Does the subject byte at s match the item from p to ep?
bool item_matches(const matcher* m, const char* s, const char* p, const char* ep) {
  if (s >= m->subject_end) return false;
  int c = static_cast<unsigned char>(*s);
  switch (*p) {
    case '.': return true;
    case ESC: return in_class(c, static_cast<unsigned char>(p[1]));
    case '[': return in_set(c, p, ep - 1);
    default: return static_cast<unsigned char>(*p) == c;
  }
}

// %bxy at s; p points at x.
const char* match_balanced(matcher* m, const char* s, const char* p) {
  if (p + 1 >= m->pattern_end) luaL_error(m->L, "malformed pattern (missing arguments to '%%b')");
  if (s >= m->subject_end || *s != p[0]) return nullptr;
  int open = 1;
  for (const char* q = s + 1; q < m->subject_end; q++) {
    if (*q == p[1]) {
      if (--open == 0) return q + 1;
    } else if (*q == p[0]) {
      open++;
    }
  }
  return nullptr;
}

// The longest run of the item that lets the rest match, backing off.
const char* match_greedy(matcher* m, const char* s, const char* p, const char* ep) {
  ptrdiff_t n = 0;
  while (item_matches(m, s + n, p, ep)) n++;
  for (; n >= 0; n--) {
    if (const char* e = match_here(m, s + n, ep + 1)) return e;
  }
  return nullptr;
}

// The shortest run of the item that lets the rest match.
const char* match_lazy(matcher* m, const char* s, const char* p, const char* ep) {
  for (;;) {
    if (const char* e = match_here(m, s, ep + 1)) return e;
    if (!item_matches(m, s, p, ep)) return nullptr;
    s++;
  }
}

const char* open_capture(matcher* m, const char* s, const char* p, ptrdiff_t kind) {
  if (m->level >= MAX_CAPTURES) luaL_error(m->L, "too many captures");
  m->cap[m->level].start = s;
  m->cap[m->level].len = kind;
  m->level++;
  const char* e = match_here(m, s, p);
  if (e == nullptr) m->level--;
  return e;
}

const char* close_capture(matcher* m, const char* s, const char* p) {
  int open = m->level - 1;
  while (open >= 0 && m->cap[open].len != CAPTURE_OPEN) open--;
  if (open < 0) luaL_error(m->L, "invalid pattern capture");
  m->cap[open].len = s - m->cap[open].start;
  const char* e = match_here(m, s, p);
  if (e == nullptr) m->cap[open].len = CAPTURE_OPEN;
  return e;
}

// The capture that a back reference %1-%9 names (index from 0).
int closed_capture(matcher* m, int digit) {
  int i = digit - '1';
  if (i < 0 || i >= m->level || m->cap[i].len == CAPTURE_OPEN)
    luaL_error(m->L, "invalid capture index %%%d", tovo_int2num(i + 1));
  return i;
}

const char* match_back_reference(matcher* m, const char* s, int digit) {
  int i = closed_capture(m, digit);
  ptrdiff_t len = m->cap[i].len;
  if (len < 0) return nullptr;  // a position capture holds no text
  if (m->subject_end - s >= len && std::memcmp(m->cap[i].start, s, static_cast<size_t>(len)) == 0) return s + len;
  return nullptr;
}

// Matches the pattern from p against the subject from s: the end of the
// match, or null.
const char* match_body(matcher* m, const char* s, const char* p) {
  while (p != m->pattern_end) {
    switch (*p) {
      case '(':
        if (p + 1 < m->pattern_end && p[1] == ')') return open_capture(m, s, p + 2, CAPTURE_POSITION);
        return open_capture(m, s, p + 1, CAPTURE_OPEN);
      case ')': return close_capture(m, s, p + 1);
      case '$':
        if (p + 1 == m->pattern_end) return s == m->subject_end ? s : nullptr;
        break;
      case ESC:
        if (p + 1 < m->pattern_end && p[1] == 'b') {
          s = match_balanced(m, s, p + 2);
          if (s == nullptr) return nullptr;
          p += 4;
          continue;
        }
        if (p + 1 < m->pattern_end && p[1] == 'f') {
          p += 2;
          if (p == m->pattern_end || *p != '[') luaL_error(m->L, "missing '[' after '%%f' in pattern");
          const char* ep = item_end(m, p);
          int before = s == m->subject ? 0 : static_cast<unsigned char>(s[-1]);
          int here = s < m->subject_end ? static_cast<unsigned char>(*s) : 0;
          if (in_set(before, p, ep - 1) || !in_set(here, p, ep - 1)) return nullptr;
          p = ep;
          continue;
        }
        if (p + 1 < m->pattern_end && std::isdigit(static_cast<unsigned char>(p[1]))) {
          s = match_back_reference(m, s, p[1]);
          if (s == nullptr) return nullptr;
          p += 2;
          continue;
        }
        break;
      default: break;
    }
    const char* ep = item_end(m, p);
    char suffix = ep < m->pattern_end ? *ep : '\0';
    if (!item_matches(m, s, p, ep)) {
      if (suffix == '*' || suffix == '?' || suffix == '-') {  // zero repeats are fine
        p = ep + 1;
        continue;
      }
      return nullptr;
    }
    switch (suffix) {
      case '?':
        if (const char* e = match_here(m, s + 1, ep + 1)) return e;
        p = ep + 1;
        continue;
      case '+': return match_greedy(m, s + 1, p, ep);
      case '*': return match_greedy(m, s, p, ep);
      case '-': return match_lazy(m, s, p, ep);
      default:
        s++;
        p = ep;
        continue;
    }
  }
  return s;
}

const char* match_here(matcher* m, const char* s, const char* p) {
  if (m->depth-- == 0) luaL_error(m->L, "pattern too complex");
  const char* e = match_body(m, s, p);
  m->depth++;
  return e;
}

void start(matcher* m, lua_State* L, const char* s, size_t ls, const char* p, size_t lp) {
  m->L = L;
  m->subject = s;
  m->subject_end = s + ls;
  m->pattern_end = p + lp;
}

void reset(matcher* m) {
  m->level = 0;
  m->depth = MAX_MATCH_DEPTH;
}

// Pushes capture i of a match from s to e; with no captures, capture 0 is
// the whole match.
void push_capture(matcher* m, int i, const char* s, const char* e) {
  if (i >= m->level) {
    if (i != 0) luaL_error(m->L, "invalid capture index");
    lua_pushlstring(m->L, s, static_cast<size_t>(e - s));
    return;
  }
  ptrdiff_t len = m->cap[i].len;
  if (len == CAPTURE_OPEN) luaL_error(m->L, "unfinished capture");
  if (len == CAPTURE_POSITION) {
    lua_pushinteger(m->L, static_cast<int>(m->cap[i].start - m->subject + 1));
  } else {
    lua_pushlstring(m->L, m->cap[i].start, static_cast<size_t>(len));
  }
}

// Pushes every capture (the whole match when there are none and s is set).
int push_captures(matcher* m, const char* s, const char* e) {
  int n = m->level == 0 && s != nullptr ? 1 : m->level;
  luaL_checkstack(m->L, n, "too many captures");
  for (int i = 0; i < n; i++) push_capture(m, i, s, e);
  return n;
}

bool has_specials(const char* p, size_t lp) {
  for (size_t i = 0; i < lp; i++) {
    if (p[i] == '\0' || std::strchr(SPECIALS, p[i]) != nullptr) return true;
  }
  return false;
}

// The first occurrence of the bytes needle in haystack, or null.
const char* find_bytes(const char* hay, size_t lh, const char* needle, size_t ln) {
  if (ln == 0) return hay;
  if (ln > lh) return nullptr;
  for (const char* q = hay; q + ln <= hay + lh; q++) {
    q = static_cast<const char*>(std::memchr(q, needle[0], static_cast<size_t>(hay + lh - q) - ln + 1));
    if (q == nullptr) return nullptr;
    if (std::memcmp(q + 1, needle + 1, ln - 1) == 0) return q;
  }
  return nullptr;
}

int find_or_match(lua_State* L, bool find) {
  size_t ls = 0, lp = 0;
  const char* s = luaL_checklstring(L, 1, &ls);
  const char* p = luaL_checklstring(L, 2, &lp);
  size_t init = str_position(luaL_optinteger(L, 3, 1), ls);
  if (init < 1) {
    init = 1;
  } else if (init > ls + 1) {
    lua_pushnil(L);
    return 1;
  }
  if (find && (lua_toboolean(L, 4) || !has_specials(p, lp))) {
    const char* at = find_bytes(s + init - 1, ls - init + 1, p, lp);
    if (at == nullptr) {
      lua_pushnil(L);
      return 1;
    }
    lua_pushinteger(L, static_cast<int>(at - s + 1));
    lua_pushinteger(L, static_cast<int>(at - s + lp));
    return 2;
  }
  matcher m;
  bool anchored = lp > 0 && *p == '^';
  if (anchored) {
    p++;
    lp--;
  }
  start(&m, L, s, ls, p, lp);
  const char* from = s + init - 1;
  for (;;) {
    reset(&m);
    if (const char* e = match_here(&m, from, p)) {
      if (!find) return push_captures(&m, from, e);
      lua_pushinteger(L, static_cast<int>(from - s + 1));
      lua_pushinteger(L, static_cast<int>(e - s));
      return push_captures(&m, nullptr, nullptr) + 2;
    }
    if (anchored || from >= m.subject_end) break;
    from++;
  }
  lua_pushnil(L);
  return 1;
}

// The iterator of gmatch; its upvalues are the subject, the pattern and the
// byte offset to go on from (kept as a plain count, not a whole number).
int gmatch_next(lua_State* L) {
  size_t ls = 0, lp = 0;
  const char* s = lua_tolstring(L, lua_upvalueindex(1), &ls);
  const char* p = lua_tolstring(L, lua_upvalueindex(2), &lp);
  matcher m;
  start(&m, L, s, ls, p, lp);
  for (const char* from = s + lua_tonumber(L, lua_upvalueindex(3)); from <= m.subject_end; from++) {
    reset(&m);
    if (const char* e = match_here(&m, from, p)) {
      lua_Number next = static_cast<lua_Number>(e - s);
      if (e == from) next++;  // an empty match moves on by one byte
      lua_pushnumber(L, next);
      lua_replace(L, lua_upvalueindex(3));
      return push_captures(&m, from, e);
    }
  }
  return 0;
}

// Appends the replacement text for a match from s to e, with %0-%9.
void add_text(matcher* m, luaL_Buffer* b, const char* s, const char* e) {
  size_t l = 0;
  const char* r = lua_tolstring(m->L, 3, &l);
  for (size_t i = 0; i < l; i++) {
    if (r[i] != ESC) {
      luaL_addchar(b, r[i]);
      continue;
    }
    i++;
    unsigned char d = i < l ? static_cast<unsigned char>(r[i]) : 0;
    if (!std::isdigit(d)) {
      if (d != ESC) luaL_error(m->L, "invalid use of '%c' in replacement string", ESC);
      luaL_addchar(b, ESC);
    } else if (d == '0') {
      luaL_addlstring(b, s, static_cast<size_t>(e - s));
    } else {
      push_capture(m, d - '1', s, e);
      luaL_addvalue(b);
    }
  }
}

void add_replacement(matcher* m, luaL_Buffer* b, const char* s, const char* e, int kind) {
  lua_State* L = m->L;
  if (kind == LUA_TFUNCTION) {
    lua_pushvalue(L, 3);
    int n = push_captures(m, s, e);
    lua_call(L, n, 1);
  } else if (kind == LUA_TTABLE) {
    push_capture(m, 0, s, e);
    lua_gettable(L, 3);
  } else {
    add_text(m, b, s, e);
    return;
  }
  if (!lua_toboolean(L, -1)) {  // nil or false keeps the original text
    lua_pop(L, 1);
    lua_pushlstring(L, s, static_cast<size_t>(e - s));
  } else if (!lua_isstring(L, -1)) {
    luaL_error(L, "invalid replacement value (a %s)", lua_typename(L, lua_type(L, -1)));
  }
  luaL_addvalue(b);
}

}  // namespace

int str_find(lua_State* L) { return find_or_match(L, true); }
int str_match(lua_State* L) { return find_or_match(L, false); }

int str_gmatch(lua_State* L) {
  luaL_checkstring(L, 1);
  luaL_checkstring(L, 2);
  lua_settop(L, 2);
  lua_pushnumber(L, 0);
  lua_pushcclosure(L, gmatch_next, 3);
  return 1;
}

int str_gsub(lua_State* L) {
  size_t ls = 0, lp = 0;
  const char* src = luaL_checklstring(L, 1, &ls);
  const char* p = luaL_checklstring(L, 2, &lp);
  int kind = lua_type(L, 3);
  // At most one replacement a byte and one at the end, unless argument 4 says fewer.
  long long max_n = lua_isnoneornil(L, 4) ? static_cast<long long>(ls) + 1 : luaL_checkinteger(L, 4);
  luaL_argcheck(L, kind == LUA_TNUMBER || kind == LUA_TSTRING || kind == LUA_TFUNCTION || kind == LUA_TTABLE, 3,
                "string/function/table expected");
  bool anchored = lp > 0 && *p == '^';
  if (anchored) {
    p++;
    lp--;
  }
  matcher m;
  start(&m, L, src, ls, p, lp);
  luaL_Buffer b;
  luaL_buffinit(L, &b);
  long long n = 0;
  const char* s = src;
  while (n < max_n) {
    reset(&m);
    const char* e = match_here(&m, s, p);
    if (e != nullptr) {
      n++;
      add_replacement(&m, &b, s, e, kind);
    }
    if (e != nullptr && e > s) {
      s = e;
    } else if (s < m.subject_end) {
      luaL_addchar(&b, *s++);
    } else {
      break;
    }
    if (anchored) break;
  }
  luaL_addlstring(&b, s, static_cast<size_t>(m.subject_end - s));
  luaL_pushresult(&b);
  lua_pushinteger(L, static_cast<int>(n));
  return 2;
}
