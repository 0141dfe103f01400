#include "bans/ban_list_edit.h"

#include <string>
#include <utility>

#include "bans/address_range.h"
#include "bans/ban_dates.h"
#include "bans/ban_texts.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "server/application.h"

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

size_t SaveOperatorBans(CMyApplication& server, const BanList& working) {
  server.PermanentBans().Save(working);
  return DisconnectPermanentlyBanned(server);
}

size_t DisconnectPermanentlyBanned(CMyApplication& server) {
  UFieldData message;
  message.AddText(kFieldData, kPermanentlyBannedText);
  size_t closed = 0;
  for (const auto& entry : server.Clients().All()) {
    ClientSession& client = *entry;
    if (!client.connection->IsConnected() || client.connection->IsClosePending()) continue;
    if (!server.PermanentBans().IsBanned(client.address)) continue;
    client.connection->SendRequest(kTranServerMessage, message);
    client.connection->CloseGracefully();
    server.Log().Line(client.LogWho(), kPermanentBanLogText + CurlyQuoted(client.LogWho()));
    ++closed;
  }
  if (closed != 0) server.RequestPass();
  return closed;
}

}  // namespace vantrel
