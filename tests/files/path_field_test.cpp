#include "files/path_field.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace vantrel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(PathField, FieldsShorterThanSixBytesNameTheRoot) {
  const std::vector<uint8_t> field = {0, 1, 0, 0, 1, 'x'};
  for (size_t size = 0; size < 6; ++size) {
    EXPECT_THAT(PathLevels(std::span(field).first(size)), IsEmpty()) << size;
  }
  EXPECT_THAT(PathLevels(field), ElementsAre("x"));
}

TEST(PathField, ReadingStopsEarlyKeepingTheLevelsRead) {
  struct Case {
    std::vector<uint8_t> field;
    std::vector<std::string> levels;
  };
  const Case cases[] = {
      // A count of 3 with 2 complete levels.
      {{0, 3, 0, 0, 1, 'a', 9, 9, 2, 'b', 'c'}, {"a", "bc"}},
      // A zero length stops.
      {{0, 2, 0, 0, 1, 'a', 0, 0, 0, 0, 0, 0}, {"a"}},
      // A name that runs past the end stops.
      {{0, 2, 0, 0, 1, 'a', 0, 0, 5, 'b'}, {"a"}},
      // Fewer than 3 bytes for a level's head stop.
      {{0, 2, 0, 0, 2, 'a', 'b', 0, 0}, {"ab"}},
  };
  for (const Case& c : cases) EXPECT_EQ(PathLevels(c.field), c.levels);
}

TEST(PathField, OnlyTheFirst2048BytesAreRead) {
  std::vector<uint8_t> field = {0, 9};
  for (int level = 0; level < 9; ++level) {
    field.insert(field.end(), {0, 0, 255});
    field.insert(field.end(), 255, static_cast<uint8_t>('a' + level));
  }
  // 2 + 8 x 258 = 2066 bytes: the eighth level ends past byte 2048.
  EXPECT_EQ(PathLevels(field).size(), 7u);
}

}  // namespace
}  // namespace vantrel
