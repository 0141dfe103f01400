#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "account_test_support.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "support/server_fixture.h"

namespace vantrel::testing {
namespace {

using namespace std::literals;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// Every meaningful privilege but 27, as an administrator holds them.
constexpr std::initializer_list<unsigned> kAdmin = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                                    14, 15, 16, 17, 20, 21, 22, 23, 24, 25, 26, 28,
                                                    29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40};

AccessPrivileges Bits(std::initializer_list<unsigned> bits) {
  AccessPrivileges privileges;
  for (const unsigned bit : bits) privileges.Set(bit);
  return privileges;
}

// An account's fields as 350, 353 and the items of 349 carry them.
UFieldData AccountRequest(const std::string& login, const std::string& password = "",
                          std::initializer_list<unsigned> bits = {},
                          const std::string& name = "Someone") {
  UFieldData fields;
  fields.AddText(kFieldNickname, name);
  fields.AddText(kFieldUserLogin, Scramble(login));
  fields.AddText(kFieldPassword, password);
  fields.AddField(kFieldUserAccess, Bits(bits).bytes);
  return fields;
}

// A 349 item: the previous login (complemented) before the account's fields.
UFieldData Item(const std::string& previous, const UFieldData& account) {
  UFieldData item;
  item.AddText(kFieldData, Scramble(previous));
  for (size_t i = 1; i <= account.Count(); ++i) {
    item.AddField(account.FieldIdAt(i), account.DataAt(i));
  }
  return item;
}

// True when an empty success reply came.
bool Succeeds(const std::optional<Received>& reply) {
  return reply && reply->header.error == 0 && reply->fields.Count() == 0;
}

UFieldData Batch(std::initializer_list<UFieldData> items) {
  UFieldData request;
  for (const UFieldData& item : items) request.AddField(kFieldData, item.Buffer());
  return request;
}

class AccountAdminTest : public ::testing::Test {
 protected:
  AccountAdminTest()
      : data_home_("XDG_DATA_HOME", (fixture_.Folder() / "data").string()),
        home_("HOME", (fixture_.Folder() / "home").string()) {
    fixture_.Prefs().option_flags |= kOptionLogAccountChanges;
    fixture_.Start();
  }

  void CreateAccount(const std::string& login, std::initializer_list<unsigned> bits = {},
                     const std::string& scrambled_password = "") {
    AccountRecord record = MakeRecord(login, "Name of " + login);
    record.privileges = Bits(bits);
    record.scrambled_password = scrambled_password;
    Store().Create(record);
  }
  // A client whose session is logged in with the account `login` and holds `bits`.
  std::unique_ptr<TestClient> LogInAs(const std::string& login,
                                      std::initializer_list<unsigned> bits) {
    auto client = fixture_.ConnectAs("User " + login, bits);
    fixture_.Session(fixture_.Server().Core().Clients().Size() - 1).login = login;
    return client;
  }

  const AccountStore& Store() { return fixture_.Server().Accounts().Store(); }
  AccountRecord Read(const std::string& login) { return Store().Read(login); }

