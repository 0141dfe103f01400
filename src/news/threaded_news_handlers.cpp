#include "news/threaded_news_handlers.h"

#include <optional>
#include <string>

#include "files/date_stamp.h"
#include "files/file_texts.h"
#include "files/host_names.h"
#include "files/item_names.h"
#include "news/category_file.h"
#include "news/news_database.h"
#include "news/news_list.h"
#include "news/threaded_news_texts.h"
#include "platform/exception.h"
#include "protocol/error_reply.h"
#include "protocol/field_ids.h"
#include "protocol/field_text.h"
#include "protocol/transaction_types.h"
#include "server/client_session.h"

namespace vantrel {
namespace {

// Longest texts read from the requests.
constexpr size_t kMaxNewItemName = 255;
constexpr size_t kMaxReadFlavor = 255;
constexpr size_t kMaxPostFlavor = 31;
constexpr size_t kMaxPostTitle = 31;
constexpr std::string_view kCategorySuffix = ".vnz";

std::span<const uint8_t> NewsPath(const Request& request) {
  return request.fields.Data(kFieldNewsPath);
}

// The item the news path names below "News" (shortcuts followed).
ItemReference ResolveNewsItem(const ThreadedNewsServices& news, const Request& request) {
  return news.tree.Resolve(news.news_root, NewsPath(request), std::nullopt,
                           kFollowShortcuts | kFailQuietly);
}

// The category file the news path names, or nothing.
std::optional<std::filesystem::path> ResolveCategory(const ThreadedNewsServices& news,
                                                     const Request& request) {
  const ItemReference item = ResolveNewsItem(news, request);
  if (item.kind != ItemKind::kFile || !IsCategoryName(WireName(item.host.filename().native()))) {
    return std::nullopt;
  }
  return item.host;
}

NewsDatabase Category(ThreadedNewsServices& news, const std::filesystem::path& path) {
  return NewsDatabase(news.tree.Disk(), path, news.random);
}

// Runs `operation` on a category. A missing article or flavor leaves the
// handler as other failures do; any other failure means the category cannot be
// read: it is answered with `failure_text` and the failure's lines, and
// reported. Returns whether the operation went through.
template <typename Operation>
bool OnCategory(ThreadedNewsServices& news, Request& request, const char* failure_text,
                Operation operation) {
  try {
    operation();
    return true;
  } catch (const Omberly::CException& failure) {
    if (failure.ErrorClass() == kErrorClassFile && failure.Code() == kErrorCodeNotFound) throw;
    SendFailureReply(request.transaction, failure_text, failure);
    news.failures.ReportFailure(failure);
    return false;
  }
}

bool Refused(Request& request, unsigned bit, const char* text) {
  if (request.client.privileges.Test(bit)) return false;
  SendErrorReply(request.transaction, text);
  return true;
}

// 370: the bundles and categories of a bundle, long or short by client version.
void GetNewsList(ThreadedNewsServices& news, Request& request) {
  std::filesystem::path folder = news.news_root;
  if (NewsPath(request).size() >= 6) {
    const ItemReference item = ResolveNewsItem(news, request);
    if (item.kind != ItemKind::kFolder) {
      SendErrorReply(request.transaction, kNewsListNoFolderText);
      return;
    }
    folder = item.host;
  }
  const bool long_form = request.client.client_version >= kLongNewsListVersion;
  const auto entries = NewsListEntries(
      news.tree.Disk(), folder, long_form,
      [&](const std::filesystem::path& path) { return Category(news, path).Summary(); },
      [&](const std::exception& failure) { news.failures.ReportFailure(failure); });
  UFieldData reply;
  for (const auto& entry : entries) {
    reply.AddField(long_form ? kFieldNewsEntry : kFieldNewsEntryShort, entry);
  }
  request.transaction.SendReply(reply);
}

// 371: the category's article list, short form (from its cache when it has one).
void GetArticleList(ThreadedNewsServices& news, Request& request) {
  const auto path = ResolveCategory(news, request);
  if (!path) {
    SendErrorReply(request.transaction, kArticleListNoCategoryText);
    return;
  }
  std::vector<uint8_t> list;
  if (!OnCategory(news, request, kArticleListInvalidText,
                  [&] { list = Category(news, *path).ArticleList(false); })) {
    return;
  }
  UFieldData reply;
  reply.AddField(kFieldArticleList, list);
  request.transaction.SendReply(reply);
}

// 400: one flavor of an article, with its neighbours, title, poster and date.
void GetArticle(ThreadedNewsServices& news, Request& request) {
  if (Refused(request, kPrivilegeReadNews, kReadArticlesRefusedText)) return;
  const auto path = ResolveCategory(news, request);
  if (!path) {
    SendErrorReply(request.transaction, kGetArticleNoCategoryText);
    return;
  }
  const std::string_view flavor = FieldText(request.fields, kFieldDataFlavor, kMaxReadFlavor);
  ArticleInfo info;
  std::vector<uint8_t> data;
  if (!OnCategory(news, request, kGetArticleNoCategoryText, [&] {
        data = Category(news, *path)
                   .GetArticle(request.fields.ReadInteger(kFieldArticleId), flavor, &info);
      })) {
    return;
  }
  UFieldData reply;
  reply.AddField(kFieldArticleData, data);
  reply.AddInteger(kFieldPreviousArticle, info.previous_id);
  reply.AddInteger(kFieldNextArticle, info.next_id);
  reply.AddInteger(kFieldParentArticle, info.parent_id);
  reply.AddInteger(kFieldFirstChildArticle, info.first_child_id);
  reply.AddText(kFieldArticleTitle, info.title);
  reply.AddText(kFieldArticlePoster, info.poster);
  reply.AddText(kFieldDataFlavor, flavor);
  reply.AddField(kFieldArticleDate, info.date);
  request.transaction.SendReply(reply);
}

// 410: a new article (a reply to field 326 when the category holds it) with
// one data flavor, written in one change; posted by the session's display
// name, dated now.
void PostArticle(ThreadedNewsServices& news, Request& request) {
  if (Refused(request, kPrivilegePostNews, kPostArticlesRefusedText)) return;
  const auto path = ResolveCategory(news, request);
  if (!path) {
    SendErrorReply(request.transaction, kPostNoCategoryText);
    return;
  }
  // An article with data gets it in the same change; one without stays empty.
  const std::span<const uint8_t> data = request.fields.Data(kFieldArticleData);
  if (!OnCategory(news, request, kPostCorruptText, [&] {
        Category(news, *path)
            .AddArticle(request.fields.ReadInteger(kFieldArticleId),
                        FieldText(request.fields, kFieldArticleTitle, kMaxPostTitle),
                        request.client.display_name, request.fields.ReadInteger(kFieldArticleFlags),
                        {}, DateStampOf(news.clock.LocalTime()),
                        FieldText(request.fields, kFieldDataFlavor, kMaxPostFlavor), data);
      })) {
    return;
  }
  if (data.empty()) {
    SendErrorReply(request.transaction, kPostInvalidDataText);
    return;
  }
  request.transaction.SendReply(UFieldData());
}

// 411: an article, with its descendants when field 337 says so.
void DeleteArticle(ThreadedNewsServices& news, Request& request) {
  if (Refused(request, kPrivilegeDeleteArticles, kDeleteArticlesRefusedText)) return;
  const auto path = ResolveCategory(news, request);
  if (!path) {
    SendErrorReply(request.transaction, kDeleteArticleNoCategoryText);
    return;
  }
  if (!OnCategory(news, request, kDeleteArticleNoCategoryText, [&] {
        Category(news, *path)
            .DeleteArticle(request.fields.ReadInteger(kFieldArticleId),
                           request.fields.ReadInteger(kFieldDeleteDescendants) != 0);
      })) {
    return;
  }
  request.transaction.SendReply(UFieldData());
}

// 380: a bundle with all it holds, or a category, to the trash.
void DeleteNewsItem(ThreadedNewsServices& news, Request& request) {
  const ItemReference item =
      NewsPath(request).size() >= 6 ? ResolveNewsItem(news, request) : ItemReference{};
  if (!Exists(item.kind) || item.host == news.news_root) {
    SendErrorReply(request.transaction, kDeleteNewsItemMissingText);
    return;
  }
  const bool bundle = item.kind == ItemKind::kFolder;
  if (Refused(request, bundle ? kPrivilegeDeleteBundles : kPrivilegeDeleteCategories,
              bundle ? kDeleteBundlesRefusedText : kDeleteCategoriesRefusedText)) {
    return;
  }
  news.tree.Delete(item.host);
  if (!bundle) news.tree.Delete(JournalPathOf(item.host));  // its changes not yet written in
  request.transaction.SendReply(UFieldData());
}

// What 381 and 382 answer: their refusals and the prefix of a failure.
struct NewItemTexts {
  const char* no_enclosing;
  const char* exists;
  const char* failed;
  const char* log;
};

// Creates the item `name` in the bundle the news path names with `create`, or
// answers why not; logs a success.
template <typename Create>
void CreateNewsItem(ThreadedNewsServices& news, Request& request, std::string_view name,
                    std::string_view quoted, const NewItemTexts& texts, Create create) {
  try {
    const ItemReference item =
        news.tree.Resolve(news.news_root, NewsPath(request), name, kFollowShortcuts | kFailQuietly);
    if (item.kind == ItemKind::kNoFolder) {
      SendErrorReply(request.transaction, Quote(texts.no_enclosing, quoted));
      return;
    }
    if (Exists(item.kind)) {
      SendErrorReply(request.transaction, Quote(texts.exists, quoted));
      return;
    }
    create(item.host);
  } catch (const Omberly::CException& failure) {
    SendFailureReply(request.transaction, Quote(texts.failed, quoted), failure);
    return;
  }
  request.transaction.SendReply(UFieldData());
  news.log.Line(request.client.LogWho(), Quote(texts.log, quoted));
}

// 381: a new bundle (folder).
void NewNewsBundle(ThreadedNewsServices& news, Request& request) {
  if (Refused(request, kPrivilegeCreateBundles, kCreateBundlesRefusedText)) return;
  const std::string_view name = FieldText(request.fields, kFieldFileName, kMaxNewItemName);
  CreateNewsItem(
      news, request, name, name,
      {kBundleNoEnclosingText, kBundleExistsText, kBundleFailedText, kCreateBundleLogText},
      [&](const std::filesystem::path& host) { news.tree.Disk().CreateFolder(host); });
}

// 382: a new, empty category named as asked, with ".vnz" added unless it ends so.
void NewNewsCategory(ThreadedNewsServices& news, Request& request) {
  if (Refused(request, kPrivilegeCreateCategories, kCreateCategoriesRefusedText)) return;
  const std::string_view asked = FieldText(request.fields, kFieldCategoryName, kMaxNewItemName);
  std::string name(asked);
  if (!EndsWithIgnoringCase(name, kCategorySuffix)) {
    name = name.substr(0, kMaxNewItemName - kCategorySuffix.size()) + std::string(kCategorySuffix);
  }
  CreateNewsItem(
      news, request, name, asked,
      {kCategoryNoEnclosingText, kCategoryExistsText, kCategoryFailedText, kCreateCategoryLogText},
      [&](const std::filesystem::path& host) { Category(news, host).Create(name, {}); });
}

}  // namespace

void RegisterThreadedNewsHandlers(DispatchTable& table, ThreadedNewsServices& news) {
  table.Register(kTranGetNewsList, GetNewsList, news);
  table.Register(kTranGetArticleList, GetArticleList, news);
  table.Register(kTranDeleteNewsItem, DeleteNewsItem, news);
  table.Register(kTranNewNewsBundle, NewNewsBundle, news);
  table.Register(kTranNewNewsCategory, NewNewsCategory, news);
  table.Register(kTranGetArticle, GetArticle, news);
  table.Register(kTranPostArticle, PostArticle, news);
  table.Register(kTranDeleteArticle, DeleteArticle, news);
}

}  // namespace vantrel
