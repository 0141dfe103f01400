#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace vantrel::testing {

// Whether an injected failure strikes one operation or every one from then on.
enum class FaultSpan : uint8_t { kOnce, kFromThenOn };

// A file system that passes every operation to another one, and makes the
// operations a test picks fail: a full disk (ENOSPC) or an input/output error
// (EIO) at the Nth operation, or a write that stops halfway. An operation is
// each call of a FileSystem method and of a method of a file it opened
// (FileSystem's whole-file operations are made of such calls, each counted).
// A change is an operation that changes what is on the disk, the kind a full
// disk fails: opening a file for writing or for update, a write (WritableFile::
// Append or RandomAccessFile::WriteAt), a sync, a truncation, closing a written
// file, a rename, a removal, a link, a new folder, a move to the trash.
// Failures are raised as the real file system raises them (class 4, the errno).
// Test thread only.
class FaultInjectingFileSystem final : public FileSystem {
 public:
  // REQUIRES: `base` outlives this object; this object outlives the files it opens.
  explicit FaultInjectingFileSystem(FileSystem& base);

  // The `n`-th operation from now (1: the next one) fails with `system_error`
  // without reaching the base; with kFromThenOn, so does every one after it.
  // Replaces the failure set before, if any.
  void FailOperation(uint64_t n, int system_error, FaultSpan span = FaultSpan::kOnce);
  // The same, counting only changes: the `n`-th change from now fails (and with
  // kFromThenOn every change after it; other operations go on working).
  void FailChange(uint64_t n, int system_error, FaultSpan span = FaultSpan::kOnce);
  // The `n`-th write from now (WritableFile::Append or RandomAccessFile::WriteAt;
  // 1: the next one) writes the first half of its bytes and then fails with
  // ENOSPC, as a disk filling up in the middle of a write does. Replaces the
  // short write set before, if any.
  void ShortWrite(uint64_t n);
  // Runs `action` just before the `n`-th operation from now reaches the base (to
  // change the disk in the middle of a request, as another process would).
  // Replaces the action set before, if any.
  void RunBefore(uint64_t n, std::function<void()> action);
  // No more injected failures.
  void Heal();
  // BootId answers `id` from now on, as after the system started again.
  void Restart(std::string id) { boot_id_ = std::move(id); }

  // Operations, changes and writes asked for so far, failed ones included.
  uint64_t Operations() const { return operations_; }
  uint64_t Changes() const { return changes_; }
  uint64_t Writes() const { return writes_; }

  std::unique_ptr<ReadableFile> OpenForReading(const std::filesystem::path& path) override;
  std::unique_ptr<WritableFile> OpenForWriting(const std::filesystem::path& path,
                                               WriteMode mode) override;
  std::unique_ptr<RandomAccessFile> OpenForUpdate(const std::filesystem::path& path,
                                                  UpdateMode mode) override;
  std::optional<FileStatus> Stat(const std::filesystem::path& path, LinkHandling links) override;
  std::vector<std::string> ListFolder(const std::filesystem::path& folder) override;
  std::vector<FolderEntry> ListFolderWithStatus(const std::filesystem::path& folder) override;
  void Rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
  void MoveItem(const std::filesystem::path& from, const std::filesystem::path& to) override;
  bool Remove(const std::filesystem::path& path) override;
  bool RemoveFolder(const std::filesystem::path& folder) override;
  bool CreateFolder(const std::filesystem::path& folder) override;
  void HardLink(const std::filesystem::path& existing, const std::filesystem::path& link) override;
  void CreateSymbolicLink(const std::filesystem::path& target,
                          const std::filesystem::path& link) override;
  std::filesystem::path ReadSymbolicLink(const std::filesystem::path& link) override;
  void MoveToTrash(const std::filesystem::path& item) override;
  void SyncFolder(const std::filesystem::path& folder) override;
  uint64_t FreeSpace(const std::filesystem::path& path) override;
  // The base's, until Restart; not an operation (it is no access to a file).
  std::string BootId() override;

 private:
  // The files this opens, counting their operations here.
  class Readable;
  class Writable;
  class Updatable;

  enum class Effect : uint8_t { kLooks, kChanges };

  // Counts an operation and raises the failure set for it, if any.
  void Operation(Effect effect);
  // Counts a write (itself a change) and answers whether it is to be short.
  bool ShortWriteNow();

  FileSystem& base_;
  uint64_t operations_ = 0;
  uint64_t changes_ = 0;
  uint64_t writes_ = 0;
  // The failure set: the count (of operations, or of changes only) at which it
  // strikes first, the errno and the span.
  std::optional<uint64_t> failing_at_;
  bool counting_changes_ = false;
  int failure_ = 0;
  FaultSpan span_ = FaultSpan::kOnce;
  // The write that is to be short (by Writes() count).
  std::optional<uint64_t> short_write_;
  // The action to run before an operation, and its operation count.
  std::optional<uint64_t> action_at_;
  std::function<void()> action_;
  std::optional<std::string> boot_id_;
};

}  // namespace vantrel::testing
