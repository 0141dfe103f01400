#include "files/file_tree.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "files/host_names.h"
#include "files/item_names.h"
#include "files/path_field.h"
#include "files/shortcuts.h"
#include "platform/exception.h"

namespace vantrel {
namespace {

// The characters of a UTF-8 text (bytes that do not continue a character).
size_t CharacterCount(std::string_view text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// A level that can name nothing on this system, or that would climb out of
// its folder or stay in it.
bool IsRefusedLevel(std::string_view level) {
  return level == "." || HasDoubleDot(level) ||
         level.find_first_of(std::string_view("/\0", 2)) != level.npos;
}

[[noreturn]] void Raise(int16_t code) {
  throw Omberly::CException(kErrorClassFile, code);
}

bool IsFolder(FileSystem& file_system, const std::filesystem::path& path) {
  const auto status = file_system.Stat(path, LinkHandling::kFollow);
  return status && status->kind == FileKind::kFolder;
}

}  // namespace

FileTree::FileTree(FileSystem& file_system, const std::filesystem::path& server_folder,
                   AccountFolderFinder account_folder)
    : file_system_(file_system),
      shared_root_(server_folder / kFilesFolderName),
      account_folder_(std::move(account_folder)) {}

std::filesystem::path FileTree::SessionRoot(std::string_view login) const {
  try {
    const auto account = account_folder_(login);
    if (!account) return shared_root_;
    std::filesystem::path own = *account / kFilesFolderName;
    if (IsFolder(file_system_, own)) return own;
    own += ".lnk";
    if (const auto target = ShortcutTarget(file_system_, own);
        target && IsFolder(file_system_, *target)) {
      return *target;
    }
  } catch (const Omberly::CException&) {
    // An account folder that cannot be looked at has no tree of its own.
  }
  return shared_root_;
}

std::optional<std::filesystem::path> FileTree::BuildFolder(
    const std::filesystem::path& root, const std::vector<std::string>& levels) const {
  std::filesystem::path folder = root;
  for (std::string level : levels) {
    if (IsRefusedLevel(level)) return std::nullopt;
    std::replace(level.begin(), level.end(), '\\', '-');
    folder /= HostEntryName(file_system_, folder, level);
    if (HasShortcutSuffix(level)) {
      auto target = ShortcutTarget(file_system_, folder);
      if (!target || !IsFolder(file_system_, *target)) return std::nullopt;
      folder = std::move(*target);
    }
    if (folder.native().size() >= kMaxFolderPathBytes) return std::nullopt;
  }
  if (!IsFolder(file_system_, folder)) return std::nullopt;
  return folder;
}

ItemReference FileTree::Resolve(const std::filesystem::path& root,
                                std::span<const uint8_t> path_field,
                                std::optional<std::string_view> item_name, unsigned flags) const {
  return Resolve(root, PathLevels(path_field), item_name, flags);
}

ItemReference FileTree::Resolve(const std::filesystem::path& root, std::vector<std::string> levels,
                                std::optional<std::string_view> item_name, unsigned flags) const {
  std::string item;
  if (item_name) {
    item = *item_name;
  } else if (!levels.empty()) {
    item = std::move(levels.back());
    levels.pop_back();
  }

  ItemReference reference;
  auto folder = BuildFolder(root, levels);
  if (!folder) {
    if ((flags & kFailQuietly) != 0) return reference;
    Raise(kErrorCodeFolderNotFound);
  }
  reference.host = std::move(*folder);
  if (!item.empty()) {
    if (!IsValidItemName(item)) Raise(kErrorCodeInvalidName);
    if (item.front() == '.') item.front() = '-';
    const std::string host_name = HostEntryName(file_system_, reference.host, item);
    if (CharacterCount(reference.host.native()) + 1 + CharacterCount(host_name) >
        kMaxItemPathCharacters) {
      Raise(kErrorCodePathTooLong);
    }
    reference.host /= host_name;
  }
  reference.kind = Classify(root, reference.host, flags);
  if ((flags & kRaiseWhenMissing) != 0 && !Exists(reference.kind)) Raise(kErrorCodeNotFound);
  return reference;
}

ItemKind FileTree::Classify(const std::filesystem::path& root, std::filesystem::path& host,
                            unsigned flags) const {
  const bool follow = (flags & kFollowShortcuts) != 0;
  const auto status = file_system_.Stat(host, LinkHandling::kNoFollow);
  if (!status) {
    if (follow) {
      if (auto found = FindThroughShortcuts(root, host)) {
        const bool named_as_shortcut = HasShortcutSuffix(host.filename().native());
        host = std::move(*found);
        return named_as_shortcut && IsFolder(file_system_, host) ? ItemKind::kFolder
                                                                 : ItemKind::kFile;
      }
    }
    return IsFolder(file_system_, host.parent_path()) ? ItemKind::kMissing : ItemKind::kNoFolder;
  }
  if (status->kind == FileKind::kFolder) return ItemKind::kFolder;

  std::optional<std::filesystem::path> target;
  if (HasShortcutSuffix(host.filename().native())) {
    target = ShortcutTarget(file_system_, host);
  } else if (status->kind == FileKind::kSymbolicLink) {
    // Followed as the system follows it, whether or not shortcuts are.
    if (!file_system_.Stat(host, LinkHandling::kFollow)) {
      if (follow && (flags & kFailQuietly) == 0) Raise(kErrorCodeUnresolvableAlias);
      return ItemKind::kUnattachedAlias;
    }
    return IsFolder(file_system_, host) ? ItemKind::kFolder : ItemKind::kFile;
  } else {
    return ItemKind::kFile;
  }

  if (!target) {
    if (follow && (flags & kFailQuietly) == 0) Raise(kErrorCodeUnresolvableAlias);
    return ItemKind::kUnattachedAlias;
  }
  const bool folder = IsFolder(file_system_, *target);
  if (!follow) return folder ? ItemKind::kShortcutToFolder : ItemKind::kShortcutToFile;
  host = std::move(*target);
  return folder ? ItemKind::kFolder : ItemKind::kFile;
}

void FileTree::Delete(const std::filesystem::path& host) const {
  if (CharacterCount(host.native()) >= kMaxDeletedPathCharacters) return;
  try {
    file_system_.MoveToTrash(host);
  } catch (const Omberly::CException& failure) {
    if (failure.SystemError() != ENOENT) throw;  // gone in the meantime: nothing to do
  }
}

std::optional<std::filesystem::path> FileTree::FindThroughShortcuts(
    const std::filesystem::path& root, const std::filesystem::path& host) const {
  const std::filesystem::path relative = host.lexically_relative(root);
  if (relative.empty() || *relative.begin() == "..") return std::nullopt;
  std::filesystem::path current = root;
  for (const auto& level : relative) {
    std::filesystem::path next = current / level;
    if (!file_system_.Stat(next, LinkHandling::kNoFollow)) {
      next += ".lnk";
      if (!file_system_.Stat(next, LinkHandling::kNoFollow)) return std::nullopt;
      auto target = ShortcutTarget(file_system_, next);
      if (!target) return std::nullopt;
      next = std::move(*target);
    }
    current = std::move(next);
  }
  return current;
}

}  // namespace vantrel
