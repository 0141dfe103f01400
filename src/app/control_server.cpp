#include "app/control_server.h"

#include <algorithm>
#include <string>
#include <utility>

#include "app/application.h"
#include "app/console_session.h"
#include "app/control_protocol.h"
#include "platform/mac_roman.h"

namespace vantrel {
namespace {

// The who text of the control socket's log lines.
constexpr const char* kLogSource = "Control socket";
constexpr const char* kRefusalText =
    "Refused: the control socket takes connections from the server's user and root only.";

char QuestionLetter(ConsoleSession::QuestionKind kind) {
  switch (kind) {
    case ConsoleSession::QuestionKind::kText:
      return control::kTextQuestion;
    case ConsoleSession::QuestionKind::kPassword:
      return control::kPasswordQuestion;
    case ConsoleSession::QuestionKind::kChoice:
      return control::kChoiceQuestion;
  }
  return control::kTextQuestion;
}

// `text` as protocol lines, each behind `tag`; a last line without its line end counts.
std::string Tagged(char tag, std::string_view text) {
  std::string lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    lines += tag;
    lines.append(text.substr(0, end));
    lines += '\n';
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return lines;
}

}  // namespace

// One connection: a seat at the desk whose screen is the socket.
class ControlServer::Seat final : private ConsoleSession::Screen {
 public:
  Seat(ControlServer& owner, std::unique_ptr<LocalConnection> connection)
      : owner_(owner),
        connection_(std::move(connection)),
        session_(owner.server_, owner.desk_, *this, /*can_answer=*/true) {
    connection_->Start({[this](std::string_view line) { session_.HandleLine(line); },
                        [this](LocalConnection::CloseReason reason) { OnClosed(reason); }});
  }

  void SayGoodbye() {
    connection_->Send(std::string(1, control::kQuittingTag) + "\n");
    connection_->FlushAndClose();
  }

 private:
  void OnClosed(LocalConnection::CloseReason reason) {
    if (reason == LocalConnection::CloseReason::kLineTooLong) {
      owner_.server_.Core().Log().Line(kLogSource, "Dropped a connection that sent over " +
                                                       std::to_string(kLocalLineLimit / 1024) +
                                                       " KiB without a line end");
    } else if (reason == LocalConnection::CloseReason::kNotReading) {
      owner_.server_.Core().Log().Line(kLogSource, "Dropped a connection that stopped reading");
    }
    owner_.Remove(this);
  }

  void Print(std::string_view text) override {
    connection_->Send(Tagged(control::kOutputTag, text));
  }
  void PrintError(std::string_view text) override {
    connection_->Send(Tagged(control::kErrorTag, text));
  }
  void Prompt(ConsoleSession::QuestionKind kind, std::string_view prompt) override {
    const size_t last = prompt.rfind('\n');
    if (last != std::string_view::npos) Print(prompt.substr(0, last + 1));
    std::string line = {control::kQuestionTag, QuestionLetter(kind), ' '};
    line.append(last == std::string_view::npos ? prompt : prompt.substr(last + 1));
    connection_->Send(line + "\n");
  }
  void Ready() override { connection_->Send(std::string(1, control::kReadyTag) + "\n"); }
  void LogLine(const LogWindow::EchoedLine& line) override {
    Print(MacRomanToOperatorText(line.text));
  }

  ControlServer& owner_;
  std::unique_ptr<LocalConnection> connection_;
  ConsoleSession session_;  // last: it answers its open questions as it is destroyed
};

ControlServer::ControlServer(asio::io_context& io, CMyApplication& server, OperatorDesk& desk)
    : server_(server), desk_(desk), listener_(io) {}

ControlServer::~ControlServer() = default;

void ControlServer::Open(const std::filesystem::path& path) {
  listener_.Open(
      path, [this](std::unique_ptr<LocalConnection> connection) { Accept(std::move(connection)); });
}

void ControlServer::Accept(std::unique_ptr<LocalConnection> connection) {
  if (!connection->PeerIsOwnerOrRoot()) return Refuse(std::move(connection));
  seats_.push_back(std::make_unique<Seat>(*this, std::move(connection)));
}

void ControlServer::Refuse(std::unique_ptr<LocalConnection> connection) {
  server_.Core().Log().Line(
      kLogSource, "Refused a connection from user ID " + std::to_string(connection->PeerUid()));
  LocalConnection* refused = connection.get();
  connection->Start({{}, [this, refused](LocalConnection::CloseReason) {
                       std::erase_if(refused_,
                                     [refused](const auto& held) { return held.get() == refused; });
                     }});
  connection->Send(Tagged(control::kErrorTag, kRefusalText));
  connection->CloseAfterSending();
  refused_.push_back(std::move(connection));
}

void ControlServer::Remove(const Seat* seat) {
  std::erase_if(seats_, [seat](const auto& held) { return held.get() == seat; });
}

void ControlServer::SayGoodbye() {
  for (const auto& seat : seats_) seat->SayGoodbye();
}

}  // namespace vantrel
