#include "app/console.h"

#include "app/operator_desk.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "prefs/prefs_file.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "support/server_fixture.h"

namespace vantrel::testing {
namespace {

using ::testing::HasSubstr;

class ConsoleTest : public ::testing::Test {
 protected:
  std::string Run(std::string_view line) {
    out_.str("");
    console_.HandleLine(line);
    return out_.str();
  }

  ServerFixture fixture_;
  std::ostringstream out_;
  OperatorDesk desk_;
  Console console_{fixture_.Server(), desk_, out_, /*interactive=*/true, /*decorated=*/true};
};

TEST_F(ConsoleTest, UnknownCommandPointsToHelpAndABlankLineDoesNothing) {
  EXPECT_THAT(Run("frobnicate"), HasSubstr("type help"));
  EXPECT_EQ(Run("   "), "");
}

TEST_F(ConsoleTest, CountersShowRefusalsByKind) {
  auto client = fixture_.Connect();
  client->SendRaw(std::vector<uint8_t>{'G', 'E', 'T', ' ', '/', ' ', 'H', 'T', 'T', 'P', '/', '1'});
  ASSERT_TRUE(client->WaitClosed());
  const std::string counters = Run("counters");
  EXPECT_THAT(counters, HasSubstr("refused_handshakes        1\n"));
  EXPECT_THAT(counters, HasSubstr("autoban_news_spam         0\n"));
}

TEST_F(ConsoleTest, BroadcastReachesLoggedInUsersOnly) {
  auto user = fixture_.ConnectLoggedIn();
  auto stranger = fixture_.ConnectClient(0x7F000002);
  ASSERT_TRUE(user && stranger);
  EXPECT_THAT(Run("broadcast Caf\xC3\xA9 opens"), HasSubstr("Sent"));
  EXPECT_EQ(DataText(user->WaitRequest(kTranServerMessage)), "Caf\x8E opens");  // Mac Roman é
  EXPECT_FALSE(stranger->WaitRequest(kTranServerMessage, milliseconds(20)));
  EXPECT_THAT(Run("broadcast"), HasSubstr("Usage"));
}

TEST_F(ConsoleTest, SetChangesAndSavesASettingButKeepsTheListeners) {
  EXPECT_THAT(Run("options"), HasSubstr("Maximum simultaneous downloads:"));
  Run("set max-downloads 7");
  EXPECT_EQ(fixture_.Server().Core().Settings().max_downloads, 7);
  Random random(1);
  EXPECT_EQ(ReadPrefsFile(FileSystem::Default(), fixture_.Folder(), random).max_downloads, 7);

  const uint16_t port = fixture_.Port();
  EXPECT_THAT(Run("set port 6000"),
              HasSubstr("will only take effect after the server is restarted"));
  EXPECT_EQ(fixture_.Server().Core().ListeningPort(), port);
  EXPECT_THAT(Run("set port 0"), HasSubstr("6000"));
  EXPECT_EQ(fixture_.Server().Core().Settings().server_port, 6000);
  EXPECT_THAT(Run("set"), HasSubstr("Usage"));
}

TEST_F(ConsoleTest, QuitCommands) {
  auto user = fixture_.ConnectLoggedIn();
  Run("quit Closing for the night");
  ASSERT_TRUE(user->WaitRequest(kTranServerQuitting));
  EXPECT_EQ(fixture_.Quits(), 0);
  Run("quit now");
  EXPECT_EQ(fixture_.Quits(), 1);
}

TEST_F(ConsoleTest, QuestionsAreAnsweredByTheNextLineBeforeCommands) {
  std::optional<size_t> chosen;
  desk_.Choose("Quit", "Really?", {"Polite Quit", "Quit Now", "Cancel"},
               [&](std::optional<size_t> choice) { chosen = choice; });
  EXPECT_THAT(out_.str(), HasSubstr("[Quit] Really?"));
  EXPECT_THAT(out_.str(), HasSubstr("2) Quit Now"));
  EXPECT_THAT(Run("help"), HasSubstr("Choose 1-3"));  // not a choice: asked again
  EXPECT_FALSE(chosen);
  Run("cancel");
  ASSERT_TRUE(chosen);
  EXPECT_EQ(*chosen, 2u);

  std::vector<std::string> answers;
  desk_.AskPassword("Password:", [&](std::optional<std::string> text) {
    answers.push_back(*text);
    desk_.AskPassword("Again:",
                      [&](std::optional<std::string> again) { answers.push_back(*again); });
  });
  EXPECT_THAT(Run("s\xC3\xA9same"), HasSubstr("Again:"));
  Run("other");
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0], "s\x8Esame");
  EXPECT_EQ(answers[1], "other");
  EXPECT_THAT(Run("help"), HasSubstr("quit now"));  // no question left: a command again
}

TEST(ConsoleWithoutTerminal, AnswersEveryQuestionWithNothingButPrintsNotices) {
  ServerFixture fixture;
  std::ostringstream out;
  OperatorDesk desk;
  Console console(fixture.Server(), desk, out, /*interactive=*/false, /*decorated=*/false);
  bool answered = false;
  desk.AskText("Name?", [&](std::optional<std::string> text) {
    answered = true;
    EXPECT_FALSE(text);
  });
  EXPECT_TRUE(answered);
  desk.Notice("Restart the server", "Changes \xD2now\xD3");
  EXPECT_EQ(out.str(), "[Restart the server] Changes \xE2\x80\x9Cnow\xE2\x80\x9D\n");
}

TEST(ConsoleLogLines, AreDecoratedOnATerminalAndPlainForAJournal) {
  const LogWindow::EchoedLine line{"01/02/2026 03:04:05    Kay        Login successful", "Kay",
                                   "Login successful"};
  const LogWindow::EchoedLine anonymous{"01/02/2026 03:04:05               Loaded", "", "Loaded"};
  struct Case {
    bool decorated;
    const char* printed;
  } cases[] = {
      {true,
       "01/02/2026 03:04:05    Kay        Login successful\n"
       "01/02/2026 03:04:05               Loaded\n"},
      {false, "Kay: Login successful\nLoaded\n"},
  };
  ServerFixture fixture;
  for (const Case& c : cases) {
    std::ostringstream out;
    OperatorDesk desk;
    Console console(fixture.Server(), desk, out, /*interactive=*/false, c.decorated);
    desk.LogLine(line);
    desk.LogLine(anonymous);
    EXPECT_EQ(out.str(), c.printed) << c.decorated;
  }
}

}  // namespace
}  // namespace vantrel::testing
