#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "account_test_support.h"
#include "accounts/account_files.h"
#include "accounts/account_store.h"
#include "accounts/login_handlers.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "support/server_fixture.h"

namespace vantrel::testing {
namespace {

using ::testing::ElementsAre;

constexpr uint32_t kObserverAddress = 0x7F000002;

class LoginTest : public ::testing::Test {
 protected:
  LoginTest() : fixture_(false) {
    fixture_.Prefs().server_name = "Harbour";
    fixture_.Start();
  }

  void CreateAccount(const std::string& login, const std::string& password,
                     std::initializer_list<unsigned> bits = {}, const std::string& name = "Ann") {
    AccountRecord record = MakeRecord(login, name);
    for (const unsigned bit : bits) record.privileges.Set(bit);
    record.scrambled_password = Scramble(password);
    fixture_.Server().Accounts().Store().Create(record);
  }

  // Sends 107 with the login and password scrambled as clients do.
  uint32_t SendLogin(TestClient& client, const std::string& login, const std::string* password,
                     const std::string& nickname = "", uint16_t icon = 0, uint32_t version = 151) {
    UFieldData fields;
    fields.AddText(kFieldUserLogin, Scramble(login));
    if (password != nullptr) fields.AddText(kFieldPassword, Scramble(*password));
    fields.AddInteger(kFieldVersion, version);
    fields.AddText(kFieldNickname, nickname);
    fields.AddInteger(kFieldIcon, icon);
    return client.SendRequest(kTranLogin, fields);
  }

  static std::string ErrorOf(TestClient& client, uint32_t id) {
    return ErrorText(client.WaitReply(id));
  }

  ClientSession& LastSession() {
    return fixture_.Session(fixture_.Server().Core().Clients().Size() - 1);
  }

  ServerFixture fixture_;
};

TEST_F(LoginTest, GuestWithoutAccountIsAnIncorrectLoginAndClosedAfter30Seconds) {
  auto client = fixture_.ConnectClient();
  ASSERT_TRUE(client);
  EXPECT_EQ(ErrorOf(*client, SendLogin(*client, "", nullptr)), "Incorrect login.");
  EXPECT_TRUE(fixture_.Logged("Login failed"));
  fixture_.AdvanceAndPass(30);
  EXPECT_TRUE(client->StaysQuiet(milliseconds(20)));
  fixture_.AdvanceAndPass(1);
  EXPECT_TRUE(client->WaitClosed());
}

TEST_F(LoginTest, WrongPasswordUnknownLoginAndAnyPasswordForAnEmptyOneLookTheSame) {
  CreateAccount("ann", "secret");
  CreateAccount("open", "");
  const std::string wrong = "guess";
  for (const char* login : {"ann", "nobody", "open"}) {
    auto client = fixture_.ConnectClient();
    EXPECT_EQ(ErrorOf(*client, SendLogin(*client, login, &wrong)), "Incorrect login.") << login;
  }
  auto without = fixture_.ConnectClient();
  EXPECT_EQ(without->WaitReply(SendLogin(*without, "open", nullptr))->header.error, 0u);
}

TEST_F(LoginTest, GuestLoginReplyCarriesVersionAndServerName) {
  CreateAccount("guest", "");
  auto client = fixture_.ConnectClient();
  const auto reply = client->WaitReply(SendLogin(*client, "", nullptr));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->header.error, 0u);
  EXPECT_THAT(Bytes(reply->fields), ElementsAre(0, 3,                  //
                                                0, 160, 0, 2, 0, 190,  // version 190
                                                0, 161, 0, 2, 0, 0,    // 0
                                                0, 162, 0, 7, 'H', 'a', 'r', 'b', 'o', 'u', 'r'));
  EXPECT_EQ(LastSession().login, "guest");
  EXPECT_EQ(LastSession().client_version, 151u);
}

TEST_F(LoginTest, LoginInCapitalsFindsTheAccountAndKeepsTheLowerCaseForm) {
  CreateAccount("ann", "pw");
  auto client = fixture_.ConnectClient();
  const std::string password = "pw";
  const auto reply = client->WaitReply(SendLogin(*client, "ANN", &password));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->header.error, 0u);
  EXPECT_EQ(LastSession().login, "ann");
  EXPECT_EQ(LookupLogin("A\rB"), "a-b");
}

