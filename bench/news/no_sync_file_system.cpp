#include "no_sync_file_system.h"

#include <utility>

namespace vantrel::news_bench {

class NoSyncFileSystem::Writable final : public WritableFile {
 public:
  explicit Writable(std::unique_ptr<WritableFile> base) : base_(std::move(base)) {}

  void Append(std::span<const uint8_t> bytes) override { base_->Append(bytes); }
  void Sync() override {}
  void Close() override { base_->Close(); }
  uint64_t Size() override { return base_->Size(); }

 private:
  std::unique_ptr<WritableFile> base_;
};

class NoSyncFileSystem::Updatable final : public RandomAccessFile {
 public:
  explicit Updatable(std::unique_ptr<RandomAccessFile> base) : base_(std::move(base)) {}

  size_t ReadAt(uint64_t offset, std::span<uint8_t> buffer) override {
    return base_->ReadAt(offset, buffer);
  }
  uint64_t Size() override { return base_->Size(); }
  int NativeHandle() const override { return base_->NativeHandle(); }
  void WriteAt(uint64_t offset, std::span<const uint8_t> bytes) override {
    base_->WriteAt(offset, bytes);
  }
  void Sync() override {}
  void Truncate(uint64_t size) override { base_->Truncate(size); }

 private:
  std::unique_ptr<RandomAccessFile> base_;
};

std::unique_ptr<ReadableFile> NoSyncFileSystem::OpenForReading(const std::filesystem::path& path) {
  return base_.OpenForReading(path);
}

std::unique_ptr<WritableFile> NoSyncFileSystem::OpenForWriting(const std::filesystem::path& path,
                                                               WriteMode mode) {
  return std::make_unique<Writable>(base_.OpenForWriting(path, mode));
}

std::unique_ptr<RandomAccessFile> NoSyncFileSystem::OpenForUpdate(const std::filesystem::path& path,
                                                                  UpdateMode mode) {
  return std::make_unique<Updatable>(base_.OpenForUpdate(path, mode));
}

std::optional<FileStatus> NoSyncFileSystem::Stat(const std::filesystem::path& path,
                                                 LinkHandling links) {
  return base_.Stat(path, links);
}

std::vector<std::string> NoSyncFileSystem::ListFolder(const std::filesystem::path& folder) {
  return base_.ListFolder(folder);
}

std::vector<FolderEntry> NoSyncFileSystem::ListFolderWithStatus(
    const std::filesystem::path& folder) {
  return base_.ListFolderWithStatus(folder);
}

void NoSyncFileSystem::Rename(const std::filesystem::path& from, const std::filesystem::path& to) {
  base_.Rename(from, to);
}

void NoSyncFileSystem::MoveItem(const std::filesystem::path& from,
                                const std::filesystem::path& to) {
  base_.MoveItem(from, to);
}

bool NoSyncFileSystem::Remove(const std::filesystem::path& path) {
  return base_.Remove(path);
}

bool NoSyncFileSystem::RemoveFolder(const std::filesystem::path& folder) {
  return base_.RemoveFolder(folder);
}

bool NoSyncFileSystem::CreateFolder(const std::filesystem::path& folder) {
  return base_.CreateFolder(folder);
}

void NoSyncFileSystem::HardLink(const std::filesystem::path& existing,
                                const std::filesystem::path& link) {
  base_.HardLink(existing, link);
}

void NoSyncFileSystem::CreateSymbolicLink(const std::filesystem::path& target,
                                          const std::filesystem::path& link) {
  base_.CreateSymbolicLink(target, link);
}

std::filesystem::path NoSyncFileSystem::ReadSymbolicLink(const std::filesystem::path& link) {
  return base_.ReadSymbolicLink(link);
}

void NoSyncFileSystem::MoveToTrash(const std::filesystem::path& item) {
  base_.MoveToTrash(item);
}

void NoSyncFileSystem::SyncFolder(const std::filesystem::path&) {}

uint64_t NoSyncFileSystem::FreeSpace(const std::filesystem::path& path) {
  return base_.FreeSpace(path);
}

std::string NoSyncFileSystem::BootId() {
  return base_.BootId();
}

}  // namespace vantrel::news_bench
