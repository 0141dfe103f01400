#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// The flag of an entry in force; entries flagged 0 were removed by the operator
// and are kept only in "Banned", never in the in-memory permanent list.
inline constexpr uint8_t kBanInForce = 1;
inline constexpr uint8_t kBanRemoved = 0;
// The expiry of permanent entries (they never expire).
inline constexpr uint32_t kPermanentBanExpiry = 0xFFFFFFFF;
// The longest date text of an entry (its stored form is a length byte and 32 bytes).
inline constexpr size_t kMaxBanDateTextLength = 32;
// The longest info text of an entry (reason or note).
inline constexpr size_t kMaxBanInfoTextLength = 63;
// Entries of the permanent list (and of a working list read from "Banned").
inline constexpr size_t kMaxPermanentBans = 500;
// Entries of the temporary list.
inline constexpr size_t kMaxTemporaryBans = 32;
// How long an automatic ban (flooding, repeating, transaction 110) keeps an address out.
inline constexpr uint32_t kTemporaryBanSeconds = 1800;

// One entry of a ban list: a range of IPv4 addresses (held as on the wire, most
// significant byte first), when it expires on the seconds clock, when it was
// made and why. A value type.
struct BanRecord {
  uint8_t flag = kBanInForce;
  uint32_t expiry = kPermanentBanExpiry;
  uint32_t first_address = 0;
  uint32_t last_address = 0;
  std::string date_text;  // Mac Roman, at most kMaxBanDateTextLength bytes
  std::string info_text;  // Mac Roman, at most kMaxBanInfoTextLength bytes

  // first ≤ address ≤ last as 32-bit numbers; the flag is not consulted.
  bool Matches(uint32_t address) const {
    return first_address <= address && address <= last_address;
  }

  friend bool operator==(const BanRecord&, const BanRecord&) = default;
};

// A ban list in insertion order, oldest first.
using BanList = std::vector<BanRecord>;

// Appends `record`; when `list` already holds `capacity` entries the oldest
// ones are taken out first, so the list never exceeds it. REQUIRES: capacity > 0.
void AppendBan(BanList& list, BanRecord record, size_t capacity);

// True when some entry of `list` matches `address`.
bool AnyBanMatches(const BanList& list, uint32_t address);

// `text` cut to `limit` bytes.
std::string CutBanText(std::string text, size_t limit);

}  // namespace vantrel
