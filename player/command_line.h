#pragma once
// The console prompt's command line, which the player never shows: storing
// typed commands in the history, completing the last word of the line
// against file names, and running the pending action as a command does.
#include <cstdint>

// Pushes a non-empty line that differs from the newest stored command onto
// the history (newest at entry 1, at most 255 stored; the oldest falls off),
// then empties the line being typed (entry 0) and goes back to it.
void store_command(const char* line);
// Completes the last word of the line being typed against the names in its
// folder (below the current folder, or below the root folder for a word that
// begins with '/'): one match completes it, with '/' after a folder; several
// extend it by their common prefix, or, when that adds nothing, print
// "%d files" in colour 14 and the names. Returns the number of matches.
int32_t tab_completion();
// Runs the pending action as the frame update does.
void process_command();
