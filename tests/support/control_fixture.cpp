#include "support/control_fixture.h"

namespace vantrel::testing {

ControlFixture::ControlFixture()
    : fixture_(/*start=*/true, [this](const LogWindow::EchoedLine& line) { desk_.LogLine(line); }),
      path_(fixture_.Folder() / "control.sock"),
      control_(fixture_.Io(), fixture_.Server(), desk_) {
  fixture_.Server().Core().SetOperator(&desk_);
  control_.Open(path_);
}

}  // namespace vantrel::testing
