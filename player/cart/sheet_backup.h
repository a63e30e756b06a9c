#pragma once
// The sprite-sheet backup taken before a dropped picture changes what the
// cart sees.

// Pushes an undo state of the working cart's sprite sheet on its first undo
// stack, copies the sheet into the sprite-sheet set's work bitmap and marks
// the graphics as edited.
void backup_gfx();
