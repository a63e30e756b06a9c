#pragma once
// The run loop: a fresh interpreter for every run, the program compiled from
// our program text, resumed once per console tick under a budget of virtual
// CPU cycles with the memory limit and the collector paced between slices,
// and stopped when it ends, fails or is suspended.
#include <cstdint>

struct lua_State;
struct tarq_bitmap;

constexpr int32_t TOVO_COMPILE_SLICE_MAX = 279620;
constexpr int32_t TOVO_SECTIONS_MAX = 8192;

// Closes the cart's state when there is one and makes a fresh one with the
// console allocator, its command thread and the whole API.
void reset_lua_machine();
// Starts the working cart: its code from the code tabs, the parameter string
// made current, a fresh interpreter, memory reloaded from the cart, the PRNG
// seeded, the program compiled and started.
void run_cart();
// Compiles and starts a program (a cart's code, or a prompt line).
void run_program(const char* text, int is_prompt_line);
// Runs the program for one console tick.
void run_slice();
// Saves the cart data through the shell when the words are dirty and more
// than 1000 ms passed since the last save (now: engine milliseconds); the
// run loop calls it after every slice.
void autosave_cdata(int32_t now);
// Stops the program and returns the machine to the console view.
void suspend_program();
// Restores what suspend_program saved of the view and sets the running flag.
void continue_program();
// Registers, clip, GPIO, serial, frame ticks, assert message, main-loop word,
// collection strikes, output file name and print context to their defaults.
void reset_runtime_state();

// which 0: the interpreter's cycles this frame; 1: the spend counter.
int32_t get_cpu_cycles_since_flip(int which);
// cycles as a 16.16 fraction of one frame's budget at the target rate.
int32_t cycles_2_frame_capacity(int32_t cycles);

// The frame-rate governor, once per frame (the epilogue's _update_framerate).
void update_frame_rate();
// The governor with the engine's readings given: measured fps, engine ms,
// whether the window is active and the sleep ms that applies.
void tovo_govern_frame_rate(int32_t fps, int32_t now, int32_t active, int32_t sleep_ms);

// Performance ring, overlay and busy indicator.
void record_resource_data();
void draw_resource_data(tarq_bitmap* bitmap);
void draw_cpu_spinner(tarq_bitmap* bitmap);

// The cart id of a path: the run of 0-9, a-z, '_' and '-' just before ".kx"
// (found after the first character, case-insensitive); "" when none. out
// holds out_size bytes.
void get_lid_from_filename(const char* path, char* out, int out_size);
// 1 when the path lies in the application folder's "bbs/" path.
int is_bbs_cart_file(const char* path);
