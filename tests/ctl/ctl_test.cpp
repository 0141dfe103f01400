// vantrel-ctl run as its own process against the in-process server.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <vector>

#include "protocol/field_data.h"
#include "support/control_fixture.h"

namespace vantrel::testing {
namespace {

using ::testing::HasSubstr;

struct CtlRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs vantrel-ctl with `arguments` and `input` on its standard input, serving
// it from the fixture until it exits (at most 10 s).
CtlRun RunCtl(ServerFixture& fixture, const std::vector<std::string>& arguments,
              const std::string& input) {
  int in[2], out[2], err[2];
  if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
    std::vector<char*> argv{const_cast<char*>(VANTREL_CTL_PROGRAM)};
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(VANTREL_CTL_PROGRAM, argv.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  if (::write(in[1], input.data(), input.size()) != ssize_t(input.size())) return {};
  ::close(in[1]);
  ::fcntl(out[0], F_SETFL, O_NONBLOCK);
  ::fcntl(err[0], F_SETFL, O_NONBLOCK);

  CtlRun run;
  auto drain = [](int fd, std::string& into) {
    char chunk[4096];
    for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;) into.append(chunk, size_t(n));
  };
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  int status = 0;
  bool exited = false;
  while (!exited && std::chrono::steady_clock::now() < deadline) {
    fixture.Poll();
    drain(out[0], run.out);
    drain(err[0], run.err);
    exited = ::waitpid(child, &status, WNOHANG) == child;
  }
  if (!exited) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
  }
  drain(out[0], run.out);
  drain(err[0], run.err);
  ::close(out[0]);
  ::close(err[0]);
  run.status = exited && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(Ctl, RunsOneCommandAndExitsWithItsStatus) {
  ControlFixture control;
  const std::string socket = "--control=" + control.SocketPath().string();
  struct Case {
    std::vector<std::string> arguments;
    int status;
    std::string out;
    std::string err;  // a part of it
  } cases[] = {
      {{socket, "broadcast", "Hello"}, 0, "Sent to every logged-in user.\n", ""},
      {{"--control", control.SocketPath().string(), "frobnicate"},
       1,
       "",
       "Unknown command \"frobnicate\""},
      {{"--dir", control.Fixture().Folder().string(), "broadcast", "x"},
       0,
       "Sent to every logged-in user.\n",
       ""},
      {{"--control=/nonexistent/control.sock", "stats"}, 1, "", "is the server running?"},
      {{"--version"}, 0, "vantrel-ctl (Vantrel Server) " VANTREL_VERSION "\n", ""},
      {{"--frobnicate"}, 2, "", "unrecognized option '--frobnicate'"},
  };
  for (const Case& c : cases) {
    const CtlRun run = RunCtl(control.Fixture(), c.arguments, "");
    EXPECT_EQ(run.status, c.status) << c.arguments.back();
    EXPECT_EQ(run.out, c.out) << c.arguments.back();
    EXPECT_THAT(run.err, HasSubstr(c.err)) << c.arguments.back();
  }
}

TEST(Ctl, AnswersTheServersQuestionsFromStandardInput) {
  ControlFixture control;
  const CtlRun run =
      RunCtl(control.Fixture(), {"--control=" + control.SocketPath().string(), "admin", "reset"},
             "secret\nsecret\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_THAT(run.err, HasSubstr("Verify Password:"));
  EXPECT_THAT(run.out, HasSubstr("Created the account"));
  EXPECT_EQ(control.Fixture().Server().Accounts().Store().Read("admin").scrambled_password,
            Scramble("secret"));
}

}  // namespace
}  // namespace vantrel::testing
