#include "app/command_line.h"

#include <iostream>

namespace vantrel {

CommandLine ReadCommandLine(int argc, char** argv, std::span<const ValueOption> options) {
  CommandLine read;
  int i = 1;
  for (; i < argc && read.error.empty(); ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (!arg.starts_with("-")) break;
    if (arg == "--help" || arg == "-h") {
      read.help = true;
      continue;
    }
    if (arg == "--version") {
      read.version = true;
      continue;
    }
    read.error = "unrecognized option '" + std::string(arg) + "'";
    for (const ValueOption& option : options) {
      if (arg.size() > option.name.size() && arg.starts_with(option.name) &&
          arg[option.name.size()] == '=') {
        *option.value = arg.substr(option.name.size() + 1);
        read.error.clear();
      } else if (arg == option.name && i + 1 < argc) {
        *option.value = argv[++i];
        read.error.clear();
      } else if (arg == option.name) {
        read.error = "option '" + std::string(arg) + "' requires an argument";
      }
    }
  }
  read.operands = i;
  return read;
}

std::optional<int> AnswerStandardOptions(std::string_view program, std::string_view usage,
                                         const CommandLine& command_line) {
  if (!command_line.error.empty()) {
    std::cerr << program << ": " << command_line.error << "\nTry '" << program
              << " --help' for more information.\n";
    return 2;
  }
  if (command_line.help) {
    std::cout << usage;
    return 0;
  }
  if (command_line.version) {
    std::cout << program << " (Vantrel Server) " << VANTREL_VERSION << "\n";
    return 0;
  }
  return std::nullopt;
}

}  // namespace vantrel
