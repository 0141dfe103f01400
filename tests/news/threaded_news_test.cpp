#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "protocol/access_privileges.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "support/scoped_environment.h"
#include "support/server_fixture.h"
#include "support/shared_tree.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

std::string Text(std::span<const uint8_t> bytes) {
  return {bytes.begin(), bytes.end()};
}

class ThreadedNews : public ::testing::Test {
 protected:
  fs::path News() const { return fixture_.Folder() / "News"; }

  std::unique_ptr<TestClient> User(std::initializer_list<unsigned> bits, uint32_t version = 15) {
    auto client = fixture_.ConnectAs("Poster", bits);
    fixture_.Session(fixture_.Server().Core().Clients().Size() - 1).client_version = version;
    return client;
  }

  static UFieldData At(std::initializer_list<std::string> path) {
    UFieldData fields;
    if (path.size() != 0) fields.AddField(kFieldNewsPath, PathField(path));
    return fields;
  }

  static std::string ErrorText(const std::optional<Received>& reply) {
    return Text(reply->fields.Data(kFieldErrorText));
  }

  // Creates the category `name` at the top and returns its file name.
  void NewCategory(TestClient& client, const std::string& name) {
    UFieldData fields = At({});
    fields.AddText(kFieldCategoryName, name);
    ASSERT_EQ(client.Call(kTranNewNewsCategory, fields)->header.error, 0u);
  }

  // Posts `text` as a reply to `parent` in category `file`.
  std::optional<Received> Post(TestClient& client, const std::string& file, uint32_t parent,
                               const std::string& text) {
    UFieldData fields = At({file});
    fields.AddInteger(kFieldArticleId, parent);
    fields.AddText(kFieldArticleTitle, "Hello");
    fields.AddText(kFieldDataFlavor, "text/plain");
    fields.AddText(kFieldArticleData, text);
    return client.Call(kTranPostArticle, fields);
  }

  ServerFixture fixture_;
  ScopedEnvironment data_home_{"XDG_DATA_HOME", (fixture_.Folder() / "trash-home").string()};
};

TEST_F(ThreadedNews, ListsBundlesAndCategoriesLongFromVersion15) {
  fs::create_directories(News() / "Sub" / "Inner");
  auto admin = User({kPrivilegeCreateCategories});
  NewCategory(*admin, "Tech");
  auto old = User({}, 14);
  const auto short_list = old->Call(kTranGetNewsList);
  std::vector<std::string> short_entries;
  for (size_t i = 1; i <= short_list->fields.Count(); ++i) {
    short_entries.push_back(Text(short_list->fields.DataAt(i)));
  }
  std::sort(short_entries.begin(), short_entries.end());
  EXPECT_THAT(short_entries, ElementsAre("\x01Sub", "\x0ATech.vnz"));

  const auto long_list = admin->Call(kTranGetNewsList);
  ASSERT_EQ(long_list->fields.Count(), 2u);
  for (size_t i = 1; i <= 2; ++i) {
    const std::string entry = Text(long_list->fields.DataAt(i));
    if (entry[1] == 2) {
      EXPECT_EQ(entry, std::string("\0\x02\0\x01\x03Sub\0", 9));
    } else {
      // Type 3, no articles, a GUID, both serials 1, the name, 3 zero bytes.
      ASSERT_EQ(entry.size(), 8u + 32u);
      EXPECT_EQ(entry.substr(0, 4), std::string("\0\x03\0\0", 4));
      EXPECT_EQ(entry.substr(20), std::string("\0\0\0\1\0\0\0\1\x08Tech.vnz\0\0\0", 20));
    }
  }
}

TEST_F(ThreadedNews, CategoryNamesGetVnzUnlessTheyEndSo) {
  auto admin = User({kPrivilegeCreateCategories});
  NewCategory(*admin, "Tech");
  NewCategory(*admin, "Old.VNZ");
  EXPECT_TRUE(fs::exists(News() / "Tech.vnz"));
  EXPECT_TRUE(fs::exists(News() / "Old.VNZ"));
  UFieldData again = At({});
  again.AddText(kFieldCategoryName, "Tech");
  EXPECT_EQ(ErrorText(admin->Call(kTranNewNewsCategory, again)),
            "Cannot create news category \xD2Tech\xD3 because there is already an item or bundle "
            "with that name.");
  EXPECT_TRUE(fixture_.Logged("Create news category \xD2Tech\xD3"));
}

