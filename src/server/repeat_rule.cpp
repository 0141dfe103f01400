#include "server/repeat_rule.h"

#include <array>

#include "server/client_session.h"

namespace vantrel {
namespace {

constexpr uint32_t kPolynomial = 0x04C11DB7;

constexpr std::array<uint32_t, 256> MakeTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t byte = 0; byte < 256; ++byte) {
    uint32_t crc = byte << 24;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 0x80000000u) != 0 ? (crc << 1) ^ kPolynomial : crc << 1;
    }
    table[byte] = crc;
  }
  return table;
}

constexpr std::array<uint32_t, 256> kTable = MakeTable();

}  // namespace

uint32_t Crc32Mpeg2(std::span<const uint8_t> bytes) {
  uint32_t crc = 0xFFFFFFFF;
  for (const uint8_t byte : bytes) crc = (crc << 8) ^ kTable[((crc >> 24) ^ byte) & 0xFF];
  return crc;
}

bool IsBanningRepeat(ClientSession& client, std::string_view text) {
  const uint32_t checksum = Crc32Mpeg2(
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  if (checksum != client.last_message_checksum) {
    client.last_message_checksum = checksum;
    client.repeat_count = 0;
    return false;
  }
  return ++client.repeat_count >= kRepeatsBeforeBan;
}

}  // namespace vantrel
