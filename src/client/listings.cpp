#include "client/listings.h"

#include <cstdio>

#include "client/byte_reader.h"
#include "platform/mac_roman.h"
#include "protocol/field_ids.h"

namespace vantrel::client {
namespace {

// A file list entry: type, creator, size, 4 and 2 reserved bytes, the name's
// length and the name.
constexpr size_t kFileEntryReserved = 6;
// News list entries, long form: a bundle's type, its item count, its name and
// a zero byte; a category's type, its article count, GUID, two serials, its
// name and 3 zero bytes. Short form: a type byte and the name.
constexpr uint16_t kLongBundle = 2;
constexpr uint16_t kLongCategory = 3;
constexpr size_t kCategoryGuidAndSerials = 16 + 4 + 4;
constexpr uint8_t kShortFolder = 1;
constexpr uint8_t kShortCategory = 10;
// An article list: 4 zero bytes, the article count, an empty name and
// description; per article its ID, date, parent, flags, flavor count, title and
// poster, then per flavor its name and its data's length (2 bytes).
constexpr size_t kArticleListHead = 4;
constexpr size_t kDateStampSize = 8;
constexpr size_t kFlavorLengthSize = 2;

constexpr uint32_t kSecondsPerDay = 86400;
constexpr int kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

}  // namespace

std::optional<FileEntry> ParseFileEntry(std::span<const uint8_t> data) {
  ByteReader reader(data);
  FileEntry entry;
  entry.type = reader.TakeText(4);
  entry.creator = reader.TakeText(4);
  entry.size = reader.Take32();
  reader.Take(kFileEntryReserved);
  entry.name = reader.TakeText(reader.Take16());
  if (!reader.Ok()) return std::nullopt;
  return entry;
}

std::optional<NewsEntry> ParseNewsEntry(uint16_t field, std::span<const uint8_t> data) {
  ByteReader reader(data);
  NewsEntry entry;
  if (field == kFieldNewsEntryShort) {
    const uint8_t type = reader.Take8();
    entry.kind = type == kShortFolder     ? NewsEntry::Kind::kBundle
                 : type == kShortCategory ? NewsEntry::Kind::kCategory
                                          : NewsEntry::Kind::kOther;
    entry.name = reader.TakeText(reader.Left());
  } else {
    const uint16_t type = reader.Take16();
    entry.count = reader.Take16();
    if (type == kLongCategory) {
      entry.kind = NewsEntry::Kind::kCategory;
      reader.Take(kCategoryGuidAndSerials);
    } else if (type == kLongBundle) {
      entry.kind = NewsEntry::Kind::kBundle;
    }
    entry.name = reader.TakeLengthPrefixed();
  }
  if (!reader.Ok() || entry.name.empty()) return std::nullopt;
  return entry;
}

std::optional<std::vector<ArticleSummary>> ParseArticleList(std::span<const uint8_t> data) {
  ByteReader reader(data);
  reader.Take(kArticleListHead);
  const uint32_t count = reader.Take32();
  reader.TakeLengthPrefixed();  // the category's name and description: empty
  reader.TakeLengthPrefixed();
  std::vector<ArticleSummary> articles;
  for (uint32_t i = 0; i < count && reader.Ok(); ++i) {
    ArticleSummary article;
    article.id = reader.Take32();
    article.date = DateText(reader.Take(kDateStampSize));
    article.parent = reader.Take32();
    reader.Take32();  // flags
    const uint16_t flavors = reader.Take16();
    article.title = reader.TakeLengthPrefixed();
    article.poster = reader.TakeLengthPrefixed();
    for (uint16_t f = 0; f < flavors && reader.Ok(); ++f) {
      article.flavors.push_back(reader.TakeLengthPrefixed());
      reader.Take(kFlavorLengthSize);
    }
    articles.push_back(std::move(article));
  }
  if (!reader.Ok()) return std::nullopt;
  return articles;
}

std::string DateText(std::span<const uint8_t> stamp) {
  if (stamp.size() != kDateStampSize) return {};
  ByteReader reader(stamp);
  const int year = reader.Take16();
  reader.Take16();  // milliseconds
  const uint32_t seconds = reader.Take32();
  const int day_of_year = static_cast<int>(seconds / kSecondsPerDay);
  int month = 11;
  auto days_before = [&](int m) { return kDaysBeforeMonth[m] + (m >= 2 && IsLeapYear(year)); };
  while (month > 0 && days_before(month) > day_of_year) --month;
  const uint32_t in_day = seconds % kSecondsPerDay;
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02u:%02u", year, month + 1,
                day_of_year - days_before(month) + 1, in_day / 3600, in_day / 60 % 60);
  return text;
}

std::vector<uint8_t> PathField(const std::vector<std::string>& levels) {
  std::vector<uint8_t> field;
  Append16(field, static_cast<uint16_t>(levels.size()));
  for (const std::string& level : levels) {
    Append16(field, 0);
    AppendLengthPrefixed(field, level);
  }
  return field;
}

std::vector<std::string> PathLevels(std::string_view typed) {
  std::vector<std::string> levels;
  while (!typed.empty()) {
    const size_t slash = typed.find('/');
    const std::string_view level = typed.substr(0, slash);
    if (!level.empty()) levels.push_back(Utf8ToMacRoman(level));
    if (slash == std::string_view::npos) break;
    typed.remove_prefix(slash + 1);
  }
  return levels;
}

}  // namespace vantrel::client
