#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>

#include "files/file_tree.h"
#include "server/dispatch_table.h"

namespace vantrel {

// The longest item name (field 201) read.
inline constexpr size_t kMaxItemNameField = 255;
// The longest new name (field 211) read.
inline constexpr size_t kMaxNewNameField = 256;

// The item name of a file request (field 201), viewing the request's fields.
std::string_view RequestItemName(const Request& request);

// What a file request names by its path (field 202) and item name (field 201).
struct RequestedItem {
  std::filesystem::path root;  // the session root
  std::string_view name;       // field 201, viewing the request's fields
  ItemReference item;
};

// Resolves the item of a file request in the client's session root as `flags`
// say (FileTree::Resolve, which may raise).
RequestedItem ResolveRequestedItem(const FileTree& tree, const Request& request, unsigned flags);

// The privilege an operation needs for folders (kinds 3 and 5) and for
// everything else, and the refusals of each.
struct KindPrivilege {
  unsigned folder_bit;
  const char* folder_refusal;
  unsigned file_bit;
  const char* file_refusal;
};

// Whether the client holds the privilege `rule` asks for an item of `kind`;
// when not, answers the request with the refusal.
bool HasKindPrivilege(Request& request, ItemKind kind, const KindPrivilege& rule);

}  // namespace vantrel
