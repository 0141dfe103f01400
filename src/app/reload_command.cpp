#include "app/reload_command.h"

#include "app/application.h"
#include "platform/exception.h"
#include "platform/mac_roman.h"

namespace vantrel {

void ReloadCommand(CMyApplication& server, std::ostream& out, std::string_view /*arguments*/) {
  try {
    server.Core().Reload();
  } catch (const Omberly::CException& failure) {
    out << "Reload stopped: " << MacRomanToOperatorText(failure.Description()) << "\n";
    server.Core().ReportFailure(failure);
  }
}

}  // namespace vantrel
