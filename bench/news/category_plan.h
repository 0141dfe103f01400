#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "files/date_stamp.h"

namespace vantrel::news_bench {

// The category's name.
inline constexpr const char* kCategoryName = "Benchmark";
// The one flavor every article carries.
inline constexpr const char* kFlavor = "text/plain";

// An article of the plan: its place in the threads and its texts.
struct PlannedArticle {
  // The index (in CategoryPlan::Articles) of the article it replies to; for a
  // top-level article, its own index.
  uint32_t parent = 0;
  bool top_level = false;
  // The index of the top-level article of its thread.
  uint32_t thread = 0;
  std::string title;
  std::string poster;
  std::string identifier;
  DateStamp date{};
  uint32_t flags = 0;
  // Where its text/plain body is cut from the plan's text, and its length.
  uint32_t body_offset = 0;
  uint32_t body_size = 0;
};

// The category every side of the benchmark builds and the operations measured
// on it, all drawn once from a seed, so that every side does the same work:
// top-level articles (one in five) with their threads of replies (replies to
// the top-level article or to an earlier reply of its thread), each with a
// text/plain body of 100 to 2,000 bytes; then replies to post to random
// articles, random articles to read, and distinct top-level articles to
// delete with their threads. Articles are named by their index in Articles();
// each side maps indices to the IDs its category gave them. Read only once
// made.
class CategoryPlan {
 public:
  // `articles` articles (REQUIRES: at least 5), and `operations` of each of
  // the posts and reads, and of the deletes as far as the top-level articles
  // go.
  CategoryPlan(uint32_t articles, uint32_t operations, uint64_t seed);

  const std::vector<PlannedArticle>& Articles() const { return articles_; }
  // Replies to post: `parent` is an index into Articles().
  const std::vector<PlannedArticle>& Posts() const { return posts_; }
  // Indices into Articles() of the articles to read.
  const std::vector<uint32_t>& Reads() const { return reads_; }
  // Indices into Articles() of the top-level articles to delete, each once.
  const std::vector<uint32_t>& Deletes() const { return deletes_; }

  // The body of `article`: a view into the plan's text.
  std::span<const uint8_t> Body(const PlannedArticle& article) const;

  // The articles a category holds once built, after the first `posts` posts
  // and then the first `deletes` deletes.
  uint32_t ArticlesLeft(size_t posts, size_t deletes) const;

 private:
  // A number from `low` to `high`, both included.
  uint32_t Draw(uint32_t low, uint32_t high);
  // An article with its texts drawn; `number` counts the articles, then the posts.
  PlannedArticle Article(uint32_t number, uint32_t parent, uint32_t thread, bool top_level);

  std::vector<PlannedArticle> articles_;
  std::vector<PlannedArticle> posts_;
  std::vector<uint32_t> reads_;
  std::vector<uint32_t> deletes_;
  // Per top-level article (by index): the articles of its thread once built.
  std::vector<uint32_t> thread_sizes_;
  std::string text_;
  std::mt19937_64 random_;
};

}  // namespace vantrel::news_bench
