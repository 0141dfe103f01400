#include "support/test_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/byte_order.h"
#include "protocol/field_ids.h"

namespace vantrel::testing {
namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

TestClient::TestClient(uint16_t port, Pump pump, uint32_t source) : pump_(std::move(pump)) {
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
  if (fd_ < 0) return;
  int one = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (source != 0) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(source);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
      Close();
      return;
    }
  }
  sockaddr_in remote{};
  remote.sin_family = AF_INET;
  remote.sin_port = htons(port);
  remote.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd_, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0 &&
      errno != EINPROGRESS) {
    Close();
    return;
  }
  pollfd entry{fd_, POLLOUT, 0};
  if (::poll(&entry, 1, 2000) != 1) {
    Close();
    return;
  }
  int error = 0;
  socklen_t length = sizeof error;
  ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length);
  if (error != 0) Close();
}

TestClient::~TestClient() {
  Close();
}

void TestClient::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void TestClient::SendRaw(std::span<const uint8_t> bytes) {
  size_t sent = 0;
  const auto deadline = Clock::now() + kDefaultWait;
  while (fd_ >= 0 && sent < bytes.size() && Clock::now() < deadline) {
    const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<size_t>(n);
    } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      return;
    } else if (pump_) {
      pump_();
    } else {
      pollfd entry{fd_, POLLOUT, 0};
      ::poll(&entry, 1, 10);
    }
  }
}

void TestClient::SendHandshake(uint16_t version, uint16_t sub_version, std::string_view magic) {
  std::vector<uint8_t> bytes = {'T', 'R', 'T', 'P'};
  bytes.insert(bytes.end(), magic.begin(), magic.end());
  bytes.resize(12);
  Put16(&bytes[8], version);
  Put16(&bytes[10], sub_version);
  SendRaw(bytes);
}

bool TestClient::Handshake() {
  SendHandshake();
  const auto answer = ReadRaw(8);
  static constexpr uint8_t kAccepted[8] = {'T', 'R', 'T', 'P', 0, 0, 0, 0};
  return answer && std::equal(answer->begin(), answer->end(), kAccepted);
}

uint32_t TestClient::SendRequest(uint16_t type, const UFieldData& fields) {
  const uint32_t id = ++next_id_;
  const auto body = fields.Buffer();
  const auto header = Transaction::Request(type, id, static_cast<uint32_t>(body.size())).Encode();
  std::vector<uint8_t> bytes(header.begin(), header.end());
  bytes.insert(bytes.end(), body.begin(), body.end());
  SendRaw(bytes);
  return id;
}

bool TestClient::ReceiveOnce(Clock::time_point deadline) {
  if (fd_ < 0 || peer_closed_) return false;
  uint8_t buffer[65536];
  const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
  if (n > 0) {
    inbox_.insert(inbox_.end(), buffer, buffer + n);
    return true;
  }
  if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
    peer_closed_ = true;
    return false;
  }
  if (pump_) {
    pump_();
  } else {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    pollfd entry{fd_, POLLIN, 0};
    ::poll(&entry, 1, static_cast<int>(std::clamp<int64_t>(left.count(), 0, 100)));
  }
  return true;
}

bool TestClient::Fill(size_t n, Clock::time_point deadline) {
  while (inbox_.size() < n) {
    if (Clock::now() >= deadline || !ReceiveOnce(deadline)) return inbox_.size() >= n;
  }
  return true;
}

std::optional<std::vector<uint8_t>> TestClient::ReadRaw(size_t n, milliseconds wait) {
  if (!Fill(n, Clock::now() + wait)) return std::nullopt;
  std::vector<uint8_t> bytes(inbox_.begin(), inbox_.begin() + static_cast<std::ptrdiff_t>(n));
  inbox_.erase(inbox_.begin(), inbox_.begin() + static_cast<std::ptrdiff_t>(n));
  return bytes;
}

std::optional<Received> TestClient::NextTransaction(Clock::time_point deadline) {
  if (!Fill(kTransactionHeaderSize, deadline)) return std::nullopt;
  const auto header =
      Transaction::Decode(std::span<const uint8_t, kTransactionHeaderSize>(inbox_.data(), 20));
  const size_t total = kTransactionHeaderSize + header.data_size;
  if (!Fill(total, deadline)) return std::nullopt;
  std::vector<uint8_t> body(inbox_.begin() + kTransactionHeaderSize,
                            inbox_.begin() + static_cast<std::ptrdiff_t>(total));
  inbox_.erase(inbox_.begin(), inbox_.begin() + static_cast<std::ptrdiff_t>(total));
  return Received{header, UFieldData(std::move(body))};
}

std::optional<Received> TestClient::WaitReply(uint32_t id, milliseconds wait) {
  const auto deadline = Clock::now() + wait;
  while (auto received = NextTransaction(deadline)) {
    if (received->header.is_reply != 0 && received->header.id == id) return received;
    kept_.push_back(std::move(*received));
  }
  return std::nullopt;
}

std::optional<Received> TestClient::WaitRequest(uint16_t type, milliseconds wait) {
  for (auto it = kept_.begin(); it != kept_.end(); ++it) {
    if (it->header.is_reply == 0 && it->header.type == type) {
      Received found = std::move(*it);
      kept_.erase(it);
      return found;
    }
  }
  const auto deadline = Clock::now() + wait;
  while (auto received = NextTransaction(deadline)) {
    if (received->header.is_reply == 0 && received->header.type == type) return received;
    kept_.push_back(std::move(*received));
  }
  return std::nullopt;
}

bool TestClient::WaitClosed(milliseconds wait) {
  const auto deadline = Clock::now() + wait;
  while (Clock::now() < deadline) {
    if (!ReceiveOnce(deadline)) return peer_closed_;
  }
  return false;
}

bool TestClient::StaysQuiet(milliseconds wait) {
  const size_t before = inbox_.size();
  const auto deadline = Clock::now() + wait;
  while (Clock::now() < deadline) {
    if (!ReceiveOnce(deadline)) return false;
  }
  return inbox_.size() == before;
}

std::vector<uint8_t> Bytes(const UFieldData& fields) {
  const auto buffer = fields.Buffer();
  return {buffer.begin(), buffer.end()};
}

std::vector<uint8_t> Bytes(const std::optional<Received>& received) {
  return received ? Bytes(received->fields) : std::vector<uint8_t>{};
}

std::string DataText(const std::optional<Received>& received) {
  return received ? received->fields.ReadText(kFieldData, 65536) : "(nothing)";
}

std::vector<uint8_t> Wire(std::string_view bytes) {
  return {bytes.begin(), bytes.end()};
}

std::string ErrorText(const std::optional<Received>& reply) {
  if (!reply || reply->header.error != 1) return "(no error reply)";
  return reply->fields.ReadText(kFieldErrorText, 1024);
}

}  // namespace vantrel::testing
