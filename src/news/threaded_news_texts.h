#pragma once

namespace vantrel {

// The answers and log lines of the threaded news, as file_texts.h writes them:
// ASCII but for at most one "“%#s”" (UTF-8 here), which Quote fills in.

inline constexpr const char* kNewsListNoFolderText =
    "Cannot get news list because the specified folder could not be found.";
inline constexpr const char* kArticleListNoCategoryText =
    "Cannot get article list because the specified category could not be found.";
inline constexpr const char* kArticleListInvalidText =
    "Cannot get news list because an invalid category was specified.";

inline constexpr const char* kReadArticlesRefusedText = "You are not allowed to read articles.";
inline constexpr const char* kGetArticleNoCategoryText =
    "Cannot get article data because the specified category could not be found.";

inline constexpr const char* kPostArticlesRefusedText = "You are not allowed to post articles.";
inline constexpr const char* kPostNoCategoryText =
    "Cannot post article because the specified category could not be found.";
inline constexpr const char* kPostInvalidDataText =
    "Cannot post article because invalid data was specified.";
inline constexpr const char* kPostCorruptText =
    "Cannot post article because the specified category was corrupt.";

inline constexpr const char* kDeleteArticlesRefusedText = "You are not allowed to delete articles.";
inline constexpr const char* kDeleteArticleNoCategoryText =
    "Cannot delete article because the specified category could not be found.";

inline constexpr const char* kDeleteNewsItemMissingText =
    "Cannot delete news item because it could not be found.";
inline constexpr const char* kDeleteBundlesRefusedText =
    "You are not allowed to delete news bundles.";
inline constexpr const char* kDeleteCategoriesRefusedText =
    "You are not allowed to delete news categories.";

inline constexpr const char* kCreateBundlesRefusedText =
    "You are not allowed to create news bundles.";
inline constexpr const char* kBundleNoEnclosingText =
    "Cannot create news bundle “%#s” because the enclosing bundle could not be found.";
inline constexpr const char* kBundleExistsText =
    "Cannot create news bundle “%#s” because there is already an item or bundle with that name.";
inline constexpr const char* kBundleFailedText = "Cannot create bundle “%#s”:";

inline constexpr const char* kCreateCategoriesRefusedText =
    "You are not allowed to create news categories.";
inline constexpr const char* kCategoryNoEnclosingText =
    "Cannot create news category “%#s” because the enclosing bundle could not be found.";
inline constexpr const char* kCategoryExistsText =
    "Cannot create news category “%#s” because there is already an item or bundle with that "
    "name.";
inline constexpr const char* kCategoryFailedText = "Cannot create news category “%#s”:";

inline constexpr const char* kCreateBundleLogText = "Create news folder “%#s”";
inline constexpr const char* kCreateCategoryLogText = "Create news category “%#s”";

}  // namespace vantrel
