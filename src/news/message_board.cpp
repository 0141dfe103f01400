#include "news/message_board.h"

#include <cerrno>
#include <limits>
#include <utility>

#include "logs/log_window.h"
#include "news/news_files.h"
#include "platform/exception.h"
#include "platform/file_failure.h"

namespace vantrel {
namespace {

constexpr const char* kReadFailureText =
    "Could not read the message board \xD2MessageBoard.txt\xD3.";
constexpr const char* kWriteFailureText =
    "Could not save the message board \xD2MessageBoard.txt\xD3.";
// The board has no size limit.
constexpr size_t kNoLimit = std::numeric_limits<size_t>::max();

}  // namespace

MessageBoard::MessageBoard(FileSystem& file_system, std::filesystem::path server_folder)
    : file_system_(file_system), folder_(std::move(server_folder)) {}

void MessageBoard::Load(LogWindow& log) {
  file_system_.RemoveLeftover(folder_ / kMessageBoardTemporaryFileName);
  const std::filesystem::path path = folder_ / kMessageBoardFileName;
  std::string text;
  try {
    try {
      file_system_.ReadFile(path, kNoLimit, text);
    } catch (const Omberly::CException& failure) {
      if (failure.SystemError() != ENOENT) throw;
      file_system_.OpenForWriting(path, WriteMode::kAppend)->Close();  // created empty
    }
  } catch (const Omberly::CException& failure) {
    RaiseFileFailure(kReadFailureText, failure.SystemError());
  }
  text_ = std::move(text);
  log.Line("", "Loaded MessageBoard.txt");
}

void MessageBoard::AddPost(std::string_view post) {
  text_.insert(0, post);
  file_system_.ReplaceFile(folder_ / kMessageBoardFileName,
                           folder_ / kMessageBoardTemporaryFileName, text_, kWriteFailureText);
}

}  // namespace vantrel
