#pragma once
// Registration of the script API on an interpreter state: the whole API on a
// fresh state, and the internal names that the program text relies on before
// every compile. Bindings are ordinary native functions (read their
// arguments by stack index, push results) or fast native functions (read the
// argument slots below the stack top, return one 16.16 number).
#include <cstdint>

struct lua_State;
typedef int (*lua_CFunction)(lua_State* L);

enum tovo_api_kind : uint8_t { TOVO_API_ORDINARY = 0, TOVO_API_FAST = 1 };

struct tovo_api_entry {
  const char* name;
  lua_CFunction binding;
  tovo_api_kind kind;
  bool internal;  // kept out of the API name list
};

constexpr int TOVO_API_COUNT = 151;
constexpr int TOVO_API_SYSTEM_COUNT = 30;

// The registration list of add_c_functions, in order, and of
// add_c_functions_system.
extern const tovo_api_entry tovo_api_list[TOVO_API_COUNT];
extern const tovo_api_entry tovo_api_system_list[TOVO_API_SYSTEM_COUNT];

// Fills a fresh state with the whole API (151 globals) and refills the API
// name list with the 110 names that are not internal.
void add_c_functions(lua_State* L);
// Puts back the 30 internal and prompt-command globals (before each compile).
void add_c_functions_system(lua_State* L);
// Refills the API name list alone (the tokenizer's keyword table uses it).
void tovo_add_api_names();
