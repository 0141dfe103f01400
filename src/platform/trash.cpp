#include "platform/trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/file_failure.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTrashFailureText = "Could not move the item to the trash.";
constexpr const char* kNoHomeText = "There is no home folder for the trash.";
// Names of the parts of a trash folder.
constexpr const char* kFilesFolder = "files";
constexpr const char* kInfoFolder = "info";
constexpr std::string_view kInfoExtension = ".trashinfo";
// Longest file name the file system takes.
constexpr size_t kMaxNameBytes = 255;
// How many names are tried before a trash counts as full.
constexpr unsigned kMaxNameAttempts = 10000;
// Mode of the trash folders this code creates.
constexpr mode_t kTrashFolderMode = 0700;
// Mode of a ".trashinfo" file.
constexpr mode_t kInfoFileMode = 0600;

std::optional<std::string> Environment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

// The device of the nearest existing folder on the way up from `path`.
dev_t DeviceOfNearest(fs::path path) {
  struct stat info {};
  while (::stat(path.c_str(), &info) != 0) {
    if (!path.has_relative_path()) RaiseFileFailure(kTrashFailureText, errno);
    path = path.parent_path();
  }
  return info.st_dev;
}

// The top folder of the file system that holds `folder` (which is on `device`).
fs::path TopFolderOf(fs::path folder, dev_t device) {
  while (folder.has_relative_path()) {
    struct stat info {};
    const fs::path parent = folder.parent_path();
    if (::stat(parent.c_str(), &info) != 0 || info.st_dev != device) break;
    folder = parent;
  }
  return folder;
}

void MakeFolder(const fs::path& folder) {
  if (::mkdir(folder.c_str(), kTrashFolderMode) != 0 && errno != EEXIST) {
    RaiseFileFailure(kTrashFailureText, errno);
  }
}

// A ".Trash-<uid>" folder must be a real folder of this user, not a link.
void CheckOwnTrash(const fs::path& trash) {
  struct stat info {};
  if (::lstat(trash.c_str(), &info) != 0) RaiseFileFailure(kTrashFailureText, errno);
  if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
    RaiseFileFailure(kTrashFailureText, EPERM);
  }
}

// `name` shortened, at a character boundary, so that `room` bytes fit after it.
std::string FitName(const std::string& name, size_t room) {
  if (name.size() + room <= kMaxNameBytes) return name;
  size_t cut = kMaxNameBytes - room;
  while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
  return name.substr(0, cut);
}

// Creates the ".trashinfo" of a name not yet used in `trash` and answers the name.
std::string ReserveName(const fs::path& trash, const std::string& base, const std::string& text) {
  for (unsigned attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
    const std::string suffix = attempt == 1 ? "" : "." + std::to_string(attempt);
    const std::string name = FitName(base, suffix.size() + kInfoExtension.size()) + suffix;
    struct stat info {};
    if (::lstat((trash / kFilesFolder / name).c_str(), &info) == 0) continue;
    const fs::path info_path = trash / kInfoFolder / (name + std::string(kInfoExtension));
    const int fd =
        ::open(info_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kInfoFileMode);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) RaiseFileFailure(kTrashFailureText, errno);
    const ssize_t written = ::write(fd, text.data(), text.size());
    const int write_error = errno;
    ::close(fd);
    if (written != static_cast<ssize_t>(text.size())) {
      ::unlink(info_path.c_str());
      RaiseFileFailure(kTrashFailureText, written < 0 ? write_error : ENOSPC);
    }
    return name;
  }
  RaiseFileFailure(kTrashFailureText, EEXIST);
}

}  // namespace

fs::path HomeTrashFolder() {
  const std::optional<std::string> data_home = Environment("XDG_DATA_HOME");
  if (data_home && fs::path(*data_home).is_absolute()) return fs::path(*data_home) / "Trash";
  const std::optional<std::string> home = Environment("HOME");
  if (!home) RaiseFileFailure(kNoHomeText, ENOENT);
  return fs::path(*home) / ".local" / "share" / "Trash";
}

std::string PercentEncodeTrashPath(std::string_view path) {
  constexpr std::string_view kKept = "/-_.!~*'()";
  constexpr const char* kHex = "0123456789ABCDEF";
  std::string encoded;
  for (char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    const bool letter_or_digit = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                                 (byte >= '0' && byte <= '9');
    if (letter_or_digit || kKept.find(c) != std::string_view::npos) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0x0F];
    }
  }
  return encoded;
}

std::string TrashInfoText(std::string_view original_path, const std::tm& deletion_time) {
  char date[32];
  std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &deletion_time);
  return "[Trash Info]\nPath=" + PercentEncodeTrashPath(original_path) + "\nDeletionDate=" + date +
         "\n";
}

void MoveToTrash(const fs::path& item) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  MoveToTrash(item, local);
}

void MoveToTrash(const fs::path& item, const std::tm& deletion_time) {
  fs::path original = fs::absolute(item);
  if (!original.has_filename()) original = original.parent_path();  // a trailing slash
  struct stat item_info {};
  if (::lstat(original.c_str(), &item_info) != 0) RaiseFileFailure(kTrashFailureText, errno);

  fs::path trash = HomeTrashFolder();
  std::string recorded_path = original.native();
  if (DeviceOfNearest(trash) == item_info.st_dev) {
    std::error_code error;
    fs::create_directories(trash.parent_path(), error);
    MakeFolder(trash);
  } else {
    const fs::path top = TopFolderOf(original.parent_path(), item_info.st_dev);
    trash = top / (".Trash-" + std::to_string(::getuid()));
    MakeFolder(trash);
    CheckOwnTrash(trash);
    recorded_path = original.lexically_relative(top).native();
  }
  MakeFolder(trash / kFilesFolder);
  MakeFolder(trash / kInfoFolder);

  const std::string name =
      ReserveName(trash, original.filename().native(), TrashInfoText(recorded_path, deletion_time));
  if (::rename(original.c_str(), (trash / kFilesFolder / name).c_str()) != 0) {
    const int failure = errno;
    ::unlink((trash / kInfoFolder / (name + std::string(kInfoExtension))).c_str());
    RaiseFileFailure(kTrashFailureText, failure);
  }
}

}  // namespace vantrel
