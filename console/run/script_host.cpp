#include "console/run/script_host.h"

#include "console/machine/address_space.h"
#include "console/run/assert_message.h"
#include "console/run/code_tabs.h"
#include "console/run/spend_cpu.h"

const lua_Host tovo_script_host = {tovo_peek_1,      tovo_peek_2,   tovo_peek_4,
                                   script_spend_cpu, find_tab_line, tovo_assert_message};
