#pragma once
// Interpreter state: the per-thread record (lua_State), the call frames and
// the global state shared by all threads of one state.
#include <cstddef>
#include <cstdint>

#include "script/console_services.h"
#include "script/value/object.h"
#include "script/value/string_buffer.h"
#include "script/vm/cpu.h"
#include "script/vm/tm.h"

struct lua_longjmp;  // the chain of protected-call boundaries (unwind.h)

constexpr int EXTRA_STACK = 5;                      // spare slots past stack_last
constexpr int BASIC_STACK_SIZE = 2 * LUA_MINSTACK;  // 40 slots at start
constexpr int LUAI_MAXCCALLS = 200;                 // native-call depth limit

// Call-status bits of a call frame.
constexpr uint16_t CIST_LUA = 1 << 0;        // a script function
constexpr uint16_t CIST_HOOKED = 1 << 1;     // running a debug hook
constexpr uint16_t CIST_REENTRY = 1 << 2;    // running on the same loop invocation as its caller
constexpr uint16_t CIST_YIELDED = 1 << 3;    // a native call that yielded
constexpr uint16_t CIST_YPCALL = 1 << 4;     // a yieldable protected call
constexpr uint16_t CIST_STAT = 1 << 5;       // the call status (protected calls)
constexpr uint16_t CIST_TAIL = 1 << 6;       // a tail call
constexpr uint16_t CIST_HOOKYIELD = 1 << 7;  // the instruction a budget suspension interrupted
// A script frame the loop made for a call that native code would make (a
// generic for's iterator): it counts in the native-call depth until it
// returns, or until a resume's boundary resets that depth.
constexpr uint16_t CIST_COUNTED = 1 << 8;

// One call frame; frames form a doubly linked list that grows on demand.
struct CallInfo {
  StkId func;  // function slot
  StkId top;   // frame top
  CallInfo* previous;
  CallInfo* next;
  short nresults;  // wanted results
  uint16_t callstatus;
  ptrdiff_t extra;
  union {
    struct {  // script functions
      StkId base;
      const Instruction* savedpc;
      TValue* k;  // the function's constants (in room the native record leaves)
    } l;
    struct {            // native functions
      int ctx;          // continuation context
      lua_CFunction k;  // continuation
      ptrdiff_t old_errfunc;
      uint8_t old_allowhook;
      uint8_t status;
    } c;
  } u;
};

// The script record's constants lie in room the native record leaves: a
// frame record keeps its size.
static_assert(sizeof(void*) != 8 || sizeof(CallInfo) == 80);

inline bool isLua(const CallInfo* ci) { return (ci->callstatus & CIST_LUA) != 0; }

// Collector kinds.
constexpr uint8_t KGC_NORMAL = 0;
constexpr uint8_t KGC_EMERGENCY = 1;
constexpr uint8_t KGC_GEN = 2;

// The interned short strings: bucket heads chained through GCObject::next.
struct stringtable {
  GCObject** hash;
  uint32_t nuse;
  int size;  // a power of two
};

struct luaS_texts;

struct global_State {
  lua_Alloc frealloc;
  void* ud;
  size_t totalbytes;  // bytes counted so far (in use = totalbytes + GCdebt)
  ptrdiff_t GCdebt;   // bytes allocated and not yet paid for by collector work
  size_t GCmemtrav;   // memory traversed by the current single step
  size_t GCestimate;  // estimate of live memory
  stringtable strt;
  TValue l_registry;
  uint32_t seed;  // hash seed
  uint8_t currentwhite;
  uint8_t gcstate;
  uint8_t gckind;
  uint8_t gcrunning;
  int sweepstrgc;       // next string-table bucket to sweep
  GCObject* allgc;      // every collectable object
  GCObject* finobj;     // objects whose metatable has "__gc"
  GCObject** sweepgc;   // sweep position in allgc
  GCObject** sweepfin;  // sweep position in finobj
  GCObject* gray;       // gray objects
  GCObject* grayagain;  // objects to traverse again in the atomic phase
  GCObject* weak;       // tables with weak values
  GCObject* ephemeron;  // tables with weak keys
  GCObject* allweak;    // tables with weak keys and values
  GCObject* tobefnz;    // objects with "__gc" found unreachable
  UpVal uvhead;         // head of the list of all open upvalues
  Mbuffer buff;         // scratch buffer for joining strings
  int gcpause;
  int gcmajorinc;
  int gcstepmul;
  lua_CFunction panic;
  lua_State* mainthread;
  const lua_Number* version;
  TString* memerrmsg;  // "not enough memory", fixed
  TString* tmname[TM_N];
  Table* mt[LUA_NUMTAGS];  // metatables of the basic types
  lua_Host host;           // the host's services (lua_sethost)
  lua_cpu_counters cpu;    // the CPU-cycle budget of every thread (cpu.h)
  int runtime_line;        // line of the last runtime or library error, 0 at first
  int last_line_number;    // start line of the statement parsed last, -1 at first
  luaS_texts* texts;       // kept texts and string-table bucket bits (string.h); null: none
};

