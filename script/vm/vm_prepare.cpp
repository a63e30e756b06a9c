// Readying a prototype for the instruction loop once its code is complete.
#include "script/vm/vm.h"

void luaV_prepare(Proto* p) {
  p->callargs = p->is_vararg ? PROTO_NO_CALLARGS : static_cast<uint16_t>(p->numparams + 1);
}
