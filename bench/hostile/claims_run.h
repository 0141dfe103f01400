#pragma once

#include <iosfwd>
#include <string>

#include "hostile_options.h"

namespace vantrel::hostile {

// Logs options.peers clients in as "guest" and reads the server's memory once
// they are idle; then has each send a request header announcing
// options.claim_bytes and one byte of them, and reads the memory again. Writes
// the growth per idle client and per claim (beyond the idle client) to `out`,
// with how many claimants the server closed. Returns false with `error` set
// when the run failed.
bool RunClaims(const HostileOptions& options, std::ostream& out, std::string& error);

}  // namespace vantrel::hostile
