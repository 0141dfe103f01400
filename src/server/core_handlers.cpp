#include "server/core_handlers.h"

#include "protocol/error_reply.h"
#include "protocol/transaction_types.h"
#include "server/user_handlers.h"

namespace vantrel {
namespace {

// 500: nothing to do beyond what every request does (flood count, activity
// time, away cleared); the reply carries no fields.
void KeepAlive(Request& request) {
  request.transaction.SendReply(UFieldData());
}

}  // namespace

void RegisterCoreHandlers(DispatchTable& table, ClientList& clients, AutoBanner& auto_bans) {
  table.Register(kTranKeepAlive, KeepAlive);
  RegisterUserHandlers(table, clients, auto_bans);
}

void AnswerUnknownType(Request& request, LogWindow& log) {
  SendErrorReply(request.transaction, "Unknown transaction type!");
  log.Line(request.client.LogWho(), "Received unknown transaction type!");
}

}  // namespace vantrel
