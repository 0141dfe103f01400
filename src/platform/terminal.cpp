#include "platform/terminal.h"

#include <termios.h>
#include <unistd.h>

namespace vantrel {

bool StandardInputIsTerminal() {
  return ::isatty(STDIN_FILENO) == 1;
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
