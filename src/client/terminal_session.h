#pragma once

#include <deque>
#include <iosfwd>
#include <string>

#include "client/commands.h"
#include "client/server_connection.h"
#include "client/transfers.h"

namespace vantrel::client {

// The person's terminal while the client runs: reads commands through the
// line editor (libedit) with a history kept in ~/.vantrel_client_history,
// shows what the server sends above the line being typed, and draws the
// progress of transfers, which Ctrl-C interrupts. Without editing it only
// prints. One per process (the line editor is one); one thread only.
class TerminalSession {
 public:
  // `out` must outlive the session; `editing`: a person types at a terminal.
  TerminalSession(std::ostream& out, bool editing);
  ~TerminalSession();

  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;

  // Shows `text` (UTF-8 lines); while a line is being typed, above it.
  void Print(const std::string& text);
  // A progress bar on the terminal; Ctrl-C interrupts the transfer.
  TransferObserver Observer();

  // Reads and runs commands until /quit, the end of input, Ctrl-C at the
  // prompt or the server closing the connection; returns the exit code.
  // REQUIRES: editing.
  int Run(Commands& commands, ServerConnection& server);

 private:
  static void OnLine(char* line);
  // Handles the lines the editor has taken, then lets it show its prompt again.
  void HandleLines();
  void HandleLine(const std::string& line);
  void RunCommand(const std::string& command);
  // The text written in $EDITOR (vi when unset); empty when nothing was written.
  std::string EditText();

  std::ostream& out_;
  bool editing_;
  bool prompt_shown_ = false;  // the line editor shows its line now
  Commands* commands_ = nullptr;
  std::deque<std::string> lines_;  // taken by the editor, not handled yet
  std::string pending_;            // a command whose text is being typed
  bool collecting_ = false;
  bool quit_ = false;
  bool failed_ = false;
};

}  // namespace vantrel::client
