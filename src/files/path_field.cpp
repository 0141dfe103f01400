#include "files/path_field.h"

#include <algorithm>

namespace vantrel {
namespace {

// A field shorter than this names the root.
constexpr size_t kMinPathFieldBytes = 6;
// The reserved bytes and the length byte in front of each level's name.
constexpr size_t kLevelHeadBytes = 3;

}  // namespace

std::vector<std::string> PathLevels(std::span<const uint8_t> field) {
  field = field.first(std::min(field.size(), kMaxPathFieldBytes));
  std::vector<std::string> levels;
  if (field.size() < kMinPathFieldBytes) return levels;
  const size_t count = static_cast<size_t>(field[0]) << 8 | field[1];
  size_t offset = 2;
  for (size_t level = 0; level < count; ++level) {
    if (field.size() - offset < kLevelHeadBytes) break;
    const size_t length = field[offset + 2];
    offset += kLevelHeadBytes;
    if (length == 0 || length > field.size() - offset) break;
    levels.emplace_back(reinterpret_cast<const char*>(field.data() + offset), length);
    offset += length;
  }
  return levels;
}

}  // namespace vantrel
