#include "platform/file_failure.h"

#include <cerrno>
#include <cstdint>
#include <string_view>
#include <utility>

#include "platform/exception.h"

namespace vantrel {
namespace {

int16_t CodeFor(int system_error) {
  switch (system_error) {
    case ENOENT:
    case ENOTDIR:
      return kErrorCodeFolderNotFound;
    case ENAMETOOLONG:
      return kErrorCodePathTooLong;
    case EISDIR:
    case EEXIST:
    case ENOTEMPTY:
      return kErrorCodeExists;
    case EXDEV:
      return kErrorCodeDifferentDisks;
    case ELOOP:
      return kErrorCodeUnresolvableAlias;
    default:
      return kErrorCodeInUse;
  }
}

// The file name without its folders.
std::string BaseName(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

void RaiseFileFailure(std::string description, int system_error, const char* source,
                      uint32_t line) {
  throw Omberly::CException(kErrorClassFile, CodeFor(system_error), std::move(description),
                            system_error, BaseName(source), line);
}

}  // namespace vantrel
