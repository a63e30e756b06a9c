#pragma once
// The print engine's run-loop entry points now live in console/print.h.
#include "console/print.h"
