#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/byte_order.h"

namespace vantrel::client {

// Reads big-endian integers and texts from the front of bytes the server sent,
// every read bounds-checked: a read past the end gives 0 or an empty text and
// leaves Ok() false from then on.
class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool Ok() const { return ok_; }
  size_t Left() const { return bytes_.size() - at_; }

  std::span<const uint8_t> Take(size_t n) {
    if (!ok_ || n > Left()) {
      ok_ = false;
      return {};
    }
    const auto taken = bytes_.subspan(at_, n);
    at_ += n;
    return taken;
  }
  uint8_t Take8() {
    const auto b = Take(1);
    return b.empty() ? 0 : b[0];
  }
  uint16_t Take16() {
    const auto b = Take(2);
    return b.empty() ? 0 : Get16(b.data());
  }
  uint32_t Take32() {
    const auto b = Take(4);
    return b.empty() ? 0 : Get32(b.data());
  }
  std::string TakeText(size_t n) {
    const auto b = Take(n);
    return {b.begin(), b.end()};
  }
  // A length byte and that many bytes.
  std::string TakeLengthPrefixed() { return TakeText(Take8()); }

 private:
  std::span<const uint8_t> bytes_;
  size_t at_ = 0;
  bool ok_ = true;
};

}  // namespace vantrel::client
