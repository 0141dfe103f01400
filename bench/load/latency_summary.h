#pragma once

#include <cstdint>
#include <vector>

namespace vantrel::load {

// Median and 99th percentile of a set of latencies, in microseconds.
struct LatencySummary {
  double median_us = 0;
  double p99_us = 0;
};

// The nearest-rank percentiles of `samples` (which it sorts). Both are 0 for
// an empty set.
LatencySummary Summarize(std::vector<uint32_t>& samples);

// The nearest-rank `percent` percentile of sorted samples: the smallest sample
// with at least `percent` % of all samples at or below it.
// REQUIRES: `sorted` is sorted and not empty; 0 < percent <= 100.
uint32_t NearestRank(const std::vector<uint32_t>& sorted, double percent);

}  // namespace vantrel::load
