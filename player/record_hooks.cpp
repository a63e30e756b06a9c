// Joins the program-control bindings' screenshots, clips and label
// (extcmd "screen", "video", "rec", "rec_frames", "label", and flip's frame
// while clips record at each flip) to the shell: installed when the program
// starts (the player library is linked whole, so this file's initialiser
// always runs).
#include "console/shell_standin.h"
#include "player/gif.h"
#include "player/record.h"
#include "player/screenshot.h"
#include "player/shell_state.h"

namespace {

void set_label() { set_cart_label(); }
int32_t save_screen(int32_t scale, int32_t destination) {
  return save_png_screenshot(shell.video_frame, scale, destination);
}
void record_screen() { record_video_frame(shell.video_frame); }

bool install() {
  tovo_shell_hooks.copy_back_page = tovo_copy_back_page;
  tovo_shell_hooks.set_cart_label = set_label;
  tovo_shell_hooks.save_screenshot = save_screen;
  tovo_shell_hooks.save_video = save_gif;
  tovo_shell_hooks.gif_seconds = get_current_gif_len;
  tovo_shell_hooks.reset_video = reset_video;
  tovo_shell_hooks.record_video_frame = record_screen;
  return true;
}

const bool installed = install();

}  // namespace
