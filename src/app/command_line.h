#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vantrel {

// Reading the command line of the server's programs, in the GNU manner.

// An option that takes a value ("--NAME VALUE" or "--NAME=VALUE"), and where the
// value goes.
struct ValueOption {
  std::string_view name;  // "--dir", say
  std::string* value;
};

struct CommandLine {
  bool help = false;     // --help or -h
  bool version = false;  // --version
  std::string error;     // an unknown option, or one without its value
  int operands = 0;      // the index of the first word after the options
};

// Reads the options from argv[1] on, up to the first word that is not an option
// (or the word after "--"): --help, -h, --version and `options`, a later value
// replacing an earlier one.
CommandLine ReadCommandLine(int argc, char** argv, std::span<const ValueOption> options);

// Answers a wrong option (on standard error, status 2), --help (`usage` on
// standard output) and --version ("PROGRAM (Vantrel Server) VERSION"), with the
// exit status; nothing when the program goes on.
std::optional<int> AnswerStandardOptions(std::string_view program, std::string_view usage,
                                         const CommandLine& command_line);

}  // namespace vantrel
