// The instruction loop. Before each instruction it checks the cycle budget
// and charges the instruction's cost; calls between script functions run in
// the same loop invocation.
//
// While the loop runs, the slice's cycle count and the frame's pc live in
// locals, which the compiler keeps in registers; they are written back
// (savestate) before anything outside the loop can read them: every call out
// of the loop, everything that may allocate or raise an error, the budget's
// suspension and every change of frame. After such a call the count and the
// budget are read again (loadbudget). The frame record is not one of those
// locals: a case that needs it reads L->ci, which is the running frame at
// every instruction, so that no register (nor a stack slot the compiler
// stores on every call and return) holds it from one instruction to the next.
//
// A script frame's resume of a coroutine that runs script code switches the
// loop to that thread, and its yield or return switches back; an error of
// such a coroutine is caught at the loop's own boundary, which ends the
// resume as the general resume would and goes on with the resumer.
#if defined(__GNUC__) && !defined(__clang__)
// Keep one indirect jump at the end of each opcode's case (threaded dispatch).
// Registers are given over the whole function at once (one region): the
// loop's locals then stay in registers through every case, where the
// allocator would otherwise spill the pc or the count in some of them.
// Partial-redundancy elimination is left out: here it mostly gives decoded
// operands extra temporaries, which the cases then copy between registers.
#pragma GCC optimize("no-crossjumping", "no-gcse", "ira-region=one", "no-tree-pre")
#endif
#include "script/vm/vm.h"

#include <cstddef>
#include <cstring>

#include "script/console_services.h"
#include "script/debug/debug.h"
#include "script/lib/lib_base.h"
#include "script/value/gc.h"
#include "script/value/number.h"
#include "script/value/table.h"
#include "script/vm/cpu_budget.h"
#include "script/vm/do.h"
#include "script/vm/do_coswitch.h"
#include "script/vm/func.h"
#include "script/vm/opcodes.h"
#include "script/vm/stack.h"

