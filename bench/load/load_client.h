#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>

#include "client_codec.h"

namespace vantrel::load {

using LoadClock = std::chrono::steady_clock;

// Where a client reports what it saw, with its index.
class ClientObserver {
 public:
  virtual ~ClientObserver() = default;
  // The TCP connection is up; the greeting is sent next.
  virtual void OnConnected(size_t /*client*/) {}
  virtual void OnAdmitted(size_t client) = 0;
  virtual void OnLoggedIn(size_t client) = 0;
  virtual void OnAnnouncement(size_t client) = 0;
  // `when` is the time the bytes carrying the delivery arrived at the client's
  // socket (or, where the kernel gives no arrival times, were read).
  virtual void OnDelivery(size_t client, uint32_t line, LoadClock::time_point when) = 0;
  // The connection failed or the server refused something; the run is over.
  virtual void OnFailure(size_t client, const std::string& why) = 0;
};

// One load client: a TCP connection from its own loopback source address,
// a codec for the protocol, a read loop and a write queue with at most one
// write in flight. Lives as long as the run that owns it; its asynchronous
// operations must not outlive it, so the io_context is stopped (and never run
// again) before clients are destroyed. The tool's thread only.
class LoadClient final : private CodecEvents {
 public:
  // REQUIRES: `io` and `observer` outlive the client.
  LoadClient(asio::io_context& io, size_t index, std::unique_ptr<ClientCodec> codec,
             ClientObserver& observer);

  LoadClient(const LoadClient&) = delete;
  LoadClient& operator=(const LoadClient&) = delete;

  // Asks for a receive buffer of `bytes` (SO_RCVBUF; the system doubles it and
  // keeps it above its minimum), so that a client that stops reading fills it
  // with little. REQUIRES: before Start().
  void SetReceiveBuffer(int bytes) { receive_buffer_ = bytes; }
  // Binds to `source` (127.x.y.z), connects to `server` and sends the greeting.
  // A failure is reported to the observer.
  void Start(uint32_t source, const asio::ip::tcp::endpoint& server);
  // Sends the chat lines with these numbers in one write.
  void SendLines(std::span<const uint32_t> numbers);
  // Sends `bytes` as they are, after whatever is queued.
  void SendBytes(std::span<const uint8_t> bytes);
  // Stops reading the socket: what the server sends stays in the system's
  // buffers, and a closing server goes unnoticed until reading resumes.
  void PauseReading() { paused_ = true; }
  // Reads again, first what arrived meanwhile.
  void ResumeReading();
  // Closes the connection without reporting it.
  void Close();
  // Deliveries timed when they were read, for want of the time they arrived.
  size_t DeliveriesTimedAtRead() const { return deliveries_timed_at_read_; }

 private:
  void Admitted() override;
  void LoggedIn() override;
  void Announcement() override;
  void Delivery(uint32_t number) override;
  void Failure(std::string why) override;

  void ArmRead();
  void OnReadable(const asio::error_code& error);
  void Flush();

  asio::ip::tcp::socket socket_;
  const size_t index_;
  std::unique_ptr<ClientCodec> codec_;
  ClientObserver& observer_;
  std::vector<uint8_t> pending_;          // queued while a write is in flight
  std::vector<uint8_t> in_flight_;        // being written
  std::vector<uint8_t> answers_;          // what the codec answers by itself
  LoadClock::time_point arrival_time_{};  // when the bytes being decoded arrived
  bool arrival_known_ = false;            // else arrival_time_ is when they were read
  size_t deliveries_timed_at_read_ = 0;
  int receive_buffer_ = 0;  // 0 = the system's default
  bool connected_ = false;
  bool read_armed_ = false;
  bool paused_ = false;
  bool writing_ = false;
  bool closed_ = false;
};

}  // namespace vantrel::load
