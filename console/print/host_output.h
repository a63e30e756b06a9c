#pragma once
// Host output: printh to standard output, the clipboard ("@clip") or log
// files in the cart's output folder (or the desktop), with the per-run
// limits (10 MB of log text, 64 files); the player clipboard text.
#include <cstdint>

constexpr int32_t TOVO_LOG_BYTES_MAX = 10485759;
constexpr int TOVO_LOG_FILES_MAX = 64;

// The log file of a name: 0 with the path in out (TARQ_PATH_MAX bytes), or 1
// when the name is refused (empty, leading "/", "..", a character other than
// a-z, 0-9, "_", ".", "/" and blank, or a path that does not fit). Names
// without a kept extension get ".kxl".
int get_kxl_log_file_name(const char* name, char* out, bool desktop);
// Clears the log byte total and the file registry (a compile while no cart
// runs).
void tovo_reset_printh_log();

// The player clipboard text (escaped form), null when none; replaced by
// printh(text, "@clip") and by the shell's paste key.
const char* tovo_player_clipboard_text();
void tovo_set_player_clipboard(const char* text);
