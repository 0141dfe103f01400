#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vantrel {

// The 12 bytes a client opens its connection with: "TRTP", the sub-protocol
// magic, the version and the sub-version, big-endian.
inline constexpr size_t kHandshakeSize = 12;
// The server's 8-byte answer: "TRTP" and a 32-bit code, 0 = accepted, 1 = refused.
inline constexpr size_t kHandshakeAnswerSize = 8;

inline constexpr std::array<uint8_t, 4> kProtocolMagic = {'T', 'R', 'T', 'P'};
inline constexpr std::array<uint8_t, 4> kVantrelMagic = {'V', 'A', 'N', 'T'};
inline constexpr uint16_t kProtocolVersion = 1;
inline constexpr uint16_t kSubVersionClient = 2;    // a client session
inline constexpr uint16_t kSubVersionTransfer = 3;  // a file transfer on the client port

inline constexpr uint32_t kHandshakeAccepted = 0;
inline constexpr uint32_t kHandshakeRefused = 1;

// The outcome of checking a connection's handshake.
enum class HandshakeResult {
  kNotYet = 0,       // not connected, or fewer than 12 bytes so far; nothing consumed
  kValid = 1,        // "TRTP" and version 1: the magic and sub-version are known
  kNotProtocol = 2,  // the first 4 bytes are not "TRTP"
  kBadVersion = 3,   // the version is not 1; the refusal has been sent
};

}  // namespace vantrel
