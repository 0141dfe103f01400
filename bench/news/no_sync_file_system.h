#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vantrel::news_bench {

// A file system that passes every operation to another one except the syncs
// (of a file written, and of a folder's names), which do nothing: the news
// database without the cost of durability, to set against SQLite with
// synchronous=OFF. Benchmark thread only.
class NoSyncFileSystem final : public FileSystem {
 public:
  // REQUIRES: `base` outlives this object and the files it opens.
  explicit NoSyncFileSystem(FileSystem& base) : base_(base) {}

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
  // Does nothing.
  void SyncFolder(const std::filesystem::path& folder) override;
  uint64_t FreeSpace(const std::filesystem::path& path) override;
  std::string BootId() override;

 private:
  // Files written through the base, whose Sync does nothing.
  class Writable;
  class Updatable;

  FileSystem& base_;
};

}  // namespace vantrel::news_bench
