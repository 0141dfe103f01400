#include "platform/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/file_failure.h"

namespace vantrel {
namespace {

// How much a read asks for at a time when the file's end is not yet known.
constexpr size_t kReadChunk = 64 * 1024;

}  // namespace

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) ::close(fd_);
}

int ReadToEnd(int fd, size_t limit, std::string& bytes) {
  bytes.clear();
  while (bytes.size() < limit) {
    const size_t filled = bytes.size();
    const size_t want = std::min(kReadChunk, limit - filled);
    bytes.resize(filled + want);
    const ssize_t got = ::read(fd, bytes.data() + filled, want);
    if (got < 0 && errno == EINTR) {
      bytes.resize(filled);
      continue;
    }
    if (got < 0) {
      const int failure = errno;
      bytes.resize(filled);
      return failure;
    }
    bytes.resize(filled + static_cast<size_t>(got));
    if (got == 0) break;
  }
  return 0;
}

std::vector<uint8_t> ReadFilePrefix(const std::filesystem::path& path, size_t limit) {
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) return {};
  std::string bytes;
  ReadToEnd(file.Get(), limit, bytes);  // a failed read keeps what came before it
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

int WriteFileSynced(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  const FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (file.Get() < 0) return errno;
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t done = ::write(file.Get(), bytes.data() + written, bytes.size() - written);
    if (done < 0 && errno == EINTR) continue;
    if (done < 0) return errno;
    written += static_cast<size_t>(done);
  }
  return ::fsync(file.Get()) == 0 ? 0 : errno;
}

void ReplaceFile(const std::filesystem::path& target, const std::filesystem::path& temporary,
                 std::span<const uint8_t> bytes, std::string_view failure_text) {
  int failure = WriteFileSynced(temporary, bytes);
  if (failure == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) failure = errno;
  if (failure != 0) {
    ::unlink(temporary.c_str());
    RaiseFileFailure(std::string(failure_text), failure);
  }
}

}  // namespace vantrel