// What a resume changes and gives back when it ends, kept with the thread
// while it runs in the instruction loop of the script frame that resumed it.
struct LoopResume {
  lua_State* resumer;       // that frame's thread; null when the thread runs otherwise
  lua_State* outer_thread;  // the thread of the enclosing resume
  lua_longjmp* errorJmp;    // the thread's boundary before the resume
  unsigned short outer_ccalls;
  unsigned short nny;
  // The thread's last yield was the yield function called by an instruction
  // of its script frame, with only script frames below, in a resume that the
  // loop ran (luaD_yieldcall, luaD_yieldquick): a resume from the loop
  // finishes it with a plain copy.
  bool quick_yield;
};

struct lua_State : GCObject {
  StkId top;
  global_State* l_G;
  CallInfo* ci;
  const Instruction* oldpc;
  StkId stack_last;  // last usable slot (EXTRA_STACK more follow)
  StkId stack;
  int stacksize;
  unsigned short nny;      // calls that do not allow yields
  unsigned short nCcalls;  // native-call depth
  uint8_t hookmask;
  uint8_t allowhook;
  uint8_t status;
  int basehookcount;
  int hookcount;
  lua_Hook hook;
  GCObject* openupval;  // open upvalues of this thread, highest stack level first
  // The slot of openupval's first upvalue, null when none is open: a return
  // tests it alone for upvalues to close (luaF_hasopen). Kept by whatever
  // changes the list or moves the stack.
  StkId openlevel;
  GCObject* gclist;
  lua_longjmp* errorJmp;  // innermost protected-call boundary
  ptrdiff_t errfunc;      // stack offset of the message handler
  CallInfo base_ci;
  int32_t nargs;  // argument count of the native call entered last
  LoopResume loop_resume;
};

// The fields fill the record's holes: a thread keeps its size, which the
// collector's pacing counts.
static_assert(sizeof(void*) != 8 || sizeof(lua_State) == 256);

inline global_State* G(lua_State* L) { return L->l_G; }
inline lua_State* thvalue(const TValue* o) { return static_cast<lua_State*>(o->value_.gc); }
inline void setthvalue(TValue* o, lua_State* th) { setgcovalue(o, th); }

// Bytes in use.
inline size_t gettotalbytes(const global_State* g) {
  return static_cast<size_t>(static_cast<ptrdiff_t>(g->totalbytes) + g->GCdebt);
}
void luaE_setdebt(global_State* g, ptrdiff_t debt);

CallInfo* luaE_extendCI(lua_State* L);
void luaE_freeCI(lua_State* L);
void luaE_freethread(lua_State* L, lua_State* L1);

inline CallInfo* next_ci(lua_State* L) { return L->ci = L->ci->next ? L->ci->next : luaE_extendCI(L); }

// Stack offsets survive reallocation where pointers do not.
inline ptrdiff_t savestack(lua_State* L, const TValue* p) {
  return reinterpret_cast<const char*>(p) - reinterpret_cast<const char*>(L->stack);
}
inline StkId restorestack(lua_State* L, ptrdiff_t n) {
  return reinterpret_cast<StkId>(reinterpret_cast<char*>(L->stack) + n);
}

// Registry and globals.
inline Table* registry_table(lua_State* L) { return hvalue(&G(L)->l_registry); }
