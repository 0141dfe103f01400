#include "news/article_tree.h"

#include <algorithm>
#include <unordered_set>

#include "news/category_layout.h"

namespace vantrel {
namespace {

using namespace category;

[[noreturn]] void RaiseLoop(const Category& category) {
  category.RaiseDamaged("its articles' links run in a loop.");
}

// Points the link that leads to the article at a place (its previous
// sibling's next, else its parent's first child, else the header's first
// top-level article) at `block`.
void PointPreviousAt(Category& category, const ArticleRecord& record, uint32_t block) {
  if (record.previous != 0) {
    category.WriteWord(record.previous, kNextOffset, block);
  } else if (record.parent != 0) {
    category.WriteWord(record.parent, kFirstChildOffset, block);
  } else {
    category.Header().first_top = block;
  }
}

// Points the link that leads back to the article at a place (its next
// sibling's previous, else for a top-level article the header's last one) at
// `block`.
void PointNextAt(Category& category, const ArticleRecord& record, uint32_t block) {
  if (record.next != 0) {
    category.WriteWord(record.next, kPreviousOffset, block);
  } else if (record.parent == 0) {
    category.Header().last_top = block;
  }
}

}  // namespace

uint32_t LastChild(const Category& category, uint32_t parent) {
  uint32_t last = 0;
  uint32_t child = category.ReadWord(parent, kFirstChildOffset);
  for (uint32_t steps = 0; child != 0; ++steps) {
    if (steps >= category.BlockCount()) RaiseLoop(category);
    last = child;
    child = category.ReadWord(child, kNextOffset);
  }
  return last;
}

void LinkLast(Category& category, uint32_t block, ArticleRecord& record) {
  record.previous =
      record.parent != 0 ? LastChild(category, record.parent) : category.Header().last_top;
  record.next = 0;
  PointPreviousAt(category, record, block);
  PointNextAt(category, record, block);
}

void Unlink(Category& category, const ArticleRecord& record) {
  PointPreviousAt(category, record, record.next);
  PointNextAt(category, record, record.previous);
}

void PromoteFirstChild(Category& category, uint32_t block, const ArticleRecord& record) {
  const uint32_t child = record.first_child;
  const ArticleRecord first = ReadRecord(category, child);
  category.WriteWord(child, kPreviousOffset, record.previous);
  category.WriteWord(child, kNextOffset, record.next);
  category.WriteWord(child, kParentOffset, record.parent);
  PointPreviousAt(category, record, child);
  PointNextAt(category, record, child);
  if (first.next == 0) return;

  // The child's former siblings, in order, become its last children.
  uint32_t sibling = first.next;
  for (uint32_t steps = 0; sibling != 0; ++steps) {
    if (steps >= category.BlockCount() || sibling == block) RaiseLoop(category);
    category.WriteWord(sibling, kParentOffset, child);
    sibling = category.ReadWord(sibling, kNextOffset);
  }
  const uint32_t last = first.first_child != 0 ? LastChild(category, child) : 0;
  if (last != 0) {
    category.WriteWord(last, kNextOffset, first.next);
  } else {
    category.WriteWord(child, kFirstChildOffset, first.next);
  }
  category.WriteWord(first.next, kPreviousOffset, last);
}

std::vector<std::pair<uint32_t, ArticleRecord>> SubtreeChildrenFirst(const Category& category,
                                                                     uint32_t block,
                                                                     const ArticleRecord& record) {
  // Walked article first (each before its descendants, which come before its
  // next sibling), then turned round.
  std::vector<std::pair<uint32_t, ArticleRecord>> articles = {{block, record}};
  std::unordered_set<uint32_t> seen = {block};
  std::vector<uint32_t> to_visit = {record.first_child};
  while (!to_visit.empty()) {
    const uint32_t next = to_visit.back();
    to_visit.pop_back();
    if (next == 0) continue;
    if (seen.size() >= category.BlockCount() || !seen.insert(next).second) RaiseLoop(category);
    ArticleRecord article = ReadRecord(category, next);
    to_visit.push_back(article.next);
    to_visit.push_back(article.first_child);
    articles.emplace_back(next, std::move(article));
  }
  std::reverse(articles.begin(), articles.end());
  return articles;
}

}  // namespace vantrel
