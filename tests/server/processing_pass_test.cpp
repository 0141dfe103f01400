#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "support/server_fixture.h"

namespace vantrel::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;

constexpr uint32_t kSecondLoopback = 0x7F000002;
constexpr uint32_t kThirdLoopback = 0x7F000003;

std::vector<uint8_t> HeaderBytes(uint16_t type, uint32_t id, uint32_t total, uint32_t data) {
  return {0,
          0,
          uint8_t(type >> 8),
          uint8_t(type),
          uint8_t(id >> 24),
          uint8_t(id >> 16),
          uint8_t(id >> 8),
          uint8_t(id),
          0,
          0,
          0,
          0,
          uint8_t(total >> 24),
          uint8_t(total >> 16),
          uint8_t(total >> 8),
          uint8_t(total),
          uint8_t(data >> 24),
          uint8_t(data >> 16),
          uint8_t(data >> 8),
          uint8_t(data)};
}

class ProcessingPass : public ::testing::Test {
 protected:
  ServerFixture fixture_;
};

TEST_F(ProcessingPass, ValidHandshakeIsAcceptedAndClientGetsFirstUserId) {
  auto client = fixture_.Connect();
  client->SendHandshake(1, 2);
  EXPECT_THAT(*client->ReadRaw(8), ElementsAre('T', 'R', 'T', 'P', 0, 0, 0, 0));
  fixture_.RunPass();
  ASSERT_EQ(fixture_.Server().Clients().Size(), 1u);
  EXPECT_EQ(fixture_.Server().Clients().All()[0]->user_id, 1);
  EXPECT_THAT(fixture_.LogLines(), Contains("127.0.0.1|Connection established"));
  EXPECT_EQ(fixture_.Server().Stats().current_connections, 1u);
}

TEST_F(ProcessingPass, VersionTwoIsRefusedAndTheConnectionEnds) {
  auto client = fixture_.Connect();
  client->SendHandshake(2, 2);
  EXPECT_THAT(*client->ReadRaw(8), ElementsAre('T', 'R', 'T', 'P', 0, 0, 0, 1));
  EXPECT_TRUE(client->WaitClosed());
  EXPECT_THAT(fixture_.LogLines(), Contains("127.0.0.1|Killed unknown protocol!"));
  EXPECT_TRUE(fixture_.Server().Clients().Empty());
}

TEST_F(ProcessingPass, GarbageHandshakeIsClosedWithoutAnswer) {
  auto client = fixture_.Connect();
  client->SendRaw(std::vector<uint8_t>{'G', 'E', 'T', ' ', '/', ' ', 'H', 'T', 'T', 'P', '/', '1'});
  EXPECT_TRUE(client->WaitClosed());
  EXPECT_FALSE(client->ReadRaw(1, milliseconds(10)).has_value());
  EXPECT_TRUE(fixture_.Logged("Killed unknown protocol!"));
}

TEST_F(ProcessingPass, SubVersionOneIsRefusedThenClosedGracefully) {
  auto client = fixture_.Connect();
  client->SendHandshake(1, 1);
  EXPECT_THAT(*client->ReadRaw(8), ElementsAre('T', 'R', 'T', 'P', 0, 0, 0, 1));
  EXPECT_TRUE(client->WaitClosed());
  EXPECT_TRUE(fixture_.Logged("Incompatible version (VANT1)"));
  EXPECT_TRUE(fixture_.Server().Clients().Empty());
}

TEST_F(ProcessingPass, SilentConnectionStaysPendingWithoutTimeLimit) {
  auto client = fixture_.Connect();
  client->SendRaw(std::vector<uint8_t>{'T', 'R', 'T'});
  fixture_.AdvanceAndPass(100000);
  EXPECT_TRUE(client->StaysQuiet(milliseconds(20)));
  client->SendRaw(std::vector<uint8_t>{'P', 'V', 'A', 'N', 'T', 0, 1, 0, 2});
  EXPECT_THAT(*client->ReadRaw(8), ElementsAre('T', 'R', 'T', 'P', 0, 0, 0, 0));
}

TEST_F(ProcessingPass, KeepAliveGetsAnEmptyReply) {
  auto client = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(client);
  client->SendRequest(kTranKeepAlive);
  EXPECT_THAT(*client->ReadRaw(22),
              ElementsAre(0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0));
}

