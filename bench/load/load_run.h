#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "latency_summary.h"
#include "load_options.h"

namespace vantrel::load {

// The figures of one chat phase.
struct PhaseFigures {
  size_t lines = 0;
  size_t deliveries = 0;
  double seconds = 0;  // from the first send until the last delivery arrived
  LatencySummary latency;
  std::optional<double> server_cpu_seconds;  // with a server PID only
  std::optional<double> tool_cpu_seconds;    // this tool's own, to show it kept up
};

// The figures of one run.
struct RunFigures {
  Protocol protocol = Protocol::kVantrel;
  size_t clients = 0;
  size_t senders = 0;
  size_t lines = 0;  // per chat phase
  // The phase ("login", "idle", "burst" or "paced") in which the run limit
  // ended the run; empty when the run ended by itself.
  std::string bounded_phase;
  unsigned run_limit_seconds = 0;
  // From the first connect until every login and announcement, or until the
  // run limit when it ended the login phase.
  double login_seconds = 0;
  size_t logged_in = 0;  // clients whose login was done
  size_t announcements = 0;
  std::optional<double> login_server_cpu_seconds;  // with a server PID only
  std::optional<double> login_tool_cpu_seconds;
  std::optional<uint64_t> rss_before_kib;  // before the first connect
  std::optional<uint64_t> rss_idle_kib;    // with every client logged in and idle
  PhaseFigures burst;                      // left empty when the run ended before the phase
  PhaseFigures paced;
  std::optional<uint64_t> tool_peak_kib;  // this tool's most resident memory
  // Deliveries whose latency ends when the tool read them, not when they
  // arrived at its socket (the kernel gave no arrival time).
  size_t deliveries_timed_at_read = 0;
};

// Runs the whole workload against the server: logs in every client (at most
// `login_window` logins in flight, at most `connecting` of them not yet
// admitted), reads the server's memory once they are all
// idle, sends the burst and then the paced lines, and checks that every line
// reached every client it should, exactly once. Each phase must end within the
// phase time-out. With a run limit, the run ends at the limit however far it
// got, and the figures of the phase it ended in cover what was done by then.
// Returns the figures, or nothing with `error` saying what went wrong (a refused
// login, a lost connection, missing deliveries at a phase time-out).
std::optional<RunFigures> RunLoad(const RunOptions& options, std::string& error);

}  // namespace vantrel::load
