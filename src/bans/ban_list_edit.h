#pragma once

#include <cstddef>
#include <ctime>
#include <string_view>

#include "bans/ban_record.h"
#include "bans/permanent_ban_list.h"
#include "bans/temporary_ban_list.h"
#include "logs/log_window.h"
#include "server/client_list.h"
#include "server/core_services.h"

namespace vantrel {

// What the bans capability uses of the server core, and its two lists.
// Everything referred to must outlive the capability.
struct BanServices {
  ClientList& clients;
  LogWindow& log;
  PassRequester& passes;
  FailureReporter& failures;
  PermanentBanList& permanent_bans;
  TemporaryBanList& temporary_bans;
};

// The operator's editing of the permanent ban list (the options window's ban
// tab and the console's ban command): a working list read from "Banned"
// (PermanentBanList::ReadWorkingList), changed here, then saved. Core thread only.

// Appends the entry the operator typed: in force, permanent, the range of
// `range_text` (AddressRangeFromText), the date of `when` in the operator's
// form, `info` cut to 63 bytes. The oldest entry makes room when 500 are held.
// Both texts are Mac Roman.
void AddOperatorBan(BanList& working, std::string_view range_text, std::string_view info,
                    const std::tm& when);

// Saves `working` as the permanent ban list, then disconnects every session
// now banned by it (DisconnectPermanentlyBanned). Raises Omberly::CException
// (class 4) when "Banned" cannot be saved; nobody is disconnected then.
// Returns how many sessions were closed.
size_t SaveOperatorBans(const BanServices& bans, const BanList& working);

// Every session in the user list whose address the permanent list covers and
// whose connection is open and not already closing is sent transaction 104
// "You are permanently banned on this server.", closed once that has gone out,
// and logged as "Disconnect & permanent ban “name”" (its address when it has
// no name). A pass is requested to remove them. Returns how many were closed.
size_t DisconnectPermanentlyBanned(const BanServices& bans);

}  // namespace vantrel
