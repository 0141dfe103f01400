// Feeds arbitrary bytes to the "UserData" reader. Besides never crashing,
// whatever it reads must survive being written and read again unchanged, and
// every record written must be exactly one record long.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "accounts/account_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vantrel::AccountRecord record;
  const auto status = vantrel::DecodeAccountRecord(std::span<const uint8_t>(data, size), record);
  if (status != vantrel::AccountRecordStatus::kRead) return 0;
  const std::vector<uint8_t> bytes = vantrel::EncodeAccountRecord(record);
  if (bytes.size() != 734) std::abort();
  vantrel::AccountRecord again;
  if (vantrel::DecodeAccountRecord(bytes, again) != vantrel::AccountRecordStatus::kRead ||
      again != record) {
    std::abort();
  }
  return 0;
}
