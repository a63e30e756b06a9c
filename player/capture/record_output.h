#pragma once
// Where screenshots and clips go: the base file name, the cart's output
// folder, and the first free numbered name.
#include <cstdint>

// The data pod's title with every character other than an ASCII letter, a
// digit, '-', '_' or a blank made a blank; "TOVO" when the title is empty.
// Lives in a static buffer.
const char* get_output_file_name_base();
// out (TARQ_PATH_MAX bytes) = application folder + "appdata/" + the title's
// folder + "/" + name, making both folders; 0, or 1 when the path does not fit.
int prefix_with_file_output_path(const char* name, char* out);
// True when a file name that a cart set may be used: not empty, and only
// ASCII letters, digits, '-', '_' and blanks.
bool tovo_output_name_allowed(const char* name);
// The path of the next screenshot or clip with this extension (".png",
// ".gif"): with a file name set by the cart, that name (overwritten on each
// save); else the base name followed by "_" and the first number from 0 whose
// file does not exist. Destination 0 is the desktop folder, else the cart's
// output folder. 0, or 1 when the set name is refused or the path does not fit.
int tovo_output_path(const char* extension, int32_t destination, char* out);
// The file name (without its folder) that tovo_output_path last gave, for
// the messages that say what was written; "" before the first.
const char* tovo_capture_name();
