#include "protocol/field_data.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/exception.h"

namespace vantrel {
namespace {

constexpr size_t kCountSize = 2;
constexpr size_t kFieldHeadSize = 4;  // ID and size
// The largest data one field can carry: its size is a 16-bit number.
constexpr size_t kMaxFieldSize = 65535;
// The count is a 16-bit number.
constexpr size_t kMaxFieldCount = 65535;
constexpr uint8_t kEmptyList[kCountSize] = {0, 0};

}  // namespace

UFieldData::UFieldData(std::vector<uint8_t> buffer, size_t offset) {
  TakeBuffer(std::move(buffer), offset);
}

void UFieldData::Clear() {
  buffer_.clear();
  offset_ = 0;
  Invalidate();
}

void UFieldData::TakeBuffer(std::vector<uint8_t> buffer, size_t offset) {
  buffer_ = std::move(buffer);
  offset_ = std::min(offset, buffer_.size());
  Invalidate();
}

std::span<const uint8_t> UFieldData::Buffer() const {
  if (buffer_.size() - offset_ < kCountSize) return kEmptyList;
  return std::span<const uint8_t>(buffer_).subspan(offset_);
}

void UFieldData::AddField(uint16_t id, std::span<const uint8_t> data) {
  if (data.empty()) return;
  if (data.size() > kMaxFieldSize) {
    throw Omberly::CException(kErrorClassMemory, kErrorCodeFieldTooLarge,
                              "UFieldData::AddField() - maximum field size is 65535 bytes");
  }
  if (buffer_.size() - offset_ < kCountSize) {
    buffer_.assign(kCountSize, 0);
    offset_ = 0;
  }
  const uint16_t count = StoredCount();
  if (count >= kMaxFieldCount) {
    throw Omberly::CException(kErrorClassMemory, kErrorCodeFieldTooLarge,
                              "UFieldData::AddField() - maximum field count is 65535");
  }
  const size_t at = buffer_.size();
  buffer_.resize(at + kFieldHeadSize + data.size());
  Put16(&buffer_[at], id);
  Put16(&buffer_[at + 2], static_cast<uint16_t>(data.size()));
  std::memcpy(&buffer_[at + kFieldHeadSize], data.data(), data.size());
  Put16(&buffer_[offset_], static_cast<uint16_t>(count + 1));
  Invalidate();
}

void UFieldData::AddInteger(uint16_t id, uint32_t value) {
  uint8_t bytes[4];
  if (value <= 0xFFFF) {
    Put16(bytes, static_cast<uint16_t>(value));
    AddField(id, std::span<const uint8_t>(bytes, 2));
  } else {
    Put32(bytes, value);
    AddField(id, bytes);
  }
}

void UFieldData::AddText(uint16_t id, std::string_view text) {
  AddField(id,
           std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

size_t UFieldData::Count() const {
  BuildTables();
  return starts_.size();
}

uint16_t UFieldData::FieldIdAt(size_t position) const {
  if (position == 0 || position > Count()) return 0;
  return Get16(&buffer_[starts_[position - 1]]);
}

std::span<const uint8_t> UFieldData::DataAt(size_t position) const {
  if (position == 0 || position > Count()) return {};
  const size_t start = starts_[position - 1];
  return std::span<const uint8_t>(&buffer_[start + kFieldHeadSize], Get16(&buffer_[start + 2]));
}

size_t UFieldData::ReadAt(size_t position, size_t offset, std::span<uint8_t> destination) const {
  const auto data = DataAt(position);
  if (offset >= data.size()) return 0;
  const size_t n = std::min(destination.size(), data.size() - offset);
  std::memcpy(destination.data(), data.data() + offset, n);
  return n;
}

size_t UFieldData::Find(uint16_t id) const {
  if (id == 0) return 0;
  BuildTables();
  if (id == cached_id_) return cached_position_;
  const auto it =
      std::lower_bound(lookup_.begin(), lookup_.end(), id,
                       [](const auto& entry, uint16_t key) { return entry.first < key; });
  if (it == lookup_.end() || it->first != id) return 0;
  cached_id_ = id;
  cached_position_ = it->second;
  return cached_position_;
}

uint32_t UFieldData::ReadIntegerAt(size_t position) const {
  const auto data = DataAt(position);
  switch (data.size()) {
    case 0:
    case 3:
      return 0;
    case 1:
      return data[0];
    case 2:
      return Get16(data.data());
    default:
      return Get32(data.data());
  }
}

std::string UFieldData::ReadText(uint16_t id, size_t capacity) const {
  const auto data = Data(id);
  const size_t n = capacity == 0 ? 0 : std::min(data.size(), capacity - 1);
  return std::string(reinterpret_cast<const char*>(data.data()), n);
}

void UFieldData::Invalidate() {
  tables_valid_ = false;
  cached_id_ = 0;
  cached_position_ = 0;
}

uint16_t UFieldData::StoredCount() const {
  return Get16(&buffer_[offset_]);
}

void UFieldData::BuildTables() const {
  if (tables_valid_) return;
  tables_valid_ = true;
  starts_.clear();
  lookup_.clear();
  const size_t size = buffer_.size() - offset_;
  if (size < 3) return;
  const size_t count = StoredCount();
  size_t at = offset_ + kCountSize;
  const size_t end = buffer_.size();
  while (starts_.size() < count && end - at >= kFieldHeadSize) {
    const size_t data_size = Get16(&buffer_[at + 2]);
    if (end - at - kFieldHeadSize < data_size) break;
    starts_.push_back(static_cast<uint32_t>(at));
    lookup_.emplace_back(Get16(&buffer_[at]), static_cast<uint16_t>(starts_.size()));
    at += kFieldHeadSize + data_size;
  }
  std::sort(lookup_.begin(), lookup_.end());
}

std::string Scramble(std::string_view text) {
  std::string scrambled(text);
  for (auto& c : scrambled) c = static_cast<char>(~static_cast<uint8_t>(c));
  return scrambled;
}

}  // namespace vantrel
