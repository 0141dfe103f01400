// The path field of 200 (Get file list) and the entries of its reply.
#include "file_list_fields.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace vantrel::listing {
namespace {

using ::testing::ElementsAreArray;

TEST(FileListFields, PathNamesOneFolderAtTheTop) {
  EXPECT_THAT(FolderPathField("Big"), ElementsAreArray<uint8_t>({
                                          0x00, 0x01,          // one level
                                          0x00, 0x00,          // reserved
                                          0x03, 'B', 'i', 'g'  // name length, name
                                      }));
}

std::vector<uint8_t> List(uint16_t count, const std::vector<std::vector<uint8_t>>& fields) {
  std::vector<uint8_t> list = {static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count)};
  for (const auto& field : fields) list.insert(list.end(), field.begin(), field.end());
  return list;
}

TEST(FileListFields, CountsWellFormedEntriesOnly) {
  // Entries of type "TEXT", creator "ttxt" and size 5, named "a" and "bc".
  const std::vector<uint8_t> a = {0x00, 0xC8, 0x00, 0x15, 'T',  'E',  'X',  'T',  't',
                                  't',  'x',  't',  0x00, 0x00, 0x00, 0x05, 0x00, 0x00,
                                  0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 'a'};
  const std::vector<uint8_t> bc = {0x00, 0xC8, 0x00, 0x16, 'T',  'E',  'X',  'T',  't',
                                   't',  'x',  't',  0x00, 0x00, 0x00, 0x05, 0x00, 0x00,
                                   0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 'b',  'c'};
  // Its name length says 2, its size leaves room for 1.
  const std::vector<uint8_t> wrong = {0x00, 0xC8, 0x00, 0x15, 'T',  'E',  'X',  'T',  't',
                                      't',  'x',  't',  0x00, 0x00, 0x00, 0x05, 0x00, 0x00,
                                      0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 'a'};
  const std::vector<uint8_t> other = {0x00, 0x65, 0x00, 0x01, 'x'};  // field 101
  const struct {
    const char* name;
    std::vector<uint8_t> list;
    std::optional<size_t> entries;
  } kCases[] = {
      {"empty folder", List(0, {}), 0},
      {"two entries and another field", List(3, {a, other, bc}), 2},
      {"name length past the entry", List(1, {wrong}), std::nullopt},
      {"count past the fields", List(2, {a}), std::nullopt},
      {"entry cut short", List(1, {std::vector<uint8_t>(a.begin(), a.end() - 1)}), std::nullopt},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CountFileEntries(c.list), c.entries);
  }
}

}  // namespace
}  // namespace vantrel::listing
