#pragma once

#include <cstdint>
#include <optional>

#include "news/category.h"

namespace vantrel {

// The ID index of a category: a table of (index_mask + 1) buckets from block
// index_first, each the first block of its list and the list's entry count;
// an ID belongs to bucket ID AND index_mask. A list is a run of contiguous
// blocks holding its entries (article ID, article's first block) sorted by ID,
// always ceil(count x 8 / block size) blocks. Changes go through the
// category's pending writes; core thread only.

// The first block of the article `id`; nothing when the index has no such ID.
// Raises as damaged when the bucket lies outside the file or is out of order.
std::optional<uint32_t> FindArticle(const Category& category, uint32_t id);

// Appends the entry (id, block) to its bucket: a full list (its count a
// multiple of the entries a block holds, none included) first moves to a new
// run one block longer, its old blocks freed and its new space zeroed. Raises
// as damaged when `id` is not above the bucket's last ID.
void AddToIndex(Category& category, uint32_t id, uint32_t block);

// Removes the entry of `id` when it names `block`; a list that then needs one
// block less frees its last block, and an empty one has first block 0.
void RemoveFromIndex(Category& category, uint32_t id, uint32_t block);

}  // namespace vantrel
