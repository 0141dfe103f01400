#include "logs/log_window.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/mac_roman.h"
#include "prefs/server_settings.h"

namespace vantrel {
namespace {

// The window starts over empty once its text has grown past this many bytes.
constexpr size_t kLogWindowTextLimit = 16384;
// The longest line the window takes, its leading carriage return included.
constexpr size_t kLogLineLimit = 256;
// Widths of the date and who columns; longer texts are cut, shorter ones padded.
constexpr size_t kDateColumn = 22;
constexpr size_t kWhoColumn = 20;
// The longest date text.
constexpr size_t kDateTextLimit = 127;

void AppendColumn(std::string& line, std::string_view text, size_t width) {
  text = text.substr(0, width);
  line.append(text);
  line.append(width - text.size(), ' ');
}

// strftime of `format` in the current locale, converted to Mac Roman (the
// locale's texts are taken as UTF-8). Empty when it does not fit.
std::string LocaleText(const char* format, const std::tm& when) {
  char text[kDateTextLimit + 1];
  const size_t length = std::strftime(text, sizeof text, format, &when);
  return Utf8ToMacRoman(std::string_view(text, length));
}

std::string CutTo(std::string text, size_t limit) {
  if (text.size() > limit) text.resize(limit);
  return text;
}

}  // namespace

LogWindow::LogWindow(const Clock& clock, Echo echo) : clock_(clock), echo_(std::move(echo)) {}

void LogWindow::Line(std::string_view who, std::string_view message) {
  if (text_.size() > kLogWindowTextLimit) text_.clear();

  std::string line = "\r";
  AppendColumn(line, LogDateText(clock_.LocalTime()), kDateColumn);
  line += ' ';
  AppendColumn(line, who, kWhoColumn);
  line += ' ';
  line.append(message);
  if (line.size() > kLogLineLimit) line.resize(kLogLineLimit);

  const std::string_view shown = text_.empty() ? std::string_view(line).substr(1) : line;
  text_.append(shown);
  if (echo_) echo_({std::string_view(line).substr(1), who, message});
}

std::string LogDateText(const std::tm& when) {
  char date[16];
  std::snprintf(date, sizeof date, "%02d/%02d/%04d ", std::clamp(when.tm_mon + 1, 0, 99),
                std::clamp(when.tm_mday, 0, 99), std::clamp(when.tm_year + 1900, 0, 9999));
  return CutTo(date + LocaleText("%X", when), kDateTextLimit);
}

std::string ErrorDateText(const std::tm& when) {
  return CutTo(LocaleText("%x", when) + " " + LocaleText("%X", when), kDateTextLimit);
}

std::string AddressText(uint32_t address) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", (address >> 24) & 0xFF, (address >> 16) & 0xFF,
                (address >> 8) & 0xFF, address & 0xFF);
  return text;
}

std::string SessionWhoText(std::string_view display_name, uint32_t address) {
  return display_name.empty() ? AddressText(address) : std::string(display_name);
}

std::string StartedWhoText(uint32_t address, uint16_t port) {
  std::string who = AddressText(address);
  if (port != kDefaultServerPort) who += ":" + std::to_string(port);
  return who;
}

std::string CurlyQuoted(std::string_view text) {
  return "\xD2" + std::string(text) + "\xD3";
}

}  // namespace vantrel
