#include "transfer/folder_walker.h"

#include <algorithm>

#include "files/host_names.h"
#include "files/item_names.h"
#include "files/shortcuts.h"
#include "platform/exception.h"

namespace vantrel {
namespace {

bool SameFile(const FileStatus& a, const FileStatus& b) {
  return a.device == b.device && a.inode == b.inode;
}

}  // namespace

FolderWalker::FolderWalker(FileSystem& file_system, const std::filesystem::path& folder,
                           bool view_drop_boxes)
    : view_drop_boxes_(view_drop_boxes) {
  std::vector<std::string> levels;
  std::vector<FileStatus> ancestors;
  if (auto status = file_system.Stat(folder, LinkHandling::kFollow)) ancestors.push_back(*status);
  // The downloaded folder itself must be listable; those inside may fail.
  file_system.ListFolder(folder);
  Walk(file_system, folder, levels, ancestors);
}

const WalkedItem* FolderWalker::Next() {
  return next_ < items_.size() ? &items_[next_++] : nullptr;
}

void FolderWalker::Walk(FileSystem& file_system, const std::filesystem::path& folder,
                        std::vector<std::string>& levels, std::vector<FileStatus>& ancestors) {
  std::vector<FolderEntry> entries;
  try {
    entries = file_system.ListFolderWithStatus(folder);
  } catch (const Omberly::CException&) {
    return;  // offered empty
  }
  for (const FolderEntry& entry : entries) {
    if (items_.size() >= kMaxWalkedItems) return;
    if (!entry.status) continue;
    const std::string name = WireName(entry.name);
    if (!view_drop_boxes_ && MentionsDropBox(name)) continue;
    std::filesystem::path host = folder / entry.name;
    std::optional<FileStatus> status = entry.status;
    if (HasShortcutSuffix(entry.name) && status->kind != FileKind::kFolder) {
      auto target = ShortcutTarget(file_system, host);
      status = target ? file_system.Stat(*target, LinkHandling::kFollow) : std::nullopt;
      if (!status || status->kind != FileKind::kFile) continue;  // only shortcuts to files
      host = std::move(*target);
    } else if (status->kind == FileKind::kSymbolicLink) {
      status = file_system.Stat(host, LinkHandling::kFollow);
      if (!status) continue;
    }

    levels.push_back(name);
    if (status->kind == FileKind::kFile) {
      items_.push_back({false, levels, host, status->size});
      total_file_bytes_ += status->size;
    } else if (status->kind == FileKind::kFolder &&
               std::none_of(ancestors.begin(), ancestors.end(),
                            [&](const FileStatus& above) { return SameFile(above, *status); })) {
      items_.push_back({true, levels, host, 0});
      ancestors.push_back(*status);
      Walk(file_system, host, levels, ancestors);
      ancestors.pop_back();
    }
    levels.pop_back();
  }
}

}  // namespace vantrel
