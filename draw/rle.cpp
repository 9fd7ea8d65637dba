#include "draw/rle.h"

#include <vector>

#include "base/bytes.h"
#include "base/memory.h"
#include "draw/pixel_format.h"

namespace {

enum class Walk { kMalformed, kDone, kStopped };

// Walks every run of a frame, checking each read against the block, each
// run against the width, the rows against the height and (16-bit) each row
// length against the row's bytes. The visitor's Run returns false to stop.
template <class Visitor>
Walk WalkFrame(const uint8_t* data, size_t size, const RleInfo& info, Visitor& v) {
    ByteReader in(data, size);
    if (!in.seek(kRleHeaderBytes)) return Walk::kMalformed;
    const size_t pixelBytes = info.depth == 16 ? 2 : 1;
    for (int row = 0;; ++row) {
        const size_t rowStart = in.tell();
        const uint16_t length = in.u16();
        if (!in.ok()) return Walk::kMalformed;
        if (length == 0) return Walk::kDone;
        if (row >= info.height || (length & 0x4000)) return Walk::kMalformed;
        v.RowStart(row);
        int col = 0;
        for (;;) {
            const uint16_t word = in.u16();
            if (!in.ok()) return Walk::kMalformed;
            if (word == 0) break;
            const int n = word & kRunCountMask;
            const uint16_t kind = word & kRunKindMask;
            if (n == 0 || col + n > info.width) return Walk::kMalformed;
            const size_t pos = in.tell();
            if (kind == kRunLiteral && !in.skip(static_cast<size_t>(n) * pixelBytes)) return Walk::kMalformed;
            if (!v.Run(row, col, kind, n, data + pos)) return Walk::kStopped;
            col += n;
        }
        if (info.depth == 16 && (length & 0x7FFF) != in.tell() - rowStart) return Walk::kMalformed;
        v.RowEnd(row);
    }
}

struct NoVisit {
    void RowStart(int) {}
    bool Run(int, int, uint16_t, int, const uint8_t*) { return true; }
    void RowEnd(int) {}
};

// Appends a frame's rows as run-length rows, one row at a time.
class RowEncoder {
public:
    RowEncoder(std::vector<uint8_t>& buffer, int depth) : out_(buffer), depth_(depth) {}

