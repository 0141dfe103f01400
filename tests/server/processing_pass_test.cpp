#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "server/server_limits.h"
#include "support/server_fixture.h"

namespace vantrel::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;

constexpr uint32_t kSecondLoopback = 0x7F000002;
constexpr uint32_t kThirdLoopback = 0x7F000003;

// A request header with the given total and data sizes.
std::vector<uint8_t> HeaderBytes(uint16_t type, uint32_t id, uint32_t total, uint32_t data) {
  std::vector<uint8_t> bytes = {0, 0, uint8_t(type >> 8), uint8_t(type)};
  for (const uint32_t value : {id, 0u, total, data}) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(uint8_t(value >> shift));
  }
  return bytes;
}

class ProcessingPass : public ::testing::Test {
 protected:
  const Counters& Counted() { return fixture_.Server().Core().GetCounters(); }

  ServerFixture fixture_;
};

TEST_F(ProcessingPass, ValidHandshakeIsAcceptedAndClientGetsFirstUserId) {
  auto client = fixture_.Connect();
  client->SendHandshake(1, 2);
  EXPECT_THAT(*client->ReadRaw(8), ElementsAre('T', 'R', 'T', 'P', 0, 0, 0, 0));
  fixture_.RunPass();
  ASSERT_EQ(fixture_.Server().Core().Clients().Size(), 1u);
  EXPECT_EQ(fixture_.Session(0).user_id, 1);
  EXPECT_THAT(fixture_.LogLines(), Contains("127.0.0.1|Connection established"));
  EXPECT_EQ(fixture_.Server().Core().Stats().current_connections, 1u);
}

TEST_F(ProcessingPass, RefusedHandshakesAreClosedAndLogged) {
  const auto refuse = [&](std::vector<uint8_t> handshake, bool answered, std::string log) {
    auto client = fixture_.Connect();
    client->SendRaw(handshake);
    if (answered) {
      EXPECT_THAT(*client->ReadRaw(8), ElementsAre('T', 'R', 'T', 'P', 0, 0, 0, 1));
    }
    EXPECT_TRUE(client->WaitClosed());
    EXPECT_FALSE(client->ReadRaw(1, milliseconds(10)).has_value());
    EXPECT_THAT(fixture_.LogLines(), Contains("127.0.0.1|" + log));
  };
  refuse({'T', 'R', 'T', 'P', 'V', 'A', 'N', 'T', 0, 2, 0, 2}, true, "Killed unknown protocol!");
  refuse({'T', 'R', 'T', 'P', 'V', 'A', 'N', 'T', 0, 1, 0, 1}, true,
         "Incompatible version (VANT1)");
  refuse({'G', 'E', 'T', ' ', '/', ' ', 'H', 'T', 'T', 'P', '/', '1'}, false,
         "Killed unknown protocol!");
  EXPECT_TRUE(fixture_.Server().Core().Clients().Empty());
  EXPECT_EQ(Counted().refused_handshakes, 3u);
}

TEST_F(ProcessingPass, SilentConnectionStaysPendingWithoutTimeLimit) {
  auto client = fixture_.Connect();
  client->SendRaw(std::vector<uint8_t>{'T', 'R', 'T'});
  fixture_.AdvanceAndPass(100000);
  EXPECT_TRUE(client->StaysQuiet(milliseconds(20)));
  client->SendRaw(std::vector<uint8_t>{'P', 'V', 'A', 'N', 'T', 0, 1, 0, 2});
  EXPECT_THAT(*client->ReadRaw(8), ElementsAre('T', 'R', 'T', 'P', 0, 0, 0, 0));
}

TEST_F(ProcessingPass, OldestPendingConnectionMakesRoomPastTheCap) {
  std::vector<std::unique_ptr<TestClient>> silent;
  for (size_t i = 0; i < kMaxPendingConnections + 1; ++i) {
    silent.push_back(fixture_.Connect(kThirdLoopback));
    if (i % 64 == 0) fixture_.RunPass();
  }
  EXPECT_TRUE(silent.front()->WaitClosed());
  EXPECT_TRUE(silent.back()->Handshake());
  EXPECT_EQ(Counted().pending_dropped, 1u);
}

