#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// Every access the server makes to its server folder goes through a FileSystem:
// the real one (FileSystem::Default, posix_file_system.h) or, in tests, a wrapper
// that makes chosen operations fail. Unless a method says otherwise, a failure
// raises Omberly::CException of class 4 (kErrorClassFile) with the errno as its
// system error and the code file_failure.h maps it to, and no text (the error
// table describes it); callers that describe their failures themselves catch it
// and raise their own text with the same errno. Core thread only.

// What a folder entry is.
enum class FileKind : uint8_t { kFile, kFolder, kSymbolicLink, kOther };

// Whether Stat looks at the entry a symbolic link points to or at the link.
enum class LinkHandling : uint8_t { kFollow, kNoFollow };

// Where OpenForWriting starts: an emptied file, or the end of the file as it is.
// Either creates a missing file (mode 0644 less the umask).
enum class WriteMode : uint8_t { kTruncate, kAppend };

// Whether OpenForUpdate opens only a file that exists (a missing one raises
// ENOENT), or creates a missing one (mode 0644 less the umask). Neither empties it.
enum class UpdateMode : uint8_t { kExisting, kCreate };

struct FileStatus {
  FileKind kind = FileKind::kOther;
  // Bytes in a file; the length of the target of a symbolic link not followed.
  uint64_t size = 0;
  // Seconds since 1970-01-01 UTC.
  std::time_t modification_time = 0;
  // The birth time where the file system records it, else the modification time.
  std::time_t creation_time = 0;
  // Which file it is: its device and inode numbers (equal for two names of one file).
  uint64_t device = 0;
  uint64_t inode = 0;
};

// One entry of a folder as ListFolderWithStatus gives it.
struct FolderEntry {
  std::string name;
  // Of the entry itself (a symbolic link is not followed); nothing when the entry
  // went away between the listing and the look at it.
  std::optional<FileStatus> status;
};

// A file open for reading; closed when destroyed. Whoever opened it owns it.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  ReadableFile(const ReadableFile&) = delete;
  ReadableFile& operator=(const ReadableFile&) = delete;

  // Reads up to `buffer.size()` bytes from `offset` into `buffer` and returns how
  // many it read: fewer only at the end of the file, 0 at or past it.
  virtual size_t ReadAt(uint64_t offset, std::span<uint8_t> buffer) = 0;
  // The size of the file now, in bytes.
  virtual uint64_t Size() = 0;
  // The system's descriptor of the open file, for sending it straight into a
  // socket; -1 when the file has none to offer (its reads must go through ReadAt).
  virtual int NativeHandle() const { return -1; }

  // Replaces `bytes` by the file from its start until its end or until `limit`
  // bytes are read. When a read fails, `bytes` keeps what was read before it.
  void ReadAll(size_t limit, std::string& bytes);

 protected:
  ReadableFile() = default;
};

// A file open for writing, each write after the last; closed when destroyed (a
// failure to close is then ignored: call Close to learn of it). Whoever opened
// it owns it.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  WritableFile(const WritableFile&) = delete;
  WritableFile& operator=(const WritableFile&) = delete;

  // Writes all of `bytes` at the end of what is written so far. After a failure
  // part of them may be written.
  virtual void Append(std::span<const uint8_t> bytes) = 0;
  // Makes what was written durable (fsync).
  virtual void Sync() = 0;
  // Closes the file. REQUIRES: nothing is called on the file afterwards.
  virtual void Close() = 0;
  // The size of the file now, in bytes.
  virtual uint64_t Size() = 0;

 protected:
  WritableFile() = default;
};

// A file open for reading and for writing at any offset, as a database works
// on its file; closed when destroyed (a failure to close is then ignored: what
// was not synced may or may not be on the disk). Whoever opened it owns it.
class RandomAccessFile : public ReadableFile {
 public:
  // Writes all of `bytes` at `offset`, growing the file when they reach past its
  // end (a gap before them reads as zeros). After a failure part of them may be
  // written.
  virtual void WriteAt(uint64_t offset, std::span<const uint8_t> bytes) = 0;
  // Makes what was written, and the file's size, durable (fdatasync: the file's
  // times may follow later).
  virtual void Sync() = 0;
  // Cuts the file to `size` bytes, or grows it with zeros to that size.
  virtual void Truncate(uint64_t size) = 0;

 protected:
  RandomAccessFile() = default;
};

class FileSystem {
 public:
  // The real file system of the process (POSIX); lives until the process ends.
  static FileSystem& Default();

  virtual ~FileSystem() = default;
  FileSystem(const FileSystem&) = delete;
  FileSystem& operator=(const FileSystem&) = delete;

  // Opens the file at `path` for reading. A missing file raises ENOENT (or
  // ENOTDIR); a folder opens, and its reads raise EISDIR.
  virtual std::unique_ptr<ReadableFile> OpenForReading(const std::filesystem::path& path) = 0;
  // Opens the file at `path` for writing as `mode` says, creating it when missing.
  virtual std::unique_ptr<WritableFile> OpenForWriting(const std::filesystem::path& path,
                                                       WriteMode mode) = 0;
  // Opens the file at `path` for reading and writing at any offset, as `mode`
  // says; a missing file with kExisting raises ENOENT (or ENOTDIR), a folder EISDIR.
  virtual std::unique_ptr<RandomAccessFile> OpenForUpdate(const std::filesystem::path& path,
                                                          UpdateMode mode) = 0;

