#pragma once

#include <iosfwd>

#include "load_run.h"

namespace vantrel::load {

// Derived figures of a run, as reported; a figure that could not be measured
// (no server PID) is negative.
struct ReportFigures {
  double logins_per_second = 0;
  double kib_per_idle_client = -1;
  double burst_deliveries_per_second = 0;
  double burst_median_ms = 0;
  double burst_p99_ms = 0;
  double burst_cpu_ms_per_1000 = -1;
  double paced_median_ms = 0;
  double paced_p99_ms = 0;
  double paced_cpu_ms_per_1000 = -1;
};

ReportFigures Derive(const RunFigures& run);

// Writes the run for a reader, then one line "figures: key=value ..." for
// scripts (compare.sh reads it).
void PrintReport(const RunFigures& run, std::ostream& out);

}  // namespace vantrel::load
