#include "news/server_texts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "logs/log_window.h"
#include "platform/clock.h"
#include "platform/exception.h"
#include "support/fault_injecting_file_system.h"
#include "support/scripted_operator.h"
#include "support/temporary_folder.h"

namespace vantrel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;

std::string Text(const FourCharCode& code) {
  return {code.begin(), code.end()};
}

class ServerTextsTest : public ::testing::Test {
 protected:
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_.Path() / name, std::ios::binary) << bytes;
  }
  void Load(bool reload = false) { texts_.Load(settings_, reload, log_, operator_); }
  void UseLocalBanner(const std::string& file) {
    settings_.option_flags |= kOptionLocalBanner;
    settings_.banner_file = file;
    settings_.banner_link = "http://example.com/";
  }

  TemporaryFolder folder_;
  FakeClock clock_;
  LogWindow log_{clock_};
  ScriptedOperator operator_;
  ServerSettings settings_;
  ServerTexts texts_{FileSystem::Default(), folder_.Path()};
};

TEST_F(ServerTextsTest, AgreementOfTheLimitLoadsOneByteMoreDoesNot) {
  Write("Agreement.txt", std::string(65535, 'a'));
  Load();
  ASSERT_NE(texts_.Agreement(), nullptr);
  EXPECT_EQ(texts_.Agreement()->size(), 65535u);
  EXPECT_THAT(log_.Text(), EndsWith("Loaded file \xD2"
                                    "Agreement.txt\xD3"));
  const std::string log_before = log_.Text();

  Write("Agreement.txt", std::string(65536, 'a'));
  Load();
  EXPECT_EQ(texts_.Agreement(), nullptr);
  EXPECT_THAT(operator_.Shown(),
              ElementsAre("notice:Attention:<Agreement.txt> is larger that 65535 bytes and "
                          "cannot be used as agreement."));
  EXPECT_EQ(log_.Text(), log_before);  // no second "Loaded" line

  std::filesystem::remove(folder_.Path() / "Agreement.txt");
  Load(/*reload=*/true);
  EXPECT_THAT(log_.Text(), EndsWith("Could not find file \xD2"
                                    "Agreement.txt\xD3"));
}

TEST_F(ServerTextsTest, InputOutputErrorAtAnyStepOfLoadingIsRaisedAndLogged) {
  Write("Agreement.txt", "terms");
  FaultInjectingFileSystem disk(FileSystem::Default());
  ServerTexts texts(disk, folder_.Path());
  const uint64_t before = disk.Operations();
  texts.Load(settings_, false, log_, operator_);
  const uint64_t operations = disk.Operations() - before;
  for (uint64_t n = 1; n <= operations; ++n) {
    SCOPED_TRACE("operation " + std::to_string(n));
    disk.FailOperation(n, EIO);
    try {
      texts.Load(settings_, false, log_, operator_);
      ADD_FAILURE() << "no failure raised";
    } catch (const Omberly::CException& failure) {
      EXPECT_EQ(failure.SystemError(), EIO);
      EXPECT_EQ(failure.Description(),
                "Could not load file \xD2"
                "Agreement.txt\xD3");
    }
    EXPECT_EQ(texts.Agreement(), nullptr);
    EXPECT_THAT(log_.Text(), EndsWith("Could not load file \xD2"
                                      "Agreement.txt\xD3"));
  }
}

TEST_F(ServerTextsTest, LocalBannerKeepsItsBytesUpToFourFields) {
  const std::string image("\xFF\xD8\xFF\xE0\r\n\x00\x10JFIF", 12);
  Write("LOGO.JPG", image);
  UseLocalBanner("LOGO.JPG");
  Load();
  ASSERT_TRUE(texts_.BannerKind());
  EXPECT_EQ(Text(*texts_.BannerKind()), "JPEG");
  EXPECT_EQ(texts_.BannerLink(), "http://example.com/");
  // An image keeps its bytes: no line-end conversion.
  EXPECT_EQ(std::string(texts_.BannerData().begin(), texts_.BannerData().end()), image);

  Write("big.gif", std::string(262140, 'g'));
  UseLocalBanner("big.gif");
  Load();
  EXPECT_EQ(texts_.BannerData().size(), 262140u);
  Write("big.gif", std::string(262141, 'g'));
  Load();
  EXPECT_FALSE(texts_.BannerDataLoaded());
  EXPECT_FALSE(texts_.BannerKind());
  EXPECT_THAT(operator_.Shown(),
              ElementsAre("notice:Attention:<big.gif> is larger that 262140 bytes and cannot "
                          "be used as agreement."));
}

TEST_F(ServerTextsTest, RemoteBannerIsItsUrl) {
  Write("logo.gif", "GIF");
  UseLocalBanner("logo.gif");
  Load();
  ASSERT_TRUE(texts_.BannerDataLoaded());

  settings_.option_flags &= ~kOptionLocalBanner;
  settings_.banner_url = "http://example.com/banner.gif";
  Load();
  EXPECT_FALSE(texts_.BannerDataLoaded());
  ASSERT_TRUE(texts_.BannerKind());
  EXPECT_EQ(Text(*texts_.BannerKind()), "URL ");
  EXPECT_EQ(texts_.BannerLink(), "http://example.com/banner.gif");

  settings_.banner_url.clear();
  Load();
  EXPECT_FALSE(texts_.BannerKind());
}

std::string CodeText(const FourCharCode& code) {
  return {code.begin(), code.end()};
}

TEST(BannerKind, FromTheNameEndInAnyCaseElseTheType) {
  const FourCharCode binary = MakeFourCharCode("BINA");
  EXPECT_EQ(CodeText(BannerKindFor("LOGO.JPG", MakeFourCharCode("JPEG"))), "JPEG");
  EXPECT_EQ(CodeText(BannerKindFor("top.Gif", binary)), "GIFf");
  EXPECT_EQ(CodeText(BannerKindFor("art.pct", binary)), "PICT");
  EXPECT_EQ(CodeText(BannerKindFor("a.BMP", binary)), "BMP ");
  EXPECT_EQ(CodeText(BannerKindFor("a.dib", binary)), "BMP ");
  // Without a known name end, the type decides.
  EXPECT_EQ(CodeText(BannerKindFor("photo", MakeFourCharCode("JFIF"))), "JPEG");
  EXPECT_EQ(CodeText(BannerKindFor("wide.png", MakeFourCharCode("PNGf"))), "PNGf");
}

}  // namespace
}  // namespace vantrel::testing
