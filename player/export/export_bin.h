#pragma once
// The exporter: turns the working cart (and up to 15 further carts) into a
// package folder "<name>.bin" holding a Windows, a Linux, a macOS and a
// Raspberry Pi package, each with its own data pod, and a zip archive of
// each package.
#include <cstdint>

struct tarq_file;
struct tarq_palette;
struct tarq_pod;
struct tovo_cart;

// Runtime programs by number: 0 the Windows program (with an icon block),
// 1 "SDL2.dll", 2 the Linux program, 3 the macOS program, 6, 7 and 8 the
// Raspberry Pi programs (plain, "_dyn", "_64"). Slot 5 is the SDL2
// framework's pod of files.
constexpr int TOVO_EXPORT_RUNTIMES = 9;
constexpr int TOVO_RUNTIME_WINDOWS = 0, TOVO_RUNTIME_SDL_DLL = 1, TOVO_RUNTIME_LINUX = 2, TOVO_RUNTIME_MACOS = 3,
              TOVO_RUNTIME_RASPI = 6, TOVO_RUNTIME_RASPI_DYN = 7, TOVO_RUNTIME_RASPI_64 = 8;

// What the export works from. Nothing is owned; the resource pod gets the
// icon (item 6) and the output's title (item 4).
struct tovo_export_context {
  tovo_cart* cart;       // the working cart
  tovo_cart* boot_cart;  // its sfx 0 is the boot sound
  tarq_pod* resources;
  tarq_pod* font;
  const tarq_palette* palette;                      // console colours as RGB
  const tarq_file* runtimes[TOVO_EXPORT_RUNTIMES];  // memory files; null ones are written as "empty"
  tarq_pod* framework;                              // file items, or null
  const char* folder;                               // prefix of names (with its '/'), or "" for names as passed
  // Progress and messages; colour -1 for a plain line.
  void (*print)(const char* text, int32_t colour);
};

// The whole export; 0 when every package and archive was written.
int export_bin(const char* arguments, const tovo_export_context* ctx);

// The archive of a folder: a new archive file, then every entry of the
// folder below the prefix. add_to_zip_file refuses a depth above 32 (1).
int generate_zip_file(const char* zip, const char* folder, const char* prefix);
int add_to_zip_file(const char* zip, const char* folder, const char* prefix, int32_t depth);

// Writes the framework's files under folder (ending in '/').
void save_osx_framework(const char* folder, tarq_pod* framework, const tovo_export_context* ctx);
