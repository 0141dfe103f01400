#include "support/fault_injecting_file_system.h"

#include <cerrno>
#include <utility>

#include "platform/file_failure.h"

namespace vantrel::testing {

class FaultInjectingFileSystem::Readable final : public ReadableFile {
 public:
  Readable(FaultInjectingFileSystem& owner, std::unique_ptr<ReadableFile> base)
      : owner_(owner), base_(std::move(base)) {}

  size_t ReadAt(uint64_t offset, std::span<uint8_t> buffer) override {
    owner_.Operation(Effect::kLooks);
    return base_->ReadAt(offset, buffer);
  }
  uint64_t Size() override {
    owner_.Operation(Effect::kLooks);
    return base_->Size();
  }

 private:
  FaultInjectingFileSystem& owner_;
  std::unique_ptr<ReadableFile> base_;
};

class FaultInjectingFileSystem::Writable final : public WritableFile {
 public:
  Writable(FaultInjectingFileSystem& owner, std::unique_ptr<WritableFile> base)
      : owner_(owner), base_(std::move(base)) {}

  void Append(std::span<const uint8_t> bytes) override {
    if (owner_.ShortWriteNow()) {
      base_->Append(bytes.first(bytes.size() / 2));
      RaiseFileFailure({}, ENOSPC);
    }
    base_->Append(bytes);
  }
  void Sync() override {
    owner_.Operation(Effect::kChanges);
    base_->Sync();
  }
  void Close() override {
    owner_.Operation(Effect::kChanges);
    base_->Close();
  }
  uint64_t Size() override {
    owner_.Operation(Effect::kLooks);
    return base_->Size();
  }

 private:
  FaultInjectingFileSystem& owner_;
  std::unique_ptr<WritableFile> base_;
};

class FaultInjectingFileSystem::Updatable final : public RandomAccessFile {
 public:
  Updatable(FaultInjectingFileSystem& owner, std::unique_ptr<RandomAccessFile> base)
      : owner_(owner), base_(std::move(base)) {}

  size_t ReadAt(uint64_t offset, std::span<uint8_t> buffer) override {
    owner_.Operation(Effect::kLooks);
    return base_->ReadAt(offset, buffer);
  }
  uint64_t Size() override {
    owner_.Operation(Effect::kLooks);
    return base_->Size();
  }
  void WriteAt(uint64_t offset, std::span<const uint8_t> bytes) override {
    if (owner_.ShortWriteNow()) {
      base_->WriteAt(offset, bytes.first(bytes.size() / 2));
      RaiseFileFailure({}, ENOSPC);
    }
    base_->WriteAt(offset, bytes);
  }
  void Sync() override {
    owner_.Operation(Effect::kChanges);
    base_->Sync();
  }
  void Truncate(uint64_t size) override {
    owner_.Operation(Effect::kChanges);
    base_->Truncate(size);
  }

