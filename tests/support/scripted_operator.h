#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "server/operator.h"

namespace vantrel::testing {

// An operator that answers from a script, at once, and records everything it
// was shown. A question with no scripted answer left is answered with nothing
// (as without a terminal).
class ScriptedOperator final : public Operator {
 public:
  // Answers for AskText and AskPassword, in order.
  void ScriptText(std::optional<std::string> text) { texts_.push_back(std::move(text)); }
  // Answers for Choose, in order.
  void ScriptChoice(std::optional<size_t> choice) { choices_.push_back(choice); }

  // Everything shown: "notice:TITLE:TEXT", "text:PROMPT", "password:PROMPT",
  // "choose:TITLE:TEXT".
  const std::vector<std::string>& Shown() const { return shown_; }

  void Notice(std::string_view title, std::string_view text) override {
    shown_.push_back("notice:" + std::string(title) + ":" + std::string(text));
  }
  void AskText(std::string_view prompt, TextAnswer answer) override {
    shown_.push_back("text:" + std::string(prompt));
    answer(NextText());
  }
  void AskPassword(std::string_view prompt, TextAnswer answer) override {
    shown_.push_back("password:" + std::string(prompt));
    answer(NextText());
  }
  void Choose(std::string_view title, std::string_view text, std::vector<std::string>,
              ChoiceAnswer answer) override {
    shown_.push_back("choose:" + std::string(title) + ":" + std::string(text));
    std::optional<size_t> choice;
    if (!choices_.empty()) {
      choice = choices_.front();
      choices_.pop_front();
    }
    answer(choice);
  }

 private:
  std::optional<std::string> NextText() {
    if (texts_.empty()) return std::nullopt;
    auto text = std::move(texts_.front());
    texts_.pop_front();
    return text;
  }

  std::deque<std::optional<std::string>> texts_;
  std::deque<std::optional<size_t>> choices_;
  std::vector<std::string> shown_;
};

}  // namespace vantrel::testing
