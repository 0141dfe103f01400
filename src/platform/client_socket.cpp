#include "platform/client_socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vantrel {
namespace {

// The longest single poll() while a pump is set: the pump then runs between
// attempts instead of the wait.
constexpr int kPumpedWaitMs = 0;
// The longest single poll() otherwise, so that a passed deadline is noticed.
constexpr int kWaitSliceMs = 100;

int MillisecondsLeft(ClientSocket::Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - ClientSocket::Clock::now());
  return static_cast<int>(std::clamp<int64_t>(left.count(), 0, kWaitSliceMs));
}

// The IPv4 address of `host`, most significant byte first; false with `error` set.
bool Resolve(std::string_view host, uint32_t& address, std::string& error) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string name(host);
  const int status = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
  if (status != 0 || found == nullptr) {
    error = "cannot find the address of " + name + ": " + ::gai_strerror(status);
    return false;
  }
  address = ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
  ::freeaddrinfo(found);
  return true;
}

sockaddr_in SocketAddress(uint32_t address, uint16_t port) {
  sockaddr_in socket_address{};
  socket_address.sin_family = AF_INET;
  socket_address.sin_port = htons(port);
  socket_address.sin_addr.s_addr = htonl(address);
  return socket_address;
}

}  // namespace

std::unique_ptr<ClientSocket> ClientSocket::Connect(std::string_view host, uint16_t port,
                                                    Clock::time_point deadline, Pump pump,
                                                    std::string& error, uint32_t source) {
  uint32_t address = 0;
  if (!Resolve(host, address, error)) return nullptr;
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  std::unique_ptr<ClientSocket> socket(new ClientSocket(fd, std::move(pump)));
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (source != 0) {
    const sockaddr_in local = SocketAddress(source, 0);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
      error = std::strerror(errno);
      return nullptr;
    }
  }
  const sockaddr_in remote = SocketAddress(address, port);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0 &&
      errno != EINPROGRESS) {
    error = std::strerror(errno);
    return nullptr;
  }
  bool connected = false;
  while (!connected) {
    pollfd entry{fd, POLLOUT, 0};
    if (::poll(&entry, 1, 0) == 1) {
      connected = true;
    } else if (!socket->Wait(POLLOUT, deadline)) {
      error = "no answer from " + std::string(host);
      return nullptr;
    }
  }
  int failure = 0;
  socklen_t length = sizeof failure;
  ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &failure, &length);
  if (failure != 0) {
    error = std::strerror(failure);
    return nullptr;
  }
  return socket;
}

ClientSocket::~ClientSocket() {
  Close();
}

void ClientSocket::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool ClientSocket::Wait(short events, Clock::time_point deadline) {
  if (Clock::now() >= deadline) return false;
  if (pump_) {
    pollfd entry{fd_, events, 0};
    if (::poll(&entry, 1, kPumpedWaitMs) == 0) pump_();
  } else {
    pollfd entry{fd_, events, 0};
    ::poll(&entry, 1, MillisecondsLeft(deadline));
  }
  return true;
}

bool ClientSocket::Send(std::span<const uint8_t> bytes, Clock::time_point deadline) {
  size_t sent = 0;
  while (fd_ >= 0 && sent < bytes.size()) {
    const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<size_t>(n);
    } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      return false;  // what the peer sent before can still be received
    } else if (!Wait(POLLOUT, deadline)) {
      return false;
    }
  }
  return sent == bytes.size();
}

ClientSocket::Received ClientSocket::Receive(std::vector<uint8_t>& inbox,
                                             Clock::time_point deadline) {
  uint8_t buffer[65536];
  for (;;) {
    if (!IsOpen()) return Received::kClosed;
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n > 0) {
      inbox.insert(inbox.end(), buffer, buffer + n);
      return Received::kData;
    }
    if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
      peer_closed_ = true;
      return Received::kClosed;
    }
    if (!Wait(POLLIN, deadline)) return Received::kTimedOut;
  }
}

}  // namespace vantrel
