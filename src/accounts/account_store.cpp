#include "accounts/account_store.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "accounts/account_errors.h"
#include "accounts/account_files.h"
#include "accounts/account_record_layout.h"
#include "logs/log_window.h"
#include "platform/file_failure.h"
#include "platform/mac_roman.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using account_files::kUserDataFileName;
using account_files::kUserDataTemporaryName;

// Descriptions of the file system's failures.
constexpr const char* kCreateFolderText = "Could not create the account folder.";
constexpr const char* kRenameText = "Could not rename the account folder.";
constexpr const char* kListText = "Could not list the accounts.";

// The description of a failure to write an account's record, naming its file.
std::string WriteRecordText(std::string_view login) {
  return "Could not write the account file " +
         CurlyQuoted("Users/" + std::string(login) + "/" + kUserDataFileName) + ".";
}

// A failure the store itself finds, described by its class and code (or `text`).
[[noreturn]] void Raise(int16_t code, const char* text = "") {
  throw Omberly::CException(kErrorClassFile, code, text);
}

// The record's login as "UserData" keeps it.
std::string_view StoredLogin(const AccountRecord& record) {
  return account_files::CutTo(record.login, account_record_layout::kMaxLogin);
}

}  // namespace

AccountStore::AccountStore(FileSystem& file_system, fs::path users_folder)
    : file_system_(&file_system), users_(std::move(users_folder)) {}

bool AccountStore::Available() const {
  return IsA(users_, FileKind::kFolder);
}

AccountRecord AccountStore::Read(std::string_view login) const {
  if (!Available()) Raise(kErrorCodeFolderNotFound);
  const std::optional<fs::path> folder = FindAccountEntry(login);
  if (!folder) Raise(kErrorCodeNotFound);
  const fs::path file = *folder / kUserDataFileName;
  if (!IsA(file, FileKind::kFile)) Raise(kErrorCodeNotFound);
  std::unique_ptr<ReadableFile> opened;
  try {
    opened = file_system_->OpenForReading(file);
  } catch (const Omberly::CException&) {
    Raise(kErrorCodeNotFound);
  }
  std::string bytes;
  try {
    opened->ReadAll(account_record_layout::kRecordSize, bytes);
  } catch (const Omberly::CException&) {
    // What came before the failed read is too short: a damaged record.
  }
  AccountRecord record;
  switch (DecodeAccountRecord(AsBytes(bytes), record)) {
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
  if (FindAccountEntry(login)) Raise(kErrorCodeExists);

  const fs::path folder = users_ / *name;
  bool created = false;
  try {
    created = file_system_->CreateFolder(folder);
  } catch (const Omberly::CException& failure) {
    RaiseFileFailure(kCreateFolderText, failure.SystemError());
  }
  if (!created) Raise(kErrorCodeExists);
  const fs::path file = folder / kUserDataFileName;
  try {
    file_system_->WriteFile(file, EncodeAccountRecord(record));
  } catch (const Omberly::CException& failure) {
    // What cannot be removed is left behind: the failure to write is the one to tell.
    try {
      file_system_->Remove(file);
    } catch (const Omberly::CException&) {
    }
    try {
      file_system_->RemoveFolder(folder);
    } catch (const Omberly::CException&) {
    }
    RaiseFileFailure(WriteRecordText(login), failure.SystemError());
  }
}

void AccountStore::Write(const AccountRecord& record) const {
  if (!Available()) return;
  const std::optional<fs::path> folder = FindAccountEntry(StoredLogin(record));
  if (!folder) Raise(kErrorCodeNotFound);
  const fs::path file = *folder / kUserDataFileName;
  if (!IsA(file, FileKind::kFile)) Raise(kErrorCodeNotFound);

  file_system_->ReplaceFile(file, *folder / kUserDataTemporaryName, EncodeAccountRecord(record),
                            WriteRecordText(StoredLogin(record)));
}

void AccountStore::Delete(std::string_view login) const {
  if (!Available()) return;
  const std::optional<fs::path> folder = FindAccountEntry(login);
  if (!folder) return;
  file_system_->MoveToTrash(*folder);
}

void AccountStore::Rename(std::string_view old_login, const AccountRecord& record) const {
  if (!Available()) return;
  const std::optional<fs::path> old_folder = FindAccountEntry(old_login);
  if (!old_folder) Raise(kErrorCodeNotFound);
  const std::string_view new_login = account_files::CutTo(record.login, kMaxFolderLogin);
  const std::optional<std::string> new_name = account_files::AccountFolderName(new_login);
  if (!new_name) Raise(kErrorCodeInvalidName);
  const std::optional<fs::path> taken = FindAccountEntry(new_login);
  if (taken && *taken != *old_folder) Raise(kErrorCodeExists);

  const fs::path new_folder = users_ / *new_name;
  if (new_folder == *old_folder) return;
  try {
    file_system_->Rename(*old_folder, new_folder);
  } catch (const Omberly::CException& failure) {
    RaiseFileFailure(kRenameText, failure.SystemError());
  }
}

bool AccountStore::Exists(const AccountRecord& record) const {
  return Exists(record.login);
}

bool AccountStore::Exists(std::string_view login) const {
  if (!Available()) return false;
  const std::optional<fs::path> folder =
      FindAccountEntry(account_files::CutTo(login, kMaxFolderLogin));
  return folder && IsA(*folder, FileKind::kFolder);
}

std::vector<std::string> AccountStore::List() const {
  if (!Available()) Raise(kErrorCodeFolderNotFound);
  std::vector<std::string> entries;
  try {
    entries = file_system_->ListFolder(users_);
  } catch (const Omberly::CException& failure) {
    RaiseFileFailure(kListText, failure.SystemError());
  }
  std::vector<std::string> logins;
  for (const std::string& entry : entries) {
    if (IsA(users_ / entry, FileKind::kFolder)) {  // follows links, shortcuts included
      logins.push_back(Utf8ToMacRoman(entry));
    }
  }
  return logins;
}

void AccountStore::RemoveLeftovers() const {
  if (!Available()) return;
  std::vector<std::string> entries;
  try {
    entries = file_system_->ListFolder(users_);
  } catch (const Omberly::CException&) {
    return;  // nothing to list; the next write of each account writes over its leftover
  }
  for (const std::string& entry : entries) {
    file_system_->RemoveLeftover(users_ / entry / kUserDataTemporaryName);
  }
}

std::optional<std::string> AccountStore::FolderLogin(std::string_view login) const {
  const std::optional<fs::path> folder = FindAccountEntry(login);
  if (!folder) return std::nullopt;
  return Utf8ToMacRoman(folder->filename().native());
}

std::optional<fs::path> AccountStore::FindAccountEntry(std::string_view login) const {
  return account_files::FindAccountEntry(*file_system_, users_, login);
}

bool AccountStore::IsA(const fs::path& path, FileKind kind) const {
  try {
    const std::optional<FileStatus> status = file_system_->Stat(path, LinkHandling::kFollow);
    return status && status->kind == kind;
  } catch (const Omberly::CException&) {
    return false;
  }
}

}  // namespace vantrel
