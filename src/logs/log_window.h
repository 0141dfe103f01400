#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace vantrel {

// The log window: the running text of the server's activity, one line per event,
// in Mac Roman with carriage-return line ends. Each line is also handed to the
// echo (the operator's console). Owned by the application; core thread only.
class LogWindow {
 public:
  // One line as it is written, in Mac Roman (the console converts it with
  // MacRomanToOperatorText): `text` as the window shows it, without its leading
  // carriage return, and the who text and message it was made of.
  struct EchoedLine {
    std::string_view text;
    std::string_view who;
    std::string_view message;
  };
  // Receives each line as it is written.
  using Echo = std::function<void(const EchoedLine& line)>;

  // REQUIRES: `clock` outlives the log window.
  explicit LogWindow(const Clock& clock, Echo echo = {});

  LogWindow(const LogWindow&) = delete;
  LogWindow& operator=(const LogWindow&) = delete;

  // Appends "\r%#-22.22s %#-20.20s %#s": the log date text, the who text and the
  // message (the line cut to 256 bytes; no carriage return in front of the first
  // line). A text already over 16384 bytes is cleared first.
  void Line(std::string_view who, std::string_view message);

  // The text as the window shows it.
  const std::string& Text() const { return text_; }

 private:
  const Clock& clock_;
  Echo echo_;
  std::string text_;
};

// The log date text (log window and activity files): "MM/DD/YYYY " followed by
// the locale's time of day with seconds (strftime "%X"); at most 127 bytes.
std::string LogDateText(const std::tm& when);

// The error date text ("Error Log.txt"): the locale's short date (strftime "%x"),
// a blank, and the time of day with seconds ("%X"); at most 127 bytes.
std::string ErrorDateText(const std::tm& when);

// "%d.%d.%d.%d" of an IPv4 address held as on the wire (most significant byte first).
std::string AddressText(uint32_t address);

// The who text of a line about a session: its display name, or its remote
// address when the display name is empty.
std::string SessionWhoText(std::string_view display_name, uint32_t address);

// The who text of the "Vantrel Server started" line: the listening address,
// followed by ":" and the port when the port is not the default 5500.
std::string StartedWhoText(uint32_t address, uint16_t port);

// `text` between the curly quotes “ and ” (Mac Roman 0xD2 and 0xD3), as in
// "Download “%#s”".
std::string CurlyQuoted(std::string_view text);

}  // namespace vantrel
