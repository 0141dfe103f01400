#include "bans/permanent_ban_list.h"

#include <string>
#include <utility>

#include "bans/ban_dates.h"
#include "bans/banned_file.h"
#include "platform/exception.h"

namespace vantrel {
namespace {

BanList InForce(const BanList& list) {
  BanList kept;
  for (const BanRecord& record : list) {
    if (record.flag != kBanRemoved) kept.push_back(record);
  }
  return kept;
}

}  // namespace

PermanentBanList::PermanentBanList(FileSystem& file_system, std::filesystem::path server_folder,
                                   const Clock& clock)
    : file_system_(file_system), folder_(std::move(server_folder)), clock_(clock) {}

void PermanentBanList::Load() {
  RemoveBannedLeftover(file_system_, folder_);
  entries_ = InForce(LoadBannedFile(file_system_, folder_));
}

void PermanentBanList::Add(uint32_t first, uint32_t last, std::string_view info) {
  BanList working = ReadWorkingList();
  BanRecord record;
  record.flag = kBanInForce;
  record.expiry = kPermanentBanExpiry;
  record.first_address = first;
  record.last_address = last;
  record.date_text = ServerBanDateText(clock_.LocalTime());
  record.info_text = CutBanText(std::string(info), kMaxBanInfoTextLength);
  AppendBan(working, std::move(record), kMaxPermanentBans);
  try {
    Save(working);
  } catch (const Omberly::CException&) {
    entries_ = InForce(working);  // in force all the same, until the server starts again
    throw;
  }
}

BanList PermanentBanList::ReadWorkingList() const {
  return LoadBannedFile(file_system_, folder_);
}

void PermanentBanList::Save(const BanList& list) {
  SaveBannedFile(file_system_, folder_, list);
  entries_ = InForce(list);
}

}  // namespace vantrel
