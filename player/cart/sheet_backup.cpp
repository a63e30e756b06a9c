#include "player/cart/sheet_backup.h"

#include <cstring>

#include "console/machine/cart.h"
#include "console/machine/machine.h"
#include "console/machine/pstate.h"
#include "engine/data/gfx.h"
#include "engine/data/undo.h"
#include "engine/io/file.h"
#include "player/cart/disk_state.h"
#include "player/selection_sets.h"

void backup_gfx() {
  tovo_cart* cart = pitem(0);
  if (cart) {
    tarq_file* state = create_undo_bmp_state(cart->gfx, 0);
    if (state) tarq_push_undo_state(state, cart->undo[0], 0);
    if (selection_sets().gfx && selection_sets().gfx->work) {
      for (int32_t y = 0; y < cart->gfx->height && y < selection_sets().gfx->work->height; y++)
        memcpy(selection_sets().gfx->work->rows[y], cart->gfx->rows[y], (size_t)selection_sets().gfx->work->width);
    }
  }
  disk_state.edit_flag = 1;
}
