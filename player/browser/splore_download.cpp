// Starting, running and cancelling bulletin-board downloads.
#include "player/browser/splore_download.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/config.h"
#include "engine/formats/lodepng_adapter.h"
#include "engine/platform/fetch.h"
#include "engine/platform/host.h"
#include "engine/tarq.h"
#include "player/cart/cart_png.h"
#include "player/message.h"
#include "player/shell_state.h"

namespace {

// The state word and the number of the download it belongs to, in one
// atomic: generation in the upper 32 bits, state in the lower.
std::atomic<uint64_t> download_word{0};
tarq_thread_handle* download_thread = nullptr;
char bbs_base[SPLORE_URL_MAX] = "https://tovo.invalid";

uint64_t pack(uint32_t generation, int32_t state) { return (uint64_t)generation << 32 | (uint32_t)state; }
uint32_t generation_of(uint64_t word) { return (uint32_t)(word >> 32); }
int32_t state_of(uint64_t word) { return (int32_t)(uint32_t)word; }

// What the worker runs. The main thread fills it before it starts the worker
// and touches it again only after the worker has ended, apart from the fetch
// record, which has a lock of its own.
struct download_job {
  char url[SPLORE_URL_MAX + 1];
  char file[TARQ_PATH_MAX];
  uint32_t generation;
  int32_t deadline_ms;
  tarq_fetch fetch;
};
download_job job;

// The limits of a fetched file by its name: the most bytes, and the picture
// size of a ".png" (0 for other files; a ".png" of no known kind is refused).
struct file_rule {
  int64_t max_bytes;
  int32_t width, height;
  bool refused;
};

file_rule rule_for(const char* path) {
  if (tarq_strcasestr(path, ".kx.png")) return {SPLORE_CART_FILE_MAX, TOVO_CART_PNG_WIDTH, TOVO_CART_PNG_HEIGHT, false};
  if (tarq_strcasestr(path, ".pip.png")) return {SPLORE_PAGE_FILE_MAX, SPLORE_PAGE_WIDTH, SPLORE_PAGE_HEIGHT, false};
  if (tarq_strcasestr(path, ".png")) return {0, 0, 0, true};
  return {SPLORE_INFO_FILE_MAX, 0, 0, false};
}

int download_worker(void*) {
  tarq_fetch_limits limits = {SPLORE_FETCH_TIMEOUT_S, SPLORE_FETCH_TRIES, rule_for(job.file).max_bytes,
                              job.deadline_ms};
  bool ok =
      tarq_fetch_run(&job.fetch, job.url, job.file, nullptr, &limits) == TARQ_FETCH_OK && check_bbs_file_ok(job.file);
  if (ok) dl_on_load();
  else dl_on_error();
  return 0;
}

// Reports the end of the worker's download, unless it was cancelled (or
// replaced) meanwhile: then the word is left alone.
void report_download(int32_t result) {
  uint64_t word = download_word.load();
  while (generation_of(word) == job.generation &&
         (state_of(word) == SPLORE_DOWNLOAD_RUNNING || state_of(word) == SPLORE_DOWNLOAD_QUIET)) {
    if (download_word.compare_exchange_weak(word, pack(job.generation, result))) break;
  }
}

// Ends the worker of the last download, whether it still runs or has
// reported: its command is killed and the worker waited for.
void end_worker() {
  if (!download_thread) return;
  tarq_fetch_end(&job.fetch);
  tarq_join_thread(download_thread);
  download_thread = nullptr;
}

}  // namespace

void dl_on_load() { report_download(SPLORE_DOWNLOAD_DONE); }

void dl_on_error() {
  remove(job.file);  // nothing refused stays in the cache
  report_download(SPLORE_DOWNLOAD_FAILED);
}

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
  file_rule rule = rule_for(path);
  if (rule.refused) return false;
  FILE* f = fopen(path, "rb");
  if (!f) return false;
  // One byte more than allowed tells a file that is too long.
  std::vector<uint8_t> bytes((size_t)rule.max_bytes + 1);
  size_t n = fread(bytes.data(), 1, bytes.size(), f);
  fclose(f);
  if (n == 0) return false;  // an empty body is no file
  if (n > (size_t)rule.max_bytes) return false;
  if (!rule.width) return true;
  unsigned w = 0, h = 0;
  if (LodePNG_inspect(&w, &h, bytes.data(), n) != 0 || w != (unsigned)rule.width || h != (unsigned)rule.height)
    return false;
  unsigned char* pixels = nullptr;
  bool ok = LodePNG_decode(&pixels, &w, &h, bytes.data(), n, LODEPNG_COLOUR_RGBA, 8) == 0;
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
  end_worker();  // the worker of the last download, done or abandoned
  snprintf(job.url, sizeof job.url, "%s", url);
  snprintf(job.file, sizeof job.file, "%s", path);
  int32_t timeout = cconfig.timeout > 0 && cconfig.timeout < INT32_MAX / 1000 ? cconfig.timeout : 0;
  job.deadline_ms = 1000 * timeout > SPLORE_FETCH_DEADLINE_MS ? 1000 * timeout : SPLORE_FETCH_DEADLINE_MS;
  tarq_fetch_reset(&job.fetch);
  snprintf(splore.download.url, sizeof splore.download.url, "%s", url);
  snprintf(splore.download.file, sizeof splore.download.file, "%s", path);
  splore.download.kind = kind;
  splore.download.start = tarq_get_time();
  remove(path);  // a file left by an earlier fetch must not count as this one
  uint32_t generation = generation_of(download_word.load()) + 1;
  job.generation = generation;
  int32_t state = kind == SPLORE_AWAIT_UPDATE ? SPLORE_DOWNLOAD_QUIET : SPLORE_DOWNLOAD_RUNNING;
  download_word.store(pack(generation, state));
  download_thread = tarq_create_thread(download_worker, nullptr);
  if (!download_thread) {
    download_word.store(pack(generation, SPLORE_DOWNLOAD_IDLE));
    return 1;
  }
  return 0;
}

void cancel_download(const char* message) {
  set_splore_download_state(SPLORE_DOWNLOAD_IDLE);
  end_worker();
  if (message) show_message(message, 1500);
}

pid_t splore_download_pid() { return tarq_fetch_pid(&job.fetch); }

void get_bbs_cart_url(const char* base, const char* lid, char* out, int out_size) {
  int n = snprintf(out, (size_t)out_size, "%s/bbs/get_cart.php?cat=7&play_src=%d&lid=%s", base, app.play_source, lid);
  if (n < 0 || n >= out_size) out[0] = 0;
}

int download_bbs_cart(const char* lid) {
  char path[TARQ_PATH_MAX], url[SPLORE_URL_MAX * 2];
  get_bbs_cart_filename(lid, path);
  get_bbs_cart_url(splore_bbs_base(), lid, url, sizeof url);
  if (!path[0] || !url[0]) {
    show_message("download failed", 1500);
    return 1;
  }
  return download_file(url, path, SPLORE_AWAIT_INFO);
}
