#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

class AccountStore;

// The name a new head administrator account gets.
inline constexpr const char* kHeadAdminAccountName = "administrator";

// Makes `login` a head administrator account in `store`. When the account cannot
// be read, a new one is created: name kHeadAdminAccountName, the login, the full
// administrator set. An existing one keeps its name (and, without a new
// password, its password) and is written over; with `reset` its privileges become
// exactly the full administrator set, without it they stay. A non-empty
// `password` (plain Mac Roman) replaces the stored one: its first 31 bytes,
// complemented. Answers false, doing nothing, for an empty login. Raises the
// store's failures (account_errors.h).
bool SetUpAdminAccount(const AccountStore& store, std::string_view login,
                       std::optional<std::string_view> password, bool reset);

}  // namespace vantrel
