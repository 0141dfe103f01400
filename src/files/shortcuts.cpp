#include "files/shortcuts.h"

#include "files/item_names.h"

namespace vantrel {

std::optional<std::filesystem::path> ShortcutTarget(FileSystem& file_system,
                                                    const std::filesystem::path& link) {
  std::filesystem::path current = link;
  for (int hop = 0; hop <= kMaxShortcutChain; ++hop) {
    const auto status = file_system.Stat(current, LinkHandling::kNoFollow);
    if (!status) return std::nullopt;
    if (status->kind != FileKind::kSymbolicLink) {
      if (hop > 0 || status->kind == FileKind::kFolder) return current;
      return std::nullopt;
    }
    if (hop > 0 && !HasShortcutSuffix(current.filename().native())) {
      // A plain symbolic link on the way: the system follows it.
      if (!file_system.Stat(current, LinkHandling::kFollow)) return std::nullopt;
      return current;
    }
    if (hop == kMaxShortcutChain) break;
    const std::filesystem::path target = file_system.ReadSymbolicLink(current);
    current = target.is_absolute() ? target : current.parent_path() / target;
  }
  return std::nullopt;
}

}  // namespace vantrel
