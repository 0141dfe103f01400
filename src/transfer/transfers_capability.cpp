#include "transfer/transfers_capability.h"

#include <utility>

#include "transfer/transfer_handlers.h"
#include "transfer/transfer_passes.h"

namespace vantrel {

TransfersCapability::TransfersCapability(const TransferServices& services, Random& random)
    : transfers_{services, TransferLists(random)} {
  transfers_.services.stats.SetLiveCounter([this] { return transfers_.lists.LiveCounts(); });
  transfers_.services.clients.SetTransferLister(
      [this](const ClientSession& client) { return transfers_.lists.TransfersOf(client); });
}

void TransfersCapability::RegisterHandlers(DispatchTable& table) {
  RegisterDownloadHandlers(table, transfers_);
  RegisterUploadHandlers(table, transfers_);
}

void TransfersCapability::ClientLeft(ClientSession& leaving) {
  transfers_.lists.OwnerLeft(leaving);
}

void TransfersCapability::ServerReset() {
  transfers_.lists.Clear();
}

bool TransfersCapability::TakeTransferConnection(std::unique_ptr<Transport>& transport,
                                                 uint32_t address) {
  TransferServices& services = transfers_.services;
  if (services.banned(address, services.clock.Seconds())) {
    transport->Disconnect();
    return true;
  }
  transport->SetNotify([&passes = services.passes](TransportEvent) { passes.RequestPass(); });
  AddUnidentified(transfers_.lists, std::move(transport), services.clock.Seconds());
  return true;
}

void TransfersCapability::TransferPass(uint32_t now) {
  IdentifyConnections(transfers_, now);
  RunBannerPass(transfers_, now);
  RunFileDownloadPass(transfers_, now);
  RunFolderDownloadPass(transfers_, now);
  RunFileUploadPass(transfers_, now);
  RunFolderUploadPass(transfers_, now);
  RunQueuePass(transfers_, now);
}

}  // namespace vantrel
