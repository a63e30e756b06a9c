// The lexer.
#include "script/compiler/lex.h"

#include <climits>
#include <clocale>
#include <cstring>

#include "script/compiler/ctype.h"
#include "script/compiler/parse.h"
#include "script/value/gc.h"
#include "script/value/lua_mem.h"
#include "script/value/number.h"
#include "script/value/string.h"
#include "script/value/table.h"
#include "script/vm/stack.h"
#include "script/vm/unwind.h"

namespace {

const char* const luaX_tokens[] = {"and",      "break",  "do",   "else", "elseif", "end",   "false",    "for",
                                   "function", "goto",   "if",   "in",   "local",  "nil",   "not",      "or",
                                   "repeat",   "return", "then", "true", "until",  "while", "..",       "...",
                                   "==",       ">=",     "<=",   "~=",   "::",     "<eof>", "<number>", "<name>",
                                   "<string>", "<<",     ">>",   ">>>",  "<<>",    ">><",   "^^"};
static_assert(sizeof(luaX_tokens) / sizeof(luaX_tokens[0]) == TK_BXOR - FIRST_RESERVED + 1);

constexpr int MAX_LINE = INT_MAX - 2;

void next(LexState* ls) { ls->current = zgetc(ls->z); }

bool currIsNewline(const LexState* ls) { return ls->current == '\n' || ls->current == '\r'; }

void save(LexState* ls, int c) {
  Mbuffer* b = ls->buff;
  if (b->n + 1 > b->buffsize) {
    if (b->buffsize >= MAX_SIZET / 2) luaX_lexerror(ls, "lexical element too long", 0);
    size_t newsize = b->buffsize < LUA_MINBUFFER ? LUA_MINBUFFER : b->buffsize * 2;
    luaZ_resizebuffer(ls->L, b, newsize);
  }
  b->buffer[b->n++] = static_cast<char>(c);
}

void save_and_next(LexState* ls) {
  save(ls, ls->current);
  next(ls);
}

// The raw text of a numeral, name or string, else the token's display text.
const char* txtToken(LexState* ls, int token) {
  switch (token) {
    case TK_NAME:
    case TK_STRING:
    case TK_NUMBER: save(ls, '\0'); return luaO_pushfstring(ls->L, "'%s'", luaZ_buffer(ls->buff));
    default: return luaX_token2str(ls, token);
  }
}

// Skips a line break and a following different break character.
void inclinenumber(LexState* ls) {
  int old = ls->current;
  next(ls);
  if (currIsNewline(ls) && ls->current != old) next(ls);
  if (++ls->linenumber >= MAX_LINE) luaX_lexerror(ls, "chunk has too many lines", 0);
}

// Saves the current character when it is one of set.
bool check_next(LexState* ls, const char* set) {
  if (ls->current == '\0' || ls->current == EOZ || std::strchr(set, ls->current) == nullptr) return false;
  save_and_next(ls);
  return true;
}

void buffreplace(LexState* ls, char from, char to) {
  size_t n = luaZ_bufflen(ls->buff);
  char* p = luaZ_buffer(ls->buff);
  while (n-- > 0)
    if (p[n] == from) p[n] = to;
}

bool buff2d(Mbuffer* b, lua_Number* r) { return luaO_str2d(luaZ_buffer(b), luaZ_bufflen(b) - 1, r) != 0; }

// Retries a numeral with the locale's decimal point.
void trydecpoint(LexState* ls, SemInfo* seminfo) {
  char old = ls->decpoint;
  const lconv* cv = std::localeconv();
  ls->decpoint = (cv != nullptr && cv->decimal_point[0] != '\0') ? cv->decimal_point[0] : '.';
  buffreplace(ls, old, ls->decpoint);
  if (!buff2d(ls->buff, &seminfo->r)) {
    buffreplace(ls, ls->decpoint, '.');
    luaX_lexerror(ls, "malformed number", TK_NUMBER);
  }
}

void read_numeral(LexState* ls, SemInfo* seminfo) {
  const char* expo = "Ee";
  int first = ls->current;
  save_and_next(ls);
  if (first == '0' && check_next(ls, "Xx")) expo = "Pp";
  for (;;) {
    if (check_next(ls, expo)) check_next(ls, "+-");
    if (lisxdigit(ls->current) || ls->current == '.') save_and_next(ls);
    else break;
  }
  save(ls, '\0');
  buffreplace(ls, '.', ls->decpoint);
  if (!buff2d(ls->buff, &seminfo->r)) trydecpoint(ls, seminfo);
}

// After '[' or ']': the level of a long bracket, or -1 - level when the
// characters do not form one.
int skip_sep(LexState* ls) {
  int count = 0;
  int s = ls->current;
  save_and_next(ls);
  while (ls->current == '=') {
    save_and_next(ls);
    count++;
  }
  return ls->current == s ? count : -count - 1;
}

void read_long_string(LexState* ls, SemInfo* seminfo, int sep) {
  save_and_next(ls);  // second '['
  if (currIsNewline(ls)) inclinenumber(ls);
  for (;;) {
    switch (ls->current) {
      case EOZ: luaX_lexerror(ls, seminfo != nullptr ? "unfinished long string" : "unfinished long comment", TK_EOS);
      case ']':
        if (skip_sep(ls) == sep) {
          save_and_next(ls);  // second ']'
          if (seminfo != nullptr) {
            size_t skip = static_cast<size_t>(2 + sep);
            seminfo->ts = luaX_newstring(ls, luaZ_buffer(ls->buff) + skip, luaZ_bufflen(ls->buff) - 2 * skip);
          }
          return;
        }
        break;
      case '\n':
      case '\r':
        save(ls, '\n');
        inclinenumber(ls);
        if (seminfo == nullptr) luaZ_resetbuffer(ls->buff);
        break;
      default:
        if (seminfo != nullptr) save_and_next(ls);
        else next(ls);
    }
  }
}

// Shows the escape read so far ('\' and the characters in c) in the message.
[[noreturn]] void escerror(LexState* ls, const int* c, int n, const char* msg) {
  luaZ_resetbuffer(ls->buff);
  save(ls, '\\');
  for (int i = 0; i < n && c[i] != EOZ; i++) save(ls, c[i]);
  luaX_lexerror(ls, msg, TK_STRING);
}

int readhexaesc(LexState* ls) {
  int c[3];
  int r = 0;
  c[0] = 'x';
  for (int i = 1; i < 3; i++) {
    next(ls);
    c[i] = ls->current;
    if (!lisxdigit(c[i])) escerror(ls, c, i + 1, "hexadecimal digit expected");
    r = (r << 4) + luaO_hexavalue(c[i]);
  }
  return r;
}

int readdecesc(LexState* ls) {
  int c[3];
  int r = 0;
  int i = 0;
  for (; i < 3 && lisdigit(ls->current); i++) {
    c[i] = ls->current;
    r = 10 * r + c[i] - '0';
    next(ls);
  }
  if (r > UCHAR_MAX) escerror(ls, c, i, "decimal escape too large");
  return r;
}

void read_string(LexState* ls, int del, SemInfo* seminfo) {
  save_and_next(ls);  // the opening quote stays in the buffer
  while (ls->current != del) {
    switch (ls->current) {
      case EOZ: luaX_lexerror(ls, "unfinished string", TK_EOS);
      case '\n':
      case '\r': luaX_lexerror(ls, "unfinished string", TK_STRING);
      case '\\': {
        int c;
        next(ls);
        switch (ls->current) {
          case 'a': c = '\a'; break;
          case 'b': c = '\b'; break;
          case 'f': c = '\f'; break;
          case 'n': c = '\n'; break;
          case 'r': c = '\r'; break;
          case 't': c = '\t'; break;
          case 'v': c = '\v'; break;
          case '*': c = 1; break;
          case '#': c = 2; break;
          case '-': c = 3; break;
          case '|': c = 4; break;
          case '+': c = 5; break;
          case '^': c = 6; break;
          case 'x': c = readhexaesc(ls); break;
          case '\\':
          case '"':
          case '\'': c = ls->current; break;
          case '\n':
          case '\r':
            inclinenumber(ls);
            save(ls, '\n');
            continue;
          case EOZ: continue;  // the loop then reports the unfinished string
          case 'z':
            next(ls);
            while (lisspace(ls->current)) {
              if (currIsNewline(ls)) inclinenumber(ls);
              else next(ls);
            }
            continue;
          default:
            if (!lisdigit(ls->current)) escerror(ls, &ls->current, 1, "invalid escape sequence");
            save(ls, readdecesc(ls));  // the digits are consumed already
            continue;
        }
        next(ls);
        save(ls, c);
        break;
      }
      default: save_and_next(ls);
    }
  }
  save_and_next(ls);  // closing quote
  seminfo->ts = luaX_newstring(ls, luaZ_buffer(ls->buff) + 1, luaZ_bufflen(ls->buff) - 2);
}

int llex(LexState* ls, SemInfo* seminfo) {
  luaZ_resetbuffer(ls->buff);
  for (;;) {
    switch (ls->current) {
      case '\n':
      case '\r': inclinenumber(ls); break;
      case ' ':
      case '\t':
      case '\v':
      case '\f': next(ls); break;
      case '-': {
        next(ls);
        if (ls->current != '-') return '-';
        next(ls);
        if (ls->current == '[') {
          int sep = skip_sep(ls);
          luaZ_resetbuffer(ls->buff);
          if (sep >= 0) {
            read_long_string(ls, nullptr, sep);
            luaZ_resetbuffer(ls->buff);
            break;
          }
        }
        while (!currIsNewline(ls) && ls->current != EOZ) next(ls);
        break;
      }
      case '[': {
        int sep = skip_sep(ls);
        if (sep >= 0) {
          read_long_string(ls, seminfo, sep);
          return TK_STRING;
        }
        if (sep == -1) return '[';
        luaX_lexerror(ls, "invalid long string delimiter", TK_STRING);
      }
      case '=':
        next(ls);
        if (ls->current != '=') return '=';
        next(ls);
        return TK_EQ;
      case '<':
        next(ls);
        if (ls->current == '=') {
          next(ls);
          return TK_LE;
        }
        if (ls->current != '<') return '<';
        next(ls);
        if (ls->current != '>') return TK_SHL;
        next(ls);
        return TK_ROTL;
      case '>':
        next(ls);
        if (ls->current == '=') {
          next(ls);
          return TK_GE;
        }
        if (ls->current != '>') return '>';
        next(ls);
        if (ls->current == '>') {
          next(ls);
          return TK_LSHR;
        }
        if (ls->current == '<') {
          next(ls);
          return TK_ROTR;
        }
        return TK_SHR;
      case '^':
        next(ls);
        if (ls->current != '^') return '^';
        next(ls);
        return TK_BXOR;
      case '~':
        next(ls);
        if (ls->current != '=') return '~';
        next(ls);
        return TK_NE;
      case ':':
        next(ls);
        if (ls->current != ':') return ':';
        next(ls);
        return TK_DBCOLON;
      case '"':
      case '\'': read_string(ls, ls->current, seminfo); return TK_STRING;
      case '.':
        save_and_next(ls);
        if (check_next(ls, ".")) return check_next(ls, ".") ? TK_DOTS : TK_CONCAT;
        if (!lisdigit(ls->current)) return '.';
        read_numeral(ls, seminfo);
        return TK_NUMBER;
      case '0':
      case '1':
      case '2':
      case '3':
      case '4':
      case '5':
      case '6':
      case '7':
      case '8':
      case '9': read_numeral(ls, seminfo); return TK_NUMBER;
      case EOZ: return TK_EOS;
      default: {
        if (lislalpha(ls->current)) {
          do {
            save_and_next(ls);
          } while (lislalnum(ls->current));
          TString* ts = luaX_newstring(ls, luaZ_buffer(ls->buff), luaZ_bufflen(ls->buff));
          seminfo->ts = ts;
          if (isreserved(ts)) return ts->extra - 1 + FIRST_RESERVED;
          return TK_NAME;
        }
        int c = ls->current;  // any other byte is a token of its own
        next(ls);
        return c;
      }
    }
  }
}

}  // namespace

