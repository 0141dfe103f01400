#include "prefs/prefs_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <vector>

#include "platform/file_failure.h"
#include "prefs/prefs_layout.h"
#include "prefs/prefs_reader.h"
#include "prefs/prefs_writer.h"

namespace vantrel {
namespace {

namespace layout = prefs_layout;

// The description of every failure to save the settings.
constexpr const char* kWriteFailureText = "Could not save the settings file \xD2Prefs\xD3.";

std::vector<uint8_t> ReadUpToLimit(const std::filesystem::path& path) {
  std::vector<uint8_t> bytes(layout::kReadLimit);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // an unreadable rest counts like a shorter file
    filled += static_cast<size_t>(got);
  }
  ::close(fd);
  bytes.resize(filled);
  return bytes;
}

// Writes all of `bytes` to `fd` and syncs it; returns 0 or the errno of the failure.
int WriteAll(int fd, const std::vector<uint8_t>& bytes) {
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

ServerSettings ReadPrefsFile(const std::filesystem::path& server_folder, Random& random) {
  const std::vector<uint8_t> bytes = ReadUpToLimit(server_folder / layout::kFileName);
  return SettingsFromPrefs(bytes, random);
}

void WritePrefsFile(const std::filesystem::path& server_folder, const ServerSettings& settings) {
  const std::vector<uint8_t> bytes = EncodePrefs(settings);
  const std::filesystem::path temporary = server_folder / layout::kTemporaryFileName;
  const std::filesystem::path target = server_folder / layout::kFileName;

  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) RaiseFileFailure(kWriteFailureText, errno);
  int failure = WriteAll(fd, bytes);
  if (::close(fd) != 0 && failure == 0) failure = errno;
  if (failure == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) failure = errno;
  if (failure != 0) {
    ::unlink(temporary.c_str());
    RaiseFileFailure(kWriteFailureText, failure);
  }
}

}  // namespace vantrel
