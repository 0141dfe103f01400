#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::client {

// What the server's listings carry, read from the fields of their replies.
// Texts stay Mac Roman, as on the wire. Pure functions: bytes that do not fit
// their layout give nothing.

// One entry of a folder's file list (field 200): type and creator codes, the
// size (a folder's number of entries) and the name.
struct FileEntry {
  std::string type;  // four characters
  std::string creator;
  uint32_t size = 0;
  std::string name;

  bool IsFolder() const { return type == "fldr"; }
};
std::optional<FileEntry> ParseFileEntry(std::span<const uint8_t> data);

// One entry of a news bundle's list: a bundle (folder) or a category, with the
// number of items or articles it holds where the long form (field 323) tells
// it; the short form (field 320) tells only kind and name.
struct NewsEntry {
  enum class Kind { kBundle, kCategory, kOther };
  Kind kind = Kind::kOther;
  std::optional<uint32_t> count;
  std::string name;
};
// `field` is the entry's field ID: 323 or 320.
std::optional<NewsEntry> ParseNewsEntry(uint16_t field, std::span<const uint8_t> data);

// One article of a category's article list (field 321), in the list's order:
// depth first, each article before its replies.
struct ArticleSummary {
  uint32_t id = 0;
  std::string date;     // as DateText gives it
  uint32_t parent = 0;  // 0 for a top-level article
  std::string title;
  std::string poster;
  std::vector<std::string> flavors;
};
std::optional<std::vector<ArticleSummary>> ParseArticleList(std::span<const uint8_t> data);

// A date stamp (year, milliseconds, seconds since 1 January of that year, the
// server's local time) as "YYYY-MM-DD HH:MM"; empty unless 8 bytes.
std::string DateText(std::span<const uint8_t> stamp);

// The path field naming `levels` (Mac Roman, 1 to 255 bytes each) from the
// top of the tree: the level count, then per level 2 zero bytes, the name's
// length and the name.
std::vector<uint8_t> PathField(const std::vector<std::string>& levels);
// The levels of a path typed as "Folder/Sub/Name" (UTF-8; empty parts are
// left out), each in Mac Roman.
std::vector<std::string> PathLevels(std::string_view typed);

}  // namespace vantrel::client
