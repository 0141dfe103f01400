#pragma once

#include <string_view>

namespace vantrel {

// The terminal the server was started from, if any.

// True when standard input is a terminal (an operator can answer questions).
bool StandardInputIsTerminal();

// True when standard output is a terminal (log lines are then printed with
// their date and columns; a journal or a file gets them plain).
bool StandardOutputIsTerminal();

// Shows or hides what the operator types (hidden while a password is asked).
// Does nothing when standard input is not a terminal.
void SetTerminalEcho(bool on);

// Writes `text` (UTF-8) and a line end to standard error, the last place a
// message can go when the server's own files cannot be written.
void WriteToStandardError(std::string_view text);

}  // namespace vantrel
