#pragma once
// Console lines and the message bar as a test sees them: while a capture
// lives, the exec switch is set and no program runs, so console lines go to
// standard output, which the capture collects; the message bar starts empty.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "console/run/run_record.h"
#include "console/run/run_state.h"
#include "player/message.h"

struct console_capture {
  int32_t saved_exec = run_state().exec;
  int32_t saved_running = run_state().running;

  console_capture() {
    run_state().exec = 1;
    run_state().running = 0;
    message_bar = {};
    testing::internal::CaptureStdout();
  }
  ~console_capture() {
    testing::internal::GetCapturedStdout();
    run_state().exec = saved_exec;
    run_state().running = saved_running;
  }
  console_capture(const console_capture&) = delete;
  console_capture& operator=(const console_capture&) = delete;

  // The console lines printed since the last call.
  std::string lines() {
    std::string text = testing::internal::GetCapturedStdout();
    testing::internal::CaptureStdout();
    return text;
  }
  // The time the message bar was given for its message.
  static int32_t message_ms() { return message_bar.end - message_bar.start - TOVO_MESSAGE_EXTRA_MS; }
};
