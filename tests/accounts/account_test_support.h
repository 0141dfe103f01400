#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "accounts/account_record.h"
#include "accounts/account_store.h"
#include "support/scoped_environment.h"
#include "support/temporary_folder.h"

namespace vantrel::testing {

inline void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

inline AccountRecord MakeRecord(std::string login, std::string name = "Someone") {
  AccountRecord record;
  record.login = std::move(login);
  record.name = std::move(name);
  return record;
}

// A server folder with an empty "Users" folder, and the home trash pointed into
// it so that nothing reaches the real trash.
class StoreFixture {
 public:
  StoreFixture()
      : users_(folder_.Path() / "Users"),
        data_home_("XDG_DATA_HOME", (folder_.Path() / "data").string()),
        home_("HOME", (folder_.Path() / "home").string()),
        store_(FileSystem::Default(), users_) {
    std::filesystem::create_directory(users_);
  }

  const std::filesystem::path& Server() const { return folder_.Path(); }
  const std::filesystem::path& Users() const { return users_; }
  std::filesystem::path Trash() const { return folder_.Path() / "data" / "Trash"; }
  const AccountStore& Store() const { return store_; }
  std::string UserData(const std::string& folder) const {
    return ReadWholeFile(users_ / folder / "UserData");
  }

 private:
  TemporaryFolder folder_;
  std::filesystem::path users_;
  ScopedEnvironment data_home_;
  ScopedEnvironment home_;
  AccountStore store_;
};

}  // namespace vantrel::testing
