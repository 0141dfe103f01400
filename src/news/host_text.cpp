#include "news/host_text.h"

#include <algorithm>
#include <cstdint>

#include "platform/mac_roman.h"

namespace vantrel {
namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
// Bytes from here up are not ASCII.
constexpr uint8_t kFirstNonAscii = 0x80;

bool IsContinuation(uint8_t byte) {
  return (byte & 0xC0) == 0x80;
}

// The length of the well-formed sequence at `at`, 0 when it is malformed.
size_t SequenceLength(std::string_view text, size_t at) {
  const auto lead = static_cast<uint8_t>(text[at]);
  size_t length = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if (lead < kFirstNonAscii) return 1;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, minimum = 0x80, value = lead & 0x1Fu;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, minimum = 0x800, value = lead & 0x0Fu;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, minimum = 0x10000, value = lead & 0x07u;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<uint8_t>(text[at + i]);
    if (!IsContinuation(byte)) return 0;
    value = (value << 6) | (byte & 0x3Fu);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  return length;
}

bool HasNonAscii(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char ch) { return static_cast<uint8_t>(ch) >= kFirstNonAscii; });
}

}  // namespace

bool IsWellFormedUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const size_t length = SequenceLength(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::string ServerTextFromFile(std::string_view file_bytes) {
  std::string text;
  text.reserve(file_bytes.size());
  for (size_t i = 0; i < file_bytes.size(); ++i) {
    const char ch = file_bytes[i];
    if (ch == kCarriageReturn && i + 1 < file_bytes.size() && file_bytes[i + 1] == kLineFeed) {
      ++i;  // CR LF: keep the CR alone
    }
    text += ch == kLineFeed ? kCarriageReturn : ch;
  }
  if (HasNonAscii(text) && IsWellFormedUtf8(text)) return Utf8ToMacRoman(text);
  return text;
}

}  // namespace vantrel
