#include "server/user_names.h"

namespace vantrel {
namespace {

// The printable range of a nickname; any other byte shows as kReplacement.
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kLastPrintable = 0x7E;
constexpr char kReplacement = '*';

}  // namespace

std::string CleanNickname(std::string_view sent) {
  std::string nickname = CutText(sent, kMaxNameBytes);
  if (nickname.empty()) return std::string(kUnnamed);
  for (char& byte : nickname) {
    const auto value = static_cast<unsigned char>(byte);
    if (value < kFirstPrintable || value > kLastPrintable) byte = kReplacement;
  }
  return nickname;
}

std::string DisplayNameFor(const AccessPrivileges& privileges, std::string_view nickname,
                           std::string_view account_name) {
  if (privileges.Test(kPrivilegeAnyName)) return std::string(nickname);
  if (account_name.empty()) return std::string(kUnnamed);
  return CutText(account_name, kMaxNameBytes);
}

std::string CutText(std::string_view text, size_t limit) {
  return std::string(text.substr(0, limit));
}

}  // namespace vantrel
