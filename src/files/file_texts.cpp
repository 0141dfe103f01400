#include "files/file_texts.h"

namespace vantrel {

std::string Quote(std::string_view text, std::string_view name) {
  constexpr std::string_view kPlace = "“%#s”";
  const size_t at = text.find(kPlace);
  std::string quoted(text.substr(0, at));
  quoted += '\xD2';
  quoted += name;
  quoted += '\xD3';
  quoted += text.substr(at + kPlace.size());
  return quoted;
}

}  // namespace vantrel
