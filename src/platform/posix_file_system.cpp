#include "platform/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/exception.h"
#include "platform/file_failure.h"
#include "platform/trash.h"

namespace vantrel {
namespace {

// Mode of a file the server creates (less the umask).
constexpr mode_t kFileMode = 0644;
// Mode of a folder the server creates (less the umask).
constexpr mode_t kFolderMode = 0777;
// How much of a symbolic link's target the first reading makes room for.
constexpr size_t kFirstLinkBuffer = 256;
// Where Linux gives the ID of the system's boot (a UUID in text).
constexpr const char* kBootIdFile = "/proc/sys/kernel/random/boot_id";
constexpr size_t kMaxBootId = 64;

// Raises the errno of the call that just failed, at the caller's line.
[[noreturn]] void RaiseErrno(uint32_t line = __builtin_LINE()) {
  RaiseFileFailure({}, errno, __builtin_FILE(), line);
}

// An open file descriptor, closed when this goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  int Get() const { return fd_; }
  // Closes the descriptor; returns 0 or the errno of the failure.
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

uint64_t SizeOf(int fd) {
  struct stat status {};
  if (::fstat(fd, &status) != 0) RaiseErrno();
  return static_cast<uint64_t>(status.st_size);
}

// Reads up to `buffer.size()` bytes from `offset`; fewer only at the end of the file.
size_t ReadFully(int fd, uint64_t offset, std::span<uint8_t> buffer) {
  size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t got =
        ::pread(fd, buffer.data() + done, buffer.size() - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) RaiseErrno();
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

class PosixReadableFile final : public ReadableFile {
 public:
  explicit PosixReadableFile(int fd) : fd_(fd) {}

  size_t ReadAt(uint64_t offset, std::span<uint8_t> buffer) override {
    return ReadFully(fd_.Get(), offset, buffer);
  }

  uint64_t Size() override { return SizeOf(fd_.Get()); }
  int NativeHandle() const override { return fd_.Get(); }

 private:
  Descriptor fd_;
};

class PosixWritableFile final : public WritableFile {
 public:
  explicit PosixWritableFile(int fd) : fd_(fd) {}

  void Append(std::span<const uint8_t> bytes) override {
    size_t written = 0;
    while (written < bytes.size()) {
      const ssize_t done = ::write(fd_.Get(), bytes.data() + written, bytes.size() - written);
      if (done < 0 && errno == EINTR) continue;
      if (done < 0) RaiseErrno();
      written += static_cast<size_t>(done);
    }
  }

  void Sync() override {
    if (::fsync(fd_.Get()) != 0) RaiseErrno();
  }

  void Close() override {
    if (const int failure = fd_.Close()) RaiseFileFailure({}, failure);
  }

  uint64_t Size() override { return SizeOf(fd_.Get()); }

 private:
  Descriptor fd_;
};

class PosixRandomAccessFile final : public RandomAccessFile {
 public:
  explicit PosixRandomAccessFile(int fd) : fd_(fd) {}

  size_t ReadAt(uint64_t offset, std::span<uint8_t> buffer) override {
    return ReadFully(fd_.Get(), offset, buffer);
  }

  void WriteAt(uint64_t offset, std::span<const uint8_t> bytes) override {
    size_t written = 0;
    while (written < bytes.size()) {
      const ssize_t done = ::pwrite(fd_.Get(), bytes.data() + written, bytes.size() - written,
                                    static_cast<off_t>(offset + written));
      if (done < 0 && errno == EINTR) continue;
      if (done < 0) RaiseErrno();
      written += static_cast<size_t>(done);
    }
  }

  void Sync() override {
    if (::fdatasync(fd_.Get()) != 0) RaiseErrno();
  }

  void Truncate(uint64_t size) override {
    if (::ftruncate(fd_.Get(), static_cast<off_t>(size)) != 0) RaiseErrno();
  }

  uint64_t Size() override { return SizeOf(fd_.Get()); }
  int NativeHandle() const override { return fd_.Get(); }

 private:
  Descriptor fd_;
};

FileKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return FileKind::kFile;
  if (S_ISDIR(mode)) return FileKind::kFolder;
  if (S_ISLNK(mode)) return FileKind::kSymbolicLink;
  return FileKind::kOther;
}

bool IsMissing(int system_error) {
  return system_error == ENOENT || system_error == ENOTDIR;
}

// The status of `path` (relative to the folder `folder`, or absolute);
// nothing when it is missing.
std::optional<FileStatus> StatAt(int folder, const char* path, int flags) {
  FileStatus status;
#ifdef STATX_BTIME
  struct statx info {};
  if (::statx(folder, path, flags, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
    if (IsMissing(errno)) return std::nullopt;
    RaiseErrno();
  }
  status.kind = KindOf(info.stx_mode);
  status.size = info.stx_size;
  status.modification_time = static_cast<std::time_t>(info.stx_mtime.tv_sec);
  status.creation_time = (info.stx_mask & STATX_BTIME) != 0
                             ? static_cast<std::time_t>(info.stx_btime.tv_sec)
                             : status.modification_time;
  status.device = (uint64_t{info.stx_dev_major} << 32) | info.stx_dev_minor;
  status.inode = info.stx_ino;
#else
  struct stat info {};
  if (::fstatat(folder, path, &info, flags) != 0) {
    if (IsMissing(errno)) return std::nullopt;
    RaiseErrno();
  }
  status.kind = KindOf(info.st_mode);
  status.size = static_cast<uint64_t>(info.st_size);
  status.modification_time = info.st_mtime;
  status.creation_time = info.st_mtime;
  status.device = static_cast<uint64_t>(info.st_dev);
  status.inode = static_cast<uint64_t>(info.st_ino);
#endif
  return status;
}

}  // namespace

FileSystem& FileSystem::Default() {
  static PosixFileSystem file_system;
  return file_system;
}

std::unique_ptr<ReadableFile> PosixFileSystem::OpenForReading(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) RaiseErrno();
  return std::make_unique<PosixReadableFile>(fd);
}

std::unique_ptr<WritableFile> PosixFileSystem::OpenForWriting(const std::filesystem::path& path,
                                                              WriteMode mode) {
  const int start = mode == WriteMode::kAppend ? O_APPEND : O_TRUNC;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | start, kFileMode);
  if (fd < 0) RaiseErrno();
  return std::make_unique<PosixWritableFile>(fd);
}

