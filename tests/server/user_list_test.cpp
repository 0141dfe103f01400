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

std::vector<uint8_t> Bytes(const UFieldData& fields) {
  const auto buffer = fields.Buffer();
  return {buffer.begin(), buffer.end()};
}

AccessPrivileges WithBits(std::initializer_list<unsigned> bits) {
  AccessPrivileges privileges;
  for (unsigned bit : bits) privileges.Set(bit);
  return privileges;
}

class UserList : public ::testing::Test {
 protected:
  ClientSession& SessionAt(size_t index) { return *fixture_.Server().Clients().All()[index]; }

  // Sends 304 and waits for the 301 it causes (the sender, logged in, gets it too).
  std::optional<Received> SetUserInfo(TestClient& client, const UFieldData& fields) {
    client.SendRequest(kTranSetUserInfo, fields);
    return client.WaitRequest(kTranUserChanged);
  }

  ServerFixture fixture_;
};

TEST_F(UserList, ListsLoggedInClientsInConnectionOrder) {
  auto ann = fixture_.ConnectLoggedIn();
  auto ghost = fixture_.ConnectClient();
  auto bo = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(ann && ghost && bo);
  SessionAt(0).display_name = "Ann";
  SessionAt(0).icon = 128;
  SessionAt(0).privileges.Set(22);
  SessionAt(1).display_name = "Ghost";
  SessionAt(2).display_name = "Bo";
  SessionAt(2).icon = -2;
  SessionAt(2).away = true;

  const auto reply = ann->WaitReply(ann->SendRequest(kTranGetUserList));
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
  auto setter = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(observer && setter);
  SessionAt(1).privileges.Set(10);  // no name of its own: its display name stays empty
  UFieldData fields;
  fields.AddText(kFieldNickname, "Zed");
  fields.AddInteger(kFieldIcon, 0xFFFD);  // -3 as the client sends it, in 2 bytes
  setter->SendRequest(kTranSetUserInfo, fields);

  const auto changed = observer->WaitRequest(kTranUserChanged);
  ASSERT_TRUE(changed);
  EXPECT_THAT(Bytes(changed->fields),
              ElementsAre(0x00, 0x03,                                      // three fields
                          0x00, 0x67, 0x00, 0x02, 0x00, 0x02,              // 103: user ID 2
                          0x00, 0x68, 0x00, 0x04, 0xFF, 0xFF, 0xFF, 0xFD,  // 104: -3 in 4 bytes
                          0x00, 0x70, 0x00, 0x02, 0x00, 0x00));            // 112: no flags
  EXPECT_EQ(SessionAt(1).icon, -3);
}

TEST_F(UserList, AnyNamePrivilegeShowsTheCleanedNickname) {
  auto observer = fixture_.ConnectLoggedIn();
  auto setter = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(observer && setter);
  SessionAt(1).privileges.Set(26);
  UFieldData fields;
  fields.AddText(kFieldNickname, "a\tb");
  fields.AddInteger(kFieldIcon, 7);
  fields.AddInteger(kFieldOptions, 2);
  setter->SendRequest(kTranSetUserInfo, fields);

  const auto changed = observer->WaitRequest(kTranUserChanged);
  ASSERT_TRUE(changed);
  EXPECT_THAT(Bytes(changed->fields),
              ElementsAre(0x00, 0x04,                          //
                          0x00, 0x67, 0x00, 0x02, 0x00, 0x02,  // 103: user ID 2
                          0x00, 0x68, 0x00, 0x02, 0x00, 0x07,  // 104: icon 7
                          0x00, 0x70, 0x00, 0x02, 0x00, 0x08,  // 112: refuses private chat
                          0x00, 0x66, 0x00, 0x03, 'a', '*', 'b'));
}

TEST_F(UserList, WithoutAnyNamePrivilegeTheAccountNameStays) {
  auto observer = fixture_.ConnectLoggedIn();
  auto guest = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(observer && guest);
  SessionAt(1).privileges.Set(10);
  SessionAt(1).account_name = "Guest Account";
  SessionAt(1).display_name = "Guest Account";
  UFieldData fields;
  fields.AddText(kFieldNickname, "Mallory");
  guest->SendRequest(kTranSetUserInfo, fields);

  const auto changed = observer->WaitRequest(kTranUserChanged);
  ASSERT_TRUE(changed);
  EXPECT_EQ(changed->fields.ReadText(kFieldNickname, 256), "Guest Account");
  EXPECT_EQ(SessionAt(1).nickname, "Mallory");
}