void luaX_init(lua_State* L) {
  for (int i = 0; i < NUM_RESERVED; i++) {
    TString* ts = luaS_new(L, luaX_tokens[i]);
    luaC_fix(ts);
    ts->extra = static_cast<uint8_t>(i + 1);
  }
}

const char* luaX_token2str(LexState* ls, int token) {
  if (token < FIRST_RESERVED) return luaO_pushfstring(ls->L, "'%c'", token);
  const char* s = luaX_tokens[token - FIRST_RESERVED];
  if (token < TK_EOS || token >= TK_SHL) return luaO_pushfstring(ls->L, "'%s'", s);
  return luaO_pushfstring(ls->L, "%s", s);
}

void luaX_lexerror(LexState* ls, const char* msg, int token) {
  char buff[LUA_IDSIZE];
  luaO_chunkid(buff, getstr(ls->source), LUA_IDSIZE);
  msg = luaO_pushfstring(ls->L, "%s:%d: %s", buff, tovo_int2num(ls->linenumber), msg);
  if (token != 0) luaO_pushfstring(ls->L, "%s near %s", msg, txtToken(ls, token));
  luaD_throw(ls->L, LUA_ERRSYNTAX);
}

void luaX_syntaxerror(LexState* ls, const char* msg) { luaX_lexerror(ls, msg, ls->t.token); }

