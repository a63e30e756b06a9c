// Readers for the palette table, the font grid and the text pictures.
#include "tools/datapod_sources.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/data/gfx.h"
#include "engine/data/pod.h"

namespace {

constexpr int LINE_SIZE = 512;

// The line without its line end, or false at the end of the file.
bool next_line(FILE* f, char* line, int* number) {
  if (!fgets(line, LINE_SIZE, f)) return false;
  line[strcspn(line, "\r\n")] = 0;
  (*number)++;
  return true;
}

bool skip_line(const char* line) { return line[0] == 0 || line[0] == '#'; }

int bad(const char* path, int number, const char* what) {
  fprintf(stderr, "%s:%d: %s\n", path, number, what);
  return 2;
}

int pixel_value(char c) {
  if (c == '.' || c == '0') return 0;
  if (c >= '1' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

int tovo_read_palette_source(const char* path, tarq_palette* out) {
  FILE* f = fopen(path, "r");
  if (!f) {
    fprintf(stderr, "%s: cannot read\n", path);
    return 1;
  }
  bool named[256] = {};
  char line[LINE_SIZE];
  int number = 0, status = 0;
  while (status == 0 && next_line(f, line, &number)) {
    if (skip_line(line)) continue;
    int i, r, g, b;
    if (sscanf(line, "%d %d %d %d", &i, &r, &g, &b) != 4 || i < 0 || i > 255 || r < 0 || r > 255 || g < 0 || g > 255 ||
        b < 0 || b > 255) {
      status = bad(path, number, "expected: index red green blue name");
      break;
    }
    out->rgb[i][0] = (uint8_t)r;
    out->rgb[i][1] = (uint8_t)g;
    out->rgb[i][2] = (uint8_t)b;
    named[i] = true;
  }
  fclose(f);
  for (int i = 0; i < 256; i++)
    if (!named[i]) memcpy(out->rgb[i], out->rgb[i & 15], 3);
  return status;
}

tarq_pod* tovo_read_font_source(const char* path) {
  FILE* f = fopen(path, "r");
  if (!f) {
    fprintf(stderr, "%s: cannot read\n", path);
    return nullptr;
  }
  tarq_bitmap* glyph[256] = {};
  char line[LINE_SIZE];
  int number = 0, status = 0, code = -1, row = 0;
  while (status == 0 && next_line(f, line, &number)) {
    if (code < 0 || row == 6) {
      if (skip_line(line)) continue;
      if (sscanf(line, "glyph %d", &code) != 1 || code < 0 || code > 255 || glyph[code]) {
        status = bad(path, number, "expected: glyph N (each code once, 0-255)");
        break;
      }
      // The bitmap leaves out the cell's spacing column and row: text drawing
      // adds the letter spacing after every glyph and the console its line height.
      glyph[code] = tarq_create_bitmap(code < 128 ? 3 : 7, 5, 8);
      row = 0;
      continue;
    }
    tarq_bitmap* b = glyph[code];
    if ((int)strlen(line) != b->width + 1) {
      status = bad(path, number, code < 128 ? "a narrow glyph row has 4 columns" : "a wide glyph row has 8 columns");
      break;
    }
    for (int x = 0; x <= b->width; x++) {
      bool spacing = x == b->width || row == 5;
      if (line[x] != '#' && line[x] != '.') {
        status = bad(path, number, "glyph rows hold '#' and '.' only");
        break;
      }
      if (spacing && line[x] == '#') {
        status = bad(path, number, "the last column and row of a cell stay empty");
        break;
      }
      if (!spacing) b->rows[row][x] = line[x] == '#' ? 7 : 0;
    }
    row++;
  }
  fclose(f);
  for (int c = 0; c < 256 && status == 0; c++)
    if (!glyph[c]) {
      fprintf(stderr, "%s: glyph %d is missing\n", path, c);
      status = 2;
    }
  if (status == 0 && row != 6) status = bad(path, number, "the last glyph has fewer than 6 rows");
  tarq_pod* pod = status == 0 ? tarq_create_pod(256) : nullptr;
  for (int c = 0; c < 256; c++) {
    if (pod) cpod_add_item(pod, TARQ_ITEM_BITMAP, glyph[c]);
    else tarq_destroy_bitmap(glyph[c]);
  }
  return pod;
}

int tovo_read_picture_source(const char* path, tarq_bitmap** out) {
  FILE* f = fopen(path, "r");
  if (!f) {
    fprintf(stderr, "%s: cannot read\n", path);
    return 1;
  }
  char rows[256][LINE_SIZE];
  int count = 0, current = -1, number = 0, status = 0;
  char line[LINE_SIZE];
  // Makes the picture from the rows gathered so far.
  auto finish = [&]() {
    if (current < 0) return;
    if (count == 0) {
      status = bad(path, number, "a picture has no rows");
      return;
    }
    int w = (int)strlen(rows[0]);
    tarq_bitmap* b = tarq_create_bitmap(w, count, 8);
    for (int y = 0; y < count && status == 0; y++) {
      if ((int)strlen(rows[y]) != w) status = bad(path, number, "the rows of a picture differ in length");
      for (int x = 0; x < w && status == 0; x++) {
        int v = pixel_value(rows[y][x]);
        if (v < 0) status = bad(path, number, "pixels are '.' or 0-9, a-f");
        else b->rows[y][x] = (uint8_t)v;
      }
    }
    out[current] = b;
    current = -1;
    count = 0;
  };
  while (status == 0 && next_line(f, line, &number)) {
    if (line[0] == 0) {
      finish();
      continue;
    }
    if (line[0] == '#' && current < 0) continue;
    int n;
    if (sscanf(line, "picture %d", &n) == 1) {
      finish();
      if (n < 0 || n >= TOVO_SOURCE_PICTURES || out[n]) {
        status = bad(path, number, "picture numbers are 0-2047, each once");
        break;
      }
      current = n;
      continue;
    }
    if (current < 0 || count == 256 || strlen(line) > 256) {
      status = bad(path, number, "a picture row outside a picture, or too many or too long rows");
      break;
    }
    snprintf(rows[count++], LINE_SIZE, "%s", line);
  }
  if (status == 0) finish();
  fclose(f);
  return status;
}