TEST_F(ThreadedNews, PostReadAndDelete) {
  auto admin = User({kPrivilegeCreateCategories, kPrivilegePostNews, kPrivilegeReadNews,
                     kPrivilegeDeleteArticles});
  NewCategory(*admin, "Talk");
  ASSERT_EQ(Post(*admin, "Talk.vnz", 0, "first")->header.error, 0u);
  // A reply to an article the category does not hold is a top-level article.
  ASSERT_EQ(Post(*admin, "Talk.vnz", 999, "second")->header.error, 0u);
  UFieldData read = At({"Talk.vnz"});
  read.AddInteger(kFieldArticleId, 2);
  read.AddText(kFieldDataFlavor, "text/plain");
  const auto article = admin->Call(kTranGetArticle, read);
  ASSERT_TRUE(article);
  EXPECT_EQ(Text(article->fields.Data(kFieldArticleData)), "second");
  EXPECT_EQ(article->fields.ReadInteger(kFieldParentArticle), 0u);
  EXPECT_EQ(article->fields.ReadInteger(kFieldPreviousArticle), 1u);
  EXPECT_EQ(Text(article->fields.Data(kFieldArticlePoster)), "Poster");
  EXPECT_EQ(article->fields.Data(kFieldArticleDate).size(), 8u);

  // Empty data is refused, yet the article stays, without content.
  EXPECT_EQ(ErrorText(Post(*admin, "Talk.vnz", 0, "")),
            "Cannot post article because invalid data was specified.");
  const auto list = admin->Call(kTranGetArticleList, At({"Talk.vnz"}));
  EXPECT_EQ(Text(list->fields.Data(kFieldArticleList).subspan(4, 4)), std::string("\0\0\0\3", 4));

  UFieldData remove = At({"Talk.vnz"});
  remove.AddInteger(kFieldArticleId, 1);
  EXPECT_EQ(admin->Call(kTranDeleteArticle, remove)->header.error, 0u);
  const auto after = admin->Call(kTranGetArticleList, At({"Talk.vnz"}));
  EXPECT_EQ(Text(after->fields.Data(kFieldArticleList).subspan(4, 4)), std::string("\0\0\0\2", 4));
}

TEST_F(ThreadedNews, RefusalsAndMissingItems) {
  auto plain = User({});
  UFieldData bundle = At({});
  bundle.AddText(kFieldFileName, "Sub");
  EXPECT_EQ(ErrorText(plain->Call(kTranNewNewsBundle, bundle)),
            "You are not allowed to create news bundles.");
  EXPECT_EQ(ErrorText(plain->Call(kTranGetArticle, At({"x.vnz"}))),
            "You are not allowed to read articles.");
  EXPECT_EQ(ErrorText(plain->Call(kTranDeleteNewsItem, At({}))),
            "Cannot delete news item because it could not be found.");
  EXPECT_EQ(ErrorText(plain->Call(kTranGetArticleList, At({"none.vnz"}))),
            "Cannot get article list because the specified category could not be found.");
  auto maker = User({kPrivilegeCreateBundles, kPrivilegeDeleteBundles});
  EXPECT_EQ(maker->Call(kTranNewNewsBundle, bundle)->header.error, 0u);
  EXPECT_TRUE(fixture_.Logged("Create news folder \xD2Sub\xD3"));
  EXPECT_EQ(ErrorText(plain->Call(kTranDeleteNewsItem, At({"Sub"}))),
            "You are not allowed to delete news bundles.");
  EXPECT_EQ(maker->Call(kTranDeleteNewsItem, At({"Sub"}))->header.error, 0u);
  EXPECT_FALSE(fs::exists(News() / "Sub"));
}

}  // namespace
}  // namespace vantrel::testing