namespace {

// A closure made earlier from the prototype that has the same upvalues, or null.
LClosure* getcached(Proto* p, UpVal** encup, StkId base) {
  Closure* c = p->cache;
  if (c == nullptr) return nullptr;
  Upvaldesc* uv = p->upvalues;
  for (int i = 0; i < p->sizeupvalues; i++) {
    TValue* v = uv[i].instack ? base + uv[i].idx : encup[uv[i].idx]->v;
    if (c->l.upvals[i]->v != v) return nullptr;
  }
  return &c->l;
}

void pushclosure(lua_State* L, Proto* p, UpVal** encup, StkId base, StkId ra) {
  int nup = p->sizeupvalues;
  Upvaldesc* uv = p->upvalues;
  Closure* ncl = luaF_newLclosure(L, nup);
  ncl->l.p = p;
  setclLvalue(ra, &ncl->l);  // anchored while its upvalues are found
  for (int i = 0; i < nup; i++) {
    ncl->l.upvals[i] = uv[i].instack ? luaF_findupval(L, base + uv[i].idx) : encup[uv[i].idx];
  }
  luaC_barrierproto(L, p, ncl);
  p->cache = ncl;
}

// The numeric for loop's conversions ("'for' ... must be a number").
void forprep(lua_State* L, StkId ra) {
  if (luaV_tonumber(ra, ra) == nullptr) luaG_runerror(L, "'for' initial value must be a number");
  if (luaV_tonumber(ra + 1, ra + 1) == nullptr) luaG_runerror(L, "'for' limit must be a number");
  if (luaV_tonumber(ra + 2, ra + 2) == nullptr) luaG_runerror(L, "'for' step must be a number");
}

void setlist(lua_State* L, StkId ra, int n, int c) {
  Table* h = hvalue(ra);
  int last = (c - 1) * LFIELDS_PER_FLUSH + n;
  if (last > h->sizearray) luaH_resizearray(L, h, last);
  for (; n > 0; n--) {
    TValue* val = ra + n;
    luaH_setint(L, h, last--, val);
    luaC_barrierback(L, h, val);
  }
}

// The slot of a number key in the array part or of a short-string key in the
// hash part (luaO_nilobject() when that key is absent); null for any other
// key, which takes the general lookup.
[[gnu::always_inline]] inline const TValue* quickslot(Table* h, const TValue* key) {
  if (ttisnumber(key)) return luaH_arrayslot(h, nvalue(key));
  if (ttisshrstring(key)) return luaH_getshortstr(h, tsvalue(key));
  return nullptr;
}

// A metatable that is absent or known to lack the event.
inline bool notm(const Table* h, TMS event) {
  return h->metatable == nullptr || (h->metatable->flags & (1u << event)) != 0;
}

// Tables whose "__index" is a table (classes and their bases) that a quick
// read follows before it leaves the rest of the chain to luaV_gettable.
constexpr int QUICK_INDEX_HOPS = 8;

// t[key] into val without luaV_gettable, when t is a table and the read
// finds a value, or needs no "__index", or follows "__index" tables to one
// of those; false when the general path must run (it repeats the lookups,
// which change nothing but the metatables' caches of absent events).
// slot_of(h) finds the key in table h as quickslot does.
template <typename SlotOf>
[[gnu::always_inline]] inline bool quickget_(lua_State* L, const TValue* t, SlotOf slot_of, StkId val) {
  if (!ttistable(t)) return false;
  Table* h = hvalue(t);
  const TValue* slot = slot_of(h);
  for (int hop = 1;; hop++) {
    if (slot == nullptr) return false;
    if (!ttisnil(slot) || notm(h, TM_INDEX)) {
      setobj(val, slot);
      return true;
    }
    if (hop == QUICK_INDEX_HOPS) return false;
    const TValue* tm = luaH_indexslot(h->metatable, G(L)->tmname[TM_INDEX]);
    if (!ttistable(tm)) return false;  // a function, or absent and not yet cached
    h = hvalue(tm);
    slot = slot_of(h);
  }
}
[[gnu::always_inline]] inline bool quickget(lua_State* L, const TValue* t, const TValue* key, StkId val) {
  return quickget_(
      L, t, [key](Table * h) __attribute__((always_inline)) { return quickslot(h, key); }, val);
}
// The same for a short-string key.
[[gnu::always_inline]] inline bool quickgetstr(lua_State* L, const TValue* t, TString* key, StkId val) {
  return quickget_(
      L, t, [key](Table * h) __attribute__((always_inline)) { return luaH_getshortstr(h, key); }, val);
}

// t[key] = val without luaV_settable, when t is a table, the key already has
// a slot, and the slot holds a value or no "__newindex" applies: the table,
// which the caller gives the collector's back barrier; else null. slot_of(h)
// finds the key in table h as quickslot does.
template <typename SlotOf>
[[gnu::always_inline]] inline Table* quickset_(const TValue* t, SlotOf slot_of, const TValue* val) {
  if (!ttistable(t)) return nullptr;
  Table* h = hvalue(t);
  const TValue* slot = slot_of(h);
  if (slot == nullptr || slot == luaO_nilobject() || (ttisnil(slot) && !notm(h, TM_NEWINDEX))) return nullptr;
  setobj(const_cast<TValue*>(slot), val);
  h->flags = 0;  // the key may name a metamethod
  return h;
}
[[gnu::always_inline]] inline Table* quickset(const TValue* t, const TValue* key, const TValue* val) {
  return quickset_(
      t, [key](Table * h) __attribute__((always_inline)) { return quickslot(h, key); }, val);
}
// The same for a short-string key.
[[gnu::always_inline]] inline Table* quicksetstr(const TValue* t, TString* key, const TValue* val) {
  return quickset_(
      t, [key](Table * h) __attribute__((always_inline)) { return luaH_getshortstr(h, key); }, val);
}

// Makes the frame of a call of a script function when the stack has room
// for it, as luaD_precall would make it (with status as its call status) but
// for the collector's check, which the caller makes: the new frame, or null
// when not made. top is the call's top; a function with variable arguments
// has its fixed parameters moved above the actual arguments.
inline CallInfo* quickframe(lua_State* L, CallInfo* ci, StkId func, StkId top, int nresults, uint16_t status) {
  if (!ttisLclosure(func)) return nullptr;
  Proto* p = clLvalue(func)->p;
  if (L->stack_last - top <= p->maxstacksize) return nullptr;
  StkId need = func + 1 + p->numparams;
  if (p->is_vararg && L->stack_last - (top > need ? top : need) <= p->maxstacksize) return nullptr;
  for (; top < need;) setnilvalue(top++);  // missing parameters
  StkId base = func + 1;
  if (p->is_vararg) {
    base = top;
    for (int n = 0; n < p->numparams; n++) {
      setobj(top++, func + 1 + n);
      setnilvalue(func + 1 + n);
    }
  }
  CallInfo* nci = ci->next != nullptr ? ci->next : luaE_extendCI(L);
  L->ci = nci;
  nci->nresults = static_cast<short>(nresults);
  nci->func = func;
  nci->u.l.base = base;
  nci->top = base + p->maxstacksize;
  nci->u.l.savedpc = p->code;
  nci->u.l.k = p->k;
  nci->callstatus = status;
  L->top = nci->top;
  return nci;
}

// One more frame record, for a call whose function and arguments end at
// top, made as luaD_precall makes it (the collector, when the allocation
// makes it run, sees the stack up to that top). Out of line: the records a
// collection trims are rarely missing.
[[gnu::noinline]] CallInfo* moreframes(lua_State* L, StkId top) {
  L->top = top;
  return luaE_extendCI(L);
}

// The function and arguments of a call whose previous instruction set the
// top: their count, or PROTO_NO_CALLARGS - 1 for any count from there up,
// which no prototype's call field equals (it is above every fixed arity
// and below the value that marks varargs).
inline int topcount(const lua_State* L, const TValue* func) {
  ptrdiff_t n = L->top - func;
  return n < PROTO_NO_CALLARGS - 1 ? static_cast<int>(n) : PROTO_NO_CALLARGS - 1;
}

// setmetatable(t, mt) called with a table that has no metatable yet and a
// table or nil, as the library function would do it, its result in func;
// false, having changed nothing, for any other call, and where the native
// call would grow the stack or the frame records or take a collector step.
inline bool quicksetmetatable(lua_State* L, CallInfo* ci, StkId func) {
  if (!ttislcf(func) || fvalue(func) != luaB_setmetatable || L->top != func + 3) return false;
  const TValue* t = func + 1;
  const TValue* mt = func + 2;
  if (!ttistable(t) || hvalue(t)->metatable != nullptr || !(ttisnil(mt) || ttistable(mt))) return false;
  if (ci->next == nullptr || L->stack_last - L->top <= LUA_MINSTACK || luaC_stepdue(L)) return false;
  Table* h = hvalue(t);
  if (ttistable(mt)) {
    h->metatable = hvalue(mt);
    luaC_objbarrierback(L, h, hvalue(mt));
    luaC_checkfinalizer(L, h, hvalue(mt));
  }
  setobj(func, t);
  return true;
}

// The wanted results and the call status of a new frame, in one store.
inline void setframekind(CallInfo* ci, int nresults, uint16_t status) {
  static_assert(offsetof(CallInfo, callstatus) == offsetof(CallInfo, nresults) + sizeof(short));
  uint32_t word = static_cast<uint16_t>(nresults) | (uint32_t{status} << 16);
  std::memcpy(&ci->nresults, &word, sizeof word);
}

// The wanted results and the call status of a frame, in one load, masked.
inline uint32_t framekind(const CallInfo* ci, uint32_t mask) {
  uint32_t word;
  std::memcpy(&word, &ci->nresults, sizeof word);
  return word & mask;
}
// A frame that wants one result and that the loop made for a call from a
// script frame (not counted in the native-call depth).
constexpr uint32_t QUICK_RETURN_MASK = 0xffffu | (uint32_t{CIST_REENTRY | CIST_COUNTED} << 16);
constexpr uint32_t QUICK_RETURN_ONE = 1u | (uint32_t{CIST_REENTRY} << 16);
// The same for a frame that wants all results.
constexpr uint32_t QUICK_RETURN_ALL = static_cast<uint16_t>(LUA_MULTRET) | (uint32_t{CIST_REENTRY} << 16);
// The whole word of a frame the quick call made for one result, as long as
// nothing has marked it since (a tail call, say).
constexpr uint16_t QUICK_CALL_STATUS = CIST_LUA | CIST_REENTRY;
constexpr uint32_t QUICK_CALL_ONE = 1u | (uint32_t{QUICK_CALL_STATUS} << 16);
constexpr uint32_t QUICK_CALL_ALL = static_cast<uint16_t>(LUA_MULTRET) | (uint32_t{QUICK_CALL_STATUS} << 16);

// One invocation of the loop: the thread it was called to run, the thread it
// runs now, the boundary that catches the errors of the coroutines it
// switched to, and the status with which one of those ended by an error or
// a suspension thrown to that boundary (LUA_OK when none did).
struct LoopRun {
  lua_State* L0;
  lua_State* running;
  lua_longjmp lj;
  int ended;
  ResumeLevel* level;  // the innermost resume, which quick switches change
};

void execute(void* ud);

}  // namespace

void luaV_execute(lua_State* L) {
  LoopRun run;
  run.L0 = L;
  run.running = L;
  run.lj.previous = nullptr;
  run.ended = LUA_OK;
  run.level = luaD_resumelevel();
  while ((run.ended = luaD_runbehind(&run.lj, execute, &run)) != LUA_OK) {
  }
}

#if defined(__GNUC__)
#define TOVO_COMPUTED_GOTO 1
#endif

// Operands as byte offsets: a field shifted so that its value lands in
// multiples of a value's size, then masked (an R operand has its constant
// bit clear; a K operand's constant bit is masked off).
static_assert(sizeof(TValue) == 16);
constexpr int TVALUE_SHIFT = 4;
inline StkId slot_at(TValue* p, uint32_t offset) {
  return reinterpret_cast<StkId>(reinterpret_cast<char*>(p) + offset);
}
inline uint32_t a_offset(Instruction i) { return (i >> (POS_A - TVALUE_SHIFT)) & (uint32_t{MAXARG_A} << TVALUE_SHIFT); }
inline uint32_t b_offset(Instruction i) { return (i >> (POS_B - TVALUE_SHIFT)) & (uint32_t{MAXARG_B} << TVALUE_SHIFT); }
inline uint32_t c_offset(Instruction i) { return (i >> (POS_C - TVALUE_SHIFT)) & (uint32_t{MAXARG_C} << TVALUE_SHIFT); }
inline uint32_t kb_offset(Instruction i) {
  return (i >> (POS_B - TVALUE_SHIFT)) & (uint32_t{MAXINDEXRK} << TVALUE_SHIFT);
}
inline uint32_t kc_offset(Instruction i) {
  return (i >> (POS_C - TVALUE_SHIFT)) & (uint32_t{MAXINDEXRK} << TVALUE_SHIFT);
}
inline bool b_is_k(Instruction i) { return (i & (uint32_t{BITRK} << POS_B)) != 0; }
inline bool c_is_k(Instruction i) { return (i & (uint32_t{BITRK} << POS_C)) != 0; }