    void Begin(int width, int height) {
        out_.u16(kRleMagic);
        out_.u16(static_cast<uint16_t>(width));
        out_.u16(static_cast<uint16_t>(height));
        out_.u16(static_cast<uint16_t>(depth_));
    }
    void BeginRow(bool opaqueStart) {
        rowStart_ = out_.tell();
        opaqueStart_ = opaqueStart;
        out_.u16(0);
    }
    // False when the row grew too long for its length word.
    bool EndRow() {
        out_.u16(0);
        const size_t bytes = out_.tell() - rowStart_;
        if (bytes > static_cast<size_t>(kRleMaxRowBytes)) return false;
        out_.putU16At(rowStart_, static_cast<uint16_t>(bytes | (opaqueStart_ ? kRowOpaqueStart : 0)));
        return true;
    }
    void MarkKeyRuns() { out_.putU16At(6, static_cast<uint16_t>(depth_ | kDepthKeyRuns)); }
    ByteWriter& out() { return out_; }

private:
    ByteWriter out_;
    int depth_;
    size_t rowStart_ = 0;
    bool opaqueStart_ = false;
};

template <class Pixel>
bool EncodeRows(const Pixel* pixels, int width, int height, Pixel shadow, Pixel key, std::vector<uint8_t>& buffer) {
    RowEncoder enc(buffer, sizeof(Pixel) * 8);
    enc.Begin(width, height);
    for (int y = 0; y < height; ++y) {
        const Pixel* row = pixels + static_cast<size_t>(y) * width;
        enc.BeginRow(width > 0 && row[0] != shadow && row[0] != key);
        int x = 0;
        while (x < width) {
            const Pixel p = row[x];
            int end = x + 1;
            if (p == key || p == shadow) {
                while (end < width && row[end] == p) ++end;
                if (p == key) enc.MarkKeyRuns();
                enc.out().u16(static_cast<uint16_t>((p == key ? kRunKey : kRunShadow) | (end - x)));
            } else {
                while (end < width && row[end] != key && row[end] != shadow) ++end;
                enc.out().u16(static_cast<uint16_t>(end - x));
                for (int i = x; i < end; ++i) {
                    if constexpr (sizeof(Pixel) == 2) enc.out().u16(row[i]);
                    else enc.out().u8(row[i]);
                }
            }
            x = end;
        }
        if (!enc.EndRow()) return false;
    }
    enc.out().u16(0);
    return true;
}

uint8_t* ToBlock(const std::vector<uint8_t>& bytes, int* size) {
    uint8_t* block = static_cast<uint8_t*>(AllocZero(static_cast<int>(bytes.size())));
    if (!block) return nullptr;
    std::memcpy(block, bytes.data(), bytes.size());
    if (size) *size = static_cast<int>(bytes.size());
    return block;
}

struct DecodeVisit {
    uint8_t* out;
    int width;
    int pixelBytes;
    void RowStart(int) {}
    bool Run(int row, int col, uint16_t kind, int n, const uint8_t* src) {
        uint8_t* dst = out + (static_cast<size_t>(row) * width + col) * pixelBytes;
        if (kind == kRunLiteral) {
            std::memcpy(dst, src, static_cast<size_t>(n) * pixelBytes);
        } else if (kind != kRunSkip) {
            const bool key = kind == kRunKey;
            for (int i = 0; i < n; ++i) {
                if (pixelBytes == 2) StoreU16(dst + 2 * i, key ? kStoredColourKey : kStoredShadowColour);
                else dst[i] = key ? kIndexKey : kIndexShadow;
            }
        }
        return true;
    }
    void RowEnd(int) {}
};

struct ScreenVisit {
    uint8_t* base;
    const uint8_t* cbase;
    void RowStart(int) {}
    bool Run(int, int, uint16_t kind, int n, const uint8_t* src) {
        if (kind != kRunLiteral) return true;
        uint8_t* p = base + (src - cbase);
        for (int i = 0; i < n; ++i) StoreU16(p + 2 * i, ToScreenPixel(LoadU16(p + 2 * i)));
        return true;
    }
    void RowEnd(int) {}
};

struct WidenVisit {
    RowEncoder& enc;
    const uint16_t* palette;
    void RowStart(int) { enc.BeginRow(false); }
    bool Run(int, int, uint16_t kind, int n, const uint8_t* src) {
        enc.out().u16(static_cast<uint16_t>(kind | n));
        if (kind == kRunLiteral) {
            for (int i = 0; i < n; ++i) enc.out().u16(ToScreenPixel(palette[src[i]]));
        }
        return true;
    }
    bool ok = true;
    void RowEnd(int) { ok = enc.EndRow() && ok; }
};

struct LookupVisit {
    int x, y, pixelBytes;
    int hit = 0;
    uint16_t pixel = 0;
    void RowStart(int) {}
    bool Run(int row, int col, uint16_t kind, int n, const uint8_t* src) {
        if (row < y) return true;
        if (row > y || x < col) return false;  // the row ended before x
        if (x >= col + n) return true;
        if (kind == kRunLiteral) {
            hit = 1;
            pixel = pixelBytes == 2 ? LoadU16(src + 2 * (x - col)) : src[x - col];
        }
        return false;
    }
    void RowEnd(int row) {}
};

}  // namespace

bool ReadRleHeader(const uint8_t* data, size_t size, RleInfo* info) {
    ByteReader in(data, size);
    const uint16_t magic = in.u16();
    const uint16_t width = in.u16();
    const uint16_t height = in.u16();
    const uint16_t depth = in.u16();
    if (!in.ok() || magic != kRleMagic) return false;
    const int d = depth & 0x7FFF;
    if (d != 16 && d != 8) return false;
    if (info) *info = {width, height, d, (depth & kDepthKeyRuns) != 0};
    return true;
}

bool ValidateRle(const uint8_t* data, size_t size, RleInfo* info) {
    RleInfo header;
    if (!ReadRleHeader(data, size, &header)) return false;
    NoVisit visit;
    if (WalkFrame(data, size, header, visit) != Walk::kDone) return false;
    if (info) *info = header;
    return true;
}

uint8_t* EncodeRle(const void* pixels, int* size, int width, int height, int depth) {
    if (!pixels || width < 0 || height < 0 || width > kRunCountMask || height > 0xFFFF) return nullptr;
    std::vector<uint8_t> buffer;
    const bool ok = depth == 16
        ? EncodeRows(static_cast<const uint16_t*>(pixels), width, height, kStoredShadowColour, kStoredColourKey, buffer)
        : EncodeRows(static_cast<const uint8_t*>(pixels), width, height, kIndexShadow, kIndexKey, buffer);
    if (!ok) return nullptr;
    if (depth != 16) StoreU16(buffer.data() + 6, static_cast<uint16_t>((LoadU16(buffer.data() + 6) & kDepthKeyRuns) | (depth & 0x7FFF)));
    return ToBlock(buffer, size);
}

uint8_t* EncodeRleSnapshot(const uint16_t* pixels, int* size, int width, int height) {
    if (!pixels || width < 0 || height < 0) return nullptr;
    std::vector<uint16_t> copy(pixels, pixels + static_cast<size_t>(width) * height);
    for (uint16_t& p : copy) {
        if (p == kStoredColourKey || p == kStoredShadowColour) p ^= 1;
    }
    return EncodeRle(copy.data(), size, width, height, 16);
}

