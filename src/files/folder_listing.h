#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "files/type_codes.h"
#include "platform/file_system.h"

namespace vantrel {

// One entry of a listed folder as clients see it.
struct ListedItem {
  std::string name;  // Mac Roman, at most 255 bytes; a shortcut's own name
  FourCharCode type;
  FourCharCode creator;
  // A file's length (its low 32 bits), a folder's number of entries; a
  // shortcut's of its target; 0 for a shortcut whose target cannot be found.
  uint32_t size = 0;
};

// The most entries one listing gives: one reply holds no more fields.
inline constexpr size_t kMaxListedItems = 65535;

// The entries of `folder` ("." and ".." left out, hidden ones included) in the
// order the file system lists them, at most kMaxListedItems: a file with the
// type and creator of its name; a folder as "fldr", creator 0; a shortcut with
// its target's type, creator and size, or "alis", creator 0, size 0 when the
// target cannot be found. An entry that goes away while it is listed is left
// out. Looks at each entry once, and at a folder's or a link's target once
// more. Raises class 4 when `folder` cannot be listed.
std::vector<ListedItem> ListItems(FileSystem& file_system, const std::filesystem::path& folder);

// The number of entries of `folder` ("." and ".." not counted); 0 when it
// cannot be listed.
uint32_t CountEntries(FileSystem& file_system, const std::filesystem::path& folder);

// The type and creator of a folder ("fldr", creator 0) or of a file named
// `wire_name` (by its name).
TypeAndCreator TypeAndCreatorOf(bool is_folder, std::string_view wire_name);

// The data of one field 200 (file list entry): type, creator, size, 4 + 2
// reserved zero bytes, the name's length (2 bytes) and the name; big-endian.
std::vector<uint8_t> FileListEntry(const ListedItem& item);

}  // namespace vantrel
