#pragma once

#include <ostream>
#include <string_view>

namespace vantrel {

class CMyApplication;

// "reload": reads the message board, the agreement and the banner again, each
// logged as it loads ("Loaded MessageBoard.txt", "Reloaded file ..."). A file
// that exists but cannot be read is reported to the server's error handler and
// named on `out` (UTF-8); what loaded before it stays loaded.
void ReloadCommand(CMyApplication& server, std::ostream& out, std::string_view arguments);

}  // namespace vantrel
