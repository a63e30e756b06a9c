// The exported program's icon and its platform forms.
#include "player/export/export_icon.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "console/machine/cart.h"
#include "engine/data/gfx.h"
#include "engine/io/file.h"
#include "engine/io/path.h"
#include "engine/io/replace.h"
#include "engine/log.h"

namespace {

uint32_t opaque(const tarq_palette* pal, int32_t c) {
  const uint8_t* rgb = pal->rgb[c & 0xFF];
  return 0xFF000000u | (uint32_t)rgb[0] << 16 | (uint32_t)rgb[1] << 8 | rgb[2];
}

void icon_from_sprites(tarq_bitmap* icon, const tarq_bitmap* sheet, const tarq_palette* pal, int32_t sprite, int32_t s,
                       int32_t transparent) {
  int32_t side = s == 3 || s == 5 ? 120 : s == 4 ? 128 : 112;
  int32_t offset = (TOVO_ICON_SIZE - side) / 2;
  int32_t src = s * 8;
  int32_t sx0 = (sprite % 16) * 8, sy0 = (sprite / 16) * 8;
  for (int32_t y = 0; y < side; y++)
    for (int32_t x = 0; x < side; x++) {
      int32_t sx = sx0 + x * src / side, sy = sy0 + y * src / side;
      int32_t c = sx >= 0 && sy >= 0 && sx < sheet->width && sy < sheet->height ? sheet->rows[sy][sx] : 0;
      tarq_row32(icon, offset + y)[offset + x] = c == transparent ? 0 : opaque(pal, c);
    }
}

void icon_from_label(tarq_bitmap* icon, const tarq_bitmap* label, const tarq_palette* pal, int32_t transparent) {
  for (int32_t y = 0; y < TOVO_ICON_SIZE && y < label->height; y++)
    for (int32_t x = 0; x < TOVO_ICON_SIZE && x < label->width; x++) {
      int32_t c = label->rows[y][x];
      tarq_row32(icon, y)[x] = c == transparent ? 0 : opaque(pal, c);
    }
}

void put32be(std::vector<uint8_t>* out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back((uint8_t)(v >> shift));
}

void put_tag(std::vector<uint8_t>* out, const char* tag) { out->insert(out->end(), tag, tag + 4); }

// The name as XML character data: a name with '&' or '<' must not break the list.
std::string xml_text(const char* text) {
  std::string out;
  for (const char* c = text; *c; c++) {
    if (*c == '&') out += "&amp;";
    else if (*c == '<') out += "&lt;";
    else if (*c == '>') out += "&gt;";
    else out += *c;
  }
  return out;
}

}  // namespace

bool tovo_make_export_icon(tarq_bitmap* icon, tovo_cart* cart, const tarq_palette* pal, int32_t sprite, int32_t size,
                           int32_t transparent) {
  if (!icon || icon->depth != 32 || icon->width != TOVO_ICON_SIZE || icon->height != TOVO_ICON_SIZE) return false;
  memset(icon->pixels, 0, (size_t)TOVO_ICON_SIZE * TOVO_ICON_SIZE * 4);
  if (sprite >= 0 && (size < 0 || size >= 1) && cart && cart->gfx) {
    icon_from_sprites(icon, cart->gfx, pal, sprite, size < 0 ? 1 : size, transparent < 0 ? 0 : transparent);
    return true;
  }
  if (!cart || !cart->label) return false;
  icon_from_label(icon, cart->label, pal, transparent);
  return true;
}

void generate_shadow(tarq_bitmap* icon) {
  const int32_t n = TOVO_ICON_SIZE;
  std::vector<uint32_t> before(icon->pixels == nullptr ? 0 : (size_t)n * n);
  for (int32_t y = 0; y < n; y++) memcpy(&before[(size_t)y * n], tarq_row32(icon, y), (size_t)n * 4);
  for (int32_t y = 0; y < n; y++)
    for (int32_t x = 0; x < n; x++) {
      uint32_t old = before[(size_t)y * n + x];
      if (old >> 24) continue;
      int32_t lit = 0, total = 0;
      for (int32_t dy = -5; dy <= 5; dy++)
        for (int32_t dx = -5; dx <= 5; dx++) {
          int32_t d2 = dx * dx + dy * dy;
          int32_t weight = 2048 / (d2 > 1 ? d2 : 1);
          total += weight;
          int32_t nx = x - 2 + dx, ny = y - 2 + dy;
          if (nx >= 0 && ny >= 0 && nx < n && ny < n && (before[(size_t)ny * n + nx] >> 24)) lit += weight;
        }
      uint32_t alpha = (uint32_t)(80 * lit / total);
      tarq_row32(icon, y)[x] = alpha << 24 | (old & 0x100820u);
    }
}

