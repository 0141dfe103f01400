#include "category_plan.h"

#include <algorithm>
#include <ctime>
#include <unordered_set>

#include "platform/file_system.h"

namespace vantrel::news_bench {
namespace {

// Most replies a thread gets while the category is built.
constexpr uint32_t kMostReplies = 9;
// The shortest and longest body, in bytes.
constexpr uint32_t kShortestBody = 100;
constexpr uint32_t kLongestBody = 2000;
// Bodies are cut from a text this long (plus a longest body, so that every cut fits).
constexpr uint32_t kTextLength = 4096;
// Replies to a reply rather than to the top-level article: one in this many.
constexpr uint32_t kNestedReplyOdds = 3;
// The first article's date (2026-01-01 00:00 UTC) and the most seconds between two.
constexpr std::time_t kFirstDate = 1767225600;
constexpr uint32_t kMostSecondsApart = 600;

constexpr const char* kWords[] = {"server", "news",   "thread", "reply",  "files", "folder",
                                  "chat",   "client", "banner", "upload", "icon",  "agreement"};
constexpr const char* kPosters[] = {"Ada", "Brook", "Cyril", "Dana", "Elio", "Fenn", "Gale"};

}  // namespace

CategoryPlan::CategoryPlan(uint32_t articles, uint32_t operations, uint64_t seed) : random_(seed) {
  while (text_.size() < kTextLength + kLongestBody) {
    text_ += kWords[Draw(0, std::size(kWords) - 1)];
    text_ += Draw(0, 11) == 0 ? ".\n" : " ";
  }

  // One article in five is top-level; the first is, and the rest fall in random
  // order. A reply goes to a thread drawn among those with room for one more.
  const uint32_t top_levels = std::max(articles / 5, 1u);
  std::vector<bool> top(articles, false);
  top[0] = true;
  for (uint32_t i = 1; i < top_levels; ++i) top[i] = true;
  std::shuffle(top.begin() + 1, top.end(), random_);

  std::vector<std::vector<uint32_t>> members(articles);  // per thread, its replies
  std::vector<uint32_t> open_threads;
  thread_sizes_.assign(articles, 0);
  articles_.reserve(articles);
  for (uint32_t index = 0; index < articles; ++index) {
    if (top[index] || open_threads.empty()) {
      articles_.push_back(Article(index, index, index, true));
      thread_sizes_[index] = 1;
      open_threads.push_back(index);
      continue;
    }
    const uint32_t slot = Draw(0, static_cast<uint32_t>(open_threads.size() - 1));
    const uint32_t thread = open_threads[slot];
    auto& replies = members[thread];
    const uint32_t parent = replies.empty() || Draw(1, kNestedReplyOdds) > 1
                                ? thread
                                : replies[Draw(0, static_cast<uint32_t>(replies.size() - 1))];
    articles_.push_back(Article(index, parent, thread, false));
    replies.push_back(index);
    ++thread_sizes_[thread];
    if (replies.size() == kMostReplies) {
      open_threads[slot] = open_threads.back();
      open_threads.pop_back();
    }
  }

  for (uint32_t i = 0; i < operations; ++i) {
    const uint32_t parent = Draw(0, articles - 1);
    posts_.push_back(Article(articles + i, parent, articles_[parent].thread, false));
    reads_.push_back(Draw(0, articles - 1));
  }
  for (uint32_t index = 0; index < articles; ++index) {
    if (articles_[index].top_level) deletes_.push_back(index);
  }
  std::shuffle(deletes_.begin(), deletes_.end(), random_);
  if (deletes_.size() > operations) deletes_.resize(operations);
}

uint32_t CategoryPlan::Draw(uint32_t low, uint32_t high) {
  return low + static_cast<uint32_t>(random_() % (uint64_t{high} - low + 1));
}

PlannedArticle CategoryPlan::Article(uint32_t number, uint32_t parent, uint32_t thread,
                                     bool top_level) {
  PlannedArticle article;
  article.parent = parent;
  article.thread = thread;
  article.top_level = top_level;
  const std::string topic = "Topic " + std::to_string(thread) + ": " +
                            kWords[thread % std::size(kWords)] + " and " +
                            kWords[(thread / 7) % std::size(kWords)];
  article.title = top_level ? topic : "Re: " + topic;
  article.poster =
      std::string(kPosters[Draw(0, std::size(kPosters) - 1)]) + std::to_string(Draw(1, 500));
  article.identifier =
      std::to_string(number) + "." + std::to_string(random_() % 1'000'000'007) + "@news.vantrel";
  article.date = DateStampOf(kFirstDate + static_cast<std::time_t>(number) * kMostSecondsApart / 2 +
                             Draw(0, kMostSecondsApart));
  article.body_offset = Draw(0, kTextLength - 1);
  article.body_size = Draw(kShortestBody, kLongestBody);
  return article;
}

std::span<const uint8_t> CategoryPlan::Body(const PlannedArticle& article) const {
  return AsBytes(std::string_view(text_).substr(article.body_offset, article.body_size));
}

uint32_t CategoryPlan::ArticlesLeft(size_t posts, size_t deletes) const {
  posts = std::min(posts, posts_.size());
  deletes = std::min(deletes, deletes_.size());
  const std::unordered_set<uint32_t> deleted(deletes_.begin(), deletes_.begin() + deletes);
  auto left = static_cast<uint32_t>(articles_.size() + posts);
  for (const uint32_t thread : deleted) left -= thread_sizes_[thread];
  for (size_t i = 0; i < posts; ++i) {
    if (deleted.contains(posts_[i].thread)) --left;
  }
  return left;
}

}  // namespace vantrel::news_bench
