// The tool's bookkeeping: chat line texts, percentiles, /proc parsing and the
// books of a chat phase.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>
#include <vector>

#include "chat_line.h"
#include "chat_phase.h"
#include "codec_events.h"
#include "latency_summary.h"
#include "load_report.h"
#include "process_probe.h"

namespace vantrel::load {
namespace {

using testing::BytesOf;
using ::testing::HasSubstr;

TEST(ChatLine, NumberIsFoundBehindAnyPrefix) {
  EXPECT_EQ(FindChatLineNumber(BytesOf("\r        guest:  " + ChatLineText(1234))), 1234u);
  EXPECT_EQ(FindChatLineNumber(BytesOf("#L0000001")), 1u);
  EXPECT_EQ(FindChatLineNumber(BytesOf("no marker")), std::nullopt);
  EXPECT_EQ(FindChatLineNumber(BytesOf("#L00001")), std::nullopt);    // cut short
  EXPECT_EQ(FindChatLineNumber(BytesOf("#L00x0001")), std::nullopt);  // not a number
}

TEST(LatencySummary, NearestRankPercentiles) {
  std::vector<uint32_t> samples;
  for (uint32_t i = 100; i >= 1; --i) samples.push_back(i * 10);  // 10..1000, reversed
  const LatencySummary summary = Summarize(samples);
  EXPECT_EQ(summary.median_us, 500);
  EXPECT_EQ(summary.p99_us, 990);

  std::vector<uint32_t> one = {7};
  EXPECT_EQ(Summarize(one).p99_us, 7);
  std::vector<uint32_t> none;
  EXPECT_EQ(Summarize(none).median_us, 0);
}

TEST(ProcessProbe, StatCpuIsUtimePlusStimeAfterTheName) {
  // The name holds blanks and a parenthesis; utime 1234, stime 56.
  const char* stat =
      "4242 (a (b) c) S 1 4242 4242 0 -1 4194560 500 0 0 0 1234 56 0 0 20 0 1 0 100 1000 200";
  EXPECT_EQ(ParseStatCpuTicks(stat), 1290u);
  EXPECT_EQ(ParseStatCpuTicks("4242 (x) S 1 2 3"), std::nullopt);
  EXPECT_EQ(ParseStatCpuTicks("no name"), std::nullopt);
}

TEST(ProcessProbe, SchedstatRunTimeIsTheFirstField) {
  EXPECT_EQ(ParseSchedstatNanoseconds("296665907 61704201 60\n"), 296665907u);
  EXPECT_EQ(ParseSchedstatNanoseconds(""), std::nullopt);
}

TEST(ProcessProbe, StatusMemoryLines) {
  const char* status = "Name:\tx\nVmPeak:\t  9999 kB\nVmHWM:\t    5000 kB\nVmRSS:\t    4321 kB\n";
  EXPECT_EQ(ParseStatusKib(status, "VmRSS:"), 4321u);
  EXPECT_EQ(ParseStatusKib(status, "VmHWM:"), 5000u);
  EXPECT_EQ(ParseStatusKib("Name:\tx\n", "VmRSS:"), std::nullopt);
}

TEST(ProcessProbe, SockstatTcpMemoryIsTheTcpLinesMem) {
  const char* sockstat =
      "sockets: used 290\nMPTCP: inuse 0 mem 7\nTCP: inuse 5 orphan 0 tw 3 alloc 7 mem 1234\n"
      "UDP: inuse 2 mem 9\n";
  EXPECT_EQ(ParseSockstatTcpPages(sockstat), 1234u);
  EXPECT_EQ(ParseSockstatTcpPages("sockets: used 1\nUDP: inuse 2 mem 9\n"), std::nullopt);
}

TEST(ProcessProbe, ReadsThisProcess) {
  const auto before = ProcessCpuSeconds(getpid());
  ASSERT_TRUE(before.has_value());
  volatile uint64_t spin = 0;
  for (uint64_t i = 0; i < 50'000'000; ++i) spin = spin + i;  // some CPU time to count
  const auto after = ProcessCpuSeconds(getpid());
  ASSERT_TRUE(after.has_value());
  EXPECT_GT(*after, *before);
  const auto rss = ProcessRssKib(getpid());
  ASSERT_TRUE(rss.has_value());
  EXPECT_GT(*rss, 0u);
}

TEST(ChatPhase, CompleteWhenEveryLineReachedEveryClient) {
  ChatPhase phase(10, 2, 3);  // lines 10 and 11, three deliveries each
  const LoadClock::time_point sent{};
  phase.Sent(10, sent);
  phase.Sent(11, sent + std::chrono::milliseconds(5));
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(phase.Delivered(10, sent + std::chrono::milliseconds(i)), std::nullopt);
  }
  EXPECT_FALSE(phase.Complete());
  EXPECT_THAT(phase.Shortfall(), HasSubstr("3 of 6 deliveries arrived; line 11 reached 0 of 3"));
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(phase.Delivered(11, sent + std::chrono::milliseconds(5 + 10 * i)), std::nullopt);
  }
  EXPECT_TRUE(phase.Complete());
  const PhaseFigures figures = phase.Figures();
  EXPECT_EQ(figures.deliveries, 6u);
  EXPECT_DOUBLE_EQ(figures.seconds, 0.035);  // first send to the last delivery
  EXPECT_EQ(figures.latency.median_us, 3000);
  EXPECT_EQ(figures.latency.p99_us, 30000);
}

TEST(ChatPhase, RefusesStrayAndSurplusDeliveries) {
  ChatPhase phase(0, 1, 1);
  EXPECT_NE(phase.Delivered(0, {}), std::nullopt);  // not sent yet
  phase.Sent(0, {});
  EXPECT_EQ(phase.Delivered(0, {}), std::nullopt);
  EXPECT_NE(phase.Delivered(0, {}), std::nullopt);  // once too often
  EXPECT_NE(phase.Delivered(1, {}), std::nullopt);  // another phase's line
  EXPECT_EQ(phase.Deliveries(), 1u);
}

TEST(Report, BoundedLoginRateCountsOnlyLoginsWhoseAnnouncementsArrived) {
  RunFigures run;
  run.clients = 10'000;
  run.bounded_phase = "login";
  run.run_limit_seconds = 100;
  run.login_seconds = 100;
  run.logged_in = 3000;                                    // replied to
  run.announcements = ExpectedAnnouncements(2000) + 1500;  // short of 2001 logins' worth
  const ReportFigures figures = Derive(run);
  EXPECT_EQ(figures.logins_done, 2000u);
  EXPECT_DOUBLE_EQ(figures.logins_per_second.value_or(0), 20.0);
  EXPECT_FALSE(figures.burst_deliveries_per_second.has_value());

  std::ostringstream report;
  PrintReport(run, report);
  EXPECT_THAT(report.str(), HasSubstr("BOUNDED"));
  EXPECT_THAT(report.str(), HasSubstr(" bounded=login logins_done=2000 login_per_s=20.0 "));
  EXPECT_THAT(report.str(), HasSubstr(" burst_per_s=- "));

  run.bounded_phase.clear();  // the same run, had it ended by itself
  EXPECT_EQ(Derive(run).logins_done, 10'000u);
}

}  // namespace
}  // namespace vantrel::load
