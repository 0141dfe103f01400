#include "accounts/account_store.h"

#include <cstdint>
#include <cstdio>
#include <system_error>
#include <utility>

#include "accounts/account_errors.h"
#include "accounts/account_files.h"
#include "accounts/account_record_layout.h"
#include "platform/file_failure.h"
#include "platform/file_io.h"
#include "platform/mac_roman.h"
#include "platform/trash.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using account_files::FindAccountEntry;
using account_files::kUserDataFileName;
using account_files::kUserDataTemporaryName;

// Descriptions of the file system's failures.
constexpr const char* kCreateFolderText = "Could not create the account folder.";
constexpr const char* kWriteRecordText = "Could not write the account file.";
constexpr const char* kRenameText = "Could not rename the account folder.";
constexpr const char* kListText = "Could not list the accounts.";

// A failure the store itself finds, described by its class and code (or `text`).
[[noreturn]] void Raise(int16_t code, const char* text = "") {
  throw Omberly::CException(kErrorClassFile, code, text);
}

// The record's login as "UserData" keeps it.
std::string_view StoredLogin(const AccountRecord& record) {
  return account_files::CutTo(record.login, account_record_layout::kMaxLogin);
}

// Up to one record's bytes of the regular file at `path`; nothing when it cannot
// be opened.
std::optional<std::vector<uint8_t>> ReadRecordBytes(const fs::path& path) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return std::nullopt;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return std::nullopt;
  std::vector<uint8_t> bytes(account_record_layout::kRecordSize);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));  // a short read means damaged
  std::fclose(file);
  return bytes;
}

}  // namespace

AccountStore::AccountStore(fs::path users_folder) : users_(std::move(users_folder)) {}

bool AccountStore::Available() const {
  std::error_code error;
  return fs::is_directory(users_, error);
}

AccountRecord AccountStore::Read(std::string_view login) const {
  if (!Available()) Raise(kErrorCodeFolderNotFound);
  const std::optional<fs::path> folder = FindAccountEntry(users_, login);
  if (!folder) Raise(kErrorCodeNotFound);
  const std::optional<std::vector<uint8_t>> bytes = ReadRecordBytes(*folder / kUserDataFileName);
  if (!bytes) Raise(kErrorCodeNotFound);
  AccountRecord record;
  switch (DecodeAccountRecord(*bytes, record)) {
    case AccountRecordStatus::kRead:
      return record;
    case AccountRecordStatus::kDamaged:
      Raise(kErrorCodeDamagedRecord, kDamagedRecordText);
    case AccountRecordStatus::kWrongVersion:
      Raise(kErrorCodeWrongVersion, kWrongVersionText);
  }
  Raise(kErrorCodeDamagedRecord, kDamagedRecordText);
}

void AccountStore::Create(const AccountRecord& record) const {
  if (!Available()) return;
  const std::string_view login = StoredLogin(record);
  const std::optional<std::string> name = account_files::AccountFolderName(login);
  if (!name) Raise(kErrorCodeInvalidName);
  if (FindAccountEntry(users_, login)) Raise(kErrorCodeExists);

  const fs::path folder = users_ / *name;
  std::error_code error;
  if (!fs::create_directory(folder, error)) {
    if (error) RaiseFileFailure(kCreateFolderText, error.value());
    Raise(kErrorCodeExists);
  }
  const fs::path file = folder / kUserDataFileName;
  const int failure = WriteFileSynced(file, EncodeAccountRecord(record));
  if (failure != 0) {
    fs::remove(file, error);
    fs::remove(folder, error);
    RaiseFileFailure(kWriteRecordText, failure);
  }
}

void AccountStore::Write(const AccountRecord& record) const {
  if (!Available()) return;
  const std::optional<fs::path> folder = FindAccountEntry(users_, StoredLogin(record));
  if (!folder) Raise(kErrorCodeNotFound);
  const fs::path file = *folder / kUserDataFileName;
  std::error_code error;
  if (!fs::is_regular_file(file, error)) Raise(kErrorCodeNotFound);

  ReplaceFile(file, *folder / kUserDataTemporaryName, EncodeAccountRecord(record),
              kWriteRecordText);
}

void AccountStore::Delete(std::string_view login) const {
  if (!Available()) return;
  const std::optional<fs::path> folder = FindAccountEntry(users_, login);
  if (!folder) return;
  MoveToTrash(*folder);
}

void AccountStore::Rename(std::string_view old_login, const AccountRecord& record) const {
  if (!Available()) return;
  const std::optional<fs::path> old_folder = FindAccountEntry(users_, old_login);
  if (!old_folder) Raise(kErrorCodeNotFound);
  const std::string_view new_login = account_files::CutTo(record.login, kMaxFolderLogin);
  const std::optional<std::string> new_name = account_files::AccountFolderName(new_login);
  if (!new_name) Raise(kErrorCodeInvalidName);
  const std::optional<fs::path> taken = FindAccountEntry(users_, new_login);
  if (taken && *taken != *old_folder) Raise(kErrorCodeExists);

  const fs::path new_folder = users_ / *new_name;
  if (new_folder == *old_folder) return;
  std::error_code error;
  fs::rename(*old_folder, new_folder, error);
  if (error) RaiseFileFailure(kRenameText, error.value());
}

bool AccountStore::Exists(const AccountRecord& record) const {
  return Exists(record.login);
}

bool AccountStore::Exists(std::string_view login) const {
  if (!Available()) return false;
  const std::optional<fs::path> folder =
      FindAccountEntry(users_, account_files::CutTo(login, kMaxFolderLogin));
  std::error_code error;
  return folder && fs::is_directory(*folder, error);
}

std::vector<std::string> AccountStore::List() const {
  if (!Available()) Raise(kErrorCodeFolderNotFound);
  std::error_code error;
  fs::directory_iterator entries(users_, error);
  if (error) RaiseFileFailure(kListText, error.value());
  std::vector<std::string> logins;
  for (const fs::directory_iterator end; entries != end; entries.increment(error)) {
    std::error_code kind_error;
    if (entries->is_directory(kind_error)) {  // follows links, shortcuts included
      logins.push_back(Utf8ToMacRoman(entries->path().filename().native()));
    }
  }
  if (error) RaiseFileFailure(kListText, error.value());
  return logins;
}

std::optional<std::string> AccountStore::FolderLogin(std::string_view login) const {
  const std::optional<fs::path> folder = FindAccountEntry(users_, login);
  if (!folder) return std::nullopt;
  return Utf8ToMacRoman(folder->filename().native());
}

}  // namespace vantrel
