#include "app/admin_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "app/console_commands.h"
#include "prefs/prefs_file.h"
#include "protocol/access_privileges.h"
#include "support/server_fixture.h"

namespace vantrel::testing {
namespace {

using ::testing::HasSubstr;

class AdminCommandsTest : public ::testing::Test {
 protected:
  std::string Run(std::string_view line) {
    out_.str("");
    RunConsoleCommand(fixture_.Server(), out_, line);
    return out_.str();
  }

  ServerFixture fixture_;
  std::ostringstream out_;
};

TEST_F(AdminCommandsTest, CreateMakesANewHeadAdminAndSavesTheSetting) {
  fixture_.Operator().ScriptText("pw");
  fixture_.Operator().ScriptText("pw");
  EXPECT_THAT(Run("admin create Boss"), HasSubstr("Created the account"));
  EXPECT_EQ(fixture_.Server().Core().Settings().head_admin_login, "Boss");
  Random random(1);
  EXPECT_EQ(ReadPrefsFile(FileSystem::Default(), fixture_.Folder(), random).head_admin_login,
            "Boss");
  const AccountRecord boss = fixture_.Server().Accounts().Store().Read("boss");
  EXPECT_EQ(boss.privileges, kFullAdministratorPrivileges);
  EXPECT_EQ(boss.name, "administrator");
}

TEST_F(AdminCommandsTest, CancelledResetChangesNothing) {
  EXPECT_THAT(Run("admin reset"), HasSubstr("Nothing was changed."));
  EXPECT_EQ(fixture_.Server().Core().Settings().head_admin_login, "admin");
  EXPECT_THAT(Run("admin"), HasSubstr("Usage"));
  EXPECT_THAT(Run("admin select"), HasSubstr("Usage"));
}

TEST_F(AdminCommandsTest, ResetCreatesTheMissingAdminAndConnectAdminPrintsItsLink) {
  fixture_.Operator().ScriptText("pw");
  fixture_.Operator().ScriptText("pw");
  Run("admin reset");
  EXPECT_EQ(fixture_.Server().Accounts().Store().Read("admin").privileges,
            kFullAdministratorPrivileges);
  EXPECT_THAT(Run("connect-admin"),
              HasSubstr("vantrel://admin:pw@127.0.0.1:" + std::to_string(fixture_.Port())));
}

TEST_F(AdminCommandsTest, SettingTheAdminLoginCleansItAndChecksTheAccount) {
  Run("set admin-login Chief");
  EXPECT_EQ(fixture_.Server().Core().Settings().head_admin_login, "Chief");
  EXPECT_TRUE(
      fixture_.Logged("The head administrator account \xD2"
                      "Chief\xD3 still needs a password"));
}

}  // namespace
}  // namespace vantrel::testing
