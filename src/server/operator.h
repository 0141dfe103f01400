#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// How the server talks to its operator: notices (alerts) and questions. Texts
// are Mac Roman both ways; the console converts them for the terminal.
// Questions are answered asynchronously, so the server keeps serving while the
// operator types: each answer arrives later on the core thread through its
// callback. Without an operator (standard input is not a terminal) every
// question is answered at once with nothing, which callers treat as "Cancel".
// Core thread only.
class Operator {
 public:
  using TextAnswer = std::function<void(std::optional<std::string> text)>;
  using ChoiceAnswer = std::function<void(std::optional<size_t> choice)>;

  virtual ~Operator() = default;

  // Shows a notice with its title.
  virtual void Notice(std::string_view title, std::string_view text) = 0;
  // Asks for one line of text.
  virtual void AskText(std::string_view prompt, TextAnswer answer) = 0;
  // Asks for a password; what the operator types is not echoed.
  virtual void AskPassword(std::string_view prompt, TextAnswer answer) = 0;
  // Offers `choices` (button texts); the answer is the index chosen.
  virtual void Choose(std::string_view title, std::string_view text,
                      std::vector<std::string> choices, ChoiceAnswer answer) = 0;
};

}  // namespace vantrel

namespace vantrel {

// No operator at all: notices are dropped, questions answered with nothing.
class SilentOperator final : public Operator {
 public:
  void Notice(std::string_view, std::string_view) override {}
  void AskText(std::string_view, TextAnswer answer) override { answer(std::nullopt); }
  void AskPassword(std::string_view, TextAnswer answer) override { answer(std::nullopt); }
  void Choose(std::string_view, std::string_view, std::vector<std::string>,
              ChoiceAnswer answer) override {
    answer(std::nullopt);
  }
};

}  // namespace vantrel
