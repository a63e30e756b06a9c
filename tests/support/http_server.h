#pragma once
// A web server on a free loopback port for tests that fetch over HTTP:
// python's file server over a folder; a silent one that takes connections
// and never answers; or a trickling one that answers every request with a
// long body, one byte every 50 ms. Stopped when the object goes away.
#include <sys/types.h>

#include <string>

#include "tests/support/temp_dir.h"

namespace tovo_test {

// Whether something accepts connections on the loopback port.
bool port_accepts(int port);

struct http_server {
  enum kind { files, silent, trickle };
  explicit http_server(const std::string& root, kind k = files);
  ~http_server();
  http_server(const http_server&) = delete;
  http_server& operator=(const http_server&) = delete;
  std::string base() const { return "http://127.0.0.1:" + std::to_string(port); }
  bool up() const { return port > 0 && port_accepts(port); }

  temp_dir logs;
  pid_t pid = -1;
  int port = -1;
};

}  // namespace tovo_test
