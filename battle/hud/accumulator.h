// The running total of shown damage: the accumulator gauge of the HUD.
#pragma once
#include <cstdint>

struct AccumState {
    int32_t cap;    // gAccumCap
    int32_t last;   // gAccumLast
    int32_t total;  // gAccumTotal
};
extern AccumState gAccum;
inline int32_t& gAccumCap = gAccum.cap;
inline int32_t& gAccumLast = gAccum.last;
inline int32_t& gAccumTotal = gAccum.total;

void SetAccumulatorCap(int32_t cap);
// -1 empties the total (result 1); any other amount is added (a negative
// one as 0 for the last amount; the total never below 0). 1 while the total
// stays within the cap; above it both are emptied and the result is 0.
int AddToAccumulator(int32_t amount);
void ResetAccumulator();
