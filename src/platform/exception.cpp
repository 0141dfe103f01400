#include "platform/exception.h"

#include <cstdio>
#include <utility>

namespace Omberly {
namespace {

struct ErrorDescription {
  int16_t error_class;
  int16_t code;
  const char* text;
};

// The table of error descriptions shown in error replies and the error log.
constexpr ErrorDescription kErrorTable[] = {
    {vantrel::kErrorClassMemory, 2, "The data is too short."},
    {vantrel::kErrorClassMemory, 7, "The data has a version that is not supported."},
    {vantrel::kErrorClassMemory, 8, "The data has a format that is not supported."},
    {vantrel::kErrorClassFile, vantrel::kErrorCodeNotFound,
     "The specified file or folder could not be found."},
    {vantrel::kErrorClassFile, vantrel::kErrorCodeFolderNotFound,
     "The specified folder could not be found."},
    {vantrel::kErrorClassFile, vantrel::kErrorCodeExists,
     "A file or folder with that name already exists."},
    {vantrel::kErrorClassFile, vantrel::kErrorCodeInUse, "The file or folder is in use."},
    {vantrel::kErrorClassFile, vantrel::kErrorCodeInvalidName, "The name is not valid."},
    {vantrel::kErrorClassFile, vantrel::kErrorCodeIntoItself,
     "A folder cannot be moved into itself."},
    {vantrel::kErrorClassFile, vantrel::kErrorCodeUnresolvableAlias,
     "The alias could not be resolved."},
    {vantrel::kErrorClassFile, vantrel::kErrorCodeDifferentDisks,
     "The items are on different disks."},
    {vantrel::kErrorClassFile, vantrel::kErrorCodePathTooLong, "The path is too long."},
    {vantrel::kErrorClassNetwork, vantrel::kErrorCodeInvalidAddress,
     "The network address is not valid."},
    {vantrel::kErrorClassNetwork, vantrel::kErrorCodeEndpointUnavailable,
     "The network endpoint could not be opened."},
};

}  // namespace

CException::CException(int16_t error_class, int16_t code, std::string text, int32_t system_error,
                       std::string source, uint32_t line)
    : class_(error_class),
      code_(code),
      system_error_(system_error),
      source_(std::move(source)),
      line_(line),
      text_(std::move(text)),
      what_(Description() + " (" + IdentificationText() + ")") {}

std::string CException::Description() const {
  if (!text_.empty()) return text_;
  if (class_ == vantrel::kErrorClassMemory && code_ == vantrel::kErrorCodeOutOfMemory) {
    return vantrel::kOutOfMemoryText;
  }
  for (const auto& entry : kErrorTable) {
    if (entry.error_class == class_ && entry.code == code_) return entry.text;
  }
  return vantrel::kUnknownErrorText;
}

std::string CException::IdentificationText() const {
  char text[128];
  if (system_error_ == 0 && source_.empty()) {
    std::snprintf(text, sizeof text, "ID %hi/%hi", class_, code_);
  } else if (source_.empty()) {
    std::snprintf(text, sizeof text, "ID %hi/%hi [%li]", class_, code_,
                  static_cast<long>(system_error_));
  } else if (system_error_ == 0) {
    std::snprintf(text, sizeof text, "ID %hi/%hi @ %s #%lu", class_, code_, source_.c_str(),
                  static_cast<unsigned long>(line_));
  } else {
    std::snprintf(text, sizeof text, "ID %hi/%hi [%li] @ %s #%lu", class_, code_,
                  static_cast<long>(system_error_), source_.c_str(),
                  static_cast<unsigned long>(line_));
  }
  return text;
}

}  // namespace Omberly