TEST_F(UserList, SetUserInfoTakesOptionsAndTheAutoResponseWithoutReplying) {
  auto client = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(client);
  ClientSession& session = SessionAt(0);

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
  EXPECT_TRUE(fixture_.Server().TemporaryBans().IsBanned(kLoopback, fixture_.Clock().Seconds()));
}

TEST_F(UserList, UserIdsWrapToOneAfter65535) {
  fixture_.Server().Clients().SetLastUserId(65534);
  auto last = fixture_.ConnectClient();
  auto wrapped = fixture_.ConnectClient();
  ASSERT_TRUE(last && wrapped);
  EXPECT_EQ(SessionAt(0).user_id, 65535);
  EXPECT_EQ(SessionAt(1).user_id, 1);
}

TEST_F(UserList, LeaveObserversRunAfterUnlinkingAndBeforeUserLeft) {
  auto observer = fixture_.ConnectLoggedIn();
  auto passer = fixture_.ConnectClient();
  ASSERT_TRUE(observer && passer);
  ClientList& clients = fixture_.Server().Clients();
  std::vector<uint16_t> left;
  bool still_listed = true;
  clients.AddLeaveObserver([&](ClientSession& leaving) {
    left.push_back(leaving.user_id);
    still_listed = clients.Find(leaving.user_id) != nullptr;
    UFieldData fields;
    fields.AddInteger(kFieldUserId, leaving.user_id);
    clients.SendToAll(kTranUserLeftChat, fields);
  });
  passer->Close();

  // What the observer receives first is the observer's message (a 20-byte
  // header and one field 103), then 302.
  const auto first = observer->ReadRaw(28);
  ASSERT_TRUE(first);
  EXPECT_EQ((*first)[2], 0x00);
  EXPECT_EQ((*first)[3], 118);
  EXPECT_TRUE(observer->WaitRequest(kTranUserLeft));
  EXPECT_THAT(left, ElementsAre(2));
  EXPECT_FALSE(still_listed);
}

class AccountIdentityUpdates : public UserList {};

TEST_F(AccountIdentityUpdates, LoginIdentityTakesTheAccountAndAnnouncesTheUser) {
  auto observer = fixture_.ConnectLoggedIn();
  auto newcomer = fixture_.ConnectClient();
  ASSERT_TRUE(observer && newcomer);
  const AccountIdentity account{WithBits({22}), std::string(40, 'N'), "kay"};
  ApplyLoginIdentity(fixture_.Server().Clients(), SessionAt(1), "K\x01y", 131, account);

  const auto changed = observer->WaitRequest(kTranUserChanged);
  ASSERT_TRUE(changed);
  EXPECT_EQ(changed->fields.ReadInteger(kFieldUserId), 2u);
  EXPECT_EQ(changed->fields.ReadInteger(kFieldIcon), 131u);
  EXPECT_EQ(changed->fields.ReadInteger(kFieldStatusFlags), 2u);
  EXPECT_EQ(changed->fields.ReadText(kFieldNickname, 256), std::string(31, 'N'));
  EXPECT_EQ(SessionAt(1).nickname, "K*y");
  EXPECT_EQ(SessionAt(1).login, "kay");
}

