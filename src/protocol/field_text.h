#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "protocol/field_data.h"

namespace vantrel {

// At most the first `limit` bytes of field `id` as text (empty when absent),
// viewing the field list's buffer: valid until `fields` changes or goes away.
inline std::string_view FieldText(const UFieldData& fields, uint16_t id, size_t limit) {
  const auto data = fields.Data(id);
  return {reinterpret_cast<const char*>(data.data()), std::min(data.size(), limit)};
}

}  // namespace vantrel
