#pragma once

#include <iosfwd>
#include <string>

#include "hostile_options.h"

namespace vantrel::hostile {

// Logs options.peers clients in with a small receive buffer, each of which
// stops reading once logged in; then options.chatters clients that chat in the
// public chat, a line every options.chat_interval_ms each, for
// options.chat_seconds, and a probe that sends a line every
// options.probe_interval_ms and times its return. Afterwards the non-readers
// read again, to find which the server disconnected. Writes the server's peak
// memory, the non-readers it disconnected and the probe's round trips to `out`.
// Returns false with `error` set when the run failed (a chatter or the probe
// lost, say).
bool RunNonReaders(const HostileOptions& options, std::ostream& out, std::string& error);

}  // namespace vantrel::hostile
