#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "downstream_reader.h"
#include "stream_link.h"
#include "timed_connection.h"

namespace vantrel::tunnel_client {

// The client's side of an HTTP tunnel as a stream link. Connect opens a POST
// and then a GET with a new tunnel ID, each a TCP connection to `target_port`
// on 127.0.0.1 (the server's tunnel port, or an HTTP proxy's port) whose
// request line names the server's tunnel port `server_port`. Send writes the
// bytes up the POST as one data chunk; Receive reads the GET's answer and
// hands out its data chunks' payload in place (DownstreamReader), with no copy
// and no relay in between. Close first sends an end chunk up the POST, so that
// the server ends the tunnel at once, as it ends a plain connection that
// closes. One thread; owns its two connections.
class TunnelLink final : public listing::StreamLink {
 public:
  TunnelLink(uint16_t target_port, uint16_t server_port);
  ~TunnelLink() override { Close(); }

  bool Connect(uint32_t source, listing::ListingClock::time_point deadline,
               std::string& error) override;
  bool Send(std::span<const uint8_t> bytes, listing::ListingClock::time_point deadline,
            std::string& error) override;
  std::span<const uint8_t> Receive(size_t most, listing::ListingClock::time_point deadline,
                                   std::string& error) override;
  void Close() override;
  bool IsOpen() const override { return get_.IsOpen(); }

 private:
  // Connects `connection` from `source` and sends it the request head `head`.
  bool Open(listing::TimedConnection& connection, uint32_t source, const std::string& head,
            listing::ListingClock::time_point deadline, std::string& error);

  const uint16_t target_port_;
  const uint16_t server_port_;
  listing::TimedConnection post_;  // up: the body of the POST
  listing::TimedConnection get_;   // down: the answer to the GET
  DownstreamReader reader_;
  std::vector<uint8_t> buffer_;      // one read from the GET connection
  std::span<const uint8_t> unread_;  // of it, what the reader has not taken yet
  std::vector<uint8_t> chunk_;       // a data chunk being sent up
};

// The 36 characters of GUID text that name a tunnel, upper-case hexadecimal
// (tunnel_format.h), made from `id`.
std::string TunnelIdText(const tunnel::TunnelId& id);

}  // namespace vantrel::tunnel_client
