// Feeds arbitrary bytes to the "Banned" reader. Besides never crashing, every
// list it reads must survive being written and read again unchanged.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "bans/banned_reader.h"
#include "bans/banned_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using vantrel::BannedFileStatus;
  const auto contents = vantrel::ParseBannedFile(std::span<const uint8_t>(data, size));
  if (contents.records.size() > vantrel::kMaxPermanentBans) std::abort();
  if (contents.status != BannedFileStatus::kEntries && !contents.records.empty()) std::abort();
  if (contents.records.empty()) return 0;

  const auto again = vantrel::ParseBannedFile(vantrel::EncodeBannedFile(contents.records));
  if (again.status != BannedFileStatus::kEntries || again.records != contents.records) std::abort();
  return 0;
}
