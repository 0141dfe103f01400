#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace vantrel {

// Big-endian integers as they stand on the wire and in the server's files: the
// one set of helpers for the protocol, "Prefs", "Banned" and "UserData".
// REQUIRES: the pointer (or the span from the offset) has room for the integer's bytes.

inline uint16_t Get16(const uint8_t* p) {
  return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

inline uint32_t Get32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

inline void Put16(uint8_t* p, uint16_t value) {
  p[0] = static_cast<uint8_t>(value >> 8);
  p[1] = static_cast<uint8_t>(value);
}

inline void Put32(uint8_t* p, uint32_t value) {
  p[0] = static_cast<uint8_t>(value >> 24);
  p[1] = static_cast<uint8_t>(value >> 16);
  p[2] = static_cast<uint8_t>(value >> 8);
  p[3] = static_cast<uint8_t>(value);
}

inline uint16_t Get16(std::span<const uint8_t> bytes, size_t offset) {
  return Get16(bytes.data() + offset);
}

inline uint32_t Get32(std::span<const uint8_t> bytes, size_t offset) {
  return Get32(bytes.data() + offset);
}

// An integer of `size` bytes (1 to 4), most significant first.
inline uint32_t GetBigEndian(const uint8_t* p, size_t size) {
  uint32_t value = 0;
  for (size_t i = 0; i < size; ++i) value = (value << 8) | p[i];
  return value;
}

// Appends the `size` (1 to 4) low bytes of `value`, most significant first.
inline void AppendBigEndian(std::vector<uint8_t>& out, uint32_t value, size_t size) {
  for (size_t i = size; i-- > 0;) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline void Append16(std::vector<uint8_t>& out, uint16_t value) {
  AppendBigEndian(out, value, 2);
}

inline void Append32(std::vector<uint8_t>& out, uint32_t value) {
  AppendBigEndian(out, value, 4);
}

// Appends `text` cut to `limit` bytes (at most 255) as a length-prefixed string:
// its length byte, then its bytes.
inline void AppendLengthPrefixed(std::vector<uint8_t>& out, std::string_view text,
                                 size_t limit = 255) {
  text = text.substr(0, limit);
  out.push_back(static_cast<uint8_t>(text.size()));
  out.insert(out.end(), text.begin(), text.end());
}

}  // namespace vantrel