#define RA(i) slot_at(base, a_offset(i))
#define RB(i) slot_at(base, b_offset(i))
#define RC(i) slot_at(base, c_offset(i))
#define KB(i) slot_at(k, kb_offset(i))
#define KC(i) slot_at(k, kc_offset(i))
#define RKB(i) (b_is_k(i) ? KB(i) : RB(i))
#define RKC(i) (c_is_k(i) ? KC(i) : RC(i))

namespace {

// The loop keeps the slice's count as its excess over a limit, less one
// (over = slice - limit - 1), so that the check before each instruction
// reads one register: the budget may be spent once over >= 0, the sign that
// the charge's addition itself sets. Without a superyield pending that is
// exactly "held slice > cpu_cycles_slice_max" (never true when the budget
// is INT32_MAX: the limit is then beyond any count); with one pending the
// limit is below any count, and every instruction takes the exact check
// (which then suspends, unless the thread cannot yield). The limit is read
// only where the count is stored or loaded. It lives outside the loop's
// registers: between the loop's loading it and storing the count nothing
// runs that could load it again (every call out of the loop stores the
// count first and loads the budget after).
constexpr int64_t LIMIT_EVERY_INSTRUCTION = -(int64_t{1} << 40);
constexpr int64_t LIMIT_NEVER = int64_t{1} << 62;
int64_t loop_limit;

// Stores the count, which what runs outside the loop may read.
#define savecount() G(L)->cpu.cpu_cycles_slice = tovo_held_slice(over + loop_limit + 1);
#define savestate()          \
  {                          \
    savecount();             \
    L->ci->u.l.savedpc = pc; \
  }

#define loadbudget()                                                                                         \
  {                                                                                                          \
    const lua_cpu_counters& cpu_ = G(L)->cpu;                                                                \
    loop_limit = cpu_.cpu_superyield != 0                 ? LIMIT_EVERY_INSTRUCTION                          \
                 : cpu_.cpu_cycles_slice_max == INT32_MAX ? LIMIT_NEVER                                      \
                                                          : static_cast<int64_t>(cpu_.cpu_cycles_slice_max); \
    over = cpu_.cpu_cycles_slice - loop_limit - 1;                                                           \
  }

// After a call out of the loop: reads the budget and finds the frame's base
// (the stack may have moved) and constants again. Reading them again, rather
// than keeping them across the call, leaves more registers to the loop.
#define reload()            \
  {                         \
    loadbudget();           \
    base = L->ci->u.l.base; \
    k = L->ci->u.l.k;       \
  }

// The end of a return to a frame the quick call made: the caller goes on
// in place, with its base, constants and pc, and L's top at top_after.
#define quick_return_to_caller(top_after) \
  {                                       \
    ci = ci->previous;                    \
    L->ci = ci;                           \
    L->top = (top_after);                 \
    base = ci->u.l.base;                  \
    k = ci->u.l.k;                        \
    pc = ci->u.l.savedpc;                 \
    vmbreak_late(OP_RETURN);              \
  }

// Runs x, which may run code outside the loop or move the stack.
#define Protect(x) \
  {                \
    savestate();   \
    x;             \
    reload();      \
  }

// Closes the upvalues from level up, when there are any.
#define closeupvalues(level)                                     \
  {                                                              \
    StkId level_ = (level);                                      \
    if (luaF_hasopen(L, level_)) Protect(luaF_close(L, level_)); \
  }

#define dojump(i, e)                                     \
  {                                                      \
    int a_ = GETARG_A(i);                                \
    int offset_ = GETARG_sBx(i) + (e);                   \
    if (a_ > 0) closeupvalues(L->ci->u.l.base + a_ - 1); \
    pc += offset_;                                       \
  }
// A test or comparison runs the jump that follows it at once.
#define donextjump() \
  {                  \
    i = *pc;         \
    dojump(i, 1);    \
  }

// The count and the saved pc are stored only when the collector runs: the
// instructions that check have nothing else that leaves the loop.
#define checkGC()                                  \
  {                                                \
    L->top = L->ci->top;                           \
    if (luaC_stepdue(L)) Protect(luaC_checkGC(L)); \
  }

// What the check before an instruction does once the count may have spent
// the budget: the exact test, then the suspension (which ends the loop's
// resume) or the budget read again.
#define budgetdue()                  \
  {                                  \
    savestate();                     \
    if (tovo_budget_over(L)) {       \
      luaV_budget_suspend(L, L->ci); \
      goto yielded;                  \
    }                                \
    loadbudget();                    \
  }

// Fetch and budget check; each opcode's case charges its constant cost and
// finds its operands.
#define vmfetch()                                    \
  {                                                  \
    i = *pc++;                                       \
    if (__builtin_expect(over >= 0, 0)) budgetdue(); \
  }

#define charge(cost) over += (cost);

// The jump that ends a case charged at its end (vmcase_late), as dojump.
#define dojump_late(i, e, op)                  \
  {                                            \
    int a_ = GETARG_A(i);                      \
    int offset_ = GETARG_sBx(i) + (e);         \
    if (a_ > 0) {                              \
      charge(tovo_opcode_cost(op));            \
      closeupvalues(L->ci->u.l.base + a_ - 1); \
      pc += offset_;                           \
      vmbreak;                                 \
    }                                          \
    pc += offset_;                             \
    vmbreak_late(op);                          \
  }
// A test's end in a case charged at its end: the following jump when res
// equals A, else a skip over it.
#define testjump_late(res, op)  \
  {                             \
    if ((res) != GETARG_A(i)) { \
      pc++;                     \
      vmbreak_late(op);         \
    }                           \
    i = *pc;                    \
    dojump_late(i, 1, op);      \
  }
// The way out of a comparison charged at its end whose operands need the
// general comparison: it charges first, runs call (which may run code
// outside the loop) for the result and ends with the test's jump.
#define compare_late_general(op, call) \
  {                                    \
    charge(tovo_opcode_cost(op));      \
    int res_;                          \
    Protect(res_ = (call));            \
    i = pc[-1];                        \
    if (res_ != GETARG_A(i)) {         \
      pc++;                            \
    } else {                           \
      donextjump();                    \
    }                                  \
    vmbreak;                           \
  }
// A way out of a case charged at its end that runs x as Protect does: it
// charges first and ends the case.
#define Protect_late(op, x)       \
  {                               \
    charge(tovo_opcode_cost(op)); \
    Protect(x);                   \
    vmbreak;                      \
  }

#ifdef TOVO_COMPUTED_GOTO
// The dispatch table's index for an instruction: its low byte.
inline unsigned dispatch_index(Instruction i) { return static_cast<uint8_t>(i); }
#define vmdispatch(o) goto* disptab[o];
#define vmcase(l) L_##l : charge(tovo_opcode_cost(l));
// A loop form's case, charged as its opcode.
#define vmform(l, op) L_##l : charge(tovo_opcode_cost(op));
#define vmbreak \
  vmfetch();    \
  vmdispatch(dispatch_index(i))
// A case that charges op's cost where it goes on with the next instruction
// (vmbreak_late), so that the budget check tests the charge's own result.
// Its other ways out charge first, as the other cases do, before anything
// that may read the count, and end with vmbreak.
#define vmcase_late(l) L_##l:
#if defined(__x86_64__)
// The addition's sign flag is the check (an asm of its own, which the
// compiler can neither merge with the charges of other ways out nor
// separate from the jump).
#define vmbreak_late(op)                                                                              \
  {                                                                                                   \
    bool due_;                                                                                        \
    i = *pc++;                                                                                        \
    __asm__ volatile("add %2, %0" : "+r"(over), "=@ccns"(due_) : "i"(int64_t{tovo_opcode_cost(op)})); \
    if (__builtin_expect(due_, 0)) budgetdue();                                                       \
    vmdispatch(dispatch_index(i));                                                                    \
  }
#else
#define vmbreak_late(op)        \
  charge(tovo_opcode_cost(op)); \
  vmbreak
#endif
#else
inline int dispatch_index(Instruction i) { return GET_OPCODE(i) & 63; }
// clang-format off
#define vmdispatch(o) switch (o)
#define vmcase(l) \
  case l:         \
    charge(tovo_opcode_cost(l));
// A loop form's case, charged as its opcode.
#define vmform(l, op) \
  case l:             \
    charge(tovo_opcode_cost(op));
#define vmcase_late(l) \
  case l:
#define vmbreak_late(op)          \
  charge(tovo_opcode_cost(op));  \
  break
// clang-format on
#define vmbreak break
#endif

// The running function's closure.
#define CL() clLvalue(L->ci->func)

// An arithmetic opcode: the number fast path, else luaV_arith.
#define arith_op(OP, TM, expr)                                   \
  vmcase_late(OP) {                                              \
    StkId ra = RA(i);                                            \
    const TValue* rb = RKB(i);                                   \
    const TValue* rc = RKC(i);                                   \
    if (__builtin_expect(ttisnumber(rb) && ttisnumber(rc), 1)) { \
      lua_Number nb = nvalue(rb), nc = nvalue(rc);               \
      (void)nc;                                                  \
      setnvalue(ra, (expr));                                     \
      vmbreak_late(OP);                                          \
    }                                                            \
    charge(tovo_opcode_cost(OP));                                \
    Protect(luaV_arith(L, ra, rb, rc, TM));                      \
  }                                                              \
  vmbreak;

// The loop form of an arithmetic opcode with a register B and a number
// constant C.
#define arith_k_op(FORM, OP, TM, expr)             \
  vmcase_late(FORM) {                              \
    StkId ra = RA(i);                              \
    const TValue* rb = RB(i);                      \
    const TValue* kc = KC(i);                      \
    if (__builtin_expect(ttisnumber(rb), 1)) {     \
      lua_Number nb = nvalue(rb), nc = nvalue(kc); \
      setnvalue(ra, (expr));                       \
      vmbreak_late(OP);                            \
    }                                              \
    charge(tovo_opcode_cost(OP));                  \
    Protect(luaV_arith(L, ra, rb, kc, TM));        \
  }                                                \
  vmbreak;

// The loop form of LT or LE with one operand a register and the other a
// number constant: cmp(x, y) compares two numbers, fallback(L, x, y) any two
// values.
#define compare_k_op(FORM, OP, cmp, fallback)                                            \
  vmcase_late(FORM) {                                                                    \
    bool k_right = __builtin_expect(c_is_k(i), 1);                                       \
    const TValue* x = k_right ? RB(i) : RC(i);                                           \
    if (__builtin_expect(ttisnumber(x), 1)) {                                            \
      int res = k_right ? cmp(nvalue(x), nvalue(KC(i))) : cmp(nvalue(KB(i)), nvalue(x)); \
      testjump_late(res, OP);                                                            \
    }                                                                                    \
    compare_late_general(OP, fallback(L, RKB(i), RKC(i)));                               \
  }

inline bool less_number(lua_Number a, lua_Number b) { return a < b; }
inline bool less_equal_number(lua_Number a, lua_Number b) { return a <= b; }

void execute(void* ud) {
#ifdef TOVO_COMPUTED_GOTO
  // Indexed by an instruction's low byte: the opcode and the two low bits
  // of A, so that the dispatch needs no mask.
#define OPCODE_LABELS                                                                                                  \
  &&L_OP_MOVE, &&L_OP_LOADK, &&L_OP_LOADKX, &&L_OP_LOADBOOL, &&L_OP_LOADNIL, &&L_OP_GETUPVAL, &&L_OP_GETTABUP,         \
      &&L_OP_GETTABLE, &&L_OP_SETTABUP, &&L_OP_SETUPVAL, &&L_OP_SETTABLE, &&L_OP_NEWTABLE, &&L_OP_SELF, &&L_OP_ADD,    \
      &&L_OP_SUB, &&L_OP_MUL, &&L_OP_DIV, &&L_OP_MOD, &&L_OP_POW, &&L_OP_KXBAND, &&L_OP_KXBOR, &&L_OP_KXBXOR,          \
      &&L_OP_KXSHL, &&L_OP_KXSHR, &&L_OP_KXLSHR, &&L_OP_KXROTL, &&L_OP_KXROTR, &&L_OP_KXBNOT, &&L_OP_IDIV,             \
      &&L_OP_PEEK, &&L_OP_PEEK2, &&L_OP_PEEK4, &&L_OP_UNM, &&L_OP_NOT, &&L_OP_LEN, &&L_OP_CONCAT, &&L_OP_JMP,          \
      &&L_OP_EQ, &&L_OP_LT, &&L_OP_LE, &&L_OP_TEST, &&L_OP_TESTSET, &&L_OP_CALL, &&L_OP_TAILCALL, &&L_OP_RETURN,       \
      &&L_OP_FORLOOP, &&L_OP_FORPREP, &&L_OP_TFORCALL, &&L_OP_TFORLOOP, &&L_OP_SETLIST, &&L_OP_CLOSURE, &&L_OP_VARARG, \
      &&L_OP_EXTRAARG, &&L_OPF_ADDK, &&L_OPF_SUBK, &&L_OPF_MULK, &&L_OPF_DIVK, &&L_OPF_MODK, &&L_OPF_EQK, &&L_OPF_LTK, \
      &&L_OPF_LEK, &&L_OPF_GETTABLEK, &&L_OPF_SETTABLEK, &&L_OPF_SELFK
  static void* const disptab[256] = {OPCODE_LABELS, OPCODE_LABELS, OPCODE_LABELS, OPCODE_LABELS};
#undef OPCODE_LABELS
#endif
  LoopRun* run = static_cast<LoopRun*>(ud);
  lua_State* L = run->running;
  if (run->ended != LUA_OK) L = luaD_coresumeend(L, run->ended, &run->running);
  TValue* k;
  StkId base;
  const Instruction* pc;
  Instruction i;
  int64_t over;  // cpu_cycles_slice - loop_limit while the loop runs, not yet held
  // A frame suspended by the budget runs its interrupted instruction first,
  // whatever the budget says.
  bool resumed = (L->ci->callstatus & CIST_HOOKYIELD) != 0;
newframe:  // here cpu_cycles_slice and every frame's saved pc are current
  loadbudget();
  if (resumed) {
    k = L->ci->u.l.k;
    base = L->ci->u.l.base;
    pc = L->ci->u.l.savedpc;
    resumed = false;
    L->ci->callstatus &= static_cast<uint16_t>(~CIST_HOOKYIELD);
    if (tovo_budget_over(L)) G(L)->cpu.cpu_superyielded_coresume = 1;
    i = *pc++;
    goto dispatch;
  }
enterframe:  // here over is current, and every frame's saved pc
  k = L->ci->u.l.k;
  base = L->ci->u.l.base;
  pc = L->ci->u.l.savedpc;
  for (;;) {
    vmfetch();
  dispatch:
    vmdispatch(dispatch_index(i)) {
      vmcase_late(OP_MOVE) { setobj(RA(i), RB(i)); }
      vmbreak_late(OP_MOVE);
      vmcase_late(OP_LOADK) { setobj(RA(i), k + GETARG_Bx(i)); }
      vmbreak_late(OP_LOADK);
      vmcase(OP_LOADKX) { setobj(RA(i), k + GETARG_Ax(*pc++)); }
      vmbreak;
      vmcase_late(OP_LOADBOOL) {
        setbvalue(RA(i), GETARG_B(i));
        if (GETARG_C(i)) pc++;
      }
      vmbreak_late(OP_LOADBOOL);
      vmcase(OP_LOADNIL) {
        StkId ra = RA(i);
        int b = GETARG_B(i);
        do {
          setnilvalue(ra++);
        } while (b--);
      }
      vmbreak;
      vmcase_late(OP_GETUPVAL) { setobj(RA(i), CL()->upvals[GETARG_B(i)]->v); }
      vmbreak_late(OP_GETUPVAL);
      vmcase_late(OP_GETTABUP) {
        // Usually a global: a short-string constant key.
        StkId ra = RA(i);
        const TValue* t = CL()->upvals[GETARG_B(i)]->v;
        const TValue* rc = RKC(i);
        bool done =
            __builtin_expect(ttisshrstring(rc), 1) ? quickgetstr(L, t, tsvalue(rc), ra) : quickget(L, t, rc, ra);
        if (__builtin_expect(!done, 0)) Protect_late(OP_GETTABUP, luaV_gettable(L, t, rc, ra));
      }
      vmbreak_late(OP_GETTABUP);
      vmcase_late(OP_GETTABLE) {
        StkId ra = RA(i);
        const TValue* rb = RB(i);
        const TValue* rc = RKC(i);
        if (!quickget(L, rb, rc, ra)) Protect_late(OP_GETTABLE, luaV_gettable(L, rb, rc, ra));
      }
      vmbreak_late(OP_GETTABLE);
      vmcase_late(OP_SETTABUP) {
        // Usually a global: a short-string constant key.
        const TValue* t = CL()->upvals[GETARG_A(i)]->v;
        const TValue* rb = RKB(i);
        const TValue* rc = RKC(i);
        Table* h = __builtin_expect(ttisshrstring(rb), 1) ? quicksetstr(t, tsvalue(rb), rc) : quickset(t, rb, rc);
        if (__builtin_expect(h != nullptr, 1)) {
          if (valiswhite(rc) && isblack(h)) Protect_late(OP_SETTABUP, luaC_barrierback_(L, h));
        } else {
          Protect_late(OP_SETTABUP, luaV_settable(L, t, rb, rc));
        }
      }
      vmbreak_late(OP_SETTABUP);
      vmcase_late(OP_SETUPVAL) {
        StkId ra = RA(i);
        UpVal* uv = CL()->upvals[GETARG_B(i)];
        setobj(uv->v, ra);
        if (valiswhite(ra) && isblack(uv)) Protect_late(OP_SETUPVAL, luaC_barrier_(L, uv, gcvalue(ra)));
      }
      vmbreak_late(OP_SETUPVAL);
      vmcase_late(OP_SETTABLE) {
        StkId ra = RA(i);
        const TValue* rb = RKB(i);
        const TValue* rc = RKC(i);
        if (Table* h = quickset(ra, rb, rc)) {
          if (valiswhite(rc) && isblack(h)) Protect_late(OP_SETTABLE, luaC_barrierback_(L, h));
        } else {
          Protect_late(OP_SETTABLE, luaV_settable(L, ra, rb, rc));
        }
      }
      vmbreak_late(OP_SETTABLE);
      vmcase(OP_NEWTABLE) {
        StkId ra = RA(i);
        int b = GETARG_B(i);
        int c = GETARG_C(i);
        Protect(luaH_newsized(L, ra, luaO_fb2int(b), luaO_fb2int(c)));
        checkGC();
      }
      vmbreak;
      vmcase_late(OP_SELF) {
        StkId ra = RA(i);
        StkId rb = RB(i);
        const TValue* rc = RKC(i);
        setobj(ra + 1, rb);
        if (!quickget(L, rb, rc, ra)) Protect_late(OP_SELF, luaV_gettable(L, rb, rc, ra));
      }
      vmbreak_late(OP_SELF);
      arith_op(OP_ADD, TM_ADD, tovo_wrap_add(nb, nc));
      arith_op(OP_SUB, TM_SUB, tovo_wrap_sub(nb, nc));
      arith_op(OP_MUL, TM_MUL, kx_fmul(nb, nc));
      arith_op(OP_DIV, TM_DIV, kx_fdiv(nb, nc));
      arith_op(OP_MOD, TM_MOD, kx_fmod(nb, nc));
      vmcase(OP_POW) {  // the power charges the budget itself
        StkId ra = RA(i);
        const TValue* rb = RKB(i);
        const TValue* rc = RKC(i);
        if (ttisnumber(rb) && ttisnumber(rc)) {
          Protect(setnvalue(ra, luaO_pow(L, nvalue(rb), nvalue(rc))));
        } else {
          Protect(luaV_arith(L, ra, rb, rc, TM_POW));
        }
      }
      vmbreak;
      arith_op(OP_KXBAND, TM_BAND, static_cast<lua_Number>(static_cast<uint32_t>(nb) & static_cast<uint32_t>(nc)));
      arith_op(OP_KXBOR, TM_BOR, static_cast<lua_Number>(static_cast<uint32_t>(nb) | static_cast<uint32_t>(nc)));
      arith_op(OP_KXBXOR, TM_BXOR, static_cast<lua_Number>(static_cast<uint32_t>(nb) ^ static_cast<uint32_t>(nc)));
      arith_op(OP_KXSHL, TM_SHL, tovo_shl(nb, nc));
      arith_op(OP_KXSHR, TM_SHR, tovo_ashr(nb, nc));
      arith_op(OP_KXLSHR, TM_LSHR, tovo_lshr(nb, nc));
      arith_op(OP_KXROTL, TM_ROTL, tovo_rotl(nb, nc));
      arith_op(OP_KXROTR, TM_ROTR, tovo_rotr(nb, nc));
      arith_op(OP_KXBNOT, TM_BNOT, static_cast<lua_Number>(~static_cast<uint32_t>(nb)));
      arith_op(OP_IDIV, TM_IDIV, static_cast<lua_Number>(static_cast<uint32_t>(kx_fdiv(nb, nc)) & 0xffff0000u));
      arith_op(OP_PEEK, TM_PEEK, G(L)->host.peek_1(nb));
      arith_op(OP_PEEK2, TM_PEEK2, G(L)->host.peek_2(nb));
      arith_op(OP_PEEK4, TM_PEEK4, G(L)->host.peek_4(nb));
      vmcase(OP_UNM) {
        StkId ra = RA(i);
        StkId rb = RB(i);
        if (ttisnumber(rb)) {
          setnvalue(ra, tovo_wrap_neg(nvalue(rb)));
        } else {
          Protect(luaV_arith(L, ra, rb, rb, TM_UNM));
        }
      }
      vmbreak;
      vmcase_late(OP_NOT) { setbvalue(RA(i), l_isfalse(RB(i))); }
      vmbreak_late(OP_NOT);
      vmcase(OP_LEN) { Protect(luaV_objlen(L, RA(i), RB(i))); }
      vmbreak;
      vmcase(OP_CONCAT) {
        int b = GETARG_B(i);
        int c = GETARG_C(i);
        L->top = base + c + 1;  // the values to join end at the top
        Protect(luaV_concat(L, c - b + 1));
        i = pc[-1];
        setobj(RA(i), base + GETARG_B(i));
        checkGC();
      }
      vmbreak;
      vmcase_late(OP_JMP) { dojump_late(i, 0, OP_JMP); }
      vmcase_late(OP_EQ) {
        const TValue* rb = RKB(i);
        const TValue* rc = RKC(i);
        int res;
        if (ttisnumber(rb) && ttisnumber(rc)) {
          res = nvalue(rb) == nvalue(rc);
        } else if (rttype(rb) != rttype(rc)) {
          res = 0;
        } else if (iscollectable(rb) && gcvalue(rb) == gcvalue(rc)) {
          res = 1;  // the same object: equal without "__eq"
        } else {
          compare_late_general(OP_EQ, luaV_equalobj_(L, rb, rc));
        }
        testjump_late(res, OP_EQ);
      }
      vmcase_late(OP_LT) {
        const TValue* rb = RKB(i);
        const TValue* rc = RKC(i);
        if (ttisnumber(rb) && ttisnumber(rc)) testjump_late(nvalue(rb) < nvalue(rc), OP_LT);
        compare_late_general(OP_LT, luaV_lessthan(L, rb, rc));
      }
      vmcase_late(OP_LE) {
        const TValue* rb = RKB(i);
        const TValue* rc = RKC(i);
        if (ttisnumber(rb) && ttisnumber(rc)) testjump_late(nvalue(rb) <= nvalue(rc), OP_LE);
        compare_late_general(OP_LE, luaV_lessequal(L, rb, rc));
      }
      vmcase_late(OP_TEST) {
        StkId ra = RA(i);
        if (GETARG_C(i) ? l_isfalse(ra) : !l_isfalse(ra)) {
          pc++;
          vmbreak_late(OP_TEST);
        }
        i = *pc;
        dojump_late(i, 1, OP_TEST);
      }
      vmcase_late(OP_TESTSET) {
        StkId rb = RB(i);
        if (GETARG_C(i) ? l_isfalse(rb) : !l_isfalse(rb)) {
          pc++;
          vmbreak_late(OP_TESTSET);
        }
        setobj(RA(i), rb);
        i = *pc;
        dojump_late(i, 1, OP_TESTSET);
      }
      vmcase_late(OP_CALL) {
        CallInfo* ci = L->ci;
        StkId ra = RA(i);
        int b = GETARG_B(i);
        ci->u.l.savedpc = pc;
        if (__builtin_expect(ttisLclosure(ra), 1)) {
          // The usual call: a script function of fixed arity given exactly
          // its parameters, with room on the stack. Its saved pc is stored
          // when the loop next leaves it.
          Proto* p = clLvalue(ra)->p;
          int nargs = b;  // the function and its arguments
          bool fixed = b == p->callargs || (b == 0 && (nargs = topcount(L, ra)) == p->callargs);
          if (__builtin_expect(fixed && slot_at(ra, p->callroom) < L->stack_last, 1)) {
            CallInfo* nci = ci->next;
            if (__builtin_expect(nci == nullptr, 0)) {
              charge(tovo_opcode_cost(OP_CALL));
              savecount();
              nci = moreframes(L, ra + nargs);
              loadbudget();
              charge(-tovo_opcode_cost(OP_CALL));  // charged at the end
            }
            ci = nci;
            ci->func = ra;
            base = ra + 1;
            ci->u.l.base = base;
            ci->top = base + p->maxstacksize;
            // The wanted results, decoded where they are stored (a local
            // from the case's start would live in a stack slot; the empty
            // asm keeps the compiler from sharing the general path's).
            Instruction ic = i;
            __asm__("" : "+r"(ic));
            setframekind(ci, GETARG_C(ic) - 1, QUICK_CALL_STATUS);
            k = p->k;
            ci->u.l.k = k;
            L->ci = ci;
            L->top = ci->top;
            pc = p->code;
            if (luaC_stepdue(L)) {
              charge(tovo_opcode_cost(OP_CALL));
              savestate();
              luaC_checkGC(L);
              goto newframe;
            }
            vmbreak_late(OP_CALL);
          }
        }
        int nresults = GETARG_C(i) - 1;
        charge(tovo_opcode_cost(OP_CALL));
        StkId top = b != 0 ? ra + b : L->top;  // else the previous instruction set the top
        CallInfo* nci = nullptr;
        if (ttislcf(ra)) {
          L->top = top;
          // The usual switch between a coroutine and its resumer: nothing
          // runs outside the loop, the count stays in over.
          lua_State* other =
              fvalue(ra) == luaB_coresume
                  ? (ttisthread(ra + 1) ? luaD_coresumequick(run->level, L, ra, nresults, &run->lj) : nullptr)
              : fvalue(ra) == luaB_yield && L != run->L0 ? luaD_yieldquick(run->level, L, ra, nresults)
                                                         : nullptr;
          if (other != nullptr) {
            L = run->running = other;  // from here on an error is the other thread's
            ci = L->ci;
            goto enterframe;
          }
        } else if (ttisLclosure(ra) && ci->next != nullptr) {
          nci = quickframe(L, ci, ra, top, nresults, CIST_LUA | CIST_REENTRY);
        }
        if (nci != nullptr) {
          ci = nci;
          if (luaC_stepdue(L)) {
            savecount();
            luaC_checkGC(L);
            goto newframe;
          }
          // Nothing ran outside the loop: the new frame starts here.
          k = ci->u.l.k;
          base = ci->u.l.base;
          pc = CL()->p->code;
        } else {
          L->top = top;
          savecount();
          if (ttisfcf(ra)) {  // a fast native function: no frame
            L->nargs = static_cast<int32_t>(L->top - ra) - 1;
            lua_Number r = fvalue(ra)(L);
            reload();
            i = pc[-1];
            ra = RA(i);
            nresults = GETARG_C(i) - 1;
            setnvalue(ra, r);
            for (int n = 1; n < nresults; n++) setnilvalue(ra + n);
            L->top = nresults >= 0 ? ci->top : ra + 1;
          } else if (ttislcf(ra) && fvalue(ra) == luaB_coresume && ttisthread(ra + 1)) {
            if (lua_State* co = luaD_coresumecall(L, ra, nresults, &run->lj, &run->running)) {
              L = co;  // run the coroutine here
              ci = L->ci;
              goto newframe;
            }
            reload();
          } else if (quicksetmetatable(L, ci, ra)) {
            loadbudget();
            for (int n = 1; n < nresults; n++) setnilvalue(ra + n);
            L->top = nresults >= 0 ? ci->top : ra + 1;
          } else if (ttislcf(ra) && fvalue(ra) == luaB_yield && luaD_yieldcall(L, ra, nresults)) {
            goto yielded;
          } else if (ttislcf(ra) ? luaD_nativecall(L, ra, fvalue(ra), nresults)
                                 : luaD_precall(L, ra, nresults)) {  // a native function has run
            if (L->status == LUA_YIELD) goto yielded;
            if (nresults >= 0) L->top = ci->top;
            reload();
          } else {  // a script function: run it in this loop
            ci = L->ci;
            ci->callstatus |= CIST_REENTRY;
            goto newframe;
          }
        }
      }
      vmbreak;
      vmcase(OP_TAILCALL) {
        CallInfo* ci = L->ci;
        StkId ra = RA(i);
        int b = GETARG_B(i);
        int nargs = b != 0 ? b : topcount(L, ra);  // the function and its arguments
        if (ttisLclosure(ra) && nargs == clLvalue(ra)->p->callargs && ci->next != nullptr && !luaC_stepdue(L) &&
            slot_at(ra, clLvalue(ra)->p->callroom) < L->stack_last) {
          // The usual tail call: a script function of fixed arity given
          // exactly its parameters, when the general path would make its
          // frame without growing anything and without a collector step.
          // The function and its arguments move straight down over this
          // frame, which becomes the called function's.
          closeupvalues(base);
          ra = RA(pc[-1]);
          StkId func = ci->func;
          for (int j = 0; j < nargs; j++) setobj(func + j, ra + j);
          Proto* p = clLvalue(func)->p;
          base = func + 1;
          ci->u.l.base = base;
          ci->top = base + p->maxstacksize;
          L->top = ci->top;
          ci->callstatus |= CIST_TAIL;
          pc = p->code;
          k = p->k;
          ci->u.l.k = k;
          vmbreak;
        }
        if (b != 0) L->top = ra + b;
        savestate();
        CallInfo* qci = quickframe(L, ci, ra, L->top, LUA_MULTRET, CIST_LUA);
        if (qci != nullptr) luaC_checkGC(L);
        if (qci == nullptr && luaD_precall(L, ra, LUA_MULTRET)) {  // a native function has run
          if (L->status == LUA_YIELD) goto yielded;
          reload();
        } else {  // move the called frame down over this one
          CallInfo* nci = L->ci;
          CallInfo* oci = nci->previous;
          StkId nfunc = nci->func;
          StkId ofunc = oci->func;
          StkId lim = nci->u.l.base + getproto(nfunc)->numparams;
          if (clLvalue(ofunc)->p->sizep > 0) luaF_close(L, oci->u.l.base);
          for (int aux = 0; nfunc + aux < lim; aux++) setobj(ofunc + aux, nfunc + aux);
          oci->u.l.base = ofunc + (nci->u.l.base - nfunc);
          oci->top = L->top = ofunc + (L->top - nfunc);
          oci->u.l.savedpc = nci->u.l.savedpc;
          oci->u.l.k = nci->u.l.k;
          oci->callstatus |= CIST_TAIL;
          ci = L->ci = oci;
          goto newframe;
        }
      }
      vmbreak;
      vmcase_late(OP_RETURN) {
        CallInfo* ci = L->ci;
        StkId ra = RA(i);
        int b = GETARG_B(i);
        if (luaF_hasopen(L, base)) {
          charge(tovo_opcode_cost(OP_RETURN));
          Protect(luaF_close(L, base));
          charge(-tovo_opcode_cost(OP_RETURN));  // charged where the case ends
          i = pc[-1];
          ra = RA(i);
          b = GETARG_B(i);
        }
        // The results to the called function's slot, as luaD_poscall does.
        StkId res = ci->func;
        if (__builtin_expect(b == 2 && framekind(ci, ~uint32_t{0}) == QUICK_CALL_ONE, 1)) {
          // The usual return: one result, where one is wanted by a frame
          // the quick call made (and nothing since marked). The caller
          // goes on here, without the frame entry's reloads.
          setobj(res, ra);
          quick_return_to_caller(ci->top);
        }
        if (b == 2 && framekind(ci, ~uint32_t{0}) == QUICK_CALL_ALL) {
          // One result where all are wanted (the last argument of a call,
          // say): the top marks its end.
          setobj(res, ra);
          quick_return_to_caller(res + 1);
        }
        if (b != 0 && framekind(ci, ~uint32_t{0}) == (static_cast<uint32_t>(b - 1) | (QUICK_CALL_ONE & ~0xffffu))) {
          // As many results as wanted (two or more, or none).
          for (int j = 0; j < b - 1; j++) setobj(res + j, ra + j);
          quick_return_to_caller(ci->top);
        }
        charge(tovo_opcode_cost(OP_RETURN));
        if (b == 2 && framekind(ci, QUICK_RETURN_MASK) == QUICK_RETURN_ONE) {
          // The same for any other frame this loop made.
          setobj(res, ra);
          ci = L->ci = ci->previous;
          L->top = ci->top;
          goto enterframe;
        }
        if (b == 2 && framekind(ci, QUICK_RETURN_MASK) == QUICK_RETURN_ALL) {
          setobj(res, ra);
          ci = L->ci = ci->previous;
          L->top = res + 1;
          goto enterframe;
        }
        int wanted = ci->nresults;
        if (b != 0 && wanted >= 0 &&
            (ci->callstatus & (CIST_REENTRY | CIST_COUNTED)) == CIST_REENTRY) {  // the common case: fixed counts
          int n = b - 1 < wanted ? b - 1 : wanted;
          for (int j = 0; j < n; j++) setobj(res + j, ra + j);
          for (; n < wanted; n++) setnilvalue(res + n);
          ci = L->ci = ci->previous;
          L->top = ci->top;
          goto enterframe;
        }
        StkId top = b != 0 ? ra + b - 1 : L->top;  // the results are ra up to top
        L->ci = ci->previous;
        int n = wanted;
        for (; n != 0 && ra < top; n--) setobj(res++, ra++);
        while (n-- > 0) setnilvalue(res++);
        if (ci->callstatus & CIST_COUNTED) L->nCcalls--;
        if (!(ci->callstatus & CIST_REENTRY)) {  // called from native code
          L->top = res;
          savecount();
          if (L == run->L0) return;
          // A coroutine this loop switched to: its first frame has returned,
          // or a frame a native call made before a yield, whose caller's
          // instruction is finished as a resume would finish it.
          if (L->ci == &L->base_ci) {
            L = luaD_coresumeend(L, LUA_OK, &run->running);
          } else {
            luaV_finishOp(L);
          }
          ci = L->ci;
          goto newframe;
        }
        ci = L->ci;
        L->top = wanted != LUA_MULTRET ? ci->top : res;
        goto enterframe;
      }
      vmcase_late(OP_FORLOOP) {
        StkId ra = RA(i);
        lua_Number step = nvalue(ra + 2);
        lua_Number idx = tovo_wrap_add(nvalue(ra), step);
        lua_Number limit = nvalue(ra + 1);
        if (step > 0 ? idx <= limit : (step < 0 && idx >= limit)) {
          pc += GETARG_sBx(i);
          setnvalue(ra, idx);
          setnvalue(ra + 3, idx);
          // The next index would pass the ends of the number range (or
          // reach 0x7fffffff): this pass is the last.
          if ((step > 0 && idx >= 0 && step >= tovo_wrap_sub(0x7fffffff, idx)) ||
              (step < 0 && idx < 0 && step < tovo_wrap_sub(INT32_MIN, idx))) {
            setnvalue(ra + 2, 0);
          }
        }
      }
      vmbreak_late(OP_FORLOOP);
      vmcase(OP_FORPREP) {
        StkId ra = RA(i);
        Protect(forprep(L, ra));
        setnvalue(ra, tovo_wrap_sub(nvalue(ra), nvalue(ra + 2)));
        pc += GETARG_sBx(i);
      }
      vmbreak;
      vmcase(OP_TFORCALL) {
        CallInfo* ci = L->ci;
        StkId ra = RA(i);
        StkId cb = ra + 3;  // call base
        setobj(cb + 2, ra + 2);
        setobj(cb + 1, ra + 1);
        setobj(cb, ra);
        StkId top = cb + 3;  // function and two arguments
        ci->u.l.savedpc = pc;
        // A script iterator runs in this loop, counted in the native-call
        // depth as the call from native code would count it.
        savecount();
        CallInfo* nci = L->nCcalls + 1 < LUAI_MAXCCALLS
                            ? quickframe(L, ci, cb, top, GETARG_C(i), CIST_LUA | CIST_REENTRY | CIST_COUNTED)
                            : nullptr;
        loadbudget();
        if (nci != nullptr) {
          L->nCcalls++;
          ci = nci;
          if (luaC_stepdue(L)) {
            savecount();
            luaC_checkGC(L);
            goto newframe;
          }
          k = ci->u.l.k;
          base = ci->u.l.base;
          pc = CL()->p->code;
        } else {
          L->top = top;
          Protect(luaD_call(L, cb, GETARG_C(i), 1));
          L->top = ci->top;
        }
      }
      vmbreak;
      vmcase(OP_TFORLOOP) {
        StkId ra = RA(i);
        if (!ttisnil(ra + 1)) {  // go on with the loop
          setobj(ra, ra + 1);
          pc += GETARG_sBx(i);
        }
      }
      vmbreak;
      vmcase(OP_SETLIST) {
        StkId ra = RA(i);
        int n = GETARG_B(i);
        int c = GETARG_C(i);
        if (n == 0) n = static_cast<int>(L->top - ra) - 1;
        if (c == 0) c = GETARG_Ax(*pc++);
        Protect(setlist(L, ra, n, c));
        L->top = L->ci->top;
      }
      vmbreak;
      vmcase(OP_CLOSURE) {
        StkId ra = RA(i);
        LClosure* cl = CL();
        Proto* p = cl->p->p[GETARG_Bx(i)];
        LClosure* ncl = getcached(p, cl->upvals, base);
        if (ncl == nullptr) {
          Protect(pushclosure(L, p, cl->upvals, base, ra));
        } else {
          setclLvalue(ra, ncl);
        }
        checkGC();
      }
      vmbreak;
      vmcase(OP_VARARG) {
        StkId ra = RA(i);
        int b = GETARG_B(i) - 1;
        int n = static_cast<int>(base - L->ci->func) - CL()->p->numparams - 1;
        if (n < 0) n = 0;
        if (b < 0) {  // all of them
          b = n;
          Protect(luaD_checkstack(L, n));
          ra = RA(i);
          L->top = ra + n;
        }
        for (int j = 0; j < b; j++) {
          if (j < n) {
            setobj(ra + j, base - n + j);
          } else {
            setnilvalue(ra + j);
          }
        }
      }
      vmbreak;
      arith_k_op(OPF_ADDK, OP_ADD, TM_ADD, tovo_wrap_add(nb, nc));
      arith_k_op(OPF_SUBK, OP_SUB, TM_SUB, tovo_wrap_sub(nb, nc));
      arith_k_op(OPF_MULK, OP_MUL, TM_MUL, kx_fmul(nb, nc));
      arith_k_op(OPF_DIVK, OP_DIV, TM_DIV, kx_fdiv(nb, nc));
      arith_k_op(OPF_MODK, OP_MOD, TM_MOD, kx_fmod(nb, nc));
      vmcase_late(OPF_EQK) {
        // A constant is never a table or a full userdata: no "__eq" applies.
        bool k_right = c_is_k(i);
        const TValue* x = k_right ? RB(i) : RC(i);
        const TValue* kv = k_right ? KC(i) : KB(i);
        int res;
        if (rttype(x) != rttype(kv)) {
          res = 0;
        } else if (ttisnumber(x)) {
          res = nvalue(x) == nvalue(kv);
        } else if (ttisshrstring(x)) {
          res = tsvalue(x) == tsvalue(kv);
        } else {
          res = luaV_rawequalobj(x, kv);
        }
        testjump_late(res, OP_EQ);
      }
      compare_k_op(OPF_LTK, OP_LT, less_number, luaV_lessthan);
      compare_k_op(OPF_LEK, OP_LE, less_equal_number, luaV_lessequal);
      vmcase_late(OPF_GETTABLEK) {
        StkId ra = RA(i);
        const TValue* rb = RB(i);
        const TValue* kc = KC(i);
        if (__builtin_expect(!quickgetstr(L, rb, tsvalue(kc), ra), 0))
          Protect_late(OP_GETTABLE, luaV_gettable(L, rb, kc, ra));
      }
      vmbreak_late(OP_GETTABLE);
      vmcase_late(OPF_SETTABLEK) {
        StkId ra = RA(i);
        const TValue* kb = KB(i);
        const TValue* rc = RKC(i);
        if (Table* h = quicksetstr(ra, tsvalue(kb), rc); __builtin_expect(h != nullptr, 1)) {
          if (valiswhite(rc) && isblack(h)) Protect_late(OP_SETTABLE, luaC_barrierback_(L, h));
        } else if (ttistable(ra) && hvalue(ra)->metatable == nullptr) {
          // A new key of a table without a metatable (one that its
          // constructor fills, say), made as luaV_settable makes it: at
          // once while the table has a free node, which needs no memory
          // (a free main position takes no call).
          Table* t = hvalue(ra);
          TValue* cell = luaH_newkeyatmain(t, kb);
          if (cell == nullptr) cell = luaH_newkeyinnode(t, kb);
          if (__builtin_expect(cell != nullptr, 1)) {
            setobj(cell, rc);
            t->flags = 0;
            if (isblack(t) && (iswhite(gcvalue(kb)) || valiswhite(rc))) luaC_barrierback_(L, t);
          } else {
            Protect_late(OP_SETTABLE, setobj(luaH_newkey(L, t, kb), rc); t->flags = 0; luaC_barrierback(L, t, rc));
          }
        } else {
          Protect_late(OP_SETTABLE, luaV_settable(L, ra, kb, rc));
        }
      }
      vmbreak_late(OP_SETTABLE);
      vmcase_late(OPF_SELFK) {
        StkId ra = RA(i);
        StkId rb = RB(i);
        const TValue* kc = KC(i);
        setobj(ra + 1, rb);
        if (__builtin_expect(!quickgetstr(L, rb, tsvalue(kc), ra), 0))
          Protect_late(OP_SELF, luaV_gettable(L, rb, kc, ra));
      }
      vmbreak_late(OP_SELF);
#ifndef TOVO_COMPUTED_GOTO
      default:
#endif
        vmcase(OP_EXTRAARG) {}  // reached as an instruction: only its charge
        vmbreak;
    }
  }
yielded:  // the running thread yielded by returning or was suspended: its resume ends
  if (L == run->L0) return;
  L = luaD_coresumeend(L, LUA_OK, &run->running);
  goto newframe;
}

}  // namespace
