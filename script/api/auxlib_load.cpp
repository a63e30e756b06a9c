// Auxiliary library: loading chunks from memory and files, and the
// stand-alone state over the host allocator.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "script/api/auxlib.h"

namespace {

struct LoadS {
  const char* s;
  size_t size;
};

const char* getS(lua_State*, void* ud, size_t* size) {
  LoadS* ls = static_cast<LoadS*>(ud);
  if (ls->size == 0) return nullptr;
  *size = ls->size;
  ls->size = 0;
  return ls->s;
}

struct LoadF {
  int n;  // characters pre-read into buff
  FILE* f;
  char buff[BUFSIZ];
};

const char* getF(lua_State*, void* ud, size_t* size) {
  LoadF* lf = static_cast<LoadF*>(ud);
  if (lf->n > 0) {  // the pre-read characters first
    *size = static_cast<size_t>(lf->n);
    lf->n = 0;
  } else {
    if (std::feof(lf->f)) return nullptr;
    *size = std::fread(lf->buff, 1, sizeof lf->buff, lf->f);
  }
  return lf->buff;
}

int errfile(lua_State* L, const char* what, int fnameindex) {
  const char* serr = std::strerror(errno);
  const char* filename = lua_tostring(L, fnameindex) + 1;
  lua_pushfstring(L, "cannot %s %s: %s", what, filename, serr);
  lua_remove(L, fnameindex);
  return LUA_ERRFILE;
}

// Skips a UTF-8 byte-order mark; the first character after it, or EOF.
int skipBOM(LoadF* lf) {
  const char* p = "\xEF\xBB\xBF";
  lf->n = 0;
  int c;
  do {
    c = std::getc(lf->f);
    if (c == EOF || c != *reinterpret_cast<const unsigned char*>(p)) return c;
    lf->buff[lf->n++] = static_cast<char>(c);
  } while (*++p != '\0');
  lf->n = 0;  // a whole mark: dropped
  return std::getc(lf->f);
}

// Skips the mark and a first line starting with '#' (kept as an empty line
// so that line numbers stay right). True when a comment was skipped.
bool skipcomment(LoadF* lf, int* cp) {
  int c = *cp = skipBOM(lf);
  if (c != '#') return false;
  do {
    c = std::getc(lf->f);
  } while (c != EOF && c != '\n');
  *cp = std::getc(lf->f);
  return true;
}

int panic(lua_State* L) {
  const char* msg = lua_tostring(L, -1);
  std::fprintf(stderr, "PANIC: unprotected error in call to Lua API (%s)\n", msg != nullptr ? msg : "?");
  return 0;
}

void* host_alloc(void*, void* block, size_t, size_t new_size) {
  if (new_size == 0) {
    std::free(block);
    return nullptr;
  }
  return std::realloc(block, new_size);
}

}  // namespace

int luaL_loadbufferx(lua_State* L, const char* buff, size_t sz, const char* name, const char* mode) {
  LoadS ls{buff, sz};
  return lua_load(L, getS, &ls, name != nullptr ? name : "?", mode);
}

int luaL_loadstring(lua_State* L, const char* s) { return luaL_loadbufferx(L, s, std::strlen(s), s, nullptr); }

int luaL_loadfilex(lua_State* L, const char* filename, const char* mode) {
  LoadF lf;
  int fnameindex = lua_gettop(L) + 1;  // the chunk name's slot
  if (filename == nullptr) {
    lua_pushstring(L, "=stdin");
    lf.f = stdin;
  } else {
    lua_pushfstring(L, "@%s", filename);
    lf.f = std::fopen(filename, "r");
    if (lf.f == nullptr) return errfile(L, "open", fnameindex);
  }
  int c = 0;
  if (skipcomment(&lf, &c)) lf.buff[lf.n++] = '\n';
  if (c == LUA_SIGNATURE_FIRST && filename != nullptr) {  // a binary chunk: reopen in binary mode
    lf.f = std::freopen(filename, "rb", lf.f);
    if (lf.f == nullptr) return errfile(L, "reopen", fnameindex);
    skipcomment(&lf, &c);
  }
  if (c != EOF) lf.buff[lf.n++] = static_cast<char>(c);
  int status = lua_load(L, getF, &lf, lua_tostring(L, -1), mode);
  int readstatus = std::ferror(lf.f);
  if (filename != nullptr) std::fclose(lf.f);
  if (readstatus) {
    lua_settop(L, fnameindex);  // drops the results of the load
    return errfile(L, "read", fnameindex);
  }
  lua_remove(L, fnameindex);
  return status;
}

lua_State* luaL_newstate() {
  lua_State* L = lua_newstate(host_alloc, nullptr);
  if (L != nullptr) lua_atpanic(L, panic);
  return L;
}

void luaL_openlibs(lua_State* L) {
  luaL_getsubtable(L, LUA_REGISTRYINDEX, "_PRELOAD");
  lua_pop(L, 1);
}
