#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "logs/log_window.h"
#include "platform/exception.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "support/server_fixture.h"

namespace vantrel::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

constexpr uint32_t kSecondLoopback = 0x7F000002;

// Holds a TCP port on 127.0.0.1 as another program would.
class PortBlocker {
 public:
  explicit PortBlocker(uint16_t port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
             ::listen(fd_, 1) == 0;
  }
  ~PortBlocker() { ::close(fd_); }
  bool Bound() const { return bound_; }

 private:
  int fd_;
  bool bound_ = false;
};

void Fail(CMyApplication& server, int times) {
  for (int i = 0; i < times; ++i) server.ReportFailure(Omberly::CException(4, 102));
}

TEST(Lifecycle, StartWritesVersionCreatesFoldersAndNamesItsAddress) {
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
  EXPECT_TRUE(fixture.Server().Started());
  EXPECT_EQ(StartedWhoText(kLoopback, 5500), "127.0.0.1");
}

TEST(Lifecycle, AllFourPortsListen) {
  ServerFixture fixture;
  for (int offset = 0; offset < 4; ++offset) {
    TestClient client(static_cast<uint16_t>(fixture.Port() + offset), [&] { fixture.Poll(); });
    EXPECT_TRUE(client.Connected()) << "port P + " << offset;
  }
}

TEST(Lifecycle, TakenTunnelPortStopsStartUpAfterTheTcpListeners) {
  ServerFixture fixture(false);
  PortBlocker blocker(static_cast<uint16_t>(fixture.Port() + 2));
  ASSERT_TRUE(blocker.Bound());
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
  EXPECT_FALSE(fixture.Server().Started());

  auto client = fixture.ConnectLoggedIn();
  ASSERT_TRUE(client);
  EXPECT_TRUE(client->WaitReply(client->SendRequest(kTranKeepAlive)));
  TestClient transfer(static_cast<uint16_t>(fixture.Port() + 1), [&] { fixture.Poll(); });
  EXPECT_TRUE(transfer.Connected());
}

TEST(Lifecycle, HundredFailuresOnlyLogAndTheNextResetsSilently) {
  ServerFixture fixture;
  auto observer = fixture.ConnectLoggedIn(kSecondLoopback);
  auto other = fixture.ConnectLoggedIn();
  ASSERT_TRUE(observer && other);
  const size_t lines_before = fixture.LogLines().size();

  Fail(fixture.Server(), 100);
  EXPECT_EQ(fixture.Server().Clients().Size(), 2u);
  const std::string error_log = ReadWholeFile(fixture.Folder() / "Error Log.txt");
  EXPECT_EQ(std::count(error_log.begin(), error_log.end(), '\r'), 100);

  Fail(fixture.Server(), 1);
  EXPECT_TRUE(fixture.Server().Clients().Empty());
  EXPECT_EQ(fixture.Server().Stats().current_connections, 0u);
  EXPECT_EQ(fixture.Server().Stats().connection_peak, 2u);
  EXPECT_TRUE(observer->WaitClosed());
  EXPECT_FALSE(observer->WaitRequest(kTranUserLeft, milliseconds(20)));
  fixture.RunPass();
  const auto lines = fixture.LogLines();
  ASSERT_EQ(lines.size(), lines_before + 1);
  EXPECT_EQ(lines.back(), "|SERVER RESET - too many errors");
  EXPECT_THAT(lines, Not(Contains(::testing::HasSubstr("Connection closed"))));
}

TEST(Lifecycle, FailureAfterThe300SecondWindowStartsANewOne) {
  ServerFixture fixture;
  auto client = fixture.ConnectLoggedIn();
  Fail(fixture.Server(), 100);
  fixture.Clock().Advance(301);
  Fail(fixture.Server(), 100);
  EXPECT_EQ(fixture.Server().Clients().Size(), 1u);
  Fail(fixture.Server(), 1);
  EXPECT_TRUE(fixture.Server().Clients().Empty());
}

TEST(Lifecycle, ElevenResetsWithoutAConnectionEndTheProcess) {
  ServerFixture fixture;
  Fail(fixture.Server(), 101 * 10);
  EXPECT_TRUE(fixture.Exits().empty());
  Fail(fixture.Server(), 101);
  ASSERT_EQ(fixture.Exits().size(), 1u);
  EXPECT_NE(fixture.Exits()[0], 0);
}

