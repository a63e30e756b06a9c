// The stopped screen: its keys and its bar.
#include "player/stopped.h"

#include "console/machine/button.h"
#include "engine/data/gfx.h"
#include "engine/data/text.h"
#include "engine/platform/events.h"
#include "engine/tarq.h"
#include "player/hotkey.h"
#include "player/shell_state.h"

void process_immediate_mode_keypresses() {
  // ctrl-r reads the cart file again and runs it (after an error, say);
  // other typed keys are dropped.
  while (shell.sub_mode == 0 && tarq_keypressed()) {
    int32_t code = tarq_readkey();
    if (code == 'r' && tarq_get_key_state(TARQ_KEY_CTRL) != 0) {
      restart_stopped_cart();
      return;
    }
  }
  for (int b = 0; b < 6; b++)
    if (button_pressed(b, 0)) tarq_request_quit(TARQ_QUIT_AFTER_FRAME);
}

void draw_stopped_bar(tarq_bitmap* page) {
  if (!page) return;
  tarq_rectfill(page, 0, 121, 127, 127, 6);
  tarq_line(page, 0, 120, 127, 120, 0);
  if (shell.font)
    tarq_draw_text_ex(page, " stopped. press button to exit", shell.font, 1, 122, TARQ_TEXT_ONE_COLOUR, 1);
}
