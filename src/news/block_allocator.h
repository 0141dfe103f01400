#pragma once

#include <cstdint>

#include "news/category.h"

namespace vantrel {

// The allocation of a category's blocks through its bitmap: contiguous blocks
// from bitmap_first, one bit per block (the most significant bit first, bit k
// for block k + 1, 1 in use), its own blocks in use. Changes go through the
// category's pending writes and header; core thread only.

// Allocates `count` (>= 1) contiguous blocks and returns the first: the first
// run of free blocks from the hint's byte (rounded down to a multiple of 4)
// on. When there is none the bitmap grows by one block, moving to the first
// block beyond those it could describe (its old blocks freed, the hint lowered
// to the first of them when that is lower), and the search starts again, as
// often as a run of `count` blocks needs. The hint is not changed otherwise.
// Raises as damaged when the bitmap lies outside the file, and class 4 when
// there is no room (the file would pass 4 GiB).
uint32_t AllocateBlocks(Category& category, uint32_t count);

// Frees the `count` blocks from `first` on, and lowers the hint to the byte
// holding the first one's bit when that is lower. Raises as damaged when they
// lie beyond what the bitmap describes.
void FreeBlocks(Category& category, uint32_t first, uint32_t count);

}  // namespace vantrel
