// The os library. Time values (os.time, the time argument of os.date,
// os.difftime) are passed as raw 32-bit values, since seconds since 1970 do
// not fit a 16.16 number; date fields are whole numbers. os.clock gives
// seconds of processor time as a number. The numeric locale stays "C":
// os.setlocale answers queries and accepts only "C" and "POSIX".
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "script/api/auxlib.h"
#include "script/lualib.h"

extern char** environ;

namespace {

constexpr const char* DATE_CONVERSIONS = "aAbBcdHIjmMpSUwWxXyYz%";

// A raw value from a double, saturating at the ends of the range.
lua_Number saturate(double d) {
  if (d >= 2147483647.0) return INT32_MAX;
  if (d <= -2147483648.0) return INT32_MIN;
  return static_cast<lua_Number>(d);
}

int os_clock(lua_State* L) {
  double seconds = static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
  lua_pushnumber(L, saturate(seconds * 65536.0));
  return 1;
}

void set_field(lua_State* L, const char* key, int value) {
  lua_pushinteger(L, value);
  lua_setfield(L, -2, key);
}

void set_bool_field(lua_State* L, const char* key, int value) {
  if (value < 0) return;  // unknown
  lua_pushboolean(L, value);
  lua_setfield(L, -2, key);
}

// A whole-number field of the date table at the top; d < 0 means required.
int get_field(lua_State* L, const char* key, int d) {
  lua_getfield(L, -1, key);
  int isnum = 0;
  int r = lua_tointegerx(L, -1, &isnum);
  if (!isnum) {
    if (d < 0) luaL_error(L, "field '%s' missing in date table", key);
    r = d;
  }
  lua_pop(L, 1);
  return r;
}

int get_bool_field(lua_State* L, const char* key) {
  lua_getfield(L, -1, key);
  int r = lua_isnil(L, -1) ? -1 : lua_toboolean(L, -1);
  lua_pop(L, 1);
  return r;
}

int os_date(lua_State* L) {
  const char* s = luaL_optstring(L, 1, "%c");
  time_t t = lua_isnoneornil(L, 2) ? std::time(nullptr) : static_cast<time_t>(luaL_checknumber(L, 2));
  std::tm parts;
  std::tm* stm;
  if (*s == '!') {
    stm = gmtime_r(&t, &parts);
    s++;
  } else {
    stm = localtime_r(&t, &parts);
  }
  if (stm == nullptr) {
    lua_pushnil(L);
    return 1;
  }
  if (std::strcmp(s, "*t") == 0) {
    lua_createtable(L, 0, 9);
    set_field(L, "sec", stm->tm_sec);
    set_field(L, "min", stm->tm_min);
    set_field(L, "hour", stm->tm_hour);
    set_field(L, "day", stm->tm_mday);
    set_field(L, "month", stm->tm_mon + 1);
    set_field(L, "year", stm->tm_year + 1900);
    set_field(L, "wday", stm->tm_wday + 1);
    set_field(L, "yday", stm->tm_yday + 1);
    set_bool_field(L, "isdst", stm->tm_isdst);
    return 1;
  }
  luaL_Buffer b;
  luaL_buffinit(L, &b);
  for (; *s != '\0'; s++) {
    if (*s != '%') {
      luaL_addchar(&b, *s);
      continue;
    }
    s++;
    if (*s == '\0' || std::strchr(DATE_CONVERSIONS, *s) == nullptr) {
      char conv[2] = {*s, '\0'};
      luaL_argerror(L, 1, lua_pushfstring(L, "invalid conversion specifier '%%%s'", conv));
    }
    char spec[3] = {'%', *s, '\0'};
    char out[256];
    size_t n = std::strftime(out, sizeof out, spec, stm);
    luaL_addlstring(&b, out, n);
  }
  luaL_pushresult(&b);
  return 1;
}

int os_time(lua_State* L) {
  time_t t;
  if (lua_isnoneornil(L, 1)) {
    t = std::time(nullptr);
  } else {
    luaL_checktype(L, 1, LUA_TTABLE);
    lua_settop(L, 1);
    std::tm ts{};
    ts.tm_sec = get_field(L, "sec", 0);
    ts.tm_min = get_field(L, "min", 0);
    ts.tm_hour = get_field(L, "hour", 12);
    ts.tm_mday = get_field(L, "day", -1);
    ts.tm_mon = get_field(L, "month", -1) - 1;
    ts.tm_year = get_field(L, "year", -1) - 1900;
    ts.tm_isdst = get_bool_field(L, "isdst");
    t = std::mktime(&ts);
  }
  if (t == static_cast<time_t>(-1)) {
    lua_pushnil(L);
  } else {
    lua_pushnumber(L, static_cast<lua_Number>(static_cast<uint32_t>(t)));
  }
  return 1;
}

int os_difftime(lua_State* L) {
  time_t t1 = static_cast<time_t>(luaL_checknumber(L, 1));
  time_t t2 = static_cast<time_t>(luaL_optnumber(L, 2, 0));
  lua_pushnumber(L, saturate(std::difftime(t1, t2)));
  return 1;
}

// Runs the command through the shell, as the script asked; the command is
// the script's own text, handed over as one argument.
int os_execute(lua_State* L) {
  const char* cmd = luaL_optstring(L, 1, nullptr);
  if (cmd == nullptr) {
    lua_pushboolean(L, access("/bin/sh", X_OK) == 0);
    return 1;
  }
  char sh[] = "sh", dash_c[] = "-c";
  char* argv[] = {sh, dash_c, const_cast<char*>(cmd), nullptr};
  pid_t pid = 0;
  int stat = -1;
  int err = posix_spawnp(&pid, "sh", nullptr, nullptr, argv, environ);
  if (err != 0) {
    errno = err;
  } else {
    while (waitpid(pid, &stat, 0) < 0) {
      if (errno != EINTR) {
        stat = -1;
        break;
      }
    }
  }
  return luaL_execresult(L, stat);
}

int os_remove(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  return luaL_fileresult(L, std::remove(name) == 0, name);
}

int os_rename(lua_State* L) {
  const char* from = luaL_checkstring(L, 1);
  const char* to = luaL_checkstring(L, 2);
  return luaL_fileresult(L, std::rename(from, to) == 0, from);
}

int os_tmpname(lua_State* L) {
  char name[] = "/tmp/lua_XXXXXX";
  int fd = mkstemp(name);
  if (fd == -1) luaL_error(L, "unable to generate a unique filename");
  close(fd);
  lua_pushstring(L, name);
  return 1;
}

int os_getenv(lua_State* L) {
  lua_pushstring(L, std::getenv(luaL_checkstring(L, 1)));  // null pushes nil
  return 1;
}

int os_setlocale(lua_State* L) {
  static const int categories[] = {LC_ALL, LC_COLLATE, LC_CTYPE, LC_MONETARY, LC_NUMERIC, LC_TIME};
  static const char* const names[] = {"all", "collate", "ctype", "monetary", "numeric", "time", nullptr};
  const char* locale = luaL_optstring(L, 1, nullptr);
  int category = categories[luaL_checkoption(L, 2, "all", names)];
  if (locale == nullptr || std::strcmp(locale, "C") == 0 || std::strcmp(locale, "POSIX") == 0) {
    lua_pushstring(L, std::setlocale(category, locale));
  } else {
    lua_pushnil(L);  // not available: the process keeps the "C" locale
  }
  return 1;
}

int os_exit(lua_State* L) {
  int status = lua_type(L, 1) == LUA_TBOOLEAN ? (lua_toboolean(L, 1) ? EXIT_SUCCESS : EXIT_FAILURE)
                                              : luaL_optinteger(L, 1, EXIT_SUCCESS);
  if (lua_toboolean(L, 2)) lua_close(L);
  std::fflush(nullptr);
  std::exit(status);
}

const luaL_Reg syslib[] = {
    {"clock", os_clock},         {"date", os_date},     {"difftime", os_difftime}, {"execute", os_execute},
    {"exit", os_exit},           {"getenv", os_getenv}, {"remove", os_remove},     {"rename", os_rename},
    {"setlocale", os_setlocale}, {"time", os_time},     {"tmpname", os_tmpname},   {nullptr, nullptr},
};

}  // namespace

int luaopen_os(lua_State* L) {
  lua_newtable(L);
  luaL_setfuncs(L, syslib, 0);
  return 1;
}
