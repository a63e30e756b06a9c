#pragma once
// The shell's lines of "config.txt" and its command-line switches.
struct tarq_file;

// One line of "config.txt" that the engine did not take; 0.
int tovo_load_config(const char* line);
// Appends the shell's section while the engine writes "config.txt"; 0.
int tovo_save_config(tarq_file* f);
// The shell's switches (after the engine's own pass over the same line).
void process_arguments(int argc, char** argv);
