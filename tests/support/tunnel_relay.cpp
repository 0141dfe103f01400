#include "support/tunnel_relay.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <stdexcept>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vantrel::testing {
namespace {

sockaddr_in Loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Writes what the socket takes now; keeps the rest.
void WriteSome(int fd, std::vector<uint8_t>& bytes) {
  if (fd < 0 || bytes.empty()) return;
  const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  if (n > 0) bytes.erase(bytes.begin(), bytes.begin() + n);
}

// Reads what is there now. False once the peer closed.
bool ReadSome(int fd, std::vector<uint8_t>& into) {
  std::array<uint8_t, 65536> buffer;
  for (int i = 0; i < 64; ++i) {  // at most 4 MiB per pump
    const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
    if (n == 0) return false;
    if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    into.insert(into.end(), buffer.begin(), buffer.begin() + n);
  }
  return true;
}

}  // namespace

TunnelRelay::TunnelRelay(uint16_t target_port, uint16_t server_port, uint32_t id_number)
    : target_port_(target_port), server_port_(server_port) {
  char id[40];
  std::snprintf(id, sizeof id, "%08X-0000-4000-8000-00000000ABCD", id_number);
  id_text_ = id;
  listen_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
  sockaddr_in local = Loopback(0);
  socklen_t length = sizeof local;
  if (::bind(listen_fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      ::listen(listen_fd_, 1) != 0 ||
      ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
    throw std::runtime_error("the tunnel relay cannot listen");
  }
  port_ = ntohs(local.sin_port);
  const std::string target =
      "http://127.0.0.1:" + std::to_string(server_port_) + "/" + id_text_ + " HTTP/1.0\r\n";
  const std::string common =
      "Proxy-Connection: Keep-Alive\r\nPragma: no-cache\r\nHost: 127.0.0.1:" +
      std::to_string(server_port_) + "\r\n";
  post_fd_ = Open("POST " + target + common +
                  "Content-Length: 999999999\r\nContent-Type: vantrel/protocol\r\n\r\n");
  OpenGet();
}

TunnelRelay::~TunnelRelay() {
  CloseFd(listen_fd_);
  CloseFd(client_fd_);
  CloseFd(post_fd_);
  CloseFd(get_fd_);
}

int TunnelRelay::Open(const std::string& head) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in remote = Loopback(target_port_);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0) {
    ::close(fd);
    throw std::runtime_error("the tunnel relay cannot connect");
  }
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  ::send(fd, head.data(), head.size(), MSG_NOSIGNAL);
  ::fcntl(fd, F_SETFL, O_NONBLOCK);
  return fd;
}

void TunnelRelay::OpenGet() {
  CloseFd(get_fd_);
  from_get_.clear();
  head_skipped_ = false;
  chunks_ = {};
  get_fd_ = Open("GET http://127.0.0.1:" + std::to_string(server_port_) + "/" + id_text_ +
                 " HTTP/1.0\r\nProxy-Connection: Keep-Alive\r\nPragma: no-cache\r\nHost: "
                 "127.0.0.1:" +
                 std::to_string(server_port_) + "\r\nAccept: vantrel/protocol\r\n\r\n");
}

void TunnelRelay::DropGet() {
  CloseFd(get_fd_);
}

void TunnelRelay::EndStream() {
  Up({0, 0, 0, 0, 0, 0, 0, 0});
}

void TunnelRelay::Up(std::vector<uint8_t> bytes) {
  to_post_.insert(to_post_.end(), bytes.begin(), bytes.end());
  WriteSome(post_fd_, to_post_);
}

void TunnelRelay::Pump() {
  if (client_fd_ < 0) client_fd_ = ::accept4(listen_fd_, nullptr, nullptr, SOCK_NONBLOCK);
  if (client_fd_ >= 0) {
    std::vector<uint8_t> data;
    const bool open = ReadSome(client_fd_, data);
    if (!data.empty()) {
      std::vector<uint8_t> chunk;
      tunnel::AppendChunkHead(chunk, tunnel::kDataChunk, static_cast<uint32_t>(data.size()));
      chunk.insert(chunk.end(), data.begin(), data.end());
      Up(std::move(chunk));
    }
    if (!open) {
      CloseFd(client_fd_);
      EndStream();
    }
  }
  WriteSome(post_fd_, to_post_);
  if (post_fd_ >= 0 && !ReadSome(post_fd_, post_answer_)) CloseFd(post_fd_);
  ReadGet();
  WriteSome(client_fd_, to_client_);
  if (get_ended_ && to_client_.empty() && client_fd_ >= 0) ::shutdown(client_fd_, SHUT_WR);
}

void TunnelRelay::ReadGet() {
  if (get_fd_ < 0) return;
  if (!ReadSome(get_fd_, from_get_)) {
    CloseFd(get_fd_);
    get_ended_ = true;
  }
  size_t at = 0;
  if (!head_skipped_) {
    static constexpr std::array<uint8_t, 4> kEnd = {'\r', '\n', '\r', '\n'};
    const auto end = std::search(from_get_.begin(), from_get_.end(), kEnd.begin(), kEnd.end());
    if (end == from_get_.end()) return;
    at = static_cast<size_t>(end - from_get_.begin()) + kEnd.size();
    head_skipped_ = true;
  }
  auto body = std::span<const uint8_t>(from_get_).subspan(at);
  for (auto data = chunks_.Next(body); !data.empty(); data = chunks_.Next(body)) {
    to_client_.insert(to_client_.end(), data.begin(), data.end());
    data_down_ += data.size();
  }
  if (chunks_.Ended()) get_ended_ = true;
  from_get_.clear();
}

}  // namespace vantrel::testing
