#pragma once
// The shell's side of the console's port: fills it with the shell's
// routines. Called once at start-up; 0, or 1 when an entry is missing.
int connect_console_to_shell();
