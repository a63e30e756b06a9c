// The download command, read through a pipe with limits on time and size.
#include "engine/platform/fetch.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "engine/io/path.h"
#include "engine/platform/host.h"

extern char** environ;

namespace {

constexpr size_t READ_CHUNK = 65536;
constexpr int OPTION_SIZE = 32;

// A web URL for the download command: upper-case letters become lower case;
// lower-case letters, digits and _ - . / : & = ? are kept; anything else
// becomes '%' and two hex digits.
void escape_url(const char* url, char* out, size_t size) {
  size_t o = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(url); *p; p++) {
    unsigned char c = *p;
    if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
    if ((c >= 'a' && c <= 'z') || isdigit(c) || strchr("_-./:&=?", c)) {
      if (o + 1 >= size) break;
      out[o++] = static_cast<char>(c);
    } else {
      if (o + 3 >= size) break;
      snprintf(out + o, 4, "%%%02x", c);
      o += 3;
    }
  }
  out[o] = 0;
}

int64_t now_ms() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

bool write_all(int fd, const char* data, size_t n) {
  while (n > 0) {
    ssize_t w = write(fd, data, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    data += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

// Starts the command with its standard output on the pipe's write end,
// unless the fetch was ended; the pid, or -1.
pid_t start_command(tarq_fetch* f, char* const argv[], int pipe_write) {
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return -1;
  pid_t pid = -1;
  if (posix_spawn_file_actions_adddup2(&actions, pipe_write, STDOUT_FILENO) == 0 &&
      posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0) == 0) {
    std::lock_guard<std::mutex> hold(f->lock);
    if (!f->ended && posix_spawnp(&pid, argv[0], &actions, nullptr, argv, environ) == 0) f->pid = pid;
    else pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Copies the pipe into the file until the command closes it; the result when
// the copy had to stop (too large, too late, not written), else -1.
int32_t copy_body(int from, int to, const tarq_fetch_limits* limits) {
  char buffer[READ_CHUNK];
  int64_t total = 0;
  const int64_t end = limits->deadline_ms > 0 ? now_ms() + limits->deadline_ms : 0;
  for (;;) {
    int wait = -1;
    if (end) {
      int64_t left = end - now_ms();
      if (left <= 0) return TARQ_FETCH_TIMED_OUT;
      wait = left > 1000000 ? 1000000 : static_cast<int>(left);
    }
    pollfd p = {from, POLLIN, 0};
    int ready = poll(&p, 1, wait);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return TARQ_FETCH_FAILED;
    if (ready == 0) continue;  // the deadline is looked at above
    ssize_t n = read(from, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n < 0) return TARQ_FETCH_FAILED;
    if (n == 0) return -1;
    if (total + n > limits->max_bytes) return TARQ_FETCH_TOO_LARGE;
    total += n;
    if (!write_all(to, buffer, static_cast<size_t>(n))) return TARQ_FETCH_FAILED;
  }
}

void kill_command(tarq_fetch* f) {
  std::lock_guard<std::mutex> hold(f->lock);
  if (f->pid > 0) kill(f->pid, SIGKILL);
}

// Waits until the command has ended without reaping it, then reaps it under
// the lock; its wait status, and whether the fetch was ended meanwhile.
int reap_command(tarq_fetch* f, pid_t pid, bool* ended) {
  siginfo_t info;
  while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
  }
  std::lock_guard<std::mutex> hold(f->lock);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  f->pid = 0;
  *ended = f->ended;
  return status;
}

}  // namespace

int32_t tarq_fetch_run(tarq_fetch* f, const char* url, const char* local_file, const char* post_file,
                       const tarq_fetch_limits* limits) {
  if (!url || !local_file || !limits || strlen(url) > TARQ_URL_MAX) return TARQ_FETCH_FAILED;
  char address[TARQ_URL_MAX * 3 + 1];
  if (strncmp(url, "http://", 7) == 0 || strncmp(url, "https://", 8) == 0) escape_url(url, address, sizeof(address));
  else snprintf(address, sizeof(address), "%s", url);

  char post_option[TARQ_PATH_MAX + 16];
  char timeout_option[OPTION_SIZE], tries_option[OPTION_SIZE];
  snprintf(timeout_option, sizeof(timeout_option), "--timeout=%d", limits->timeout_s);
  snprintf(tries_option, sizeof(tries_option), "--tries=%d", limits->tries);
  char program[] = "wget";
  char quiet[] = "-q";
  char output[] = "-O";
  char to_stdout[] = "-";
  char end_of_options[] = "--";
  char* argv[10];
  int n = 0;
  argv[n++] = program;
  argv[n++] = quiet;
  argv[n++] = output;
  argv[n++] = to_stdout;
  argv[n++] = timeout_option;
  argv[n++] = tries_option;
  if (post_file) {
    int len = snprintf(post_option, sizeof(post_option), "--post-file=%s", post_file);
    if (len < 0 || len >= static_cast<int>(sizeof(post_option))) return TARQ_FETCH_FAILED;
    argv[n++] = post_option;
  }
  argv[n++] = end_of_options;
  argv[n++] = address;
  argv[n] = nullptr;

  int out = open(local_file, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) return TARQ_FETCH_FAILED;
  int pipe_ends[2];
  if (pipe2(pipe_ends, O_CLOEXEC) != 0) {
    close(out);
    remove(local_file);
    return TARQ_FETCH_FAILED;
  }
  pid_t pid = start_command(f, argv, pipe_ends[1]);
  close(pipe_ends[1]);
  int32_t result = TARQ_FETCH_FAILED;
  if (pid > 0) {
    result = copy_body(pipe_ends[0], out, limits);
    close(pipe_ends[0]);  // a command still writing gets a broken pipe
    if (result >= 0) kill_command(f);
    bool ended = false;
    int status = reap_command(f, pid, &ended);
    if (ended) result = TARQ_FETCH_ENDED;
    else if (result < 0) result = WIFEXITED(status) && WEXITSTATUS(status) == 0 ? TARQ_FETCH_OK : TARQ_FETCH_FAILED;
  } else {
    close(pipe_ends[0]);
    std::lock_guard<std::mutex> hold(f->lock);
    if (f->ended) result = TARQ_FETCH_ENDED;
  }
  if (close(out) != 0 && result == TARQ_FETCH_OK) result = TARQ_FETCH_FAILED;
  if (result != TARQ_FETCH_OK) remove(local_file);
  return result;
}

void tarq_fetch_end(tarq_fetch* f) {
  std::lock_guard<std::mutex> hold(f->lock);
  f->ended = true;
  if (f->pid > 0) kill(f->pid, SIGKILL);
}

void tarq_fetch_reset(tarq_fetch* f) {
  std::lock_guard<std::mutex> hold(f->lock);
  f->ended = false;
}

pid_t tarq_fetch_pid(tarq_fetch* f) {
  std::lock_guard<std::mutex> hold(f->lock);
  return f->pid;
}

int tarq_wget_ex(const char* url, const char* local_file, const char* post_file) {
  tarq_fetch f;
  return tarq_fetch_run(&f, url, local_file, post_file, &TARQ_FETCH_DEFAULTS) == TARQ_FETCH_OK ? 0 : 1;
}

int tarq_wget(const char* url, const char* local_file) { return tarq_wget_ex(url, local_file, nullptr); }
