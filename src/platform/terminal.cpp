#include "platform/terminal.h"

#include <termios.h>
#include <unistd.h>

#include <string>

namespace vantrel {

void WriteToStandardError(std::string_view text) {
  std::string line(text);
  line += '\n';
  for (size_t written = 0; written < line.size();) {
    const ssize_t n = ::write(STDERR_FILENO, line.data() + written, line.size() - written);
    if (n <= 0) return;  // nowhere left to tell
    written += static_cast<size_t>(n);
  }
}

bool StandardInputIsTerminal() {
  return ::isatty(STDIN_FILENO) == 1;
}

bool StandardOutputIsTerminal() {
  return ::isatty(STDOUT_FILENO) == 1;
}

void SetTerminalEcho(bool on) {
  termios settings{};
  if (::tcgetattr(STDIN_FILENO, &settings) != 0) return;
  if (on) {
    settings.c_lflag |= ECHO;
  } else {
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  }
  ::tcsetattr(STDIN_FILENO, TCSANOW, &settings);
}

}  // namespace vantrel
