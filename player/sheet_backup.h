#pragma once
// The sprite-sheet backup taken before a dropped picture changes what the
// cart sees: it marks the working cart's graphics as edited.

void backup_gfx();
