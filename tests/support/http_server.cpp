#include "tests/support/http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "tests/support/process.h"

namespace tovo_test {

namespace {

sockaddr_in loopback(int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons((uint16_t)port);
  return a;
}

int free_port() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = loopback(0);
  socklen_t n = sizeof a;
  int port = -1;
  if (bind(s, (sockaddr*)&a, sizeof a) == 0 && getsockname(s, (sockaddr*)&a, &n) == 0) port = ntohs(a.sin_port);
  close(s);
  return port;
}

}  // namespace

bool port_accepts(int port) {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = loopback(port);
  bool ok = connect(s, (sockaddr*)&a, sizeof a) == 0;
  close(s);
  return ok;
}

http_server::http_server(const std::string& root, kind k) {
  port = free_port();
  if (port <= 0) return;
  std::string p = std::to_string(port);
  const std::string listen =
      "import socket,threading,time\ns=socket.socket()\ns.setsockopt(socket.SOL_SOCKET,socket.SO_REUSEADDR,1)\n"
      "s.bind(('127.0.0.1'," +
      p + "))\ns.listen(8)\n";
  if (k == silent)
    pid = start_process({"python3", "-c", listen + "c=[]\nwhile True:\n c.append(s.accept())\n"}, {}, logs);
  else if (k == trickle)
    pid = start_process({"python3", "-c",
                         listen + "def serve(c):\n try:\n  c.recv(4096)\n"
                                  "  c.sendall(b'HTTP/1.0 200 OK\\r\\nContent-Length: 100000000\\r\\n\\r\\n')\n"
                                  "  while True:\n   c.sendall(b'x')\n   time.sleep(0.05)\n except OSError:\n  pass\n"
                                  "while True:\n c,_=s.accept()\n"
                                  " threading.Thread(target=serve,args=(c,),daemon=True).start()\n"},
                        {}, logs);
  else pid = start_process({"python3", "-m", "http.server", "--bind", "127.0.0.1", p, "--directory", root}, {}, logs);
  // Python may take long to start on a loaded machine: a generous deadline,
  // left early once the port accepts or the server has ended.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  while (pid > 0 && !port_accepts(port) && std::chrono::steady_clock::now() < deadline) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) {
      pid = -1;
      break;
    }
    sleep_ms(25);
  }
}

http_server::~http_server() {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  wait_for(pid, 5000);
}

}  // namespace tovo_test
