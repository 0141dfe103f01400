#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "server/core_services.h"

namespace vantrel {

// The refusals and drops since start, by kind, for the operator's `counters`
// command and for tests; never saved, never reset (a server reset counts
// itself). Plain fields the core adds to. Core thread only.
struct Counters {
  std::array<uint64_t, kAutoBanRuleCount> auto_bans{};  // by AutoBanRule
  uint64_t refused_handshakes = 0;   // not this protocol, or a version it does not serve
  uint64_t refused_per_address = 0;  // past the connections-per-address setting
  uint64_t pending_dropped = 0;      // oldest connection without a handshake, closed for a new one
  uint64_t accept_failures = 0;      // episodes of the system refusing to accept (no descriptors)
  uint64_t send_queue_drops = 0;     // disconnected for not reading what was sent
  uint64_t failures = 0;             // failures that reached the error handler
  uint64_t resets = 0;               // server resets

  void CountAutoBan(AutoBanRule rule) { ++auto_bans[static_cast<size_t>(rule)]; }
  uint64_t AutoBans(AutoBanRule rule) const { return auto_bans[static_cast<size_t>(rule)]; }

  // Every counter as a name ("autoban_request_flood", "refused_handshakes", ...)
  // and its value, auto-bans first in the order of AutoBanRule.
  std::vector<std::pair<std::string, uint64_t>> Lines() const;
};

}  // namespace vantrel
