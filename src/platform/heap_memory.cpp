#include "platform/heap_memory.h"

#include <malloc.h>

namespace vantrel {

size_t FreeHeapBytes() {
  return mallinfo2().fordblks;
}

void ReturnFreeHeap() {
  malloc_trim(0);
}

}  // namespace vantrel
