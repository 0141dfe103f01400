#include "platform/open_file_limit.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

namespace vantrel {
namespace {

TEST(OpenFileLimit, RaisesTheSoftLimitToTheHardLimitAndSaysWhatItWas) {
  rlimit limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
  if (limit.rlim_max == RLIM_INFINITY || limit.rlim_max < 64) {
    GTEST_SKIP() << "needs a bounded hard limit of at least 64 open files";
  }
  const rlim_t lowered = limit.rlim_max / 2;
  rlimit soft = limit;
  soft.rlim_cur = lowered;
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &soft), 0);

  const OpenFileLimit raised = RaiseOpenFileLimit();
  EXPECT_EQ(raised.before, lowered);
  EXPECT_EQ(raised.now, limit.rlim_max);
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &soft), 0);
  EXPECT_EQ(soft.rlim_cur, limit.rlim_max);

  const OpenFileLimit again = RaiseOpenFileLimit();  // already at the hard limit
  EXPECT_EQ(again.before, limit.rlim_max);
  EXPECT_EQ(again.now, limit.rlim_max);
}

}  // namespace
}  // namespace vantrel
