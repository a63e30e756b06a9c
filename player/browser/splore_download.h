#pragma once
// Bulletin-board downloads: one at a time, fetched by the download command on
// a worker thread into a cache file. The main thread starts and cancels them
// and reads their state each frame; the worker only runs the fetch, checks
// the file and then reports done or failed, unless the download was cancelled
// meanwhile. Cancelling kills the download command and waits for the worker,
// so no command or worker outlives a cancelled download or the player.
#include <sys/types.h>

#include <cstdint>

#include "player/browser/splore.h"

enum : int32_t {
  SPLORE_DOWNLOAD_IDLE = 0,
  SPLORE_DOWNLOAD_RUNNING = 1,
  SPLORE_DOWNLOAD_DONE = 2,
  SPLORE_DOWNLOAD_FAILED = 3,
  SPLORE_DOWNLOAD_QUIET = -1,  // running, for an update check nobody waits for
};

enum : int32_t {
  SPLORE_AWAIT_INFO = 0,    // a cart, a cart's information file or a list page
  SPLORE_AWAIT_UPDATE = 1,  // the update check of a running cart's information file
};

// The largest files a download may bring; a longer one is refused and
// removed from the cache. A picture cart is a 160x205 picture (some 130 KB
// even stored without compression), a list page a 1024x544 one, and an
// information file a few short lines.
constexpr int64_t SPLORE_CART_FILE_MAX = 512 * 1024;
constexpr int64_t SPLORE_PAGE_FILE_MAX = 4 * 1024 * 1024;
constexpr int64_t SPLORE_INFO_FILE_MAX = 64 * 1024;
// The download command's time-out for connecting and for each wait for data,
// and its number of tries.
constexpr int32_t SPLORE_FETCH_TIMEOUT_S = 15;
constexpr int32_t SPLORE_FETCH_TRIES = 1;
// The worker itself ends a download that outlives this (or the engine's
// time-out when that is longer), even when nothing polls it.
constexpr int32_t SPLORE_FETCH_DEADLINE_MS = 120000;

int32_t splore_download_state();
// Main thread only: 0 cancels (a running worker then leaves the word alone).
void set_splore_download_state(int32_t state);

// The server's base address (no trailing '/'); the default is a placeholder.
void splore_set_bbs_base(const char* base);
const char* splore_bbs_base();

// Starts a download when none runs: 0 started, 1 refused (busy, a URL over
// 256 characters, a path that does not fit, or no thread).
int download_file(const char* url, const char* path, int32_t kind);
// A cart into its cache file; says "download failed" for a lid that names none.
int download_bbs_cart(const char* lid);
// Idle again: the download command is killed and the worker waited for, and
// the message (may be null) shown for 1500 ms.
void cancel_download(const char* message);
// The running download command's pid, 0 when none runs.
pid_t splore_download_pid();

// The cart URL: base + "/bbs/get_cart.php?cat=7&play_src=%d&lid=%s"; "" when it does not fit.
void get_bbs_cart_url(const char* base, const char* lid, char* out, int out_size);
// Whether a fetched file counts: it exists, is not empty and not longer than
// the largest file of its kind (".kx.png" a cart, ".pip.png" a list page,
// anything else an information file); a ".png" must be a picture of its
// kind's size (its header is read before anything is decoded) that loads.
// No other picture is ever fetched, so any other ".png" is refused.
bool check_bbs_file_ok(const char* path);
// The worker's end of a download whose file passed that check (done) or did
// not (the file is removed; failed). Neither touches a download that was
// cancelled or replaced meanwhile.
void dl_on_load();
void dl_on_error();

// The message for a fetched picture cart that does not load, by the picture
// reader's reason code.
const char* splore_cart_failure_text(int32_t reason);

// The bulletin-board download poller, once per running tick while a download
// is under way: times it out, lets the user cancel it, and loads and reports
// or starts what arrived.
void update_load_download();
// The running item's fields from a cart information table's file; false when
// it cannot be read.
bool set_running_item_from_nfo(const char* path);

// Reads a fetched information file and sets the newer-version flag when the
// running bulletin-board cart has another version.
void check_cart_update_nfo(const char* path);
