// Splitting the export command's text into options and file names.
#include "player/export/export_args.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> split_tokens(const char* text) {
  std::vector<std::string> tokens;
  std::string token;
  for (const char* c = text;; c++) {
    if (*c == 0 || *c == ' ' || *c == ',' || *c == '\t') {
      if (!token.empty()) tokens.push_back(token);
      token.clear();
      if (*c == 0) break;
    } else {
      token += *c;
    }
  }
  return tokens;
}

}  // namespace

bool extract_parameters(const char* text, tovo_export_parameters* p) {
  memset(p, 0, sizeof *p);
  for (int32_t& v : p->option) v = -1;
  std::vector<std::string> tokens = split_tokens(text ? text : "");
  for (size_t i = 0; i < tokens.size(); i++) {
    const std::string& t = tokens[i];
    if (t.size() == 2 && t[0] == '-') {
      char letter = t[1];
      if (letter < 'a' || letter > 'z') return false;
      int k = letter - 'a';
      if (letter == 'w' || letter == 'f' || letter == 'j') {
        p->option[k] = 1;
        continue;
      }
      if (i + 1 >= tokens.size()) continue;  // no value follows: stays absent
      const std::string& value = tokens[++i];
      int v = -1;
      if (sscanf(value.c_str(), "%d", &v) == 1) p->option[k] = v;
      if (letter == 'p' || letter == 'e') {
        snprintf(p->option_text[k], sizeof p->option_text[k], "%s", value.c_str());
      }
      continue;
    }
    if (p->name_count < TOVO_EXPORT_MAX_NAMES)
      snprintf(p->names[p->name_count], TOVO_EXPORT_NAME_SIZE, "%s", t.c_str());
    p->name_count++;
  }
  return true;
}
