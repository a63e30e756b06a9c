#pragma once
// Stand-ins for the buttons and the serial channels until the run loop calls
// them directly: what the run loop and flip() ask of them, counted so that
// callers can be checked.
#include <cstdint>

struct tovo_input_standin {
  int32_t button_updates;
  int32_t button_reads;
  int32_t button_blocks;
  int32_t serial_frames;
  int32_t serial_resets;
};

extern tovo_input_standin input_standin;

void update_buttons_standin();   // advances the button state by a frame
void read_buttons_standin();     // reads the host's keys and controllers
void block_buttons_standin();    // buttons read as up until released
void serial_end_frame_standin(); // ends the serial frame
void reset_serial_state_standin();
