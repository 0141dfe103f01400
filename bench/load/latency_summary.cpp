#include "latency_summary.h"

#include <algorithm>
#include <cmath>

namespace vantrel::load {

uint32_t NearestRank(const std::vector<uint32_t>& sorted, double percent) {
  const double rank = std::ceil(percent / 100.0 * static_cast<double>(sorted.size()));
  const size_t index = rank < 1 ? 0 : static_cast<size_t>(rank) - 1;
  return sorted[std::min(index, sorted.size() - 1)];
}

LatencySummary Summarize(std::vector<uint32_t>& samples) {
  if (samples.empty()) return {};
  std::sort(samples.begin(), samples.end());
  return {static_cast<double>(NearestRank(samples, 50)),
          static_cast<double>(NearestRank(samples, 99))};
}

}  // namespace vantrel::load
