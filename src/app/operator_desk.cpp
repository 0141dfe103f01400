#include "app/operator_desk.h"

#include <algorithm>
#include <utility>

#include "app/console_session.h"

namespace vantrel {
namespace {

void Remove(std::vector<ConsoleSession*>& sessions, const ConsoleSession& session) {
  sessions.erase(std::remove(sessions.begin(), sessions.end(), &session), sessions.end());
}

// Answers every question with nothing, as without an operator.
SilentOperator& Nobody() {
  static SilentOperator nobody;
  return nobody;
}

}  // namespace

void OperatorDesk::Join(ConsoleSession& session) {
  sessions_.push_back(&session);
}

void OperatorDesk::Leave(ConsoleSession& session) {
  Remove(sessions_, session);
  Remove(followers_, session);
}

void OperatorDesk::Attach(ConsoleSession& session) {
  Remove(followers_, session);
  followers_.push_back(&session);
}

Operator* OperatorDesk::Asked() {
  const auto holder = std::find_if(sessions_.begin(), sessions_.end(),
                                   [](const ConsoleSession* seat) { return seat->Asking(); });
  if (current_ != nullptr) {
    if (holder != sessions_.end() && *holder != current_) {
      current_->Notice(kBusyTitle, kBusyText);
      return nullptr;
    }
    return current_->CanAnswer() ? current_ : nullptr;
  }
  if (holder != sessions_.end()) return *holder;
  const auto attached = std::find_if(followers_.rbegin(), followers_.rend(),
                                     [](const ConsoleSession* seat) { return seat->CanAnswer(); });
  return attached != followers_.rend() ? *attached : nullptr;
}

void OperatorDesk::Notice(std::string_view title, std::string_view text) {
  if (current_ != nullptr) return current_->Notice(title, text);
  for (ConsoleSession* seat : followers_) seat->Notice(title, text);
}

void OperatorDesk::AskText(std::string_view prompt, TextAnswer answer) {
  Operator* seat = Asked();
  (seat != nullptr ? *seat : Nobody()).AskText(prompt, std::move(answer));
}

void OperatorDesk::AskPassword(std::string_view prompt, TextAnswer answer) {
  Operator* seat = Asked();
  (seat != nullptr ? *seat : Nobody()).AskPassword(prompt, std::move(answer));
}

void OperatorDesk::Choose(std::string_view title, std::string_view text,
                          std::vector<std::string> choices, ChoiceAnswer answer) {
  Operator* seat = Asked();
  (seat != nullptr ? *seat : Nobody()).Choose(title, text, std::move(choices), std::move(answer));
}

void OperatorDesk::LogLine(const LogWindow::EchoedLine& line) {
  for (ConsoleSession* seat : followers_) seat->screen_.LogLine(line);
}

}  // namespace vantrel
