#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace Omberly {

// A failure raised below the transaction handlers: a class and a code that name
// the kind of failure, optionally the operating system's error number and the
// source location that raised it, and optionally a text that describes it.
// Handlers turn it into an error reply; one that escapes a handler reaches the
// application's error handler and the error log.
class CException : public std::exception {
 public:
  CException(int16_t error_class, int16_t code, std::string text = {}, int32_t system_error = 0,
             std::string source = {}, uint32_t line = 0);

  int16_t ErrorClass() const { return class_; }
  int16_t Code() const { return code_; }
  // The operating system's error number, 0 when there is none.
  int32_t SystemError() const { return system_error_; }
  uint32_t Line() const { return line_; }
  // The text given when raised; empty when the failure is described by its class and code.
  const std::string& Text() const { return text_; }

  // The description for error replies and the error log: the text given when
  // raised, else the entry of the error table for the class and code, else
  // "An unknown error has occured.".
  std::string Description() const;

  // "ID %hi/%hi", "ID %hi/%hi [%li]", "ID %hi/%hi @ %s #%lu" or
  // "ID %hi/%hi [%li] @ %s #%lu", by whether a system error and a source are set.
  std::string IdentificationText() const;

  const char* what() const noexcept override { return what_.c_str(); }

 private:
  int16_t class_;
  int16_t code_;
  int32_t system_error_;
  std::string source_;
  uint32_t line_;
  std::string text_;
  std::string what_;
};

}  // namespace Omberly

namespace vantrel {

// Error classes and codes used by the server.
inline constexpr int16_t kErrorClassMemory = 1;
inline constexpr int16_t kErrorCodeFieldTooLarge = 10;  // a field over 65535 bytes
inline constexpr int16_t kErrorCodeOutOfMemory = 1;

inline constexpr int16_t kErrorClassFile = 4;
inline constexpr int16_t kErrorCodeNotFound = 102;
inline constexpr int16_t kErrorCodeFolderNotFound = 104;
inline constexpr int16_t kErrorCodeExists = 115;
inline constexpr int16_t kErrorCodeInUse = 116;
inline constexpr int16_t kErrorCodeInvalidName = 119;
inline constexpr int16_t kErrorCodeIntoItself = 122;
inline constexpr int16_t kErrorCodeUnresolvableAlias = 128;
inline constexpr int16_t kErrorCodeDifferentDisks = 129;
inline constexpr int16_t kErrorCodePathTooLong = 130;

inline constexpr int16_t kErrorClassNetwork = 5;
// An address text that names no host and port.
inline constexpr int16_t kErrorCodeInvalidAddress = 101;
// A socket that cannot be opened or bound.
inline constexpr int16_t kErrorCodeEndpointUnavailable = 102;

// The description used when the error table has no entry for a class and code.
inline constexpr const char* kUnknownErrorText = "An unknown error has occured.";
inline constexpr const char* kOutOfMemoryText = "Not enough memory.  Try closing windows.";
// The description of a file that ends before the bytes it was to send (it
// became shorter while a download was sending it); class 4, code 116.
inline constexpr const char* kFileShrankText = "The file became shorter while it was being sent.";

}  // namespace vantrel
