#pragma once
// The machine record: everything the console keeps of the machine it runs,
// in one place. console/machine owns it; the other modules reach its parts
// through their functions (pstate(), pitem(), button_state(), ...),
// declared beside the types of the parts.
#include <cstdint>

#include "console/bindings/stat.h"
#include "console/machine/button.h"
#include "console/machine/pstate.h"
#include "console/print/print_context.h"

struct tovo_machine {
  tovo_machine_state pstate;          // the machine state
  tovo_cart* pitem[TOVO_MAX_PITEMS];  // the working-cart list
  int32_t pitems;                     // its entries in use
  tovo_button_state button_state;
  tovo_button_config button_config;  // what the shell tells the buttons
  tovo_print_context print_context;
  int32_t print_widest_x;        // the largest cursor x the current print reached
  tovo_stat_inputs stat_inputs;  // what the shell supplies to the machine queries
  // The PRNG's two words, also the registers TOVO_REG_PRNG_HIGH and _LOW.
  uint32_t kx_m_high;
  uint32_t kx_m_low;
  // Engine milliseconds at which the extended-palette glitch ends; 0 when
  // none since boot.
  int32_t extpal_glitch_end;
};

// The record itself, for the files of console/machine and the functions
// that reach its parts.
tovo_machine& tovo_machine_record();
