#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/console_commands.h"
#include "support/server_fixture.h"

namespace vantrel::testing {
namespace {

using ::testing::HasSubstr;

void Write(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(ReloadCommand, ReadsBoardAgreementAndBannerAgain) {
  ServerFixture fixture;
  Write(fixture.Folder() / "MessageBoard.txt", "edited by hand\r");
  Write(fixture.Folder() / "Agreement.txt", "New rules\n");
  std::ostringstream out;
  RunConsoleCommand(fixture.Server(), out, "reload");

  EXPECT_EQ(fixture.Server().News().Board().Text(), "edited by hand\r");
  ASSERT_NE(fixture.Server().News().Texts().Agreement(), nullptr);
  EXPECT_EQ(*fixture.Server().News().Texts().Agreement(), "New rules\r");
  const auto lines = fixture.LogLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "|Loaded MessageBoard.txt");
  EXPECT_EQ(lines.back(),
            "|Reloaded file \xD2"
            "Agreement.txt\xD3");
  EXPECT_EQ(out.str(), "");
}

TEST(ReloadCommand, UnreadableFileIsReportedAndTheRestStays) {
  ServerFixture fixture;
  std::filesystem::create_directory(fixture.Folder() / "Agreement.txt");
  std::ostringstream out;
  RunConsoleCommand(fixture.Server(), out, "reload");
  EXPECT_THAT(out.str(), HasSubstr("Could not load file \xE2\x80\x9C"
                                   "Agreement.txt\xE2\x80\x9D"));
  EXPECT_TRUE(
      fixture.Logged("Could not load file \xD2"
                     "Agreement.txt\xD3"));
  EXPECT_THAT(ReadWholeFile(fixture.Folder() / "Error Log.txt"),
              HasSubstr("Could not load file \xD2"
                        "Agreement.txt\xD3"));
}

}  // namespace
}  // namespace vantrel::testing
