#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "platform/exception.h"

namespace vantrel::testing {

using ByteString = std::vector<uint8_t>;

inline ByteString Join(std::initializer_list<ByteString> parts) {
  ByteString all;
  for (const ByteString& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

inline ByteString Zeros(size_t count) {
  return ByteString(count, 0x00);
}

// The class and code of the Omberly::CException `call` raised; {0, 0} when it
// raised nothing.
inline std::pair<int16_t, int16_t> Raised(const std::function<void()>& call) {
  try {
    call();
  } catch (const Omberly::CException& failure) {
    return {failure.ErrorClass(), failure.Code()};
  }
  return {0, 0};
}

// ByteString 0, 1, 2 … 250, 0, 1 …: a file whose every offset is told apart from
// its near neighbours.
inline std::string Counting(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 251);
  return bytes;
}

}  // namespace vantrel::testing
