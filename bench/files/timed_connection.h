#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>

namespace vantrel::listing {

using ListingClock = std::chrono::steady_clock;

// One TCP connection over loopback whose every operation blocks until it is
// done or its deadline has passed; past the deadline the connection is closed
// and the operation fails. Owns its io_context and socket. One thread; not
// copyable.
class TimedConnection {
 public:
  TimedConnection() = default;
  TimedConnection(const TimedConnection&) = delete;
  TimedConnection& operator=(const TimedConnection&) = delete;

  // Closes the connection there is, binds to `source` (an address of
  // 127.0.0.0/8; 0 = the system's choice) and connects to `server`. Returns
  // false and sets `error` on failure.
  bool Connect(uint32_t source, const asio::ip::tcp::endpoint& server,
               ListingClock::time_point deadline, std::string& error);
  // Sends all of `bytes`. Returns false and sets `error` on failure.
  bool Send(std::span<const uint8_t> bytes, ListingClock::time_point deadline, std::string& error);
  // Waits for bytes and reads what has arrived, at most `buffer.size()` (which
  // must not be empty). Returns how many; 0, with `error` set, on failure,
  // including the end of the stream.
  size_t Receive(std::span<uint8_t> buffer, ListingClock::time_point deadline, std::string& error);
  // Waits until the peer closes the connection, then closes it here too.
  // False, with `error` set, when bytes arrive instead or at a failure.
  bool AwaitClose(ListingClock::time_point deadline, std::string& error);
  // Closes the connection, if open.
  void Close();
  bool IsOpen() const { return socket_.is_open(); }

 private:
  // Runs the operation started last until it completes or `deadline` passes;
  // in the latter case closes the socket, which ends the operation with
  // operation_aborted.
  void RunUntil(ListingClock::time_point deadline);
  // Reads what has arrived into `buffer`, setting `received`; returns the
  // operation's result (eof at the end of the stream).
  asio::error_code ReadSome(std::span<uint8_t> buffer, ListingClock::time_point deadline,
                            size_t& received);

  asio::io_context io_;
  asio::ip::tcp::socket socket_{io_};
};

}  // namespace vantrel::listing
