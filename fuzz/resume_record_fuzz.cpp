// Reads arbitrary resume records. Besides never crashing, a record raises
// exactly when its size, format or version is wrong, with the code for the
// first of them; an offset it finds is that of a "DATA" entry within the
// record; and the record the server builds for those 4 bytes gives them back.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "platform/byte_order.h"
#include "platform/exception.h"
#include "transfer/flattened_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> record(data, size);
  int16_t expected = 0;
  if (size < vantrel::kMinResumeRecordSize) {
    expected = vantrel::kErrorCodeRecordTooShort;
  } else if (std::memcmp(data, "RFLT", 4) != 0) {
    expected = vantrel::kErrorCodeUnknownFormat;
  } else if (vantrel::Get16(data + 4) != 1) {
    expected = vantrel::kErrorCodeUnknownVersion;
  }
  try {
    const uint32_t offset = vantrel::ResumeOffset(record);
    if (expected != 0) std::abort();
    if (offset != 0) {
      bool found = false;
      for (size_t at = 42; at + 8 <= size && !found; at += 16) {
        found = std::memcmp(data + at, "DATA", 4) == 0 && vantrel::Get32(data + at + 4) == offset;
      }
      if (!found) std::abort();
    }
  } catch (const Omberly::CException& failure) {
    if (failure.ErrorClass() != vantrel::kErrorClassFormat || failure.Code() != expected) {
      std::abort();
    }
  }

  if (size >= 4) {
    const uint32_t offset = vantrel::Get32(data);
    if (vantrel::ResumeOffset(vantrel::UploadResumeRecord(offset)) != offset) std::abort();
  }
  return 0;
}
