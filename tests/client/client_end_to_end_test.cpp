#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <initializer_list>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "accounts/account_record.h"
#include "client/client_program.h"
#include "client/login.h"
#include "client/server_connection.h"
#include "client/transfers.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "support/server_fixture.h"
#include "support/shared_tree.h"
#include "support/temporary_folder.h"

namespace vantrel::client {
namespace {

using ::testing::HasSubstr;
using testing::MakeFile;
using testing::ReadWholeFile;
namespace fs = std::filesystem;

// Privileges of the accounts: upload 1, download 2, read and send chat 9 and
// 10, read and post news 20 and 21, send private messages 40.
constexpr std::initializer_list<unsigned> kUserBits = {1, 2, 9, 10, 20, 21, 40};
// Create news categories.
constexpr unsigned kCreateCategories = 34;

std::string RandomBytes(size_t n) {
  std::mt19937 random(7);
  std::string bytes(n, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

struct Finished {
  int status = -1;
  std::string out;
  std::string err;
};

// The real server in-process with the accounts "guest" and "ann" (password
// "pw", name "Ann"), and the client run against it on the same thread.
class ClientEndToEnd : public ::testing::Test {
 protected:
  ClientEndToEnd() {
    AddAccount("guest", "guest", "");
    AddAccount("ann", "Ann", "pw");
  }

  void AddAccount(const std::string& login, const std::string& name, const std::string& password) {
    AccountRecord record;
    record.login = login;
    record.name = name;
    record.scrambled_password = Scramble(password);
    for (const unsigned bit : kUserBits) record.privileges.Set(bit);
    fixture_.Server().Accounts().Store().Create(record);
  }

  std::string Link(const std::string& user = "") const {
    return "vantrel://" + user + (user.empty() ? "" : "@") +
           "127.0.0.1:" + std::to_string(fixture_.Port());
  }

  // Runs the program in-process: vantrel-client LINK --run COMMAND...
  Finished Run(const std::string& link, std::initializer_list<std::string> commands) {
    std::vector<std::string> arguments = {link};
    for (const std::string& command : commands)
      arguments.insert(arguments.end(), {"--run", command});
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    ProgramIo io{in, out, err, false, {}, {}};
    io.pump = [this] { fixture_.Poll(); };
    Finished finished;
    finished.status = RunClient(arguments, io);
    finished.out = out.str();
    finished.err = err.str();
    return finished;
  }

  // A connection logged in as guest through the client library.
  std::unique_ptr<ServerConnection> LogInAsGuest() {
    std::string error;
    auto socket = ClientSocket::Connect(
        "127.0.0.1", fixture_.Port(), ClientSocket::Clock::now() + kAnswerWait,
        [this] { fixture_.Poll(); }, error);
    auto server = std::make_unique<ServerConnection>(std::move(socket));
    EXPECT_TRUE(server->Handshake());
    EXPECT_TRUE(LogIn(*server, {"", "", "guest", 0}, [](std::string_view) { return true; }).ok);
    return server;
  }

  TransferPort Transfers() {
    return {"127.0.0.1", static_cast<uint16_t>(fixture_.Port() + 1), [this] { fixture_.Poll(); }};
  }

  fs::path Files() const { return fixture_.Folder() / "Files"; }

  vantrel::testing::ServerFixture fixture_;
  vantrel::testing::TemporaryFolder local_;
};

TEST_F(ClientEndToEnd, LogsInAsGuestAndWithAnAccount) {
  const Finished guest = Run(Link(), {"/who"});
  EXPECT_EQ(guest.status, kExitOk) << guest.err;
  EXPECT_THAT(guest.out, HasSubstr("guest  (user "));

  const Finished ann = Run(Link("ann:pw"), {"/who"});
  EXPECT_EQ(ann.status, kExitOk) << ann.err;
  EXPECT_THAT(ann.out, HasSubstr("Ann  (user "));
}

TEST_F(ClientEndToEnd, ChatLineReachesASecondClientAndIsShownToItsSpeaker) {
  auto listener = fixture_.ConnectAs("listener", {9});
  const Finished said = Run(Link(), {"hello there"});
  EXPECT_EQ(said.status, kExitOk) << said.err;
  EXPECT_THAT(said.out, HasSubstr("guest:  hello there"));
  EXPECT_THAT(testing::DataText(listener->WaitRequest(kTranChatMessage)),
              HasSubstr("guest:  hello there"));
}

TEST_F(ClientEndToEnd, PrivateMessageReachesItsRecipient) {
  auto listener = fixture_.ConnectAs("listener");
  const Finished sent = Run(Link(), {"/msg listener just for you"});
  EXPECT_EQ(sent.status, kExitOk) << sent.err;
  EXPECT_EQ(testing::DataText(listener->WaitRequest(kTranServerMessage)), "just for you");
}

TEST_F(ClientEndToEnd, ListsAFolder) {
  MakeFile(Files() / "Docs" / "a.txt", std::string(1000, 'a'));
  fs::create_directories(Files() / "Docs" / "Sub");
  const Finished listed = Run(Link(), {"/ls Docs"});
  EXPECT_EQ(listed.status, kExitOk) << listed.err;
  EXPECT_THAT(listed.out, HasSubstr("a.txt  (1,000 bytes)\n"));
  EXPECT_THAT(listed.out, HasSubstr("Sub/  (0 items)\n"));
}

TEST_F(ClientEndToEnd, DownloadsAFileByteForByte) {
  const std::string data = RandomBytes(300'000);
  MakeFile(Files() / "Docs" / "data.bin", data);
  const fs::path local = local_.Path() / "copy.bin";
  const Finished got = Run(Link(), {"/get Docs/data.bin " + local.string()});
  EXPECT_EQ(got.status, kExitOk) << got.err;
  EXPECT_EQ(ReadWholeFile(local), data);
  EXPECT_FALSE(fs::exists(local.string() + ".vpf"));
}

TEST_F(ClientEndToEnd, UploadsAFileIntoAFolder) {
  const std::string data = RandomBytes(200'000);
  MakeFile(local_.Path() / "report.bin", data);
  fs::create_directories(Files() / "Uploads");
  const Finished put =
      Run(Link(), {"/put " + (local_.Path() / "report.bin").string() + " Uploads"});
  EXPECT_EQ(put.status, kExitOk) << put.err;
  EXPECT_EQ(ReadWholeFile(Files() / "Uploads" / "report.bin"), data);
}

TEST_F(ClientEndToEnd, InterruptedDownloadResumesByteForByte) {
  const std::string data = RandomBytes(1'000'000);
  MakeFile(Files() / "big.bin", data);
  const fs::path local = local_.Path() / "big.bin";
  auto server = LogInAsGuest();

  TransferObserver interrupt;
  interrupt.progress = [](uint64_t done, uint64_t) { return done == 0; };
  const auto cut = Download(*server, Transfers(), {"big.bin"}, local, interrupt);
  EXPECT_FALSE(cut.ok);
  const auto held = fs::file_size(local.string() + ".vpf");
  EXPECT_GT(held, 0u);
  EXPECT_LT(held, data.size());

  const auto resumed = Download(*server, Transfers(), {"big.bin"}, local, {});
  EXPECT_TRUE(resumed.ok) << resumed.error;
  EXPECT_EQ(resumed.offset, held);
  EXPECT_EQ(ReadWholeFile(local), data);
}

TEST_F(ClientEndToEnd, PostsAnArticleAndReadsTheNews) {
  auto editor = fixture_.ConnectAs("editor", {kCreateCategories});
  UFieldData category;
  category.AddText(kFieldCategoryName, "Talk");
  ASSERT_EQ(editor->Call(kTranNewNewsCategory, category)->header.error, 0u);

  const Finished news = Run(Link(), {"/post Talk.vnz \"First post\"\nHello,\nnews.", "/news",
                                     "/news Talk.vnz", "/read Talk.vnz 1"});
  EXPECT_EQ(news.status, kExitOk) << news.err;
  EXPECT_THAT(news.out, HasSubstr("Talk.vnz  (1 article)\n"));
  EXPECT_THAT(news.out, HasSubstr("  First post  (guest)\n"));
  EXPECT_THAT(news.out, HasSubstr("First post\nFrom guest, "));
  EXPECT_THAT(news.out, HasSubstr("\n\nHello,\nnews.\n"));
}

// The program itself, as a child process: the server keeps running in this
// thread until it exits.
TEST_F(ClientEndToEnd, RefusedLoginTellsWhyOnStandardErrorAndFails) {
  int err[2];
  ASSERT_EQ(::pipe2(err, O_CLOEXEC), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  const std::string link = Link("nobody:pw");
  std::vector<char*> argv = {const_cast<char*>(VANTREL_CLIENT_PROGRAM),
                             const_cast<char*>(link.c_str()), const_cast<char*>("--run"),
                             const_cast<char*>("/who"), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(::posix_spawn(&pid, VANTREL_CLIENT_PROGRAM, &actions, nullptr, argv.data(), environ),
            0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(err[1]);

  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      FAIL() << "the client did not exit";
    }
    fixture_.Poll();
  }
  std::string text(4096, '\0');
  const ssize_t n = ::read(err[0], text.data(), text.size());
  ::close(err[0]);
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  EXPECT_EQ(text, "Incorrect login.\n");
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), kExitFailed);
}

}  // namespace
}  // namespace vantrel::client
