#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ctl/control_connection.h"

namespace vantrel::ctl {

// What became of a command.
enum class CommandResult {
  kDone,        // the server handled it and asks nothing more
  kUnknown,     // the server did not know it, or refused the connection
  kServerQuit,  // the server quit (as `quit` asks)
  kServerGone,  // the server closed the connection without a word
  kNoAnswer,    // standard input ended while the server asked a question
};

// Sends `command` and prints what the server answers: output on standard
// output, errors on standard error, until the server is ready for the next
// command. Its questions are asked on standard error and answered from
// standard input. With `follow` ("log --follow"), goes on printing the log
// until the server quits or closes the connection.
CommandResult RunCommand(ControlConnection& server, std::string_view command, bool follow);

// Shows `prompt` on standard error and reads a line from standard input, not
// echoed when `hidden` and standard input is a terminal. Nothing at the end of
// input.
std::optional<std::string> ReadAnswer(std::string_view prompt, bool hidden);

}  // namespace vantrel::ctl
