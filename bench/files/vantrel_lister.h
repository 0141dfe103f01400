#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <asio/ip/tcp.hpp>

#include "client_codec.h"
#include "lister.h"
#include "timed_connection.h"
#include "vantrel_codec.h"

namespace vantrel::listing {

// Listings a session makes before the tool logs in anew: the server disconnects
// and bans a client for more than 121 requests in a minute, and a session's
// login is one of them.
inline constexpr size_t kListingsPerSession = 100;
// The network of the sessions' source addresses: session i binds to
// load::SourceAddress(kSessionSourceBase, i), so that no address connects
// often enough to trip the server's rule on connections in a row from one
// address (more than 10 within 30 s).
inline constexpr uint32_t kSessionSourceBase = 0x7F0C0000;  // 127.12.0.0

// Lists a folder through the Vantrel server on 127.0.0.1: logs in as "guest"
// the way the chat load does (load::VantrelCodec), then sends 200 (Get file
// list) with field 202 naming the folder, and waits for its whole reply,
// passing over the server's other transactions. Every kListingsPerSession
// listings it closes the session and logs in from the next source address.
class VantrelLister final : public Lister, private load::CodecEvents {
 public:
  // REQUIRES: 1 <= folder.size() <= 255.
  VantrelLister(uint16_t port, std::string_view folder);

  std::optional<Listing> ListOnce(std::string& error) override;
  size_t Connections() const override { return sessions_; }

 private:
  void Admitted() override {}
  void LoggedIn() override { logged_in_ = true; }
  void Announcement() override {}
  void Delivery(uint32_t) override {}
  void Failure(std::string why) override;
  void Reply(uint32_t id, uint32_t error, std::span<const uint8_t> body) override;

  // Connects from the next source address and logs in.
  bool LogIn(ListingClock::time_point deadline, std::string& error);
  // Reads and decodes what the server sends, sending what the codec answers,
  // until `done` holds. False, with `error` set and the connection closed, at a
  // failure or at the deadline.
  bool ReadUntil(const std::function<bool()>& done, ListingClock::time_point deadline,
                 std::string& error);

  const asio::ip::tcp::endpoint server_;
  const std::vector<uint8_t> request_fields_;  // the field list of every 200
  TimedConnection connection_;
  std::unique_ptr<load::VantrelCodec> codec_;  // the current session's
  std::vector<uint8_t> buffer_;                // one read's bytes
  std::vector<uint8_t> out_;                   // to send
  size_t sessions_ = 0;
  size_t listings_left_ = 0;  // in the current session
  bool logged_in_ = false;
  uint32_t request_id_ = 0;  // of the 200 awaiting its reply
  bool replied_ = false;
  uint64_t reply_bytes_ = 0;
  std::optional<size_t> entries_;  // of the first reply
  std::optional<std::string> failure_;
};

}  // namespace vantrel::listing
