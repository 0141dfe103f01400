#include "chat/chat_delivery.h"

#include "protocol/transaction_types.h"

namespace vantrel {
namespace {

void SendChatIfReader(ClientSession& client, std::span<const uint8_t> body) {
  if (client.connection->IsConnected() && client.privileges.Test(kPrivilegeReadChat)) {
    client.connection->SendRequest(kTranChatMessage, body);
  }
}

}  // namespace

void SendChatToReaders(std::span<const std::unique_ptr<ClientSession>> clients,
                       std::span<const uint8_t> body) {
  for (const auto& client : clients) SendChatIfReader(*client, body);
}

void SendChatToReaders(std::span<ClientSession* const> members, std::span<const uint8_t> body) {
  for (ClientSession* member : members) SendChatIfReader(*member, body);
}

void SendToMembers(const ChatRoom& room, uint16_t type, std::span<const uint8_t> body) {
  for (ClientSession* member : room.members) {
    if (member->connection->IsConnected()) member->connection->SendRequest(type, body);
  }
}

}  // namespace vantrel
