#include "accounts/login_name.h"

#include "server/operator.h"

namespace vantrel {
namespace {

constexpr char kReplacement = '-';

bool IsRefused(unsigned char byte) {
  if (byte < 0x20) return true;
  switch (byte) {
    case '"':
    case '*':
    case '/':
    case ':':
    case '<':
    case '>':
    case '?':
    case '\\':
    case '|':
    case 0x81:
    case 0x8D:
    case 0x8E:
    case 0x8F:
    case 0x90:
    case 0x9D:
    case 0x9E:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string CleanLoginName(std::string_view login) {
  std::string cleaned(login.substr(0, kMaxCleanedLogin));
  if (!cleaned.empty() && cleaned.front() == '.') cleaned.front() = kReplacement;
  for (char& c : cleaned) {
    if (IsRefused(static_cast<unsigned char>(c))) c = kReplacement;
  }
  for (auto c = cleaned.rbegin(); c != cleaned.rend() && (*c == ' ' || *c == '.'); ++c) {
    *c = kReplacement;
  }
  return cleaned;
}

std::string CleanTypedLogin(std::string_view typed, Operator& op) {
  std::string cleaned = CleanLoginName(typed);
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

}  // namespace vantrel
