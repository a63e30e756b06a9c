// runscript FILE: runs one script file on a fresh interpreter state, with the
// library functions that carts can reach plus the base functions and a print
// that writes to standard output, under an unlimited cycle budget. Compile
// and runtime errors go to standard error and end with status 1.
// Option -m prints the peak script memory to standard error at the end.
// Option -l also opens the runtime's standard libraries (string, table, math,
// os, bit32, package, debug, ...), so that scripts written for stock Lua 5.2
// run; carts never get them.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "script/api/auxlib.h"
#include "script/lib/lib_base.h"
#include "script/lualib.h"
#include "script/value/small_alloc.h"
#include "script/vm/cpu.h"
#include "tools/runscript_host.h"

namespace {

// Counts the bytes the state holds (the runtime names a block's size when
// it resizes or frees it); small blocks come from a pool, and blocks above
// it up to MEDIUM_MAX bytes come in classes of MEDIUM_GRAIN bytes that wait,
// once freed, on a list of their class for the next block of it, as the
// console's allocator keeps them: long strings of a few hundred bytes
// would otherwise go to the C heap and back each time.
constexpr size_t MEDIUM_GRAIN = 64;
constexpr size_t MEDIUM_MAX = 4096;
static_assert(TOVO_SMALL_MAX % MEDIUM_GRAIN == 0 && MEDIUM_MAX % MEDIUM_GRAIN == 0);

struct counting_alloc {
  size_t in_use = 0;
  size_t peak = 0;
  tovo_small_pool pool;
  void* medium_free[MEDIUM_MAX / MEDIUM_GRAIN] = {};  // linked through each block's first word
};

bool small(size_t size) { return size <= TOVO_SMALL_MAX; }
bool medium(size_t size) { return size > TOVO_SMALL_MAX && size <= MEDIUM_MAX; }
size_t medium_capacity(size_t size) { return (size + MEDIUM_GRAIN - 1) & ~(MEDIUM_GRAIN - 1); }
void** medium_list(counting_alloc* a, size_t size) { return &a->medium_free[medium_capacity(size) / MEDIUM_GRAIN - 1]; }

// The bytes of the class a block of size bytes (1 or more) is made in; 0
// for a block of the C heap, which has no class.
size_t class_of(size_t size) {
  if (small(size)) return tovo_small_capacity(size);
  return medium(size) ? medium_capacity(size) : 0;
}

// A new block of size bytes (1 or more), or null.
void* take(counting_alloc* a, size_t size) {
  if (small(size)) return luaM_small_alloc(&a->pool, size);
  if (!medium(size)) return std::malloc(size);
  void** list = medium_list(a, size);
  if (void* block = *list) {
    *list = *static_cast<void**>(block);
    TOVO_SMALL_UNPOISON(block, medium_capacity(size));
    return block;
  }
  return std::malloc(medium_capacity(size));
}

void release(counting_alloc* a, void* block, size_t size) {
  if (small(size)) {
    tovo_small_free(&a->pool, block, size);
  } else if (medium(size)) {
    void** list = medium_list(a, size);
    *static_cast<void**>(block) = *list;
    *list = block;
    TOVO_SMALL_POISON(static_cast<char*>(block) + sizeof(void*), medium_capacity(size) - sizeof(void*));
  } else {
    std::free(block);
  }
}

// Frees the blocks waiting on the medium lists.
void release_medium(counting_alloc* a) {
  for (size_t i = 0; i < MEDIUM_MAX / MEDIUM_GRAIN; i++) {
    while (void* block = a->medium_free[i]) {
      a->medium_free[i] = *static_cast<void**>(block);
      TOVO_SMALL_UNPOISON(block, (i + 1) * MEDIUM_GRAIN);
      std::free(block);
    }
  }
}

// The block (of old_size bytes, or null) resized to new_size bytes: in place
// while both sizes are of one class.
void* resize(counting_alloc* a, void* block, size_t old_size, size_t new_size) {
  size_t new_class = class_of(new_size);
  if (block != nullptr && new_class != 0 && class_of(old_size) == new_class) return block;
  if (new_class == 0 && (block == nullptr || class_of(old_size) == 0)) return std::realloc(block, new_size);
  void* p = take(a, new_size);
  if (p == nullptr || block == nullptr) return p;
  std::memcpy(p, block, old_size < new_size ? old_size : new_size);
  release(a, block, old_size);
  return p;
}

// counting_realloc for any request.
[[gnu::noinline]] void* counted_request(counting_alloc* a, void* block, size_t old_size, size_t new_size) {
  if (block == nullptr) old_size = 0;  // old size names the kind of object
  if (new_size == 0) {
    a->in_use -= old_size;
    if (block != nullptr) release(a, block, old_size);
    return nullptr;
  }
  void* p = resize(a, block, old_size, new_size);
  if (p == nullptr) return nullptr;
  a->in_use = a->in_use - old_size + new_size;
  if (a->in_use > a->peak) a->peak = a->in_use;
  return p;
}

// The commonest requests, a new small or medium block its list has and the
// free of one, on a short road that saves no registers; every other request
// goes to counted_request.
void* counting_realloc(void* ud, void* block, size_t old_size, size_t new_size) {
  counting_alloc* a = static_cast<counting_alloc*>(ud);
  if (block == nullptr && new_size - 1 < MEDIUM_MAX) {
    void** list = small(new_size) ? &a->pool.free_list[(new_size - 1) / TOVO_SMALL_GRAIN] : medium_list(a, new_size);
    if (void* p = *list) {
      *list = *static_cast<void**>(p);
      TOVO_SMALL_UNPOISON(p, class_of(new_size));
      a->in_use += new_size;
      if (a->in_use > a->peak) a->peak = a->in_use;
      return p;
    }
  } else if (block != nullptr && new_size == 0 && old_size <= MEDIUM_MAX) {
    a->in_use -= old_size;
    release(a, block, old_size);
    return nullptr;
  }
  return counted_request(a, block, old_size, new_size);
}

int print(lua_State* L) {
  int n = lua_gettop(L);
  for (int i = 1; i <= n; i++) {
    size_t len = 0;
    const char* s = luaL_tolstring(L, i, &len);
    if (i > 1) std::fputc('\t', stdout);
    std::fwrite(s, 1, len, stdout);
    lua_pop(L, 1);
  }
  std::fputc('\n', stdout);
  return 0;
}

// Message handler: the message with a traceback.
int traceback(lua_State* L) {
  const char* msg = lua_tostring(L, 1);
  if (msg == nullptr) msg = lua_pushfstring(L, "(error object is a %s value)", lua_typename(L, lua_type(L, 1)));
  luaL_traceback(L, L, msg, 1);
  return 1;
}

const luaL_Reg functions[] = {
    {"add", tinsert},
    {"del", tdel},
    {"deli", tremove},
    {"count", tcount},
    {"pairs", luaB_pairs},
    {"ipairs", luaB_ipairs},
    {"type", luaB_type},
    {"next", luaB_next},
    {"setmetatable", luaB_setmetatable},
    {"getmetatable", luaB_getmetatable},
    {"rawequal", luaB_rawequal},
    {"rawlen", luaB_rawlen},
    {"rawget", luaB_rawget},
    {"rawset", luaB_rawset},
    {"assert", luaB_assert},
    {"cocreate", luaB_cocreate},
    {"coresume", luaB_coresume},
    {"costatus", luaB_costatus},
    {"yield", luaB_yield},
    {"unpack", unpack},
    {"pack", pack},
    {"select", luaB_select},
    {"tostring", luaB_tostring},
    {"tonumber", luaB_tonumber},
    {"error", luaB_error},
    {"pcall", luaB_pcall},
    {"xpcall", luaB_xpcall},
    {"collectgarbage", luaB_collectgarbage},
    {"load", luaB_load},
    {"print", print},
    {nullptr, nullptr},
};

void report(const char* what, lua_State* L) {
  std::fflush(stdout);
  const char* msg = lua_tostring(L, -1);
  std::fprintf(stderr, "%s: %s\n", what, msg != nullptr ? msg : "(no message)");
}

}  // namespace

