#pragma once
// The "config" command: shows or changes a few of the shell's settings with
// console lines. A program text that begins with "config" and a blank (or
// is just "config") runs it in place of compiling that text.

// args: the text after "config" and its blank.
void run_config(const char* args);

// The arguments when text is a config command, else null.
const char* tovo_config_args(const char* text);
