#include "files/item_names.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

TEST(ItemNames, SanitiserReplacesRefusedBytesWithHyphens) {
  EXPECT_EQ(SanitiseName("admin"), "admin");
  EXPECT_EQ(SanitiseName(".hidden"), "-hidden");
  EXPECT_EQ(SanitiseName("a.b"), "a.b");
  EXPECT_EQ(SanitiseName("a\"b*c/d:e<f>g?h\\i|j"), "a-b-c-d-e-f-g-h-i-j");
  EXPECT_EQ(SanitiseName("tab\there\r\x1F"), "tab-here--");
  EXPECT_EQ(SanitiseName("\x81\x8D\x8E\x8F\x90\x9D\x9E"), "-------");
  // Neighbours of the refused high bytes stay.
  EXPECT_EQ(SanitiseName("\x80\x82\x8C\x91\x9C\x9F\xD2"), "\x80\x82\x8C\x91\x9C\x9F\xD2");
}

TEST(ItemNames, SanitiserTurnsTrailingBlanksAndDotsIntoHyphens) {
  EXPECT_EQ(SanitiseName("name. ."), "name---");
  EXPECT_EQ(SanitiseName("a b"), "a b");
  EXPECT_EQ(SanitiseName(".."), "--");
  EXPECT_EQ(SanitiseName("..."), "---");
  EXPECT_EQ(SanitiseName(""), "");
  EXPECT_EQ(SanitiseName(std::string(300, 'a')), std::string(255, 'a'));
}

TEST(ItemNames, InvalidNamesAreSeparatorsDotDotAndATrailingDot) {
  for (const char* valid : {"a", "a..b", "...x", ".hidden", "x.y"}) {
    EXPECT_TRUE(IsValidItemName(valid)) << valid;
  }
  for (const char* invalid : {"..", "x.", "...", "a\\b", "a/b", "a:b"}) {
    EXPECT_FALSE(IsValidItemName(invalid)) << invalid;
  }
  EXPECT_FALSE(IsValidItemName(std::string("a\0b", 3)));
}

TEST(ItemNames, DropBoxesAndUploadsFoldersByNameInAnyCase) {
  struct Case {
    const char* name;
    bool drop_box;
    bool uploads;
  };
  const Case cases[] = {
      {"Incoming Drop Box", true, true}, {"DROP BOX", true, true},    {"dropbox", false, false},
      {"Uploads", false, true},          {"My UPLOADS", false, true}, {"Files", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MentionsDropBox(c.name), c.drop_box) << c.name;
    EXPECT_EQ(IsUploadsFolderName(c.name), c.uploads) << c.name;
  }
}

TEST(ItemNames, ShortcutSuffixInAnyCase) {
  EXPECT_TRUE(HasShortcutSuffix("a.LNK"));
  EXPECT_TRUE(HasShortcutSuffix(".lnk"));
  EXPECT_FALSE(HasShortcutSuffix("a.lnk.vpf"));
  EXPECT_FALSE(HasShortcutSuffix("lnk"));
}

}  // namespace
}  // namespace vantrel
