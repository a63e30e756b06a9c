#include "player/sheet_backup.h"

#include "player/disk_state.h"

void backup_gfx() { disk_state.edit_flag = 1; }
