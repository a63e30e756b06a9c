// The registration lists and the two registration routines.
#include "console/bindings/api_list.h"

#include "console/bindings/api_bindings.h"
#include "console/run/token.h"
#include "script/api/api.h"
#include "script/lib/lib_base.h"

namespace {

constexpr tovo_api_entry ord(const char* name, lua_CFunction f) { return {name, f, TOVO_API_ORDINARY, false}; }
constexpr tovo_api_entry fast(const char* name, lua_CFunction f) { return {name, f, TOVO_API_FAST, false}; }
constexpr tovo_api_entry hidden(const char* name, lua_CFunction f) { return {name, f, TOVO_API_ORDINARY, true}; }

void register_entry(lua_State* L, const tovo_api_entry& e) {
  lua_pushcclosure(L, e.binding, e.kind == TOVO_API_FAST ? TOVO_FAST_CFUNCTION : 0);
  lua_setglobal(L, e.name);
}

}  // namespace

// clang-format off
const tovo_api_entry tovo_api_list[TOVO_API_COUNT] = {
    ord("deli", tremove), ord("add", tinsert), ord("del", tdel), ord("count", tcount),
    ord("flip", kx_flip), hidden("__flip", kx_flip), hidden("__superyield", kx_superyield),
    ord("reset", kx_reset), ord("camera", kx_camera), ord("clip", kx_clip), ord("cls", kx_cls),
    hidden("folder", kx_folder), ord("ls", kx_ls), hidden("dir", kx_ls), hidden("cd", kx_cd),
    hidden("mkdir", kx_mkdir), hidden("backup", kx_backup), hidden("install_demos", kx_install_demos),
    hidden("install_games", kx_install_games), hidden("keyconfig", kx_keyconfig), hidden("splore", kx_splore),
    fast("pset", kxf_pset), fast("pget", kxf_pget), ord("color", kx_color), ord("print", kx_print),
    ord("printh", kx_printh), ord("tostr", kx_tostr), hidden("__tostr", kx_tostr), hidden("__print", kx_print),
    hidden("__printh", kx_printh), ord("cursor", kx_cursor), ord("tonum", kx_tonum), ord("spr", kx_spr),
    ord("sspr", kx_sspr), fast("rect", kxf_rect), fast("rectfill", kxf_rectfill), ord("circ", kx_circ),
    ord("circfill", kx_circfill), ord("oval", kx_oval), ord("ovalfill", kx_ovalfill), ord("line", kx_line),
    ord("tline", kx_tline), ord("pal", kx_pal), ord("palt", kx_palt), ord("fillp", kx_fillp),
    ord("mapdraw", kx_map), ord("map", kx_map), ord("mget", kx_mget), ord("mset", kx_mset), ord("fget", kx_fget),
    ord("fset", kx_fset), ord("sget", kx_sget), ord("sset", kx_sset), ord("music", kx_music), ord("sfx", kx_sfx),
    ord("serial", kx_serial), ord("memcpy", kx_memcpy), ord("memset", kx_memset), ord("reload", kx_reload),
    ord("cstore", kx_cstore), ord("rnd", kx_rnd), fast("srand", kxf_srand), fast("ceil", kxf_ceil),
    fast("sgn", kxf_sgn), fast("abs", kxf_abs), fast("mid", kxf_mid), fast("cos", kxf_cos), fast("sin", kxf_sin),
    fast("sqrt", kxf_sqrt), fast("atan2", kxf_atan2), fast("bnot", kxf_bnot), fast("flr", kxf_flr),
    fast("band", kxf_band), fast("bor", kxf_bor), fast("bxor", kxf_bxor), fast("shl", kxf_shl),
    fast("shr", kxf_shr), fast("lshr", kxf_lshr), fast("rotl", kxf_rotl), fast("rotr", kxf_rotr),
    fast("min", kxf_min), fast("max", kxf_max), ord("peek", kx_peek_multiple), ord("peek2", kx_peek2_multiple),
    ord("peek4", kx_peek4_multiple), fast("poke", kxf_poke), fast("poke2", kxf_poke2), fast("poke4", kxf_poke4),
    hidden("__load", kx_load), ord("load", kx_load), hidden("save", kx_save), ord("run", kx_run),
    ord("stop", kx_stop), hidden("reboot", kx_reboot), hidden("shutdown", kx_shutdown), hidden("exit", kx_shutdown),
    hidden("info", kx_info), hidden("export", kx_export), hidden("import", kx_import), hidden("help", kx_help),
    ord("time", kx_time), hidden("t", kx_time), ord("login", kx_login), ord("logout", kx_logout),
    ord("bbsreq", kx_bbsreq), ord("scoresub", kx_scoresub), ord("extcmd", kx_extcmd),
    hidden("__extcmd", kx_extcmd), hidden("radio", kx_radio), ord("set_draw_slice", kx_set_draw_slice),
    ord("btn", kx_btn), ord("btnp", kx_btnp), hidden("_menuitem", kx_menuitem), ord("cartdata", kx_cartdata),
    ord("dget", kx_dget), ord("dset", kx_dset), ord("stat", kx_stat), ord("sub", kx_sub), ord("chr", kx_chr),
    ord("ord", kx_ord), ord("split", kx_split), hidden("__pairs__", luaB_pairs), hidden("__ipairs__", luaB_ipairs),
    ord("type", kx_type), ord("next", luaB_next), ord("setmetatable", luaB_setmetatable),
    ord("getmetatable", luaB_getmetatable), ord("rawequal", luaB_rawequal), ord("rawlen", luaB_rawlen),
    ord("rawget", luaB_rawget), ord("rawset", luaB_rawset), ord("assert", luaB_assert),
    ord("cocreate", luaB_cocreate), ord("coresume", kx_coresume), ord("yield", kx_yield),
    ord("costatus", luaB_costatus), ord("unpack", unpack), ord("pack", pack), ord("select", luaB_select),
    hidden("__trace", db_traceback), hidden("trace", db_traceback), hidden("holdframe", kx_holdframe),
    hidden("_startframe", kx_holdframe), hidden("_get_menu_item_selected", kx_get_menu_item_selected),
    hidden("_update_buttons", kx_update_buttons), hidden("_update_framerate", kx_update_frame_rate),
    hidden("_set_mainloop_exists", kx_set_mainloop_exists), hidden("_set_fps", kx_set_fps),
    hidden("_mark_cpu", kx_mark_cpu), hidden("_map_display", kx_map_display),
    hidden("__refund_cpu__", kx_refund_cpu),
};
// clang-format on

