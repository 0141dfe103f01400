#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vantrel {

// The most of a path field that is read; bytes beyond it are ignored.
inline constexpr size_t kMaxPathFieldBytes = 2048;

// The levels a path field names, from the session root downwards (Mac Roman
// names, 1 to 255 bytes each). The field is a 16-bit level count, then per level
// 2 reserved bytes, a length byte and the name. A field shorter than 6 bytes
// names the root (no level). Reading stops early, keeping the levels read, when
// fewer than 3 bytes remain for a level's head, when a name's length is 0 or
// when a name would run past the end of the field. Pure; never fails.
std::vector<std::string> PathLevels(std::span<const uint8_t> field);

}  // namespace vantrel
