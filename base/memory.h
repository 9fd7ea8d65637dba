// The block allocator every module uses for game data.
//
// Blocks are zeroed and rounded up with a little slack, so readers that run a
// few bytes over a record's end stay inside the block. The guarded-heap
// manager of earlier versions is not kept: nothing was ever allocated from it.
#pragma once

// A zeroed block of at least n bytes (n + 12 at least), or null when n < 1 or
// the heap is exhausted.
void* AllocZero(int n);

// Frees a block from AllocZero; null is ignored.
void FreeMem(void* p);
