#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "chat/chat_rooms.h"
#include "server/client_session.h"

namespace vantrel {

// Fan-out of one encoded transaction body to many sessions: the body is built
// once by the caller and every recipient's session queues the same bytes behind
// its own 20-byte header, so a recipient costs one queue append and nothing more.

// Queues `body` as transaction 106 (chat message) to every client of `clients`
// whose connection is open and which holds privilege bit 9 (read chat).
void SendChatToReaders(std::span<const std::unique_ptr<ClientSession>> clients,
                       std::span<const uint8_t> body);
// The same for the members of a room.
void SendChatToReaders(std::span<ClientSession* const> members, std::span<const uint8_t> body);

// Queues `body` as a request of `type` to every member of `room` whose
// connection is open.
void SendToMembers(const ChatRoom& room, uint16_t type, std::span<const uint8_t> body);

}  // namespace vantrel
