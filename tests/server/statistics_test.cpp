#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "server/statistics.h"
#include "support/server_fixture.h"

namespace vantrel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

class StatisticsCounters : public ::testing::Test {
 protected:
  // Pumps the server until it has noticed that every client left.
  bool AllClientsGone() {
    const auto deadline = std::chrono::steady_clock::now() + kDefaultWait;
    while (!fixture_.Server().Core().Clients().Empty()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      fixture_.Poll();
    }
    return true;
  }

  ServerFixture fixture_;
};

TEST_F(StatisticsCounters, PeakCountsClientsAtOnceAndStaysAfterTheyLeave) {
  const Statistics& stats = fixture_.Server().Core().Stats();
  for (int i = 0; i < 10; ++i) {
    auto client = fixture_.ConnectClient();
    ASSERT_TRUE(client) << "client " << i + 1;
    client->Close();
    ASSERT_TRUE(AllClientsGone());
  }
  EXPECT_EQ(stats.connection_counter, 10u);
  EXPECT_EQ(stats.connection_peak, 1u);

  fixture_.Clock().Advance(31);  // past the run of connections that counts as a flood
  std::vector<std::unique_ptr<TestClient>> clients;
  for (int i = 0; i < 3; ++i) {
    clients.push_back(fixture_.ConnectClient());
    ASSERT_TRUE(clients.back());
  }
  clients.clear();
  ASSERT_TRUE(AllClientsGone());
  EXPECT_EQ(stats.current_connections, 0u);
  EXPECT_EQ(stats.connection_peak, 3u);
  EXPECT_EQ(stats.connection_counter, 13u);
}

TEST_F(StatisticsCounters, LinesFollowTheWindowsOrder) {
  Statistics& stats = fixture_.Server().Core().Stats();
  stats.current_connections = 2;
  stats.connection_peak = 7;
  stats.connection_counter = 40;
  stats.download_counter = 12;
  stats.upload_counter = 3;
  stats.SetLiveCounter([] { return LiveTransferCounts{5, 1, 4}; });

  // The fake clock's calendar at creation, as "%x %X" in the C locale.
  EXPECT_THAT(stats.Lines(),
              ElementsAre(Pair("Currently Connected:", "2"), Pair("Downloads in progress:", "5"),
                          Pair("Uploads in progress:", "1"), Pair("Waiting downloads:", "4"),
                          Pair("Connection Peak:", "7"), Pair("Connection Counter:", "40"),
                          Pair("Download Counter:", "12"), Pair("Upload Counter:", "3"),
                          Pair("Since:", "01/02/26 03:04:05")));
}

}  // namespace
}  // namespace vantrel::testing
