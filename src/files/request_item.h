#pragma once

#include <string_view>

#include "protocol/field_ids.h"
#include "protocol/field_text.h"
#include "server/dispatch_table.h"

namespace vantrel {

// The longest item name (field 201) read.
inline constexpr size_t kMaxItemNameField = 255;
// The longest new name (field 211) read.
inline constexpr size_t kMaxNewNameField = 256;

// The item name of a file request (field 201), viewing the request's fields.
inline std::string_view RequestItemName(const Request& request) {
  return FieldText(request.fields, kFieldFileName, kMaxItemNameField);
}

}  // namespace vantrel
