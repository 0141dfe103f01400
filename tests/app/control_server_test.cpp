#include "app/control_server.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <functional>
#include <string>

#include "protocol/access_privileges.h"
#include "protocol/field_data.h"
#include "support/control_fixture.h"

namespace vantrel::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// How long a test waits for the server's answer before it fails.
constexpr auto kPatience = std::chrono::seconds(5);

// A raw connection to the control socket, read while the fixture pumps the server.
class ControlClient {
 public:
  ControlClient(ServerFixture& fixture, const std::filesystem::path& path)
      : fixture_(fixture), fd_(ConnectLocalSocket(path)) {}
  ~ControlClient() {
    if (fd_ >= 0) ::close(fd_);
  }

  bool Connected() const { return fd_ >= 0; }

  void Send(std::string_view line) {
    const std::string bytes = std::string(line) + "\n";
    ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
  }

  // What the server sent up to and including the first line that starts with
  // `tag`, or everything until it closed the connection (or time ran out).
  std::string ReadThrough(char tag) {
    return ReadThrough([tag](std::string_view line) { return line[0] == tag; });
  }

  // As above, through the first line for which `last` is true.
  std::string ReadThrough(const std::function<bool(std::string_view line)>& last) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline) {
      for (size_t start = 0, end; (end = received_.find('\n', start)) != std::string::npos;
           start = end + 1) {
        if (last(std::string_view(received_).substr(start, end - start))) {
          std::string text = received_.substr(0, end + 1);
          received_.erase(0, end + 1);
          return text;
        }
      }
      if (!Receive()) break;
    }
    return std::exchange(received_, {});
  }

  // Pumps the server until it closes the connection; false when time ran out.
  bool WaitClosed() {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline) {
      if (!Receive()) return true;
    }
    return false;
  }

  int Descriptor() const { return fd_; }

 private:
  // Runs the server a little and takes what arrived; false once closed.
  bool Receive() {
    fixture_.Poll();
    char chunk[4096];
    const ssize_t n = ::recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
    if (n > 0) received_.append(chunk, static_cast<size_t>(n));
    return n > 0 || (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
  }

  ServerFixture& fixture_;
  int fd_;
  std::string received_;
};

class ControlSocket : public ::testing::Test {
 protected:
  std::unique_ptr<ControlClient> Connect() {
    auto client = std::make_unique<ControlClient>(control_.Fixture(), control_.SocketPath());
    EXPECT_TRUE(client->Connected());
    return client;
  }

  ControlFixture control_;
};

