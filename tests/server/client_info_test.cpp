#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "server/client_info.h"
#include "support/server_fixture.h"

namespace vantrel::testing {
namespace {

using ::testing::StartsWith;

TEST(SizeText, KilobytesAndMegabytesWithATenthsDigitWhenNotZero) {
  const std::pair<uint32_t, const char*> cases[] = {
      {0, "0K"},           {1, "<1K"},           {1023, "<1K"},         {1024, "1K"},
      {2047, "1K"},        {1'048'575, "1023K"}, {1'048'576, "1M"},     {1'153'433, "1M"},
      {1'153'434, "1.1M"}, {10'485'759, "9.9M"}, {734'003'200, "700M"}, {4'294'967'295, "4095.9M"},
      {1'572'864, "1.4M"},  // the tenths formula falls just short of a half at 1.5 MB
  };
  for (const auto& [size, text] : cases) EXPECT_EQ(SizeText(size), text) << size;
}

TEST(PercentDone, OnlyOnceConnectedCappedAt100) {
  EXPECT_EQ(PercentDone({"a", 1000, 500, false}), 0u);
  EXPECT_EQ(PercentDone({"a", 1099, 109, true}), 10u);  // whole hundredths of the size
  EXPECT_EQ(PercentDone({"a", 1000, 5000, true}), 100u);
  EXPECT_LE(PercentDone({"a", 50, 25, true}), 100u);  // under 100 bytes: no division by 0
}

TEST(ClientInfoSections, TransferLinesPadAndCutTheirColumns) {
  const std::vector<TransferInProgress> transfers = {
      {"Holiday Pictures Collection.zip", 1'153'434, 576'717, true},
      {"a.txt", 0, 0, false},
      {"done.bin", 2048, 2048, true},
  };
  EXPECT_EQ(TransferSection(transfers),
            "Holiday Pictures Coll 50%  1.1M\r"
            "a.txt                 0%   0K\r"
            "done.bin              100% 2K\r");
}

TEST(ClientInfoSections, WaitingLinesNameTheKind) {
  EXPECT_EQ(WaitingSection(std::vector<WaitingDownload>{{"Music", true}, {"readme.txt", false}}),
            "Music                 (Folder)\r"
            "readme.txt            (File)\r");
}

TEST(ClientInfoSections, WholeTextIsCutAt1024Bytes) {
  ClientSession client(nullptr, 0x7F000001, 1, 0);
  client.display_name = "Kay";
  ClientTransfers transfers;
  transfers.file_downloads.assign(30, {"x", 4'294'967'295u, 0, true});
  transfers.file_uploads = transfers.file_downloads;
  const std::string text = ClientInfoText(client, transfers);
  EXPECT_EQ(text.size(), 1024u);
  EXPECT_THAT(text, StartsWith("Nickname:   Kay\rName:       \rAccount:    \r"));
}

class ClientInfo : public ::testing::Test {
 protected:
  // A logged-in requester that may get client information.
  std::unique_ptr<TestClient> ConnectRequester() { return fixture_.ConnectAs("", {24}); }
  static std::optional<Received> Info(TestClient& requester, uint16_t user_id) {
    UFieldData request;
    request.AddInteger(kFieldUserId, user_id);
    return requester.Call(kTranGetClientInfo, request);
  }

  ServerFixture fixture_;
};

TEST_F(ClientInfo, ClientWithoutTransfersGetsFiveNoneSections) {
  auto requester = ConnectRequester();
  auto target = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(requester && target);
  ClientSession& session = *fixture_.Server().Core().Clients().All()[1];
  session.display_name = "Kay";
  session.account_name = "Kay Smith";
  session.login = "kay";

  const auto reply = Info(*requester, session.user_id);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->header.error, 0u);
  EXPECT_EQ(reply->fields.ReadText(kFieldData, 2048),
            "Nickname:   Kay\r"
            "Name:       Kay Smith\r"
            "Account:    kay\r"
            "Address:    127.0.0.1\r"
            "\r"
            "-------- File Downloads ---------\r\rNone.\r"
            "\r"
            "------- Folder Downloads --------\r\rNone.\r"
            "\r"
            "--------- File Uploads ----------\r\rNone.\r"
            "\r"
            "-------- Folder Uploads ---------\r\rNone.\r"
            "\r"
            "------- Waiting Downloads -------\r\rNone.\r");
  EXPECT_EQ(reply->fields.ReadText(kFieldNickname, 256), "Kay");
}

TEST_F(ClientInfo, RefusalsKeepTheConnection) {
  auto requester = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(requester);
  EXPECT_EQ(ErrorText(Info(*requester, 1)), "You are not allowed to get client information.");
  fixture_.Session(0).privileges.Set(24);
  EXPECT_EQ(ErrorText(Info(*requester, 999)),
            "Cannot get info for the specified client because it does not exist.");
  EXPECT_TRUE(requester->Call(kTranKeepAlive));
}

}  // namespace
}  // namespace vantrel::testing
