#pragma once
// Formats one message and writes it to the log.
#include <cstdarg>

#include "engine/log.h"

__attribute__((format(printf, 1, 2))) void tarq_logf(const char* format, ...);
void tarq_vlogf(const char* format, va_list args);
