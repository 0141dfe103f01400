#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "server/user_identity.h"
#include "support/server_fixture.h"

namespace vantrel::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr uint32_t kSecondLoopback = 0x7F000002;

class UserList : public ::testing::Test {
 protected:
  // Sends 304 and waits for the 301 it causes (the sender, logged in, gets it too).
  std::optional<Received> SetUserInfo(TestClient& client, const UFieldData& fields) {
    client.SendRequest(kTranSetUserInfo, fields);
    return client.WaitRequest(kTranUserChanged);
  }
  // `setter` sends 304 with a nickname, an icon and options; the 301 `observer` receives.
  static std::optional<Received> Announced(TestClient& setter, TestClient& observer,
                                           std::string nickname, uint32_t icon, uint32_t options) {
    UFieldData fields;
    fields.AddText(kFieldNickname, nickname);
    fields.AddInteger(kFieldIcon, icon);
    fields.AddInteger(kFieldOptions, options);
    setter.SendRequest(kTranSetUserInfo, fields);
    return observer.WaitRequest(kTranUserChanged);
  }

  ServerFixture fixture_;
};

TEST_F(UserList, ListsLoggedInClientsInConnectionOrder) {
  auto ann = fixture_.ConnectLoggedIn();
  auto ghost = fixture_.ConnectClient();
  auto bo = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(ann && ghost && bo);
  fixture_.Session(0).display_name = "Ann";
  fixture_.Session(0).icon = 128;
  fixture_.Session(0).privileges.Set(22);
  fixture_.Session(1).display_name = "Ghost";
  fixture_.Session(2).display_name = "Bo";
  fixture_.Session(2).icon = -2;
  fixture_.Session(2).away = true;

  const auto reply = ann->Call(kTranGetUserList);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->header.error, 0u);
  EXPECT_THAT(Bytes(reply->fields),
              ElementsAreArray<uint8_t>({0x00, 0x02,                          // two entries
                                         0x01, 0x2C, 0x00, 0x0B,              // field 300, 11 bytes
                                         0x00, 0x01, 0x00, 0x80, 0x00, 0x02,  // ID 1, icon 128, 2
                                         0x00, 0x03, 'A',  'n',  'n',         //
                                         0x01, 0x2C, 0x00, 0x0A,              // field 300, 10 bytes
                                         0x00, 0x03, 0xFF, 0xFE, 0x00, 0x21,  // ID 3, icon -2, 33
                                         0x00, 0x02, 'B',  'o'}));
}

TEST_F(UserList, UserChangedWidensANegativeIconAndOmitsAnEmptyName) {
  auto observer = fixture_.ConnectLoggedIn();
  auto setter = fixture_.ConnectAs("", {10});  // no name of its own: its display name stays empty
  ASSERT_TRUE(observer && setter);
  // -3 as the client sends it, in 2 bytes.
  const auto changed = Announced(*setter, *observer, "Zed", 0xFFFD, 0);
  ASSERT_TRUE(changed);
  EXPECT_THAT(Bytes(changed->fields),
              ElementsAre(0x00, 0x03,                                      // three fields
                          0x00, 0x67, 0x00, 0x02, 0x00, 0x02,              // 103: user ID 2
                          0x00, 0x68, 0x00, 0x04, 0xFF, 0xFF, 0xFF, 0xFD,  // 104: -3 in 4 bytes
                          0x00, 0x70, 0x00, 0x02, 0x00, 0x00));            // 112: no flags
  EXPECT_EQ(fixture_.Session(1).icon, -3);
}

TEST_F(UserList, AnyNamePrivilegeShowsTheCleanedNicknameAndOthersTheirAccountName) {
  auto observer = fixture_.ConnectLoggedIn();
  auto setter = fixture_.ConnectAs("", {26});
  auto guest = fixture_.ConnectAs("Guest Account", {10});
  ASSERT_TRUE(observer && setter && guest);
  const auto changed = Announced(*setter, *observer, "a\tb", 7, 2);
  ASSERT_TRUE(changed);
  EXPECT_THAT(Bytes(changed->fields),
              ElementsAre(0x00, 0x04,                          //
                          0x00, 0x67, 0x00, 0x02, 0x00, 0x02,  // 103: user ID 2
                          0x00, 0x68, 0x00, 0x02, 0x00, 0x07,  // 104: icon 7
                          0x00, 0x70, 0x00, 0x02, 0x00, 0x08,  // 112: refuses private chat
                          0x00, 0x66, 0x00, 0x03, 'a', '*', 'b'));

  fixture_.Session(2).account_name = "Guest Account";
  const auto guest_changed = Announced(*guest, *observer, "Mallory", 7, 0);
  ASSERT_TRUE(guest_changed);
  EXPECT_EQ(guest_changed->fields.ReadText(kFieldNickname, 256), "Guest Account");
  EXPECT_EQ(fixture_.Session(2).nickname, "Mallory");
}

