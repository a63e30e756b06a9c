// Starting, running and cancelling bulletin-board downloads.
#include "player/browser/splore_download.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/formats/lodepng_adapter.h"
#include "engine/mem.h"
#include "engine/platform/host.h"
#include "engine/tarq.h"
#include "player/message.h"
#include "player/shell_state.h"

splore_download_record splore_download;

namespace {

// The state word and the number of the download it belongs to, in one
// atomic: generation in the upper 32 bits, state in the lower.
std::atomic<uint64_t> download_word{0};
tarq_thread_handle* download_thread = nullptr;
char bbs_base[SPLORE_URL_MAX] = "https://tovo.invalid";

uint64_t pack(uint32_t generation, int32_t state) { return (uint64_t)generation << 32 | (uint32_t)state; }
uint32_t generation_of(uint64_t word) { return (uint32_t)(word >> 32); }
int32_t state_of(uint64_t word) { return (int32_t)(uint32_t)word; }

struct download_job {
  char url[SPLORE_URL_MAX + 1];
  char file[TARQ_PATH_MAX];
  uint32_t generation;
};

int download_worker(void* data) {
  download_job* job = (download_job*)data;
  tarq_wget(job->url, job->file);
  int32_t result = check_bbs_file_ok(job->file) ? SPLORE_DOWNLOAD_DONE : SPLORE_DOWNLOAD_FAILED;
  uint64_t word = download_word.load();
  // A cancelled (or replaced) download leaves the word alone.
  while (generation_of(word) == job->generation &&
         (state_of(word) == SPLORE_DOWNLOAD_RUNNING || state_of(word) == SPLORE_DOWNLOAD_QUIET)) {
    if (download_word.compare_exchange_weak(word, pack(job->generation, result))) break;
  }
  tarq_free(job);
  return 0;
}

}  // namespace

int32_t splore_download_state() { return state_of(download_word.load()); }

void set_splore_download_state(int32_t state) { download_word.store(pack(generation_of(download_word.load()), state)); }

void splore_set_bbs_base(const char* base) {
  snprintf(bbs_base, sizeof bbs_base, "%s", base);
  size_t n = strlen(bbs_base);
  if (n > 0 && bbs_base[n - 1] == '/') bbs_base[n - 1] = 0;
}

const char* splore_bbs_base() { return bbs_base; }

// Runs on the worker thread: plain stdio and the PNG decoder only, nothing
// that touches the engine's shared tables or counters.
bool check_bbs_file_ok(const char* path) {
  FILE* f = fopen(path, "rb");
  if (!f) return false;
  std::vector<uint8_t> bytes;
  uint8_t chunk[65536];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  fclose(f);
  if (bytes.empty()) return false;  // the download command leaves an empty file when the fetch fails
  if (!tarq_strcasestr(path, ".png")) return true;
  unsigned char* pixels = nullptr;
  unsigned w = 0, h = 0;
  bool ok = LodePNG_decode(&pixels, &w, &h, bytes.data(), bytes.size(), LODEPNG_COLOUR_RGBA, 8) == 0;
  free(pixels);
  return ok;
}

const char* splore_cart_failure_text(int32_t reason) {
  static const char* const reasons[] = {"could not load",
                                        "could not connect to bbs",
                                        "could not load",
                                        "future version. please update!",
                                        "cartridge data is corrupted",
                                        "wrong size for a tovo cart"};
  return reasons[reason >= 1 && reason <= 5 ? reason : 0];
}

int download_file(const char* url, const char* path, int32_t kind) {
  if (splore_download_state() != SPLORE_DOWNLOAD_IDLE) return 1;
  if (!url || !path || !path[0] || strlen(url) > SPLORE_URL_MAX || strlen(path) >= TARQ_PATH_MAX) return 1;
  download_job* job = (download_job*)tarq_malloc(sizeof(download_job));
  if (!job) return 1;
  snprintf(job->url, sizeof job->url, "%s", url);
  snprintf(job->file, sizeof job->file, "%s", path);
  snprintf(splore_download.url, sizeof splore_download.url, "%s", url);
  snprintf(splore_download.file, sizeof splore_download.file, "%s", path);
  splore_download.kind = kind;
  splore_download.start = tarq_get_time();
  remove(path);  // a file left by an earlier fetch must not count as this one
  uint32_t generation = generation_of(download_word.load()) + 1;
  job->generation = generation;
  int32_t state = kind == SPLORE_AWAIT_UPDATE ? SPLORE_DOWNLOAD_QUIET : SPLORE_DOWNLOAD_RUNNING;
  download_word.store(pack(generation, state));
  tarq_destroy_thread(download_thread);
  download_thread = tarq_create_thread(download_worker, job);
  if (!download_thread) {
    tarq_free(job);
    download_word.store(pack(generation, SPLORE_DOWNLOAD_IDLE));
    return 1;
  }
  return 0;
}

void cancel_download(const char* message) {
  set_splore_download_state(SPLORE_DOWNLOAD_IDLE);
  tarq_destroy_thread(download_thread);
  download_thread = nullptr;
  if (message) show_message(message, 1500);
}

void get_bbs_cart_url(const char* base, const char* lid, char* out, int out_size) {
  int n = snprintf(out, (size_t)out_size, "%s/bbs/get_cart.php?cat=7&play_src=%d&lid=%s", base, app.play_source, lid);
  if (n < 0 || n >= out_size) out[0] = 0;
}

int download_bbs_cart(const char* lid) {
  char path[TARQ_PATH_MAX], url[SPLORE_URL_MAX * 2];
  get_bbs_cart_filename(lid, path);
  get_bbs_cart_url(bbs_base, lid, url, sizeof url);
  if (!path[0] || !url[0]) {
    show_message("download failed", 1500);
    return 1;
  }
  return download_file(url, path, SPLORE_AWAIT_INFO);
}
