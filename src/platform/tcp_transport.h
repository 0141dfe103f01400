#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "platform/transport.h"

namespace asio {
class io_context;
}

namespace vantrel {

// Limits of a plain TCP connection.
// Received bytes held unread before the transport stops reading from the socket;
// reading resumes below half of it. Bounds what a peer can make the server buffer.
inline constexpr size_t kInboundHighWater = 256 * 1024;
// Bytes queued for sending before a client that stopped reading is disconnected.
inline constexpr size_t kSendQueueLimit = 32 * 1024 * 1024;
// Bytes queued for sending over all client connections together: without it, N
// clients that stop reading could hold N times the cap above.
inline constexpr size_t kClientSendBudget = 256 * 1024 * 1024;

class SendBudget;

// A TCP connection over Asio. Reads continuously into an inbound queue (paused
// above the high-water mark), queues sends and flushes them once the current
// event has been handled, with at most one write in flight. The connection
// object lives until its last asynchronous operation has finished, even after
// this handle is destroyed. Core thread only.
class TcpTransport final : public Transport {
 public:
  class Connection;  // the socket and its queues, shared with operations in flight
  class FlushQueue;  // the connections of a listener waiting to be flushed

  explicit TcpTransport(std::shared_ptr<Connection> connection);
  ~TcpTransport() override;  // disconnects

  TcpTransport(const TcpTransport&) = delete;
  TcpTransport& operator=(const TcpTransport&) = delete;

  void SetNotify(Notify notify) override;
  bool IsConnected() const override;
  bool IsClosePending() const override;
  size_t BytesAvailable() const override;
  size_t Read(std::span<uint8_t> out) override;
  void Send(std::span<const uint8_t> first, std::span<const uint8_t> second) override;
  // A file with a native handle is sent with sendfile, straight from the page
  // cache into the socket, in its turn after the bytes queued before it.
  void SendFile(const std::shared_ptr<ReadableFile>& file, uint64_t offset, size_t length) override;
  size_t QueuedBytes() const override;
  void CloseGracefully() override;
  void Disconnect() override;
  bool DroppedForNotReading() const override;
  uint32_t PeerAddress() const override;

 private:
  std::shared_ptr<Connection> connection_;
};

// The longest listen backlog the system takes (SOMAXCONN; the kernel may cap it
// lower still).
int MaxListenBacklog();

// A listening TCP socket that accepts continuously and keeps the accepted
// connections until the processing pass takes them. Core thread only.
class TcpListener {
 public:
  using Notify = std::function<void()>;  // a connection is waiting to be taken

  // REQUIRES: `io` outlives the listener.
  explicit TcpListener(asio::io_context& io);
  ~TcpListener();

  TcpListener(const TcpListener&) = delete;
  TcpListener& operator=(const TcpListener&) = delete;

  // Binds to `address`:`port` (address 0 = every local address) with SO_REUSEADDR
  // and starts accepting. Every accepted connection counts its send queue in
  // `budget` when one is given (REQUIRES: it outlives the listener and every
  // connection taken from it). Raises Omberly::CException (class 4, with the
  // system error) when the address cannot be bound.
  void Open(uint32_t address, uint16_t port, int backlog, Notify notify,
            SendBudget* budget = nullptr);

  // Told when the system starts refusing to accept (out of descriptors, say),
  // with its errno, once per episode; accepting is retried every 100 ms, and the
  // first connection accepted again ends the episode with a call with 0.
  using FailureNotify = std::function<void(int error)>;
  void SetFailureNotify(FailureNotify notify);

  // The next accepted connection, or null when none is waiting.
  std::unique_ptr<Transport> TakeAccepted();

  // The bound local address and port.
  uint32_t LocalAddress() const;
  uint16_t LocalPort() const;

 private:
  class Acceptor;
  std::shared_ptr<Acceptor> acceptor_;
};

// The bytes queued for sending over a set of connections together, and the
// limit for them. When a send takes the total past the limit, the connection
// with the largest queue is disconnected and reports kSendQueueOverflow, as if it
// had passed its own cap (like an output-buffer eviction). A connection leaves
// the set when it closes. Core thread only.
class SendBudget {
 public:
  explicit SendBudget(size_t limit = kClientSendBudget) : limit_(limit) {}

  SendBudget(const SendBudget&) = delete;
  SendBudget& operator=(const SendBudget&) = delete;

  size_t Limit() const { return limit_; }
  // The bytes queued now over every open connection of the set.
  size_t Queued() const { return queued_; }

 private:
  friend class TcpTransport::Connection;

  size_t limit_;
  size_t queued_ = 0;
  std::vector<TcpTransport::Connection*> members_;  // in no order
};

}  // namespace vantrel
