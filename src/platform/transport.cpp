#include "platform/transport.h"

#include <vector>

#include "platform/exception.h"
#include "platform/file_system.h"

namespace vantrel {

void Transport::SendFile(const std::shared_ptr<ReadableFile>& file, uint64_t offset,
                         size_t length) {
  std::vector<uint8_t> bytes(length);
  if (file->ReadAt(offset, bytes) != length) {
    throw Omberly::CException(kErrorClassFile, kErrorCodeInUse, kFileShrankText);
  }
  Send(bytes);
}

}  // namespace vantrel
