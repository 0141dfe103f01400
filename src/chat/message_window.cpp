#include "chat/message_window.h"

#include "server/application.h"
#include "server/repeat_rule.h"

namespace vantrel {
namespace {

void RestartWhenRunOut(ClientSession& client, uint32_t now) {
  if (now - client.message_window_start > kMessageWindowSeconds) {
    client.message_window_start = now;
    client.message_count = 0;
  }
}

bool Count(Request& request) {
  ClientSession& client = request.client;
  if (client.message_count > kMessageLimit) {
    request.server.AutoBan(client, request.now, "Autobanned for flooding");
    return false;
  }
  ++client.message_count;
  return true;
}

}  // namespace

bool ChargeMessageWindow(Request& request) {
  RestartWhenRunOut(request.client, request.now);
  return Count(request);
}

bool ChargeMessage(Request& request, std::string_view text) {
  RestartWhenRunOut(request.client, request.now);
  if (IsBanningRepeat(request.client, text)) {
    request.server.AutoBan(request.client, request.now, "Autobanned for Message Spam");
    return false;
  }
  return Count(request);
}

}  // namespace vantrel
