#include "platform/open_file_limit.h"

#include <sys/resource.h>

namespace vantrel {
namespace {

uint64_t AsCount(rlim_t limit) {
  return limit == RLIM_INFINITY ? kUnlimitedOpenFiles : static_cast<uint64_t>(limit);
}

}  // namespace

OpenFileLimit RaiseOpenFileLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return {};
  OpenFileLimit result{AsCount(limit.rlim_cur), AsCount(limit.rlim_cur)};
  if (limit.rlim_cur == limit.rlim_max) return result;
  // Some systems refuse an unbounded soft limit on open files even when the
  // hard limit is unbounded; the limit then stays where it was.
  rlimit raised = limit;
  raised.rlim_cur = limit.rlim_max;
  if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) result.now = AsCount(raised.rlim_cur);
  return result;
}

}  // namespace vantrel
