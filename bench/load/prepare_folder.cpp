#include "prepare_folder.h"

#include "accounts/account_files.h"
#include "accounts/account_record.h"
#include "accounts/account_store.h"
#include "prefs/prefs_file.h"
#include "prefs/server_settings.h"

namespace vantrel::load {
namespace {

// The server listens on the loopback address only: the load never leaves the machine.
constexpr uint32_t kLoopbackAddress = 0x7F000001;  // 127.0.0.1
constexpr const char* kGuestLogin = "guest";
constexpr const char* kGuestName = "guest";
constexpr const char* kServerName = "Load test";

}  // namespace

void PrepareServerFolder(const std::filesystem::path& folder, uint16_t port) {
  std::filesystem::create_directories(folder);

  ServerSettings settings;
  settings.server_name = kServerName;
  settings.server_port = port;
  settings.server_ip_address = kLoopbackAddress;
  settings.max_connections_per_address = 0;  // every load client from its own address anyway
  settings.max_downloads = kPreparedMaxDownloads;
  settings.max_downloads_per_client = kPreparedMaxDownloads;
  settings.option_flags = 0;  // no trackers, sounds, log files or quit question
  WritePrefsFile(FileSystem::Default(), folder, settings);

  const auto users = account_files::UsersFolderIn(folder);
  std::filesystem::create_directories(users);
  const AccountStore store(FileSystem::Default(), users);
  AccountRecord guest;
  guest.login = kGuestLogin;
  guest.name = kGuestName;
  for (const unsigned bit : kGuestPrivilegeBits) guest.privileges.Set(bit);
  if (store.Exists(kGuestLogin)) {
    store.Write(guest);
  } else {
    store.Create(guest);
  }
}

}  // namespace vantrel::load