int main(int argc, char** argv) {
  bool show_memory = false, open_libraries = false;
  int first = 1;
  for (; first < argc - 1; first++) {
    if (std::strcmp(argv[first], "-m") == 0) {
      show_memory = true;
    } else if (std::strcmp(argv[first], "-l") == 0) {
      open_libraries = true;
    } else {
      break;
    }
  }
  if (first != argc - 1) {
    std::fprintf(stderr, "usage: runscript [-m] [-l] FILE\n");
    return 2;
  }
  const char* path = argv[argc - 1];
  counting_alloc alloc;
  lua_State* L = lua_newstate(counting_realloc, &alloc);
  if (L == nullptr) {
    std::fprintf(stderr, "runscript: cannot create a state\n");
    return 1;
  }
  lua_sethost(L, &runscript_host);
  lua_rawgeti(L, LUA_REGISTRYINDEX, LUA_RIDX_GLOBALS);
  luaL_setfuncs(L, functions, 0);
  lua_pop(L, 1);
  if (open_libraries) luaL_openalllibs(L);
  lua_reset_cpu_cycles(L, 0);
  lua_set_cpu_cycles_slice_max(L, INT32_MAX);
  int status = LUA_OK;
  lua_pushcfunction(L, traceback);
  if (luaL_loadfile(L, path) != LUA_OK) {
    report("compile error", L);
    status = 1;
  } else if (lua_pcall(L, 0, 0, 1) != LUA_OK) {
    report("runtime error", L);
    status = 1;
  }
  std::fflush(stdout);
  lua_close(L);
  luaM_small_release(&alloc.pool);
  release_medium(&alloc);
  if (show_memory) std::fprintf(stderr, "peak script memory: %zu bytes\n", alloc.peak);
  return status;
}