TEST_F(ProcessingPass, UnknownTypeIsAnsweredAndTheConnectionStays) {
  auto client = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(client);
  const uint32_t id = client->SendRequest(999);
  const auto reply = client->WaitReply(id);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->header.error, 1u);
  EXPECT_EQ(reply->fields.ReadText(kFieldErrorText, 256), "Unknown transaction type!");
  EXPECT_THAT(fixture_.LogLines(), Contains("127.0.0.1|Received unknown transaction type!"));
  EXPECT_TRUE(client->WaitReply(client->SendRequest(kTranKeepAlive)).has_value());
}

TEST_F(ProcessingPass, LoginAgainAfterLoggingInIsAnUnknownType) {
  auto client = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(client);
  const auto reply = client->WaitReply(client->SendRequest(kTranLogin));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->fields.ReadText(kFieldErrorText, 256), "Unknown transaction type!");
}

TEST_F(ProcessingPass, OtherRequestsBeforeLoginDisconnect) {
  auto client = fixture_.ConnectClient();
  ASSERT_TRUE(client);
  client->SendRequest(kTranKeepAlive);
  EXPECT_TRUE(client->WaitClosed());
  fixture_.RunPass();
  EXPECT_TRUE(fixture_.Server().Clients().Empty());
  EXPECT_TRUE(fixture_.Logged("Connection closed"));
}

TEST_F(ProcessingPass, RequestInTwoChunksIsDispatchedOnce) {
  auto client = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(client);
  UFieldData fields;
  fields.AddText(kFieldData, std::string(94, 'x'));  // 2 + 4 + 94 = 100 bytes
  const size_t chunks[] = {60, 40};
  const uint32_t id = client->SendRequestInChunks(kTranKeepAlive, fields, chunks);
  EXPECT_TRUE(client->WaitReply(id).has_value());
  EXPECT_TRUE(client->StaysQuiet(milliseconds(20)));
}

TEST_F(ProcessingPass, ZeroSizedChunkEndsTheConnectionWithoutAnswer) {
  auto client = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(client);
  client->SendRaw(HeaderBytes(kTranKeepAlive, 1, 2, 0));
  EXPECT_TRUE(client->WaitClosed());
}

TEST_F(ProcessingPass, OversizedChunkEndsTheConnection) {
  auto client = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(client);
  client->SendRaw(HeaderBytes(kTranKeepAlive, 1, 524289, 2));
  EXPECT_TRUE(client->WaitClosed());
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
  EXPECT_EQ(fixture_.Server().Clients().Size(), 5u);
  EXPECT_TRUE(fixture_.ConnectClient(kSecondLoopback));
}

TEST_F(ProcessingPass, TwelfthConnectionInARowWithin30SecondsIsBanned) {
  fixture_.Server().Settings().max_connections_per_address = 0;
  for (int i = 0; i < 11; ++i) {
    fixture_.Clock().Advance(2);
    ASSERT_TRUE(fixture_.ConnectClient(kThirdLoopback)) << "connection " << i + 1;
  }
  auto twelfth = fixture_.Connect(kThirdLoopback);
  EXPECT_TRUE(twelfth->Handshake());
  EXPECT_TRUE(twelfth->WaitClosed());
  EXPECT_THAT(fixture_.LogLines(), Contains("127.0.0.3|Autobanned for flooding"));
  EXPECT_TRUE(
      fixture_.Server().TemporaryBans().IsBanned(kThirdLoopback, fixture_.Clock().Seconds()));
}

TEST_F(ProcessingPass, ConnectionFromAnotherAddressRestartsTheRun) {
  fixture_.Server().Settings().max_connections_per_address = 0;
  for (int i = 0; i < 11; ++i) ASSERT_TRUE(fixture_.ConnectClient(kThirdLoopback));
  ASSERT_TRUE(fixture_.ConnectClient(kSecondLoopback));
  for (int i = 0; i < 11; ++i) ASSERT_TRUE(fixture_.ConnectClient(kThirdLoopback));
  EXPECT_FALSE(fixture_.Logged("Autobanned for flooding"));
}

