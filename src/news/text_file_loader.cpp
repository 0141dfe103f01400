#include "news/text_file_loader.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "logs/log_window.h"
#include "news/host_text.h"
#include "platform/file_failure.h"
#include "platform/file_io.h"
#include "platform/mac_roman.h"
#include "server/operator.h"

namespace vantrel {
namespace {

// Log lines about the server itself have no who text.
constexpr std::string_view kNoWho;

std::string TooLargeText(std::string_view name, size_t limit) {
  return "<" + std::string(name) + "> is larger that " + std::to_string(limit) +
         " bytes and cannot be used as agreement.";
}

[[noreturn]] void FailToLoad(std::string_view name, int system_error, LogWindow& log) {
  const std::string text = "Could not load file " + CurlyQuoted(name);
  log.Line(kNoWho, text);
  RaiseFileFailure(text, system_error);
}

}  // namespace

std::optional<LoadedFile> LoadServerFile(const std::filesystem::path& server_folder,
                                         std::string_view name, bool reload, LogWindow& log,
                                         Operator& notices) {
  if (name.empty()) return std::nullopt;
  const std::filesystem::path path = server_folder / MacRomanToUtf8(name);
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) {
    if (errno == ENOENT || errno == ENOTDIR) {
      log.Line(kNoWho, "Could not find file " + CurlyQuoted(name));
      return std::nullopt;
    }
    FailToLoad(name, errno, log);
  }

  LoadedFile loaded;
  loaded.type = TypeAndCreatorForName(name).type;
  const bool text = loaded.type == kTypeText;
  const size_t limit = text ? kMaxTextFileSize : kMaxOtherFileSize;
  struct stat status {};
  if (::fstat(file.Get(), &status) != 0) FailToLoad(name, errno, log);
  const auto size = static_cast<uintmax_t>(status.st_size);
  if (size > limit) {
    notices.Notice(kTooLargeNoticeTitle, TooLargeText(name, limit));
    return std::nullopt;
  }

  if (const int failure = ReadToEnd(file.Get(), limit, loaded.bytes)) {
    FailToLoad(name, failure, log);
  }
  if (text) loaded.bytes = ServerTextFromFile(loaded.bytes);
  log.Line(kNoWho, (reload ? "Reloaded file " : "Loaded file ") + CurlyQuoted(name));
  return loaded;
}

}  // namespace vantrel