TEST_F(ProcessingPass, AcceptFailsForLackOfDescriptorsIsLoggedOnceAndResumes) {
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  auto first = fixture_.ConnectClient();
  ASSERT_TRUE(first);
  // Every descriptor below a tight limit is taken but two: the next two clients' own
  // sockets. The table may have gaps, so they are filled rather than counted.
  int highest = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    highest = std::max(highest, std::stoi(entry.path().filename().string()));
  }
  rlimit tight = saved;
  tight.rlim_cur = static_cast<rlim_t>(highest) + 3;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
  std::vector<int> fillers;
  for (int fd = ::open("/dev/null", O_RDONLY); fd >= 0; fd = ::open("/dev/null", O_RDONLY)) {
    fillers.push_back(fd);
  }
  ASSERT_GE(fillers.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    ::close(fillers.back());
    fillers.pop_back();
  }
  auto second = fixture_.Connect();
  auto third = fixture_.Connect();
  for (int i = 0; i < 20; ++i) fixture_.Poll();
  for (const int fd : fillers) ::close(fd);
  setrlimit(RLIMIT_NOFILE, &saved);
  first->Close();
  EXPECT_TRUE(second->Handshake());
  EXPECT_TRUE(third->Handshake());
  EXPECT_EQ(Counted().accept_failures, 1u);
  EXPECT_TRUE(fixture_.Logged("Accepting connections again"));
}

TEST_F(ProcessingPass, ClientDroppedForNotReadingIsLoggedByItsName) {
  auto client = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(client);
  ClientSession& session = fixture_.Session(0);
  session.display_name = "Slow Reader";
  UFieldData big;
  big.AddField(kFieldData, std::vector<uint8_t>(65535, 'x'));
  // Queued within one event, so none of it is written before the cap is passed.
  for (int i = 0; i <= 32 * 16 + 1 && session.connection->IsConnected(); ++i) {
    session.connection->SendRequest(kTranServerMessage, big);
  }
  EXPECT_TRUE(client->WaitClosed());
  fixture_.Poll();  // the transport's events
  EXPECT_THAT(fixture_.LogLines(),
              Contains("Slow Reader|Disconnected: the client stopped reading"));
  EXPECT_EQ(Counted().send_queue_drops, 1u);
}

TEST_F(ProcessingPass, UnknownTypeIsAnsweredAndTheConnectionStays) {
  auto client = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(client);
  // A second login is unknown once logged in.
  for (const uint16_t type : {uint16_t{999}, kTranLogin}) {
    const auto reply = client->Call(type);
    ASSERT_TRUE(reply);
    EXPECT_EQ(ErrorText(reply), "Unknown transaction type!");
  }
  EXPECT_THAT(fixture_.LogLines(), Contains("127.0.0.1|Received unknown transaction type!"));
  EXPECT_TRUE(client->Call(kTranKeepAlive));
}

TEST_F(ProcessingPass, OtherRequestsBeforeLoginDisconnect) {
  auto client = fixture_.ConnectClient();
  ASSERT_TRUE(client);
  client->SendRequest(kTranKeepAlive);
  EXPECT_TRUE(client->WaitClosed());
  fixture_.RunPass();
  EXPECT_TRUE(fixture_.Server().Core().Clients().Empty());
  EXPECT_TRUE(fixture_.Logged("Connection closed"));
}

TEST_F(ProcessingPass, ChunkSizesOfZeroOrOverTheMaximumEndTheConnectionUnanswered) {
  for (const auto& [total, data] :
       {std::pair<uint32_t, uint32_t>{0, 2}, {2, 0}, {524289, 2}, {2, 524289}}) {
    SCOPED_TRACE(std::to_string(total) + " / " + std::to_string(data));
    auto client = fixture_.ConnectLoggedIn();
    ASSERT_TRUE(client);
    client->SendRaw(HeaderBytes(kTranKeepAlive, 1, total, data));
    EXPECT_TRUE(client->WaitClosed());
    EXPECT_FALSE(client->ReadRaw(1, milliseconds(0)));
  }
}

TEST_F(ProcessingPass, SixthConnectionFromOneAddressIsAcceptedThenClosed) {
  std::vector<std::unique_ptr<TestClient>> clients;
  for (int i = 0; i < 5; ++i) {
    clients.push_back(fixture_.ConnectClient());
    ASSERT_TRUE(clients.back());
  }
  auto sixth = fixture_.Connect();
  EXPECT_TRUE(sixth->Handshake());
  EXPECT_TRUE(sixth->WaitClosed());
  EXPECT_EQ(fixture_.Server().Core().Clients().Size(), 5u);
  EXPECT_EQ(Counted().refused_per_address, 1u);
  EXPECT_TRUE(fixture_.ConnectClient(kSecondLoopback));
}

