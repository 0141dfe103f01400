#include "chat_line.h"

#include <cstdio>
#include <string_view>

namespace vantrel::load {
namespace {

constexpr std::string_view kMarker = "#L";
// Digits of the line number after the marker.
constexpr size_t kNumberDigits = 7;
constexpr std::string_view kFiller = " the quick brown fox jumps over the lazy dog";

}  // namespace

std::string ChatLineText(uint32_t number) {
  char head[16];
  std::snprintf(head, sizeof head, "#L%07u", number);
  std::string text = head;
  text.append(kFiller.substr(0, kChatLineLength - text.size()));
  return text;
}

std::optional<uint32_t> FindChatLineNumber(std::span<const uint8_t> delivered) {
  const std::string_view text(reinterpret_cast<const char*>(delivered.data()), delivered.size());
  const size_t at = text.rfind(kMarker);
  if (at == std::string_view::npos || text.size() - at < kMarker.size() + kNumberDigits) {
    return std::nullopt;
  }
  uint32_t number = 0;
  for (const char digit : text.substr(at + kMarker.size(), kNumberDigits)) {
    if (digit < '0' || digit > '9') return std::nullopt;
    number = number * 10 + static_cast<uint32_t>(digit - '0');
  }
  return number;
}

}  // namespace vantrel::load
