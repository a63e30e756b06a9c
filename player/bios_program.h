#pragma once
// A boot text program: a text that is typed onto the console screen one
// character a step. In it 'D' followed by a hexadecimal digit waits that many
// steps, 'C' followed by one sets the colour, and a line end starts a new
// line. When it ends the machine is stopped and the current folder, when one
// is set, is shown as "directory: /%s" in colour 12.
#include <cstdint>

struct tovo_bios_program {
  const char* text;  // not owned; null when none runs
  int32_t pos;
  int32_t wait;    // steps still to wait
  int32_t colour;  // of the characters typed next
};

extern tovo_bios_program bios_program;

// Starts the program text (kept, not copied) in colour 6 at the cursor.
void start_bios_program(const char* text);
// One step: 1 while the program runs, 0 once it has ended (or none runs).
int32_t update_bios_program();
// The value of the hexadecimal digit '0'-'9' or 'a'-'f'; 0 for anything else.
int32_t boot_read_hex(int32_t code);
