#include "client/event_text.h"

#include "client/text_capacity.h"
#include "platform/mac_roman.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"

namespace vantrel::client {
namespace {

// Field 109 of a server message: the chat refused the sender.
constexpr uint32_t kChatRefusal = 1;
// Field 113 of a private message: the recipient's auto-response.
constexpr uint32_t kAutoResponse = 4;

std::string Text(const UFieldData& fields, uint16_t id) {
  return MacRomanToOperatorText(fields.ReadText(id, kTextCapacity));
}

std::string Name(const UFieldData& fields) {
  return MacRomanToUtf8(fields.ReadText(kFieldNickname, kNameCapacity));
}

std::optional<std::string> UserChangeText(const Incoming& event, UserList& users) {
  const auto change = users.Apply(event.header.type, event.fields);
  if (!change) return std::nullopt;
  const std::string name = MacRomanToUtf8(change->user.name);
  switch (change->kind) {
    case UserChange::Kind::kJoined:
      return name + " joined";
    case UserChange::Kind::kRenamed:
      return MacRomanToUtf8(change->old_name) + " is now " + name;
    case UserChange::Kind::kLeft:
      return name + " left";
    case UserChange::Kind::kChanged:
      break;
  }
  return std::nullopt;
}

std::string ServerMessageText(const UFieldData& fields) {
  const std::string text = Text(fields, kFieldData);
  if (fields.ReadInteger(kFieldChatOptions) == kChatRefusal) return "Server: " + text;
  if (fields.Find(kFieldUserId) == 0) return "Server message: " + text;
  if (fields.ReadInteger(kFieldOptions) == kAutoResponse) {
    return Name(fields) + " answers: " + text;
  }
  return "Message from " + Name(fields) + ": " + text;
}

}  // namespace

std::optional<std::string> EventText(const Incoming& event, UserList& users) {
  const UFieldData& fields = event.fields;
  switch (event.header.type) {
    case kTranChatMessage: {
      // Every line of a chat text starts with a line end and the speaker's name.
      std::string text = Text(fields, kFieldData);
      if (text.starts_with('\n')) text.erase(0, 1);
      return text;
    }
    case kTranServerMessage:
      return ServerMessageText(fields);
    case kTranBroadcast:
      return "Broadcast from " + Name(fields) + ": " + Text(fields, kFieldData);
    case kTranUserChanged:
    case kTranUserLeft:
      return UserChangeText(event, users);
    case kTranNewMessageBoardPost:
      return "New message board post:\n" + Text(fields, kFieldData);
    case kTranServerQuitting:
      return "The server is quitting: " + Text(fields, kFieldData);
    default:
      return std::nullopt;
  }
}

}  // namespace vantrel::client
