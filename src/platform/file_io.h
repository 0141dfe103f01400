#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// Reading and replacing the server's own files whole (settings, ban list,
// message board, agreement and banner). Core thread only.

// An open file descriptor, closed when this goes out of scope; -1 holds nothing.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor();
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int Get() const { return fd_; }

 private:
  int fd_;
};

// Reads from `fd` until the end of the file or until `limit` bytes are in
// `bytes` (which it replaces). Returns 0, or the errno of a failed read.
int ReadToEnd(int fd, size_t limit, std::string& bytes);

// At most `limit` bytes from the start of the file; nothing when it cannot be
// opened. A read that fails ends the bytes, as if the file were shorter.
std::vector<uint8_t> ReadFilePrefix(const std::filesystem::path& path, size_t limit);

// Creates or truncates `path` and writes `bytes` to it, synced. Returns 0 or the
// errno of the failure (the partial file is left for the caller to remove).
int WriteFileSynced(const std::filesystem::path& path, std::span<const uint8_t> bytes);

// Replaces the file `target` by `bytes`: writes `temporary`, syncs it and renames
// it over `target`, so a crash never leaves half a file. On failure the partial
// file is deleted, `target` stays as it was, and Omberly::CException of class 4
// is raised with `failure_text` and the errno.
void ReplaceFile(const std::filesystem::path& target, const std::filesystem::path& temporary,
                 std::span<const uint8_t> bytes, std::string_view failure_text);
inline void ReplaceFile(const std::filesystem::path& target, const std::filesystem::path& temporary,
                        std::string_view text, std::string_view failure_text) {
  ReplaceFile(target, temporary,
              std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
              failure_text);
}

}  // namespace vantrel
