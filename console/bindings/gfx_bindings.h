#pragma once
// The drawing functions of the script API: ordinary bindings (kx_) that read
// their arguments by index and return their result count, and fast bindings
// (kxf_) that read the argument slots directly and return one 16.16 number.
// Each charges its work with spend_cpu as its script function is documented.
#include "script/lua.h"

// Draw state
int kxf_pset(lua_State* L);
int kxf_pget(lua_State* L);
int kx_cls(lua_State* L);
int kx_color(lua_State* L);
int kx_clip(lua_State* L);
int kx_camera(lua_State* L);
int kx_fillp(lua_State* L);
int kx_pal(lua_State* L);
int kx_palt(lua_State* L);

// Shapes
int kx_line(lua_State* L);
int kxf_rect(lua_State* L);
int kxf_rectfill(lua_State* L);
int kx_oval(lua_State* L);
int kx_ovalfill(lua_State* L);
int kx_circ(lua_State* L);
int kx_circfill(lua_State* L);

// Sprites and flags
int kx_spr(lua_State* L);
int kx_sspr(lua_State* L);
int kx_sget(lua_State* L);
int kx_sset(lua_State* L);
int kx_fget(lua_State* L);
int kx_fset(lua_State* L);

// Map and textured lines ("map" and "mapdraw" are both kx_map)
int kx_map(lua_State* L);
int kx_mget(lua_State* L);
int kx_mset(lua_State* L);
int kx_tline(lua_State* L);
