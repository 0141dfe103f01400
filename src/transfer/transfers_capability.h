#pragma once

#include <memory>

#include "platform/random.h"
#include "server/capability.h"
#include "transfer/transfer_services.h"

namespace vantrel {

// File transfers: the download and upload requests (202, 203, 210, 212, 213,
// 214), the waiting queue (211), and the transfer connections (port P + 1, or
// P with sub-version 3) that carry banners, flattened files and folder
// dialogues, paced by their windows. Registers the live transfer counts with
// the statistics and the client information's transfer lister. Built by the
// composition root; core thread only.
class TransfersCapability final : public Capability {
 public:
  // REQUIRES: everything `services` refers to, and `random`, outlive the capability.
  TransfersCapability(const TransferServices& services, Random& random);

  void RegisterHandlers(DispatchTable& table) override;
  void ClientLeft(ClientSession& leaving) override;
  void ServerReset() override;
  // Takes every transfer connection: a banned address's is closed at once.
  bool TakeTransferConnection(std::unique_ptr<Transport>& transport, uint32_t address) override;
  void TransferPass(uint32_t now) override;

  TransferLists& Lists() { return transfers_.lists; }

 private:
  Transfers transfers_;
};

}  // namespace vantrel