TEST_F(ProcessingPass, TwelfthConnectionInARowWithin30SecondsIsBanned) {
  fixture_.Server().Core().Settings().max_connections_per_address = 0;
  for (int i = 0; i < 11; ++i) {
    fixture_.Clock().Advance(2);
    ASSERT_TRUE(fixture_.ConnectClient(kThirdLoopback)) << "connection " << i + 1;
  }
  auto twelfth = fixture_.Connect(kThirdLoopback);
  EXPECT_TRUE(twelfth->Handshake());
  EXPECT_TRUE(twelfth->WaitClosed());
  EXPECT_THAT(fixture_.LogLines(), Contains("127.0.0.3|Autobanned for flooding"));
  EXPECT_EQ(Counted().AutoBans(AutoBanRule::kConnectionFlood), 1u);
  EXPECT_TRUE(
      fixture_.Server().Bans().Temporary().IsBanned(kThirdLoopback, fixture_.Clock().Seconds()));
}

TEST_F(ProcessingPass, RunRestartsWithAnotherAddressOrAfter30Seconds) {
  fixture_.Server().Core().Settings().max_connections_per_address = 0;
  for (int i = 0; i < 11; ++i) ASSERT_TRUE(fixture_.ConnectClient(kThirdLoopback));
  ASSERT_TRUE(fixture_.ConnectClient(kSecondLoopback));
  for (int i = 0; i < 11; ++i) ASSERT_TRUE(fixture_.ConnectClient(kThirdLoopback));
  fixture_.Clock().Advance(30);
  EXPECT_TRUE(fixture_.ConnectClient(kThirdLoopback));
  EXPECT_EQ(Counted().AutoBans(AutoBanRule::kConnectionFlood), 0u);
}

TEST_F(ProcessingPass, The122ndRequestWithin60SecondsDisconnectsAndBans) {
  auto client = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(client);
  for (int i = 0; i < 121; ++i) ASSERT_TRUE(client->Call(kTranKeepAlive)) << i + 1;
  fixture_.Clock().Advance(61);  // the window has run out: the next request starts a new one
  for (int i = 0; i < 121; ++i) ASSERT_TRUE(client->Call(kTranKeepAlive)) << i + 1;
  fixture_.Clock().Advance(59);
  client->SendRequest(kTranKeepAlive);
  EXPECT_TRUE(client->WaitClosed());
  EXPECT_EQ(Counted().AutoBans(AutoBanRule::kRequestFlood), 1u);
  EXPECT_TRUE(fixture_.Server().Bans().Temporary().IsBanned(kLoopback, fixture_.Clock().Seconds()));
}

TEST_F(ProcessingPass, ConnectionWithoutLoginClosesAfter60Seconds) {
  auto client = fixture_.ConnectClient();
  ASSERT_TRUE(client);
  fixture_.AdvanceAndPass(60);
  EXPECT_TRUE(client->StaysQuiet(milliseconds(20)));
  fixture_.AdvanceAndPass(1);
  EXPECT_TRUE(client->WaitClosed());
}

TEST_F(ProcessingPass, IdleUserTurnsAwayAfter600SecondsAndBackWithAnyRequest) {
  auto observer = fixture_.ConnectLoggedIn(kSecondLoopback);
  auto idle = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(observer && idle);
  fixture_.AdvanceAndPass(600);
  EXPECT_FALSE(fixture_.Session(1).away);
  // The observer keeps itself active, so only the idle user turns away.
  ASSERT_TRUE(observer->Call(kTranKeepAlive));
  fixture_.AdvanceAndPass(1);
  const auto away = observer->WaitRequest(kTranUserChanged);
  ASSERT_TRUE(away);
  EXPECT_EQ(away->fields.ReadInteger(kFieldUserId), 2u);
  EXPECT_EQ(away->fields.ReadInteger(kFieldStatusFlags) & 1, 1u);

  ASSERT_TRUE(idle->Call(kTranKeepAlive));
  const auto back = observer->WaitRequest(kTranUserChanged);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->fields.ReadInteger(kFieldStatusFlags) & 1, 0u);
}

TEST_F(ProcessingPass, ClientThatNeverLoggedInStillCausesUserLeft) {
  auto observer = fixture_.ConnectLoggedIn(kSecondLoopback);
  auto passer = fixture_.ConnectClient();
  ASSERT_TRUE(observer && passer);
  passer->Close();
  EXPECT_THAT(Bytes(observer->WaitRequest(kTranUserLeft)), ElementsAre(0, 1, 0, 103, 0, 2, 0, 2));
  EXPECT_EQ(fixture_.Server().Core().Stats().current_connections, 1u);
}

}  // namespace
}  // namespace vantrel::testing
