#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel {

// The rules for the names of items in the shared tree, as clients send them
// (Mac Roman). Pure functions.

// The longest item name kept: a length-prefixed string holds no more.
inline constexpr size_t kMaxItemNameLength = 255;

// The name cleaner for new items (uploads, new folders, new names) and new
// logins: cut to kMaxItemNameLength bytes; a leading "." becomes "-"; every byte
// below 0x20, each of " * / : < > ? \ |, and the bytes 0x81, 0x8D to 0x90, 0x9D
// and 0x9E become "-"; then every trailing blank or "." becomes "-" up to the
// last other byte.
std::string SanitiseName(std::string_view name);

// Whether `name` is one an item may be asked for by: it holds no "\", "/", ":"
// or zero byte, is not exactly "..", and does not end with ".".
bool IsValidItemName(std::string_view name);

// Whether `name` holds two dots in a row: such a path level names nothing.
bool HasDoubleDot(std::string_view name);

// Whether `name` ends in ".lnk", the letters in any case: the name of a shortcut.
bool HasShortcutSuffix(std::string_view name);

// Whether `name` ends in `suffix`, ASCII letters compared in any case.
bool EndsWithIgnoringCase(std::string_view name, std::string_view suffix);

// Whether `text` holds "drop box", ASCII letters compared in any case: a folder
// so named is a drop box.
bool MentionsDropBox(std::string_view text);

// Whether a folder named `name` takes uploads from users who may upload only
// there: its name holds "upload" or "drop box", ASCII letters in any case.
bool IsUploadsFolderName(std::string_view name);

}  // namespace vantrel
