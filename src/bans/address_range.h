#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// The longest address range text, shown or entered.
inline constexpr size_t kMaxAddressRangeTextLength = 63;

// A range of IPv4 addresses, each held as on the wire (most significant byte first).
struct AddressRange {
  uint32_t first = 0;
  uint32_t last = 0;

  friend bool operator==(const AddressRange&, const AddressRange&) = default;
};

// How the operator sees a ban entry's range: empty when both addresses are 0;
// "a.b.c.d" for one address; "a.b.c.d/n" for an aligned block of 16 to 2^31
// addresses (n its prefix length); "a.b.c.d+n" for up to 10,000 addresses
// after the first; otherwise "a.b.c.d-e.f.g.h". Pure.
std::string AddressRangeText(uint32_t first, uint32_t last);

// The reverse, for a text the operator typed (cut to kMaxAddressRangeTextLength
// bytes first). The text splits at its first "+", "-" or "/":
//   "A-B"  first A, last B;
//   "A+n"  first A, last A + n (at most 255.255.255.255; n not a decimal
//          number counts as 0);
//   "A/n"  the block of addresses sharing A's first n bits (n from 0 to 32;
//          any other n, or none, gives A alone);
//   "A"    A alone.
// An address that is not dotted decimal counts as 0. Pure.
AddressRange AddressRangeFromText(std::string_view text);

// True when `text` is one of the forms above in full: well-formed addresses,
// a decimal count after "+", a prefix length of 0 to 32 after "/". Pure.
bool IsWellFormedAddressRange(std::string_view text);

// "a.b.c.d": four parts of one to three decimal digits (leading zeros allowed,
// each at most 255) separated by full stops, nothing else. Empty otherwise.
std::optional<uint32_t> ParseDottedAddress(std::string_view text);

}  // namespace vantrel
