#pragma once

#include <cstdint>
#include <vector>

#include "news/category.h"

namespace vantrel {

// The flattened article list (`CNZArticleList`) of a category, built by
// walking its articles: 0 (4 bytes), the number of articles (4), an empty name
// and an empty description (a zero byte each); then per article, in depth-
// first order (the article, its descendants, then its next sibling, from the
// first top-level article): ID (4), date (8), parent's ID (4, 0 top-level),
// flags (4), flavor count (2), title and poster (length-prefixed), in the full
// form its identifier (length-prefixed), then per flavor (each further chunk,
// at most 32) its name (length-prefixed) and the low 16 bits of its data
// length (2). Big-endian. Raises as damaged when the articles' links reach
// past the file or loop.
std::vector<uint8_t> BuildArticleList(const Category& category, bool full);

}  // namespace vantrel
