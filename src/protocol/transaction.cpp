#include "protocol/transaction.h"

#include <algorithm>

#include "platform/byte_order.h"

namespace vantrel {

Transaction::Bytes Transaction::Encode() const {
  Bytes bytes{};
  bytes[0] = flags;
  bytes[1] = is_reply;
  Put16(&bytes[2], type);
  Put32(&bytes[4], id);
  Put32(&bytes[8], error);
  Put32(&bytes[12], total_size);
  Put32(&bytes[16], data_size);
  return bytes;
}

Transaction Transaction::Decode(std::span<const uint8_t, kTransactionHeaderSize> bytes) {
  Transaction header;
  header.flags = bytes[0];
  header.is_reply = bytes[1];
  header.type = Get16(&bytes[2]);
  header.id = Get32(&bytes[4]);
  header.error = Get32(&bytes[8]);
  header.total_size = Get32(&bytes[12]);
  header.data_size = Get32(&bytes[16]);
  return header;
}

Transaction Transaction::Request(uint16_t type, uint32_t id, uint32_t data_size) {
  Transaction header;
  header.type = type;
  header.id = id;
  header.total_size = data_size;
  header.data_size = data_size;
  return header;
}

Transaction Transaction::Reply(uint32_t request_id, uint32_t error, uint32_t data_size) {
  Transaction header;
  header.is_reply = 1;
  header.id = request_id;
  header.error = error;
  header.total_size = data_size;
  header.data_size = data_size;
  return header;
}

std::vector<uint8_t> RequestBytes(uint16_t type, uint32_t id, std::span<const uint8_t> field_list) {
  const auto header =
      Transaction::Request(type, id, static_cast<uint32_t>(field_list.size())).Encode();
  std::vector<uint8_t> bytes(header.size() + field_list.size());
  std::copy(header.begin(), header.end(), bytes.begin());
  std::copy(field_list.begin(), field_list.end(), bytes.begin() + header.size());
  return bytes;
}

}  // namespace vantrel
