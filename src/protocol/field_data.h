#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel {

// A transaction's field list. The buffer *is* the wire form: a 16-bit count, then
// per field a 16-bit ID, a 16-bit size (1..65535) and the data, big-endian, in the
// order added. Reading builds, on the first read after a change, an offset table
// and an ID-sorted lookup table with a one-entry cache; any change drops them.
//
// A truncated or inconsistent list is never an error: the fields that fit are
// used, the rest is ignored, and a missing field reads as 0 or as an empty text.
// Positions are numbered from 1. When several fields share an ID, lookups by ID
// give one of them without a promise which; such lists are read by position.
// Owns its buffer; not thread-safe (core thread only).
class UFieldData {
 public:
  UFieldData() = default;
  // Takes over `buffer`; the list starts at `offset` in it.
  explicit UFieldData(std::vector<uint8_t> buffer, size_t offset = 0);

  UFieldData(UFieldData&&) noexcept = default;
  UFieldData& operator=(UFieldData&&) noexcept = default;
  UFieldData(const UFieldData&) = default;
  UFieldData& operator=(const UFieldData&) = default;

  // Frees the buffer and tables; the list is empty again.
  void Clear();
  // Frees the old buffer and tables and takes ownership of `buffer` (the list
  // starting at `offset`).
  void TakeBuffer(std::vector<uint8_t> buffer, size_t offset = 0);

  // The encoded list as sent on the wire; an empty list is the two bytes 00 00.
  std::span<const uint8_t> Buffer() const;

  // Appends one field. A size of 0 adds nothing. Raises Omberly::CException
  // (class 1, code 10, "UFieldData::AddField() - maximum field size is 65535
  // bytes") for more than 65535 bytes, leaving the list unchanged.
  // REQUIRES: id != 0.
  void AddField(uint16_t id, std::span<const uint8_t> data);
  // Values up to 65535 as 2 bytes, larger ones as 4.
  void AddInteger(uint16_t id, uint32_t value);
  // The text's bytes without length or terminator; an empty text adds nothing.
  void AddText(uint16_t id, std::string_view text);

  // The number of fields found in the buffer (at most the stored count).
  size_t Count() const;
  // The ID of the field at `position`; 0 for position 0 or beyond the count.
  uint16_t FieldIdAt(size_t position) const;
  // The data of the field at `position`; empty when the position is invalid.
  std::span<const uint8_t> DataAt(size_t position) const;
  // Copies min(capacity, size - offset) bytes of the field at `position` from
  // `offset` on; 0 when the offset is not below the size or the position is invalid.
  size_t ReadAt(size_t position, size_t offset, std::span<uint8_t> destination) const;

  // The position of a field with this ID, 0 when absent (ID 0 is never found).
  size_t Find(uint16_t id) const;
  // The data of the field with this ID; empty when absent.
  std::span<const uint8_t> Data(uint16_t id) const { return DataAt(Find(id)); }
  size_t Read(uint16_t id, size_t offset, std::span<uint8_t> destination) const {
    return ReadAt(Find(id), offset, destination);
  }

  // A 1-byte field gives its byte, 2 and 4 bytes their value, longer fields the
  // value of their first 4 bytes, 3 bytes and missing fields 0.
  uint32_t ReadInteger(uint16_t id) const { return ReadIntegerAt(Find(id)); }
  uint32_t ReadIntegerAt(size_t position) const;

  // The text of the field, as read into a buffer of `capacity` bytes: at most
  // capacity - 1 bytes; longer texts are cut. Empty when absent.
  std::string ReadText(uint16_t id, size_t capacity) const;

 private:
  void Invalidate();
  void BuildTables() const;
  uint16_t StoredCount() const;

  std::vector<uint8_t> buffer_;
  size_t offset_ = 0;

  // Built on the first read after a change.
  mutable bool tables_valid_ = false;
  mutable std::vector<uint32_t> starts_;  // per position-1: where the field's head begins
  mutable std::vector<std::pair<uint16_t, uint16_t>> lookup_;  // (ID, position) sorted by ID
  mutable uint16_t cached_id_ = 0;
  mutable size_t cached_position_ = 0;
};

// Complements every byte (b XOR 0xFF): how logins and passwords travel.
std::string Scramble(std::string_view text);

}  // namespace vantrel
