#include "bans/temporary_ban_list.h"

#include <utility>

#include "bans/ban_dates.h"

namespace vantrel {

void TemporaryBanList::Add(uint32_t address, uint32_t now) {
  BanRecord record;
  record.flag = kBanInForce;
  record.expiry = now + kTemporaryBanSeconds;
  record.first_address = address;
  record.last_address = address;
  record.date_text = ServerBanDateText(clock_.LocalTime());
  AppendBan(entries_, std::move(record), kMaxTemporaryBans);
}

bool TemporaryBanList::IsBanned(uint32_t address, uint32_t now) {
  Sweep(now);
  return AnyBanMatches(entries_, address);
}

void TemporaryBanList::Sweep(uint32_t now) {
  // Expiry and now are compared on the wrapping seconds clock: an entry has
  // expired once now has reached its expiry.
  std::erase_if(entries_, [now](const BanRecord& record) {
    return static_cast<int32_t>(record.expiry - now) <= 0;
  });
}

}  // namespace vantrel