std::unique_ptr<RandomAccessFile> PosixFileSystem::OpenForUpdate(const std::filesystem::path& path,
                                                                 UpdateMode mode) {
  const int create = mode == UpdateMode::kCreate ? O_CREAT : 0;
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | create, kFileMode);
  if (fd < 0) RaiseErrno();
  return std::make_unique<PosixRandomAccessFile>(fd);
}

std::optional<FileStatus> PosixFileSystem::Stat(const std::filesystem::path& path,
                                                LinkHandling links) {
  return StatAt(AT_FDCWD, path.c_str(), links == LinkHandling::kNoFollow ? AT_SYMLINK_NOFOLLOW : 0);
}

std::vector<std::string> PosixFileSystem::ListFolder(const std::filesystem::path& folder) {
  DIR* listing = ::opendir(folder.c_str());
  if (listing == nullptr) RaiseErrno();
  std::vector<std::string> names;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(listing);
    if (entry == nullptr) break;
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  const int failure = errno;
  ::closedir(listing);
  if (failure != 0) RaiseFileFailure({}, failure);
  return names;
}

std::vector<FolderEntry> PosixFileSystem::ListFolderWithStatus(
    const std::filesystem::path& folder) {
  DIR* listing = ::opendir(folder.c_str());
  if (listing == nullptr) RaiseErrno();
  std::vector<FolderEntry> entries;
  int failure = 0;
  try {
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(listing);
      if (entry == nullptr) break;
      const std::string_view name = entry->d_name;
      if (name == "." || name == "..") continue;
      entries.push_back(
          {std::string(name), StatAt(::dirfd(listing), entry->d_name, AT_SYMLINK_NOFOLLOW)});
    }
    failure = errno;
  } catch (...) {
    ::closedir(listing);
    throw;
  }
  ::closedir(listing);
  if (failure != 0) RaiseFileFailure({}, failure);
  return entries;
}