TEST_F(AccountIdentityUpdates, RefreshSendsNewPrivilegesAndTheNewName) {
  auto observer = fixture_.ConnectLoggedIn();
  auto bob = fixture_.ConnectLoggedIn();
  auto bobby = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(observer && bob && bobby);
  for (size_t i : {1, 2}) {
    SessionAt(i).privileges = WithBits({10});
    SessionAt(i).nickname = "Bobby";
    SessionAt(i).account_name = SessionAt(i).display_name = "Bob";
  }
  SessionAt(1).login = "bob";
  SessionAt(2).login = "bobby";

  RefreshFromAccount(fixture_.Server().Clients(), "bob",
                     AccountIdentity{WithBits({10, 26}), "Robert", "bob"});

  const auto access = bob->WaitRequest(kTranUserAccess);
  ASSERT_TRUE(access);
  EXPECT_THAT(Bytes(access->fields),
              ElementsAre(0x00, 0x01, 0x00, 0x6E, 0x00, 0x08,  // one field 110 of 8 bytes
                          0x00, 0x20, 0x00, 0x20, 0x00, 0x00, 0x00, 0x00));
  const auto changed = observer->WaitRequest(kTranUserChanged);
  ASSERT_TRUE(changed);
  EXPECT_EQ(changed->fields.ReadInteger(kFieldUserId), 2u);
  EXPECT_EQ(changed->fields.ReadText(kFieldNickname, 256), "Bobby");  // now its own name
  EXPECT_EQ(SessionAt(1).account_name, "Robert");
  EXPECT_EQ(SessionAt(2).account_name, "Bob");
  EXPECT_EQ(SessionAt(2).privileges, WithBits({10}));
}

TEST_F(AccountIdentityUpdates, RefreshWithANewNameOnlyAnnouncesWithoutPrivileges) {
  auto observer = fixture_.ConnectLoggedIn();
  auto bob = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(observer && bob);
  SessionAt(1).privileges = WithBits({10});
  SessionAt(1).account_name = SessionAt(1).display_name = "Bob";
  SessionAt(1).login = "bob";

  RefreshFromAccount(fixture_.Server().Clients(), "bob",
                     AccountIdentity{WithBits({10}), "Robert", "bob"});
  const auto changed = bob->WaitRequest(kTranUserChanged);
  ASSERT_TRUE(changed);
  EXPECT_EQ(changed->fields.ReadText(kFieldNickname, 256), "Robert");
  EXPECT_FALSE(bob->WaitRequest(kTranUserAccess, milliseconds(0)));

  // Nothing changed: nothing is sent.
  RefreshFromAccount(fixture_.Server().Clients(), "bob",
                     AccountIdentity{WithBits({10}), "Robert", "bob"});
  EXPECT_TRUE(observer->WaitRequest(kTranUserChanged));  // the one from the first refresh
  EXPECT_TRUE(observer->StaysQuiet(milliseconds(20)));
}

TEST_F(AccountIdentityUpdates, DeletedAccountDisconnectsItsUsers) {
  auto admin = fixture_.ConnectLoggedIn();
  auto bob = fixture_.ConnectLoggedIn();
  auto carol = fixture_.ConnectLoggedIn(kSecondLoopback);
  auto bystander = fixture_.ConnectLoggedIn();
  ASSERT_TRUE(admin && bob && carol && bystander);
  SessionAt(0).display_name = "Admin";
  SessionAt(1).login = "bob";  // no display name: logged by address
  SessionAt(2).login = "bob";
  SessionAt(2).display_name = "Carol";
  SessionAt(3).login = "bobby";

  DisconnectUsersOfDeletedAccount(fixture_.Server(), "bob", SessionAt(0));

  for (TestClient* gone : {bob.get(), carol.get()}) {
    const auto message = gone->WaitRequest(kTranServerMessage);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->fields.ReadText(kFieldData, 256),
              "You are logged in with an account which was deleted.");
    EXPECT_TRUE(gone->WaitClosed());
  }
  EXPECT_THAT(fixture_.LogLines(), Contains("Admin|Disconnect \xD2"
                                            "127.0.0.1\xD3"));
  EXPECT_THAT(fixture_.LogLines(), Contains("Admin|Disconnect \xD2"
                                            "Carol\xD3"));
  // The pass it asked for removes both; the bystander with a similar login stays.
  ASSERT_TRUE(admin->WaitRequest(kTranUserLeft));
  ASSERT_TRUE(admin->WaitRequest(kTranUserLeft));
  EXPECT_EQ(fixture_.Server().Clients().Size(), 2u);
  EXPECT_EQ(SessionAt(1).login, "bobby");
}

}  // namespace
}  // namespace vantrel::testing
