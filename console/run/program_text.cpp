// Our prelude and epilogue, written in the cart dialect, and the assembly of
// a program text from them.
#include "console/run/program_text.h"

#include <cstdio>
#include <cstring>

#include "script/api/auxlib.h"

const char TOVO_PROGRAM_HEADER[] = "-- tovo header";
const char TOVO_PROMPT_EPILOGUE[] = "\n _end_of_program = 1 \n";

namespace {

// Everything after the header line stays on one line: error reports count
// the cart's first line as program line 3.
const char prelude_text[] =
    "-- tovo header\n"
    "do "
    "local _refund_cpu_,_pairs,_ipairs,_type,_tostr,_stop,_print,_printh,_tostring,_load,_stat,_extcmd,"
    "__menuitem,_yielded_to_escape_slice,_coresume,_select,_superyield,_mid="
    "__refund_cpu__,__pairs__,__ipairs__,__type,__tostr,__stop,__print,__printh,__tostring__,__load,stat,"
    "__extcmd,_menuitem,__yielded_to_escape_slice,__coresume,__select,__superyield,mid "
    "local _flip,_getmetatable,_costatus,_get_selected=__flip,getmetatable,costatus,_get_menu_item_selected "
    "local _last_menuitem_index,_last_menuitem_callback=0,function() end "
    "local function _none() end "
    "_pausemenu={} "
    "function menuitem(index,label,callback) "
    "if index==nil then index=_last_menuitem_index end "
    "if callback==nil then callback=_last_menuitem_callback end "
    "if _type(index)~=\"number\" then stop(\"bad menuitem index\") return end "
    "if index<1 or index>5 then return end "
    "_pausemenu[index]={label=label,callback=callback} "
    "__menuitem(index,label) "
    "end "
    "function pairs(t) if t==nil then return _none end return _pairs(t) end "
    "function ipairs(t) if t==nil then return _none end return _ipairs(t) end "
    "local function _all(c) "
    "if c==nil or #c==0 then return _none end "
    "if #c>=16 then _refund_cpu_(-16) else _refund_cpu_(-#c) end "
    "local i,li=1,nil "
    "return function() "
    "if c[i]==li then i=i+1 end "
    "while c[i]==nil and i<=#c do i=i+1 end "
    "li=c[i] "
    "_refund_cpu_(-17) "
    "return li "
    "end "
    "end "
    "all=_all "
    "function foreach(t,f) for v in _all(t) do f(v) end end "
    "local function _tostr_w(...) "
    "local a,b,c=... "
    "if c~=nil then return _tostr(...) end "
    "local ty=_type(a) "
    "if (ty==\"table\" and (_getmetatable(a)~=nil or b~=nil)) or (ty==\"function\" and b~=nil) then "
    "return _tostring(a) end "
    "return _tostr(...) "
    "end "
    "tostr=_tostr_w "
    "function stop(...) "
    "if _select(\"#\",...)==0 then return _stop() end "
    "return _stop(_tostr_w((...)),_select(2,...)) "
    "end "
    "function print(...) "
    "if _select(\"#\",...)==0 then return _print() end "
    "return _print(_tostr_w((...)),_select(2,...)) "
    "end "
    "function printh(...) "
    "if _select(\"#\",...)==0 then return _printh() end "
    "return _printh(_tostr_w((...)),_select(2,...)) "
    "end "
    "function load(...) "
    "local r=_load(...) "
    "flip() "
    "local s=_stat(107) "
    "if s>0 then return true end "
    "if s==-1 then return false,\"could not find cart\" end "
    "if s==-2 then return false,\"could not fetch cart\" end "
    "if s==-3 then return false,\"could not connect to bbs\" end "
    "if s<0 or r==nil then return false,\"access denied\" end "
    "return r "
    "end "
    "function extcmd(cmd,...) "
    "local r=_extcmd(cmd,...) "
    "if cmd==\"go_back\" or cmd==\"breadcrumb\" then flip() end "
    "return r "
    "end "
    "function coresume(co,...) "
    "_yielded_to_escape_slice(0) "
    "local ok,r=_coresume(co,...) "
    "while _yielded_to_escape_slice() and _costatus(co)==\"suspended\" do "
    "_yielded_to_escape_slice(0) "
    "ok,r=_coresume(co,...) "
    "end "
    "_yielded_to_escape_slice(0) "
    "return ok,r "
    "end "
    "function flip() "
    "local again "
    "repeat "
    "again=false "
    "for i=1,5 do "
    "local val=_get_selected(i) "
    "if val then "
    "local item=_pausemenu[i] "
    "local cb=item and item.callback "
    "_last_menuitem_index=i "
    "if cb then "
    "_last_menuitem_callback=cb "
    "if cb(val) or (val&3)>0 then again=true end "
    "end "
    "end "
    "end "
    "if again then _extcmd(\"pause\",1) _superyield() end "
    "until not again "
    "_flip() "
    "end "
    "end "
    "__refund_cpu__=nil __ipairs__=nil __pairs__=nil __tostr=nil __stop=nil __print=nil __printh=nil "
    "__load=nil __extcmd=nil __tostring__=nil __yielded_to_escape_slice=nil __coresume=nil __select=nil "
    "__superyield=nil ";

// Button glyphs give the button numbers; the others are fill patterns with
// the transparency bit.
const char glyph_defaults_text[] =
    "\x80=\x80 or 0.5 \x81=\x81 or 23130.5 \x82=\x82 or 20767.5 \x83=\x83 or 3 \x84=\x84 or 32125.5 "
    "\x85=\x85 or -18402.5 \x86=\x86 or -1632.5 \x87=\x87 or 20927.5 \x88=\x88 or -19008.5 "
    "\x89=\x89 or -26208.5 \x8a=\x8a or -20192.5 \x8b=\x8b or 0 \x8c=\x8c or -24351.5 \x8d=\x8d or -25792.5 "
    "\x8e=\x8e or 4 \x8f=\x8f or -20032.5 \x90=\x90 or -2560.5 \x91=\x91 or 1 \x92=\x92 or -20128.5 "
    "\x93=\x93 or 6943.5 \x94=\x94 or 2 \x95=\x95 or -2624.5 \x96=\x96 or 31455.5 \x97=\x97 or 5 "
    "\x98=\x98 or 3855.5 \x99=\x99 or 21845.5 ;";

#define TOVO_ALIASES_1                                                                                      \
  "time,sub,chr,ord,tostr,tonum,add,del,deli,clip,color,pal,palt,fillp,pget,pset,sget,sset,fget,fset,circ," \
  "circfill,rect,rectfill,oval,ovalfill,line,spr,sspr"
#define TOVO_ALIASES_2                                                                                       \
  "mget,mset,tline,peek,poke,peek2,poke2,peek4,poke4,memcpy,memset,max,min,mid,flr,ceil,cos,sin,atan2,rand," \
  "srand,band,bor,bxor,bnot,shl,shr,lshr,rotl,rotr"

const char alias_line_text[] =
    "local " TOVO_ALIASES_1 "=" TOVO_ALIASES_1 " local " TOVO_ALIASES_2 "=" TOVO_ALIASES_2 ";";

const char epilogue_text[] =
    "\n_end_of_program = 1\n"
    "if _init then _init() end\n"
    "_set_mainloop_exists(0)\n"
    "if _mainloop then _set_mainloop_exists(1) end\n"
    "if _update60 then _set_fps(60) _update=nil else _set_fps(30) end\n"
    "if not _mainloop and (_draw or _update or _update60) then\n"
    " _set_mainloop_exists(2)\n"
    " _mainloop=function()\n"
    "  while true do\n"
    "   if _update60 then _update_buttons(1) else _update_buttons(2) end\n"
    "   _startframe()\n"
    "   local fps=stat(7)\n"
    "   if fps==60 then\n"
    "    _mark_cpu(0) if _update60 then _update60() end\n"
    "   elseif fps==30 then\n"
    "    if _update60 then _update60() _update_buttons(1) _mark_cpu(0) _update60()\n"
    "    else _mark_cpu(0) if _update then _update() end end\n"
    "   elseif fps==15 and _update then\n"
    "    _update() _update_buttons(2) _mark_cpu(0) _update()\n"
    "   end\n"
    "   _mark_cpu(1)\n"
    "   if _draw then\n"
    "    local res,di=true,0\n"
    "    while di<stat(11) and res do\n"
    "     res=_map_display(di)\n"
    "     if res then res=_draw() end\n"
    "     di=di+1\n"
    "    end\n"
    "    _map_display(0)\n"
    "   end\n"
    "   _mark_cpu(2) _update_framerate() flip()\n"
    "  end\n"
    " end\n"
    "end\n"
    "if _mainloop then _mainloop() end\n";

const char* const short_words[] = {
    "help",      "run",    "cls",    "folder", "reboot",        "shutdown",      "ls",     "dir",
    "mkdir",     "cd",     "load",   "save",   "install_demos", "install_games", "info",   "export",
    "keyconfig", "splore", "import", "login",  "logout",        "upload",        "backup", "reset",
};

// Appends text at *used; false when it does not fit.
bool append(char* out, int32_t out_size, int32_t* used, const char* text) {
  size_t n = std::strlen(text);
  if (static_cast<size_t>(out_size - *used) <= n) return false;
  std::memcpy(out + *used, text, n + 1);
  *used += static_cast<int32_t>(n);
  return true;
}

}  // namespace

