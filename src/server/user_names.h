#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "protocol/access_privileges.h"

namespace vantrel {

// The longest nickname, display name, account name or login a session holds.
inline constexpr size_t kMaxNameBytes = 31;
// The longest auto-response text a session holds.
inline constexpr size_t kMaxAutoResponseBytes = 127;
// What an empty nickname or account name is shown as.
inline constexpr std::string_view kUnnamed = "***";
// The auto-response text when the client turns the auto-response on without one.
inline constexpr std::string_view kDefaultAutoResponse =
    "I'm not able to respond right now. Please try later!";

// The nickname a session keeps from what the client sent: cut to kMaxNameBytes,
// every byte outside 0x20..0x7E replaced by "*", "***" when empty.
std::string CleanNickname(std::string_view sent);

// The name other users see: the nickname when `privileges` hold privilege 26
// (use any name); otherwise the account name cut to kMaxNameBytes, or "***"
// when the account name is empty.
std::string DisplayNameFor(const AccessPrivileges& privileges, std::string_view nickname,
                           std::string_view account_name);

// `text` cut to at most `limit` bytes.
std::string CutText(std::string_view text, size_t limit);

}  // namespace vantrel
