// The desktop opener, started with posix_spawnp and an argument vector, never
// through a shell, so nothing in a path or URL is ever run as a command (the
// download command is started the same way, in fetch.cpp).
#include <pthread.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "engine/log.h"
#include "engine/log_format.h"
#include "engine/platform/host.h"
#include "engine/tracked_mem.h"

extern char** environ;

// Starts argv[0] found on PATH; gives the child's id, or -1 with the error in *err.
static pid_t spawn_command(char* const argv[], int* err) {
  pid_t pid = -1;
  *err = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv, environ);
  return *err == 0 ? pid : -1;
}

static void* reap_child(void* arg) {
  pid_t pid = static_cast<pid_t>((intptr_t)arg);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return nullptr;
}

// The opener runs in the background; a small detached thread waits for it
// so that it leaves no zombie behind.
static void reap_in_background(pid_t pid) {
  pthread_t thread;
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
  if (pthread_create(&thread, &attr, reap_child, reinterpret_cast<void*>(static_cast<intptr_t>(pid))) != 0) {
    int status = 0;
    waitpid(pid, &status, 0);
  }
  pthread_attr_destroy(&attr);
}

static bool starts_with_scheme(const char* text, const char* scheme) {
  size_t n = strlen(scheme);
  return strncmp(text, scheme, n) == 0 && text[n] == ':';
}

// A web address for the opener: letters, digits and - . / : = ? & _ are kept,
// every other byte becomes '%' and two lower-case hex digits. False when the
// result does not fit.
static bool escape_web_target(const char* target, char* out, size_t size) {
  size_t o = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(target); *p; p++) {
    bool keep = isalnum(*p) || strchr("-./:=?&_", *p);
    size_t need = keep ? 1 : 3;
    if (o + need >= size) return false;
    if (keep) out[o] = static_cast<char>(*p);
    else snprintf(out + o, 4, "%%%02x", *p);
    o += need;
  }
  out[o] = 0;
  return true;
}

void tarq_launch_html(const char* target) {
  if (!target) return;
  char arg[TARQ_PATH_MAX];
  bool fits;
  if (starts_with_scheme(target, "http")) {
    fits = escape_web_target(target, arg, sizeof(arg));
  } else {
    // A target that begins with '-' would read as an option of the opener.
    const char* prefix = target[0] == '-' ? "./" : "";
    int n = snprintf(arg, sizeof(arg), "%s%s", prefix, target);
    fits = n >= 0 && n < static_cast<int>(sizeof(arg));
  }
  if (!fits) {
    tarq_debug("launch: target too long; not opened\n");
    return;
  }
  tarq_logf("launch: [xdg-open \"%s\"] ", arg);
  char program[] = "xdg-open";
  char* argv[] = {program, arg, nullptr};
  int err = 0;
  pid_t pid = spawn_command(argv, &err);
  if (pid > 0) reap_in_background(pid);
  tarq_logf("result: %d\n", err);
}
