#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace vantrel {

// A four-character type or creator code, its characters in order.
using FourCharCode = std::array<uint8_t, 4>;

// The code of a four-character literal such as "TEXT".
constexpr FourCharCode MakeFourCharCode(const char (&text)[5]) {
  return {static_cast<uint8_t>(text[0]), static_cast<uint8_t>(text[1]),
          static_cast<uint8_t>(text[2]), static_cast<uint8_t>(text[3])};
}

// The type and creator of a file. They are never stored: they follow from the
// file's name.
struct TypeAndCreator {
  FourCharCode type;
  FourCharCode creator;

  friend bool operator==(const TypeAndCreator&, const TypeAndCreator&) = default;
};

inline constexpr FourCharCode kTypeText = MakeFourCharCode("TEXT");
inline constexpr FourCharCode kTypeFolder = MakeFourCharCode("fldr");
// A shortcut whose target cannot be found.
inline constexpr FourCharCode kTypeAlias = MakeFourCharCode("alis");
// An upload that is not complete yet (a name ending in ".vpf").
inline constexpr FourCharCode kTypeIncompleteFile = MakeFourCharCode("VNft");
// The creator of folders and unresolvable shortcuts: four zero bytes.
inline constexpr FourCharCode kNoCreator = {0, 0, 0, 0};

// The type and creator of a plain file named `name` (Mac Roman; a path is
// allowed, only its last component counts). The extension is what follows the
// last "." and is compared in ASCII upper case; an empty extension, one of more
// than three characters or one the table does not know gives "BINA"/"dosa".
// Pure.
TypeAndCreator TypeAndCreatorForName(std::string_view name);

}  // namespace vantrel