// clang-format off
const tovo_api_entry tovo_api_system_list[TOVO_API_SYSTEM_COUNT] = {
    hidden("__refund_cpu__", kx_refund_cpu), hidden("__pairs__", luaB_pairs), hidden("__ipairs__", luaB_ipairs),
    hidden("__stop", kx_stop), hidden("__print", kx_print), hidden("__printh", kx_printh),
    hidden("__tostr", kx_tostr), hidden("__load", kx_load), hidden("__extcmd", kx_extcmd),
    hidden("__tostring__", luaB_tostring), hidden("tostring", luaB_tostring), hidden("__type", luaB_type),
    hidden("__select", luaB_select), hidden("__coresume", kx_coresume),
    hidden("__yielded_to_escape_slice", kx__yielded_to_escape_slice), hidden("cd", kx_cd),
    hidden("mkdir", kx_mkdir), hidden("run", kx_run), hidden("ls", kx_ls), hidden("login", kx_login),
    hidden("load", kx_load), hidden("save", kx_save), hidden("help", kx_help), hidden("reboot", kx_reboot),
    hidden("reset", kx_reset), hidden("shutdown", kx_shutdown), hidden("exit", kx_shutdown),
    hidden("info", kx_info), hidden("export", kx_export), hidden("import", kx_import),
};
// clang-format on

void tovo_add_api_names() {
  init_api_function_names();
  for (const tovo_api_entry& e : tovo_api_list)
    if (!e.internal) add_api_function_name(e.name);
}

void add_c_functions(lua_State* L) {
  tovo_add_api_names();
  for (const tovo_api_entry& e : tovo_api_list) register_entry(L, e);
}

void add_c_functions_system(lua_State* L) {
  for (const tovo_api_entry& e : tovo_api_system_list) register_entry(L, e);
}
