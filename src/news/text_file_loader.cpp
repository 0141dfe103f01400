#include "news/text_file_loader.h"

#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>

#include "logs/log_window.h"
#include "news/host_text.h"
#include "platform/exception.h"
#include "platform/file_failure.h"
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

std::optional<LoadedFile> LoadServerFile(FileSystem& file_system,
                                         const std::filesystem::path& server_folder,
                                         std::string_view name, bool reload, LogWindow& log,
                                         Operator& notices) {
  if (name.empty()) return std::nullopt;
  const std::filesystem::path path = server_folder / MacRomanToUtf8(name);
  std::unique_ptr<ReadableFile> file;
  try {
    file = file_system.OpenForReading(path);
  } catch (const Omberly::CException& failure) {
    const int system_error = failure.SystemError();
    if (system_error == ENOENT || system_error == ENOTDIR) {
      log.Line(kNoWho, "Could not find file " + CurlyQuoted(name));
      return std::nullopt;
    }
    FailToLoad(name, system_error, log);
  }

  LoadedFile loaded;
  loaded.type = TypeAndCreatorForName(name).type;
  const bool text = loaded.type == kTypeText;
  const size_t limit = text ? kMaxTextFileSize : kMaxOtherFileSize;
  uint64_t size = 0;
  try {
    size = file->Size();
  } catch (const Omberly::CException& failure) {
    FailToLoad(name, failure.SystemError(), log);
  }
  if (size > limit) {
    notices.Notice(kTooLargeNoticeTitle, TooLargeText(name, limit));
    return std::nullopt;
  }
  try {
    file->ReadAll(limit, loaded.bytes);
  } catch (const Omberly::CException& failure) {
    FailToLoad(name, failure.SystemError(), log);
  }
  if (text) loaded.bytes = ServerTextFromFile(loaded.bytes);
  log.Line(kNoWho, (reload ? "Reloaded file " : "Loaded file ") + CurlyQuoted(name));
  return loaded;
}

}  // namespace vantrel
