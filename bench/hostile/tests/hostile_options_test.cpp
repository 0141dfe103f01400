// The command line of vantrel_hostile.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostile_options.h"

namespace vantrel::hostile {
namespace {

using ::testing::HasSubstr;

std::optional<HostileOptions> Parse(std::vector<const char*> args, std::string& error) {
  args.insert(args.begin(), "vantrel_hostile");
  return ParseCommandLine(static_cast<int>(args.size()), args.data(), error);
}

TEST(HostileCommandLine, EachScenarioHasItsOwnNumberOfPeers) {
  std::string error;
  const auto silent = Parse({"silent", "--port", "5500", "--pid", "42"}, error);
  ASSERT_TRUE(silent) << error;
  EXPECT_EQ(silent->scenario, Scenario::kSilent);
  EXPECT_EQ(silent->peers, 10'000u);
  EXPECT_EQ(silent->server_pid, 42);
  EXPECT_EQ(Parse({"claims", "--port", "5500", "--pid", "42"}, error)->peers, 1000u);
  const auto readers = Parse({"non-readers", "--port", "5500", "--pid", "42", "--peers", "20",
                              "--seconds", "10", "--rcvbuf", "2048", "--interval", "600"},
                             error);
  ASSERT_TRUE(readers) << error;
  EXPECT_EQ(readers->peers, 20u);
  EXPECT_EQ(readers->chat_seconds, 10u);
  EXPECT_EQ(readers->receive_buffer, 2048);
  EXPECT_EQ(readers->chat_interval_ms, 600u);
}

TEST(HostileCommandLine, RefusesWhatWouldLeaveLoopbackOrTripFloodRules) {
  std::string error;
  EXPECT_FALSE(Parse({"silent", "--port", "5500", "--pid", "1", "--host", "10.0.0.1"}, error));
  EXPECT_THAT(error, HasSubstr("--host"));
  EXPECT_FALSE(Parse({"silent", "--port", "5500", "--pid", "1", "--source", "10.10.0.0"}, error));
  EXPECT_THAT(error, HasSubstr("--source"));
  EXPECT_FALSE(Parse({"silent", "--port", "5500"}, error));
  EXPECT_THAT(error, HasSubstr("--pid"));
  // A line every 599 ms is 101 a minute: past the chat byte-flood rule.
  EXPECT_FALSE(Parse({"non-readers", "--port", "5500", "--pid", "1", "--interval", "599"}, error));
  EXPECT_THAT(error, HasSubstr("--interval"));
  EXPECT_FALSE(
      Parse({"non-readers", "--port", "5500", "--pid", "1", "--probe-interval", "599"}, error));
  EXPECT_THAT(error, HasSubstr("--probe-interval"));
  // More than the server accepts in one transaction is refused at once, not a claim.
  EXPECT_FALSE(Parse({"claims", "--port", "5500", "--pid", "1", "--claim", "524289"}, error));
  EXPECT_THAT(error, HasSubstr("--claim"));
  // 9990 non-readers, 10 chatters and the probe: one source address too many.
  EXPECT_FALSE(Parse({"non-readers", "--port", "5500", "--pid", "1", "--peers", "9990"}, error));
  EXPECT_THAT(error, HasSubstr("chatters"));
  EXPECT_TRUE(Parse({"non-readers", "--port", "5500", "--pid", "1", "--peers", "9989"}, error));
  EXPECT_FALSE(Parse({"flood", "--port", "5500", "--pid", "1"}, error));
  EXPECT_THAT(error, HasSubstr("unknown scenario"));
  EXPECT_FALSE(Parse({"--help"}, error));
  EXPECT_EQ(error, "");
}

}  // namespace
}  // namespace vantrel::hostile
