// controller_mappings OUTPUT: writes the engine's built-in controller table,
// the game-controller mapping strings for Linux that the SDL library carries,
// followed by a catch-all entry for HIDAPI devices, as a C++ source file.
#include <SDL.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char* const HIDAPI_CATCH_ALL =
    "hidapi,*,a:b0,b:b1,back:b4,dpdown:b12,dpleft:b13,dpright:b14,dpup:b11,guide:b5,leftshoulder:b9,"
    "leftstick:b7,lefttrigger:a4,leftx:a0,lefty:a1,rightshoulder:b10,rightstick:b8,righttrigger:a5,rightx:a2,"
    "righty:a3,start:b6,x:b2,y:b3,";

// The string as a C++ literal (mapping strings hold no control characters).
std::string literal(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: controller_mappings OUTPUT\n");
    return 2;
  }
  if (SDL_Init(SDL_INIT_GAMECONTROLLER) != 0) {
    fprintf(stderr, "controller_mappings: %s\n", SDL_GetError());
    return 1;
  }
  std::vector<std::string> mappings;
  for (int i = 0; i < SDL_GameControllerNumMappings(); i++) {
    char* m = SDL_GameControllerMappingForIndex(i);
    if (!m) continue;
    std::string s = m;
    SDL_free(m);
    if (s.find("platform:") == std::string::npos) s += ",platform:Linux";
    if (s.back() != ',') s += ',';
    if (s.find("platform:Linux,") != std::string::npos) mappings.push_back(s);
  }
  SDL_Quit();
  if (mappings.empty()) {
    fprintf(stderr, "controller_mappings: the SDL library lists no mappings\n");
    return 1;
  }
  mappings.push_back(HIDAPI_CATCH_ALL);
  std::string text =
      "// Generated at build time from the SDL library's own game-controller\n"
      "// mappings for Linux, and a catch-all entry for HIDAPI devices.\n"
      "#include \"engine/platform/joystick.h\"\n\n"
      "const char* const controller_db_mapping[] = {\n";
  for (const std::string& m : mappings) text += "    " + literal(m) + ",\n";
  text += "    nullptr,\n};\n";
  std::string tmp = std::string(argv[1]) + ".tmp";
  FILE* f = fopen(tmp.c_str(), "wb");
  if (!f) {
    perror(tmp.c_str());
    return 1;
  }
  bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = fclose(f) == 0 && ok;
  if (!ok || rename(tmp.c_str(), argv[1]) != 0) {
    perror(argv[1]);
    return 1;
  }
  printf("controller_mappings: %zu mappings\n", mappings.size());
  return 0;
}
