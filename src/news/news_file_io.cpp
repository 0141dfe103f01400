#include "news/news_file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/file_failure.h"

namespace vantrel {
namespace {

// How much a read asks for at a time when the file's end is not yet known.
constexpr size_t kReadChunk = 64 * 1024;

// Writes all of `bytes` and syncs; returns 0 or the errno of the failure.
int WriteAllAndSync(int fd, std::string_view bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t done = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (done < 0 && errno == EINTR) continue;
    if (done < 0) return errno;
    written += static_cast<size_t>(done);
  }
  return ::fsync(fd) == 0 ? 0 : errno;
}

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

void ReplaceFile(const std::filesystem::path& target, const std::filesystem::path& temporary,
                 std::string_view bytes, std::string_view failure_text) {
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) RaiseFileFailure(std::string(failure_text), errno);
  int failure = WriteAllAndSync(fd, bytes);
  if (::close(fd) != 0 && failure == 0) failure = errno;
  if (failure == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) failure = errno;
  if (failure != 0) {
    ::unlink(temporary.c_str());
    RaiseFileFailure(std::string(failure_text), failure);
  }
}

}  // namespace vantrel
