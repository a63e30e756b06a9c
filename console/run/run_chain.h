#pragma once
// The run chain: return points left by carts that loaded other carts, for
// the pause menu's return item, extcmd("breadcrumb") and stat(100).
#include <cstdint>

constexpr int TOVO_RUN_CHAIN_SIZE = 512;
constexpr int TOVO_RUN_CHAIN_FILE = 256;
constexpr int TOVO_RUN_CHAIN_LABEL = 32;
constexpr int TOVO_RUN_CHAIN_PARAM = 1028;

struct run_chain_entry {
  char file[TOVO_RUN_CHAIN_FILE];
  char label[TOVO_RUN_CHAIN_LABEL];
  char param[TOVO_RUN_CHAIN_PARAM];
  int32_t pending;
};

// The entries in use, 0 to 511.
int32_t run_chain_count();
// True when an entry waits to be confirmed or cancelled.
bool run_chain_has_pending();

// Pushes an entry with the current parameter string; nothing when 511 are in use.
void add_run_chain_item(const char* file, const char* label, int32_t pending);
void reset_run_chain();
// The top entry's fields, or null when the chain is empty.
const char* get_run_chain_label();
const char* get_run_chain_filename();
const char* get_run_chain_param_str();
void pop_run_chain();
void run_chain_cancel_pending();
void run_chain_confirm_pending();
// Goes back to the top entry: loads its file as the working cart, asks the
// shell to run it with the entry's parameter string after a load delay, pops
// the entry and clears the pause-menu state word.
void follow_current_breadcrumb();
