#pragma once
// The machine record: everything the console keeps of the machine it runs,
// in one place, zeroed at start. console/machine owns it; every module
// reaches its parts through the calls below, which compile to the record's
// own address (the drawing and memory paths use them on every pixel and
// byte).
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

// The record itself, for the files of console/machine and the calls below.
inline tovo_machine& tovo_machine_record() {
  static tovo_machine machine;
  return machine;
}

inline tovo_machine_state& pstate() { return tovo_machine_record().pstate; }
// Entry i of the working-cart list (0 to TOVO_MAX_PITEMS - 1).
inline tovo_cart*& pitem(int32_t i) { return tovo_machine_record().pitem[i]; }
inline int32_t& pitems() { return tovo_machine_record().pitems; }
inline tovo_button_state& button_state() { return tovo_machine_record().button_state; }
inline tovo_button_config& button_config() { return tovo_machine_record().button_config; }
inline tovo_print_context& print_context() { return tovo_machine_record().print_context; }
inline int32_t& print_widest_x() { return tovo_machine_record().print_widest_x; }
inline tovo_stat_inputs& stat_inputs() { return tovo_machine_record().stat_inputs; }
