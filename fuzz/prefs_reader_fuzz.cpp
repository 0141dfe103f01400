// Feeds arbitrary bytes to the "Prefs" reader. Besides never crashing, whatever
// the reader accepts must survive being written and read again unchanged.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "prefs/prefs_reader.h"
#include "prefs/prefs_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto settings = vantrel::DecodePrefs(std::span<const uint8_t>(data, size));
  if (settings) {
    const auto again = vantrel::DecodePrefs(vantrel::EncodePrefs(*settings));
    if (!again || *again != *settings) std::abort();
  }
  vantrel::Random random(size);
  const vantrel::ServerSettings filled =
      vantrel::SettingsFromPrefs(std::span<const uint8_t>(data, size), random);
  if (filled.tracker_pass_id == 0 || filled.server_port == 0 || filled.head_admin_login.empty()) {
    std::abort();
  }
  return 0;
}
