// The host's services of a state: what a state without one does, one given
// and shared by the state's threads, and entries left out.
#include <string>

#include "script/console_services.h"
#include "tests/script/console_double.h"
#include "tests/script/lib_fixture.h"

namespace {

class HostTest : public LibTest {
 protected:
  void SetUp() override {
    LibTest::SetUp();
    tovo_test::console_memory[0x100] = 0x34;
    tovo_test::console_memory[0x101] = 0x12;
    tovo_test::set_tab_lines({3});
  }
  void TearDown() override {
    tovo_test::console_memory[0x100] = tovo_test::console_memory[0x101] = 0;
    tovo_test::clear_tabs();
    LibTest::TearDown();
  }
  // The cycles a run of src was charged.
  int cycles_of(const std::string& src) {
    reset_counters();
    EXPECT_EQ(run(src, 0), LUA_OK) << top_text(L);
    return lua_get_cpu_cycles(L);
  }
};

// With no host the peeks read 0, nothing outside the interpreter is charged,
// a line stays as it is in tab 0 and an assert's message is kept nowhere.
TEST_F(HostTest, AStateStartsWithTheNullHost) {
  counting_alloc a;
  lua_State* S = lua_newstate(counting_alloc_fn, &a);
  ASSERT_NE(S, nullptr);
  const lua_Host* h = lua_gethost(S);
  EXPECT_EQ(h->peek_1(0x100 << 16), 0);
  EXPECT_EQ(h->peek_2(0x100 << 16), 0);
  EXPECT_EQ(h->peek_4(0x100 << 16), 0);
  int tab = 7;
  EXPECT_EQ(h->find_tab_line(12, &tab), 12);
  EXPECT_EQ(tab, 0);
  lua_reset_cpu_cycles(S, 0);
  h->spend_cpu(S, 100);
  EXPECT_EQ(lua_get_cpu_cycles(S), 0);
  lua_close(S);

  lua_sethost(L, nullptr);
  EXPECT_EQ(number_of("return @0x100 + %0x100 + $0x100"), 0);
  EXPECT_EQ(cycles_of("return 2 ^ 0.5"), cycles_of("return 2 + 0.5"));
  EXPECT_EQ(load_string(L, std::string(8, '\n') + "goto nowhere", "=test", "t"), LUA_ERRSYNTAX);
  EXPECT_EQ(top_text(L), "test:9: no visible label 'nowhere' for <goto> at line 9 (tab 0)");
  tovo_test::keep_assert_message("before");
  EXPECT_EQ(error_of("assert(false, 'lost')"), "test:1: lost");
  EXPECT_EQ(tovo_test::assert_message, "before");
}

// The host given serves the state and every thread of it, from the compiler
// to the instruction loop and the libraries.
TEST_F(HostTest, TheHostServesEveryThreadOfTheState) {
  EXPECT_EQ(number_of("return @0x100"), I(0x34));
  lua_State* T = lua_newthread(L);
  load("return %0x100", T);
  ASSERT_EQ(lua_resume(T, nullptr, 0), LUA_OK) << top_text(T);
  EXPECT_EQ(lua_tonumber(T, -1), I(0x1234));
  EXPECT_GT(cycles_of("return 2 ^ 0.5"), cycles_of("return 2 + 0.5"));  // the power's roots are charged
  EXPECT_EQ(load_string(L, std::string(8, '\n') + "goto nowhere", "=test", "t"), LUA_ERRSYNTAX);
  EXPECT_EQ(top_text(L), "test:9: no visible label 'nowhere' for <goto> at line 2 (tab 1)");
  EXPECT_EQ(error_of("assert(false, 'kept')"), "test:1: kept");
  EXPECT_EQ(tovo_test::assert_message, "kept");
}

// An entry left null is the null host's; the others are the host's.
TEST_F(HostTest, EntriesLeftOutAreTheNullHosts) {
  lua_Host partial = {};
  partial.peek_1 = tovo_test::peek_1;
  lua_sethost(L, &partial);
  EXPECT_EQ(number_of("return @0x100"), I(0x34));
  EXPECT_EQ(number_of("return %0x100"), 0);
  EXPECT_EQ(cycles_of("return 2 ^ 0.5"), cycles_of("return 2 + 0.5"));
}

}  // namespace
