#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lister.h"
#include "vantrel_session.h"

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

// Lists a folder through the Vantrel server on 127.0.0.1 in a guest session
// (VantrelSession): sends 200 (Get file list) with field 202 naming the folder,
// and waits for its whole reply. Every kListingsPerSession listings it closes
// the session and logs in from the next source address.
class VantrelLister final : public Lister {
 public:
  // REQUIRES: 1 <= folder.size() <= 255.
  VantrelLister(uint16_t port, std::string_view folder);

  std::optional<Listing> ListOnce(std::string& error) override;
  size_t Connections() const override { return sessions_; }

 private:
  const std::vector<uint8_t> request_fields_;  // the field list of every 200
  VantrelSession session_;
  size_t sessions_ = 0;
  size_t listings_left_ = 0;       // in the current session
  std::optional<size_t> entries_;  // of the first reply
  bool unreadable_ = false;        // the first reply's entries could not be counted
};

}  // namespace vantrel::listing
