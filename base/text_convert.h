// Big5 <-> GB2312 character conversion for the Simplified edition.
//
// The game's texts are Big5. The Simplified edition draws every two-byte
// character through gBig5ToGb and turns characters typed in GB2312 back into
// Big5 before it stores them. Codes are a character's two text bytes read as
// a little-endian u16 (first byte low).
#pragma once
#include <cstddef>
#include <cstdint>

// One pair of the conversion. Each field holds the code with its lead byte
// high (A1 40 is 0xA140), so in memory the trail byte comes first.
struct Big5GbPair {
    uint16_t big5;
    uint16_t gb;
};

// Pairs in ascending Big5 order, ended by a pair whose Big5 field is 0.
// Generated at build time from iconv and OpenCC (tools/gen/big5gb_gen.cpp).
extern const Big5GbPair gBig5GbPairs[];
extern const int gBig5GbPairCount;  // pairs before the end marker

// Lookup table of 65,536 entries indexed by a Big5 code; each entry is the
// GB2312 code to draw in its place, 0x2E2E ("..") where there is no pair.
// Exists from BuildBig5ToGbTable to FreeBig5ToGbTable.
extern uint16_t* gBig5ToGb;

// What a Big5 character without a GB2312 counterpart is drawn as.
constexpr uint16_t kNoGbCode = 0x2E2E;

// Makes the lookup table; false when it could not be allocated.
bool BuildBig5ToGbTable();
void FreeBig5ToGbTable();

// The GB2312 code to store in place of a Big5 code. Without a table the code
// comes back unchanged.
uint16_t Big5ToGb(uint16_t code);
// The Big5 code to store in place of a typed GB2312 code; the code itself
// when no pair matches. The first pair in table order wins.
uint16_t GbToBig5(uint16_t code);
// The same lookup, saying whether a pair matched: typed text uses it to
// refuse a character that has no Big5 counterpart rather than store it as is.
bool FindBig5OfGb(uint16_t code, uint16_t* big5);

// At most size - 1 bytes of a Big5 text and a zero; a double-byte character
// is never cut in half.
void CopyBig5Bounded(char* to, size_t size, const char* from);

// Frees the table (between tests).
void ResetTextConvert();
