#include "player/sheet_backup_standin.h"

#include "player/disk_state.h"

int32_t tovo_standin_sheet_backups = 0;

void tovo_backup_sprite_sheet_standin() {
  disk_state.edit_flag = 1;
  tovo_standin_sheet_backups++;
}
