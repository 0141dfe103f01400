#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace vantrel {

// What a host path names. The numbers are the ones the file operations and the
// transfers are specified by.
enum class ItemKind : uint8_t {
  kNoFolder = 0,          // missing, and so is its enclosing folder
  kMissing = 1,           // missing; its enclosing folder exists
  kFile = 2,              // a plain file
  kFolder = 3,            // a folder
  kShortcutToFile = 4,    // a shortcut whose target is a file
  kShortcutToFolder = 5,  // a shortcut whose target is a folder
  kUnattachedAlias = 6,   // a shortcut whose target cannot be found
};

inline bool Exists(ItemKind kind) {
  return kind != ItemKind::kNoFolder && kind != ItemKind::kMissing;
}
// Whether the privilege rules treat the item as a folder.
inline bool CountsAsFolder(ItemKind kind) {
  return kind == ItemKind::kFolder || kind == ItemKind::kShortcutToFolder;
}

// How Resolve treats what it finds; flags to combine.
enum ResolveFlags : unsigned {
  kResolveNoFlags = 0,
  // A shortcut stands for its target: the reference names the target, and its
  // kind is the target's (kFile or kFolder).
  kFollowShortcuts = 1,
  // A folder part that cannot be built gives kNoFolder, and a followed shortcut
  // whose target cannot be found gives kUnattachedAlias, instead of raising.
  kFailQuietly = 2,
  // A missing item raises (class 4, code 102).
  kRaiseWhenMissing = 4,
};

// An item of the tree as a request named it.
struct ItemReference {
  // Where it is on the disk (absolute); empty for kNoFolder.
  std::filesystem::path host;
  ItemKind kind = ItemKind::kNoFolder;
};

// Finds the folder of the account `login` (the session's lookup form) inside
// "Users"; nothing when there is none. Never raises.
using AccountFolderFinder =
    std::function<std::optional<std::filesystem::path>(std::string_view login)>;

// The limits of host paths.
// A resolved folder's host path is shorter than this, in bytes.
inline constexpr size_t kMaxFolderPathBytes = 4096;
// An item's host path holds at most this many characters.
inline constexpr size_t kMaxItemPathCharacters = 248;
// An item whose host path has this many characters or more is never deleted.
inline constexpr size_t kMaxDeletedPathCharacters = 4095;

// The shared tree "Files" of the server folder and the private trees of
// accounts, as clients name their items: session roots, path fields and item
// names resolved into host paths, and what a host path names. Every look at the
// disk goes through the file system it is given. Holds no state of its own
// beyond the roots; core thread only.
//
// Nothing a request names leads out of its session root except a link placed
// in the tree (by the operator, or as a shortcut by a user allowed to make
// them): a level "." or holding ".." or a "/" names nothing, and an item name holding
// a separator is invalid.
class FileTree {
 public:
  static constexpr const char* kFilesFolderName = "Files";

  // REQUIRES: `file_system` outlives the tree; `server_folder` is absolute.
  FileTree(FileSystem& file_system, const std::filesystem::path& server_folder,
           AccountFolderFinder account_folder);

  // The shared root: "Files" in the server folder.
  const std::filesystem::path& SharedRoot() const { return shared_root_; }

  // The root of a session logged in as `login`, chosen afresh for every request:
  // "Files" in the account's folder when that is a folder (or a shortcut to
  // one, "Files.lnk"), else the shared root. Never raises.
  std::filesystem::path SessionRoot(std::string_view login) const;

  // The item that `path_field` (field 202 or 212) and `item_name` (field 201,
  // Mac Roman) name below `root`. Without an item name the path's last level is
  // the item; an empty item name leaves the folder itself as the item.
  // The folder part: a level "." or holding ".." or "/" (or a zero byte), a level
  // ending in ".lnk" whose target is not a folder, a result that is not a
  // folder or a host path of kMaxFolderPathBytes or more fails: kNoFolder with
  // kFailQuietly, else a raise (class 4, code 104). Backslashes in levels stand
  // for "-". The item name: one IsValidItemName refuses raises class 4 code 119,
  // and one that makes the host path longer than kMaxItemPathCharacters raises
  // class 4 code 130, whatever the flags; a leading "." stands for "-".
  ItemReference Resolve(const std::filesystem::path& root, std::span<const uint8_t> path_field,
                        std::optional<std::string_view> item_name, unsigned flags) const;
  // The same for the levels of a path already read (PathLevels).
  ItemReference Resolve(const std::filesystem::path& root, std::vector<std::string> levels,
                        std::optional<std::string_view> item_name, unsigned flags) const;

  // What `host` names, as Resolve classifies it; with kFollowShortcuts `host`
  // becomes the target's path when it names a shortcut (or, when missing, when
  // a level of it is missing but a shortcut of that name plus ".lnk" is there).
  // `root` is where that search for shortcuts starts.
  ItemKind Classify(const std::filesystem::path& root, std::filesystem::path& host,
                    unsigned flags) const;

  // Moves the item at `host` (a shortcut itself, never its target; a folder
  // with all it holds) to the trash. An item that is gone, or a host path of
  // kMaxDeletedPathCharacters or more, is left alone. Raises class 4 when the
  // item cannot be moved.
  void Delete(const std::filesystem::path& host) const;

  FileSystem& Disk() const { return file_system_; }

 private:
  // The folder the levels name below `root`, or nothing.
  std::optional<std::filesystem::path> BuildFolder(const std::filesystem::path& root,
                                                   const std::vector<std::string>& levels) const;
  // The missing `host` walked from `root` level by level, a missing level tried
  // again with ".lnk" and replaced by its target; nothing when a level is
  // still missing.
  std::optional<std::filesystem::path> FindThroughShortcuts(
      const std::filesystem::path& root, const std::filesystem::path& host) const;

  FileSystem& file_system_;
  std::filesystem::path shared_root_;
  AccountFolderFinder account_folder_;
};

}  // namespace vantrel
