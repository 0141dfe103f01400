#include "client/terminal_session.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include <editline/readline.h>

namespace vantrel::client {
namespace {

constexpr const char* kPrompt = "> ";
constexpr const char* kTextPrompt = "... ";
constexpr const char* kHistoryFile = ".vantrel_client_history";
// A first line of a text that opens the editor instead.
constexpr const char* kEditorLine = "~e";
constexpr int kProgressWidth = 30;

// The session whose line editor calls OnLine (there is one line editor).
TerminalSession* g_session = nullptr;
// Set by Ctrl-C; read at the prompt and between the pieces of a transfer.
volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) {
  g_interrupted = 1;
}

std::string HistoryPath() {
  const char* home = std::getenv("HOME");
  return home != nullptr ? (std::filesystem::path(home) / kHistoryFile).string() : "";
}

// Line feeds as the terminal needs them while the line editor holds it raw.
std::string RawLines(const std::string& text) {
  std::string raw;
  for (const char c : text) {
    if (c == '\n') raw += '\r';
    raw += c;
  }
  return raw;
}

}  // namespace

TerminalSession::TerminalSession(std::ostream& out, bool editing) : out_(out), editing_(editing) {
  if (!editing_) return;
  g_session = this;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  ::sigaction(SIGINT, &action, nullptr);
  const std::string history = HistoryPath();
  if (!history.empty()) ::read_history(history.c_str());
}

TerminalSession::~TerminalSession() {
  if (!editing_) return;
  const std::string history = HistoryPath();
  if (!history.empty()) ::write_history(history.c_str());
  std::signal(SIGINT, SIG_DFL);
  g_session = nullptr;
}

void TerminalSession::Print(const std::string& text) {
  if (!prompt_shown_) {
    out_ << text << std::endl;
    return;
  }
  // Erase the line being typed, show the text, then the prompt and the line again.
  out_ << "\r\033[K" << RawLines(text) << "\r\n" << std::flush;
  ::rl_forced_update_display();
}

TransferObserver TerminalSession::Observer() {
  TransferObserver observer;
  observer.progress = [this](uint64_t done, uint64_t total) {
    const uint64_t percent = total == 0 ? 100 : done * 100 / total;
    const int filled = static_cast<int>(percent * kProgressWidth / 100);
    out_ << "\r" << std::string(static_cast<size_t>(filled), '#')
         << std::string(static_cast<size_t>(kProgressWidth - filled), '.') << " " << percent
         << "%  " << done << " of " << total << " bytes" << (done >= total ? "\n" : "")
         << std::flush;
    if (g_interrupted == 0) return true;
    g_interrupted = 0;
    out_ << "\n";
    return false;
  };
  observer.notice = [this](std::string_view text) { Print(std::string(text)); };
  return observer;
}

int TerminalSession::Run(Commands& commands, ServerConnection& server) {
  commands_ = &commands;
  ::rl_callback_handler_install(kPrompt, &TerminalSession::OnLine);
  prompt_shown_ = true;
  while (!quit_) {
    pollfd waits[2] = {{STDIN_FILENO, POLLIN, 0}, {server.Descriptor(), POLLIN, 0}};
    if (::poll(waits, 2, -1) < 0) {
      if (errno == EINTR && g_interrupted != 0) quit_ = true;
      continue;
    }
    if (waits[1].revents != 0 && !server.ReadAvailable()) {
      Print("Disconnected: " + server.Failure());
      failed_ = true;
      break;
    }
    if (waits[0].revents != 0) {
      ::rl_callback_read_char();
      HandleLines();
    }
  }
  ::rl_callback_handler_remove();
  prompt_shown_ = false;
  out_ << std::endl;
  return failed_ ? 1 : 0;
}

void TerminalSession::OnLine(char* line) {
  // Only taken here: the line editor is not done with the line until it returns.
  TerminalSession& session = *g_session;
  if (line == nullptr) {
    session.quit_ = true;
    return;
  }
  session.lines_.emplace_back(line);
  std::free(line);
}

void TerminalSession::HandleLines() {
  if (lines_.empty()) return;
  // The editor gives the terminal back while the lines are handled, and then
  // shows its prompt again.
  ::rl_callback_handler_remove();
  prompt_shown_ = false;
  while (!lines_.empty() && !quit_) {
    const std::string line = std::move(lines_.front());
    lines_.pop_front();
    HandleLine(line);
  }
  if (quit_) return;
  ::rl_callback_handler_install(collecting_ ? kTextPrompt : kPrompt, &TerminalSession::OnLine);
  prompt_shown_ = true;
}

void TerminalSession::HandleLine(const std::string& line) {
  if (!collecting_) {
    if (line.empty()) return;
    ::add_history(line.c_str());
    if (!TakesText(line)) return RunCommand(line);
    pending_ = line;
    collecting_ = true;
    Print("Type the text, then a line holding only \".\" (\"~e\" first: write it in $EDITOR).");
  } else if (line == kEditorLine && pending_.find('\n') == std::string::npos) {
    const std::string text = EditText();
    collecting_ = false;
    RunCommand(text.empty() ? pending_ : pending_ + "\n" + text);
  } else if (line == kEndOfText) {
    collecting_ = false;
    RunCommand(pending_);
  } else {
    pending_ += "\n" + line;
  }
}

void TerminalSession::RunCommand(const std::string& command) {
  const CommandOutcome outcome = commands_->Run(command);
  if (!outcome.ok) Print(outcome.error);
  if (outcome.quit) quit_ = true;
}

std::string TerminalSession::EditText() {
  char path[] = "/tmp/vantrel-client-XXXXXX";
  const int fd = ::mkstemp(path);
  if (fd < 0) return {};
  ::close(fd);
  const char* editor = std::getenv("VISUAL");
  if (editor == nullptr) editor = std::getenv("EDITOR");
  const std::string command = std::string(editor != nullptr ? editor : "vi") + " '" + path + "'";
  std::string text;
  if (std::system(command.c_str()) == 0) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    while (!text.empty() && text.back() == '\n') text.pop_back();
  }
  std::filesystem::remove(path);
  return text;
}

}  // namespace vantrel::client
