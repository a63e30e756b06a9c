// What remains of the stand-in bindings: the text that the stand-in print
// kept, which tests still clear. Every binding is now served by its module.
#include "console/api_standin_bindings.h"

std::string tovo_standin_printed;
