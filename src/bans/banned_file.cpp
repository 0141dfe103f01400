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

std::vector<uint8_t> ReadUpToLimit(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::vector<uint8_t> bytes(layout::kReadLimit);
  size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // an unreadable rest counts like a shorter, damaged file
    filled += static_cast<size_t>(got);
  }
  ::close(fd);
  bytes.resize(filled);
  return bytes;
}

// Creates `path` holding `bytes`, synced; returns 0 or the errno of the failure.
int WriteSynced(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return errno;
  int failure = 0;
  size_t written = 0;
  while (failure == 0 && written < bytes.size()) {
    const ssize_t done = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (done < 0 && errno == EINTR) continue;
    if (done < 0) {
      failure = errno;
    } else {
      written += static_cast<size_t>(done);
    }
  }
  if (failure == 0 && ::fsync(fd) != 0) failure = errno;
  if (::close(fd) != 0 && failure == 0) failure = errno;
  return failure;
}

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
  BannedFileContents contents = ParseBannedFile(ReadUpToLimit(paths.list));
  if (contents.status == BannedFileStatus::kNoEntries) {
    ::unlink(paths.list.c_str());  // a file that cannot be deleted is read as empty again next time
  }
  return std::move(contents.records);
}

void SaveBannedFile(const std::filesystem::path& server_folder, const BanList& list) {
  const BannedPaths paths(server_folder);
  if (!list.empty()) {
    if (const int failure = WriteSynced(paths.temporary, EncodeBannedFile(list))) {
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
