#include "app/reload_command.h"

#include "platform/exception.h"
#include "platform/mac_roman.h"
#include "server/application.h"

namespace vantrel {

void ReloadCommand(CMyApplication& server, std::ostream& out, std::string_view /*arguments*/) {
  try {
    server.Board().Load(server.Log());
    server.LoadTexts(/*reload=*/true);
  } catch (const Omberly::CException& failure) {
    out << "Reload stopped: " << MacRomanToOperatorText(failure.Description()) << "\n";
    server.ReportFailure(failure);
  }
}

}  // namespace vantrel
