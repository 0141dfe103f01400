#include "app/console.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <utility>

#include <asio.hpp>

#include "app/console_commands.h"
#include "platform/mac_roman.h"
#include "platform/terminal.h"

namespace vantrel {
namespace {

// The longest line the console takes from the terminal; longer ones are dropped.
constexpr size_t kMaxLineLength = 64 * 1024;

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

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

Console::Console(CMyApplication& server, std::ostream& out, bool interactive)
    : server_(server), out_(out), interactive_(interactive) {}

Console::~Console() {
  if (!questions_.empty() && questions_.front().kind == Question::Kind::kPassword) {
    SetTerminalEcho(true);
  }
}

void Console::StartReading(asio::io_context& io) {
  if (!interactive_) return;
  reader_ = std::make_unique<Reader>(io, *this);
  reader_->Read();
}

void Console::HandleLine(std::string_view line) {
  if (Answer(line)) return;
  RunConsoleCommand(server_, out_, line);
}

void Console::PrintLogLine(std::string_view line) {
  out_ << MacRomanToOperatorText(line) << std::endl;
}

void Console::Notice(std::string_view title, std::string_view text) {
  out_ << "[" << MacRomanToOperatorText(title) << "] " << MacRomanToOperatorText(text) << std::endl;
}

void Console::AskText(std::string_view prompt, TextAnswer answer) {
  Ask({Question::Kind::kText, MacRomanToOperatorText(prompt), {}, std::move(answer), {}});
}

void Console::AskPassword(std::string_view prompt, TextAnswer answer) {
  Ask({Question::Kind::kPassword, MacRomanToOperatorText(prompt), {}, std::move(answer), {}});
}

void Console::Choose(std::string_view title, std::string_view text,
                     std::vector<std::string> choices, ChoiceAnswer answer) {
  for (auto& choice : choices) choice = MacRomanToOperatorText(choice);
  Ask({Question::Kind::kChoice,
       "[" + MacRomanToOperatorText(title) + "] " + MacRomanToOperatorText(text),
       std::move(choices),
       {},
       std::move(answer)});
}

void Console::Ask(Question question) {
  if (!interactive_) {
    if (question.kind == Question::Kind::kChoice) {
      question.choice_answer(std::nullopt);
    } else {
      question.text_answer(std::nullopt);
    }
    return;
  }
  questions_.push_back(std::move(question));
  if (questions_.size() == 1 && !answering_) ShowQuestion(questions_.front());
}

void Console::ShowQuestion(const Question& question) {
  out_ << question.prompt;
  if (question.kind == Question::Kind::kChoice) {
    out_ << "\n";
    for (size_t i = 0; i < question.choices.size(); ++i) {
      out_ << "  " << i + 1 << ") " << question.choices[i] << "\n";
    }
    out_ << "Choose 1-" << question.choices.size() << ": ";
  } else {
    out_ << " ";
  }
  out_.flush();
  if (question.kind == Question::Kind::kPassword) SetTerminalEcho(false);
}

bool Console::Answer(std::string_view line) {
  if (questions_.empty()) return false;
  Question question = std::move(questions_.front());
  if (question.kind == Question::Kind::kChoice) {
    std::optional<size_t> chosen;
    size_t number = 0;
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), number);
    if (error == std::errc() && end == line.data() + line.size() && number >= 1 &&
        number <= question.choices.size()) {
      chosen = number - 1;
    }
    for (size_t i = 0; !chosen && i < question.choices.size(); ++i) {
      if (SameIgnoringCase(line, question.choices[i])) chosen = i;
    }
    if (!chosen) {
      questions_.front() = std::move(question);
      ShowQuestion(questions_.front());
      return true;
    }
    questions_.pop_front();
    answering_ = true;
    question.choice_answer(chosen);
  } else {
    if (question.kind == Question::Kind::kPassword) {
      SetTerminalEcho(true);
      out_ << "\n";
    }
    questions_.pop_front();
    answering_ = true;
    question.text_answer(Utf8ToMacRoman(line));
  }
  answering_ = false;
  if (!questions_.empty()) ShowQuestion(questions_.front());
  return true;
}

}  // namespace vantrel
