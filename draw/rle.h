// Run-length picture frames (RlePic): most pictures of the game are stored
// and drawn this way. A frame is a header of four u16 words (magic 0xFFFF,
// width, height, depth word), then rows of control words, then a u16 0.
//
// Row: u16 row length in bytes (bits 0-14; bit 15 marks a row whose first
// pixel is opaque), control words, and a closing u16 0. Control word kinds
// (top two bits): 0 a literal run of n pixels that follow, 0x8000 n pixels
// of the shadow colour, 0xC000 n pixels of the key colour, 0x4000 never
// written (readers step over it and advance the column).
//
// Every reader here bounds each run by the frame's width, the rows by its
// height and every read by the block's size: a malformed frame is refused.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

constexpr uint16_t kRleMagic = 0xFFFF;
constexpr int kRleHeaderBytes = 8;
constexpr uint16_t kRunKindMask = 0xC000;
constexpr uint16_t kRunCountMask = 0x3FFF;
constexpr uint16_t kRunLiteral = 0x0000;
constexpr uint16_t kRunSkip = 0x4000;
constexpr uint16_t kRunShadow = 0x8000;  // first key colour
constexpr uint16_t kRunKey = 0xC000;     // second key colour
constexpr uint16_t kRowOpaqueStart = 0x8000;
constexpr uint16_t kDepthKeyRuns = 0x8000;  // depth word: the frame holds key runs
// The key values of 8-bit frames (palette indices).
constexpr uint8_t kIndexShadow = 3;
constexpr uint8_t kIndexKey = 1;
// Rows longer than this many bytes are refused, so that readers that take
// the row length's low 14 bits and those that take 15 agree.
constexpr int kRleMaxRowBytes = 0x3FFF;

// Frames live in memory (pack entries, map archive): little-endian words at
// any byte offset (8-bit frames pack their pixel bytes).
inline uint16_t LoadU16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
inline void StoreU16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }
// Whether a picture's bytes are a run-length frame: they start with the magic.
inline bool IsRleFrame(const uint8_t* data, size_t size) { return data && size >= 2 && LoadU16(data) == kRleMagic; }

// A picture frame as the packs deliver it. Blocks come from AllocZero.
struct PicFrame {
    uint8_t* data;      // an RlePic, or raw rows of 16-bit pixels or 8-bit indices
    void* extra;        // a second owned block; none for pack pictures
    uint16_t* palette;  // 256 screen colours of an 8-bit entry (converted at load), or null
    uint16_t width;
    uint16_t height;
    uint32_t size;      // bytes of the data block
};

struct RleInfo {
    int width;
    int height;
    int depth;         // 8 or 16
    bool hasKeyRuns;   // depth word bit 15
};

// The header of a frame: false without the magic or with a depth other than
// 8 or 16.
bool ReadRleHeader(const uint8_t* data, size_t size, RleInfo* info);
// Walks the whole frame: every read inside the block, every row's runs
// within the width, no more rows than the height, and (16-bit) every row
// length matching its bytes. False for a malformed frame.
bool ValidateRle(const uint8_t* data, size_t size, RleInfo* info);

// Encodes raw pixels (u16 each at depth 16, one byte each at depth 8) into a
// new AllocZero block of exactly the encoded length, written to *size. Any
// pixel equal to a key value becomes a key or shadow run: right for art.
// Null for a width of 16384 or more, a negative size or a row too long.
uint8_t* EncodeRle(const void* pixels, int* size, int width, int height, int depth);
// Encodes a 16-bit screen snapshot: pixels that happen to equal a key value
// are moved one blue step first, so the whole picture stays opaque.
uint8_t* EncodeRleSnapshot(const uint16_t* pixels, int* size, int width, int height);

// No picture of the game comes near this many decoded bytes; a header that
// claims more (a few rows under a width and height of thousands) is refused
// rather than given gigabytes.
constexpr size_t kRleMaxDecodedBytes = 64u << 20;

// Decodes a frame into a new AllocZero block of width*height pixels (u16 or
// bytes); key runs become their key values. Null for a malformed frame or
// one larger than kRleMaxDecodedBytes.
uint8_t* DecodeRle(const uint8_t* frame, int frameSize, int* width, int* height, int* depth);

// Converts the literal pixels of a 16-bit frame to the screen's layout in
// place, writing the outputs that are given. 0 (nothing changed) for a
// malformed frame or a depth other than 16.
int ConvertRleToScreen(uint8_t* frame, int frameSize, int* width, int* height, int* depth);

// Widens an 8-bit frame into a new 16-bit frame in the screen's layout,
// through a palette of 256 stored colours. Null for a malformed frame.
uint8_t* WidenRle8(const uint8_t* frame, int frameSize, const uint16_t* palette, int* newSize);

// The frame's data made ready to draw: an 8-bit RlePic is widened through the
// frame's palette (new block, old one freed), a 16-bit one converted in place.
// Other data, and malformed frames, are left alone. Returns the frame.
PicFrame* ConvertRle8(PicFrame* frame);
// The block holds a 512-byte palette and an 8-bit RlePic: replaced by a
// 16-bit RlePic in the screen's layout. Left alone when malformed.
void ConvertRle8Pal(uint8_t** block, int* size);

// Looks up frame column x of row y. 1 on a literal pixel (stored in *pixel
// when given: a u16 at depth 16, a byte otherwise), 0 on a key, shadow or
// skipped run, outside the frame, or on a malformed frame.
int RleLookup(const uint8_t* data, size_t size, int x, int y, uint16_t* pixel);
// 1 when screen point (x, y) lies on an opaque pixel of the frame drawn at
// (originX, originY).
int HitTestRleImage(const PicFrame* frame, int x, int y, int originX, int originY);
