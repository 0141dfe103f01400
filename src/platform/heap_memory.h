#pragma once

#include <cstddef>

namespace vantrel {

// The heap memory the C library's allocator holds for the process after it was
// freed. A burst leaves many freed blocks among long-lived ones; the allocator
// keeps their pages resident, since it can give back only the heap's top on its
// own.

// Bytes of the heap that are free but still held by the process.
size_t FreeHeapBytes();

// Gives every whole page of free heap memory back to the system (a page is
// mapped again, zeroed, when it is next used).
void ReturnFreeHeap();

}  // namespace vantrel
