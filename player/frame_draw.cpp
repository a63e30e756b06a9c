// The draw half of the frame loop.
#include <cstring>

#include "console/bindings/stat.h"
#include "console/draw/extpal_glitch.h"
#include "console/draw/gfx_state.h"
#include "console/machine/machine_record.h"
#include "console/machine/pstate.h"
#include "console/run/run.h"
#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/platform/window.h"
#include "engine/tarq.h"
#include "player/browser/splore.h"
#include "player/browser/splore_download.h"
#include "player/capture/screen_convert.h"
#include "player/frame.h"
#include "player/hotkey.h"
#include "player/keyconfig_screen.h"
#include "player/message.h"
#include "player/pause_menu.h"
#include "player/shell_state.h"
#include "player/stopped.h"

namespace {

constexpr int32_t SCREEN_SIZE = 128;

// Whether the copy of the display onto the page writes every byte of the
// page, so that clearing the page before it would change nothing.
bool display_covers_page(const tarq_bitmap* page, const tarq_bitmap* display) {
  return page->rows && display->rows && page != display && page->depth == display->depth &&
         page->width == SCREEN_SIZE && page->height == SCREEN_SIZE && display->width >= SCREEN_SIZE &&
         display->height >= SCREEN_SIZE && page->clip_x0 <= 0 && page->clip_y0 <= 0 && page->clip_x1 >= SCREEN_SIZE &&
         page->clip_y1 >= SCREEN_SIZE;
}

void draw_spinner(tarq_bitmap* page) {
  bool busy = run_state().load_delay > 0 || shell.spinner_count > 140;
  if (!busy || shell.mode != TOVO_MODE_RUNNING || !shell.program_started || !shell.resources) return;
  bool download = splore_download_state() != SPLORE_DOWNLOAD_IDLE || strcmp(message_bar.text, "download failed") == 0;
  int32_t item = download ? 229 + (shell.spinner_frame / 2) % 16 : 212 + (shell.spinner_frame / 2) % 12;
  tarq_bitmap* s = (tarq_bitmap*)cpod_get_item(shell.resources, item, TARQ_ITEM_BITMAP);
  if (s) tarq_draw_sprite(s, page, 0, 0, 3, 3, 12, 12);
}

// The back page as a grid of 128x128 cells, cells 1-3 showing screens 1-3,
// when the running cart asks for them (not a bulletin-board cart, and not
// under the tv frame). Otherwise drawing goes to display 0 and the other
// screens are emptied.
void draw_extra_displays(tarq_bitmap* page) {
  int32_t columns = page->width / 128, rows = page->height / 128;
  bool extra = shell.program_started && (pstate().ram[TOVO_REG_FEATURES] & TOVO_FEATURE_DISPLAYS) &&
               app.tv_frame == 0 && !tovo_bbs_cart_running();
  if (!extra) {
    set_draw_display(0);
    for (int32_t i = 1; i < get_number_of_displays(); i++)
      if (pstate().screens[i]) tarq_clear_bitmap(pstate().screens[i]);
    return;
  }
  for (int32_t row = 0; row < rows; row++)
    for (int32_t col = 0; col < columns; col++) {
      int32_t index = row * columns + col;
      if (index < 1 || index > 3) continue;
      blit_tovo_back_page_to_tovo_screen(index);
      tarq_blit(shell.display, page, 0, 0, col * 128, row * 128, 128, 128);
    }
}

}  // namespace

void tovo_frame_draw() {
  int32_t now = tarq_get_time();
  if (app.draw_calls++ == 0) app.first_draw_t = tovo_clock();
  if (run_state().pending_action != 0) return;
  tarq_bitmap* page = tarq_window.tarq_back_page;
  if (!page || !shell.display || !pstate().screens[0]) return;
  if (!display_covers_page(page, shell.display)) tarq_clear_bitmap(page);
  if (shell.mode == TOVO_MODE_STOPPED && shell.sub_mode == 0) draw_stopped_bar(pstate().screens[0]);
  if (shell.mode == TOVO_MODE_STOPPED && shell.sub_mode == 1) keyconfig_draw(pstate().screens[0]);
  if (shell.mode == TOVO_MODE_STOPPED && shell.sub_mode == 2) splore_draw(pstate().screens[0]);
  bool raw = !shell.program_started && shell.mode == TOVO_MODE_RUNNING;
  if (raw) memcpy(shell.display->pixels, pstate().screens[0]->pixels, SCREEN_SIZE * SCREEN_SIZE);
  else if (run_state().load_delay == 0 && app.menu_event == 0 && !run_state().hold_frame)
    blit_tovo_back_page_to_tovo_screen(0);
  tarq_blit(shell.display, page, 0, 0, 0, 0, SCREEN_SIZE, SCREEN_SIZE);
  if (app.pause_state != 0 || app.menu_event != 0) draw_paused_menu(page);
  draw_spinner(page);
  if (shell.video_frame) tarq_blit(page, shell.video_frame, 0, 0, 0, 0, SCREEN_SIZE, SCREEN_SIZE);
  draw_message_bar(page, now);
  if (now < tovo_extpal_glitch_end() && tovo_extpal_glitch_end() - now <= 149) draw_extpal_glitch(page, now);
  if (app.tv_frame) {
    tarq_bitmap* frame = (tarq_bitmap*)cpod_get_item(shell.resources, 249, TARQ_ITEM_BITMAP);
    tarq_palette* pal = (tarq_palette*)cpod_get_item(shell.resources, 1, TARQ_ITEM_PALETTE);
    draw_tv_frame(page, frame, pal);
  }
  draw_extra_displays(page);
  if (hotkeys.resource_display && shell.mode == TOVO_MODE_RUNNING && shell.program_started) draw_resource_data(page);
  if (app.pause_state == 0) draw_cpu_spinner(page);
}
