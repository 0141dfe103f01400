#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "accounts/account_store.h"

namespace vantrel {

class Operator;

// "Connect as Admin": the vantrel link that logs a client on this machine in as
// the head administrator, and handing it to the desktop. Core thread only.

// The scheme of the link; the desktop is asked for a program registered for it.
inline constexpr const char* kAdminLinkScheme = "vantrel";

// "vantrel://USER@ADDRESS:PORT" (Mac Roman): USER is `login`, followed by ":"
// and `plain_password` when that is not empty; ADDRESS is `address` (IPv4, first
// part in the most significant byte) as dotted decimal. No byte is escaped.
std::string HeadAdminLink(std::string_view login, std::string_view plain_password, uint32_t address,
                          uint16_t port);

enum class ConnectAdminResult {
  kOpened,     // the link was handed to the registered program
  kNoHandler,  // no program is registered for the link; `link` is still made
  kCancelled,  // the account is missing and the operator did not create it
  kFailed,     // the account could not be read or created; see `failure`
};

struct ConnectAdminOutcome {
  ConnectAdminResult result = ConnectAdminResult::kCancelled;
  std::string link;     // Mac Roman; empty for kCancelled and kFailed
  std::string failure;  // kFailed: the failure's description and identification text
};

// Hands a UTF-8 link to the desktop; answers whether it was taken
// (platform/url_opener.h's OpenUrlWithHandler; tests pass a fake).
using UrlOpener = std::function<bool(std::string_view utf8_link)>;

// Reads the head admin account `login`. When it cannot be read, asks "Create
// Admin Account" (Create / Cancel) and, on Create, runs the start-up check's
// creation (head_admin_dialogs.h). Then builds the link with the account's
// password decoded to plain text and the listening `address` and `port`, and
// hands it to `open` converted to UTF-8. Calls `done` exactly once.
// REQUIRES: `op` outlives the dialog.
void ConnectAsAdministrator(const AccountStore& store, std::string_view login, uint32_t address,
                            uint16_t port, Operator& op, UrlOpener open,
                            std::function<void(const ConnectAdminOutcome&)> done);

}  // namespace vantrel
