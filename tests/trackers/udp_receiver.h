#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantrel::testing {

// A tracker as the tests see one: a datagram socket on 127.0.0.1 and a port
// the system picks, read without blocking.
class UdpReceiver {
 public:
  using Datagram = std::vector<uint8_t>;

  UdpReceiver() : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::runtime_error("cannot open the test tracker's socket");
    }
    port_ = ntohs(address.sin_port);
  }
  ~UdpReceiver() { ::close(fd_); }

  UdpReceiver(const UdpReceiver&) = delete;
  UdpReceiver& operator=(const UdpReceiver&) = delete;

  uint16_t Port() const { return port_; }
  // The receiver as a tracker address with its port: "127.0.0.1:PORT".
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

  // The next datagram that has arrived, if any. A datagram sent over loopback
  // has arrived by the time its send returns.
  std::optional<Datagram> Take() {
    Datagram datagram(64 * 1024);
    const ssize_t n = ::recv(fd_, datagram.data(), datagram.size(), 0);
    if (n < 0) return std::nullopt;
    datagram.resize(static_cast<size_t>(n));
    return datagram;
  }

  // The next datagram, calling `pump` (which runs the server) until one
  // arrives or a generous guard of five seconds has passed.
  std::optional<Datagram> Wait(const std::function<void()>& pump) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < give_up) {
      if (auto datagram = Take()) return datagram;
      pump();
    }
    return Take();
  }

 private:
  int fd_;
  uint16_t port_ = 0;
};

}  // namespace vantrel::testing