TString* luaX_newstring(LexState* ls, const char* str, size_t l) {
  lua_State* L = ls->L;
  TString* ts = luaS_newlstr(L, str, l);
  setsvalue(L->top, ts);  // anchored while the lookup table may grow
  incr_top(L);
  TValue* o = luaH_set(L, ls->fs->h, L->top - 1);
  if (ttisnil(o)) {
    setbvalue(o, 1);
    luaC_checkGC(L);
  } else {
    ts = tsvalue(&reinterpret_cast<Node*>(o)->key);  // the copy already anchored
  }
  L->top--;
  return ts;
}

void luaX_setinput(lua_State* L, LexState* ls, Zio* z, TString* source, int firstchar) {
  ls->decpoint = '.';
  ls->L = L;
  ls->current = firstchar;
  ls->lookahead.token = TK_EOS;
  ls->z = z;
  ls->fs = nullptr;
  ls->linenumber = 1;
  ls->lastline = 1;
  ls->source = source;
  ls->envn = luaS_newliteral(L, "_ENV");
  luaC_fix(ls->envn);
  luaZ_resizebuffer(L, ls->buff, LUA_MINBUFFER);
}

void luaX_next(LexState* ls) {
  ls->lastline = ls->linenumber;
  if (ls->lookahead.token != TK_EOS) {
    ls->t = ls->lookahead;
    ls->lookahead.token = TK_EOS;
  } else {
    ls->t.token = llex(ls, &ls->t.seminfo);
  }
}

int luaX_lookahead(LexState* ls) {
  ls->lookahead.token = llex(ls, &ls->lookahead.seminfo);
  return ls->lookahead.token;
}
