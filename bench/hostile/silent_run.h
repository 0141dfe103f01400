#pragma once

#include <iosfwd>
#include <string>

#include "hostile_options.h"

namespace vantrel::hostile {

// Connects options.peers clients that never send a byte, waits until the server
// has settled (its open descriptors and the connections it closed unchanged
// for a second), and writes the server's memory growth per connection, its
// open descriptors and how many connections it closed to `out`. Returns false
// with `error` set when the run failed.
bool RunSilent(const HostileOptions& options, std::ostream& out, std::string& error);

}  // namespace vantrel::hostile
