#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <asio/ip/tcp.hpp>

#include "timed_connection.h"

namespace vantrel::listing {

// Bytes a link reads at once: a listing of 10,000 files is some 400 KB, and a
// transfer reads as much as the socket holds.
inline constexpr size_t kLinkReadSize = 256 * 1024;

// A client's byte stream to one of the server's ports on 127.0.0.1, whose every
// operation blocks until it is done or its deadline has passed; past the
// deadline the link is closed and the operation fails. Implementations: a
// plain TCP connection (PlainLink) or an HTTP tunnel (bench/tunnel). One
// thread; not copyable.
class StreamLink {
 public:
  StreamLink() = default;
  virtual ~StreamLink() = default;
  StreamLink(const StreamLink&) = delete;
  StreamLink& operator=(const StreamLink&) = delete;

  // Closes the link there is and connects anew from `source` (an address of
  // 127.0.0.0/8; 0 = the system's choice). False, with `error` set, on failure.
  virtual bool Connect(uint32_t source, ListingClock::time_point deadline, std::string& error) = 0;
  // Sends all of `bytes` down the stream. False, with `error` set, on failure.
  virtual bool Send(std::span<const uint8_t> bytes, ListingClock::time_point deadline,
                    std::string& error) = 0;
  // Waits for bytes of the stream and returns the next ones, at most `most`
  // (REQUIRES: not 0), from the link's own buffer: they stay valid until the
  // next call. Empty, with `error` set, on failure, including the end of the
  // stream.
  virtual std::span<const uint8_t> Receive(size_t most, ListingClock::time_point deadline,
                                           std::string& error) = 0;
  // Closes the link, if open.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
};

// The stream as one TCP connection to `port` on 127.0.0.1.
class PlainLink final : public StreamLink {
 public:
  explicit PlainLink(uint16_t port);

  bool Connect(uint32_t source, ListingClock::time_point deadline, std::string& error) override;
  bool Send(std::span<const uint8_t> bytes, ListingClock::time_point deadline,
            std::string& error) override;
  std::span<const uint8_t> Receive(size_t most, ListingClock::time_point deadline,
                                   std::string& error) override;
  void Close() override { connection_.Close(); }
  bool IsOpen() const override { return connection_.IsOpen(); }

 private:
  const asio::ip::tcp::endpoint server_;
  TimedConnection connection_;
  std::vector<uint8_t> buffer_;
};

}  // namespace vantrel::listing
