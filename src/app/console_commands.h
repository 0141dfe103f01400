#pragma once

#include <ostream>
#include <string_view>

namespace vantrel {

class CMyApplication;

// Runs one operator command line (UTF-8): help, stats, counters, log, broadcast TEXT,
// reload, options, set SETTING VALUE, quit [MESSAGE], quit now, admin reset|select
// LOGIN|create LOGIN, connect-admin, ban list|add|remove. What it prints goes to `out` as UTF-8 (a
// command that asks the operator prints when answered, so `out` must outlive
// the server's questions); an unknown command prints a hint to `help` and
// returns false.
bool RunConsoleCommand(CMyApplication& server, std::ostream& out, std::string_view line);

// True for "log --follow": besides the log's text, the console that typed it is
// shown every log line from then on (ConsoleSession::Follow).
bool IsFollowLogCommand(std::string_view line);

}  // namespace vantrel
