#pragma once

#include <cstdint>
#include <limits>

namespace vantrel {

// The process's limit on open files (RLIMIT_NOFILE): every connection holds
// one, so this soft limit, not the server, decides how many clients can be
// connected at once.

// A limit the system does not bound (RLIM_INFINITY).
inline constexpr uint64_t kUnlimitedOpenFiles = std::numeric_limits<uint64_t>::max();

// The soft limit on open files before and after RaiseOpenFileLimit().
struct OpenFileLimit {
  uint64_t before = 0;
  uint64_t now = 0;
};

// Raises the soft limit on open files to the hard limit, which any process may
// do. Returns the soft limit it found and the one in force afterwards: `now`
// equals `before` when the limit was already at the hard limit or the system
// refused the change; both are 0 when the limit cannot be read. Raises nothing.
OpenFileLimit RaiseOpenFileLimit();

}  // namespace vantrel
