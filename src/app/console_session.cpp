#include "app/console_session.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <utility>

#include "app/console_commands.h"
#include "app/operator_desk.h"
#include "platform/mac_roman.h"

namespace vantrel {
namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// The index of the choice `line` names, by its number (from 1) or its text.
std::optional<size_t> ChoiceNamed(std::string_view line, const std::vector<std::string>& choices) {
  size_t number = 0;
  const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), number);
  if (error == std::errc() && end == line.data() + line.size() && number >= 1 &&
      number <= choices.size()) {
    return number - 1;
  }
  for (size_t i = 0; i < choices.size(); ++i) {
    if (SameIgnoringCase(line, choices[i])) return i;
  }
  return std::nullopt;
}

}  // namespace

ConsoleSession::ConsoleSession(CMyApplication& server, OperatorDesk& desk, Screen& screen,
                               bool can_answer)
    : server_(server), desk_(desk), screen_(screen), can_answer_(can_answer) {
  desk_.Join(*this);
}

ConsoleSession::~ConsoleSession() {
  leaving_ = true;
  desk_.Leave(*this);
  // Whatever the answers ask next is answered at once, with nothing.
  OperatorDesk::Turn turn(desk_, *this);
  while (!questions_.empty()) {
    Question question = std::move(questions_.front());
    questions_.pop_front();
    if (question.kind == QuestionKind::kChoice) {
      question.choice_answer(std::nullopt);
    } else {
      question.text_answer(std::nullopt);
    }
  }
}

void ConsoleSession::HandleLine(std::string_view line) {
  OperatorDesk::Turn turn(desk_, *this);
  bool known = true;
  if (!Answer(line)) {
    if (IsFollowLogCommand(line)) Follow();
    known = RunConsoleCommand(server_, output_, line);
  }
  FlushOutput(!known);
  if (questions_.empty()) screen_.Ready();
}

void ConsoleSession::Follow() {
  if (follows_) return;
  follows_ = true;
  desk_.Attach(*this);
}

void ConsoleSession::Notice(std::string_view title, std::string_view text) {
  if (leaving_) return;
  FlushOutput();
  screen_.Print("[" + MacRomanToOperatorText(title) + "] " + MacRomanToOperatorText(text) + "\n");
}

void ConsoleSession::AskText(std::string_view prompt, TextAnswer answer) {
  Ask({QuestionKind::kText, MacRomanToOperatorText(prompt), {}, std::move(answer), {}});
}

void ConsoleSession::AskPassword(std::string_view prompt, TextAnswer answer) {
  Ask({QuestionKind::kPassword, MacRomanToOperatorText(prompt), {}, std::move(answer), {}});
}

void ConsoleSession::Choose(std::string_view title, std::string_view text,
                            std::vector<std::string> choices, ChoiceAnswer answer) {
  for (auto& choice : choices) choice = MacRomanToOperatorText(choice);
  Ask({QuestionKind::kChoice,
       "[" + MacRomanToOperatorText(title) + "] " + MacRomanToOperatorText(text),
       std::move(choices),
       {},
       std::move(answer)});
}

void ConsoleSession::Ask(Question question) {
  if (!CanAnswer()) {
    if (question.kind == QuestionKind::kChoice) {
      question.choice_answer(std::nullopt);
    } else {
      question.text_answer(std::nullopt);
    }
    return;
  }
  questions_.push_back(std::move(question));
  if (questions_.size() == 1 && !answering_) ShowQuestion(questions_.front());
}

void ConsoleSession::ShowQuestion(const Question& question) {
  FlushOutput();
  if (question.kind != QuestionKind::kChoice) {
    screen_.Prompt(question.kind, question.prompt);
    return;
  }
  std::string text = question.prompt + "\n";
  for (size_t i = 0; i < question.choices.size(); ++i) {
    text += "  " + std::to_string(i + 1) + ") " + question.choices[i] + "\n";
  }
  screen_.Print(text);
  screen_.Prompt(question.kind, "Choose 1-" + std::to_string(question.choices.size()) + ":");
}

bool ConsoleSession::Answer(std::string_view line) {
  if (questions_.empty()) return false;
  Question question = std::move(questions_.front());
  questions_.pop_front();
  answering_ = true;
  if (question.kind != QuestionKind::kChoice) {
    question.text_answer(Utf8ToMacRoman(line));
  } else if (const std::optional<size_t> chosen = ChoiceNamed(line, question.choices)) {
    question.choice_answer(chosen);
  } else {
    questions_.push_front(std::move(question));  // not one of the choices: asked again
  }
  answering_ = false;
  if (!questions_.empty()) ShowQuestion(questions_.front());
  return true;
}

void ConsoleSession::FlushOutput(bool error) {
  const std::string text = output_.str();
  if (text.empty() || leaving_) return;
  output_.str("");
  if (error) {
    screen_.PrintError(text);
  } else {
    screen_.Print(text);
  }
}

}  // namespace vantrel
