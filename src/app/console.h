#pragma once

#include <memory>
#include <ostream>
#include <string_view>

#include "app/console_session.h"

namespace asio {
class io_context;
}

namespace vantrel {

class CMyApplication;
class OperatorDesk;

// The operator console on the terminal that started the server: a seat at the
// desk that follows the log from the start, printing every log-window line and
// notice to `out` as UTF-8 (with the window's date and columns when `decorated`,
// else as "who: message", for a journal that dates lines itself). When
// `interactive`, it reads the operator's commands and answers from standard
// input (passwords without echo); otherwise nothing is read and it is never
// asked a question. Core thread only.
class Console final : private ConsoleSession::Screen {
 public:
  // REQUIRES: `server`, `desk` and `out` outlive the console.
  Console(CMyApplication& server, OperatorDesk& desk, std::ostream& out, bool interactive,
          bool decorated);
  ~Console() override;

  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // Starts reading standard input on `io` (only when interactive).
  void StartReading(asio::io_context& io);

  // One line typed by the operator (UTF-8, without its line end).
  void HandleLine(std::string_view line);

 private:
  class Reader;

  void Print(std::string_view text) override;
  void Prompt(ConsoleSession::QuestionKind kind, std::string_view prompt) override;
  void LogLine(const LogWindow::EchoedLine& line) override;

  std::ostream& out_;
  const bool interactive_;
  const bool decorated_;
  bool echo_off_ = false;  // a password is being typed
  std::unique_ptr<Reader> reader_;
  ConsoleSession session_;  // last: it answers its open questions as it is destroyed
};

}  // namespace vantrel
