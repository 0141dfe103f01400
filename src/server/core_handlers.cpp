#include "server/core_handlers.h"

#include "protocol/error_reply.h"
#include "protocol/transaction_types.h"
#include "server/application.h"

namespace vantrel {
namespace {

// 500: nothing to do beyond what every request does (flood count, activity
// time, away cleared); the reply carries no fields.
void KeepAlive(Request& request) {
  request.transaction.SendReply(UFieldData());
}

}  // namespace

void RegisterCoreHandlers(DispatchTable& table) {
  table.Register(kTranKeepAlive, KeepAlive);
}

void AnswerUnknownType(Request& request) {
  SendErrorReply(request.transaction, "Unknown transaction type!");
  request.server.Log().Line(request.client.LogWho(), "Received unknown transaction type!");
}

}  // namespace vantrel
