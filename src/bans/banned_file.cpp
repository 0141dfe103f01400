#include "bans/banned_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <utility>
#include <vector>

#include "bans/banned_layout.h"
#include "bans/banned_reader.h"
#include "bans/banned_writer.h"
#include "platform/file_failure.h"
#include "platform/file_io.h"

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

// Makes the current "Banned", if any, the backup while "Banned" stays in place:
// a second name when the file system allows it, else a rename. Returns 0 or errno.
int KeepAsBackup(const BannedPaths& paths) {
  if (::link(paths.list.c_str(), paths.backup.c_str()) == 0 || errno == ENOENT) return 0;
  if (::rename(paths.list.c_str(), paths.backup.c_str()) == 0 || errno == ENOENT) return 0;
  return errno;
}

// Makes the renames in the folder durable; a folder that cannot be synced is
// no reason to fail a save that is already complete.
void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

[[noreturn]] void Fail(const BannedPaths& paths, int failure) {
  ::unlink(paths.temporary.c_str());
  RaiseFileFailure(kSaveFailureText, failure);
}

}  // namespace

BanList LoadBannedFile(const std::filesystem::path& server_folder) {
  const BannedPaths paths(server_folder);
  BannedFileContents contents = ParseBannedFile(ReadFilePrefix(paths.list, layout::kReadLimit));
  if (contents.status == BannedFileStatus::kNoEntries) {
    ::unlink(paths.list.c_str());  // a file that cannot be deleted is read as empty again next time
  }
  return std::move(contents.records);
}

void SaveBannedFile(const std::filesystem::path& server_folder, const BanList& list) {
  const BannedPaths paths(server_folder);
  if (!list.empty()) {
    if (const int failure = WriteFileSynced(paths.temporary, EncodeBannedFile(list))) {
      Fail(paths, failure);
    }
  }
  if (::unlink(paths.backup.c_str()) != 0 && errno != ENOENT) Fail(paths, errno);
  if (const int failure = KeepAsBackup(paths)) Fail(paths, failure);
  if (!list.empty()) {
    if (::rename(paths.temporary.c_str(), paths.list.c_str()) != 0) Fail(paths, errno);
  } else if (::unlink(paths.list.c_str()) != 0 && errno != ENOENT) {
    Fail(paths, errno);
  }
  SyncFolder(server_folder);
}

}  // namespace vantrel
