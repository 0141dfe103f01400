#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace vantrel {

class ReadableFile;

// What a transport reports to its owner. Events are always delivered from the
// event loop, never from inside a call the owner made on the transport.
enum class TransportEvent {
  kDataArrived,        // new bytes can be read
  kClosed,             // the connection is gone (peer closed, error, or a disconnect)
  kQueueDrained,       // every queued byte has been handed to the system
  kSendQueueOverflow,  // the send queue passed its cap; the transport disconnected itself
};

// One connection's byte stream, as the transaction session and the processing
// pass see it: the plain TCP transport and, later, the HTTP tunnel implement it.
// Owned by exactly one session or connection list; core thread only.
class Transport {
 public:
  using Notify = std::function<void(TransportEvent)>;

  virtual ~Transport() = default;

  // Where events go; replaces the previous target. An empty function drops events.
  virtual void SetNotify(Notify notify) = 0;

  virtual bool IsConnected() const = 0;
  // A graceful close waits for the send queue to drain.
  virtual bool IsClosePending() const = 0;

  // Bytes received and not yet read.
  virtual size_t BytesAvailable() const = 0;
  // Copies up to out.size() received bytes into `out`; returns how many.
  virtual size_t Read(std::span<uint8_t> out) = 0;

  // Queues `first` then `second` to be sent as one piece; the bytes are copied.
  // Everything queued while one event is handled goes out in one write after it.
  virtual void Send(std::span<const uint8_t> first, std::span<const uint8_t> second = {}) = 0;
  // Queues `length` bytes of `file` from `offset`, to be sent after everything
  // queued before them, and keeps the file open until they are. This one reads
  // them and queues a copy; a transport that can send a file's bytes without
  // copying them (sendfile) does so. Raises Omberly::CException (class 4) when
  // the file cannot be read, and when it holds fewer bytes than asked.
  virtual void SendFile(const std::shared_ptr<ReadableFile>& file, uint64_t offset, size_t length);
  // Bytes queued and not yet handed to the system.
  virtual size_t QueuedBytes() const = 0;

  // Closes at once when nothing is queued, else after the queue has been sent.
  virtual void CloseGracefully() = 0;
  // Drops the queue and shuts the connection down in both directions at once.
  virtual void Disconnect() = 0;
  // True once the transport disconnected itself because its peer did not read:
  // its send queue passed its cap, or the budget it counts in
  // (kSendQueueOverflow was reported, or is about to be).
  virtual bool DroppedForNotReading() const = 0;

  // The peer's IPv4 address, most significant byte first (127.0.0.1 is 0x7F000001).
  virtual uint32_t PeerAddress() const = 0;
};

}  // namespace vantrel
