#include "files/item_names.h"

#include <algorithm>

namespace vantrel {
namespace {

constexpr char kReplacement = '-';

bool IsRefused(unsigned char byte) {
  if (byte < 0x20) return true;
  switch (byte) {
    case '"':
    case '*':
    case '/':
    case ':':
    case '<':
    case '>':
    case '?':
    case '\\':
    case '|':
    case 0x81:
    case 0x8D:
    case 0x8E:
    case 0x8F:
    case 0x90:
    case 0x9D:
    case 0x9E:
      return true;
    default:
      return false;
  }
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether `text` holds `word` (lower case), ASCII letters of `text` in any case.
bool ContainsIgnoringCase(std::string_view text, std::string_view word) {
  return std::search(text.begin(), text.end(), word.begin(), word.end(),
                     [](char a, char b) { return LowerAscii(a) == b; }) != text.end();
}

}  // namespace

std::string SanitiseName(std::string_view name) {
  std::string cleaned(name.substr(0, kMaxItemNameLength));
  if (!cleaned.empty() && cleaned.front() == '.') cleaned.front() = kReplacement;
  for (char& c : cleaned) {
    if (IsRefused(static_cast<unsigned char>(c))) c = kReplacement;
  }
  for (auto c = cleaned.rbegin(); c != cleaned.rend() && (*c == ' ' || *c == '.'); ++c) {
    *c = kReplacement;
  }
  return cleaned;
}

bool IsValidItemName(std::string_view name) {
  if (name == ".." || name.ends_with('.')) return false;
  return name.find_first_of(std::string_view("\\/:\0", 4)) == std::string_view::npos;
}

bool HasDoubleDot(std::string_view name) {
  return name.find("..") != std::string_view::npos;
}

bool EndsWithIgnoringCase(std::string_view name, std::string_view suffix) {
  return name.size() >= suffix.size() &&
         std::equal(suffix.begin(), suffix.end(), name.end() - static_cast<long>(suffix.size()),
                    [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
}

bool HasShortcutSuffix(std::string_view name) {
  return EndsWithIgnoringCase(name, ".lnk");
}

bool MentionsDropBox(std::string_view text) {
  return ContainsIgnoringCase(text, "drop box");
}

bool IsUploadsFolderName(std::string_view name) {
  return ContainsIgnoringCase(name, "upload") || MentionsDropBox(name);
}

}  // namespace vantrel