 private:
  FaultInjectingFileSystem& owner_;
  std::unique_ptr<RandomAccessFile> base_;
};

FaultInjectingFileSystem::FaultInjectingFileSystem(FileSystem& base) : base_(base) {}

void FaultInjectingFileSystem::FailOperation(uint64_t n, int system_error, FaultSpan span) {
  failing_at_ = operations_ + n;
  counting_changes_ = false;
  failure_ = system_error;
  span_ = span;
}

void FaultInjectingFileSystem::FailChange(uint64_t n, int system_error, FaultSpan span) {
  failing_at_ = changes_ + n;
  counting_changes_ = true;
  failure_ = system_error;
  span_ = span;
}

void FaultInjectingFileSystem::ShortWrite(uint64_t n) {
  short_write_ = writes_ + n;
}

void FaultInjectingFileSystem::RunBefore(uint64_t n, std::function<void()> action) {
  action_at_ = operations_ + n;
  action_ = std::move(action);
}

void FaultInjectingFileSystem::Heal() {
  failing_at_.reset();
  short_write_.reset();
}

void FaultInjectingFileSystem::Operation(Effect effect) {
  ++operations_;
  if (effect == Effect::kChanges) ++changes_;
  if (action_at_ && operations_ == *action_at_) {
    action_at_.reset();
    std::exchange(action_, {})();
  }
  if (!failing_at_ || (counting_changes_ && effect != Effect::kChanges)) return;
  const uint64_t count = counting_changes_ ? changes_ : operations_;
  const bool strikes = span_ == FaultSpan::kOnce ? count == *failing_at_ : count >= *failing_at_;
  if (strikes) RaiseFileFailure({}, failure_);
}

bool FaultInjectingFileSystem::ShortWriteNow() {
  ++writes_;
  Operation(Effect::kChanges);
  return short_write_ && writes_ == *short_write_;
}

std::unique_ptr<ReadableFile> FaultInjectingFileSystem::OpenForReading(
    const std::filesystem::path& path) {
  Operation(Effect::kLooks);
  return std::make_unique<Readable>(*this, base_.OpenForReading(path));
}

std::unique_ptr<WritableFile> FaultInjectingFileSystem::OpenForWriting(
    const std::filesystem::path& path, WriteMode mode) {
  Operation(Effect::kChanges);
  return std::make_unique<Writable>(*this, base_.OpenForWriting(path, mode));
}

std::unique_ptr<RandomAccessFile> FaultInjectingFileSystem::OpenForUpdate(
    const std::filesystem::path& path, UpdateMode mode) {
  Operation(Effect::kChanges);
  return std::make_unique<Updatable>(*this, base_.OpenForUpdate(path, mode));
}

std::optional<FileStatus> FaultInjectingFileSystem::Stat(const std::filesystem::path& path,
                                                         LinkHandling links) {
  Operation(Effect::kLooks);
  return base_.Stat(path, links);
}

std::vector<std::string> FaultInjectingFileSystem::ListFolder(const std::filesystem::path& folder) {
  Operation(Effect::kLooks);
  return base_.ListFolder(folder);
}

std::vector<FolderEntry> FaultInjectingFileSystem::ListFolderWithStatus(
    const std::filesystem::path& folder) {
  Operation(Effect::kLooks);
  return base_.ListFolderWithStatus(folder);
}

void FaultInjectingFileSystem::MoveItem(const std::filesystem::path& from,
                                        const std::filesystem::path& to) {
  Operation(Effect::kChanges);
  base_.MoveItem(from, to);
}

void FaultInjectingFileSystem::Rename(const std::filesystem::path& from,
                                      const std::filesystem::path& to) {
  Operation(Effect::kChanges);
  base_.Rename(from, to);
}

bool FaultInjectingFileSystem::Remove(const std::filesystem::path& path) {
  Operation(Effect::kChanges);
  return base_.Remove(path);
}

bool FaultInjectingFileSystem::RemoveFolder(const std::filesystem::path& folder) {
  Operation(Effect::kChanges);
  return base_.RemoveFolder(folder);
}

bool FaultInjectingFileSystem::CreateFolder(const std::filesystem::path& folder) {
  Operation(Effect::kChanges);
  return base_.CreateFolder(folder);
}

void FaultInjectingFileSystem::HardLink(const std::filesystem::path& existing,
                                        const std::filesystem::path& link) {
  Operation(Effect::kChanges);
  base_.HardLink(existing, link);
}

void FaultInjectingFileSystem::CreateSymbolicLink(const std::filesystem::path& target,
                                                  const std::filesystem::path& link) {
  Operation(Effect::kChanges);
  base_.CreateSymbolicLink(target, link);
}

std::filesystem::path FaultInjectingFileSystem::ReadSymbolicLink(
    const std::filesystem::path& link) {
  Operation(Effect::kLooks);
  return base_.ReadSymbolicLink(link);
}

void FaultInjectingFileSystem::MoveToTrash(const std::filesystem::path& item) {
  Operation(Effect::kChanges);
  base_.MoveToTrash(item);
}

void FaultInjectingFileSystem::SyncFolder(const std::filesystem::path& folder) {
  Operation(Effect::kChanges);
  base_.SyncFolder(folder);
}

uint64_t FaultInjectingFileSystem::FreeSpace(const std::filesystem::path& path) {
  Operation(Effect::kLooks);
  return base_.FreeSpace(path);
}

std::string FaultInjectingFileSystem::BootId() {
  return boot_id_ ? *boot_id_ : base_.BootId();
}

}  // namespace vantrel::testing
