#pragma once

#include <deque>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "server/operator.h"

namespace asio {
class io_context;
}

namespace vantrel {

class CMyApplication;

// The operator console on the terminal that started the server: prints every
// log-window line and notice as UTF-8, reads the operator's commands, and asks
// the server's questions one at a time (a typed line answers the question being
// asked before it is taken as a command). Without a terminal, nothing is read
// and every question is answered with nothing at once. Core thread only.
class Console final : public Operator {
 public:
  // REQUIRES: `server` and `out` outlive the console.
  Console(CMyApplication& server, std::ostream& out, bool interactive);
  ~Console() override;

  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // Starts reading standard input on `io` (only when interactive).
  void StartReading(asio::io_context& io);

  // One line typed by the operator (UTF-8, without its line end).
  void HandleLine(std::string_view line);

  // Prints a log-window line (Mac Roman).
  void PrintLogLine(std::string_view line);

  void Notice(std::string_view title, std::string_view text) override;
  void AskText(std::string_view prompt, TextAnswer answer) override;
  void AskPassword(std::string_view prompt, TextAnswer answer) override;
  void Choose(std::string_view title, std::string_view text, std::vector<std::string> choices,
              ChoiceAnswer answer) override;

 private:
  struct Question {
    enum class Kind { kText, kPassword, kChoice } kind;
    std::string prompt;                // UTF-8
    std::vector<std::string> choices;  // UTF-8
    TextAnswer text_answer;
    ChoiceAnswer choice_answer;
  };
  class Reader;

  void Ask(Question question);
  void ShowQuestion(const Question& question);
  // True when the line answered the question being asked.
  bool Answer(std::string_view line);

  CMyApplication& server_;
  std::ostream& out_;
  const bool interactive_;
  std::deque<Question> questions_;  // the front one is being asked
  bool answering_ = false;          // an answer's callback is running
  std::unique_ptr<Reader> reader_;
};

}  // namespace vantrel
