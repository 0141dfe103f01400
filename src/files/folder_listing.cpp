#include "files/folder_listing.h"

#include <algorithm>

#include "files/host_names.h"
#include "files/item_names.h"
#include "files/shortcuts.h"
#include "platform/byte_order.h"
#include "platform/exception.h"

namespace vantrel {
namespace {

// The entry of a folder or a file whose status (followed) is `status`, named
// `wire_name` for its type.
void DescribeExisting(FileSystem& file_system, const std::filesystem::path& host,
                      const FileStatus& status, std::string_view wire_name, ListedItem& item) {
  const bool folder = status.kind == FileKind::kFolder;
  const TypeAndCreator codes = TypeAndCreatorOf(folder, wire_name);
  item.type = codes.type;
  item.creator = codes.creator;
  item.size = folder ? CountEntries(file_system, host) : static_cast<uint32_t>(status.size);
}

void DescribeUnattached(ListedItem& item) {
  item.type = kTypeAlias;
  item.creator = kNoCreator;
  item.size = 0;
}

// The entry as clients see it.
ListedItem Describe(FileSystem& file_system, const std::filesystem::path& folder,
                    const FolderEntry& entry) {
  ListedItem item;
  item.name = WireName(entry.name);
  const std::filesystem::path host = folder / entry.name;
  const FileKind kind = entry.status->kind;
  if (kind == FileKind::kFolder) {
    DescribeExisting(file_system, host, *entry.status, item.name, item);
  } else if (HasShortcutSuffix(entry.name)) {
    const auto target = ShortcutTarget(file_system, host);
    const auto status = target ? file_system.Stat(*target, LinkHandling::kFollow) : std::nullopt;
    if (status) {
      DescribeExisting(file_system, *target, *status, WireName(target->filename().native()), item);
    } else {
      DescribeUnattached(item);
    }
  } else if (kind == FileKind::kSymbolicLink) {
    // Followed as the system follows it, under its own name.
    const auto status = file_system.Stat(host, LinkHandling::kFollow);
    if (status) {
      DescribeExisting(file_system, host, *status, item.name, item);
    } else {
      DescribeUnattached(item);
    }
  } else {
    DescribeExisting(file_system, host, *entry.status, item.name, item);
  }
  return item;
}

}  // namespace

TypeAndCreator TypeAndCreatorOf(bool is_folder, std::string_view wire_name) {
  if (is_folder) return {kTypeFolder, kNoCreator};
  return TypeAndCreatorForName(wire_name);
}

uint32_t CountEntries(FileSystem& file_system, const std::filesystem::path& folder) {
  try {
    return static_cast<uint32_t>(file_system.ListFolder(folder).size());
  } catch (const Omberly::CException&) {
    return 0;
  }
}

std::vector<ListedItem> ListItems(FileSystem& file_system, const std::filesystem::path& folder) {
  std::vector<FolderEntry> entries = file_system.ListFolderWithStatus(folder);
  std::vector<ListedItem> items;
  items.reserve(std::min(entries.size(), kMaxListedItems));
  for (const FolderEntry& entry : entries) {
    if (items.size() == kMaxListedItems) break;
    if (!entry.status) continue;
    try {
      items.push_back(Describe(file_system, folder, entry));
    } catch (const Omberly::CException&) {
      // Gone or changed while the folder was listed: left out, as if gone before.
    }
  }
  return items;
}

std::vector<uint8_t> FileListEntry(const ListedItem& item) {
  std::vector<uint8_t> data;
  data.reserve(20 + item.name.size());
  data.insert(data.end(), item.type.begin(), item.type.end());
  data.insert(data.end(), item.creator.begin(), item.creator.end());
  Append32(data, item.size);
  data.insert(data.end(), 6, 0);
  Append16(data, static_cast<uint16_t>(item.name.size()));
  data.insert(data.end(), item.name.begin(), item.name.end());
  return data;
}

}  // namespace vantrel
