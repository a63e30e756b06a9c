// How the player paces its frames and what that costs the host.
//
// bench_pacing [--seconds S] [--rounds R] [--window] TOVO [CART...]
//
// Runs each cart (by default every .kx in this folder) with `TOVO -x CART`
// (with --window: `TOVO -run CART -windowed 1`, which needs a display such as
// Xvfb's) for S seconds (10) after its first line of output, R times (3). The
// carts print one line per frame, so the lines give the frames delivered and
// the time between frames as the host saw them (to within the millisecond at
// which the output is read). For each run it prints the
// frames, the frames a second, percentiles of the time between lines, the
// process's CPU time per wall second in per cent of one core (all its
// threads, from /proc, counted from the first line on, so start-up is left
// out) and the peak resident memory. A cart that ends on its own (such as
// empty.kx) is reported with its whole CPU time and peak memory instead.
// Each run gets a fresh HOME, so no config.txt of the user's is read. Only
// lines that are numbers count as frames (the carts print their frame
// count); the console's own lines are passed over.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

extern char** environ;

namespace {

double now_s() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

bool read_text(const std::string& path, std::string* out) {
  FILE* f = fopen(path.c_str(), "r");
  if (!f) return false;
  char buf[4096];
  out->clear();
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out->append(buf, n);
  fclose(f);
  return true;
}

// CPU seconds of every thread of the process so far: the exact run times of
// the scheduler where the kernel keeps them, else the clock-tick counts.
double cpu_seconds(pid_t pid) {
  std::string base = "/proc/" + std::to_string(pid);
  double total = 0;
  bool exact = false;
  if (DIR* d = opendir((base + "/task").c_str())) {
    exact = true;
    while (dirent* e = readdir(d)) {
      if (e->d_name[0] == '.') continue;
      std::string text;
      if (!read_text(base + "/task/" + e->d_name + "/schedstat", &text)) {
        exact = false;
        break;
      }
      total += strtod(text.c_str(), nullptr) * 1e-9;
    }
    closedir(d);
  }
  if (exact) return total;
  std::string stat;
  if (!read_text(base + "/stat", &stat)) return 0;
  size_t close_paren = stat.rfind(')');
  if (close_paren == std::string::npos) return 0;
  // Fields after the command name: state is field 3, utime 14, stime 15.
  std::vector<std::string> fields;
  size_t at = close_paren + 2;
  while (at < stat.size()) {
    size_t end = stat.find(' ', at);
    if (end == std::string::npos) end = stat.size();
    fields.push_back(stat.substr(at, end - at));
    at = end + 1;
  }
  if (fields.size() < 13) return 0;
  double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
  return (strtod(fields[11].c_str(), nullptr) + strtod(fields[12].c_str(), nullptr)) / ticks;
}

// Peak resident memory of the process in KiB (VmHWM), or -1.
long peak_kib(pid_t pid) {
  std::string status;
  if (!read_text("/proc/" + std::to_string(pid) + "/status", &status)) return -1;
  size_t at = status.find("VmHWM:");
  return at == std::string::npos ? -1 : strtol(status.c_str() + at + 6, nullptr, 10);
}

struct run_result {
  bool ended = false;             // the cart ended before the measuring window did
  int frames = 0;                 // lines within the window (after the first)
  double wall = 0;                // seconds measured
  double cpu = 0;                 // CPU seconds within them
  long peak = -1;                 // KiB
  std::vector<double> intervals;  // ms between lines
};

std::string make_home() {
  char path[] = "/tmp/tovo_pacing_XXXXXX";
  if (!mkdtemp(path)) return "";
  return path;
}

void remove_tree(const std::string& path) {
  pid_t pid;
  const char* argv[] = {"rm", "-rf", path.c_str(), nullptr};
  if (posix_spawnp(&pid, "rm", nullptr, nullptr, const_cast<char**>(argv), environ) == 0) waitpid(pid, nullptr, 0);
}

bool run_cart(const std::string& tovo, const std::string& cart, bool window, double seconds, run_result* r) {
  std::string home = make_home();
  if (home.empty()) return false;
  std::vector<std::string> args = {tovo};
  if (window) args.insert(args.end(), {"-run", cart, "-windowed", "1"});
  else args.insert(args.end(), {"-x", cart});
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int fds[2];
  if (pipe(fds) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  // The same environment with HOME in the fresh folder.
  std::string home_var = "HOME=" + home;
  std::vector<char*> env;
  for (char** e = environ; *e; e++)
    if (strncmp(*e, "HOME=", 5) != 0) env.push_back(*e);
  env.push_back(home_var.data());
  env.push_back(nullptr);
  pid_t pid;
  int failed = posix_spawn(&pid, tovo.c_str(), &actions, nullptr, argv.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (failed) {
    close(fds[0]);
    return false;
  }

  // The pipe is read without blocking, once a millisecond: a reader asleep
  // in poll would be woken by every line, and the wake-up would be charged
  // to the player's CPU time. Lines are stamped when they are read.
  fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
  const double started = now_s();
  double first = -1, last = -1, cpu_first = 0;
  std::string pending;
  bool open = true;
  while (open) {
    double t = now_s();
    // Start-up gets a generous minute; then the window runs from the first line.
    double deadline = first < 0 ? started + 60 : first + seconds;
    if (t >= deadline) break;
    char buf[4096];
    ssize_t n = read(fds[0], buf, sizeof buf);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
      open = false;
      break;
    }
    if (n < 0) {
      timespec pause{0, 1000000};
      nanosleep(&pause, nullptr);
      continue;
    }
    double stamp = now_s();
    pending.append(buf, static_cast<size_t>(n));
    size_t nl;
    while ((nl = pending.find('\n')) != std::string::npos) {
      // The carts' frame lines are numbers; the console's own lines are not.
      bool frame_line = nl > 0 && strspn(pending.c_str(), "0123456789") == nl;
      pending.erase(0, nl + 1);
      if (!frame_line) continue;
      if (first < 0) {
        first = stamp;
        cpu_first = cpu_seconds(pid);
      } else if (stamp < first + seconds) {
        r->frames++;
        r->intervals.push_back((stamp - last) * 1000);
      }
      last = stamp;
    }
  }
  close(fds[0]);
  if (open) {
    // Still running: read the counters, then end it.
    r->wall = now_s() - first;
    r->cpu = cpu_seconds(pid) - cpu_first;
    r->peak = peak_kib(pid);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  } else {
    int status;
    rusage u{};
    wait4(pid, &status, 0, &u);
    r->ended = true;
    r->wall = now_s() - started;
    r->cpu = static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
             static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
    r->peak = u.ru_maxrss;
  }
  remove_tree(home);
  return true;
}

double percentile(std::vector<double> v, double q) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  size_t i = static_cast<size_t>(q * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

std::vector<std::string> default_carts() {
  std::vector<std::string> carts;
  if (DIR* d = opendir(TOVO_PACING_DIR)) {
    while (dirent* e = readdir(d)) {
      std::string name = e->d_name;
      if (name.size() > 3 && name.compare(name.size() - 3, 3, ".kx") == 0)
        carts.push_back(std::string(TOVO_PACING_DIR) + "/" + name);
    }
    closedir(d);
  }
  std::sort(carts.begin(), carts.end());
  return carts;
}

std::string base_name(const std::string& path) {
  size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.find('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

int usage() {
  fprintf(stderr, "usage: bench_pacing [--seconds S] [--rounds R] [--window] TOVO [CART...]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 10;
  int rounds = 3;
  bool window = false;
  std::string tovo;
  std::vector<std::string> carts;
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    if (a == "--seconds" && i + 1 < argc) seconds = atof(argv[++i]);
    else if (a == "--rounds" && i + 1 < argc) rounds = atoi(argv[++i]);
    else if (a == "--window") window = true;
    else if (a.size() > 1 && a[0] == '-') return usage();
    else if (tovo.empty()) tovo = a;
    else carts.push_back(a);
  }
  if (tovo.empty() || seconds <= 0 || rounds < 1) return usage();
  if (tovo.find('/') == std::string::npos) tovo = "./" + tovo;
  if (carts.empty()) carts = default_carts();
  if (window && !getenv("DISPLAY")) {
    fprintf(stderr, "--window needs a display (DISPLAY is not set; try xvfb-run)\n");
    return 2;
  }

  printf("%-11s %5s %6s %6s %6s %6s %6s %6s %7s %8s\n", "cart", "round", "frames", "fps", "p1 ms", "p50 ms", "p99 ms",
         "max ms", "cpu %", "peak MiB");
  int status = 0;
  // Rounds go over every cart in turn, so that other load on the host falls
  // on all of them alike.
  for (int round = 1; round <= rounds; round++) {
    for (const std::string& cart : carts) {
      run_result r;
      if (!run_cart(tovo, cart, window, seconds, &r)) {
        fprintf(stderr, "%s: could not run %s\n", cart.c_str(), tovo.c_str());
        status = 1;
        continue;
      }
      double peak_mib = r.peak < 0 ? -1 : static_cast<double>(r.peak) / 1024.0;
      double cpu = r.wall > 0 ? 100.0 * r.cpu / r.wall : 0;
      if (r.ended) {
        printf("%-11s %5d %6s %6s %6s %6s %6s %6s %7s %8.1f   ended: %.0f ms CPU in all\n", base_name(cart).c_str(),
               round, "-", "-", "-", "-", "-", "-", "-", peak_mib, r.cpu * 1000);
      } else {
        printf("%-11s %5d %6d %6.1f %6.1f %6.1f %6.1f %6.1f %7.2f %8.1f\n", base_name(cart).c_str(), round, r.frames,
               r.frames / seconds, percentile(r.intervals, 0.01), percentile(r.intervals, 0.5),
               percentile(r.intervals, 0.99), percentile(r.intervals, 1), cpu, peak_mib);
      }
      fflush(stdout);
    }
  }
  return status;
}
