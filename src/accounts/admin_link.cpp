#include "accounts/admin_link.h"

#include <cstdio>
#include <optional>
#include <utility>

#include "accounts/head_admin_dialogs.h"
#include "accounts/head_admin_texts.h"
#include "platform/exception.h"
#include "platform/mac_roman.h"
#include "protocol/field_data.h"
#include "server/operator.h"

namespace vantrel {
namespace {

namespace texts = head_admin_texts;

// Longest text that fills one "%#s" of the link (a length-prefixed string).
constexpr size_t kMaxLinkPart = 255;
// Index of the "Create" button.
constexpr size_t kCreateChoice = 0;

using ConnectDone = std::function<void(const ConnectAdminOutcome&)>;

std::string FailureText(const Omberly::CException& failure) {
  return failure.Description() + "\r" + failure.IdentificationText();
}

// Reads the account again (it may just have been created) and opens its link.
void OpenLink(const AccountStore& store, const std::string& login, uint32_t address, uint16_t port,
              const UrlOpener& open, const ConnectDone& done) {
  ConnectAdminOutcome outcome;
  try {
    const AccountRecord record = store.Read(login);
    outcome.link = HeadAdminLink(login, Scramble(record.scrambled_password), address, port);
  } catch (const Omberly::CException& failure) {
    outcome.result = ConnectAdminResult::kFailed;
    outcome.failure = FailureText(failure);
    return done(outcome);
  }
  outcome.result = open(MacRomanToUtf8(outcome.link)) ? ConnectAdminResult::kOpened
                                                      : ConnectAdminResult::kNoHandler;
  done(outcome);
}

}  // namespace

std::string HeadAdminLink(std::string_view login, std::string_view plain_password, uint32_t address,
                          uint16_t port) {
  std::string user(login);
  if (!plain_password.empty()) user += ":" + std::string(plain_password);
  char host[40];
  std::snprintf(host, sizeof host, "%u.%u.%u.%u:%lu", (address >> 24) & 0xFFu,
                (address >> 16) & 0xFFu, (address >> 8) & 0xFFu, address & 0xFFu,
                static_cast<unsigned long>(port));
  return std::string(kAdminLinkScheme) + "://" + user.substr(0, kMaxLinkPart) + "@" + host;
}

void ConnectAsAdministrator(const AccountStore& store, std::string_view login, uint32_t address,
                            uint16_t port, Operator& op, UrlOpener open, ConnectDone done) {
  bool readable = true;
  try {
    store.Read(login);
  } catch (const Omberly::CException&) {
    readable = false;
  }
  if (readable) return OpenLink(store, std::string(login), address, port, open, done);

  op.Choose(
      texts::kCreateMissingTitle, texts::FillLogin(texts::kCreateMissingText, login),
      {texts::kCreate, texts::kCancel},
      [store, login = std::string(login), address, port, &op, open = std::move(open),
       done = std::move(done)](std::optional<size_t> choice) {
        if (choice != kCreateChoice) return done(ConnectAdminOutcome{});
        AskPasswordAndCreateHeadAdmin(
            store, login, op,
            [store, login, address, port, open, done](const HeadAdminOutcome& created) {
              if (created.result == HeadAdminResult::kCancelled) {
                return done(ConnectAdminOutcome{});
              }
              if (created.result == HeadAdminResult::kFailed) {
                return done(ConnectAdminOutcome{ConnectAdminResult::kFailed, {}, created.failure});
              }
              OpenLink(store, login, address, port, open, done);
            });
      });
}

}  // namespace vantrel
