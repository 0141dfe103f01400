#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/exception.h"
#include "platform/tcp_transport.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "support/server_fixture.h"

namespace vantrel::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

constexpr uint32_t kSecondLoopback = 0x7F000002;

void Fail(CMyApplication& server, int times) {
  for (int i = 0; i < times; ++i) server.Core().ReportFailure(Omberly::CException(4, 102));
}

TEST(Lifecycle, StartWritesVersionCreatesFoldersNamesItsAddressAndListens) {
  ServerFixture fixture;
  // Without an operator to answer, the head administrator check only leaves a note.
  EXPECT_THAT(fixture.LogLines(), ElementsAre("Vantrel Server|1.9", "|Loaded MessageBoard.txt",
                                              "|Could not find file \xD2"
                                              "Agreement.txt\xD3",
                                              "|The head administrator account \xD2"
                                              "admin\xD3 still needs a password",
                                              "127.0.0.1:" + std::to_string(fixture.Port()) +
                                                  "|Vantrel Server started"));
  for (const char* folder : {"Users", "Files", "News"}) {
    EXPECT_TRUE(std::filesystem::is_directory(fixture.Folder() / folder)) << folder;
  }
  EXPECT_TRUE(fixture.Server().Core().Started());
  for (int offset = 0; offset < 4; ++offset) {
    TestClient client(static_cast<uint16_t>(fixture.Port() + offset), [&] { fixture.Poll(); });
    EXPECT_TRUE(client.Connected()) << "port P + " << offset;
  }
}

TEST(Lifecycle, StartRemovesWhatInterruptedSavesLeft) {
  ServerFixture fixture(/*start=*/false);
  const std::filesystem::path folder = fixture.Folder();
  std::filesystem::create_directories(folder / "Users" / "bob");
  const std::vector<std::filesystem::path> leftovers = {
      folder / "MessageBoard.txt.new", folder / "Banned.new", folder / "Users/bob/UserData.new"};
  for (const auto& leftover : leftovers) std::ofstream(leftover) << "half a save";
  fixture.Start();
  ASSERT_TRUE(fixture.Server().Core().Started());
  for (const auto& leftover : leftovers)
    EXPECT_FALSE(std::filesystem::exists(leftover)) << leftover;
}

TEST(Lifecycle, TakenTunnelPortStopsStartUpAfterTheTcpListeners) {
  ServerFixture fixture(false);
  asio::io_context elsewhere;
  TcpListener blocker(elsewhere);  // another program holding P + 2
  blocker.Open(kLoopback, static_cast<uint16_t>(fixture.Port() + 2), 1, {});
  fixture.Start();

  EXPECT_THAT(
      fixture.LogLines(),
      Contains("Server Error|Please change the \"Server IP\" or \"Server port number\" from "
               "\"Options/General\" and restart the server"));
  EXPECT_THAT(fixture.Operator().Shown(),
              Contains("notice:Server Error:Cannot bind to the specified address because it is "
                       "incorrect or it is already in use. Please change the \"Server IP\" or "
                       "\"Server port number\" from \"Options/General\" and restart the server."));
  EXPECT_FALSE(fixture.Logged("Vantrel Server started"));
  EXPECT_FALSE(fixture.Server().Core().Started());

  auto client = fixture.ConnectLoggedIn();
  ASSERT_TRUE(client);
  EXPECT_TRUE(client->Call(kTranKeepAlive));
  TestClient transfer(static_cast<uint16_t>(fixture.Port() + 1), [&] { fixture.Poll(); });
  EXPECT_TRUE(transfer.Connected());
}

TEST(Lifecycle, HundredFailuresWithin300SecondsOnlyLogAndTheNextResetsSilently) {
  ServerFixture fixture;
  auto observer = fixture.ConnectLoggedIn(kSecondLoopback);
  auto other = fixture.ConnectLoggedIn();
  ASSERT_TRUE(observer && other);
  const size_t lines_before = fixture.LogLines().size();

  Fail(fixture.Server(), 100);
  const std::string error_log = ReadWholeFile(fixture.Folder() / "Error Log.txt");
  EXPECT_EQ(std::count(error_log.begin(), error_log.end(), '\r'), 100);
  fixture.Clock().Advance(301);  // the next failure starts a new window
  Fail(fixture.Server(), 100);
  EXPECT_EQ(fixture.Server().Core().Clients().Size(), 2u);

  Fail(fixture.Server(), 1);
  EXPECT_TRUE(fixture.Server().Core().Clients().Empty());
  EXPECT_EQ(fixture.Server().Core().Stats().current_connections, 0u);
  EXPECT_EQ(fixture.Server().Core().Stats().connection_peak, 2u);
  EXPECT_TRUE(observer->WaitClosed());
  EXPECT_FALSE(observer->WaitRequest(kTranUserLeft, milliseconds(20)));
  fixture.RunPass();
  const auto lines = fixture.LogLines();
  ASSERT_EQ(lines.size(), lines_before + 1);
  EXPECT_EQ(lines.back(), "|SERVER RESET - too many errors");
  EXPECT_THAT(lines, Not(Contains(::testing::HasSubstr("Connection closed"))));
  EXPECT_EQ(fixture.Server().Core().GetCounters().failures, 201u);
  EXPECT_EQ(fixture.Server().Core().GetCounters().resets, 1u);
}

