#pragma once
// The export command's arguments: the text after the command, split at
// blanks and commas. "-x" with x a lower-case letter is an option; w, f and
// j are switches, every other letter takes the next token as its integer
// value (p and e also keep its text). Every other token is a file name.
#include <cstdint>

constexpr int TOVO_EXPORT_MAX_NAMES = 31;
constexpr int TOVO_EXPORT_NAME_SIZE = 1024;
constexpr int TOVO_EXPORT_OPTION_TEXT = 128;

struct tovo_export_parameters {
  int32_t option[26];                             // by letter; -1 when not given
  char option_text[26][TOVO_EXPORT_OPTION_TEXT];  // the value's text for p and e
  char names[TOVO_EXPORT_MAX_NAMES][TOVO_EXPORT_NAME_SIZE];
  int32_t name_count;  // names given (only the first 31 are kept)
};

// Fills p from the text; false when an option letter is not a lower-case
// letter (the caller says "bad argument").
bool extract_parameters(const char* text, tovo_export_parameters* p);

inline int32_t export_option(const tovo_export_parameters* p, char letter) { return p->option[letter - 'a']; }
