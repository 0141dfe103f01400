#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vantrel {

// One item of a folder download.
struct WalkedItem {
  bool is_folder = false;
  // Its path below the downloaded folder, its own name last (Mac Roman, as listed).
  std::vector<std::string> levels;
  // Where its bytes are (a shortcut's target); a file's length.
  std::filesystem::path host;
  uint64_t length = 0;
};

// The most items one folder download offers; a larger tree is cut there.
inline constexpr size_t kMaxWalkedItems = 100'000;

// The tree of a folder to download, listed once when the download is granted:
// every file and folder in it, in depth-first pre-order (a folder before its
// content), each folder's entries in listing order. Folders reached through
// symbolic links are walked too, but never a folder that is already being
// walked further up (a link to an ancestor). A shortcut stands for its target
// file; shortcuts to folders, unattached ones and entries that are neither
// files nor folders are left out. Without the privilege to view drop boxes,
// every entry whose name holds "drop box" is left out with all it holds.
// Owned by its folder download task; core thread only.
class FolderWalker {
 public:
  // Lists `folder` and everything in it. Raises class 4 when `folder` itself
  // cannot be listed; a folder inside that cannot be listed is offered empty.
  FolderWalker(FileSystem& file_system, const std::filesystem::path& folder, bool view_drop_boxes);

  // Files and folders in the tree, the downloaded folder not counted.
  size_t ItemCount() const { return items_.size(); }
  // The sum of the lengths of its files.
  uint64_t TotalFileBytes() const { return total_file_bytes_; }

  // The next item, or null after the last.
  const WalkedItem* Next();

 private:
  void Walk(FileSystem& file_system, const std::filesystem::path& folder,
            std::vector<std::string>& levels, std::vector<FileStatus>& ancestors);

  bool view_drop_boxes_;
  std::vector<WalkedItem> items_;
  uint64_t total_file_bytes_ = 0;
  size_t next_ = 0;
};

}  // namespace vantrel
