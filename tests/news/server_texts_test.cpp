#include "news/server_texts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "logs/log_window.h"
#include "platform/clock.h"
#include "platform/exception.h"
#include "support/scripted_operator.h"
#include "support/temporary_folder.h"

namespace vantrel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Where the message starts in a log-window line (after the date and who columns).
constexpr size_t kMessageColumn = 44;

std::string Text(const FourCharCode& code) {
  return {code.begin(), code.end()};
}

class ServerTextsTest : public ::testing::Test {
 protected:
  void Write(const std::filesystem::path& name, const std::string& bytes) {
    std::filesystem::create_directories((folder_.Path() / name).parent_path());
    std::ofstream(folder_.Path() / name, std::ios::binary) << bytes;
  }

  void Load(bool reload = false) { texts_.Load(settings_, reload, log_, operator_); }

  // The messages of the log window's lines, in order.
  std::vector<std::string> Messages() const {
    std::vector<std::string> messages;
    const std::string& text = log_.Text();
    for (size_t start = 0; start < text.size();) {
      size_t end = text.find('\r', start);
      if (end == std::string::npos) end = text.size();
      if (end - start > kMessageColumn)
        messages.push_back(text.substr(start + kMessageColumn, end - start - kMessageColumn));
      start = end + 1;
    }
    return messages;
  }

  void UseLocalBanner(const std::string& file, const std::string& link = "") {
    settings_.option_flags |= kOptionLocalBanner;
    settings_.banner_file = file;
    settings_.banner_link = link;
  }

  TemporaryFolder folder_;
  FakeClock clock_;
  LogWindow log_{clock_};
  ScriptedOperator operator_;
  ServerSettings settings_;
  ServerTexts texts_{folder_.Path()};
};

TEST_F(ServerTextsTest, AgreementOfTheLimitLoadsOneByteMoreDoesNot) {
  Write("Agreement.txt", std::string(65535, 'a'));
  Load();
  ASSERT_NE(texts_.Agreement(), nullptr);
  EXPECT_EQ(texts_.Agreement()->size(), 65535u);
  EXPECT_THAT(Messages(), ElementsAre("Loaded file \xD2"
                                      "Agreement.txt\xD3"));
  EXPECT_THAT(operator_.Shown(), IsEmpty());

  Write("Agreement.txt", std::string(65536, 'a'));
  Load();
  EXPECT_EQ(texts_.Agreement(), nullptr);
  EXPECT_THAT(operator_.Shown(),
              ElementsAre("notice:Attention:<Agreement.txt> is larger that 65535 bytes and "
                          "cannot be used as agreement."));
  EXPECT_EQ(Messages().size(), 1u);  // no second "Loaded" line
}

TEST_F(ServerTextsTest, AgreementIsHeldWithCarriageReturnsInMacRoman) {
  Write("Agreement.txt", "Rules\r\n1. Be kind\r\n");
  Load();
  ASSERT_NE(texts_.Agreement(), nullptr);
  EXPECT_EQ(*texts_.Agreement(), "Rules\r1. Be kind\r");

  Write("Agreement.txt", "Caf\xC3\xA9 rules\n\nend");
  Load();
  ASSERT_NE(texts_.Agreement(), nullptr);
  EXPECT_EQ(*texts_.Agreement(), "Caf\x8E rules\r\rend");
}

TEST_F(ServerTextsTest, MissingAgreementIsLoggedAndAbsent) {
  Write("Agreement.txt", "old");
  Load();
  std::filesystem::remove(folder_.Path() / "Agreement.txt");
  Load(/*reload=*/true);
  EXPECT_EQ(texts_.Agreement(), nullptr);
  EXPECT_THAT(Messages(), ElementsAre("Loaded file \xD2"
                                      "Agreement.txt\xD3",
                                      "Could not find file \xD2"
                                      "Agreement.txt\xD3"));
}

TEST_F(ServerTextsTest, EmptyAgreementFileIsLoadedAndEmpty) {
  Write("Agreement.txt", "");
  Load();
  ASSERT_NE(texts_.Agreement(), nullptr);
  EXPECT_EQ(*texts_.Agreement(), "");
}

TEST_F(ServerTextsTest, UnreadableAgreementIsLoggedAndRaised) {
  std::filesystem::create_directory(folder_.Path() / "Agreement.txt");  // opens, cannot be read
  try {
    Load();
    FAIL() << "no failure raised";
  } catch (const Omberly::CException& failure) {
    EXPECT_EQ(failure.ErrorClass(), kErrorClassFile);
    EXPECT_NE(failure.SystemError(), 0);
  }
  EXPECT_EQ(texts_.Agreement(), nullptr);
  EXPECT_THAT(Messages(), ElementsAre("Could not load file \xD2"
                                      "Agreement.txt\xD3"));
}

TEST_F(ServerTextsTest, LocalBannerTakesItsKindDataAndLink) {
  const std::string image("\xFF\xD8\xFF\xE0\r\n\x00\x10JFIF", 12);
  Write("LOGO.JPG", image);
  UseLocalBanner("LOGO.JPG", "http://example.com/");
  Load();
  ASSERT_TRUE(texts_.BannerKind());
  EXPECT_EQ(Text(*texts_.BannerKind()), "JPEG");
  EXPECT_EQ(texts_.BannerLink(), "http://example.com/");
  ASSERT_TRUE(texts_.BannerDataLoaded());
  // An image keeps its bytes: no line-end conversion.
  EXPECT_EQ(std::string(texts_.BannerData().begin(), texts_.BannerData().end()), image);
}

TEST_F(ServerTextsTest, LocalBannerKindsFollowNameOrType) {
  const std::vector<std::pair<std::string, std::string>> cases = {{"top.gif", "GIFf"},
                                                                  {"art/old.PCT", "PICT"},
                                                                  {"strip.dib", "BMP "},
                                                                  {"wide.png", "PNGf"},
                                                                  {"banner", "BINA"}};
  for (const auto& [file, kind] : cases) {
    Write(file, "x");
    UseLocalBanner(file);
    Load();
    ASSERT_TRUE(texts_.BannerKind()) << file;
    EXPECT_EQ(Text(*texts_.BannerKind()), kind) << file;
  }
}

TEST_F(ServerTextsTest, BannerNameIsMacRomanAndTheHostNameUtf8) {
  Write("Caf\xC3\xA9.gif", "GIF");
  UseLocalBanner("Caf\x8E.gif");
  Load();
  EXPECT_TRUE(texts_.BannerDataLoaded());
  EXPECT_EQ(Messages().back(),
            "Loaded file \xD2"
            "Caf\x8E.gif\xD3");
}

TEST_F(ServerTextsTest, BannerLimitIsFourFields) {
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

TEST_F(ServerTextsTest, MissingOrUnnamedLocalBannerHasNoKind) {
  UseLocalBanner("gone.jpg", "http://example.com/");
  Load();
  EXPECT_FALSE(texts_.BannerKind());
  EXPECT_FALSE(texts_.BannerDataLoaded());
  EXPECT_EQ(Messages().back(), "Could not find file \xD2gone.jpg\xD3");

  UseLocalBanner("");
  const size_t lines = Messages().size();
  Load();
  EXPECT_FALSE(texts_.BannerKind());
  EXPECT_EQ(Messages().size(), lines + 1);  // only the agreement's line
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

}  // namespace
}  // namespace vantrel::testing
