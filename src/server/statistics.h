#pragma once

#include <cstdint>

namespace vantrel {

// The server's counters since start, never saved. Owned by the application.
struct Statistics {
  uint32_t current_connections = 0;
  uint32_t connection_peak = 0;
  uint32_t connection_counter = 0;

  // Raises the peak to the current count when it is lower.
  void Refresh() {
    if (current_connections > connection_peak) connection_peak = current_connections;
  }
};

}  // namespace vantrel