TEST_F(LoginTest, WithoutNicknameTheUserStaysInvisibleUntilAgreed) {
  CreateAccount("ann", "", {}, "Annie");
  auto observer = fixture_.ConnectLoggedIn(kObserverAddress);
  auto client = fixture_.ConnectClient();
  ASSERT_TRUE(observer && client);
  ASSERT_TRUE(client->WaitReply(SendLogin(*client, "ann", nullptr)));
  const auto agreement = client->WaitRequest(kTranShowAgreement);
  ASSERT_TRUE(agreement);
  EXPECT_THAT(Bytes(agreement->fields), ElementsAre(0, 0));  // no agreement loaded
  EXPECT_FALSE(client->WaitRequest(kTranUserAccess, milliseconds(20)));
  EXPECT_FALSE(observer->WaitRequest(kTranUserChanged, milliseconds(20)));
  EXPECT_FALSE(LastSession().logged_in);

  UFieldData agreed;
  agreed.AddText(kFieldNickname, "Ann\tB");
  agreed.AddInteger(kFieldIcon, 128);
  agreed.AddInteger(kFieldOptions, 4);
  const auto reply = client->WaitReply(client->SendRequest(kTranAgreed, agreed));
  ASSERT_TRUE(reply);
  EXPECT_THAT(Bytes(reply->fields), ElementsAre(0, 0));
  const auto joined = observer->WaitRequest(kTranUserChanged);
  ASSERT_TRUE(joined);
  EXPECT_EQ(joined->fields.ReadText(kFieldNickname, 32), "Annie");
  EXPECT_EQ(joined->fields.ReadInteger(kFieldIcon), 128u);
  EXPECT_TRUE(client->WaitRequest(kTranUserAccess));
  EXPECT_TRUE(LastSession().logged_in);
  EXPECT_EQ(LastSession().nickname, "Ann*B");
  EXPECT_EQ(LastSession().auto_response_text,
            "I'm not able to respond right now. Please try later!");
  EXPECT_TRUE(fixture_.Logged("Login successful"));
}

TEST_F(LoginTest, NicknameAndIconInTheLoginMakeTheUserVisibleAtOnce) {
  CreateAccount("ann", "", {kPrivilegeAnyName});
  fixture_.Server().Core().Settings().option_flags |= kOptionLogConnects;
  auto observer = fixture_.ConnectLoggedIn(kObserverAddress);
  auto client = fixture_.ConnectClient();
  ASSERT_TRUE(client->WaitReply(SendLogin(*client, "ann", nullptr, "Skipper", 7)));
  EXPECT_THAT(Bytes(client->WaitRequest(kTranUserAccess)),
              ElementsAre(0, 1, 0, 110, 0, 8, 0, 0, 0, 0x20, 0, 0, 0, 0));
  EXPECT_TRUE(client->WaitRequest(kTranShowAgreement));
  const auto joined = observer->WaitRequest(kTranUserChanged);
  ASSERT_TRUE(joined);
  EXPECT_EQ(joined->fields.ReadText(kFieldNickname, 32), "Skipper");
  const std::string connect_log = ReadWholeFile(fixture_.Folder() / "Connect Log.txt");
  EXPECT_NE(connect_log.find("\t127.0.0.1\tann\tSkipper\r"), std::string::npos);
}

