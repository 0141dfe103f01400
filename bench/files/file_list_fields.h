#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace vantrel::listing {

// The fields of transaction 200 (Get file list) as the tool writes and reads
// them: field 202 (kFieldFilePath) of the request, fields 200
// (kFieldFileListEntry) of the reply.

// The bytes of an entry (field 200) before its name: type (4 bytes), creator
// (4), size (4), 4 and 2 reserved bytes, the name's length (2).
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
