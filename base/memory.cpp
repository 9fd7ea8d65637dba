#include "base/memory.h"

#include <cstdlib>

void* AllocZero(int n) {
    if (n < 1) return nullptr;
    // (n + 15) rounded down to a multiple of 4, computed wide so a size near
    // the top of int cannot wrap into a small block.
    const size_t size = (static_cast<size_t>(n) + 15) & ~static_cast<size_t>(3);
    return std::calloc(size, 1);
}

void FreeMem(void* p) { std::free(p); }
