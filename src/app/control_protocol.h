#pragma once

#include <string_view>

// The control socket's line protocol, spoken by the server and vantrel-ctl.
//
// The client sends lines of UTF-8 ending in LF, as an operator types them at the
// console: a command (as `help` lists them), or the answer to the question being
// asked. "log --follow" makes the connection follow the log: it is then shown
// every log line and the notices no other operator's command caused, and asked
// the questions that arise outside any command.
//
// Every line the server sends starts with a tag byte, then its UTF-8 text:
//   ' '   output: what a command printed, a notice, a log line;
//   '!'   an error: the command is not known, or the connection is refused
//         (the server then closes it);
//   '?'   a question waits for the next line: 'T' a text, 'P' a password (not
//         to be echoed) or 'C' a choice (its choices were sent as output, and
//         are answered by number or text), a blank, and the prompt;
//   '.'   the line sent last was handled and nothing is asked: the next line
//         is a command;
//   '-'   the server is quitting; it closes the connection.
// Closing the connection answers the questions still asked with "Cancel".
namespace vantrel::control {

inline constexpr char kOutputTag = ' ';
inline constexpr char kErrorTag = '!';
inline constexpr char kQuestionTag = '?';
inline constexpr char kTextQuestion = 'T';
inline constexpr char kPasswordQuestion = 'P';
inline constexpr char kChoiceQuestion = 'C';
inline constexpr char kReadyTag = '.';
inline constexpr char kQuittingTag = '-';

// The command that makes a connection follow the log.
inline constexpr std::string_view kFollowLogCommand = "log --follow";

// The socket's name in the server folder unless --control names another path.
inline constexpr std::string_view kDefaultSocketName = "control.sock";

}  // namespace vantrel::control
