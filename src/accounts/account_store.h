#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "accounts/account_record.h"
#include "platform/file_system.h"

namespace vantrel {

// The accounts of the server: one folder per account inside the "Users" folder,
// named by the account's login, holding the account's record in "UserData".
// Nothing is cached; every call opens, reads or writes and closes the files.
// Logins are Mac Roman; folder names are matched to them without regard to the
// case of ASCII letters (account_files.h), and no login names anything outside
// "Users". Failures are Omberly::CException as account_errors.h lists them.
// When the "Users" folder is missing, Read and List raise the not-found error and
// Create, Write, Delete and Rename do nothing (Exists answers false).
// Core thread only; copying is cheap (it holds only the file system it reaches
// the folder through and the folder's path).
class AccountStore {
 public:
  // `users_folder` is the "Users" folder (account_files::UsersFolderIn).
  // REQUIRES: `file_system` outlives the store and its copies.
  AccountStore(FileSystem& file_system, std::filesystem::path users_folder);

  const std::filesystem::path& UsersFolder() const { return users_; }
  // True when the "Users" folder is there as a folder.
  bool Available() const;

  // The record of the account `login`, from the first 734 bytes of its
  // "UserData". Raises not-found (empty or unusable login, no folder, no
  // readable "UserData"), kErrorCodeDamagedRecord or kErrorCodeWrongVersion.
  AccountRecord Read(std::string_view login) const;

  // Creates the folder named by the record's whole login (as stored: at most 32
  // bytes) and "UserData" in it.
  // Raises kErrorCodeExists when the account is there already (letter case
  // aside), kErrorCodeInvalidName for an unusable login, or the file system's
  // failure; after a failure nothing of the new account is left.
  void Create(const AccountRecord& record) const;

  // Replaces the "UserData" of the existing account named by the record's login
  // (as stored: at most 32 bytes).
  // Creates no folder: raises not-found when the account or its "UserData" is
  // missing, or the file system's failure (the old record then stays).
  void Write(const AccountRecord& record) const;

  // Moves the account folder with everything in it to the trash (platform/
  // trash.h). A login without a folder is no failure: nothing happens. Raises the
  // file system's failure.
  void Delete(std::string_view login) const;

  // Renames the folder of `old_login` to the record's login cut to
  // kMaxFolderLogin bytes. Raises not-found when `old_login` has no folder,
  // kErrorCodeInvalidName for an unusable new login, kErrorCodeExists when
  // another account already has the new name, or the file system's failure.
  void Rename(std::string_view old_login, const AccountRecord& record) const;

  // True when a folder for the record's login, cut to kMaxFolderLogin bytes, is
  // there. Never raises.
  bool Exists(const AccountRecord& record) const;
  // The same for a login given alone.
  bool Exists(std::string_view login) const;

  // The logins of every account: each entry of "Users" that is a folder or a
  // link to one (shortcuts included), named as the entry, in listing order.
  // Raises not-found without "Users", or the file system's failure.
  std::vector<std::string> List() const;

  // Removes the "UserData.new" that an interrupted write left in an account's
  // folder, in every account folder. Never raises.
  void RemoveLeftovers() const;

  // The name of the folder that holds the account `login` (letter case as on
  // disk), or nothing when there is none.
  std::optional<std::string> FolderLogin(std::string_view login) const;

  // The longest login that Rename and Exists use.
  static constexpr size_t kMaxFolderLogin = 31;

 private:
  // account_files::FindAccountEntry in this store's "Users".
  std::optional<std::filesystem::path> FindAccountEntry(std::string_view login) const;
  // True when the entry at `path`, links followed, is of `kind`; false when it
  // is missing or cannot be looked at.
  bool IsA(const std::filesystem::path& path, FileKind kind) const;

  FileSystem* file_system_;  // never null
  std::filesystem::path users_;
};

}  // namespace vantrel
