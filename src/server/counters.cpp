#include "server/counters.h"

namespace vantrel {
namespace {

constexpr std::array<const char*, kAutoBanRuleCount> kAutoBanNames = {
    "autoban_request_flood", "autoban_connection_flood", "autoban_user_info_flood",
    "autoban_chat_flood",    "autoban_message_flood",    "autoban_chat_spam",
    "autoban_message_spam",  "autoban_news_spam",
};

}  // namespace

std::vector<std::pair<std::string, uint64_t>> Counters::Lines() const {
  std::vector<std::pair<std::string, uint64_t>> lines;
  for (size_t rule = 0; rule < kAutoBanRuleCount; ++rule) {
    lines.emplace_back(kAutoBanNames[rule], auto_bans[rule]);
  }
  lines.emplace_back("refused_handshakes", refused_handshakes);
  lines.emplace_back("refused_per_address", refused_per_address);
  lines.emplace_back("pending_dropped", pending_dropped);
  lines.emplace_back("accept_failures", accept_failures);
  lines.emplace_back("send_queue_drops", send_queue_drops);
  lines.emplace_back("failures", failures);
  lines.emplace_back("resets", resets);
  return lines;
}

const char* AutoBanLogText(AutoBanRule rule) {
  switch (rule) {
    case AutoBanRule::kChatSpam:
      return "Autobanned for Chat Spam";
    case AutoBanRule::kMessageSpam:
      return "Autobanned for Message Spam";
    case AutoBanRule::kNewsSpam:
      return "Autobanned for News Spam";
    case AutoBanRule::kRequestFlood:
    case AutoBanRule::kConnectionFlood:
    case AutoBanRule::kUserInfoFlood:
    case AutoBanRule::kChatFlood:
    case AutoBanRule::kMessageFlood:
      break;
  }
  return "Autobanned for flooding";
}

}  // namespace vantrel
