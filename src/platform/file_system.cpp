#include "platform/file_system.h"

#include <algorithm>
#include <string>

#include "platform/exception.h"
#include "platform/file_failure.h"

namespace vantrel {
namespace {

// How much a read asks for at a time when the file's end is not yet known.
constexpr size_t kReadChunk = 64 * 1024;

// The folder `path` is in.
std::filesystem::path FolderOf(const std::filesystem::path& path) {
  const std::filesystem::path folder = path.parent_path();
  return folder.empty() ? std::filesystem::path(".") : folder;
}

}  // namespace

void ReadableFile::ReadAll(size_t limit, std::string& bytes) {
  bytes.clear();
  while (bytes.size() < limit) {
    const size_t filled = bytes.size();
    const size_t want = std::min(kReadChunk, limit - filled);
    bytes.resize(filled + want);
    size_t got = 0;
    try {
      got = ReadAt(filled,
                   std::span<uint8_t>(reinterpret_cast<uint8_t*>(bytes.data()) + filled, want));
    } catch (const Omberly::CException&) {
      bytes.resize(filled);
      throw;
    }
    bytes.resize(filled + got);
    if (got < want) break;
  }
}

void FileSystem::ReadFile(const std::filesystem::path& path, size_t limit, std::string& bytes) {
  bytes.clear();
  OpenForReading(path)->ReadAll(limit, bytes);
}

void FileSystem::WriteFile(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  const std::unique_ptr<WritableFile> file = OpenForWriting(path, WriteMode::kTruncate);
  file->Append(bytes);
  file->Sync();
  file->Close();
}

void FileSystem::RemoveLeftover(const std::filesystem::path& temporary) {
  try {
    Remove(temporary);
  } catch (const Omberly::CException&) {
    // Written over by the next replace.
  }
}

void FileSystem::ReplaceFile(const std::filesystem::path& target,
                             const std::filesystem::path& temporary, std::span<const uint8_t> bytes,
                             std::string_view failure_text) {
  try {
    WriteFile(temporary, bytes);
    Rename(temporary, target);
  } catch (const Omberly::CException& failure) {
    RemoveLeftover(temporary);
    RaiseFileFailure(std::string(failure_text), failure.SystemError());
  }
  try {
    SyncFolder(FolderOf(target));
  } catch (const Omberly::CException&) {
    // The file is replaced all the same; only the rename's durability is unsure.
  }
}

void FileSystem::ReplaceFile(const std::filesystem::path& target,
                             const std::filesystem::path& temporary, std::string_view text,
                             std::string_view failure_text) {
  ReplaceFile(target, temporary, AsBytes(text), failure_text);
}

}  // namespace vantrel
