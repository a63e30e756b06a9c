#pragma once
// Writing XM modules: the header, packed patterns and one sample an
// instrument. The player writes none.
#include "sound/xm/xm.h"

struct tarq_file;

int tarq_save_xm(const char* path, const tarq_xm* xm);
int tarq_save_xm_to_file(const tarq_xm* xm, tarq_file* f);
