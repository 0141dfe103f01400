#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "app/console_commands.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "support/server_fixture.h"

namespace vantrel::testing {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr uint32_t kBannedAddress = 0x7F000105;  // 127.0.1.5
constexpr uint32_t kOtherAddress = 0x7F000205;   // 127.0.2.5

class BanCommands : public ::testing::Test {
 protected:
  std::string Ban(std::string_view arguments) {
    std::ostringstream out;
    RunConsoleCommand(fixture_.Server(), out, "ban " + std::string(arguments));
    return out.str();
  }

  std::filesystem::path Banned() const { return fixture_.Folder() / "Banned"; }

  ServerFixture fixture_;
};

TEST_F(BanCommands, AddDisconnectsUsersFromTheBannedRangeWithTheMessage) {
  auto banned = fixture_.ConnectLoggedIn(kBannedAddress);
  ASSERT_TRUE(banned);
  fixture_.Server().Core().Clients().All()[0]->display_name = "Mallory";
  auto other = fixture_.ConnectLoggedIn(kOtherAddress);
  auto anonymous = fixture_.ConnectClient(kBannedAddress + 1);  // not logged in, same block
  ASSERT_TRUE(other && anonymous);

  const std::string answer = Ban("add 127.0.1.0/24 Caf\xC3\xA9 spammer");
  EXPECT_THAT(answer, HasSubstr("Banned 127.0.1.0/24."));
  EXPECT_THAT(answer, HasSubstr("Disconnected 2 users."));

  EXPECT_EQ(DataText(banned->WaitRequest(kTranServerMessage)),
            "You are permanently banned on this server.");
  EXPECT_TRUE(banned->WaitClosed());
  EXPECT_TRUE(anonymous->WaitRequest(kTranServerMessage));
  EXPECT_TRUE(anonymous->WaitClosed());
  EXPECT_FALSE(other->WaitRequest(kTranServerMessage, milliseconds(30)));
  EXPECT_FALSE(other->WaitClosed(milliseconds(30)));

  EXPECT_THAT(fixture_.LogLines(), Contains("Mallory|Disconnect & permanent ban \xD2Mallory\xD3"));
  EXPECT_THAT(fixture_.LogLines(), Contains("127.0.1.6|Disconnect & permanent ban \xD2"
                                            "127.0.1.6\xD3"));
  EXPECT_FALSE(fixture_.Server().Bans().Permanent().IsBanned(kOtherAddress));

  // The info text went to the file in Mac Roman; the list shows it in UTF-8.
  const BanList saved = fixture_.Server().Bans().Permanent().ReadWorkingList();
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0].info_text, "Caf\x8E spammer");
  EXPECT_THAT(Ban("list"), AllOf(HasSubstr("1. 127.0.1.0/24"), HasSubstr("01/02/2026 03:04:05"),
                                 HasSubstr("Caf\xC3\xA9 spammer")));
}

TEST_F(BanCommands, ListShowsRemovedEntriesAndRemoveTakesOneOff) {
  EXPECT_EQ(Ban("list"), "The ban list is empty.\n");
  BanRecord removed;
  removed.flag = kBanRemoved;
  removed.first_address = kOtherAddress;
  removed.last_address = kOtherAddress;
  fixture_.Server().Bans().Permanent().Save({removed});
  Ban("add 10.1.2.0+7");
  Ban("add 10.9.0.0-10.9.200.0");

  const std::string list = Ban("list");
  EXPECT_THAT(list, HasSubstr("1. 127.0.2.5"));
  EXPECT_THAT(list, HasSubstr("(not in force)"));
  EXPECT_THAT(list, HasSubstr("2. 10.1.2.0+7"));
  EXPECT_THAT(list, HasSubstr("3. 10.9.0.0-10.9.200.0"));

  EXPECT_THAT(Ban("remove 2"), HasSubstr("Removed entry 2 (10.1.2.0+7)."));
  EXPECT_FALSE(fixture_.Server().Bans().Permanent().IsBanned(0x0A010203));
  EXPECT_TRUE(fixture_.Server().Bans().Permanent().IsBanned(0x0A090001));
  EXPECT_THAT(Ban("list"), Not(HasSubstr("10.1.2.0+7")));
  EXPECT_THAT(Ban("remove 3"), HasSubstr("There is no entry 3"));

  Ban("remove 1");
  Ban("remove 1");
  EXPECT_FALSE(std::filesystem::exists(Banned()));
  EXPECT_TRUE(std::filesystem::exists(fixture_.Folder() / "Banned.bak"));
}

TEST_F(BanCommands, MalformedCommandsChangeNothing) {
  for (const char* arguments : {"", "add 10.1.2", "add 10.1.2.0/40", "remove 0", "remove 1x",
                                "list everything", "drop 1"}) {
    EXPECT_THAT(Ban(arguments), HasSubstr("Usage: ban")) << arguments;
  }
  EXPECT_FALSE(std::filesystem::exists(Banned()));
}

}  // namespace
}  // namespace vantrel::testing
