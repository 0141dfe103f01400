#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

namespace vantrel {

// Deleting to the recycle bin the way freedesktop.org desktops keep their trash:
// an item on the same file system as the home trash ($XDG_DATA_HOME/Trash,
// or $HOME/.local/share/Trash when XDG_DATA_HOME is unset, empty or relative)
// goes there; an item on another file system goes to ".Trash-<uid>" at the top
// of its own file system. Each trash holds the item under "files/" and a
// "<name>.trashinfo" under "info/" naming the original path (percent-encoded;
// absolute in the home trash, relative to the file system's top in the other)
// and the deletion date. A name already used in a trash gets ".2", ".3", …
// appended. Missing trash folders are created (mode 0700). Core thread only.

// Moves `item` (a file, a folder with everything in it, or a symbolic link
// itself, never its target) to the trash, dated now. Raises Omberly::CException
// of class 4 with the errno (file_failure.h) when the item is missing or cannot
// be moved; the item then stays where it was and no ".trashinfo" is left.
void MoveToTrash(const std::filesystem::path& item);
// The same with the deletion date given (local calendar time).
void MoveToTrash(const std::filesystem::path& item, const std::tm& deletion_time);

// The home trash folder the environment names, whether or not it exists yet.
// Raises Omberly::CException of class 4 when neither XDG_DATA_HOME nor HOME
// give one.
std::filesystem::path HomeTrashFolder();

// `path` with every byte except letters, digits, "/" and the marks
// - _ . ! ~ * ' ( ) written as "%XX" (upper-case hexadecimal), as the "Path="
// line of a ".trashinfo" holds it.
std::string PercentEncodeTrashPath(std::string_view path);

// The whole text of a ".trashinfo" file.
std::string TrashInfoText(std::string_view original_path, const std::tm& deletion_time);

}  // namespace vantrel
