#include "battle/hud/accumulator.h"

AccumState gAccum;

void SetAccumulatorCap(int32_t cap) { gAccumCap = cap; }

int AddToAccumulator(int32_t amount) {
    if (amount == -1) {
        gAccumLast = 0;
        gAccumTotal = 0;
        return 1;
    }
    gAccumLast = amount < 0 ? 0 : amount;
    int64_t total = static_cast<int64_t>(gAccumTotal) + amount;
    if (total < 0) total = 0;
    if (total > gAccumCap) {
        gAccumLast = 0;
        gAccumTotal = 0;
        return 0;
    }
    gAccumTotal = static_cast<int32_t>(total);
    return 1;
}

void ResetAccumulator() { gAccum = AccumState{}; }
