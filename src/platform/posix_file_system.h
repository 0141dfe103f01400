#pragma once

#include "platform/file_system.h"

namespace vantrel {

// The file system as the POSIX calls see it (statx for birth times on Linux,
// the freedesktop.org trash of trash.h). Holds no state: FileSystem::Default is
// one for the whole process. Every method raises as file_system.h says.
class PosixFileSystem final : public FileSystem {
 public:
  PosixFileSystem() = default;

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
  std::string BootId() override;
};

}  // namespace vantrel