  ServerFixture fixture_{false};
  ScopedEnvironment data_home_;
  ScopedEnvironment home_;
};

TEST_F(AccountAdminTest, CreationMayGiveBit27ButNoOtherBitTheCreatorLacks) {
  auto admin = LogInAs("admin", {14, 17});
  EXPECT_EQ(ErrorText(admin->Call(kTranNewAccount, AccountRequest("ann", "", {32}))),
            "Cannot create account with more access than yourself.");
  EXPECT_FALSE(Store().Exists("ann"));

  ASSERT_TRUE(Succeeds(admin->Call(kTranNewAccount, AccountRequest("Ann", "\x9e", {27, 17}))));
  EXPECT_EQ(Read("ann").login, "Ann");
  EXPECT_EQ(Read("ann").privileges, Bits({27, 17}));
  EXPECT_EQ(Read("ann").scrambled_password, "\x9e");
  // Modification has no subset rule.
  EXPECT_TRUE(Succeeds(admin->Call(kTranSetAccount, AccountRequest("ann", "", {32}))));
  EXPECT_EQ(Read("ann").privileges, Bits({32}));

  EXPECT_EQ(ErrorText(admin->Call(kTranNewAccount, AccountRequest("ANN"))),
            "Cannot create account \xD2"
            "ANN\xD3 because there is already an account with that "
            "login.");
  EXPECT_TRUE(
      fixture_.Logged("Create account \xD2"
                      "Ann\xD3"));
  EXPECT_THAT(ReadWholeFile(fixture_.Folder() / "Account Log.txt"),
              HasSubstr("\t127.0.0.1\tadmin\tUser admin\tCreate\tAnn\r"));
}

TEST_F(AccountAdminTest, EachTransactionNeedsItsPrivilege) {
  CreateAccount("bob");
  auto user = LogInAs("user", {9, 10});
  const struct {
    uint16_t type;
    UFieldData fields;
    const char* refusal;
  } cases[] = {
      {kTranNewAccount, AccountRequest("new"), "You are not allowed to create new accounts."},
      {kTranDeleteAccount, AccountRequest("bob"), "You are not allowed to delete accounts."},
      {kTranGetAccount, {}, "You are not allowed to get account information."},
      {kTranSetAccount, AccountRequest("bob"),
       "You are not allowed to modify account information."},
      {kTranListAccounts, {}, "You are not allowed to administer accounts."},
      {kTranUpdateAccounts, Batch({Item("bob", AccountRequest("", ""))}),
       "You are not allowed to modify account information."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ErrorText(user->Call(c.type, c.fields)), c.refusal) << c.type;
  }
  EXPECT_TRUE(Store().Exists("bob"));
  EXPECT_FALSE(Store().Exists("new"));
}

TEST_F(AccountAdminTest, RepliesShowAPlaceholderForEveryPasswordAndNoneForAnEmptyOne) {
  CreateAccount("pat", {2}, "\x8f\x9e");
  CreateAccount("eve", {}, "");
  auto admin = LogInAs("admin", {16});
  UFieldData get;
  get.AddText(kFieldUserLogin, "PAT");  // plain in this request
  // 102 "Name of pat", 105 "PAT" complemented, 106 "x", 110.
  EXPECT_EQ(Bytes(admin->Call(kTranGetAccount, get)),
            Wire("\x00\x04"
                 "\x00\x66\x00\x0BName of pat"
                 "\x00\x69\x00\x03\xAF\xBE\xAB"
                 "\x00\x6A\x00\x01x"
                 "\x00\x6E\x00\x08\x20\x00\x00\x00\x00\x00\x00\x00"sv));
  get = UFieldData();
  get.AddText(kFieldUserLogin, "nobody");
  EXPECT_EQ(ErrorText(admin->Call(kTranGetAccount, get)), "No account with login \xD2nobody\xD3.");

  const auto list = admin->Call(kTranListAccounts);
  ASSERT_TRUE(list);
  std::vector<std::vector<uint8_t>> entries;
  for (size_t i = 1; i <= list->fields.Count(); ++i) {
    const auto data = list->fields.DataAt(i);
    entries.emplace_back(data.begin(), data.end());
  }
  EXPECT_THAT(entries, ::testing::UnorderedElementsAre(
                           Wire("\x00\x04"
                                "\x00\x66\x00\x0BName of pat"
                                "\x00\x69\x00\x03\x8F\x9E\x8B"
                                "\x00\x6A\x00\x01x"
                                "\x00\x6E\x00\x08\x20\x00\x00\x00\x00\x00\x00\x00"sv),
                           Wire("\x00\x03"
                                "\x00\x66\x00\x0BName of eve"
                                "\x00\x69\x00\x03\x9A\x89\x9A"
                                "\x00\x6E\x00\x08\x00\x00\x00\x00\x00\x00\x00\x00"sv)));
}

TEST_F(AccountAdminTest, ASetKeepsThePasswordForTheZeroByteAndClearsItForNone) {
  CreateAccount("kim", {}, "\x8f\x9e");
  auto admin = LogInAs("admin", {17});
  ASSERT_TRUE(Succeeds(admin->Call(kTranSetAccount, AccountRequest("KIM", std::string(1, '\0')))));
  EXPECT_EQ(Read("kim").scrambled_password, "\x8f\x9e");
  EXPECT_EQ(Read("kim").login, "KIM");
  ASSERT_TRUE(Succeeds(admin->Call(kTranSetAccount, AccountRequest("kim", ""))));
  EXPECT_EQ(Read("kim").scrambled_password, "");
  EXPECT_EQ(ErrorText(admin->Call(kTranSetAccount, AccountRequest("nobody"))),
            "No account with login \xD2nobody\xD3.");
  EXPECT_EQ(ErrorText(admin->Call(kTranSetAccount, AccountRequest("nobody", std::string(1, '\0')))),
            "No account with login \xD2nobody\xD3.");
}

TEST_F(AccountAdminTest, LoweringPrivilegesSendsTheAccountsSessionsTheirNewAccess) {
  CreateAccount("kim", {2, 9, 10});
  auto kim = LogInAs("kim", {2, 9, 10});
  auto other = LogInAs("lee", {2, 9, 10});
  auto admin = LogInAs("admin", {17});
  ASSERT_TRUE(Succeeds(admin->Call(kTranSetAccount, AccountRequest("kim", "", {9}, "Kim"))));
  const auto access = kim->WaitRequest(kTranUserAccess);
  ASSERT_TRUE(access);
  EXPECT_EQ(Bytes(*access), Wire("\x00\x01\x00\x6E\x00\x08\x00\x40\x00\x00\x00\x00\x00\x00"sv));
  EXPECT_FALSE(other->WaitRequest(kTranUserAccess, milliseconds(100)));
  EXPECT_EQ(fixture_.Session(0).privileges, Bits({9}));
  EXPECT_EQ(fixture_.Session(1).privileges, Bits({2, 9, 10}));
}

TEST_F(AccountAdminTest, DeletingClosesTheAccountsSessionsAfterTellingThem) {
  CreateAccount("gone");
  auto victim = LogInAs("gone", {});
  auto admin = LogInAs("admin", {15});
  EXPECT_TRUE(Succeeds(admin->Call(kTranDeleteAccount, AccountRequest("GONE"))));
  EXPECT_EQ(DataText(victim->WaitRequest(kTranServerMessage)),
            "You are logged in with an account which was deleted.");
  EXPECT_TRUE(victim->WaitClosed());
  EXPECT_FALSE(Store().Exists("gone"));
  EXPECT_TRUE(fixture_.Logged("Delete account \xD2gone\xD3"));
  // A login without a folder is no error, and is still logged.
  EXPECT_TRUE(Succeeds(admin->Call(kTranDeleteAccount, AccountRequest("never"))));
  EXPECT_TRUE(fixture_.Logged("Delete account \xD2never\xD3"));
}

TEST_F(AccountAdminTest, ABatchRenamesThenModifiesAndRefreshesTheSessions) {
  CreateAccount("old", {9}, "\x8f");
  auto session = LogInAs("old", {9});
  auto admin = LogInAs("admin", {17});
  const auto reply = admin->Call(
      kTranUpdateAccounts,
      Batch({Item("old", AccountRequest("New", std::string(1, '\0'), {9, 10}, "Renamed"))}));
  EXPECT_TRUE(Succeeds(reply));
  EXPECT_FALSE(Store().Exists("old"));
  EXPECT_EQ(Read("new").name, "Renamed");
  EXPECT_EQ(Read("new").scrambled_password, "\x8f");
  EXPECT_TRUE(session->WaitRequest(kTranUserAccess));
  EXPECT_EQ(fixture_.Session(0).login, "new");
  EXPECT_TRUE(fixture_.Logged("Rename account \xD2old\xD3 \xD2new\xD3"));
  EXPECT_TRUE(fixture_.Logged("Modify account \xD2New\xD3"));
}

TEST_F(AccountAdminTest, ABatchNewAccountWithATakenLoginGetsAServerMessageNotAnError) {
  CreateAccount("taken");
  auto admin = LogInAs("admin", {14});
  const auto reply = admin->Call(
      kTranUpdateAccounts,
      Batch({Item("", AccountRequest("Taken", "", {}, "X")), Item("", AccountRequest("fresh"))}));
  EXPECT_TRUE(Succeeds(reply));
  EXPECT_EQ(Bytes(admin->WaitRequest(kTranServerMessage)),
            Wire("\x00\x02\x00\x6D\x00\x02\x00\x01\x00\x65\x00\x52"
                 "Cannot create account \xD2taken\xD3 because there is already an account with "
                 "that login."sv));
  EXPECT_EQ(Read("taken").name, "Name of taken");
  EXPECT_TRUE(Store().Exists("fresh"));
}

// Items are packed by the client: whatever they ask, a session changes only what
// its privileges allow, and a refusal keeps the items before it.
TEST_F(AccountAdminTest, ABatchNeverChangesWhatTheSenderMayNotChange) {
  CreateAccount("admin", kAdmin, "\x9e");
  CreateAccount("bob", {9});
  auto creator = LogInAs("creator", {14, 9});
  const struct {
    UFieldData item;
    const char* refusal;
  } cases[] = {
      {Item("bob", AccountRequest("bob", "", kAdmin)),
       "You are not allowed to modify account information."},
      {Item("admin", AccountRequest("mine", std::string(1, '\0'), {9})),
       "You are not allowed to modify account information."},
      {Item("bob", AccountRequest("", "", {}, "")), "You are not allowed to delete accounts."},
      {Item("", AccountRequest("twin", "", {9, 15})),
       "Cannot create account with more access than yourself."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ErrorText(creator->Call(kTranUpdateAccounts,
                                      Batch({Item("", AccountRequest("first")), c.item}))),
              c.refusal);
    ASSERT_TRUE(Store().Exists("first"));  // applied before the refusal
    Store().Delete("first");
  }
  EXPECT_EQ(Read("bob").privileges, Bits({9}));
  EXPECT_EQ(Read("admin").scrambled_password, "\x9e");
  EXPECT_FALSE(Store().Exists("mine"));
  EXPECT_FALSE(Store().Exists("twin"));
}

TEST_F(AccountAdminTest, BadLoginsAndFailedItemsAreRefusedAndTheRestOfTheBatchRuns) {
  auto admin = LogInAs("admin", kAdmin);
  for (const std::string& login : {".."s, "a/b"s, "a\0b"s}) {
    EXPECT_THAT(ErrorText(admin->Call(kTranNewAccount, AccountRequest(login))),
                HasSubstr("Cannot create account \xD2"))
        << login;
  }
  EXPECT_EQ(
      ErrorText(admin->Call(kTranUpdateAccounts, Batch({Item("", AccountRequest("", "", {}, "")),
                                                        Item("ghost", AccountRequest("ghost2")),
                                                        Item("", AccountRequest(".."))}))),
      "Error saving list of accounts.");
  EXPECT_EQ(ErrorText(admin->Call(kTranUpdateAccounts, Batch({}))),
            "Error saving list of accounts.");
  std::vector<std::string> entries;
  for (const auto& entry : std::filesystem::directory_iterator(fixture_.Folder() / "Users")) {
    entries.push_back(entry.path().filename());
  }
  EXPECT_THAT(entries, IsEmpty());
}

}  // namespace
}  // namespace vantrel::testing
