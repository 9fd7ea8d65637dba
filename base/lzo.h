// LZO1X packing of pictures, map-cache blocks and saved games.
//
// Only this module sees the LZO library; callers get plain bytes and result
// codes (0 success, negative the library's error codes).
#pragma once
#include <cstdint>

constexpr int kLzoOk = 0;
constexpr int kLzoError = -1;           // bad arguments or no memory
constexpr int kLzoOutputOverrun = -5;   // the data does not fit the destination

// Largest packed size of `length` bytes that do not shrink.
uint64_t LzoPackedBound(uint64_t length);

// Largest length that `packed` bytes of LZO1X can unpack to: a match copies at
// most 255 bytes for each byte that encodes it. A size that a file claims for
// its unpacked data is checked against this before anything is allocated.
uint64_t LzoUnpackedBound(uint64_t packed);

// Packs `length` bytes with LZO1X-1. Returns a new AllocZero block that the
// caller frees with FreeMem and sets *packedLength; null (and 0) on failure.
uint8_t* CompressBuffer(const void* source, uint32_t length, uint32_t* packedLength);

// The same with LZO1X-1(15), the 15-bit dictionary variant (smaller work
// memory, a little less packing) that the fame lists are stored with. Its
// output unpacks with DecompressBuffer.
uint8_t* CompressBuffer15(const void* source, uint32_t length, uint32_t* packedLength);

// Unpacks LZO1X data. *destinationLength holds the destination's capacity on
// entry and the unpacked length on return. Anything but kLzoOk is an error:
// the length is then 0 and the destination's bytes must not be used.
int DecompressBuffer(const void* source, void* destination, uint32_t sourceLength,
                     uint32_t* destinationLength);
