#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>

#include "load_run.h"

namespace vantrel::load {

// Derived figures of a run, as reported; a figure the run did not measure (no
// server PID, or a phase the run limit came before) is absent.
struct ReportFigures {
  // Every client, or in a run the limit ended during the login phase the
  // logins whose announcements had all arrived (LoginsCoveredBy).
  size_t logins_done = 0;
  std::optional<double> logins_per_second;  // logins_done over the login phase's time
  std::optional<double> kib_per_idle_client;
  std::optional<double> burst_deliveries_per_second;
  std::optional<double> burst_median_ms;
  std::optional<double> burst_p99_ms;
  std::optional<double> burst_cpu_ms_per_1000;
  std::optional<double> paced_median_ms;
  std::optional<double> paced_p99_ms;
  std::optional<double> paced_cpu_ms_per_1000;
  // This tool's CPU time over the phase's time: near 1, the tool, not the
  // server, set the pace.
  std::optional<double> login_tool_share;
  std::optional<double> burst_tool_share;
};

ReportFigures Derive(const RunFigures& run);

// Writes the run for a reader, then one line "figures: key=value ..." for
// scripts (compare.sh reads it), with "-" for a figure not measured.
void PrintReport(const RunFigures& run, std::ostream& out);

}  // namespace vantrel::load
