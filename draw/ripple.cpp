#include "draw/ripple.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/memory.h"
#include "base/random.h"

cRipple gRipple;

namespace {

constexpr int kMinCells = 3;  // a field needs one interior cell

// Bytes of a block, or 0 when AllocZero cannot take it.
int BlockBytes(int64_t count, int64_t unit) {
    const int64_t bytes = count * unit;
    return bytes > INT32_MAX - 16 ? 0 : static_cast<int>(bytes);
}

}  // namespace

bool cRipple::InitRipple(int32_t pw, int32_t ph, int32_t x, int32_t y, int32_t w, int32_t h) {
    FreeRipple();
    if (w < kMinCells || h < kMinCells || w > pw || h > ph) return false;
    const int fieldBytes = BlockBytes(2 * static_cast<int64_t>(w) * h, 2);
    const int copyBytes = BlockBytes(static_cast<int64_t>(pw) * ph, 2);
    if (fieldBytes == 0 || copyBytes == 0) return false;
    fields = static_cast<int16_t*>(AllocZero(fieldBytes));
    copy = static_cast<uint16_t*>(AllocZero(copyBytes));
    if (!fields || !copy) {
        FreeRipple();
        return false;
    }
    pictureWidth = pw;
    pictureHeight = ph;
    width = w;
    height = h;
    damping = 4;
    current = 0;
    lastValue = 0;
    ClampRipple(x, y);
    return true;
}

void cRipple::FreeRipple() {
    FreeMem(fields);
    FreeMem(copy);
    fields = nullptr;
    copy = nullptr;
    width = height = pictureWidth = pictureHeight = 0;
    rectX = rectY = 0;
}

void cRipple::ClampRipple(int32_t x, int32_t y) {
    if (static_cast<int64_t>(x) + width > pictureWidth) x = pictureWidth - width - 1;
    if (static_cast<int64_t>(y) + height > pictureHeight) y = pictureHeight - height - 1;
    // A negative corner would put the draw before the picture's first row.
    rectX = std::max(0, x);
    rectY = std::max(0, y);
}

void cRipple::CopyRipple(const uint16_t* source, int32_t pitch) {
    if (!copy || !source) return;
    const int64_t rowBytes = static_cast<int64_t>(pictureWidth) * 2;
    if (pitch <= 0) pitch = static_cast<int32_t>(rowBytes);
    if (pitch < rowBytes) return;
    const auto* src = reinterpret_cast<const uint8_t*>(source);
    for (int32_t r = 0; r < pictureHeight; ++r)
        std::memcpy(copy + static_cast<int64_t>(r) * pictureWidth, src + static_cast<int64_t>(r) * pitch, rowBytes);
}

namespace {

// Eight cells at a time: 16-bit cells widened to 32-bit lanes for the sum.
// The helpers below are inlined into this file only, so the calling
// convention of a wide vector (what -Wpsabi warns about, at the end of the
// file, hence no pop) never matters.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif
using Cells8 = int16_t __attribute__((vector_size(16)));
using Sums8 = int32_t __attribute__((vector_size(32)));
constexpr int kLanes = 8;

inline Sums8 Load8(const int16_t* p) {
    Cells8 v;
    std::memcpy(&v, p, sizeof v);
    return __builtin_convertvector(v, Sums8);
}

// The step of one cell (int32_t) or eight (Sums8): ((sum of the 8
// neighbours) >> 2) - the old value, less its damping.
template <class T>
inline T StepCells(T up0, T up1, T up2, T mid0, T mid2, T down0, T down1, T down2, T old, int shift) {
    const T v = ((up0 + up1 + up2 + mid0 + mid2 + down0 + down1 + down2) >> 2) - old;
    return v - (v >> shift);
}

// One row of the step; returns the OR of every value written.
int32_t StepRow(const int16_t* up, const int16_t* mid, const int16_t* down, int16_t* out, int32_t width, int shift) {
    int32_t c = 1;
    Cells8 anyLanes{};
    for (; c + kLanes < width; c += kLanes) {
        const Sums8 v = StepCells<Sums8>(Load8(up + c - 1), Load8(up + c), Load8(up + c + 1), Load8(mid + c - 1),
                                         Load8(mid + c + 1), Load8(down + c - 1), Load8(down + c), Load8(down + c + 1),
                                         Load8(out + c), shift);
        const Cells8 result = __builtin_convertvector(v, Cells8);
        std::memcpy(out + c, &result, sizeof result);
        anyLanes |= result;
    }
    int32_t any = 0;
    for (int k = 0; k < kLanes; ++k) any |= anyLanes[k];
    for (; c + 1 < width; ++c) {
        const int16_t result = static_cast<int16_t>(StepCells<int32_t>(up[c - 1], up[c], up[c + 1], mid[c - 1], mid[c + 1],
                                                                       down[c - 1], down[c], down[c + 1], out[c], shift));
        out[c] = result;
        any |= result;
    }
    return any;
}

// Whether every lane is 0.
inline bool AllZero(Sums8 v) {
    int32_t any = 0;
    for (int k = 0; k < kLanes; ++k) any |= v[k];
    return any == 0;
}

// Cells c to c + 7 of a field row drawn onto their screen row: each pixel
// shows the copy's pixel its slope points at, held inside the picture. Where
// the eight slopes are all 0 the pixels are the copy's own, moved at once.
inline void DrawRippleCells(const int16_t* row, const int16_t* below, int32_t c, int32_t px, int32_t py,
                            const uint16_t* copy, int32_t pictureWidth, int32_t maxX, int32_t maxY, uint16_t* out) {
    const Sums8 v = Load8(row + c);
    const Sums8 ox = (v - Load8(row + c + 1)) >> 3, oy = (v - Load8(below + c)) >> 3;
    const bool inside = px >= 0 && px + kLanes - 1 <= maxX && py >= 0 && py <= maxY;
    if (inside && AllZero(ox | oy)) {
        std::memcpy(out + px, copy + static_cast<int64_t>(py) * pictureWidth + px, kLanes * sizeof(uint16_t));
        return;
    }
    const Sums8 lane{0, 1, 2, 3, 4, 5, 6, 7}, zero{};
    Sums8 sx = px + lane + ox, sy = py + oy;
    sx = sx < zero ? zero : sx;
    sx = sx > maxX ? Sums8{} + maxX : sx;
    sy = sy < zero ? zero : sy;
    sy = sy > maxY ? Sums8{} + maxY : sy;
    for (int k = 0; k < kLanes; ++k) out[px + k] = copy[static_cast<int64_t>(sy[k]) * pictureWidth + sx[k]];
}

}  // namespace