TEST_F(UserList, SetUserInfoTakesOptionsAndTheAutoResponseWithoutReplying) {
  auto client = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(client);
  ClientSession& session = fixture_.Session(0);

  UFieldData refuse_and_respond;
  refuse_and_respond.AddInteger(kFieldOptions, 1 | 4);
  ASSERT_TRUE(SetUserInfo(*client, refuse_and_respond));
  EXPECT_TRUE(client->StaysQuiet(milliseconds(20)));  // 304 has no reply
  EXPECT_TRUE(session.refuses_private_messages);
  EXPECT_FALSE(session.refuses_private_chat);
  EXPECT_EQ(session.auto_response_text, "I'm not able to respond right now. Please try later!");

  UFieldData long_text;
  long_text.AddInteger(kFieldOptions, 4);
  long_text.AddText(kFieldAutoResponse, std::string(200, 'r'));
  ASSERT_TRUE(SetUserInfo(*client, long_text));
  EXPECT_FALSE(session.refuses_private_messages);
  EXPECT_EQ(session.auto_response_text, std::string(127, 'r'));

  UFieldData off;
  off.AddText(kFieldAutoResponse, "ignored while off");
  ASSERT_TRUE(SetUserInfo(*client, off));
  EXPECT_FALSE(session.auto_response_on);
  EXPECT_EQ(session.auto_response_text, "");
  EXPECT_EQ(session.nickname, "***");  // no field 102
}

TEST_F(UserList, The27thSetUserInfoWithin60SecondsBans) {
  auto client = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(client);
  UFieldData fields;
  fields.AddText(kFieldNickname, "Spam");
  for (int i = 0; i < 26; ++i) {
    fixture_.Clock().Advance(2);
    ASSERT_TRUE(SetUserInfo(*client, fields)) << "request " << i + 1;
  }
  client->SendRequest(kTranSetUserInfo, fields);
  EXPECT_TRUE(client->WaitClosed());
  EXPECT_THAT(fixture_.LogLines(), Contains("127.0.0.1|Autobanned for flooding"));
  EXPECT_TRUE(fixture_.Server().Bans().Temporary().IsBanned(kLoopback, fixture_.Clock().Seconds()));
}

TEST_F(UserList, UserIdsWrapToOneAfter65535) {
  fixture_.Server().Core().Clients().SetLastUserId(65534);
  auto last = fixture_.ConnectClient();
  auto wrapped = fixture_.ConnectClient();
  ASSERT_TRUE(last && wrapped);
  EXPECT_EQ(fixture_.Session(0).user_id, 65535);
  EXPECT_EQ(fixture_.Session(1).user_id, 1);
}

TEST_F(UserList, AccountChangesReachItsUsersOnly) {
  auto observer = fixture_.ConnectLoggedIn();
  auto bob = fixture_.ConnectLoggedIn();
  auto bobby = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(observer && bob && bobby);
  for (size_t i : {1, 2}) {
    fixture_.Session(i).nickname = "Bobby";
    fixture_.Session(i).account_name = fixture_.Session(i).display_name = "Bob";
  }
  fixture_.Session(1).login = "bob";
  fixture_.Session(2).login = "bobby";
  AccessPrivileges any_name;
  any_name.Set(kPrivilegeAnyName);

  RefreshFromAccount(fixture_.Server().Core().Clients(), "bob",
                     AccountIdentity{any_name, "Robert", "bob"});
  const auto access = bob->WaitRequest(kTranUserAccess);
  ASSERT_TRUE(access);
  EXPECT_THAT(Bytes(access->fields), ElementsAre(0, 1, 0, 110, 0, 8, 0, 0, 0, 0x20, 0, 0, 0, 0));
  const auto changed = observer->WaitRequest(kTranUserChanged);
  ASSERT_TRUE(changed);
  EXPECT_EQ(changed->fields.ReadInteger(kFieldUserId), 2u);
  EXPECT_EQ(changed->fields.ReadText(kFieldNickname, 256), "Bobby");  // its own name now
  EXPECT_EQ(fixture_.Session(1).account_name, "Robert");
  EXPECT_EQ(fixture_.Session(2).account_name, "Bob");
  EXPECT_FALSE(bobby->WaitRequest(kTranUserAccess, milliseconds(20)));
}

TEST_F(UserList, DeletedAccountDisconnectsItsUsersWithAMessage) {
  auto admin = fixture_.ConnectLoggedIn();
  auto bob = fixture_.ConnectLoggedIn();
  auto bystander = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(admin && bob && bystander);
  fixture_.Session(0).display_name = "Admin";
  fixture_.Session(1).login = "bob";  // no display name: logged by its address
  fixture_.Session(2).login = "bobby";

  ServerCore& core = fixture_.Server().Core();
  DisconnectUsersOfDeletedAccount(core.Clients(), core.Log(), core, "bob", fixture_.Session(0));
  const auto message = bob->WaitRequest(kTranServerMessage);
  ASSERT_TRUE(message);
  EXPECT_EQ(message->fields.ReadText(kFieldData, 256),
            "You are logged in with an account which was deleted.");
  EXPECT_TRUE(bob->WaitClosed());
  EXPECT_THAT(fixture_.LogLines(), Contains("Admin|Disconnect \xD2"
                                            "127.0.0.1\xD3"));
  ASSERT_TRUE(admin->WaitRequest(kTranUserLeft));
  EXPECT_EQ(fixture_.Server().Core().Clients().Size(), 2u);
}

}  // namespace
}  // namespace vantrel::testing
