#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "account_test_support.h"
#include "accounts/head_admin_account.h"
#include "accounts/head_admin_dialogs.h"
#include "support/scripted_operator.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::MakeRecord;

constexpr const char* kMissingNotice =
    "notice:Set Admin Password:The Admin account \"admin\" does not exist. Please enter a "
    "password for this account so that it can be created. This account has full access to all "
    "controls of the Server and you should not reveal this password to anyone to whom you do "
    "not want to give control of the Server. Please enter a new password for this account. If "
    "you do not set a password, your Server will not be secure.";
constexpr const char* kNoPasswordNotice =
    "notice:Set Admin Password:The Admin account \"boss\" does not have a password assigned. "
    "This account has full access to all controls of the Server and you should not reveal this "
    "password to anyone to whom you do not want to give control of the Server. Please enter a "
    "new password for this account. If you do not set a password, your Server will not be "
    "secure.";
constexpr const char* kTooLongNotice =
    "notice:Password too long:Please select a password that is no longer than 31 characters.";
constexpr const char* kAskFirst = "password:Password:";
constexpr const char* kAskSecond = "password:Verify Password:";

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) bytes += static_cast<char>(value);
  return bytes;
}

class HeadAdminTest : public ::testing::Test, public testing::StoreFixture {
 protected:
  // Runs `dialog` and answers its outcome, checking that it ends exactly once.
  template <typename Dialog>
  HeadAdminOutcome Run(Dialog dialog) {
    std::optional<HeadAdminOutcome> outcome;
    int calls = 0;
    dialog([&](const HeadAdminOutcome& result) {
      ++calls;
      outcome = result;
    });
    EXPECT_EQ(calls, 1);
    return outcome.value_or(HeadAdminOutcome{});
  }
  HeadAdminOutcome Check(const std::string& login) {
    return Run([&](HeadAdminDone done) { CheckHeadAdminAccount(Store(), login, op_, done); });
  }
  void Passwords(const std::string& first, const std::string& second) {
    op_.ScriptText(first);
    op_.ScriptText(second);
  }
  AccountRecord Account(const std::string& login) const { return Store().Read(login); }
  // An account "boss" named "Big Boss" holding bits 9 and 27 and no password.
  void MakeBoss() {
    AccountRecord boss = MakeRecord("boss", "Big Boss");
    boss.privileges.Set(9);
    boss.privileges.Set(27);
    Store().Create(boss);
  }

  testing::ScriptedOperator op_;
};

TEST_F(HeadAdminTest, FirstStartCreatesTheAdministrator) {
  Passwords("secret", "secret");
  const HeadAdminOutcome outcome = Check("admin");
  EXPECT_EQ(outcome.result, HeadAdminResult::kCreated);
  EXPECT_FALSE(outcome.makes_head_admin);
  EXPECT_EQ(op_.Shown(), (std::vector<std::string>{kMissingNotice, kAskFirst, kAskSecond}));

  const std::string bytes = UserData("admin");
  ASSERT_EQ(bytes.size(), 734u);
  EXPECT_EQ(bytes.substr(0, 2), Bytes({0x00, 0x01}));
  EXPECT_EQ(bytes.substr(4, 8), Bytes({0xFF, 0xF3, 0xCF, 0xEF, 0xFF, 0x80, 0x00, 0x00}));
  EXPECT_EQ(bytes.substr(528, 15), Bytes({0x00, 0x0D}) + "administrator");
  EXPECT_EQ(bytes.substr(664, 7), Bytes({0x00, 0x05}) + "admin");
  // "secret", every byte complemented.
  EXPECT_EQ(bytes.substr(700, 8), Bytes({0x00, 0x06, 0x8C, 0x9A, 0x9C, 0x8D, 0x9A, 0x8B}));
}

TEST_F(HeadAdminTest, AnAccountWithoutPasswordKeepsItsPrivilegesWhenGivenOne) {
  MakeBoss();
  Passwords("pw", "pw");
  EXPECT_EQ(Check("boss").result, HeadAdminResult::kUpdated);
  EXPECT_EQ(op_.Shown().front(), kNoPasswordNotice);
  const AccountRecord boss = Account("boss");
  EXPECT_EQ(boss.privileges.bytes, (std::array<uint8_t, 8>{0x00, 0x40, 0x00, 0x10, 0, 0, 0, 0}));
  EXPECT_EQ(boss.name, "Big Boss");
  EXPECT_EQ(boss.scrambled_password, Bytes({0x8F, 0x88}));
}

TEST_F(HeadAdminTest, CancelCreatesNothingAndAnAccountWithAPasswordNeedsNothing) {
  const HeadAdminOutcome outcome = Check("admin");  // nothing scripted: no terminal
  EXPECT_EQ(outcome.result, HeadAdminResult::kCancelled);
  EXPECT_EQ(outcome.login, "admin");
  op_.ScriptText("only-once");
  EXPECT_EQ(Check("admin").result, HeadAdminResult::kCancelled);
  EXPECT_TRUE(fs::is_empty(Users()));

  AccountRecord admin = MakeRecord("admin");
  admin.scrambled_password = "\x9E";
  Store().Create(admin);
  const size_t shown = op_.Shown().size();
  EXPECT_EQ(Check("ADMIN").result, HeadAdminResult::kNothingNeeded);
  EXPECT_EQ(op_.Shown().size(), shown);
}

TEST_F(HeadAdminTest, PasswordsOver31BytesAreRefusedAndADifferentRepetitionAsksAgain) {
  const std::string long_password(32, 'p');
  const std::string longest(31, 'q');
  Passwords(long_password, long_password);
  Passwords("fine", long_password);  // the repetition counts as well
  Passwords("one", "two");           // asked again without a notice
  Passwords(longest, longest);
  EXPECT_EQ(Check("admin").result, HeadAdminResult::kCreated);
  EXPECT_EQ(op_.Shown(),
            (std::vector<std::string>{kMissingNotice, kAskFirst, kAskSecond, kTooLongNotice,
                                      kAskFirst, kAskSecond, kTooLongNotice, kAskFirst, kAskSecond,
                                      kAskFirst, kAskSecond}));
  EXPECT_EQ(Account("admin").scrambled_password, std::string(31, '\x8E'));
}

TEST_F(HeadAdminTest, ResetGivesExactlyTheFullSetAndKeepsTheName) {
  MakeBoss();
  Passwords("new", "new");
  const HeadAdminOutcome outcome =
      Run([&](HeadAdminDone done) { ResetAdminAccount(Store(), "boss", op_, done); });
  EXPECT_EQ(outcome.result, HeadAdminResult::kUpdated);
  EXPECT_TRUE(outcome.makes_head_admin);
  const AccountRecord boss = Account("boss");
  EXPECT_EQ(boss.privileges, kFullAdministratorPrivileges);  // bit 27 dropped
  EXPECT_EQ(boss.name, "Big Boss");
  EXPECT_EQ(boss.scrambled_password, Bytes({0x91, 0x9A, 0x88}));
}

}  // namespace
}  // namespace vantrel
