#include "chat/message_window.h"

#include "server/client_session.h"
#include "server/repeat_rule.h"

namespace vantrel {

bool ChargeMessageWindow(AutoBanner& auto_bans, Request& request) {
  ClientSession& client = request.client;
  if (client.message_window.CountAt(request.now, kMessageWindowSeconds) > kMessageLimit) {
    auto_bans.AutoBan(client, request.now, AutoBanRule::kMessageFlood);
    return false;
  }
  client.message_window.Add();
  return true;
}

bool ChargeMessage(AutoBanner& auto_bans, Request& request, std::string_view text) {
  if (IsBanningRepeat(request.client, text)) {
    auto_bans.AutoBan(request.client, request.now, AutoBanRule::kMessageSpam);
    return false;
  }
  return ChargeMessageWindow(auto_bans, request);
}

}  // namespace vantrel