uint8_t* DecodeRle(const uint8_t* frame, int frameSize, int* width, int* height, int* depth) {
    RleInfo info;
    if (frameSize < 0 || !ValidateRle(frame, static_cast<size_t>(frameSize), &info)) return nullptr;
    const int pixelBytes = info.depth / 8;
    // AllocZero refuses 0 bytes; an empty frame still gets a (tiny) block.
    const size_t bytes = static_cast<size_t>(info.width) * info.height * pixelBytes;
    // Also keeps the size within what AllocZero's int can hold: a wrapped
    // size would give a block smaller than the rows written into it.
    if (bytes > kRleMaxDecodedBytes) return nullptr;
    uint8_t* out = static_cast<uint8_t*>(AllocZero(static_cast<int>(bytes ? bytes : 1)));
    if (!out) return nullptr;
    DecodeVisit visit{out, info.width, pixelBytes};
    WalkFrame(frame, static_cast<size_t>(frameSize), info, visit);
    if (width) *width = info.width;
    if (height) *height = info.height;
    if (depth) *depth = info.depth;
    return out;
}

int ConvertRleToScreen(uint8_t* frame, int frameSize, int* width, int* height, int* depth) {
    RleInfo info;
    if (frameSize < 0 || !ValidateRle(frame, static_cast<size_t>(frameSize), &info) || info.depth != 16) return 0;
    if (width) *width = info.width;
    if (height) *height = info.height;
    if (depth) *depth = info.depth;
    ScreenVisit visit{frame, frame};
    WalkFrame(frame, static_cast<size_t>(frameSize), info, visit);
    return 1;
}

uint8_t* WidenRle8(const uint8_t* frame, int frameSize, const uint16_t* palette, int* newSize) {
    RleInfo info;
    if (!palette || frameSize < 0 || !ValidateRle(frame, static_cast<size_t>(frameSize), &info) || info.depth != 8) {
        return nullptr;
    }
    std::vector<uint8_t> buffer;
    buffer.reserve(kRleHeaderBytes + static_cast<size_t>(frameSize) * 2 + 4);
    RowEncoder enc(buffer, 16);
    enc.Begin(info.width, info.height);
    if (info.hasKeyRuns) enc.MarkKeyRuns();
    WidenVisit visit{enc, palette};
    WalkFrame(frame, static_cast<size_t>(frameSize), info, visit);
    if (!visit.ok) return nullptr;
    enc.out().u16(0);
    return ToBlock(buffer, newSize);
}

PicFrame* ConvertRle8(PicFrame* frame) {
    if (!frame || !frame->data) return frame;
    RleInfo info;
    if (!ReadRleHeader(frame->data, frame->size, &info)) return frame;
    if (info.depth == 8) {
        int newSize = 0;
        uint8_t* wide = WidenRle8(frame->data, static_cast<int>(frame->size), frame->palette, &newSize);
        if (!wide) return frame;
        FreeMem(frame->data);
        frame->data = wide;
        frame->size = static_cast<uint32_t>(newSize);
        return frame;
    }
    int w = 0, h = 0;
    if (ConvertRleToScreen(frame->data, static_cast<int>(frame->size), &w, &h, nullptr)) {
        frame->width = static_cast<uint16_t>(w);
        frame->height = static_cast<uint16_t>(h);
    }
    return frame;
}

void ConvertRle8Pal(uint8_t** block, int* size) {
    constexpr int kPaletteBytes = 512;
    if (!block || !*block || !size || *size < kPaletteBytes) return;
    uint16_t palette[256];
    ByteReader in(*block, static_cast<size_t>(*size));
    for (uint16_t& c : palette) c = in.u16();
    int newSize = 0;
    uint8_t* wide = WidenRle8(*block + kPaletteBytes, *size - kPaletteBytes, palette, &newSize);
    if (!wide) return;
    FreeMem(*block);
    *block = wide;
    *size = newSize;
}

int RleLookup(const uint8_t* data, size_t size, int x, int y, uint16_t* pixel) {
    RleInfo info;
    if (!ReadRleHeader(data, size, &info)) return 0;
    if (x < 0 || y < 0 || x >= info.width || y >= info.height) return 0;
    LookupVisit visit{x, y, info.depth / 8};
    if (WalkFrame(data, size, info, visit) == Walk::kMalformed) return 0;
    if (visit.hit && pixel) *pixel = visit.pixel;
    return visit.hit;
}

int HitTestRleImage(const PicFrame* frame, int x, int y, int originX, int originY) {
    if (!frame || !frame->data) return 0;
    const int64_t dx = static_cast<int64_t>(x) - originX;
    const int64_t dy = static_cast<int64_t>(y) - originY;
    if (dx < 0 || dy < 0 || dx >= frame->width || dy >= frame->height) return 0;
    return RleLookup(frame->data, frame->size, static_cast<int>(dx), static_cast<int>(dy), nullptr);
}
