#pragma once

#include "platform/timer.h"
#include "server/core_services.h"
#include "server/statistics.h"

namespace asio {
class io_context;
}

namespace vantrel {

// What tracker registration uses of the server core and the platform, given by
// the composition root. Everything referred to must outlive the trackers capability.
struct TrackerServices {
  SettingsStore& settings;
  const Statistics& stats;  // current_connections is the users count sent
  FailureReporter& failures;
  TimerFactory& timers;
  asio::io_context& io;  // the event loop the datagram endpoint runs on
};

}  // namespace vantrel
