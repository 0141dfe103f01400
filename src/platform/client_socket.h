#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// A TCP connection that a client opens to a server (the Vantrel client, test
// clients): a non-blocking socket whose every wait ends at a deadline. While it
// waits it either blocks in poll() or, when given a pump, calls the pump between
// attempts, so that a server running on the same thread (in tests) can answer.
// Owns its descriptor; one thread only.
class ClientSocket {
 public:
  using Clock = std::chrono::steady_clock;
  using Pump = std::function<void()>;

  enum class Received {
    kData,      // bytes were appended
    kTimedOut,  // the deadline passed with nothing new
    kClosed,    // the peer closed the connection, or it failed
  };

  // Connects to `host` (a name or a dotted IPv4 address) on `port`, from the
  // IPv4 address `source` when it is not 0. Null, with `error` set to why, when
  // the name cannot be resolved or no connection is made by `deadline`.
  static std::unique_ptr<ClientSocket> Connect(std::string_view host, uint16_t port,
                                               Clock::time_point deadline, Pump pump,
                                               std::string& error, uint32_t source = 0);
  ~ClientSocket();

  ClientSocket(const ClientSocket&) = delete;
  ClientSocket& operator=(const ClientSocket&) = delete;

  // The descriptor, for a caller that waits on several at once; -1 once closed.
  int Descriptor() const { return fd_; }
  bool IsOpen() const { return fd_ >= 0 && !peer_closed_; }

  // Sends all of `bytes`; false when the connection failed or `deadline` passed
  // first (part of them may have gone).
  bool Send(std::span<const uint8_t> bytes, Clock::time_point deadline);
  // Appends to `inbox` what has arrived, waiting until `deadline` for at least
  // one byte (a deadline already passed makes one attempt without waiting).
  Received Receive(std::vector<uint8_t>& inbox, Clock::time_point deadline);
  void Close();

 private:
  ClientSocket(int fd, Pump pump) : fd_(fd), pump_(std::move(pump)) {}
  // Waits for `events` on the socket until `deadline` (at most 100 ms a call
  // with a pump, which then runs instead); false once the deadline has passed.
  bool Wait(short events, Clock::time_point deadline);

  int fd_ = -1;
  Pump pump_;
  bool peer_closed_ = false;
};

}  // namespace vantrel
