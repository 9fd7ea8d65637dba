#include "base/text_convert.h"

#include <cstring>
#include <new>

uint16_t* gBig5ToGb = nullptr;

namespace {

constexpr int kTableEntries = 65536;

uint16_t SwapBytes(uint16_t v) { return static_cast<uint16_t>((v >> 8) | (v << 8)); }

}  // namespace

bool BuildBig5ToGbTable() {
    if (!gBig5ToGb) {
        gBig5ToGb = new (std::nothrow) uint16_t[kTableEntries];
        if (!gBig5ToGb) return false;
    }
    for (int i = 0; i < kTableEntries; ++i) gBig5ToGb[i] = kNoGbCode;
    // The pair fields hold lead-high codes; the table is indexed and filled
    // with text-order codes (lead byte low), so both are swapped.
    for (const Big5GbPair* p = gBig5GbPairs; p->big5 != 0; ++p) gBig5ToGb[SwapBytes(p->big5)] = SwapBytes(p->gb);
    return true;
}

void FreeBig5ToGbTable() {
    delete[] gBig5ToGb;
    gBig5ToGb = nullptr;
}

uint16_t Big5ToGb(uint16_t code) { return gBig5ToGb ? gBig5ToGb[code] : code; }

bool FindBig5OfGb(uint16_t code, uint16_t* big5) {
    // Runs once per typed character, so a walk over the pairs is enough.
    uint16_t wanted = SwapBytes(code);
    for (const Big5GbPair* p = gBig5GbPairs; p->big5 != 0; ++p) {
        if (p->gb == wanted) {
            *big5 = SwapBytes(p->big5);
            return true;
        }
    }
    return false;
}

uint16_t GbToBig5(uint16_t code) {
    uint16_t big5 = code;
    return FindBig5OfGb(code, &big5) ? big5 : code;
}

void ResetTextConvert() { FreeBig5ToGbTable(); }

void CopyBig5Bounded(char* to, size_t size, const char* from) {
    if (size == 0) return;
    size_t n = 0;
    while (from[n] != 0) {
        const bool wide = uint8_t(from[n]) >= 0x81 && from[n + 1] != 0;
        const size_t step = wide ? 2 : 1;
        if (n + step > size - 1) break;
        n += step;
    }
    std::memcpy(to, from, n);
    to[n] = 0;
}