  // The status of the entry at `path` (of a symbolic link itself with kNoFollow).
  // Nothing when there is no such entry (ENOENT, ENOTDIR, or a followed link
  // that points nowhere); raises for any other failure.
  virtual std::optional<FileStatus> Stat(const std::filesystem::path& path, LinkHandling links) = 0;
  // The names of the entries of the folder `folder` ("." and ".." left out), in
  // the order the file system lists them.
  virtual std::vector<std::string> ListFolder(const std::filesystem::path& folder) = 0;
  // The same with the status of each entry, looked at relative to the open folder
  // (one call per entry, however long the folder's path).
  virtual std::vector<FolderEntry> ListFolderWithStatus(const std::filesystem::path& folder) = 0;

  // Renames `from` to `to`, replacing a file (or an empty folder, for a folder)
  // at `to`; both must be on one file system (EXDEV otherwise).
  virtual void Rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  // Moves `from` (a file, a folder with everything in it, or a symbolic link
  // itself) to `to`, which must not exist: an existing `to` raises EEXIST
  // (kErrorCodeExists) and stays as it was, a folder moved into itself or into
  // a folder inside it raises kErrorCodeIntoItself, and another file system
  // raises EXDEV (kErrorCodeDifferentDisks).
  virtual void MoveItem(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  // Removes the file or symbolic link (never its target) at `path`. Returns
  // false when there is none (ENOENT); a folder raises EISDIR.
  virtual bool Remove(const std::filesystem::path& path) = 0;
  // Removes the empty folder `folder`. Returns false when there is none.
  virtual bool RemoveFolder(const std::filesystem::path& folder) = 0;
  // Creates the folder `folder` (mode 0777 less the umask). Returns false when a
  // folder of that name is there already; another kind of entry raises EEXIST.
  virtual bool CreateFolder(const std::filesystem::path& folder) = 0;

  // Gives the file `existing` the second name `link` (a hard link).
  virtual void HardLink(const std::filesystem::path& existing,
                        const std::filesystem::path& link) = 0;
  // Creates the symbolic link `link` holding `target` (which need not exist).
  virtual void CreateSymbolicLink(const std::filesystem::path& target,
                                  const std::filesystem::path& link) = 0;
  // The target the symbolic link `link` holds, as written there.
  virtual std::filesystem::path ReadSymbolicLink(const std::filesystem::path& link) = 0;

  // Moves `item` (a file, a folder with everything in it, or a symbolic link
  // itself) to the trash (platform/trash.h); on failure it stays where it was.
  virtual void MoveToTrash(const std::filesystem::path& item) = 0;
  // Makes the latest changes to the names in `folder` durable (fsync).
  virtual void SyncFolder(const std::filesystem::path& folder) = 0;
  // The bytes an unprivileged user may still write on the file system that
  // holds `path` (statvfs: f_bavail × f_frsize).
  virtual uint64_t FreeSpace(const std::filesystem::path& path) = 0;
  // What tells this run of the system from the ones before: it changes when
  // the system starts again, after a crash included, and with it what writes
  // not yet synced may have been lost (Linux: the kernel's boot ID). Empty
  // when the system offers nothing of the kind. Never raises.
  virtual std::string BootId() = 0;

  // Whole-file operations, made of the ones above (so that a wrapper sees each
  // step).

  // Replaces `bytes` by the file at `path` from its start until its end or until
  // `limit` bytes are read. Raises as OpenForReading and ReadableFile::ReadAt;
  // `bytes` then holds what was read before the failure (nothing when the file
  // could not be opened).
  void ReadFile(const std::filesystem::path& path, size_t limit, std::string& bytes);

  // Creates or empties the file at `path`, writes `bytes` to it and syncs and
  // closes it. On failure what was written stays, for the caller to remove.
  void WriteFile(const std::filesystem::path& path, std::span<const uint8_t> bytes);

  // Replaces the file `target` by `bytes`, so that a crash never leaves half a
  // file: writes them to `temporary` (WriteFile; beside `target`), renames it over
  // `target` and syncs their folder. On failure before the rename is done the
  // temporary file is removed, `target` stays as it was, and the failure is
  // raised again with `failure_text` (class 4, the same errno). A failure to sync
  // the folder is ignored: the file is already replaced.
  void ReplaceFile(const std::filesystem::path& target, const std::filesystem::path& temporary,
                   std::span<const uint8_t> bytes, std::string_view failure_text);
  void ReplaceFile(const std::filesystem::path& target, const std::filesystem::path& temporary,
                   std::string_view text, std::string_view failure_text);

  // Removes the temporary file of a replace that was cut short (a crash between
  // writing it and renaming it), when there is one. Never raises: what cannot
  // be removed is written over by the next replace.
  void RemoveLeftover(const std::filesystem::path& temporary);

 protected:
  FileSystem() = default;
};

// The bytes of `text`, viewed in place.
inline std::span<const uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

}  // namespace vantrel
