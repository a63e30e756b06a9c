#pragma once
// Helpers shared by the program-control bindings.
#include <cstdint>

#include "console/bindings/binding_args.h"

// True when prompt commands act: no cart running, or started with exec.
bool tovo_prompt_allowed();
// Copies at most max characters of text into out (max + 1 bytes).
void tovo_copy_cut(char* out, const char* text, int max);

// "@clip" and its forms with ".kx", ".png" or ".kx.png": the host clipboard.
bool tovo_clip_name(const char* name);

// The load road of load(): 0 when the cart was loaded, 1 when not.
int32_t kx_load_0(const char* name, const char* breadcrumb);