const char* tovo_prelude() { return prelude_text; }
const char* tovo_glyph_defaults() { return glyph_defaults_text; }
const char* tovo_alias_line() { return alias_line_text; }

bool tovo_is_short_word(const char* text) {
  for (const char* word : short_words)
    if (std::strcmp(text, word) == 0) return true;
  return false;
}

int tovo_short_command(const char* text, int is_prompt_line, const char* prefix, char* out, int32_t out_size) {
  int found = 0;
  size_t text_len = std::strlen(text);
  for (const char* word : short_words) {
    size_t n = std::strlen(word);
    if (std::strcmp(text, word) == 0) {
      std::snprintf(out, static_cast<size_t>(out_size), "%s %s()", prefix, word);
      found = 1;
    } else if (text_len >= n + 2 && std::strncmp(text, word, n) == 0 && text[n] == ' ' && text[n + 1] != '"') {
      std::snprintf(out, static_cast<size_t>(out_size), "%s %s(\"%s\")", prefix, word, text + n + 1);
      found = 1;
    }
  }
  if (is_prompt_line && std::strcmp(text, "s") == 0) {
    std::snprintf(out, static_cast<size_t>(out_size), "%s splore()", prefix);
    found = 1;
  }
  return found;
}

int tovo_assemble_program(const char* code, int is_prompt_line, int global_api, const char* cart_lid, char* out,
                          int32_t out_size) {
  std::memset(out, 0, static_cast<size_t>(out_size));
  int32_t used = 0;
  bool ok = append(out, out_size, &used, tovo_prelude()) && append(out, out_size, &used, tovo_glyph_defaults()) &&
            (global_api || append(out, out_size, &used, tovo_alias_line())) && append(out, out_size, &used, ";\n");
  if (ok && cart_lid && (std::strcmp(cart_lid, "19488") == 0 || std::strcmp(cart_lid, "10388") == 0))
    ok = append(out, out_size, &used, " nd=0 ");
  if (ok) {
    // A short command stands for a call to it. A cart's code is rewritten
    // only when it is the bare word: "cd = 1" stays an assignment.
    int32_t command_size = out_size - used;
    bool command = is_prompt_line || tovo_is_short_word(code);
    if (command && tovo_short_command(code, is_prompt_line, "", out + used, command_size)) {
      size_t n = std::strlen(out + used);
      ok = n + 1 < static_cast<size_t>(command_size);
      used += static_cast<int32_t>(n);
    } else {
      ok = append(out, out_size, &used, code);
    }
  }
  if (ok) ok = append(out, out_size, &used, is_prompt_line ? TOVO_PROMPT_EPILOGUE : epilogue_text);
  if (!ok) {
    std::memset(out, 0, static_cast<size_t>(out_size));
    return 1;
  }
  return 0;
}

int tovo_compile_program(lua_State* L, const char* text) {
  return luaL_loadbufferx(L, text, std::strlen(text), text, "t");
}
