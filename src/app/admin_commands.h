#pragma once

#include <ostream>
#include <string_view>

namespace vantrel {

class CMyApplication;

// The operator's commands about the head administrator account. Their questions
// go through the server's operator; what they print goes to `out` (UTF-8), which
// must outlive the dialog.

// "admin reset", "admin select LOGIN", "admin create LOGIN".
void AdminCommand(CMyApplication& server, std::ostream& out, std::string_view arguments);

// "connect-admin": prints the vantrel:// link that logs a client on this machine
// in as the head administrator, and opens it when a program is registered for it.
void ConnectAdminCommand(CMyApplication& server, std::ostream& out, std::string_view arguments);

}  // namespace vantrel
