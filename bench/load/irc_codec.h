#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "client_codec.h"

namespace vantrel::load {

// The channel every IRC load client joins.
inline constexpr std::string_view kLoadChannel = "#load";

// An IRC client as the load needs it: NICK and USER to register; JOIN of the
// load channel after the welcome (001); PRIVMSG to the channel for each line;
// PONG to every PING. It reports the login done at the end of the channel's
// name list (366), another member's JOIN as an announcement, and every PRIVMSG
// as a delivery. An error numeric (400..599) or ERROR is a failure.
class IrcCodec final : public ClientCodec {
 public:
  explicit IrcCodec(std::string nickname);

  void Greeting(std::vector<uint8_t>& out) override;
  void Feed(std::span<const uint8_t> bytes, std::vector<uint8_t>& out,
            CodecEvents& events) override;
  void ChatLine(std::string_view text, std::vector<uint8_t>& out) override;

 private:
  void OnLine(std::string_view line, std::vector<uint8_t>& out, CodecEvents& events);

  const std::string nickname_;
  bool failed_ = false;
  bool joined_ = false;
  std::string partial_;  // the start of a line whose end has not arrived
};

// One IRC message split into its parts. Views into the line.
struct IrcMessage {
  std::string_view prefix;    // without the ':'; empty when absent
  std::string_view command;   // a word or a three-digit numeric
  std::string_view trailing;  // the last parameter (after " :"), or the last word
  std::string_view first;     // the first parameter
};

// Splits a line without its CR LF. Nothing in it is checked beyond the shape.
IrcMessage ParseIrcLine(std::string_view line);

// The nickname in a prefix "nick!user@host" (or the whole prefix without '!').
std::string_view PrefixNick(std::string_view prefix);

}  // namespace vantrel::load
