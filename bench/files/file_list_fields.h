#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace vantrel::listing {

// The fields of transaction 200 (Get file list) that the tool writes and reads.
// Field 202 of the request: the path of the folder to list.
inline constexpr uint16_t kFieldFilePath = 202;
// Field 200 of the reply, one per entry of the folder: type (4 bytes), creator
// (4), size (4), 4 and 2 reserved bytes, the name's length (2) and the name.
inline constexpr uint16_t kFieldFileEntry = 200;
// The bytes of an entry before its name.
inline constexpr size_t kFileEntryFixedSize = 20;

// The data of field 202 naming the folder `name` at the top of the shared
// files: a level count of 1 (2 bytes), then 2 reserved zero bytes, the name's
// length (1 byte) and the name. REQUIRES: 1 <= name.size() <= 255.
std::vector<uint8_t> FolderPathField(std::string_view name);

// The number of entries (fields 200) in the field list of a file-list reply;
// other fields are passed over. Nothing when the list is cut short or an entry's
// name length disagrees with its size.
std::optional<size_t> CountFileEntries(std::span<const uint8_t> field_list);

}  // namespace vantrel::listing
