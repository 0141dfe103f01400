#include "news/message_board.h"

#include <fcntl.h>

#include <cerrno>
#include <limits>
#include <utility>

#include "logs/log_window.h"
#include "news/news_files.h"
#include "platform/file_failure.h"
#include "platform/file_io.h"

namespace vantrel {
namespace {

constexpr const char* kReadFailureText =
    "Could not read the message board \xD2MessageBoard.txt\xD3.";
constexpr const char* kWriteFailureText =
    "Could not save the message board \xD2MessageBoard.txt\xD3.";
// The board has no size limit.
constexpr size_t kNoLimit = std::numeric_limits<size_t>::max();

}  // namespace

MessageBoard::MessageBoard(std::filesystem::path server_folder)
    : folder_(std::move(server_folder)) {}

void MessageBoard::Load(LogWindow& log) {
  const std::filesystem::path path = folder_ / kMessageBoardFileName;
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644));
  if (file.Get() < 0) RaiseFileFailure(kReadFailureText, errno);
  std::string text;
  if (const int failure = ReadToEnd(file.Get(), kNoLimit, text)) {
    RaiseFileFailure(kReadFailureText, failure);
  }
  text_ = std::move(text);
  log.Line("", "Loaded MessageBoard.txt");
}

void MessageBoard::AddPost(std::string_view post) {
  text_.insert(0, post);
  ReplaceFile(folder_ / kMessageBoardFileName, folder_ / kMessageBoardTemporaryFileName, text_,
              kWriteFailureText);
}

}  // namespace vantrel
