// Script memory as a cart sees it through stat(0): every object at its size
// in the runtime's 32-bit layout (values of 8 bytes, pointers of 4), counted
// by kind, whatever the host's own layout.
#include <cstdint>
#include <string>

#include "console/machine/pstate.h"
#include "console/run/run_record.h"
#include "script/api/api.h"
#include "tests/support/cart_harness.h"

namespace {

using tovo_test::CartHarness;

class ScriptMemoryTest : public CartHarness {
 protected:
  // A global number of the cart's state in raw 16.16 units.
  int32_t raw_global(const char* name) {
    lua_getglobal(L0_cart(), name);
    int32_t v = lua_tonumberx(L0_cart(), -1, nullptr);
    lua_pop(L0_cart(), 1);
    return v;
  }
};

TEST_F(ScriptMemoryTest, StatZeroGrowsByTheThirtyTwoBitLayout) {
  // stat(0) collects fully, then reads the memory as KiB in 16.16: one byte
  // is 64 raw units, so a difference of two readings gives the bytes of what
  // lives exactly. Whatever the measured lines need besides their objects
  // (the keys, the long text, the call frame of a native call) is made
  // before the first reading.
  start(
      "stat(0)\n"
      "local keys={} for i=1,4096 do keys[i]='k'..i end\n"
      "local text='0123456789' for i=1,11 do text=text..text end\n"
      "local x,y,a=1,2\n"
      "a=stat(0) local t={} for i=1,8192 do t[i]=i end array=stat(0)-a\n"
      "a=stat(0) local u={} for i=1,1000 do u[i]={} end tables=stat(0)-a\n"
      "a=stat(0) local h={} for i=1,4096 do h[keys[i]]=i end keyed=stat(0)-a\n"
      "a=stat(0) local f=function() return x+y end closure=stat(0)-a\n"
      "a=stat(0) local co=cocreate(f) thread=stat(0)-a\n"
      "a=stat(0) local s=text..'!' long=stat(0)-a\n"
      "done=true\n");
  tick();
  ASSERT_EQ(global("done"), "true");
  const struct {
    const char* name;
    int32_t bytes;
    const char* made_of;
  } cases[] = {
      // table record 32 + array part of 8192 values x 8
      {"array", 32 + 8192 * 8, "8192-number array"},
      // outer record 32 + its array part, grown to 1024 values x 8, + 1000
      // table records x 32
      {"tables", 32 + 1024 * 8 + 1000 * 32, "1000 empty tables"},
      // table record 32 + 4096 nodes (value 8, key 8, next 4) x 20; the keys
      // were made before
      {"keyed", 32 + 4096 * 20, "4096-key string-keyed table"},
      // closure 16 + 2 upvalue pointers x 4, + 2 new upvalues at the fixed
      // 32 of their kind
      {"closure", 16 + 2 * 4 + 2 * 32, "closure with two upvalues"},
      // thread at the fixed 32 of its kind + its stack, made with 40 slots
      // and cut by the collection that stat(0) runs to the slots in use (the
      // base frame's top, 1 + 20 free slots, + 1 = 22), an eighth more (2)
      // and 10 spare: 34 slots x 8
      {"thread", 32 + 34 * 8, "coroutine"},
      // a 20481-byte long string counts nothing
      {"long", 0, "20 KB long string"},
  };
  for (const auto& c : cases) EXPECT_EQ(raw_global(c.name), c.bytes * 64) << c.made_of;
}

}  // namespace
