#pragma once

#include <deque>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "logs/log_window.h"
#include "server/operator.h"

namespace vantrel {

class CMyApplication;
class OperatorDesk;

// One operator's seat at the console: the terminal that started the server, or
// one connection of the control socket. Takes the lines the operator types (the
// answer to the question being asked, else a command for the one interpreter,
// RunConsoleCommand) and shows that operator what the commands print and the
// notices and questions the desk puts to it, one question at a time. As an
// Operator it is what the desk puts to this seat (texts in Mac Roman). Core
// thread only.
class ConsoleSession final : public Operator {
 public:
  enum class QuestionKind { kText, kPassword, kChoice };

  // Where the seat's text goes, UTF-8.
  class Screen {
   public:
    virtual ~Screen() = default;
    // Whole lines of output: what a command printed, a notice, a question's choices.
    virtual void Print(std::string_view text) = 0;
    // Whole lines that say a command was not known.
    virtual void PrintError(std::string_view text) { Print(text); }
    // A question waits for the next line.
    virtual void Prompt(QuestionKind kind, std::string_view prompt) = 0;
    // A line was handled and nothing is asked: the next line is a command.
    virtual void Ready() {}
    // A log-window line, once the seat follows the log.
    virtual void LogLine(const LogWindow::EchoedLine& line) = 0;
  };

  // Joins `desk`. A seat that cannot answer (a terminal that is not there) is
  // never asked a question. REQUIRES: `server`, `desk` and `screen` outlive the
  // session.
  ConsoleSession(CMyApplication& server, OperatorDesk& desk, Screen& screen, bool can_answer);
  // Leaves the desk; the questions still open are answered with nothing
  // ("Cancel"), as are those their answers ask.
  ~ConsoleSession() override;

  ConsoleSession(const ConsoleSession&) = delete;
  ConsoleSession& operator=(const ConsoleSession&) = delete;

  // One line the operator typed (UTF-8, without its line end): the answer to the
  // question being asked, else a command.
  void HandleLine(std::string_view line);

  // From now on the seat is shown every log line and the notices no command of
  // another seat caused, and is asked the questions that arise outside any
  // command: it is attached, after every seat that followed before it.
  void Follow();
  bool Follows() const { return follows_; }
  bool CanAnswer() const { return can_answer_ && !leaving_; }
  // True while a question put to this seat waits for its answer.
  bool Asking() const { return !questions_.empty(); }

  void Notice(std::string_view title, std::string_view text) override;
  void AskText(std::string_view prompt, TextAnswer answer) override;
  void AskPassword(std::string_view prompt, TextAnswer answer) override;
  void Choose(std::string_view title, std::string_view text, std::vector<std::string> choices,
              ChoiceAnswer answer) override;

 private:
  friend class OperatorDesk;

  struct Question {
    QuestionKind kind;
    std::string prompt;                // UTF-8
    std::vector<std::string> choices;  // UTF-8
    TextAnswer text_answer;
    ChoiceAnswer choice_answer;
  };

  void Ask(Question question);
  void ShowQuestion(const Question& question);
  // True when the line answered the question being asked.
  bool Answer(std::string_view line);
  // Hands what the commands printed to the screen.
  void FlushOutput(bool error = false);

  CMyApplication& server_;
  OperatorDesk& desk_;
  Screen& screen_;
  const bool can_answer_;
  bool follows_ = false;
  bool leaving_ = false;
  bool answering_ = false;          // an answer's callback is running
  std::deque<Question> questions_;  // the front one is being asked
  // What the commands print (they may print later, when a question is answered).
  std::ostringstream output_;
};

}  // namespace vantrel
