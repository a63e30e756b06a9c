// Storing memory into the working cart and saving it.
#include "console/machine/cstore_cart.h"

#include "console/machine/address_space.h"
#include "console/machine/cart.h"
#include "console/machine/machine.h"
#include "console/machine/pstate.h"
#include "console/run/shell_port.h"

void tovo_cstore(tovo_machine_state* machine, tovo_cart* cart, int32_t dst, int32_t src, int32_t size) {
  constexpr int32_t LONGEST_STORE = 0x8000;
  tovo_cart* working = pitem(0);
  if (size <= 0 || size >= LONGEST_STORE || !working) return;
  const uint32_t offset = static_cast<uint32_t>(dst) - static_cast<uint32_t>(src);
  for (int32_t i = 0; i < size; i++) {
    const uint32_t g = (static_cast<uint32_t>(src) + static_cast<uint32_t>(i)) & 0xffff;
    const uint32_t h = (offset + g) & 0xffff;
    tovo_poke(nullptr, working, static_cast<int32_t>(h), tovo_peek(machine, cart, static_cast<int32_t>(g)));
  }
  tovo_shell().quick_save();
}
