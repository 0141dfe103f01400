#include "bans/ban_list_edit.h"

#include <string>
#include <utility>

#include "bans/address_range.h"
#include "bans/ban_dates.h"
#include "bans/ban_texts.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "server/server_message.h"

namespace vantrel {

void AddOperatorBan(BanList& working, std::string_view range_text, std::string_view info,
                    const std::tm& when) {
  const AddressRange range = AddressRangeFromText(range_text);
  BanRecord record;
  record.flag = kBanInForce;
  record.expiry = kPermanentBanExpiry;
  record.first_address = range.first;
  record.last_address = range.last;
  record.date_text = OperatorBanDateText(when);
  record.info_text = CutBanText(std::string(info), kMaxBanInfoTextLength);
  AppendBan(working, std::move(record), kMaxPermanentBans);
}

size_t SaveOperatorBans(const BanServices& bans, const BanList& working) {
  bans.permanent_bans.Save(working);
  return DisconnectPermanentlyBanned(bans);
}

size_t DisconnectPermanentlyBanned(const BanServices& bans) {
  const UFieldData message = ServerMessageFields(kPermanentlyBannedText);
  size_t closed = 0;
  for (const auto& entry : bans.clients.All()) {
    ClientSession& client = *entry;
    if (!client.connection->IsConnected() || client.connection->IsClosePending()) continue;
    if (!bans.permanent_bans.IsBanned(client.address)) continue;
    client.connection->SendRequest(kTranServerMessage, message);
    client.connection->CloseGracefully();
    bans.log.Line(client.LogWho(), kPermanentBanLogText + CurlyQuoted(client.LogWho()));
    ++closed;
  }
  if (closed != 0) bans.passes.RequestPass();
  return closed;
}

}  // namespace vantrel
