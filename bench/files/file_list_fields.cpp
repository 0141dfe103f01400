#include "file_list_fields.h"

#include "platform/byte_order.h"
#include "protocol/field_ids.h"

namespace vantrel::listing {
namespace {

// The offset of an entry's name length within its data.
constexpr size_t kNameLengthOffset = 18;

}  // namespace

std::vector<uint8_t> FolderPathField(std::string_view name) {
  std::vector<uint8_t> path;
  path.reserve(5 + name.size());
  Append16(path, 1);  // one level
  Append16(path, 0);  // reserved
  path.push_back(static_cast<uint8_t>(name.size()));
  path.insert(path.end(), name.begin(), name.end());
  return path;
}

std::optional<size_t> CountFileEntries(std::span<const uint8_t> field_list) {
  if (field_list.size() < 2) return std::nullopt;
  const uint16_t count = Get16(field_list, 0);
  size_t at = 2;
  size_t entries = 0;
  for (uint16_t i = 0; i < count; ++i) {
    if (at + 4 > field_list.size()) return std::nullopt;
    const uint16_t id = Get16(field_list, at);
    const uint16_t size = Get16(field_list, at + 2);
    at += 4;
    if (at + size > field_list.size()) return std::nullopt;
    if (id == kFieldFileListEntry) {
      if (size < kFileEntryFixedSize ||
          kFileEntryFixedSize + Get16(field_list, at + kNameLengthOffset) != size) {
        return std::nullopt;
      }
      ++entries;
    }
    at += size;
  }
  return entries;
}

}  // namespace vantrel::listing
