#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

// Time rules and flood limits of the processing pass. Every time rule fires only
// when now - t is strictly greater than its limit.

// A connection that has not logged in is closed after this long without a request.
inline constexpr uint32_t kLoginTimeoutSeconds = 60;
// A client whose login was refused is closed this long after the refusal.
inline constexpr uint32_t kFailedLoginTimeoutSeconds = 30;
// A logged-in user without a request for this long is shown as away.
inline constexpr uint32_t kAwaySeconds = 600;

// Requests per client per window; the next one disconnects and bans.
inline constexpr uint32_t kRequestFloodWindowSeconds = 60;
inline constexpr uint16_t kRequestFloodLimit = 120;

// Connections that have not completed their handshake, which the server keeps
// without a time limit: past this many, the oldest is closed to admit the new
// one, so that silent connections cannot take every descriptor.
inline constexpr size_t kMaxPendingConnections = 1024;

// Open files the server asks the system for at start-up: below this, it logs
// how many clients the limit allows. Every connection holds one; the listeners,
// log files and saves need a few more (the reserve).
inline constexpr uint64_t kOpenFilesWanted = 16384;
inline constexpr uint64_t kOpenFilesReserved = 64;

// Connections in a row from one address: more than this many after the first
// within the window ban the address.
inline constexpr uint32_t kConnectionFloodWindowSeconds = 30;
inline constexpr uint32_t kConnectionFloodRunLimit = 10;

// Whether a time rule fires: the unsigned difference now - since (seconds
// clock) is strictly greater than `limit`.
inline bool Exceeds(uint32_t now, uint32_t since, uint32_t limit) {
  return now - since > limit;
}

}  // namespace vantrel
