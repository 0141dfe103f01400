#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "logs/log_window.h"
#include "platform/clock.h"

namespace vantrel {
namespace {

// FakeClock's calendar time, 2026-01-02 03:04:05, as log date text in the C locale.
constexpr const char* kDateColumn = "01/02/2026 03:04:05   ";

TEST(LogWindow, LinesHaveFixedDateAndWhoColumns) {
  FakeClock clock;
  std::vector<std::string> echoed;
  std::vector<std::string> plain;
  LogWindow window(clock, [&](const LogWindow::EchoedLine& line) {
    echoed.emplace_back(line.text);
    plain.push_back(std::string(line.who) + "|" + std::string(line.message));
  });

  window.Line("Kay", "Login successful");
  window.Line("ABCDEFGHIJKLMNOPQRSTUVWXYZ", "Connection closed");
  window.Line("", "Loaded MessageBoard.txt");

  const std::string first = std::string(kDateColumn) + " Kay                  Login successful";
  const std::string second = std::string(kDateColumn) + " ABCDEFGHIJKLMNOPQRST Connection closed";
  const std::string third =
      std::string(kDateColumn) + "                      Loaded MessageBoard.txt";
  EXPECT_EQ(window.Text(), first + "\r" + second + "\r" + third);
  EXPECT_EQ(echoed, (std::vector<std::string>{first, second, third}));
  EXPECT_EQ(plain, (std::vector<std::string>{"Kay|Login successful",
                                             "ABCDEFGHIJKLMNOPQRSTUVWXYZ|Connection closed",
                                             "|Loaded MessageBoard.txt"}));
}

TEST(LogWindow, LineIsCutTo256BytesWithItsCarriageReturn) {
  FakeClock clock;
  LogWindow window(clock);
  window.Line("a", std::string(300, 'x'));
  EXPECT_EQ(window.Text().size(), 255u);  // the first line has no carriage return
  window.Line("b", std::string(300, 'y'));
  EXPECT_EQ(window.Text().size(), 255u + 256u);
  EXPECT_EQ(window.Text()[255], '\r');
}

// Appends a line of `size` bytes, its leading carriage return included.
void LineOfSize(LogWindow& window, size_t size) {
  constexpr size_t kColumns = 1 + 22 + 1 + 20 + 1;
  window.Line("w", std::string(size - kColumns, 'm'));
}

TEST(LogWindow, TextStartsOverOncePast16384Bytes) {
  FakeClock clock;
  LogWindow window(clock);
  LineOfSize(window, 256);  // 255 bytes: no carriage return in front
  for (int i = 0; i < 62; ++i) LineOfSize(window, 256);
  LineOfSize(window, 145);
  LineOfSize(window, 112);
  ASSERT_EQ(window.Text().size(), 16384u);

  LineOfSize(window, 50);  // at the limit: kept
  ASSERT_EQ(window.Text().size(), 16434u);

  window.Line("Kay", "after");  // past the limit: cleared first, no carriage return
  EXPECT_EQ(window.Text(), std::string(kDateColumn) + " Kay                  after");
}

// A session's who text is checked in the log lines of the server tests.
TEST(LogTexts, StartedWhoTextIsTheAddressAndAPortOtherThan5500) {
  EXPECT_EQ(AddressText(0xC0A80114), "192.168.1.20");
  EXPECT_EQ(StartedWhoText(0, 5500), "0.0.0.0");
  EXPECT_EQ(StartedWhoText(0x0A000001, 6000), "10.0.0.1:6000");
}

}  // namespace
}  // namespace vantrel
