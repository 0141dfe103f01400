#include "irc_codec.h"

#include <utility>

#include "chat_line.h"

namespace vantrel::load {
namespace {

// Longest line the tool keeps waiting for its end; IRC lines are at most 512.
constexpr size_t kMaxLineLength = 4096;
// The numerics the codec acts on.
constexpr std::string_view kWelcome = "001";
constexpr std::string_view kEndOfNames = "366";

void Append(std::vector<uint8_t>& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

bool IsErrorNumeric(std::string_view command) {
  return command.size() == 3 && (command[0] == '4' || command[0] == '5') && command[1] >= '0' &&
         command[1] <= '9' && command[2] >= '0' && command[2] <= '9';
}

}  // namespace

IrcMessage ParseIrcLine(std::string_view line) {
  IrcMessage message;
  if (line.starts_with(':')) {
    const size_t space = line.find(' ');
    message.prefix = line.substr(1, space == std::string_view::npos ? space : space - 1);
    line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
  }
  const size_t trailing = line.find(" :");
  std::string_view words = line.substr(0, trailing);
  if (trailing != std::string_view::npos) message.trailing = line.substr(trailing + 2);
  const size_t command_end = words.find(' ');
  message.command = words.substr(0, command_end);
  words =
      command_end == std::string_view::npos ? std::string_view() : words.substr(command_end + 1);
  if (!words.empty()) {
    message.first = words.substr(0, words.find(' '));
    if (trailing == std::string_view::npos) message.trailing = words.substr(words.rfind(' ') + 1);
  } else if (trailing != std::string_view::npos) {
    message.first = message.trailing;
  }
  return message;
}

std::string_view PrefixNick(std::string_view prefix) {
  return prefix.substr(0, prefix.find('!'));
}

IrcCodec::IrcCodec(std::string nickname) : nickname_(std::move(nickname)) {}

void IrcCodec::Greeting(std::vector<uint8_t>& out) {
  Append(out, "NICK " + nickname_ + "\r\nUSER " + nickname_ + " 0 * :load client\r\n");
}

void IrcCodec::ChatLine(std::string_view text, std::vector<uint8_t>& out) {
  Append(out, "PRIVMSG ");
  Append(out, kLoadChannel);
  Append(out, " :");
  Append(out, text);
  Append(out, "\r\n");
}

void IrcCodec::Feed(std::span<const uint8_t> bytes, std::vector<uint8_t>& out,
                    CodecEvents& events) {
  std::string_view rest(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  while (!rest.empty() && !failed_) {
    const size_t end = rest.find('\n');
    if (end == std::string_view::npos) {
      partial_.append(rest);
      if (partial_.size() > kMaxLineLength) {
        failed_ = true;
        events.Failure("the server sent a line longer than " + std::to_string(kMaxLineLength));
      }
      return;
    }
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end + 1);
    std::string joined;
    if (!partial_.empty()) {
      joined = std::move(partial_);
      partial_.clear();
      joined.append(line);
      line = joined;
    }
    if (line.ends_with('\r')) line.remove_suffix(1);
    OnLine(line, out, events);
  }
}

void IrcCodec::OnLine(std::string_view line, std::vector<uint8_t>& out, CodecEvents& events) {
  const IrcMessage message = ParseIrcLine(line);
  if (message.command == "PRIVMSG") {
    const auto number = FindChatLineNumber(std::span(
        reinterpret_cast<const uint8_t*>(message.trailing.data()), message.trailing.size()));
    if (!number) {
      failed_ = true;
      events.Failure("a channel message without a line number: " + std::string(line));
      return;
    }
    events.Delivery(*number);
  } else if (message.command == "JOIN") {
    if (PrefixNick(message.prefix) == nickname_) {
      joined_ = true;
    } else {
      events.Announcement();
    }
  } else if (message.command == "PING") {
    Append(out, "PONG :");
    Append(out, message.trailing);
    Append(out, "\r\n");
  } else if (message.command == kWelcome) {
    events.Admitted();
    Append(out, "JOIN ");
    Append(out, kLoadChannel);
    Append(out, "\r\n");
  } else if (message.command == kEndOfNames && joined_) {
    joined_ = false;  // reported once
    events.LoggedIn();
  } else if (message.command == "ERROR" || IsErrorNumeric(message.command)) {
    failed_ = true;
    events.Failure("the IRC server answered: " + std::string(line));
  }
}

}  // namespace vantrel::load
