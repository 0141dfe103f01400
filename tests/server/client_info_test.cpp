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

size_t CountLines(const std::string& text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\r'));
}

TEST(SizeText, SmallSizes) {
  EXPECT_EQ(SizeText(0), "0K");
  EXPECT_EQ(SizeText(1), "<1K");
  EXPECT_EQ(SizeText(1023), "<1K");
}

TEST(SizeText, Kilobytes) {
  EXPECT_EQ(SizeText(1024), "1K");
  EXPECT_EQ(SizeText(2047), "1K");
  EXPECT_EQ(SizeText(1'048'575), "1023K");
}

TEST(SizeText, MegabytesShowATenthsDigitWhenNotZero) {
  EXPECT_EQ(SizeText(1'048'576), "1M");
  EXPECT_EQ(SizeText(1'153'433), "1M");
  EXPECT_EQ(SizeText(1'153'434), "1.1M");
  // The tenths formula falls just short of a half at exactly 1.5 MB.
  EXPECT_EQ(SizeText(1'572'864), "1.4M");
  EXPECT_EQ(SizeText(10'485'759), "9.9M");
  EXPECT_EQ(SizeText(734'003'200), "700M");
  EXPECT_EQ(SizeText(4'294'967'295), "4095.9M");
}

TEST(PercentDone, WholeHundredthsOnlyOnceConnectedCappedAt100) {
  EXPECT_EQ(PercentDone({"a", 1000, 500, false}), 0u);
  EXPECT_EQ(PercentDone({"a", 0, 0, true}), 0u);
  EXPECT_EQ(PercentDone({"a", 1099, 109, true}), 10u);  // 109 / (1099 / 100)
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
  const std::vector<WaitingDownload> waiting = {{"Music", true}, {"readme.txt", false}};
  EXPECT_EQ(WaitingSection(waiting),
            "Music                 (Folder)\r"
            "readme.txt            (File)\r");
}

TEST(ClientInfoSections, EmptySectionsReadNone) {
  EXPECT_EQ(TransferSection({}), "None.\r");
  EXPECT_EQ(WaitingSection({}), "None.\r");
}

TEST(ClientInfoSections, EntriesStopWhenFewerThan40BytesAreFree) {
  // Every line is 35 bytes: 14 lines fill 490 of 512 bytes.
  const std::vector<TransferInProgress> transfers(30, {"x", 4'294'967'295u, 0, true});
  EXPECT_EQ(CountLines(TransferSection(transfers)), 14u);
  // Lines of 31 bytes: after 16 (496 bytes) only 16 are free.
  const std::vector<WaitingDownload> folders(30, {"f", true});
  EXPECT_EQ(CountLines(WaitingSection(folders)), 16u);
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
  std::unique_ptr<TestClient> ConnectRequester() {
    auto client = fixture_.ConnectLoggedIn();
    if (client) fixture_.Server().Clients().All().back()->privileges.Set(24);
    return client;
  }

  ServerFixture fixture_;
};

TEST_F(ClientInfo, ClientWithoutTransfersGetsFiveNoneSections) {
  auto requester = ConnectRequester();
  auto target = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(requester && target);
  ClientSession& session = *fixture_.Server().Clients().All()[1];
  session.display_name = "Kay";
  session.account_name = "Kay Smith";
  session.login = "kay";

  UFieldData request;
  request.AddInteger(kFieldUserId, session.user_id);
  const auto reply = requester->WaitReply(requester->SendRequest(kTranGetClientInfo, request));
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

TEST_F(ClientInfo, TransfersComeFromTheTransferLister) {
  auto requester = ConnectRequester();
  ASSERT_TRUE(requester);
  fixture_.Server().Clients().SetTransferLister([](const ClientSession&) {
    ClientTransfers transfers;
    transfers.folder_uploads.push_back({"Photos", 3 * 1'048'576, 1'048'576, true});
    return transfers;
  });
  UFieldData request;
  request.AddInteger(kFieldUserId, 1);
  const auto reply = requester->WaitReply(requester->SendRequest(kTranGetClientInfo, request));
  ASSERT_TRUE(reply);
  const std::string text = reply->fields.ReadText(kFieldData, 2048);
  EXPECT_NE(text.find("-------- Folder Uploads ---------\r\rPhotos                33%  3M\r\r"),
            std::string::npos)
      << text;
}

TEST_F(ClientInfo, WithoutPrivilege24IsRefused) {
  auto requester = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(requester);
  UFieldData request;
  request.AddInteger(kFieldUserId, 1);
  const auto reply = requester->WaitReply(requester->SendRequest(kTranGetClientInfo, request));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->header.error, 1u);
  EXPECT_EQ(reply->fields.ReadText(kFieldErrorText, 256),
            "You are not allowed to get client information.");
}

TEST_F(ClientInfo, AbsentUserIsAnErrorAndTheConnectionStays) {
  auto requester = ConnectRequester();
  ASSERT_TRUE(requester);
  UFieldData request;
  request.AddInteger(kFieldUserId, 999);
  const auto reply = requester->WaitReply(requester->SendRequest(kTranGetClientInfo, request));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->fields.ReadText(kFieldErrorText, 256),
            "Cannot get info for the specified client because it does not exist.");
  EXPECT_TRUE(requester->WaitReply(requester->SendRequest(kTranKeepAlive)));
}

TEST_F(ClientInfo, LookupTakesTheFirstClientWithTheId) {
  auto requester = ConnectRequester();
  ASSERT_TRUE(requester);
  fixture_.Server().Clients().All()[0]->display_name = "First";
  fixture_.Server().Clients().SetLastUserId(0);  // the next client gets ID 1 again
  auto twin = fixture_.ConnectClient();
  ASSERT_TRUE(twin);
  fixture_.Server().Clients().All()[1]->display_name = "Second";
  UFieldData request;
  request.AddInteger(kFieldUserId, 1);
  const auto reply = requester->WaitReply(requester->SendRequest(kTranGetClientInfo, request));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->fields.ReadText(kFieldNickname, 256), "First");
}

}  // namespace
}  // namespace vantrel::testing
