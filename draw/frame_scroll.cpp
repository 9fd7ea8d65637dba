#include "draw/frame_scroll.h"

#include <algorithm>
#include <cstring>

#include "base/memory.h"
#include "draw/rle.h"

namespace {

// Bytes of one row: length word, control word, width pixels, end word.
size_t RowBytes(int width) { return (static_cast<size_t>(width) + 3) * 2; }

// Rotates [first, last) so that middle comes first. The smaller part goes
// through a buffer on the stack when it fits (a scroll moves a few rows or
// pixels a frame), which is a copy and a move; larger parts are swapped in
// place.
void RotateBytes(uint8_t* first, uint8_t* middle, uint8_t* last) {
    constexpr size_t kScratch = 16384;
    const size_t left = static_cast<size_t>(middle - first), right = static_cast<size_t>(last - middle);
    if (left == 0 || right == 0) return;
    uint8_t scratch[kScratch];
    if (left <= right && left <= kScratch) {
        std::memcpy(scratch, first, left);
        std::memmove(first, middle, right);
        std::memcpy(first + right, scratch, left);
    } else if (right < left && right <= kScratch) {
        std::memcpy(scratch, middle, right);
        std::memmove(first + right, first, left);
        std::memcpy(first, scratch, right);
    } else {
        std::rotate(first, middle, last);
    }
}

}  // namespace

bool IsScrollableRle(const uint8_t* frame, size_t size) {
    RleInfo info;
    if (!ReadRleHeader(frame, size, &info) || info.depth != 16) return false;
    if (info.width < 1 || info.width > kRunCountMask || info.height < 1) return false;
    const size_t rowBytes = RowBytes(info.width);
    if (rowBytes > static_cast<size_t>(kRleMaxRowBytes)) return false;
    if (size < kRleHeaderBytes + rowBytes * info.height + 2) return false;
    const uint8_t* row = frame + kRleHeaderBytes;
    for (int r = 0; r < info.height; ++r, row += rowBytes) {
        const uint16_t length = LoadU16(row);
        if ((length & 0x7FFF) != rowBytes || LoadU16(row + 2) != info.width || LoadU16(row + rowBytes - 2) != 0)
            return false;
    }
    return LoadU16(row) == 0;
}

int ConvertRlePic(uint8_t* frame, size_t size, int direction, int amount) {
    if (amount < 1 || direction < kScrollUp || direction > kScrollRight) return 0;
    // A frame with key or shadow runs would get its control words rotated
    // as pixels: only one literal run per row is scrolled.
    if (!IsScrollableRle(frame, size)) return 0;
    const int width = LoadU16(frame + 2), height = LoadU16(frame + 4);
    const size_t rowBytes = RowBytes(width);
    uint8_t* rows = frame + kRleHeaderBytes;
    // Rotated in place: no copy of the moved part is needed.
    if (direction == kScrollUp || direction == kScrollDown) {
        const int n = amount % height;
        const int first = direction == kScrollUp ? n : height - n;
        RotateBytes(rows, rows + first * rowBytes, rows + height * rowBytes);
        return 1;
    }
    const int n = amount % width;
    const size_t first = 2 * static_cast<size_t>(direction == kScrollLeft ? n : width - n);
    for (int r = 0; r < height; ++r) {
        uint8_t* px = rows + r * rowBytes + 4;
        RotateBytes(px, px + first, px + 2 * static_cast<size_t>(width));
    }
    return 1;
}

bool cScrollFrame::Take(const uint8_t* frame, size_t size) {
    size_ = 0;
    if (!IsScrollableRle(frame, size) || size > INT32_MAX - 16) return false;
    if (size > capacity_) {
        Free();
        data_ = static_cast<uint8_t*>(AllocZero(static_cast<int>(size)));
        if (!data_) return false;
        capacity_ = size;
    }
    std::memcpy(data_, frame, size);
    size_ = size;
    return true;
}

void cScrollFrame::Free() {
    FreeMem(data_);
    data_ = nullptr;
    size_ = capacity_ = 0;
}
