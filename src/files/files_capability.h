#pragma once

#include "files/file_handlers.h"
#include "server/capability.h"

namespace vantrel {

// File services: browsing and rearranging the shared tree and the accounts'
// private trees (transactions 200 and 204 to 209). The tree itself belongs to
// the composition root, which shares it with the capabilities that name items
// by path. Core thread only.
class FilesCapability final : public Capability {
 public:
  // REQUIRES: everything `services` refers to outlives the capability.
  explicit FilesCapability(const FileServices& services) : services_(services) {}

  void RegisterHandlers(DispatchTable& table) override {
    RegisterBrowseHandlers(table, services_);
    RegisterChangeHandlers(table, services_);
  }

 private:
  FileServices services_;
};

}  // namespace vantrel
