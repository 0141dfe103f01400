#include "accounts/login_name.h"

#include <algorithm>

#include "files/item_names.h"
#include "server/operator.h"

namespace vantrel {
std::string CleanTypedLogin(std::string_view typed, Operator& op) {
  std::string cleaned = SanitiseName(typed);
  if (cleaned != typed) op.Notice(kInvalidLoginTitle, kInvalidLoginText);
  return cleaned;
}

std::string LowerAsciiLetters(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lowered;
}

std::string LookupForm(std::string_view plain_login) {
  std::string login = LowerAsciiLetters(plain_login);
  std::replace(login.begin(), login.end(), '\r', '-');
  return login;
}

}  // namespace vantrel
