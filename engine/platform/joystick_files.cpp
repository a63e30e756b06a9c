// Controller mappings from "sdl_controllers.txt" files that the user can edit.
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "engine/log_format.h"
#include "engine/platform/host.h"
#include "engine/platform/joystick.h"

static constexpr const char* MAPPING_FILE = "sdl_controllers.txt";
static constexpr const char* MAPPING_COMMENT = "// add SDL2 game controller mappings to this file\n";

static char* trim(char* line) {
  while (*line == ' ' || *line == '\t' || *line == '\r' || *line == '\n') line++;
  size_t n = strlen(line);
  while (n > 0 && (line[n - 1] == ' ' || line[n - 1] == '\t' || line[n - 1] == '\r' || line[n - 1] == '\n'))
    line[--n] = 0;
  return line;
}

// Returns false when the file cannot be opened.
static bool read_mappings(const char* path) {
  FILE* f = fopen(path, "r");
  if (!f) return false;
  tarq_logf("Reading controller mappings: %s\n", path);
  char buf[1024];
  while (fgets(buf, sizeof(buf), f)) {
    const size_t n = strlen(buf);
    // The rest of an over-long line is not a line of its own.
    if (n == sizeof(buf) - 1 && buf[n - 1] != '\n') {
      int c;
      while ((c = fgetc(f)) != EOF && c != '\n') {
      }
    }
    char* line = trim(buf);
    if (!*line || *line == '/') continue;
    const int r = SDL_GameControllerAddMapping(line);
    if (r == 1) tarq_logf(" added controller mapping: %s\n", line);
    else if (r == 0) tarq_logf(" updated controller mapping: %s\n", line);
    else tarq_logf(" failed to add controller mapping: %s\n", line);
  }
  fclose(f);
  return true;
}

void add_sdl_controllers() {
  char path[TARQ_PATH_MAX];
  if (tarq_prefix_with_program_path(MAPPING_FILE, path) == 0) read_mappings(path);
  if (tarq_prefix_with_appdata_path(MAPPING_FILE, path) != 0) return;
  if (read_mappings(path)) return;
  if (FILE* f = fopen(path, "w")) {
    fputs(MAPPING_COMMENT, f);
    fclose(f);
  }
}
