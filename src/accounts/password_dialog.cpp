#include "accounts/password_dialog.h"

#include <utility>

#include "server/operator.h"

namespace vantrel {

void AskNewPassword(Operator& op, PasswordAnswer answer) {
  op.AskPassword(
      kPasswordPrompt, [&op, answer = std::move(answer)](std::optional<std::string> first) mutable {
        if (!first) return answer(std::nullopt);
        op.AskPassword(
            kVerifyPasswordPrompt, [&op, first = std::move(*first), answer = std::move(answer)](
                                       std::optional<std::string> second) mutable {
              if (!second) return answer(std::nullopt);
              if (first.size() > kMaxOperatorPassword || second->size() > kMaxOperatorPassword) {
                op.Notice(kPasswordTooLongTitle, kPasswordTooLongText);
                return AskNewPassword(op, std::move(answer));
              }
              if (first != *second) return AskNewPassword(op, std::move(answer));
              answer(std::move(first));
            });
      });
}

}  // namespace vantrel
