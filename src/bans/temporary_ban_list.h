#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

namespace vantrel {

// How long an automatic ban (flooding, repeating) keeps an address out.
inline constexpr uint32_t kTemporaryBanSeconds = 1800;
// Temporary bans held at once; a new ban beyond this reuses the oldest entry.
inline constexpr size_t kMaxTemporaryBans = 32;

// The in-memory list of temporary address bans, oldest first. Entries expire
// kTemporaryBanSeconds after they were made and are swept before each check.
// Owned by the application; core thread only.
class TemporaryBanList {
 public:
  // Bans `address` until now + kTemporaryBanSeconds.
  void Add(uint32_t address, uint32_t now);

  // Sweeps expired entries, then tells whether an entry covers `address`.
  bool IsBanned(uint32_t address, uint32_t now);

  size_t Size() const { return entries_.size(); }

 private:
  struct Entry {
    uint32_t first_address;
    uint32_t last_address;
    uint32_t expiry;
  };

  void Sweep(uint32_t now);

  std::deque<Entry> entries_;
};

}  // namespace vantrel
