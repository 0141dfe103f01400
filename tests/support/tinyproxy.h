#pragma once

#include <sys/types.h>
#include <cstdint>
#include <string>

#include "support/temporary_folder.h"

namespace vantrel::testing {

// The Debian tinyproxy, started as a child process on a free port of 127.0.0.1
// with its own configuration (clients of 127.0.0.1 only), and ended, by its
// process ID, when the object goes away.
class Tinyproxy {
 public:
  Tinyproxy();
  ~Tinyproxy();

  Tinyproxy(const Tinyproxy&) = delete;
  Tinyproxy& operator=(const Tinyproxy&) = delete;

  // False when the program is missing or did not start listening; Why() says which.
  bool Running() const { return pid_ > 0; }
  const std::string& Why() const { return why_; }
  uint16_t Port() const { return port_; }

 private:
  TemporaryFolder folder_;
  uint16_t port_ = 0;
  pid_t pid_ = -1;
  std::string why_;
};

}  // namespace vantrel::testing
