#include "chat/chat_line.h"

#include <algorithm>

namespace vantrel {
namespace {

constexpr char kReturn = '\r';

}  // namespace

std::string ChatPrefix(std::string_view display_name, bool action) {
  std::string prefix(1, kReturn);
  if (action) {
    prefix += " *** ";
    prefix += display_name;
    prefix += ' ';
  } else {
    const std::string_view name = display_name.substr(0, kChatNameColumn);
    prefix.append(kChatNameColumn - name.size(), ' ');
    prefix += name;
    prefix += ":  ";
  }
  if (prefix.size() > kChatPrefixLimit) prefix.resize(kChatPrefixLimit);
  return prefix;
}

std::string FormatChatLine(std::string_view prefix, std::string_view text) {
  std::string line;
  line.reserve(std::min(kChatLineLimit, prefix.size() + text.size()));
  line += prefix;
  // Each piece of text up to a carriage return, then the prefix in its place;
  // appending stops once the line is full, so a text of many carriage returns
  // never grows the line far past its limit.
  size_t start = 0;
  while (line.size() < kChatLineLimit) {
    const size_t end = text.find(kReturn, start);
    if (end == std::string_view::npos) {
      line += text.substr(start);
      break;
    }
    line += text.substr(start, end - start);
    line += prefix;
    start = end + 1;
  }
  if (line.size() > kChatLineLimit) line.resize(kChatLineLimit);
  return line;
}

}  // namespace vantrel
