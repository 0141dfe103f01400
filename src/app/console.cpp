#include "app/console.h"

#include <unistd.h>

#include <asio.hpp>

#include "platform/mac_roman.h"
#include "platform/terminal.h"

namespace vantrel {
namespace {

// The longest line the console takes from the terminal; longer ones are dropped.
constexpr size_t kMaxLineLength = 64 * 1024;

}  // namespace

// Reads standard input line by line on the event loop.
class Console::Reader {
 public:
  Reader(asio::io_context& io, Console& console)
      : input_(io, ::dup(STDIN_FILENO)), buffer_(kMaxLineLength), console_(console) {}

  void Read() {
    asio::async_read_until(
        input_, buffer_, '\n',
        [this](const asio::error_code& error, size_t length) { OnLine(error, length); });
  }

 private:
  void OnLine(const asio::error_code& error, size_t length) {
    if (error == asio::error::not_found) {  // a line over the limit
      buffer_.consume(buffer_.size());
      Read();
      return;
    }
    if (error) return;  // end of input: the operator can no longer type
    std::string line(asio::buffers_begin(buffer_.data()),
                     asio::buffers_begin(buffer_.data()) + static_cast<std::ptrdiff_t>(length));
    buffer_.consume(length);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    console_.HandleLine(line);
    Read();
  }

  asio::posix::stream_descriptor input_;
  asio::streambuf buffer_;
  Console& console_;
};

Console::Console(CMyApplication& server, OperatorDesk& desk, std::ostream& out, bool interactive,
                 bool decorated)
    : out_(out),
      interactive_(interactive),
      decorated_(decorated),
      session_(server, desk, *this, interactive) {
  session_.Follow();
}

Console::~Console() {
  if (echo_off_) SetTerminalEcho(true);
}

void Console::StartReading(asio::io_context& io) {
  if (!interactive_) return;
  reader_ = std::make_unique<Reader>(io, *this);
  reader_->Read();
}

void Console::HandleLine(std::string_view line) {
  if (echo_off_) {
    SetTerminalEcho(true);
    echo_off_ = false;
    out_ << "\n";
  }
  session_.HandleLine(line);
}

void Console::Print(std::string_view text) {
  out_ << text << std::flush;
}

void Console::Prompt(ConsoleSession::QuestionKind kind, std::string_view prompt) {
  out_ << prompt << " " << std::flush;
  if (kind == ConsoleSession::QuestionKind::kPassword) {
    SetTerminalEcho(false);
    echo_off_ = true;
  }
}

void Console::LogLine(const LogWindow::EchoedLine& line) {
  if (decorated_) {
    out_ << MacRomanToOperatorText(line.text) << std::endl;
  } else if (line.who.empty()) {
    out_ << MacRomanToOperatorText(line.message) << std::endl;
  } else {
    out_ << MacRomanToOperatorText(line.who) << ": " << MacRomanToOperatorText(line.message)
         << std::endl;
  }
}

}  // namespace vantrel
