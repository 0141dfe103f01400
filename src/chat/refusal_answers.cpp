#include "chat/refusal_answers.h"

#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"

namespace vantrel {

std::string RefusesMessagesText(std::string_view name) {
  return std::string(name) + " does not accept private messages.";
}

std::string RefusesChatsText(std::string_view name) {
  return std::string(name) + " does not accept private chats.";
}

void SendRecipientAnswer(ClientSession& sender, const ClientSession& recipient, uint32_t kind,
                         std::string_view text) {
  if (text.empty()) return;
  UFieldData fields;
  fields.AddInteger(kFieldUserId, recipient.user_id);
  fields.AddText(kFieldNickname, recipient.display_name);
  fields.AddInteger(kFieldOptions, kind);
  fields.AddText(kFieldData, text);
  sender.connection->SendRequest(kTranServerMessage, fields);
}

}  // namespace vantrel
