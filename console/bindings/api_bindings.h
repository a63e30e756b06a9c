#pragma once
// The console's script bindings as the registration list names them. Each is
// a native function of the script interface: kx_ bindings are ordinary (they
// return their result count), kxf_ bindings are fast (they return one 16.16
// number).
#include "script/lib/lib_base.h"

// Program control (control*.cpp).
int kx_flip(lua_State* L);
int kx_superyield(lua_State* L);
int kx_holdframe(lua_State* L);
int kx_set_fps(lua_State* L);
int kx_set_mainloop_exists(lua_State* L);
int kx_update_buttons(lua_State* L);
int kx_update_frame_rate(lua_State* L);
int kx_mark_cpu(lua_State* L);
int kx_map_display(lua_State* L);
int kx_refund_cpu(lua_State* L);
int kx__yielded_to_escape_slice(lua_State* L);
int kx_yield(lua_State* L);  // yields the running coroutine with its arguments
// The runtime's coroutine resume itself, so that the instruction loop runs
// the coroutines that script code resumes through it in place.
inline constexpr int (*kx_coresume)(lua_State* L) = luaB_coresume;
int kx_time(lua_State* L);
int kx_type(lua_State* L);
int kx_run(lua_State* L);
int kx_stop(lua_State* L);
int kx_reset(lua_State* L);
int kx_load(lua_State* L);
int kx_reboot(lua_State* L);
int kx_shutdown(lua_State* L);
int kx_menuitem(lua_State* L);
int kx_get_menu_item_selected(lua_State* L);
int kx_extcmd(lua_State* L);
int kx_save(lua_State* L);
int kx_info(lua_State* L);
int kx_help(lua_State* L);
int kx_cd(lua_State* L);
int kx_ls(lua_State* L);
int kx_mkdir(lua_State* L);
int kx_folder(lua_State* L);
int kx_backup(lua_State* L);
int kx_install_demos(lua_State* L);
int kx_install_games(lua_State* L);
int kx_keyconfig(lua_State* L);
int kx_splore(lua_State* L);
int kx_login(lua_State* L);
int kx_logout(lua_State* L);
int kx_radio(lua_State* L);
int kx_scoresub(lua_State* L);
int kx_bbsreq(lua_State* L);
int kx_set_draw_slice(lua_State* L);
int kx_export(lua_State* L);
int kx_import(lua_State* L);

// Drawing: pixel pipeline, shapes, sprites, map.
int kxf_pset(lua_State* L);
int kxf_pget(lua_State* L);
int kx_color(lua_State* L);
int kx_camera(lua_State* L);
int kx_clip(lua_State* L);
int kx_cls(lua_State* L);
int kx_pal(lua_State* L);
int kx_palt(lua_State* L);
int kx_fillp(lua_State* L);
int kxf_rect(lua_State* L);
int kxf_rectfill(lua_State* L);
int kx_circ(lua_State* L);
int kx_circfill(lua_State* L);
int kx_oval(lua_State* L);
int kx_ovalfill(lua_State* L);
int kx_line(lua_State* L);
int kx_spr(lua_State* L);
int kx_sspr(lua_State* L);
int kx_fget(lua_State* L);
int kx_fset(lua_State* L);
int kx_sget(lua_State* L);
int kx_sset(lua_State* L);
int kx_map(lua_State* L);
int kx_mget(lua_State* L);
int kx_mset(lua_State* L);
int kx_tline(lua_State* L);

// Print engine.
int kx_print(lua_State* L);
int kx_cursor(lua_State* L);

// Machine queries and host output.
int kx_stat(lua_State* L);
int kx_printh(lua_State* L);

// Strings and values.
int kx_tostr(lua_State* L);
int kx_tonum(lua_State* L);
int kx_sub(lua_State* L);
int kx_chr(lua_State* L);
int kx_ord(lua_State* L);
int kx_split(lua_State* L);

// Memory, math, sound, cart data, buttons, serial.
int kx_peek_multiple(lua_State* L);
int kx_peek2_multiple(lua_State* L);
int kx_peek4_multiple(lua_State* L);
int kxf_poke(lua_State* L);
int kxf_poke2(lua_State* L);
int kxf_poke4(lua_State* L);
int kx_memcpy(lua_State* L);
int kx_memset(lua_State* L);
int kx_reload(lua_State* L);
int kx_cstore(lua_State* L);
int kx_rnd(lua_State* L);
int kxf_srand(lua_State* L);
int kxf_ceil(lua_State* L);
int kxf_sgn(lua_State* L);
int kxf_abs(lua_State* L);
int kxf_mid(lua_State* L);
int kxf_cos(lua_State* L);
int kxf_sin(lua_State* L);
int kxf_sqrt(lua_State* L);
int kxf_atan2(lua_State* L);
int kxf_bnot(lua_State* L);
int kxf_flr(lua_State* L);
int kxf_band(lua_State* L);
int kxf_bor(lua_State* L);
int kxf_bxor(lua_State* L);
int kxf_shl(lua_State* L);
int kxf_shr(lua_State* L);
int kxf_lshr(lua_State* L);
int kxf_rotl(lua_State* L);
int kxf_rotr(lua_State* L);
int kxf_min(lua_State* L);
int kxf_max(lua_State* L);
int kx_music(lua_State* L);
int kx_sfx(lua_State* L);
int kx_serial(lua_State* L);
int kx_btn(lua_State* L);
int kx_btnp(lua_State* L);
int kx_cartdata(lua_State* L);
int kx_dget(lua_State* L);
int kx_dset(lua_State* L);
