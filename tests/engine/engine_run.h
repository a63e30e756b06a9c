#pragma once
// Runs the engine's main loop over the recording application, as the
// program's entry would, with the given arguments after the program name.
#include <string>
#include <vector>

#include "tests/engine/recording_app.h"

namespace engine_run {

int run(const recording_app::plan& plan, std::vector<std::string> args);

// Starts the engine with these arguments without running the loop.
void init(const recording_app::plan& plan, std::vector<std::string> args);

// The log lines without their "[nnnnnn] " stamps; false when a line has none.
bool log_lines(const std::string& log_path, std::vector<std::string>* lines);

std::string appdata_log(const std::string& home, const std::string& title = "tovo");

}  // namespace engine_run
