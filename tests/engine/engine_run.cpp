#include "tests/engine/engine_run.h"

#include <regex>

#include "engine/tarq.h"
#include "tests/support/temp_dir.h"

namespace engine_run {

static std::vector<std::string> kept_args;
static std::vector<char*> kept_argv;

static void set_arguments(std::vector<std::string> args) {
  args.insert(args.begin(), "tovo");
  kept_args = std::move(args);
  kept_argv.clear();
  for (std::string& a : kept_args) kept_argv.push_back(a.data());
  kept_argv.push_back(nullptr);
}

int run(const recording_app::plan& plan, std::vector<std::string> args) {
  recording_app::start(plan);
  set_arguments(std::move(args));
  return tarq_main((int)kept_args.size(), kept_argv.data(), &recording_app::application);
}

void init(const recording_app::plan& plan, std::vector<std::string> args) {
  recording_app::start(plan);
  set_arguments(std::move(args));
  tarq_loop.tarq_argc = (int32_t)kept_args.size();
  tarq_loop.tarq_argv = kept_argv.data();
  tarq_set_application(&recording_app::application);
  recording_app::application.init(tarq_loop.tarq_argc, tarq_loop.tarq_argv);
}

bool log_lines(const std::string& log_path, std::vector<std::string>* lines) {
  std::string text;
  if (!tovo_test::read_file(log_path, &text)) return false;
  static const std::regex stamp(R"(^\[\d{6,}\] )");
  lines->clear();
  size_t start = 0;
  bool all_stamped = true;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    std::smatch m;
    if (std::regex_search(line, m, stamp)) line = line.substr(m.length());
    else all_stamped = false;
    lines->push_back(line);
    start = end + 1;
  }
  return all_stamped;
}

std::string appdata_log(const std::string& home, const std::string& title) {
  return home + "/.halvorn/" + title + "/log.txt";
}

}  // namespace engine_run
