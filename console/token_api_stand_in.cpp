// Stand-in API name list (see token_api_stand_in.h): the 110 script-visible
// API names in the order the API registers them.
#include "console/token_api_stand_in.h"

#include "console/token.h"

namespace {

const char* const stand_in_api_names[] = {
    "deli", "add", "del", "count", "flip", "reset", "camera", "clip", "cls", "ls", "pset", "pget",
    "color", "print", "printh", "tostr", "cursor", "tonum", "spr", "sspr", "rect", "rectfill",
    "circ", "circfill", "oval", "ovalfill", "line", "tline", "pal", "palt", "fillp", "mapdraw",
    "map", "mget", "mset", "fget", "fset", "sget", "sset", "music", "sfx", "serial", "memcpy",
    "memset", "reload", "cstore", "rnd", "srand", "ceil", "sgn", "abs", "mid", "cos", "sin", "sqrt",
    "atan2", "bnot", "flr", "band", "bor", "bxor", "shl", "shr", "lshr", "rotl", "rotr", "min",
    "max", "peek", "peek2", "peek4", "poke", "poke2", "poke4", "load", "run", "stop", "time",
    "login", "logout", "bbsreq", "scoresub", "extcmd", "set_draw_slice", "btn", "btnp", "cartdata",
    "dget", "dset", "stat", "sub", "chr", "ord", "split", "type", "next", "setmetatable",
    "getmetatable", "rawequal", "rawlen", "rawget", "rawset", "assert", "cocreate", "coresume",
    "yield", "costatus", "unpack", "pack", "select",
};

}  // namespace

void tovo_add_stand_in_api_names() {
  init_api_function_names();
  for (const char* name : stand_in_api_names) add_api_function_name(name);
}
