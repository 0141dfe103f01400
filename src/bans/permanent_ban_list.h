#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "bans/ban_record.h"
#include "platform/clock.h"
#include "platform/file_system.h"

namespace vantrel {

// The permanent ban list: the entries in force of the file "Banned" in the
// server folder, oldest first, at most kMaxPermanentBans. Every change goes
// through the file: it is read afresh, changed and saved whole (banned_file.h),
// and the saved entries in force become this list. Owned by the application;
// core thread only.
class PermanentBanList {
 public:
  // REQUIRES: `file_system` and `clock` outlive the list.
  PermanentBanList(FileSystem& file_system, std::filesystem::path server_folder,
                   const Clock& clock);

  PermanentBanList(const PermanentBanList&) = delete;
  PermanentBanList& operator=(const PermanentBanList&) = delete;

  // Start-up: removes what an interrupted save left, then takes the entries in
  // force of "Banned" (LoadBannedFile). Never raises.
  void Load();

  // True when an entry of the list covers `address`.
  bool IsBanned(uint32_t address) const { return AnyBanMatches(entries_, address); }

  // Bans first..last for good: reads "Banned" afresh, appends an entry in force
  // with the date text of now (server form) and `info` (cut to 63 bytes), the
  // oldest entry making room when 500 are held, and saves (Save). Raises
  // Omberly::CException (class 4) when the file cannot be saved; the new entry
  // is in force all the same, in memory, until the list is loaded again.
  void Add(uint32_t first, uint32_t last, std::string_view info);

  // "Banned" as it is on disk, removed entries included, for the operator to
  // edit and hand back to Save. Never raises.
  BanList ReadWorkingList() const;

  // Saves `list` as "Banned" (SaveBannedFile) and makes its entries in force
  // this list. Raises Omberly::CException (class 4) when the file cannot be
  // saved; the list is then left as it was.
  void Save(const BanList& list);

  const BanList& Entries() const { return entries_; }

 private:
  FileSystem& file_system_;
  const std::filesystem::path folder_;
  const Clock& clock_;
  BanList entries_;
};

}  // namespace vantrel
