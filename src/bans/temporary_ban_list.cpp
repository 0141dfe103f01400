#include "bans/temporary_ban_list.h"

#include <algorithm>

namespace vantrel {

void TemporaryBanList::Add(uint32_t address, uint32_t now) {
  if (entries_.size() >= kMaxTemporaryBans) entries_.pop_front();
  entries_.push_back({address, address, now + kTemporaryBanSeconds});
}

bool TemporaryBanList::IsBanned(uint32_t address, uint32_t now) {
  Sweep(now);
  return std::any_of(entries_.begin(), entries_.end(), [address](const Entry& entry) {
    return entry.first_address <= address && address <= entry.last_address;
  });
}

void TemporaryBanList::Sweep(uint32_t now) {
  // An entry is in force while now is before its expiry (compared on the
  // wrapping seconds clock).
  std::erase_if(entries_, [now](const Entry& entry) {
    return static_cast<int32_t>(entry.expiry - now) <= 0;
  });
}

}  // namespace vantrel
