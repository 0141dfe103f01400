#include "ctl/run_command.h"

#include <iostream>

#include "app/control_protocol.h"
#include "platform/terminal.h"

namespace vantrel::ctl {

CommandResult RunCommand(ControlConnection& server, std::string_view command, bool follow) {
  if (!server.SendLine(command)) return CommandResult::kServerGone;
  bool unknown = false;
  while (std::optional<ServerLine> line = server.NextLine()) {
    switch (line->tag) {
      case control::kOutputTag:
        std::cout << line->text << "\n" << std::flush;
        break;
      case control::kErrorTag:
        std::cerr << line->text << "\n";
        unknown = true;
        break;
      case control::kQuestionTag: {
        const std::optional<std::string> answer =
            ReadAnswer(line->text, line->question == control::kPasswordQuestion);
        // Closing the connection answers "Cancel".
        if (!answer) return CommandResult::kNoAnswer;
        if (!server.SendLine(*answer)) return CommandResult::kServerGone;
        break;
      }
      case control::kReadyTag:
        if (!follow) return unknown ? CommandResult::kUnknown : CommandResult::kDone;
        break;
      case control::kQuittingTag:
        return CommandResult::kServerQuit;
      default:
        break;
    }
  }
  return unknown ? CommandResult::kUnknown : CommandResult::kServerGone;
}

std::optional<std::string> ReadAnswer(std::string_view prompt, bool hidden) {
  std::cerr << prompt << " " << std::flush;
  hidden = hidden && StandardInputIsTerminal();
  if (hidden) SetTerminalEcho(false);
  std::string answer;
  const bool read = static_cast<bool>(std::getline(std::cin, answer));
  if (hidden) {
    SetTerminalEcho(true);
    std::cerr << "\n";
  }
  if (!read) return std::nullopt;
  if (!answer.empty() && answer.back() == '\r') answer.pop_back();
  return answer;
}

}  // namespace vantrel::ctl
