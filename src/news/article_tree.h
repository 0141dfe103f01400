#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "news/article_chunks.h"
#include "news/category.h"

namespace vantrel {

// The threading of a category's articles: siblings doubly linked in the order
// they were added, each child list hanging from its parent's first child, the
// top-level list from the header's first and last top-level articles. Walks
// stop at the file's block count, so that links that loop raise as damaged
// rather than run on. Changes go through the category's pending writes and
// header; core thread only.

// The last child of the article at `parent`; 0 when it has none. Linear in
// its children: the file keeps no last child.
uint32_t LastChild(const Category& category, uint32_t parent);

// Links the new article `record` at `block` in as the last child of its parent
// (record.parent; 0: last top-level), setting record.previous.
void LinkLast(Category& category, uint32_t block, ArticleRecord& record);

// Unlinks the article `record` at `block` from its siblings (prev.next = next,
// next.prev = prev; without a previous one the parent's first child or the
// header's first top-level article becomes the next; without a next one and
// without a parent the header's last top-level article becomes the previous).
void Unlink(Category& category, const ArticleRecord& record);

// Puts the first child of the article `record` in its place: the child takes
// its previous, next and parent, and every link to the article; the child's
// former siblings become its children, after its own. REQUIRES: the article
// has a child.
void PromoteFirstChild(Category& category, uint32_t block, const ArticleRecord& record);

// The descendants of the article `record` at `block`, and it last: each
// article comes after all of its descendants.
std::vector<std::pair<uint32_t, ArticleRecord>> SubtreeChildrenFirst(const Category& category,
                                                                     uint32_t block,
                                                                     const ArticleRecord& record);

}  // namespace vantrel
