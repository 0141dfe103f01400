#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vantrel {

// An account's privileges: 64 bits in 8 bytes, bit n in byte n / 8 under the mask
// 0x80 >> (n % 8), so bit 0 is the most significant bit of the first byte.
// Stored in "UserData" and sent in field 110 as exactly these 8 bytes. Bits
// without a meaning are kept, sent and compared like the others. A value type.
struct AccessPrivileges {
  std::array<uint8_t, 8> bytes{};

  // REQUIRES: bit < kPrivilegeBitCount for all three.
  constexpr bool Test(unsigned bit) const { return (bytes[bit / 8] & Mask(bit)) != 0; }
  constexpr void Set(unsigned bit) {
    bytes[bit / 8] = static_cast<uint8_t>(bytes[bit / 8] | Mask(bit));
  }
  constexpr void Clear(unsigned bit) {
    bytes[bit / 8] = static_cast<uint8_t>(bytes[bit / 8] & ~Mask(bit));
  }

  constexpr bool IsEmpty() const {
    for (uint8_t byte : bytes) {
      if (byte != 0) return false;
    }
    return true;
  }
  // Holds every bit that `other` holds.
  constexpr bool Covers(const AccessPrivileges& other) const {
    for (size_t i = 0; i < bytes.size(); ++i) {
      if ((bytes[i] & other.bytes[i]) != other.bytes[i]) return false;
    }
    return true;
  }

  friend bool operator==(const AccessPrivileges&, const AccessPrivileges&) = default;

 private:
  static constexpr uint8_t Mask(unsigned bit) { return static_cast<uint8_t>(0x80u >> (bit % 8)); }
};

// Number of bits in a privilege set.
inline constexpr unsigned kPrivilegeBitCount = 64;

// The privilege bits by number. Bits 12, 13, 18, 19 and 41 to 63 mean nothing.
inline constexpr unsigned kPrivilegeDeleteFiles = 0;
inline constexpr unsigned kPrivilegeUploadFiles = 1;
inline constexpr unsigned kPrivilegeDownloadFiles = 2;
inline constexpr unsigned kPrivilegeRenameFiles = 3;
inline constexpr unsigned kPrivilegeMoveFiles = 4;
inline constexpr unsigned kPrivilegeCreateFolders = 5;
inline constexpr unsigned kPrivilegeDeleteFolders = 6;
inline constexpr unsigned kPrivilegeRenameFolders = 7;
inline constexpr unsigned kPrivilegeMoveFolders = 8;
inline constexpr unsigned kPrivilegeReadChat = 9;
inline constexpr unsigned kPrivilegeSendChat = 10;
inline constexpr unsigned kPrivilegeCreatePrivateChats = 11;
inline constexpr unsigned kPrivilegeCreateAccounts = 14;
inline constexpr unsigned kPrivilegeDeleteAccounts = 15;
inline constexpr unsigned kPrivilegeReadAccounts = 16;
inline constexpr unsigned kPrivilegeModifyAccounts = 17;
inline constexpr unsigned kPrivilegeReadNews = 20;
inline constexpr unsigned kPrivilegePostNews = 21;
inline constexpr unsigned kPrivilegeDisconnectUsers = 22;
inline constexpr unsigned kPrivilegeCannotBeDisconnected = 23;
inline constexpr unsigned kPrivilegeGetClientInfo = 24;
inline constexpr unsigned kPrivilegeUploadAnywhere = 25;
inline constexpr unsigned kPrivilegeAnyName = 26;
inline constexpr unsigned kPrivilegeNoAgreement = 27;
inline constexpr unsigned kPrivilegeSetFileComments = 28;
inline constexpr unsigned kPrivilegeSetFolderComments = 29;
inline constexpr unsigned kPrivilegeViewDropBoxes = 30;
inline constexpr unsigned kPrivilegeMakeAliases = 31;
inline constexpr unsigned kPrivilegeBroadcast = 32;
inline constexpr unsigned kPrivilegeDeleteArticles = 33;
inline constexpr unsigned kPrivilegeCreateCategories = 34;
inline constexpr unsigned kPrivilegeDeleteCategories = 35;
inline constexpr unsigned kPrivilegeCreateBundles = 36;
inline constexpr unsigned kPrivilegeDeleteBundles = 37;
inline constexpr unsigned kPrivilegeUploadFolders = 38;
inline constexpr unsigned kPrivilegeDownloadFolders = 39;
inline constexpr unsigned kPrivilegeSendPrivateMessages = 40;

// The full administrator set: every meaningful bit except 27, that is bits 0-11,
// 14-17, 20-26 and 28-40. The head administrator gets exactly these.
inline constexpr AccessPrivileges kFullAdministratorPrivileges{
    {0xFF, 0xF3, 0xCF, 0xEF, 0xFF, 0x80, 0x00, 0x00}};

// Whether a session holding `creator` may create an account holding `account`:
// every bit of `account` except kPrivilegeNoAgreement must be held by `creator`.
// Bit 27 is exempt, so any account creator may give it.
constexpr bool MayCreateAccountWith(const AccessPrivileges& creator,
                                    const AccessPrivileges& account) {
  AccessPrivileges asked = account;
  asked.Clear(kPrivilegeNoAgreement);
  return creator.Covers(asked);
}

}  // namespace vantrel
