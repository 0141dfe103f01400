#include "ctl/interactive_console.h"

#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include <editline/readline.h>

#include "app/control_protocol.h"
#include "ctl/run_command.h"

namespace vantrel::ctl {
namespace {

constexpr const char* kCommandPrompt = "vantrel> ";
// Commands kept in the history file.
constexpr int kHistoryLength = 1000;

// The line editor calls back into plain functions: the console's state.
struct ConsoleState {
  ControlConnection* server = nullptr;
  std::string prompt;
  bool answering = false;  // the line being typed answers a question
  // A line was just taken and nothing typed since: the editor still holds the
  // taken line until the next key, so it must not be drawn again.
  bool fresh_line = true;
  bool input_ended = false;
};
ConsoleState state;
volatile std::sig_atomic_t interrupted = 0;

std::filesystem::path HistoryFile() {
  const char* home = std::getenv("HOME");
  return home != nullptr ? std::filesystem::path(home) / ".vantrel_ctl_history"
                         : std::filesystem::path();
}

void OnLine(char* typed) {
  if (typed == nullptr) {
    state.input_ended = true;
    return;
  }
  const std::string line(typed);
  std::free(typed);
  state.fresh_line = true;
  if (!state.answering && !line.empty()) add_history(line.c_str());
  state.answering = false;
  state.server->SendLine(line);
}

// Edits a new line after `prompt`; an empty prompt stops editing.
void Edit(const std::string& prompt) {
  if (!state.prompt.empty()) rl_callback_handler_remove();
  state.prompt = prompt;
  if (!prompt.empty()) rl_callback_handler_install(state.prompt.c_str(), OnLine);
  state.fresh_line = true;
}

// Prints `text` above the line being edited, which is then drawn again.
void PrintAbove(std::ostream& stream, const std::string& text) {
  std::cout << "\r\033[K" << std::flush;
  stream << text << "\n" << std::flush;
  if (state.prompt.empty()) return;
  if (state.fresh_line) {
    std::cout << state.prompt << std::flush;
  } else {
    rl_forced_update_display();
  }
}

// Handles one line from the server; false once the console should end.
bool Show(const ServerLine& line, int& status) {
  switch (line.tag) {
    case control::kOutputTag:
      PrintAbove(std::cout, line.text);
      break;
    case control::kErrorTag:
      PrintAbove(std::cerr, line.text);
      break;
    case control::kQuestionTag:
      if (line.question == control::kPasswordQuestion) {
        Edit("");
        std::cout << "\r\033[K" << std::flush;
        const std::optional<std::string> answer = ReadAnswer(line.text, /*hidden=*/true);
        if (!answer) return false;
        state.server->SendLine(*answer);
        Edit(kCommandPrompt);
      } else {
        state.answering = true;
        Edit(line.text + " ");
      }
      break;
    case control::kReadyTag:
      state.answering = false;
      if (state.prompt != kCommandPrompt) Edit(kCommandPrompt);
      break;
    case control::kQuittingTag:
      Edit("");
      PrintAbove(std::cout, "The server quit.");
      status = 0;
      return false;
    default:
      break;
  }
  return true;
}

}  // namespace

int RunInteractiveConsole(ControlConnection& server) {
  state.server = &server;
  std::signal(SIGINT, [](int) { interrupted = 1; });
  const std::filesystem::path history = HistoryFile();
  stifle_history(kHistoryLength);
  if (!history.empty()) read_history(history.c_str());

  server.SendLine(control::kFollowLogCommand);
  Edit(kCommandPrompt);
  int status = 0;
  bool going = true;
  while (going && !state.input_ended && !interrupted) {
    pollfd watched[] = {{STDIN_FILENO, POLLIN, 0}, {server.Descriptor(), POLLIN, 0}};
    if (::poll(watched, 2, -1) < 0) continue;  // a signal: checked above
    if (watched[1].revents != 0) {
      bool closed = false;
      for (const ServerLine& line : server.ReadArrived(closed)) {
        if (going) going = Show(line, status);
      }
      if (closed && going) {
        Edit("");
        PrintAbove(std::cerr, "vantrel-ctl: the server closed the connection");
        status = 1;
        going = false;
      }
    }
    if (going && watched[0].revents != 0) {
      state.fresh_line = false;
      rl_callback_read_char();
      // The editor leaves the terminal as it was before it once it gave a line:
      // a new line is begun, editing again.
      if (state.fresh_line && !state.input_ended) Edit(std::string(state.prompt));
    }
  }
  if (!state.prompt.empty()) {
    Edit("");
    std::cout << "\n";
  }
  if (!history.empty()) write_history(history.c_str());
  return status;
}

}  // namespace vantrel::ctl