TEST_F(ControlSocket, RunsACommandAndTagsItsOutputForTheOwnerOnly) {
  struct stat status {};
  ASSERT_EQ(::stat(control_.SocketPath().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);

  auto client = Connect();
  client->Send("broadcast Hello");
  EXPECT_EQ(client->ReadThrough('.'), " Sent to every logged-in user.\n.\n");
  client->Send("frobnicate");
  EXPECT_EQ(client->ReadThrough('.'),
            "!Unknown command \"frobnicate\"; type help for the commands.\n.\n");
}

TEST_F(ControlSocket, RefusesAPeerOfAnotherUser) {
  if (::geteuid() != 0) GTEST_SKIP() << "connecting as another user needs root";
  constexpr uid_t kNobody = 65534;
  // Let the other user reach the socket, so that the server's own check refuses it.
  ASSERT_EQ(::chmod(control_.Fixture().Folder().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(control_.SocketPath().c_str(), 0666), 0);

  int answer[2];
  ASSERT_EQ(::pipe(answer), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(answer[0]);
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(2);
    const int fd = ConnectLocalSocket(control_.SocketPath());
    if (fd < 0) ::_exit(3);
    char chunk[512];
    for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;) {
      if (::write(answer[1], chunk, static_cast<size_t>(n)) != n) ::_exit(4);
    }
    ::_exit(0);
  }
  ::close(answer[1]);
  int status = -1;
  bool exited = false;
  for (int i = 0; i < 5000 && !exited; ++i) {
    control_.Fixture().Poll();
    exited = ::waitpid(child, &status, WNOHANG) == child;
  }
  if (!exited) {  // served instead of refused: it waits for more
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
  }
  std::string refusal(512, '\0');
  refusal.resize(static_cast<size_t>(std::max<ssize_t>(0, ::read(answer[0], refusal.data(), 512))));
  ::close(answer[0]);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_THAT(refusal, StartsWith("!Refused"));
  EXPECT_TRUE(control_.Fixture().Logged("Refused a connection from user ID 65534"));
}

TEST_F(ControlSocket, OneClientHoldsTheQuestionsWhileAnotherRunsCommands) {
  auto holder = Connect();
  auto other = Connect();
  holder->Send("admin reset");
  EXPECT_THAT(holder->ReadThrough('?'), HasSubstr("?P Password:\n"));

  other->Send("admin reset");
  const std::string refused = other->ReadThrough('.');
  EXPECT_THAT(refused, HasSubstr(" [Busy] Another operator is answering"));
  EXPECT_THAT(refused, HasSubstr(" Nothing was changed.\n"));
  other->Send("broadcast Still here");
  EXPECT_EQ(other->ReadThrough('.'), " Sent to every logged-in user.\n.\n");

  holder->Send("s\xC3\xA9same");  // UTF-8, kept in Mac Roman
  EXPECT_EQ(holder->ReadThrough('?'), "?P Verify Password:\n");
  holder->Send("s\xC3\xA9same");
  EXPECT_THAT(holder->ReadThrough('.'), HasSubstr(" Created the account"));
  const AccountRecord admin = control_.Fixture().Server().Accounts().Store().Read("admin");
  EXPECT_EQ(admin.scrambled_password, Scramble("s\x8Esame"));
  EXPECT_EQ(admin.privileges, kFullAdministratorPrivileges);
}

TEST_F(ControlSocket, ClosingTheConnectionAnswersItsQuestionWithCancel) {
  auto client = Connect();
  client->Send("admin reset");
  EXPECT_THAT(client->ReadThrough('?'), HasSubstr("?P Password:\n"));
  client.reset();
  for (int i = 0; i < 20; ++i) control_.Fixture().Poll();  // the server sees it gone
  auto next = Connect();
  next->Send("admin reset");  // not refused as busy: nobody holds the questions now
  EXPECT_THAT(next->ReadThrough('?'), HasSubstr("?P Password:\n"));
  EXPECT_FALSE(control_.Fixture().Server().Accounts().Store().Exists("admin"));
}

TEST_F(ControlSocket, AFollowerSeesTheLogWhileTheServerServesClients) {
  auto follower = Connect();
  follower->Send("log --follow");
  EXPECT_THAT(follower->ReadThrough('.'), HasSubstr("Vantrel Server started"));

  auto user = control_.Fixture().ConnectClient();
  ASSERT_TRUE(user);
  control_.Fixture().Server().Core().Log().Line("Kay", "Login successful");
  EXPECT_THAT(follower->ReadThrough(
                  [](std::string_view line) { return line.find("Kay") != std::string_view::npos; }),
              HasSubstr("Kay                  Login successful\n"));
}

TEST_F(ControlSocket, DropsAClientThatSendsAMebibyteWithoutALineEnd) {
  auto flooder = Connect();
  const std::string chunk(64 * 1024, 'x');
  size_t sent = 0;
  // The server stops taking bytes at its line limit: the sends fail long before 1 MiB.
  for (int i = 0; i < 5000 && sent < 1024 * 1024; ++i) {
    const ssize_t n =
        ::send(flooder->Descriptor(), chunk.data(), chunk.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) break;
    if (n > 0) sent += static_cast<size_t>(n);
    control_.Fixture().Poll();
  }
  EXPECT_LT(sent, 1024u * 1024u);
  EXPECT_TRUE(flooder->WaitClosed());
  EXPECT_TRUE(
      control_.Fixture().Logged("Dropped a connection that sent over 64 KiB without a line end"));

  auto next = Connect();
  next->Send("broadcast After");
  EXPECT_EQ(next->ReadThrough('.'), " Sent to every logged-in user.\n.\n");
}

}  // namespace
}  // namespace vantrel::testing
