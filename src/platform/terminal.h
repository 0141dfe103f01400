#pragma once

namespace vantrel {

// The terminal the server was started from, if any.

// True when standard input is a terminal (an operator can answer questions).
bool StandardInputIsTerminal();

// Shows or hides what the operator types (hidden while a password is asked).
// Does nothing when standard input is not a terminal.
void SetTerminalEcho(bool on);

}  // namespace vantrel
