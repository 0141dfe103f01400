// Failures that escape a handler or a pass: counted, logged, and answered by a
// server reset when they come too fast.
#include <cstdlib>

#include "platform/exception.h"
#include "platform/mac_roman.h"
#include "platform/terminal.h"
#include "server/server_core.h"

namespace vantrel {
namespace {

// Failures are counted in windows that start with the first failure after the
// previous window has run out.
constexpr uint32_t kErrorWindowSeconds = 300;
// More failures than this within one window reset the server.
constexpr uint16_t kErrorsBeforeReset = 100;
// More resets than this without a client connecting in between end the process.
constexpr uint16_t kResetsBeforeExit = 10;

constexpr int kExitAfterFailures = EXIT_FAILURE;

}  // namespace

void ServerCore::ReportFailure(const std::exception& failure) {
  if (handling_failure_) return;  // a failure while handling a failure is not reported again
  handling_failure_ = true;
  ++counters_.failures;
  const uint32_t now = clock_.Seconds();
  if (error_count_ == 0 || now - first_error_time_ > kErrorWindowSeconds) {
    error_count_ = 1;
    first_error_time_ = now;
  } else if (++error_count_ > kErrorsBeforeReset) {
    try {
      ResetServer();
    } catch (const std::exception&) {
      exit_handler_ ? exit_handler_(kExitAfterFailures) : std::exit(kExitAfterFailures);
    }
  }

  const auto* known = dynamic_cast<const Omberly::CException*>(&failure);
  const Omberly::CException error =
      known != nullptr ? *known : Omberly::CException(kErrorClassMemory, 0, failure.what());
  try {
    log_files_.Error(error);
  } catch (const Omberly::CException& unwritable) {
    // The error log itself cannot be written: the log window says so, and the
    // line goes to standard error so that the operator still sees it.
    log_.Line("", unwritable.Description());
    std::string line = ErrorLogLine(clock_.LocalTime(), error);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    WriteToStandardError(MacRomanToOperatorText(line));
  }
  handling_failure_ = false;
  RequestPass();
}

void ServerCore::ResetServer() {
  if (++reset_count_ > kResetsBeforeExit) {
    exit_handler_ ? exit_handler_(kExitAfterFailures) : std::exit(kExitAfterFailures);
    return;
  }
  ++counters_.resets;
  stats_.current_connections = 0;
  clients_.DropAll();
  for (Capability* capability : capabilities_) capability->ServerReset();
  transfer_connections_.clear();
  error_count_ = 0;
  log_.Line("", "SERVER RESET - too many errors");
  stats_.Refresh();
}

}  // namespace vantrel