TEST(Lifecycle, AConnectionBetweenResetsStartsTheCountAgain) {
  ServerFixture fixture;
  Fail(fixture.Server(), 101 * 10);
  ASSERT_TRUE(fixture.ConnectClient());
  Fail(fixture.Server(), 101);
  EXPECT_TRUE(fixture.Exits().empty());
}

TEST(Lifecycle, FailureInAHandlerIsLoggedAndTheConnectionStays) {
  ServerFixture fixture;
  fixture.Server().Handlers().Register(kTranGetFileList,
                                       [](Request&) { throw Omberly::CException(4, 102, {}, 2); });
  auto client = fixture.ConnectLoggedIn();
  ASSERT_TRUE(client);
  client->SendRequest(kTranGetFileList);
  EXPECT_TRUE(client->WaitReply(client->SendRequest(kTranKeepAlive)));
  const std::string error_log = ReadWholeFile(fixture.Folder() / "Error Log.txt");
  EXPECT_NE(error_log.find("The specified file or folder could not be found. (ID 4/102 [2])\r"),
            std::string::npos);
}

TEST(Lifecycle, QuitRequestWithNobodyConnectedQuitsAndSavesSettings) {
  ServerFixture fixture;
  std::filesystem::remove(fixture.Folder() / "Prefs");
  const size_t shown = fixture.Operator().Shown().size();
  fixture.Server().QuitRequest();
  EXPECT_EQ(fixture.Quits(), 1);
  EXPECT_TRUE(std::filesystem::exists(fixture.Folder() / "Prefs"));
  EXPECT_EQ(fixture.Operator().Shown().size(), shown);
}

TEST(Lifecycle, QuitRequestWithUsersAsksTheOperator) {
  ServerFixture fixture;
  auto client = fixture.ConnectLoggedIn();
  fixture.Operator().ScriptChoice(2);  // Cancel
  fixture.Server().QuitRequest();
  EXPECT_EQ(fixture.Quits(), 0);
  ASSERT_FALSE(fixture.Operator().Shown().empty());
  EXPECT_EQ(fixture.Operator().Shown().back(),
            "choose:Quit:There are people connected to this server.  If you quit, they will be "
            "disconnected.  To disconnect them with a message, click \xD2Polite Quit\xD3.");
  fixture.Operator().ScriptChoice(1);  // Quit Now
  fixture.Server().QuitRequest();
  EXPECT_EQ(fixture.Quits(), 1);
}

TEST(Lifecycle, QuitWithoutConfirmationSetQuitsAtOnce) {
  ServerFixture fixture;
  auto client = fixture.ConnectLoggedIn();
  fixture.Server().Settings().option_flags &= ~kOptionConfirmQuit;
  fixture.Server().QuitRequest();
  EXPECT_EQ(fixture.Quits(), 1);
}

TEST(Lifecycle, PoliteQuitTellsUsersAndWaitsForTheLastToLeave) {
  ServerFixture fixture;
  auto first = fixture.ConnectLoggedIn();
  auto second = fixture.ConnectLoggedIn();
  ASSERT_TRUE(first && second);
  fixture.Server().PoliteQuit("Back soon");
  EXPECT_TRUE(fixture.Server().ShuttingDown());
  for (auto* client : {first.get(), second.get()}) {
    const auto quitting = client->WaitRequest(kTranServerQuitting);
    ASSERT_TRUE(quitting);
    EXPECT_EQ(quitting->fields.ReadText(kFieldData, 256), "Back soon");
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

TEST(Lifecycle, PoliteQuitWithAnEmptyMessageQuitsAtOnce) {
  ServerFixture fixture;
  auto client = fixture.ConnectLoggedIn();
  fixture.Server().PoliteQuit("");
  EXPECT_EQ(fixture.Quits(), 1);
}

TEST(Lifecycle, CancelledPoliteQuitGoesOn) {
  ServerFixture fixture;
  auto client = fixture.ConnectLoggedIn();
  fixture.Operator().ScriptChoice(1);  // Cancel in "Quitting"
  fixture.Server().PoliteQuit("Bye");
  EXPECT_FALSE(fixture.Server().ShuttingDown());
  client->Close();
  for (int i = 0; i < 20; ++i) fixture.Poll();
  EXPECT_EQ(fixture.Quits(), 0);
  EXPECT_TRUE(fixture.ConnectClient(kSecondLoopback));
}

}  // namespace
}  // namespace vantrel::testing
