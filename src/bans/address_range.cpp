#include "bans/address_range.h"

#include "logs/log_window.h"

namespace vantrel {
namespace {

// Aligned blocks shown with a prefix length hold 2^k addresses for these k.
constexpr unsigned kSmallestBlockBits = 4;
constexpr unsigned kLargestBlockBits = 31;
// Ranges of fewer than this many addresses after the first are shown as "+n".
constexpr uint32_t kCountedRangeLimit = 10000;
// Digits of one part of a dotted address.
constexpr size_t kMaxPartDigits = 3;
constexpr uint32_t kMaxPartValue = 255;
// Bits of an IPv4 address.
constexpr unsigned kAddressBits = 32;
// Digits of the largest count after "+" that fits 32 bits.
constexpr size_t kMaxCountDigits = 10;
// Digits of a prefix length.
constexpr size_t kMaxPrefixDigits = 2;

// The mask of the low `bits` bits. REQUIRES: bits <= 32.
uint32_t LowBits(unsigned bits) {
  return bits >= kAddressBits ? 0xFFFFFFFFu : (uint32_t{1} << bits) - 1;
}

// A whole decimal number of at most `max_digits` digits; empty otherwise.
std::optional<uint32_t> ParseDecimal(std::string_view text, size_t max_digits) {
  if (text.empty() || text.size() > max_digits) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<uint32_t>(value);
}

}  // namespace

std::string AddressRangeText(uint32_t first, uint32_t last) {
  if (first == 0 && last == 0) return {};
  std::string text = AddressText(first);
  if (first == last) return text;
  for (unsigned k = kSmallestBlockBits; k <= kLargestBlockBits; ++k) {
    const uint32_t mask = LowBits(k);
    if (last == (first | mask) && first == (last & ~mask)) {
      return text + "/" + std::to_string(kAddressBits - k);
    }
  }
  if (first < last && last - first < kCountedRangeLimit) {
    return text + "+" + std::to_string(last - first);
  }
  return text + "-" + AddressText(last);
}

AddressRange AddressRangeFromText(std::string_view text) {
  text = text.substr(0, kMaxAddressRangeTextLength);
  const size_t cut = text.find_first_of("+-/");
  const uint32_t first = ParseDottedAddress(text.substr(0, cut)).value_or(0);
  if (cut == std::string_view::npos) return {first, first};

  const std::string_view rest = text.substr(cut + 1);
  switch (text[cut]) {
    case '-':
      return {first, ParseDottedAddress(rest).value_or(0)};
    case '+': {
      const uint32_t count = ParseDecimal(rest, kMaxCountDigits).value_or(0);
      const uint32_t room = 0xFFFFFFFFu - first;
      return {first, first + (count < room ? count : room)};
    }
    default: {
      const auto prefix = ParseDecimal(rest, kMaxPrefixDigits);
      if (!prefix || *prefix > kAddressBits) return {first, first};
      const uint32_t host = LowBits(kAddressBits - *prefix);
      return {first & ~host, first | host};
    }
  }
}

bool IsWellFormedAddressRange(std::string_view text) {
  if (text.size() > kMaxAddressRangeTextLength) return false;
  const size_t cut = text.find_first_of("+-/");
  if (!ParseDottedAddress(text.substr(0, cut))) return false;
  if (cut == std::string_view::npos) return true;
  const std::string_view rest = text.substr(cut + 1);
  switch (text[cut]) {
    case '-':
      return ParseDottedAddress(rest).has_value();
    case '+':
      return ParseDecimal(rest, kMaxCountDigits).has_value();
    default: {
      const auto prefix = ParseDecimal(rest, kMaxPrefixDigits);
      return prefix && *prefix <= kAddressBits;
    }
  }
}

std::optional<uint32_t> ParseDottedAddress(std::string_view text) {
  uint32_t address = 0;
  for (int part = 0; part < 4; ++part) {
    const size_t dot = part < 3 ? text.find('.') : text.size();
    if (dot == std::string_view::npos) return std::nullopt;
    const auto value = ParseDecimal(text.substr(0, dot), kMaxPartDigits);
    if (!value || *value > kMaxPartValue) return std::nullopt;
    address = (address << 8) | *value;
    text.remove_prefix(part < 3 ? dot + 1 : dot);
  }
  return address;
}

}  // namespace vantrel
