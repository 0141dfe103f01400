#pragma once

#include "ctl/control_connection.h"

namespace vantrel::ctl {

// The interactive console on a terminal: follows the server's log, reads
// commands with line editing and history (kept in ~/.vantrel_ctl_history), and
// answers the server's questions, passwords without echo. Ends with the end of
// input (Ctrl-D), Ctrl-C, or when the server quits or goes. Returns the exit
// status.
int RunInteractiveConsole(ControlConnection& server);

}  // namespace vantrel::ctl
