#include "tests/support/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <dirent.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace tovo_test {

pid_t start_process(const std::vector<std::string>& args, const std::vector<std::string>& env, const temp_dir& dir) {
  if (args.empty()) return -1;
  std::vector<std::string> argv_s = args;
  std::vector<char*> argv;
  for (std::string& a : argv_s) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_s = env;
  for (char** e = environ; *e; e++) {
    std::string var = *e;
    bool replaced = false;
    for (const std::string& v : env) replaced = replaced || var.compare(0, v.find('=') + 1, v, 0, v.find('=') + 1) == 0;
    if (!replaced) env_s.push_back(var);
  }
  std::vector<char*> envp;
  for (std::string& e : env_s) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, dir.file("stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, dir.file("stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv_s[0].c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int wait_for(pid_t pid, int ms) {
  for (int waited = 0; waited < ms; waited += 10) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    sleep_ms(10);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

bool on_path(const std::string& program) {
  const char* path = getenv("PATH");
  std::string dirs = path ? path : "";
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = dirs.find(':', start);
    const std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return false;
}

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string env_or(const char* name, const char* fallback) {
  const char* v = getenv(name);
  return v ? v : fallback;
}

namespace {

// A "Name:   value kB" line of /proc/self/status, or -1.
long status_kb(const char* name) {
  FILE* f = fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  long kb = -1;
  size_t n = strlen(name);
  while (fgets(line, sizeof line, f))
    if (strncmp(line, name, n) == 0 && line[n] == ':') kb = strtol(line + n + 1, nullptr, 10);
  fclose(f);
  return kb;
}

}  // namespace

std::vector<pid_t> children_named(pid_t parent, const std::string& name) {
  std::vector<pid_t> found;
  DIR* proc = opendir("/proc");
  if (!proc) return found;
  while (dirent* e = readdir(proc)) {
    char* end = nullptr;
    long pid = strtol(e->d_name, &end, 10);
    if (pid <= 0 || *end) continue;
    FILE* f = fopen(("/proc/" + std::string(e->d_name) + "/stat").c_str(), "r");
    if (!f) continue;
    char buffer[512];
    size_t n = fread(buffer, 1, sizeof buffer - 1, f);
    fclose(f);
    buffer[n] = 0;
    // "pid (name) state ppid ...": the name may hold blanks and parentheses.
    char* open = strchr(buffer, '(');
    char* close = strrchr(buffer, ')');
    if (!open || !close || close < open) continue;
    std::string comm(open + 1, close);
    char state = 0;
    long ppid = 0;
    if (sscanf(close + 1, " %c %ld", &state, &ppid) != 2) continue;
    if (ppid == parent && comm == name) found.push_back((pid_t)pid);
  }
  closedir(proc);
  return found;
}

bool reset_peak_resident() {
  FILE* f = fopen("/proc/self/clear_refs", "w");
  if (!f) return false;
  bool ok = fputs("5", f) >= 0;
  return fclose(f) == 0 && ok;
}

long peak_resident_kb() { return status_kb("VmHWM"); }

long resident_kb() { return status_kb("VmRSS"); }

}  // namespace tovo_test
