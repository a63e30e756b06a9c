// The exporter: package folders for four platforms and their archives.
#include "player/export/export_bin.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "console/machine/cart.h"
#include "engine/data/gfx.h"
#include "engine/data/pod.h"
#include "engine/formats/png.h"
#include "engine/formats/pod_file.h"
#include "engine/formats/pod_file_write.h"
#include "engine/io/file.h"
#include "engine/io/file_copy.h"
#include "engine/io/path.h"
#include "engine/io/replace.h"
#include "engine/platform/host.h"
#include "engine/tracked_mem.h"
#include "player/cart/disk.h"
#include "player/datapod_write.h"
#include "player/export/export_args.h"
#include "player/export/export_icon.h"
#include "player/export/zip_write.h"

namespace {

constexpr int32_t MAX_ZIP_DEPTH = 32;
constexpr int32_t RESOURCE_TITLE = 4;
constexpr int32_t RESOURCE_ICON = 6;
constexpr const char EMPTY_RUNTIME[] = "empty";

void say(const tovo_export_context* ctx, const char* text, int32_t colour = -1) {
  if (ctx->print) ctx->print(text, colour);
}

std::string file_name_of(const char* path) {
  const char* slash = strrchr(path, '/');
  return slash ? slash + 1 : path;
}

// Makes a folder of the package; a link standing under its name is removed
// first, so that nothing of the package is written through it.
void make_package_folder(const std::string& path) {
  std::string name = path;  // a trailing '/' would look through the link
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  struct stat st;
  if (lstat(name.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) unlink(name.c_str());
  tarq_mkdir(path.c_str());
}

// Writes a file of the package anew (engine/io/replace.h: whatever stands
// under its name, a link among others, is replaced, not written through),
// with `mode` when it is not 0; false when it could not be written whole.
bool write_whole(const std::string& path, const void* data, size_t size, mode_t mode) {
  char temp[TARQ_PATH_MAX];
  tarq_file* f = tarq_open_replacement(path.c_str(), temp);
  bool ok = f && fwrite(data, 1, size, f->fp) == size;
  if (ok && mode != 0) ok = fchmod(fileno(f->fp), mode) == 0;
  return tarq_commit_replacement(f, temp, path.c_str(), ok) == 0;
}

struct exporter {
  const tovo_export_context* ctx;
  std::string out_dir;  // the output name's folder, with its '/' (or empty)
  std::string base;     // the output's file name
  std::string package;  // out_dir + base + ".bin"
  std::string extra;    // the -e file, or empty
  tarq_pod* pod = nullptr;
  tarq_bitmap* icon = nullptr;
  bool failed = false;

  // Prints a path relative to the output name's folder.
  void show(const std::string& path, int32_t colour) {
    std::string shown = path.compare(0, out_dir.size(), out_dir) == 0 ? path.substr(out_dir.size()) : path;
    say(ctx, shown.c_str(), colour);
  }

  void make_folder(const std::string& path, int32_t colour) {
    make_package_folder(path);
    if (colour >= 0) show(path, colour);
  }

  // Says that a file of the package could not be written.
  void not_written(const std::string& name) {
    std::string line = "could not write " + name;
    say(ctx, line.c_str());
    failed = true;
  }

  // save_binary_file: writes the block, with mode 0775 when executable.
  void save_binary_file(const std::string& path, const void* data, size_t size, bool executable) {
    if (!write_whole(path, data, size, executable ? 0775 : 0)) not_written(file_name_of(path.c_str()));
  }

  // The runtime in the slot, or a stand-in text when the slot is empty.
  void save_runtime(const std::string& path, int32_t slot, bool executable = true) {
    const tarq_file* r = ctx->runtimes[slot];
    if (r && r->data && r->size > 0) save_binary_file(path, r->data, (size_t)r->size, executable);
    else save_binary_file(path, EMPTY_RUNTIME, strlen(EMPTY_RUNTIME), executable);
  }

  // A platform's folder in the package, with the -e file and the data pod.
  std::string platform_folder(const char* name) {
    std::string dir = package + "/" + name;
    make_folder(dir, 14);
    save_extras(dir);
    save_pod(dir + "/data.pod");
    return dir;
  }

  void save_pod(const std::string& path) {
    if (tarq_save_pod(path.c_str(), pod) != 0) not_written(file_name_of(path.c_str()));
  }

  void save_png(const std::string& path) {
    if (tarq_save_png(path.c_str(), icon) != 0) not_written(file_name_of(path.c_str()));
  }

  // save_extras: the -e file copied into the folder under its own name.
  void save_extras(const std::string& folder) {
    if (extra.empty()) return;
    char name[TARQ_PATH_MAX], ext[TARQ_PATH_MAX];
    tarq_split_filename(extra.c_str(), nullptr, name, ext);
    std::string to = folder + "/" + name + ext;
    if (tarq_copy_file(extra.c_str(), to.c_str()) != 0) not_written(std::string(name) + ext);
  }

  void windows() {
    std::string dir = platform_folder("windows");
    const tarq_file* r = ctx->runtimes[TOVO_RUNTIME_WINDOWS];
    if (r && r->data && r->size > 0) {
      std::vector<uint8_t> program(r->data, r->data + r->size);
      inject_windows_icon(icon, program.data(), program.size());
      save_binary_file(dir + "/" + base + ".exe", program.data(), program.size(), true);
    } else {
      save_runtime(dir + "/" + base + ".exe", TOVO_RUNTIME_WINDOWS);
    }
    save_runtime(dir + "/SDL2.dll", TOVO_RUNTIME_SDL_DLL, false);
  }

  void linux_package() {
    std::string dir = platform_folder("linux");
    save_runtime(dir + "/" + base, TOVO_RUNTIME_LINUX);
    save_png(dir + "/" + base + ".png");
  }

  void macos() {
    std::string app = package + "/" + base + ".app";
    std::string contents = app + "/Contents";
    std::string framework = contents + "/Frameworks/SDL2.framework/";
    make_folder(app, 14);
    for (const char* sub : {"/Contents", "/Contents/MacOS", "/Contents/Resources", "/Contents/Frameworks"})
      make_folder(app + sub, -1);
    make_folder(framework, -1);
    make_folder(framework + "Versions", -1);
    make_folder(framework + "Versions/A", -1);
    save_extras(app);
    save_pod(contents + "/MacOS/data.pod");
    save_runtime(contents + "/MacOS/" + base, TOVO_RUNTIME_MACOS);
    if (save_icns(icon, (contents + "/Resources/" + base + ".icns").c_str()) != 0) not_written(base + ".icns");
    save_osx_framework(framework.c_str(), ctx->framework, ctx);
    if (create_plist_file((contents + "/Info.plist").c_str(), base.c_str()) != 0) not_written("Info.plist");
  }

  void raspi() {
    std::string dir = platform_folder("raspi");
    save_runtime(dir + "/" + base, TOVO_RUNTIME_RASPI);
    save_runtime(dir + "/" + base + "_dyn", TOVO_RUNTIME_RASPI_DYN);
    save_runtime(dir + "/" + base + "_64", TOVO_RUNTIME_RASPI_64);
    save_png(dir + "/" + base + ".png");
  }

  void archive(const std::string& zip, const std::string& folder, const std::string& prefix) {
    if (generate_zip_file(zip.c_str(), folder.c_str(), prefix.c_str()) != 0) failed = true;
    show(zip, 12);
  }
};

// The icon bitmap: the resource pod's window icon when it is a 128x128
// 32-bit picture (so the exported player shows it), else a new one.
tarq_bitmap* icon_bitmap(tarq_pod* resources, bool* owned) {
  tarq_bitmap* b = resources ? (tarq_bitmap*)cpod_get_item(resources, RESOURCE_ICON, TARQ_ITEM_BITMAP) : nullptr;
  *owned = !(b && b->depth == 32 && b->width == TOVO_ICON_SIZE && b->height == TOVO_ICON_SIZE);
  return *owned ? tarq_create_bitmap(TOVO_ICON_SIZE, TOVO_ICON_SIZE, 32) : b;
}

void set_title(tarq_pod* resources, const char* title) {
  tarq_file* f = resources ? (tarq_file*)cpod_get_item(resources, RESOURCE_TITLE, TARQ_ITEM_FILE) : nullptr;
  if (!f || f->kind != TARQ_FILE_MEMORY || f->capacity == 0) return;
  f->size = f->pos = 0;
  cbuffer_add_data(f, title, (int32_t)strlen(title) + 1);
  f->pos = 0;
}

std::string folder_of(const char* path) {
  const char* slash = strrchr(path, '/');
  return slash ? std::string(path, (size_t)(slash - path + 1)) : std::string();
}

// The data pod of the export; null (message said) when it cannot be built.
tarq_pod* build_pod(const tovo_export_context* ctx, const tovo_export_parameters* p, const std::string& head_name) {
  tovo_datapod_parameters dp{};
  dp.boot_cart = ctx->boot_cart;
  dp.resources = ctx->resources;
  dp.font = ctx->font;
  dp.carts[0] = ctx->cart;
  dp.names[0] = head_name.c_str();
  dp.cart_count = 1;
  std::vector<std::string> names(TOVO_DATAPOD_MAX_CARTS);
  bool ok = true;
  for (int32_t i = 1; i < p->name_count && i < TOVO_DATAPOD_MAX_CARTS; i++) {
    std::string path = std::string(ctx->folder ? ctx->folder : "") + p->names[i];
    tovo_cart* cart = path.size() < TARQ_PATH_MAX ? load_tovo_cart_any_format(path.c_str()) : nullptr;
    if (!cart) {
      std::string line = std::string("** ") + p->names[i] + " not found";
      say(ctx, line.c_str(), 6);
      ok = false;
      break;
    }
    names[i] = file_name_of(p->names[i]);
    dp.carts[i] = cart;
    dp.names[i] = names[i].c_str();
    dp.cart_count = i + 1;
  }
  tovo_datapod_failure failure{};
  tarq_pod* pod = ok ? generate_dat_file(&dp, &failure) : nullptr;
  if (ok && !pod) {
    if (failure.reason == TOVO_DATAPOD_CODE_TOO_LARGE) {
      say(ctx, "failed: code block too large");
      if (failure.cart > 0) {
        char line[32];
        snprintf(line, sizeof line, "  (cart #%d)\n", failure.cart);
        say(ctx, line);
      }
    } else {
      say(ctx, "could not build the data pod");
    }
  }
  for (int32_t i = 1; i < dp.cart_count; i++) tarq_destroy_tovo_cart(dp.carts[i]);
  return pod;
}

}  // namespace

int export_bin(const char* arguments, const tovo_export_context* ctx) {
  static tovo_export_parameters p;  // 32 KiB of names: kept off the stack
  if (!extract_parameters(arguments, &p)) {
    say(ctx, "bad argument");
    return 1;
  }
  if (p.name_count == 0) {
    say(ctx, "no output file");
    return 1;
  }
  int32_t sprite = export_option(&p, 'i');
  if (sprite < 0 && !(ctx->cart && ctx->cart->label)) {
    say(ctx, "no icon found");
    say(ctx, "please capture a label or use -i");
    return 1;
  }
  if (p.name_count > TOVO_DATAPOD_MAX_CARTS) {
    say(ctx, "too many carts! max: 16");
    return 1;
  }
  if (p.name_count > 1) {
    char line[48];
    snprintf(line, sizeof line, "exporting %d carts\n", p.name_count);
    say(ctx, line);
  }

  exporter e;
  e.ctx = ctx;
  std::string output = std::string(ctx->folder ? ctx->folder : "") + p.names[0];
  e.out_dir = folder_of(output.c_str());
  e.base = file_name_of(output.c_str());
  e.package = e.out_dir + e.base + ".bin";
  if (p.option_text['e' - 'a'][0]) e.extra = std::string(ctx->folder ? ctx->folder : "") + p.option_text['e' - 'a'];
  // The longest path made below: the macOS program inside the package.
  if (e.base.empty() || e.package.size() + 2 * e.base.size() + 64 >= (size_t)TARQ_PATH_MAX) {
    say(ctx, "bad argument");
    return 1;
  }

  bool icon_owned = false;
  e.icon = icon_bitmap(ctx->resources, &icon_owned);
  if (!e.icon ||
      !tovo_make_export_icon(e.icon, ctx->cart, ctx->palette, sprite, export_option(&p, 's'), export_option(&p, 'c'))) {
    say(ctx, "no icon found");
    if (icon_owned) tarq_destroy_bitmap(e.icon);
    return 1;
  }
  generate_shadow(e.icon);

  std::string head_name = e.base;
  if (head_name.size() > 4 && strcasecmp(head_name.c_str() + head_name.size() - 4, ".png") == 0)
    head_name.resize(head_name.size() - 4);
  set_title(ctx->resources, e.base.c_str());
  e.pod = build_pod(ctx, &p, head_name);
  if (!e.pod) {
    if (icon_owned) tarq_destroy_bitmap(e.icon);
    return 1;
  }

  e.make_folder(e.package, 12);
  e.windows();
  e.linux_package();
  e.macos();
  e.raspi();
  e.archive(e.package + "/" + e.base + "_windows.zip", e.package + "/windows", e.base + "_windows/");
  e.archive(e.package + "/" + e.base + "_linux.zip", e.package + "/linux", e.base + "_linux/");
  e.archive(e.package + "/" + e.base + "_osx.zip", e.package + "/" + e.base + ".app", e.base + ".app/");
  e.archive(e.package + "/" + e.base + "_raspi.zip", e.package + "/raspi", e.base + "_raspi/");

  tarq_destroy_pod(e.pod);
  if (icon_owned) tarq_destroy_bitmap(e.icon);
  if (e.failed) return 1;
  say(ctx, "ok");
  return 0;
}

int generate_zip_file(const char* zip, const char* folder, const char* prefix) {
  mz_set_force_create_new_file();
  return add_to_zip_file(zip, folder, prefix, 0);
}

int add_to_zip_file(const char* zip, const char* folder, const char* prefix, int32_t depth) {
  if (depth > MAX_ZIP_DEPTH) return 1;
  DIR* dir = opendir(folder);
  if (!dir) return 1;
  std::vector<std::string> names;
  while (dirent* d = readdir(dir))
    if (d->d_name[0] != '.') names.push_back(d->d_name);
  closedir(dir);
  std::sort(names.begin(), names.end());  // the same archive whatever the folder's order
  int status = 0;
  for (const std::string& name : names) {
    std::string path = std::string(folder) + "/" + name;
    // Links are left out: the archive holds what the package folder itself holds.
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || S_ISLNK(st.st_mode)) continue;
    if (S_ISDIR(st.st_mode)) {
      std::string entry = std::string(prefix) + name + "/";
      if (!mz_zip_add_mem_to_archive_file_in_place(zip, entry.c_str(), nullptr, 0, nullptr, 0, 9)) status = 1;
      if (add_to_zip_file(zip, path.c_str(), entry.c_str(), depth + 1) != 0) status = 1;
      continue;
    }
    tarq_file* data = tarq_load_file(path.c_str());
    if (!data) {
      printf("** export error: couldn't read: %s\n", path.c_str());
      status = 1;
      continue;
    }
    if (name.find('.') == std::string::npos || name.find(".exe") != std::string::npos)
      mz_set_executable_bit_on_next_file();
    std::string entry = std::string(prefix) + name;
    if (!mz_zip_add_mem_to_archive_file_in_place(zip, entry.c_str(), data->data, (size_t)data->size, nullptr, 0, 9))
      status = 1;
    tarq_fclose(data);
  }
  return status;
}

void save_osx_framework(const char* folder, tarq_pod* framework, const tovo_export_context* ctx) {
  std::string top = folder;
  make_package_folder(top + "Versions");
  make_package_folder(top + "Versions/A");
  make_package_folder(top + "Versions/Current");
  if (!framework) return;
  for (int32_t i = 0; i < framework->count; i++) {
    int32_t slot = framework->order[i];
    tarq_file* f = (tarq_file*)cpod_get_item(framework, slot, TARQ_ITEM_FILE);
    if (!f || strlen(f->name) < 2 || strstr(f->name, "..")) continue;
    std::vector<std::string> targets;
    if (!strstr(f->name, "_CodeSignature")) targets.push_back(top + f->name);
    targets.push_back(top + "Versions/A/" + f->name);
    targets.push_back(top + "Versions/Current/" + f->name);
    for (const std::string& path : targets) {
      if (f->size <= 0 || !f->data) {
        make_package_folder(path);
        continue;
      }
      if (!write_whole(path, f->data, (size_t)f->size, f->size > 1024 * 1024 ? 0755 : 0)) {
        std::string line = "could not write " + std::string(f->name);
        say(ctx, line.c_str());
      }
    }
  }
}
