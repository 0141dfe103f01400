// Arbitrary bytes as a received field list: every read must stay in bounds.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/exception.h"
#include "protocol/field_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vantrel::UFieldData fields(std::vector<uint8_t>(data, data + size));
  const size_t count = fields.Count();
  uint8_t out[64];
  for (size_t position = 0; position <= count + 1; ++position) {
    const uint16_t id = fields.FieldIdAt(position);
    fields.ReadIntegerAt(position);
    fields.ReadAt(position, 3, out);
    fields.ReadText(id, 32);
    fields.Find(id);
  }
  try {
    fields.AddInteger(7, 70000);
    fields.ReadInteger(7);
  } catch (const Omberly::CException&) {
    // A list that already holds 65535 fields takes no more.
  }
  return 0;
}
