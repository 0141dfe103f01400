#include "bans/ban_record.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace vantrel {

void AppendBan(BanList& list, BanRecord record, size_t capacity) {
  if (list.size() >= capacity) {
    list.erase(list.begin(),
               list.begin() + static_cast<std::ptrdiff_t>(list.size() - capacity + 1));
  }
  list.push_back(std::move(record));
}

bool AnyBanMatches(const BanList& list, uint32_t address) {
  return std::any_of(list.begin(), list.end(),
                     [address](const BanRecord& record) { return record.Matches(address); });
}

std::string CutBanText(std::string text, size_t limit) {
  if (text.size() > limit) text.resize(limit);
  return text;
}

}  // namespace vantrel
