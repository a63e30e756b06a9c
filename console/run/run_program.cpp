// Making the interpreter, starting a cart and compiling its program text.
#include <cstdio>
#include <cstring>
#include <ctime>

#include "console/bindings/api_list.h"
#include "console/draw/gfx_state.h"
#include "console/machine/address_space.h"
#include "console/machine/alloc.h"
#include "console/machine/button.h"
#include "console/machine/machine_prng.h"
#include "console/machine/machine_record.h"
#include "console/machine/mem_bulk.h"
#include "console/machine/pstate.h"
#include "console/machine/serial.h"
#include "console/print/console_print.h"
#include "console/print/host_output.h"
#include "console/run/code_tabs.h"
#include "console/run/config_command.h"
#include "console/run/errors.h"
#include "console/run/include.h"
#include "console/run/pre.h"
#include "console/run/program_text.h"
#include "console/run/run.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/script_host.h"
#include "console/run/shell_port.h"
#include "console/run/token.h"
#include "engine/log.h"
#include "engine/tarq.h"
#include "engine/tracked_mem.h"
#include "script/api/auxlib.h"
#include "script/vm/cpu.h"

int32_t tovo_clock() { return run_state().clock_held ? run_state().held_clock_ms : tarq_get_time(); }

namespace {

constexpr int32_t WORK_SIZE = TOVO_PROGRAM_SIZE;
constexpr int32_t BYTES_PER_TOKEN = 12;

char lua_code_buffer[TOVO_PROGRAM_SIZE];
bool starting_cart = false;

void print_refusal(const tovo_text_result& result) {
  tovo_print_col(result.message, 6);
  if (result.detail[0]) tovo_print_col(result.detail, 6);
}

// Flattens, checks and preprocesses a cart's text into out; false (after
// printing the refusal) when it is refused.
bool prepare_code(const char* text, int is_prompt_line, char* flat, char* out, int32_t* overhead) {
  tovo_text_result result{};
  if (tovo_flatten_includes(text, flat, WORK_SIZE, &result) != 0) {
    print_refusal(result);
    return false;
  }
  if (!is_prompt_line) {
    if (tovo_check_code_limits(flat, &result) != 0) {
      print_refusal(result);
      return false;
    }
    *overhead = result.tokens * BYTES_PER_TOKEN;
  }
  if (tovo_preprocess(flat, out, WORK_SIZE, &result) != 0) {
    print_refusal(result);
    return false;
  }
  return true;
}

}  // namespace

void reset_lua_machine() {
  if (L0_cart()) lua_close(L0_cart());
  L0_cart() = L0() = tovo_new_lua_state();
  L0_command() = nullptr;
  if (!L0()) return;
  lua_sethost(L0(), &tovo_script_host);
  L0_command() = lua_newthread(L0());
  lua_setfield(L0(), LUA_REGISTRYINDEX, "tovo_command");  // keeps the thread alive
  add_c_functions(L0());
  lua_gc(L0(), LUA_GCSETPAUSE, 100);
  lua_gc(L0(), LUA_GCSETSTEPMUL, 200);
}

void get_lid_from_filename(const char* path, char* out, int out_size) {
  if (out_size < 1) return;
  out[0] = 0;
  if (!path || !path[0]) return;
  const char* ext = nullptr;
  for (const char* p = path + 1; *p; p++) {
    if (p[0] == '.' && (p[1] == 'k' || p[1] == 'K') && (p[2] == 'x' || p[2] == 'X')) {
      ext = p;
      break;
    }
  }
  if (!ext) return;
  const char* start = ext;
  auto id_char = [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '-';
  };
  while (start > path && id_char(start[-1])) start--;
  std::snprintf(out, static_cast<size_t>(out_size), "%.*s", static_cast<int>(ext - start), start);
}

int is_bbs_cart_file(const char* path) {
  const char* bbs = tovo_shell().bbs_path();
  return path && bbs[0] && std::strstr(path, bbs) ? 1 : 0;
}

namespace {

// The running file name: the current file less the root folder it lies in;
// a bulletin-board cart has no file name but its cart id.
void set_running_names(const char* current) {
  const char* root = tovo_shell().root_path();
  const char* bbs = tovo_shell().bbs_path();
  const char* name = current;
  if (root[0] && std::strstr(current, root)) {
    name = current + std::strlen(root);
  } else if (bbs[0] && std::strstr(current, bbs)) {
    name = "";
    get_lid_from_filename(current, run_state().running_cart_lid, sizeof run_state().running_cart_lid);
  }
  std::snprintf(run_state().running_filename, sizeof run_state().running_filename, "%s", name);
}

}  // namespace

