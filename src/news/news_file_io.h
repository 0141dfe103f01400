#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace vantrel {

// Reading and replacing the news files whole. Core thread only.

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

// Replaces the file `target` by `bytes`: writes `temporary`, syncs it and renames
// it over `target`, so a crash never leaves half a file. On failure the partial
// file is deleted, `target` stays as it was, and Omberly::CException of class 4
// is raised with `failure_text` and the errno.
void ReplaceFile(const std::filesystem::path& target, const std::filesystem::path& temporary,
                 std::string_view bytes, std::string_view failure_text);

}  // namespace vantrel
