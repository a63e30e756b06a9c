// Restarting the machine: new carts and code tabs, the machine's state
// cleared, then the boot sequence from its start.
#include <cstring>

#include "console/machine/cart.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/code_tabs.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "player/boot.h"
#include "player/cart/cart_image.h"
#include "player/cart/disk_state.h"
#include "player/clipboard/activity_log.h"
#include "player/frame.h"
#include "player/shell_init.h"
#include "player/shell_state.h"

namespace {

// The machine's memory and the console and draw state behind its registers
// (the screens, the draw target and the script memory counts stay).
void clear_machine_view() {
  memset(pstate().ram, 0, sizeof pstate().ram);
  pstate().display = 0;
  memset(pstate().draw_pal, 0, sizeof pstate().draw_pal);
  memset(pstate().screen_pal, 0, sizeof pstate().screen_pal);
  memset(pstate().clip, 0, sizeof pstate().clip);
  pstate().print_home_x = pstate().pen = 0;
  pstate().cursor_x = pstate().cursor_y = 0;
  pstate().camera_x = pstate().camera_y = 0;
  pstate().screen_mode = pstate().fill_pattern = 0;
  pstate().drawing_flag = pstate().line_flag = 0;
  pstate().line_end_x = pstate().line_end_y = 0;
  memset(pstate().sound_regs, 0, sizeof pstate().sound_regs);
  pstate().mask_byte = pstate().write_mask = pstate().read_mask = 0;
  memset(pstate().secondary_pal, 0, sizeof pstate().secondary_pal);
  memset(pstate().held, 0, sizeof pstate().held);
  memset(pstate().cart_data, 0, sizeof pstate().cart_data);
  pstate().cart_data_dirty = 0;
  pstate().reset_counter = 0;
}

}  // namespace

void reboot_machine() {
  tarq_destroy_tovo_cart(pstate().cart);
  pstate().cart = nullptr;
  tarq_destroy_tovo_cart(pitem(0));
  pitem(0) = nullptr;
  tovo_destroy_code_tabs();
  clear_code_tabs();
  code_tab_selected() = 0;

  // Everything of the machine after its folders: the suggested name, the
  // cart hashes, the parameter string, mode, pending action and frame rate,
  // the console and draw state and the memory; then the editor's fields.
  shell.suggested_name[0] = 0;
  disk_state.saved_hash[0] = disk_state.load_hash[0] = 0;
  run_state().param[0] = run_state().pending_param[0] = 0;
  shell.mode = TOVO_MODE_STOPPED;
  shell.sub_mode = 0;
  shell.frame_rate = 0;
  shell.program_started = 0;
  run_state().pending_action = 0;
  clear_machine_view();
  init_editor_state();
  shell.current_folder[0] = 0;

  pstate().cart = tarq_create_tovo_cart();
  pitem(0) = tarq_create_tovo_cart();
  tovo_create_code_tabs();
  boot_init();
  set_untitled_filename();
  if (pitem(0)) hash_cart(pitem(0), disk_state.saved_hash);
  update_window_title();
}
