#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "logs/log_window.h"
#include "server/operator.h"

namespace vantrel {

class ConsoleSession;

// The server's one operator, wherever the operator sits: the terminal that
// started the server and each connection of the control socket hold a
// ConsoleSession, and the desk puts every notice and question to one of them:
//  - while a seat's line is handled (its command, or an answer that goes on
//    asking), to that seat;
//  - otherwise to the seat that holds the questions (one is waiting for its
//    answer), else to the seat that began to follow the log last and can
//    answer (the attached operator); with none, questions are answered with
//    nothing ("Cancel") and notices shown to every following seat.
// One seat at a time holds the questions: a command that asks while another
// seat's question waits is answered "Cancel" and its seat told why.
// Log-window lines go to every seat that follows the log. Core thread only.
class OperatorDesk final : public Operator {
 public:
  OperatorDesk() = default;
  OperatorDesk(const OperatorDesk&) = delete;
  OperatorDesk& operator=(const OperatorDesk&) = delete;

  // The notice shown to a seat whose command asked while another seat held the questions.
  static constexpr const char* kBusyTitle = "Busy";
  static constexpr const char* kBusyText =
      "Another operator is answering a question of the server; try again when they are done.";

  void Notice(std::string_view title, std::string_view text) override;
  void AskText(std::string_view prompt, TextAnswer answer) override;
  void AskPassword(std::string_view prompt, TextAnswer answer) override;
  void Choose(std::string_view title, std::string_view text, std::vector<std::string> choices,
              ChoiceAnswer answer) override;

  // Shows a log-window line to every seat that follows the log.
  void LogLine(const LogWindow::EchoedLine& line);

 private:
  friend class ConsoleSession;

  // Marks `session` as the seat whose line is being handled, for its lifetime.
  class Turn {
   public:
    Turn(OperatorDesk& desk, ConsoleSession& session) : desk_(desk), previous_(desk.current_) {
      desk_.current_ = &session;
    }
    ~Turn() { desk_.current_ = previous_; }
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

   private:
    OperatorDesk& desk_;
    ConsoleSession* previous_;
  };

  void Join(ConsoleSession& session);
  void Leave(ConsoleSession& session);
  // `session` follows the log from now on, after every seat that followed before.
  void Attach(ConsoleSession& session);
  // The seat a question goes to; null when it is answered with nothing.
  Operator* Asked();

  std::vector<ConsoleSession*> sessions_;   // every seat, in the order they joined
  std::vector<ConsoleSession*> followers_;  // in the order they began to follow
  ConsoleSession* current_ = nullptr;       // the seat whose line is being handled
};

}  // namespace vantrel
