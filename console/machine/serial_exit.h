#pragma once
// The serial channels' step at the end of a run: they hold nothing that a
// run leaves behind, so it does nothing. Nothing in the player calls it.
void serial_exit_runtime();
