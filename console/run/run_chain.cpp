#include "console/run/run_chain.h"

#include <cstdio>

#include "console/bindings/control.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "console/run/shell_port.h"

namespace {

constexpr int32_t LOAD_DELAY_TICKS = 20;

const run_chain_entry* top() {
  const tovo_run& r = tovo_run_record();
  return r.run_chain_count > 0 ? &r.run_chain[r.run_chain_count - 1] : nullptr;
}

}  // namespace

int32_t run_chain_count() { return tovo_run_record().run_chain_count; }

bool run_chain_has_pending() {
  const tovo_run& r = tovo_run_record();
  for (int32_t i = 0; i < r.run_chain_count; i++)
    if (r.run_chain[i].pending) return true;
  return false;
}

void add_run_chain_item(const char* file, const char* label, int32_t pending) {
  tovo_run& r = tovo_run_record();
  if (r.run_chain_count >= TOVO_RUN_CHAIN_SIZE - 1) return;
  run_chain_entry& e = r.run_chain[r.run_chain_count++];
  std::snprintf(e.file, sizeof e.file, "%s", file ? file : "");
  std::snprintf(e.label, sizeof e.label, "%s", label ? label : "");
  std::snprintf(e.param, sizeof e.param, "%s", run_state().param);
  e.pending = pending;
}

void reset_run_chain() {
  tovo_run& r = tovo_run_record();
  r.run_chain_count = 0;
  r.devkit_notice_shown = 0;
}

const char* get_run_chain_label() { return top() ? top()->label : nullptr; }
const char* get_run_chain_filename() { return top() ? top()->file : nullptr; }
const char* get_run_chain_param_str() { return top() ? top()->param : nullptr; }

void pop_run_chain() {
  tovo_run& r = tovo_run_record();
  if (r.run_chain_count > 0) r.run_chain_count--;
}

void run_chain_cancel_pending() {
  if (top() && top()->pending) tovo_run_record().run_chain_count--;
}

void run_chain_confirm_pending() {
  tovo_run& r = tovo_run_record();
  if (r.run_chain_count > 0) r.run_chain[r.run_chain_count - 1].pending = 0;
}

void follow_current_breadcrumb() {
  const run_chain_entry* e = top();
  if (!e) return;
  tovo_shell().load_working_cart(e->file);
  run_state().pending_action = TOVO_PENDING_RUN;
  tovo_copy_cut(run_state().pending_param, e->param, TOVO_PARAM_MAX);
  run_state().load_delay = LOAD_DELAY_TICKS;
  pop_run_chain();
  tovo_shell().close_paused_menu();
}
