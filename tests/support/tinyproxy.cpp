#include "support/tinyproxy.h"

#include <chrono>
#include <csignal>
#include <fstream>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/server_fixture.h"

namespace vantrel::testing {
namespace {

constexpr const char* kProgram = "/usr/bin/tinyproxy";

bool Accepts(uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return connected;
}

}  // namespace

Tinyproxy::Tinyproxy() {
  if (::access(kProgram, X_OK) != 0) {
    why_ = "tinyproxy is not installed (scripts/install-deps.sh installs it)";
    return;
  }
  port_ = FindFreePorts(1);
  const std::string configuration = (folder_.Path() / "tinyproxy.conf").string();
  std::ofstream(configuration) << "Port " << port_ << "\nListen 127.0.0.1\nAllow 127.0.0.1\n"
                               << "Timeout 600\nMaxClients 100\nLogLevel Error\nLogFile \""
                               << (folder_.Path() / "tinyproxy.log").string() << "\"\n";
  pid_ = ::fork();
  if (pid_ == 0) {
    ::execl(kProgram, kProgram, "-d", "-c", configuration.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  bool exited = false;
  for (int i = 0; i < 200 && !Accepts(port_); ++i) {  // up to 10 s
    if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
      exited = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (exited || !Accepts(port_)) {
    why_ = "tinyproxy did not start listening";
    if (!exited) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
  }
}

Tinyproxy::~Tinyproxy() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
}

}  // namespace vantrel::testing