void PosixFileSystem::MoveItem(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
  if (errno == EINVAL) {
    // A file system that cannot refuse to replace, or a folder moved into itself.
    if (StatAt(AT_FDCWD, to.c_str(), AT_SYMLINK_NOFOLLOW)) RaiseFileFailure({}, EEXIST);
    if (::rename(from.c_str(), to.c_str()) == 0) return;
  }
  if (errno != EINVAL) RaiseErrno();
  throw Omberly::CException(kErrorClassFile, kErrorCodeIntoItself, {}, EINVAL, __FILE_NAME__,
                            __LINE__);
}

void PosixFileSystem::Rename(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) RaiseErrno();
}

bool PosixFileSystem::Remove(const std::filesystem::path& path) {
  if (::unlink(path.c_str()) == 0) return true;
  if (errno == ENOENT) return false;
  RaiseErrno();
}

bool PosixFileSystem::RemoveFolder(const std::filesystem::path& folder) {
  if (::rmdir(folder.c_str()) == 0) return true;
  if (errno == ENOENT) return false;
  RaiseErrno();
}

bool PosixFileSystem::CreateFolder(const std::filesystem::path& folder) {
  if (::mkdir(folder.c_str(), kFolderMode) == 0) return true;
  const int failure = errno;
  struct stat info {};
  if (failure == EEXIST && ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    return false;
  }
  RaiseFileFailure({}, failure);
}

void PosixFileSystem::HardLink(const std::filesystem::path& existing,
                               const std::filesystem::path& link) {
  if (::link(existing.c_str(), link.c_str()) != 0) RaiseErrno();
}

void PosixFileSystem::CreateSymbolicLink(const std::filesystem::path& target,
                                         const std::filesystem::path& link) {
  if (::symlink(target.c_str(), link.c_str()) != 0) RaiseErrno();
}

std::filesystem::path PosixFileSystem::ReadSymbolicLink(const std::filesystem::path& link) {
  std::string target(kFirstLinkBuffer, '\0');
  for (;;) {
    const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
    if (length < 0) RaiseErrno();
    if (static_cast<size_t>(length) < target.size()) {
      target.resize(static_cast<size_t>(length));
      return target;
    }
    target.resize(target.size() * 2);  // it may have been cut: try again with more room
  }
}

void PosixFileSystem::MoveToTrash(const std::filesystem::path& item) {
  vantrel::MoveToTrash(item);
}

void PosixFileSystem::SyncFolder(const std::filesystem::path& folder) {
  Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Get() < 0) RaiseErrno();
  if (::fsync(fd.Get()) != 0) RaiseErrno();
}

uint64_t PosixFileSystem::FreeSpace(const std::filesystem::path& path) {
  struct statvfs info {};
  if (::statvfs(path.c_str(), &info) != 0) RaiseErrno();
  return static_cast<uint64_t>(info.f_bavail) * static_cast<uint64_t>(info.f_frsize);
}

std::string PosixFileSystem::BootId() {
  // Read once: it cannot change while the process runs.
  static const std::string boot_id = [] {
    Descriptor fd(::open(kBootIdFile, O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) return std::string();
    char text[kMaxBootId];
    const ssize_t length = ::read(fd.Get(), text, sizeof text);
    if (length <= 0) return std::string();
    std::string id(text, static_cast<size_t>(length));
    while (!id.empty() && (id.back() == '\n' || id.back() == ' ')) id.pop_back();
    return id;
  }();
  return boot_id;
}

}  // namespace vantrel
