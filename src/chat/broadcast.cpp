// The shared broadcast fan-out, and the operator's broadcast command over it.
#include "chat/broadcast.h"

#include "chat/chat_capability.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "server/server_message.h"

namespace vantrel {

void SendToLoggedIn(const ClientList& clients, uint16_t type, std::span<const uint8_t> body,
                    uint16_t except) {
  for (const auto& client : clients.All()) {
    if (client->user_id != except && client->logged_in && client->connection->IsConnected()) {
      client->connection->SendRequest(type, body);
    }
  }
}

void ChatCapability::BroadcastServerMessage(std::string_view text) {
  SendToLoggedIn(services_.clients, kTranServerMessage, ServerMessageFields(text).Buffer());
}

}  // namespace vantrel
