#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vantrel {

// The 20-byte header in front of every transaction's field data.
inline constexpr size_t kTransactionHeaderSize = 20;

// The largest total or chunk size a receiver accepts. The server sets it at start.
inline constexpr uint32_t kDefaultMaxTransactionSize = 2'097'152;
inline constexpr uint32_t kServerMaxTransactionSize = 524'288;

// One transaction header, in host order.
struct Transaction {
  uint8_t flags = 0;     // always 0 when sent, ignored on receipt
  uint8_t is_reply = 0;  // any non-zero value on receipt means a reply
  uint16_t type = 0;     // 0 in replies
  uint32_t id = 0;       // a reply repeats its request's ID
  uint32_t error = 0;    // 0 = success, 1 = error reply
  uint32_t total_size = 0;
  uint32_t data_size = 0;

  using Bytes = std::array<uint8_t, kTransactionHeaderSize>;

  Bytes Encode() const;
  static Transaction Decode(std::span<const uint8_t, kTransactionHeaderSize> bytes);

  // A header for `data_size` bytes of field data sent as one chunk.
  static Transaction Request(uint16_t type, uint32_t id, uint32_t data_size);
  static Transaction Reply(uint32_t request_id, uint32_t error, uint32_t data_size);
};

// A request of `type` with ID `id` carrying `field_list` (an encoded field
// list), as a client sends it: its header and the field list in one piece.
std::vector<uint8_t> RequestBytes(uint16_t type, uint32_t id, std::span<const uint8_t> field_list);

}  // namespace vantrel
