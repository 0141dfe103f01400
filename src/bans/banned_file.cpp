#include "bans/banned_file.h"

#include <cerrno>
#include <string>
#include <utility>

#include "bans/banned_layout.h"
#include "bans/banned_reader.h"
#include "bans/banned_writer.h"
#include "platform/exception.h"
#include "platform/file_failure.h"

namespace vantrel {
namespace {

namespace layout = banned_layout;

// The description of every failure to save the ban list.
constexpr const char* kSaveFailureText =
    "Could not save the ban list \xD2"
    "Banned\xD3.";

// The three files of the ban list, named in one place.
struct BannedPaths {
  explicit BannedPaths(const std::filesystem::path& folder)
      : list(folder / layout::kFileName),
        backup(folder / layout::kBackupFileName),
        temporary(folder / layout::kTemporaryFileName) {}

  std::filesystem::path list;
  std::filesystem::path backup;
  std::filesystem::path temporary;
};

bool IsMissing(const Omberly::CException& failure) {
  return failure.SystemError() == ENOENT;
}

// Makes the current "Banned", if any, the backup while "Banned" stays in place:
// a second name when the file system allows it, else a rename.
void KeepAsBackup(FileSystem& file_system, const BannedPaths& paths) {
  try {
    file_system.HardLink(paths.list, paths.backup);
    return;
  } catch (const Omberly::CException& failure) {
    if (IsMissing(failure)) return;
  }
  try {
    file_system.Rename(paths.list, paths.backup);
  } catch (const Omberly::CException& failure) {
    if (!IsMissing(failure)) throw;
  }
}

}  // namespace

void RemoveBannedLeftover(FileSystem& file_system, const std::filesystem::path& server_folder) {
  file_system.RemoveLeftover(BannedPaths(server_folder).temporary);
}

BanList LoadBannedFile(FileSystem& file_system, const std::filesystem::path& server_folder) {
  const BannedPaths paths(server_folder);
  std::string bytes;
  try {
    file_system.ReadFile(paths.list, layout::kReadLimit, bytes);
  } catch (const Omberly::CException&) {
    // A failed read keeps what came before it; a file that cannot be opened gives none.
  }
  BannedFileContents contents = ParseBannedFile(AsBytes(bytes));
  if (contents.status == BannedFileStatus::kNoEntries) {
    try {
      file_system.Remove(paths.list);
    } catch (const Omberly::CException&) {
      // A file that cannot be deleted is read as empty again next time.
    }
  }
  return std::move(contents.records);
}

void SaveBannedFile(FileSystem& file_system, const std::filesystem::path& server_folder,
                    const BanList& list) {
  const BannedPaths paths(server_folder);
  try {
    if (!list.empty()) file_system.WriteFile(paths.temporary, EncodeBannedFile(list));
    file_system.Remove(paths.backup);
    KeepAsBackup(file_system, paths);
    if (!list.empty()) {
      file_system.Rename(paths.temporary, paths.list);
    } else {
      file_system.Remove(paths.list);
    }
  } catch (const Omberly::CException& failure) {
    try {
      file_system.Remove(paths.temporary);
    } catch (const Omberly::CException&) {
      // Left behind; the next save writes over it.
    }
    RaiseFileFailure(kSaveFailureText, failure.SystemError());
  }
  try {
    file_system.SyncFolder(server_folder);
  } catch (const Omberly::CException&) {
    // A folder that cannot be synced is no reason to fail a save that is complete.
  }
}

}  // namespace vantrel
