#include "platform/url_opener.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

extern char** environ;

namespace vantrel {
namespace {

// Most bytes of xdg-mime's answer that are read (a desktop file name).
constexpr size_t kMaxQueryAnswer = 4096;
// The shell line that starts xdg-open on its first argument and returns at once.
constexpr const char* kBackgroundOpen = "xdg-open \"$1\" >/dev/null 2>&1 &";

// Runs `arguments` (found on PATH) with standard input and error on /dev/null;
// answers its exit status (-1 when it could not run) and, when `output` is
// given, what it printed.
int Run(const std::vector<std::string>& arguments, std::string* output) {
  int pipe_ends[2] = {-1, -1};
  if (output != nullptr && ::pipe2(pipe_ends, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  if (output != nullptr) {
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  }
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  pid_t child = 0;
  const int spawned = ::posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (output != nullptr) {
    ::close(pipe_ends[1]);
    if (spawned == 0) {
      char buffer[512];
      ssize_t got = 0;
      while ((got = ::read(pipe_ends[0], buffer, sizeof buffer)) != 0) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        if (output->size() < kMaxQueryAnswer) output->append(buffer, static_cast<size_t>(got));
      }
    }
    ::close(pipe_ends[0]);
  }
  if (spawned != 0) return -1;
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HasVisibleText(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) > ' ') return true;
  }
  return false;
}

}  // namespace

bool HasUrlHandler(std::string_view scheme) {
  std::string answer;
  const int status =
      Run({"xdg-mime", "query", "default", "x-scheme-handler/" + std::string(scheme)}, &answer);
  return status == 0 && HasVisibleText(answer);
}

bool OpenUrlWithHandler(std::string_view url) {
  const size_t colon = url.find(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  if (!HasUrlHandler(url.substr(0, colon))) return false;
  return Run({"sh", "-c", kBackgroundOpen, "sh", std::string(url)}, nullptr) == 0;
}

}  // namespace vantrel