TEST(Lifecycle, ElevenResetsWithoutAConnectionEndTheProcess) {
  ServerFixture fixture;
  Fail(fixture.Server(), 101 * 10);
  ASSERT_TRUE(fixture.ConnectClient());  // starts the count again
  Fail(fixture.Server(), 101 * 10);
  EXPECT_TRUE(fixture.Exits().empty());
  Fail(fixture.Server(), 101);
  ASSERT_EQ(fixture.Exits().size(), 1u);
  EXPECT_NE(fixture.Exits()[0], 0);
}

TEST(Lifecycle, FailureInAHandlerIsLoggedAndTheConnectionStays) {
  ServerFixture fixture;
  fixture.Server().Core().Handlers().Register(
      kTranGetFileList, [](Request&) { throw Omberly::CException(4, 102, {}, 2); });
  auto client = fixture.ConnectLoggedIn();
  ASSERT_TRUE(client);
  client->SendRequest(kTranGetFileList);
  EXPECT_TRUE(client->Call(kTranKeepAlive));
  const std::string error_log = ReadWholeFile(fixture.Folder() / "Error Log.txt");
  EXPECT_NE(error_log.find("The specified file or folder could not be found. (ID 4/102 [2])\r"),
            std::string::npos);
}

TEST(Lifecycle, QuitRequestWithNobodyConnectedQuitsAndSavesSettings) {
  ServerFixture fixture;
  std::filesystem::remove(fixture.Folder() / "Prefs");
  const size_t shown = fixture.Operator().Shown().size();
  fixture.Server().Core().QuitRequest();
  EXPECT_EQ(fixture.Quits(), 1);
  EXPECT_TRUE(std::filesystem::exists(fixture.Folder() / "Prefs"));
  EXPECT_EQ(fixture.Operator().Shown().size(), shown);
}

TEST(Lifecycle, QuitWithUsersAsksUnlessConfirmationIsOffOrThereIsNoMessage) {
  ServerFixture fixture;
  auto client = fixture.ConnectLoggedIn();
  fixture.Operator().ScriptChoice(2);  // Cancel
  fixture.Server().Core().QuitRequest();
  EXPECT_EQ(fixture.Quits(), 0);
  ASSERT_FALSE(fixture.Operator().Shown().empty());
  EXPECT_EQ(fixture.Operator().Shown().back(),
            "choose:Quit:There are people connected to this server.  If you quit, they will be "
            "disconnected.  To disconnect them with a message, click \xD2Polite Quit\xD3.");
  fixture.Operator().ScriptChoice(1);  // Quit Now
  fixture.Server().Core().QuitRequest();
  EXPECT_EQ(fixture.Quits(), 1);
  fixture.Server().Core().PoliteQuit("");  // a polite quit without a message does not wait
  EXPECT_EQ(fixture.Quits(), 2);
  fixture.Server().Core().Settings().option_flags &= ~kOptionConfirmQuit;
  fixture.Server().Core().QuitRequest();
  EXPECT_EQ(fixture.Quits(), 3);
}

TEST(Lifecycle, PoliteQuitTellsUsersAndWaitsForTheLastToLeave) {
  ServerFixture fixture;
  auto first = fixture.ConnectLoggedIn();
  auto second = fixture.ConnectLoggedIn();
  ASSERT_TRUE(first && second);
  fixture.Server().Core().PoliteQuit("Back soon");
  EXPECT_TRUE(fixture.Server().Core().ShuttingDown());
  for (auto* client : {first.get(), second.get()}) {
    EXPECT_EQ(DataText(client->WaitRequest(kTranServerQuitting)), "Back soon");
  }
  first->Close();
  fixture.RunPass();
  fixture.RunPass();
  EXPECT_EQ(fixture.Quits(), 0);

  auto late = fixture.Connect(kSecondLoopback);
  late->SendHandshake();
  EXPECT_TRUE(late->WaitClosed());
  EXPECT_FALSE(late->ReadRaw(1, milliseconds(10)).has_value());

  second->Close();
  for (int i = 0; i < 100 && fixture.Quits() == 0; ++i) fixture.Poll();
  EXPECT_EQ(fixture.Quits(), 1);
}

TEST(Lifecycle, CancelledPoliteQuitGoesOn) {
  ServerFixture fixture;
  auto client = fixture.ConnectLoggedIn();
  fixture.Operator().ScriptChoice(1);  // Cancel in "Quitting"
  fixture.Server().Core().PoliteQuit("Bye");
  EXPECT_FALSE(fixture.Server().Core().ShuttingDown());
  client->Close();
  for (int i = 0; i < 20; ++i) fixture.Poll();
  EXPECT_EQ(fixture.Quits(), 0);
  EXPECT_TRUE(fixture.ConnectClient(kSecondLoopback));
}

}  // namespace
}  // namespace vantrel::testing
