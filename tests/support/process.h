#pragma once
// Test helpers for running programs: start one with extra environment, wait
// for it with a time limit, find one on PATH.
#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace tovo_test {

// Starts args[0] (looked up on PATH when it has no slash) with args and the
// environment, where the given "NAME=value" variables replace those of the
// same name; stdout and stderr go to stdout.txt and stderr.txt in dir.
// Returns the child's pid (or -1).
pid_t start_process(const std::vector<std::string>& args, const std::vector<std::string>& env, const temp_dir& dir);

// Waits up to ms for the child: its exit status (128 when a signal ended
// it), or -1 after killing it.
int wait_for(pid_t pid, int ms);

// Whether an executable of this name is in one of PATH's folders.
bool on_path(const std::string& program);

void sleep_ms(int ms);

// The environment variable's value, or the fallback when it is not set.
std::string env_or(const char* name, const char* fallback);

// The processes (zombies too) whose parent is `parent` and whose command
// name is `name`, from /proc.
std::vector<pid_t> children_named(pid_t parent, const std::string& name);

// This process's peak resident memory: reset_peak_resident() makes the peak
// the present size; peak_resident_kb() gives it in KiB since then (-1 when
// /proc cannot tell).
bool reset_peak_resident();
long peak_resident_kb();
long resident_kb();

}  // namespace tovo_test
