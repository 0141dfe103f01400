#pragma once

#include <filesystem>

#include "app/control_server.h"
#include "app/operator_desk.h"
#include "support/server_fixture.h"

namespace vantrel::testing {

// The in-process server (ServerFixture) with the operator's desk as its
// operator and the control socket open at "control.sock" in its folder. Served
// only while the test pumps the fixture.
class ControlFixture {
 public:
  ControlFixture();

  ServerFixture& Fixture() { return fixture_; }
  OperatorDesk& Desk() { return desk_; }
  const std::filesystem::path& SocketPath() const { return path_; }

 private:
  OperatorDesk desk_;  // first: the sessions and the core's operator use it
  ServerFixture fixture_;
  std::filesystem::path path_;
  ControlServer control_;
};

}  // namespace vantrel::testing