void run_cart() {
  tovo_cart* cart = pitem(0);
  if (cart) merge_code_from_tabs(cart);
  std::snprintf(run_state().param, sizeof run_state().param, "%s", run_state().pending_param);
  run_state().pending_param[0] = 0;
  run_state().end_error = TOVO_END_NORMAL;
  run_state().running_cart_lid[0] = 0;
  set_running_names(tovo_shell().current_filename());
  char line[3 * TOVO_RUN_NAME_SIZE];
  std::snprintf(line, sizeof line, "run_cart current_filename: %s running_filename: %s running_cart_lid: %s\n",
                tovo_shell().current_filename(), run_state().running_filename, run_state().running_cart_lid);
  tarq_debug(line);

  reset_lua_machine();
  tovo_reload(&pstate(), pstate().cart, 0, 0, TOVO_ROM_SIZE);
  for (int i = 0; i <= TOVO_MENU_ITEMS; i++) {
    run_state().menu_label[i][0] = 0;
    run_state().menu_selected[i] = 0;
  }
  tovo_srand(static_cast<uint32_t>(std::time(nullptr)) + static_cast<uint32_t>(tovo_clock()));

  starting_cart = true;
  run_program(cart ? cart->code : "", 0);
  starting_cart = false;

  tovo_shell().stop_sound();
  for (int a = TOVO_REG_SOUND; a < TOVO_REG_SOUND + TOVO_SOUND_REGISTERS; a++)
    tovo_poke(&pstate(), pstate().cart, a, 0);
  run_state().current_fps = run_state().target_fps = 30;
  block_buttons();
  tovo_shell().hash_working_cart();
  run_state().step = 0;
  run_state().resumable = 1;
  set_draw_display(0);
}

namespace {

// "resume", "resume()", "r" and "." continue a stopped cart (the last also
// steps one frame); true when the line was such a command.
bool resume_command(const char* text) {
  bool step = std::strcmp(text, ".") == 0 || (text[0] == 0 && run_state().step);
  if (!step && std::strcmp(text, "resume") != 0 && std::strcmp(text, "resume()") != 0 && std::strcmp(text, "r") != 0)
    return false;
  if (!L0_cart() || !run_state().resumable) {
    tovo_print_col("nothing to resume", 6);
    return true;
  }
  L0() = L0_cart();
  run_state().program = 1;
  run_state().running = 1;
  block_buttons();
  run_state().step = step ? 1 : 0;
  return true;
}

}  // namespace

void run_program(const char* text, int is_prompt_line) {
  if (!text) text = "";
  if (is_prompt_line && resume_command(text)) return;
  // The config command runs here; an empty program is compiled in its place.
  if (const char* args = tovo_config_args(text)) {
    run_config(args);
    text = "";
  }
  tovo_clear_error_log();
  run_state().has_draw = 0;
  if (!L0_cart()) reset_lua_machine();
  if (!L0_cart()) return;
  add_c_functions_system(L0());
  run_state().refund_allowed = std::strstr(text, "__refund_cpu__") ? 0 : 1;
  run_state().has_draw = std::strstr(text, " _draw") ? 1 : 0;
  run_state().spend_counter = 0;
  run_state().skipped_cycles = 0;
  lua_reset_cpu_cycles(L0());
  lua_set_cpu_cycles_slice_max(L0(), TOVO_COMPILE_SLICE_MAX);

  char* flat = static_cast<char*>(tarq_malloc(WORK_SIZE));
  char* code = static_cast<char*>(tarq_malloc(WORK_SIZE));
  int32_t overhead = 0;
  bool ok = flat && code && prepare_code(text, is_prompt_line, flat, code, &overhead);
  if (ok) {
    L0() = is_prompt_line ? L0_command() : L0_cart();
    lua_reset_call_state_tovo(L0());
    lua_settop(L0(), 0);
    ok = tovo_assemble_program(code, is_prompt_line, run_state().global_api, run_state().running_cart_lid,
                               lua_code_buffer, TOVO_PROGRAM_SIZE) == 0;
    if (!ok) tovo_print_col("program too large", 6);
  }
  tarq_free(flat);
  tarq_free(code);
  if (!ok) {
    if (!is_prompt_line) run_state().end_error = TOVO_END_COMPILE_ERROR;
    run_state().running = 0;
    return;
  }

  // A program compiled while no cart runs starts the printh limits afresh; a
  // cart loaded by a running cart keeps adding to them.
  if (!run_state().running) tovo_reset_printh_log();
  pstate().compiling = 1;
  int status = tovo_compile_program(L0(), lua_code_buffer);
  pstate().compiling = 0;
  pstate().code_overhead = overhead;
  if (status != LUA_OK) {
    tovo_report_compile_error(L0(), text, is_prompt_line);
    if (!is_prompt_line) run_state().end_error = TOVO_END_COMPILE_ERROR;
    lua_settop(L0(), 0);
    lua_reset_call_state_tovo(L0());
    run_state().running = 0;
    return;
  }
  block_buttons();
  run_state().buttons_read = 0;
  if (starting_cart || run_state().pending_action == TOVO_PENDING_RUN) reset_runtime_state();
  run_state().program = is_prompt_line ? 0 : 1;
  run_state().running = 1;
}