bool cRipple::StepRipple() {
    if (!fields) return true;
    const int32_t size = width * height;
    const int16_t* s = fields + current * size;
    current ^= 1;
    int16_t* d = fields + current * size;
    const int shift = std::clamp(damping, 0, 15);
    int32_t any = 0;
    for (int32_t r = 1; r + 1 < height; ++r)
        any |= StepRow(s + (r - 1) * width, s + r * width, s + (r + 1) * width, d + r * width, width, shift);
    return any == 0;
}

void cRipple::DropRipple(int32_t x, int32_t y, int32_t radius, int32_t strength) {
    if (!fields || radius < 1) return;
    const int64_t r = radius;
    // A random place keeps the bump off the border; when the bump is wider
    // than the field the centre is taken.
    auto pick = [r](int32_t v, int32_t size) -> int64_t {
        if (v >= 0) return v;
        const int64_t span = size - 2 * r - 1;
        return span > 0 ? CRand() % span + r + 1 : size / 2;
    };
    const int64_t cx = pick(x, width), cy = pick(y, height);
    const int64_t dx0 = std::max(-r, 1 - cx), dx1 = std::min(r, width - 1 - cx);
    const int64_t dy0 = std::max(-r, 1 - cy), dy1 = std::min(r, height - 1 - cy);
    int16_t* field = CurrentField();
    for (int64_t dy = dy0; dy < dy1; ++dy)
        for (int64_t dx = dx0; dx < dx1; ++dx) {
            const int64_t d2 = dx * dx + dy * dy;
            if (d2 >= r * r) continue;
            const double bump = (static_cast<double>(r) - std::sqrt(static_cast<double>(d2))) * strength;
            // Added as a 16-bit value; the clamp keeps the conversion defined.
            const int64_t add = static_cast<int64_t>(std::clamp(bump, -1.0e15, 1.0e15));
            int16_t& cell = field[(cy + dy) * width + cx + dx];
            cell = static_cast<int16_t>(cell + static_cast<int16_t>(add & 0xFFFF));
        }
}

void cRipple::DrawRipple(uint16_t* destination, int32_t pitch) const {
    if (!fields || !copy || !destination) return;
    if (pitch <= 0) pitch = pictureWidth * 2;
    if (pitch < pictureWidth * 2) return;
    const int16_t* field = CurrentField();
    const int32_t maxX = pictureWidth - 1, maxY = pictureHeight - 1;
    auto* dst = reinterpret_cast<uint8_t*>(destination);
    for (int32_t r = 1; r + 1 < height; ++r) {
        const int16_t* row = field + r * width;
        const int16_t* below = row + width;
        const int32_t py = rectY + r;
        auto* out = reinterpret_cast<uint16_t*>(dst + static_cast<int64_t>(py) * pitch);
        int32_t c = 1;
        for (; c + kLanes < width; c += kLanes)
            DrawRippleCells(row, below, c, rectX + c - 1, py, copy, pictureWidth, maxX, maxY, out);
        for (; c + 1 < width; ++c) {
            const int32_t px = rectX + c - 1;
            const int32_t ox = (row[c] - row[c + 1]) >> 3;
            const int32_t oy = (row[c] - below[c]) >> 3;
            // The slope can reach thousands of pixels: the source is kept
            // inside the picture on both axes.
            const int32_t sx = std::clamp(px + ox, 0, maxX), sy = std::clamp(py + oy, 0, maxY);
            out[px] = copy[static_cast<int64_t>(sy) * pictureWidth + sx];
        }
    }
}
