#include "console/input_standin.h"

tovo_input_standin input_standin;

void update_buttons_standin() { input_standin.button_updates++; }
void read_buttons_standin() { input_standin.button_reads++; }
void block_buttons_standin() { input_standin.button_blocks++; }
void serial_end_frame_standin() { input_standin.serial_frames++; }
void reset_serial_state_standin() { input_standin.serial_resets++; }
