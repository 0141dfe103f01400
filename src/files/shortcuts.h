#pragma once

#include <filesystem>
#include <optional>

#include "platform/file_system.h"

namespace vantrel {

// Shortcuts in the shared tree are symbolic links whose names end in ".lnk" (in
// any case); a symbolic link without that ending is followed as the system
// follows it. Core thread only.

// The longest chain of shortcuts followed; a longer chain (or a loop) is unresolvable.
inline constexpr int kMaxShortcutChain = 8;

// The target of the shortcut at `link`: its link's target (relative to the
// link's folder unless absolute), followed again while that is itself a
// shortcut, at most kMaxShortcutChain links deep. Nothing when the chain ends
// nowhere, is too long, or `link` is a plain file (a shortcut the server cannot
// read); a folder at `link` is its own target. Raises only for failures other
// than a missing entry.
std::optional<std::filesystem::path> ShortcutTarget(FileSystem& file_system,
                                                    const std::filesystem::path& link);

}  // namespace vantrel
