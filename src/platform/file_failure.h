#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

// Raises the failure of a file operation on the server's own files (settings,
// logs, accounts) as Omberly::CException of class 4 (kErrorClassFile) with the given
// description, `system_error` (an errno value) as its system error and the
// caller's source file name and line. The code follows the errno: a missing
// folder kErrorCodeFolderNotFound, a name too long kErrorCodePathTooLong, a folder
// in the file's place kErrorCodeExists, another file system kErrorCodeDifferentDisks,
// a loop of links kErrorCodeUnresolvableAlias, anything else (full disk, no
// permission, input/output error) kErrorCodeInUse.
// (The defaults take the caller's location; both compilers the server is built
// with provide these builtins, std::source_location is not yet available to all.)
[[noreturn]] void RaiseFileFailure(std::string description, int system_error,
                                   const char* source = __builtin_FILE(),
                                   uint32_t line = __builtin_LINE());

}  // namespace vantrel