TEST_F(LoginTest, NoAgreementPrivilegeGetsField154) {
  CreateAccount("boss", "", {kPrivilegeNoAgreement});
  auto client = fixture_.ConnectClient();
  ASSERT_TRUE(client->WaitReply(SendLogin(*client, "boss", nullptr)));
  EXPECT_THAT(Bytes(client->WaitRequest(kTranShowAgreement)),
              ElementsAre(0, 1, 0, 154, 0, 2, 0, 1));
}

TEST_F(LoginTest, BannedAddressesAreRefusedBeforeTheirFieldsAreRead) {
  CreateAccount("guest", "");
  fixture_.Server().Bans().Temporary().Add(kLoopback, fixture_.Clock().Seconds());
  auto client = fixture_.ConnectClient();
  EXPECT_EQ(ErrorOf(*client, client->SendRequest(kTranLogin)),
            "You are temporarily banned on this server.");
  EXPECT_THAT(fixture_.LogLines(), ::testing::Contains("127.0.0.1|Login failed"));

  fixture_.Server().Bans().Permanent().Add(kObserverAddress, kObserverAddress, "");
  auto banned = fixture_.ConnectClient(kObserverAddress);
  EXPECT_EQ(ErrorOf(*banned, SendLogin(*banned, "", nullptr)),
            "You are permanently banned on this server.");
}

TEST_F(LoginTest, DamagedAccountGivesTheDetailedRefusal) {
  CreateAccount("ann", "");
  std::filesystem::resize_file(account_files::UsersFolderIn(fixture_.Folder()) / "ann" / "UserData",
                               100);
  auto client = fixture_.ConnectClient();
  EXPECT_THAT(ErrorOf(*client, SendLogin(*client, "ann", nullptr)),
              ::testing::AllOf(::testing::StartsWith("Cannot read account \xD2"
                                                     "ann\xD3:\r"),
                               ::testing::HasSubstr("\rID 4/")));
}

TEST_F(LoginTest, AgreedWithoutAReadableAccountIsRefused) {
  auto client = fixture_.ConnectClient();
  EXPECT_EQ(ErrorOf(*client, client->SendRequest(kTranAgreed)), "Cannot read account \xD2\xD3.");
  fixture_.AdvanceAndPass(31);
  EXPECT_TRUE(client->WaitClosed());
}

TEST(LoginTexts, AgreementIsSentAndTheBannerFromVersion151) {
  ServerFixture fixture(false);
  fixture.Prefs().banner_url = "http://banner.example/b.gif";
  {
    std::ofstream agreement(fixture.Folder() / "Agreement.txt", std::ios::binary);
    agreement << "Be kind.\r\nNo spam.";
  }
  fixture.Start();
  fixture.Server().Accounts().Store().Create(MakeRecord("guest", ""));

  for (const uint32_t version : {150u, 151u}) {
    SCOPED_TRACE(version);
    auto client = fixture.ConnectClient();
    UFieldData login;
    login.AddInteger(kFieldVersion, version);
    ASSERT_TRUE(client->WaitReply(client->SendRequest(kTranLogin, login)));
    EXPECT_EQ(DataText(client->WaitRequest(kTranShowAgreement)), "Be kind.\rNo spam.");

    UFieldData agreed;
    agreed.AddText(kFieldNickname, "Bo");
    agreed.AddInteger(kFieldIcon, 1);
    ASSERT_TRUE(client->WaitReply(client->SendRequest(kTranAgreed, agreed)));
    const auto banner =
        client->WaitRequest(kTranServerBanner, milliseconds(version == 150 ? 20 : 2000));
    if (version == 150) {
      EXPECT_FALSE(banner);
    } else {
      ASSERT_TRUE(banner);
      EXPECT_EQ(banner->fields.ReadText(kFieldBannerKind, 8), "URL ");
      EXPECT_EQ(banner->fields.ReadText(kFieldBannerLink, 256), "http://banner.example/b.gif");
    }
  }
}

}  // namespace
}  // namespace vantrel::testing
