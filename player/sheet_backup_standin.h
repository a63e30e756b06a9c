#pragma once
// Stand-in for the sprite-sheet undo backup until editor copy, paste and
// undo exist: taking a backup sets the edit flag and is counted.
#include <cstdint>

void tovo_backup_sprite_sheet_standin();

extern int32_t tovo_standin_sheet_backups;
