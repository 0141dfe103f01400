#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vantrel {

// A length-prefixed text in a field of `field` bytes: the length byte, at most
// field - 1 bytes of `text`, zeros after. REQUIRES: `out` holds `field` bytes.
inline void PutFieldText(std::span<uint8_t> out, std::string_view text) {
  text = text.substr(0, out.size() - 1);
  std::fill(out.begin(), out.end(), 0);
  out[0] = static_cast<uint8_t>(text.size());
  std::copy(text.begin(), text.end(), out.begin() + 1);
}

// The text of such a field; a length byte beyond the field is cut to it.
inline std::string FieldText(std::span<const uint8_t> field) {
  const size_t length = std::min<size_t>(field[0], field.size() - 1);
  return {field.begin() + 1, field.begin() + 1 + static_cast<ptrdiff_t>(length)};
}

}  // namespace vantrel
