#include "base/random.h"

#include <cstring>

uint32_t gRandomTable[kRandomTableSize];
int gRandomIndex = 0;
uint32_t gLcgSeed = 0;

namespace {

// State of the C-library-style generator.
struct CRandState {
    uint32_t seed = 1;
    CRandSource source = nullptr;
};
CRandState gCRand;

// The shift register's tap: word j is 103 places ahead in the 250-word ring.
constexpr int kR250Tap = 103;

} // namespace

int LcgNext() {
    gLcgSeed = gLcgSeed * 22695477u + 1u;
    return static_cast<int>((gLcgSeed >> 16) & 0x7FFF);
}

void SeedLcg(uint32_t seed) { gLcgSeed = seed; }

void InitRandom(uint32_t seed) {
    gLcgSeed = seed;
    gRandomIndex = 0;
    for (uint32_t& word : gRandomTable) word = static_cast<uint32_t>(LcgNext());
    // The LCG gives only 15 bits; the top bit comes from a second draw.
    for (uint32_t& word : gRandomTable) {
        if (LcgNext() > 0x4000) word |= 0x8000;
    }
    // Make 16 words linearly independent so the register cannot fall into a
    // short cycle: word 11k+3 gets bit 15-k set and the bits above it cleared.
    uint32_t mask = 0xFFFF;
    uint32_t msb = 0x8000;
    for (int k = 0; k < 16; ++k) {
        uint32_t& word = gRandomTable[11 * k + 3];
        word = (word & mask) | msb;
        mask >>= 1;
        msb >>= 1;
    }
}

uint32_t R250Next() {
    const int i = gRandomIndex;
    const int j = i < kRandomTableSize - kR250Tap ? i + kR250Tap : i - (kRandomTableSize - kR250Tap);
    gRandomTable[i] ^= gRandomTable[j];
    const uint32_t value = gRandomTable[i];
    gRandomIndex = i + 1 < kRandomTableSize ? i + 1 : 0;
    return value;
}

int Random(int n) {
    // 0 would divide by zero; values from data files can be 0 or negative.
    if (n <= 0) return 0;
    if (n > 0xFFFF) {
        // No 16-bit value reaches n, so one try is already uniform in 0..65535;
        // the rejection loop below would never end with a limit of 0.
        R250Next();
        return static_cast<int>(R250Next());
    }
    const uint32_t limit = (0xFFFFu / static_cast<uint32_t>(n)) * static_cast<uint32_t>(n);
    uint32_t value;
    do {
        R250Next(); // every try skips one value and keeps the next
        value = R250Next();
    } while (value >= limit);
    return static_cast<int>(value % static_cast<uint32_t>(n));
}

int CRand() {
    if (gCRand.source) return gCRand.source() & 0x7FFF;
    gCRand.seed = gCRand.seed * 214013u + 2531011u;
    return static_cast<int>((gCRand.seed >> 16) & 0x7FFF);
}

void SetCRandSeed(uint32_t seed) { gCRand.seed = seed; }

void SetCRandSource(CRandSource source) { gCRand.source = source; }

void ResetRandom() {
    std::memset(gRandomTable, 0, sizeof gRandomTable);
    gRandomIndex = 0;
    gLcgSeed = 0;
    gCRand = CRandState{};
}
