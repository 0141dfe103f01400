#pragma once

#include <array>
#include <cstdint>

namespace vantrel {

// An account's privileges: 64 bits in 8 bytes, bit n in byte n / 8 under the mask
// 0x80 >> (n % 8), so bit 0 is the most significant bit of the first byte.
// Stored and sent as these 8 bytes.
struct AccessPrivileges {
  std::array<uint8_t, 8> bytes{};

  // REQUIRES: bit < 64 for all four.
  bool Test(unsigned bit) const { return (bytes[bit / 8] & Mask(bit)) != 0; }
  void Set(unsigned bit) { bytes[bit / 8] = static_cast<uint8_t>(bytes[bit / 8] | Mask(bit)); }
  void Clear(unsigned bit) { bytes[bit / 8] = static_cast<uint8_t>(bytes[bit / 8] & ~Mask(bit)); }
  void ClearAll() { bytes.fill(0); }

  bool IsEmpty() const {
    for (uint8_t byte : bytes) {
      if (byte != 0) return false;
    }
    return true;
  }
  // Holds every bit that `other` holds.
  bool Covers(const AccessPrivileges& other) const {
    for (size_t i = 0; i < bytes.size(); ++i) {
      if ((bytes[i] & other.bytes[i]) != other.bytes[i]) return false;
    }
    return true;
  }

  friend bool operator==(const AccessPrivileges&, const AccessPrivileges&) = default;

 private:
  static uint8_t Mask(unsigned bit) { return static_cast<uint8_t>(0x80u >> (bit % 8)); }
};

// The full administrator set: bits 0-11, 14-17, 20-26 and 28-40.
inline constexpr AccessPrivileges kFullAdministratorPrivileges{
    {0xFF, 0xF3, 0xCF, 0xEF, 0xFF, 0x80, 0x00, 0x00}};

// Privilege bits the server core consults.
inline constexpr unsigned kPrivilegeDisconnectUsers = 22;
inline constexpr unsigned kPrivilegeGetClientInfo = 24;
inline constexpr unsigned kPrivilegeAnyName = 26;
inline constexpr unsigned kPrivilegeNoAgreement = 27;

}  // namespace vantrel