int save_icns(const tarq_bitmap* icon, const char* path) {
  std::vector<uint8_t> out;
  out.reserve(TOVO_ICNS_SIZE);
  put_tag(&out, "icns");
  put32be(&out, 0x0001019C);
  put_tag(&out, "it32");
  put32be(&out, 0x0000C18C);
  put32be(&out, 0);
  for (int shift = 16; shift >= 0; shift -= 8)
    for (int32_t y = 0; y < TOVO_ICON_SIZE; y++) {
      out.push_back(0x7F);
      for (int32_t x = 0; x < TOVO_ICON_SIZE; x++) out.push_back((uint8_t)(tarq_row32(icon, y)[x] >> shift));
    }
  put_tag(&out, "t8mk");
  put32be(&out, 0x00004008);
  for (int32_t y = 0; y < TOVO_ICON_SIZE; y++)
    for (int32_t x = 0; x < TOVO_ICON_SIZE; x++) out.push_back(tarq_row32(icon, y)[x] >> 24 ? 0xFF : 0x00);
  return tarq_replace_file(path, out.data(), out.size());
}

bool inject_windows_icon(const tarq_bitmap* icon, uint8_t* program, size_t size) {
  static const uint8_t marker[16] = {0xE8, 0xF1, 0xFF, 0xFF, 0xE8, 0xF1, 0xFF, 0xFF,
                                     0x9C, 0x76, 0x83, 0xFF, 0x9C, 0x76, 0x83, 0xFF};
  constexpr size_t BLOCK_BEFORE = 14632;
  constexpr size_t BLOCK_SIZE = (size_t)TOVO_ICON_SIZE * TOVO_ICON_SIZE * 4;
  for (size_t at = BLOCK_BEFORE; program && at + sizeof marker <= size; at++) {
    if (memcmp(program + at, marker, sizeof marker) != 0) continue;
    size_t start = at - BLOCK_BEFORE;
    if (start + BLOCK_SIZE > size) break;  // the block would run past the program
    for (int32_t row = 0; row < TOVO_ICON_SIZE; row++) {
      uint8_t* out = program + start + (size_t)row * TOVO_ICON_SIZE * 4;
      const uint32_t* in = tarq_row32(icon, TOVO_ICON_SIZE - 1 - row);
      for (int32_t x = 0; x < TOVO_ICON_SIZE; x++) {
        out[x * 4 + 0] = (uint8_t)in[x];
        out[x * 4 + 1] = (uint8_t)(in[x] >> 8);
        out[x * 4 + 2] = (uint8_t)(in[x] >> 16);
        out[x * 4 + 3] = (uint8_t)(in[x] >> 24);
      }
    }
    return true;
  }
  tarq_debug("export: couldn't find icon in exe\n");
  return false;
}

int create_plist_file(const char* path, const char* name) {
  char temp[TARQ_PATH_MAX];
  tarq_file* out = tarq_open_replacement(path, temp);
  if (!out) return 1;
  FILE* f = out->fp;
  fprintf(f,
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          // clang-format off
          "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
          "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
          "<plist version=\"1.0\">\n<dict>\n");
  // clang-format on
  std::string safe = xml_text(name);
  const char* n = safe.c_str();
  std::string icon = safe + ".icns", identifier = "com.tovo_author." + safe;
  const char* const keys[][2] = {{"CFBundleExecutable", n},
                                 {"CFBundleGetInfoString", n},
                                 {"CFBundleIconFile", icon.c_str()},
                                 {"CFBundleIdentifier", identifier.c_str()},
                                 {"CFBundleInfoDictionaryVersion", "6.0"},
                                 {"CFBundleName", n},
                                 {"CFBundlePackageType", "APPL"},
                                 {"CFBundleShortVersionString", n},
                                 {"CFBundleSignature", "????"},
                                 {"CFBundleVersion", n},
                                 {"LSMinimumSystemVersion", "10.6"},
                                 {"NSHighResolutionCapable", "YES"},
                                 {"NSSupportsAutomaticGraphicsSwitching", "TRUE"}};
  for (const auto& k : keys) fprintf(f, "\t<key>%s</key>\n\t<string>%s</string>\n", k[0], k[1]);
  fprintf(f, "</dict>\n</plist>\n");
  return tarq_commit_replacement(out, temp, path, true);
}
