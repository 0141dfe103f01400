// Transaction 110, Disconnect user, over the real server.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <string>

#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "support/server_fixture.h"
#include "support/temporary_folder.h"

namespace vantrel::testing {
namespace {

using ::testing::Contains;
using ::testing::Not;

constexpr uint32_t kTargetAddress = 0x7F000002;  // 127.0.0.2

class DisconnectUser : public ::testing::Test {
 protected:
  void SetUp() override {
    admin_ = fixture_.ConnectAs("Admin", {kPrivilegeDisconnectUsers});
    target_ = fixture_.ConnectLoggedIn(kTargetAddress);
    ASSERT_TRUE(admin_ && target_);
  }

  ClientSession& Admin() { return fixture_.Session(0); }
  ClientSession& Target() { return fixture_.Session(1); }

  std::optional<Received> Disconnect(uint32_t user_id, std::optional<uint32_t> options,
                                     std::string reason = {}) {
    UFieldData fields;
    fields.AddInteger(kFieldUserId, user_id);
    if (options) fields.AddInteger(kFieldOptions, *options);
    if (!reason.empty()) fields.AddText(kFieldData, reason);
    return admin_->Call(kTranDisconnectUser, fields);
  }

  static void ExpectEmptyReply(const std::optional<Received>& reply) {
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->header.error, 0u);
    EXPECT_EQ(reply->fields.Count(), 0u);
  }

  bool TemporarilyBanned(uint32_t address) {
    return fixture_.Server().Bans().Temporary().IsBanned(address, fixture_.Clock().Seconds());
  }

  ServerFixture fixture_;
  std::unique_ptr<TestClient> admin_;
  std::unique_ptr<TestClient> target_;
};

TEST_F(DisconnectUser, WithoutThePrivilegeIsRefused) {
  Admin().privileges.Clear(kPrivilegeDisconnectUsers);
  EXPECT_EQ(ErrorText(Disconnect(Target().user_id, 1)), "You are not allowed to disconnect users.");
  EXPECT_TRUE(target_->StaysQuiet(milliseconds(30)));
  EXPECT_FALSE(TemporarilyBanned(kTargetAddress));
}

TEST_F(DisconnectUser, AbsentUserGetsAnEmptyReply) {
  ExpectEmptyReply(Disconnect(999, 2, "gone"));
  EXPECT_TRUE(target_->StaysQuiet(milliseconds(30)));
  EXPECT_FALSE(std::filesystem::exists(fixture_.Folder() / "Banned"));
  EXPECT_THAT(fixture_.LogLines(), Not(Contains(::testing::HasSubstr("Disconnect"))));
}

TEST_F(DisconnectUser, ProtectedTargetIsNeitherToldBannedNorDisconnected) {
  Target().privileges.Set(kPrivilegeCannotBeDisconnected);
  Target().display_name = "Boss";
  EXPECT_EQ(ErrorText(Disconnect(Target().user_id, 2, "no")),
            "You are not allowed to disconnect user \xD2"
            "Boss\xD3 (user is protected).");
  EXPECT_TRUE(target_->StaysQuiet(milliseconds(30)));
  EXPECT_FALSE(fixture_.Server().Bans().Permanent().IsBanned(kTargetAddress));
  EXPECT_FALSE(std::filesystem::exists(fixture_.Folder() / "Banned"));
  EXPECT_TRUE(Target().connection->IsConnected());
}

TEST_F(DisconnectUser, PlainDisconnectClosesWithoutMessageOrBan) {
  Target().display_name = "Eve";
  ExpectEmptyReply(Disconnect(Target().user_id, 7));
  EXPECT_FALSE(target_->WaitRequest(kTranServerMessage, milliseconds(200)));
  EXPECT_TRUE(target_->WaitClosed());
  EXPECT_THAT(fixture_.LogLines(), Contains("Admin|Disconnect \xD2"
                                            "Eve\xD3"));
  EXPECT_FALSE(TemporarilyBanned(kTargetAddress));
  EXPECT_FALSE(fixture_.Server().Bans().Permanent().IsBanned(kTargetAddress));
}

TEST_F(DisconnectUser, Option1TellsTheUserAndBansItsAddressFor1800Seconds) {
  ExpectEmptyReply(Disconnect(Target().user_id, 1));
  EXPECT_EQ(DataText(target_->WaitRequest(kTranServerMessage)),
            "You are temporarily banned on this server.");
  EXPECT_TRUE(target_->WaitClosed());
  // No display name: the log names the address.
  EXPECT_THAT(fixture_.LogLines(), Contains("Admin|Disconnect & temporary ban \xD2"
                                            "127.0.0.2\xD3"));
  EXPECT_TRUE(TemporarilyBanned(kTargetAddress));
  EXPECT_FALSE(TemporarilyBanned(kLoopback));
  fixture_.Clock().Advance(1800);
  EXPECT_FALSE(TemporarilyBanned(kTargetAddress));
  EXPECT_FALSE(std::filesystem::exists(fixture_.Folder() / "Banned"));
}

TEST_F(DisconnectUser, Option2TellsTheUserAndBansItsAddressInBanned) {
  Target().display_name = "Mallory";
  ExpectEmptyReply(Disconnect(Target().user_id, 2, "spam " + std::string(70, 'x')));
  EXPECT_EQ(DataText(target_->WaitRequest(kTranServerMessage)),
            "You are permanently banned on this server.");
  EXPECT_TRUE(target_->WaitClosed());
  EXPECT_THAT(fixture_.LogLines(), Contains("Admin|Disconnect & permanent ban \xD2"
                                            "Mallory\xD3"));
  EXPECT_TRUE(fixture_.Server().Bans().Permanent().IsBanned(kTargetAddress));
  EXPECT_FALSE(fixture_.Server().Bans().Permanent().IsBanned(kLoopback));
  EXPECT_FALSE(TemporarilyBanned(kTargetAddress));

  const BanList saved = fixture_.Server().Bans().Permanent().ReadWorkingList();
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0].info_text, "spam " + std::string(58, 'x'));  // 63 bytes
}

TEST_F(DisconnectUser, PermanentBanThatCannotBeSavedStillBansAndDisconnects) {
  fixture_.Disk().FailChange(1, ENOSPC, FaultSpan::kFromThenOn);
  const auto reply = Disconnect(Target().user_id, 2);
  fixture_.Disk().Heal();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->header.error, 1u);
  EXPECT_THAT(reply->fields.ReadText(kFieldErrorText, 1024),
              ::testing::HasSubstr("\rCould not save the ban list \xD2"
                                   "Banned\xD3.\rID 4/"));
  EXPECT_TRUE(target_->WaitClosed());
  EXPECT_TRUE(fixture_.Server().Bans().Permanent().IsBanned(kTargetAddress));
  // Logging in again from the banned address is refused.
  auto again = fixture_.ConnectClient(kTargetAddress);
  ASSERT_TRUE(again);
  UFieldData login;
  login.AddText(kFieldUserLogin, "");
  const auto refused = again->Call(kTranLogin, login);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->fields.ReadText(kFieldErrorText, 256),
            "You are permanently banned on this server.");
}

}  // namespace
}  // namespace vantrel::testing
