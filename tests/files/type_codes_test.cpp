#include "files/type_codes.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

std::string Text(const FourCharCode& code) {
  return {code.begin(), code.end()};
}

std::string TypeOf(std::string_view name) {
  return Text(TypeAndCreatorForName(name).type);
}
std::string CreatorOf(std::string_view name) {
  return Text(TypeAndCreatorForName(name).creator);
}

TEST(TypeCodes, ExtensionsAreComparedInUpperCase) {
  EXPECT_EQ(TypeOf("report.txt"), "TEXT");
  EXPECT_EQ(CreatorOf("report.txt"), "ttxt");
  EXPECT_EQ(TypeOf("x.Mp3"), "MP3 ");
  EXPECT_EQ(CreatorOf("x.Mp3"), "MAmp");
  EXPECT_EQ(TypeOf("main.c"), "TEXT");
  EXPECT_EQ(CreatorOf("main.c"), "CWIE");
  EXPECT_EQ(TypeOf("LOGO.JPG"), "JPEG");
  EXPECT_EQ(CreatorOf("ARCHIVE.ZIP"), "ZIP ");
}

TEST(TypeCodes, UnknownLongAndMissingExtensionsAreBinary) {
  for (const char* name : {"photo.jpeg", "README", "page.html", "trailing.", "x.qqq"}) {
    EXPECT_EQ(TypeOf(name), "BINA") << name;
    EXPECT_EQ(CreatorOf(name), "dosa") << name;
  }
}

}  // namespace
}  // namespace vantrel
