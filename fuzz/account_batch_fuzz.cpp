// Runs arbitrary update batches (transaction 349) against a small account store.
// Besides never crashing, a batch may change only what its sender's privileges
// allow: without the modify privilege no existing account is renamed or
// rewritten, without the delete privilege none disappears, without the create
// privilege none appears, and nothing is ever written outside "Users".
//
// Input: one byte whose low three bits grant the create, delete and modify
// privileges, then the request's field list (each item a field list packed in
// a field 101).
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "accounts/account_batch.h"
#include "accounts/account_record.h"
#include "accounts/account_store.h"
#include "platform/file_system.h"
#include "protocol/access_privileges.h"

namespace {

namespace fs = std::filesystem;
using vantrel::AccountRecord;

// Whatever the batch tells, nobody listens.
class Silence final : public vantrel::AccountChanges {
 public:
  void Created(const AccountRecord&) override {}
  void Renamed(std::string_view, std::string_view) override {}
  void Modified(std::string_view, const AccountRecord&) override {}
  void Deleted(std::string_view) override {}
  void LoginTaken(std::string_view) override {}
};

// The server folder, made once per process in memory when the system offers a
// memory file system (every account written is synced), else under the
// temporary folder; the trash is kept inside it.
struct Folder {
  Folder() {
    const fs::path parent = fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path();
    base = parent / ("vantrel-batch-fuzz-" + std::to_string(::getpid()));
    fs::remove_all(base);
    users = base / "server" / "Users";
    ::setenv("XDG_DATA_HOME", (base / "data").c_str(), 1);
    ::setenv("HOME", (base / "home").c_str(), 1);
  }
  ~Folder() { fs::remove_all(base); }

  // Three accounts, and nothing else.
  void Reset(const vantrel::AccountStore& store) {
    fs::remove_all(base / "data");
    fs::remove_all(users);
    fs::create_directories(users);
    for (const char* login : {"admin", "bob", "guest"}) {
      AccountRecord record;
      record.login = login;
      record.name = login;
      record.scrambled_password = "\x9e\x9b";
      record.privileges.Set(9);
      store.Create(record);
    }
  }

  // Each account folder's "UserData" bytes.
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> accounts;
    for (const auto& entry : fs::directory_iterator(users)) {
      std::ifstream in(entry.path() / "UserData", std::ios::binary);
      accounts[entry.path().filename()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return accounts;
  }

  fs::path base;
  fs::path users;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Folder folder;
  static const vantrel::AccountStore store(vantrel::FileSystem::Default(), folder.users);
  if (size == 0) return 0;
  vantrel::AccessPrivileges actor;
  actor.Set(9);
  const bool create = (data[0] & 1) != 0;
  const bool remove = (data[0] & 2) != 0;
  const bool modify = (data[0] & 4) != 0;
  if (create) actor.Set(vantrel::kPrivilegeCreateAccounts);
  if (remove) actor.Set(vantrel::kPrivilegeDeleteAccounts);
  if (modify) actor.Set(vantrel::kPrivilegeModifyAccounts);

  folder.Reset(store);
  const auto before = folder.Snapshot();
  Silence changes;
  vantrel::UpdateAccounts(
      store, actor, vantrel::UFieldData(std::vector<uint8_t>(data + 1, data + size)), changes);
  const auto after = folder.Snapshot();

  for (const auto& [login, bytes] : before) {
    const auto now = after.find(login);
    if (now == after.end()) {
      if (!remove && !modify) std::abort();  // gone without deleting or renaming
    } else if (now->second != bytes && !modify) {
      std::abort();  // rewritten without the modify privilege
    }
  }
  for (const auto& [login, bytes] : after) {
    if (!before.contains(login) && !create && !modify) std::abort();  // appeared
  }
  for (const auto& entry : fs::directory_iterator(folder.base / "server")) {
    if (entry.path().filename() != "Users") std::abort();  // written outside "Users"
  }
  return 0;
}
