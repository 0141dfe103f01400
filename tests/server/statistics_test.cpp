#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "server/statistics.h"
#include "support/server_fixture.h"

namespace vantrel::testing {
namespace {

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

}  // namespace
}  // namespace vantrel::testing