TEST_F(ProcessingPass, RunOlderThan30SecondsIsNotBanned) {
  fixture_.Server().Settings().max_connections_per_address = 0;
  for (int i = 0; i < 11; ++i) ASSERT_TRUE(fixture_.ConnectClient(kThirdLoopback));
  fixture_.Clock().Advance(30);
  EXPECT_TRUE(fixture_.ConnectClient(kThirdLoopback));
}

TEST_F(ProcessingPass, The122ndRequestWithin60SecondsDisconnectsAndBans) {
  auto client = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(client);
  for (int i = 0; i < 121; ++i) {
    ASSERT_TRUE(client->WaitReply(client->SendRequest(kTranKeepAlive))) << "request " << i + 1;
  }
  fixture_.Clock().Advance(59);
  client->SendRequest(kTranKeepAlive);
  EXPECT_TRUE(client->WaitClosed());
  EXPECT_TRUE(fixture_.Logged("Autobanned for flooding"));
  EXPECT_TRUE(
      fixture_.Server().TemporaryBans().IsBanned(testing::kLoopback, fixture_.Clock().Seconds()));
}

TEST_F(ProcessingPass, FloodWindowRestartsAfter60Seconds) {
  auto client = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(client);
  for (int i = 0; i < 121; ++i) ASSERT_TRUE(client->WaitReply(client->SendRequest(kTranKeepAlive)));
  fixture_.Clock().Advance(61);
  EXPECT_TRUE(client->WaitReply(client->SendRequest(kTranKeepAlive)));
}

TEST_F(ProcessingPass, ConnectionWithoutLoginClosesAfter60Seconds) {
  auto client = fixture_.ConnectClient();
  ASSERT_TRUE(client);
  fixture_.AdvanceAndPass(60);
  EXPECT_TRUE(client->StaysQuiet(milliseconds(20)));
  fixture_.AdvanceAndPass(1);
  EXPECT_TRUE(client->WaitClosed());
}

TEST_F(ProcessingPass, RefusedLoginClosesAfter30Seconds) {
  auto client = fixture_.ConnectClient();
  ASSERT_TRUE(client);
  fixture_.Server().Clients().All()[0]->failed_login_time = fixture_.Clock().Seconds();
  fixture_.AdvanceAndPass(30);
  EXPECT_TRUE(client->StaysQuiet(milliseconds(20)));
  fixture_.AdvanceAndPass(1);
  EXPECT_TRUE(client->WaitClosed());
}

TEST_F(ProcessingPass, IdleUserTurnsAwayAfter600SecondsAndBackWithAnyRequest) {
  auto observer = fixture_.ConnectLoggedIn(kSecondLoopback);
  auto idle = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(observer && idle);
  fixture_.AdvanceAndPass(600);
  EXPECT_FALSE(fixture_.Server().Clients().All()[1]->away);
  // The observer keeps itself active, so only the idle user turns away.
  ASSERT_TRUE(observer->WaitReply(observer->SendRequest(kTranKeepAlive)));
  fixture_.AdvanceAndPass(1);
  const auto away = observer->WaitRequest(kTranUserChanged);
  ASSERT_TRUE(away);
  EXPECT_EQ(away->fields.ReadInteger(kFieldUserId), 2u);
  EXPECT_EQ(away->fields.ReadInteger(kFieldStatusFlags) & 1, 1u);

  ASSERT_TRUE(idle->WaitReply(idle->SendRequest(kTranKeepAlive)));
  const auto back = observer->WaitRequest(kTranUserChanged);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->fields.ReadInteger(kFieldStatusFlags) & 1, 0u);
}

TEST_F(ProcessingPass, ClientThatNeverLoggedInStillCausesUserLeft) {
  auto observer = fixture_.ConnectLoggedIn(kSecondLoopback);
  auto passer = fixture_.ConnectClient();
  ASSERT_TRUE(observer && passer);
  passer->Close();
  const auto left = observer->WaitRequest(kTranUserLeft);
  ASSERT_TRUE(left);
  EXPECT_THAT(std::vector<uint8_t>(left->fields.Buffer().begin(), left->fields.Buffer().end()),
              ElementsAre(0, 1, 0, 103, 0, 2, 0, 2));
  EXPECT_EQ(fixture_.Server().Stats().current_connections, 1u);
}

}  // namespace
}  // namespace vantrel::testing
