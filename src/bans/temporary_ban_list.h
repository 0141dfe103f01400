#pragma once

#include <cstddef>
#include <cstdint>

#include "bans/ban_record.h"
#include "platform/clock.h"
#include "server/core_services.h"

namespace vantrel {

// The temporary ban list: single addresses banned for kTemporaryBanSeconds by
// the flood and repeat rules and by transaction 110, oldest first, at most
// kMaxTemporaryBans (a new ban beyond that reuses the oldest entry). Lives only
// in memory; expired entries are swept before each check. Owned by the
// application; core thread only.
class TemporaryBanList final : public TemporaryBans {
 public:
  // REQUIRES: `clock` (which gives the entries' date texts) outlives the list.
  explicit TemporaryBanList(const Clock& clock) : clock_(clock) {}

  TemporaryBanList(const TemporaryBanList&) = delete;
  TemporaryBanList& operator=(const TemporaryBanList&) = delete;

  // Bans `address` until now + kTemporaryBanSeconds (`now` on the seconds clock).
  void Add(uint32_t address, uint32_t now) override;

  // Sweeps the entries that have expired by `now`, then tells whether an entry
  // covers `address`. So an address banned at T is refused up to T + 1799 and
  // let in from T + 1800.
  bool IsBanned(uint32_t address, uint32_t now);

  const BanList& Entries() const { return entries_; }
  size_t Size() const { return entries_.size(); }

 private:
  // Removes every entry whose expiry is not after `now`; the others keep their order.
  void Sweep(uint32_t now);

  const Clock& clock_;
  BanList entries_;
};

}  // namespace vantrel
