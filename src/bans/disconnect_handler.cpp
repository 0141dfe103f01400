#include "bans/disconnect_handler.h"

#include <optional>
#include <string>

#include "bans/ban_record.h"
#include "bans/ban_texts.h"
#include "platform/exception.h"
#include "protocol/error_reply.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "server/server_message.h"

namespace vantrel {
namespace {

constexpr const char* kNotAllowedText = "You are not allowed to disconnect users.";
// The start of the error reply when a permanent ban cannot be saved (the
// failure's description and identification follow).
constexpr const char* kBanNotSavedText =
    "The user was disconnected and banned, but the ban could not be saved and ends when the "
    "server restarts.";
// Either side of the protected user's display name in the refusal.
constexpr const char* kProtectedTextStart = "You are not allowed to disconnect user ";
constexpr const char* kProtectedTextEnd = " (user is protected).";

// The buffer the reason of a permanent ban is read into: 63 bytes and a terminator.
constexpr size_t kReasonCapacity = kMaxBanInfoTextLength + 1;

// 110: disconnect a user, with a temporary or permanent ban of its address.
void DisconnectUser(const BanServices& bans, Request& request) {
  if (!request.client.privileges.Test(kPrivilegeDisconnectUsers)) {
    SendErrorReply(request.transaction, kNotAllowedText);
    return;
  }
  const auto user_id = static_cast<uint16_t>(request.fields.ReadInteger(kFieldUserId));
  ClientSession* target = bans.clients.Find(user_id);
  if (target == nullptr) {
    request.transaction.SendReply(UFieldData());
    return;
  }
  if (target->privileges.Test(kPrivilegeCannotBeDisconnected)) {
    SendErrorReply(request.transaction, std::string(kProtectedTextStart) +
                                            CurlyQuoted(target->display_name) + kProtectedTextEnd);
    return;
  }

  const char* log_text = kDisconnectLogText;
  std::optional<Omberly::CException> unsaved;
  switch (request.fields.ReadInteger(kFieldOptions)) {
    case kDisconnectWithTemporaryBan:
      SendServerMessage(*target->connection, kTemporarilyBannedText);
      bans.temporary_bans.Add(target->address, request.now);
      log_text = kTemporaryBanLogText;
      break;
    case kDisconnectWithPermanentBan:
      SendServerMessage(*target->connection, kPermanentlyBannedText);
      try {
        bans.permanent_bans.Add(target->address, target->address,
                                request.fields.ReadText(kFieldData, kReasonCapacity));
      } catch (const Omberly::CException& failure) {
        unsaved = failure;  // banned in memory all the same; answered below
      }
      log_text = kPermanentBanLogText;
      break;
    default:
      break;
  }
  // Graceful, so that the message above reaches the user before the close.
  target->connection->CloseGracefully();
  bans.passes.RequestPass();
  bans.log.Line(request.client.LogWho(), log_text + CurlyQuoted(target->LogWho()));
  if (unsaved) {
    SendFailureReply(request.transaction, kBanNotSavedText, *unsaved);
    bans.failures.ReportFailure(*unsaved);
    return;
  }
  request.transaction.SendReply(UFieldData());
}

}  // namespace

void RegisterBanHandlers(DispatchTable& table, const BanServices& bans) {
  table.Register(kTranDisconnectUser, DisconnectUser, bans);
}

}  // namespace vantrel
