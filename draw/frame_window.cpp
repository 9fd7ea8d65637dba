#include "draw/frame_window.h"

#include "draw/act_pack.h"
#include "draw/draw_kernel.h"
#include "draw/tsw_pack.h"

#include <algorithm>

namespace {

constexpr uint32_t kAlphaMode = 20;
int gShimmerPhase = 0;

struct Piece {
    uint16_t picture;
    int32_t alpha;
    int32_t width(uint16_t frame) const { return Size(frame, true); }
    int32_t height(uint16_t frame) const { return Size(frame, false); }
    int32_t Size(uint16_t frame, bool wide) const {
        const PicFrame* pic = GetTswPicture(picture, frame);
        if (!pic || !pic->data) return 0;
        return wide ? pic->width : pic->height;
    }
    void Draw(uint16_t frame, int32_t x, int32_t y) const {
        DrawPictureFrame(picture, frame, x, y, alpha ? kAlphaMode : 0, alpha);
    }
};

// Sets the clip to the band; false when nothing of it is on the screen.
bool ClipTo(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, gScreenWidth);
    bottom = std::min(bottom, gScreenHeight);
    if (left >= right || top >= bottom) return false;
    SetClip(left, top, right, bottom);
    return true;
}

// The first step of a run from `from` in steps of `step` that reaches `edge`:
// a run that starts far off the screen does not walk there tile by tile.
int64_t FirstVisible(int64_t from, int64_t step, int64_t edge) {
    if (from + step > edge) return from;
    return from + (edge - from) / step * step;
}

// Tiles a piece from x over [x, right) at y; nothing for a zero width.
void TileRow(const Piece& p, uint16_t frame, int32_t x, int32_t right, int32_t y) {
    const int32_t w = p.width(frame);
    if (w <= 0) return;
    const int64_t end = std::min<int64_t>(right, gScreenWidth);
    for (int64_t at = FirstVisible(x, w, -w); at < end; at += w) p.Draw(frame, int32_t(at), y);
}

void DrawFill(const Piece& p, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t b) {
    if (p.picture == kOrnamentWindowPicture) {
        SetClip(0, 0, gScreenWidth, gScreenHeight);
        p.Draw(9, right + p.width(9) - b, (top + bottom) / 2 - 12);
    }
    const int32_t w = p.width(4), h = p.height(4);
    if (w <= 0 || h <= 0 || !ClipTo(left, top, right, bottom)) return;
    const int64_t rowEnd = std::min<int64_t>(bottom, gScreenHeight);
    for (int64_t y = FirstVisible(top, h, -h); y < rowEnd; y += h) TileRow(p, 4, left, right, int32_t(y));
}

void DrawSides(const Piece& p, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t b) {
    const int32_t h = p.height(5);
    if (h <= 0) return;
    const int64_t end = std::min<int64_t>(bottom, gScreenHeight);
    const int32_t rightX = right - p.width(5) + b;
    for (int64_t y = FirstVisible(top, h, -h); y < end; y += h) {
        if (ClipTo(left - b, top, left, bottom)) p.Draw(3, left - b, int32_t(y));
        if (ClipTo(right, top, right + b, bottom)) p.Draw(5, rightX, int32_t(y));
    }
}

} // namespace

void DrawFrameWindow(uint16_t picture, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t alpha,
                     uint32_t border) {
    const Piece p{picture, alpha};
    const int32_t b = static_cast<int32_t>(std::min<uint32_t>(border & ~kFrameNoFill, 1024));
    if (!(border & kFrameNoFill)) DrawFill(p, left, top, right, bottom, b);
    // Top row.
    if (ClipTo(left - b, top - b, left, top)) p.Draw(0, left - b, top - b);
    if (ClipTo(left, top - b, right, top)) TileRow(p, 1, left, right, top - b);
    if (ClipTo(right, top - b, right + b, top)) p.Draw(2, right - p.width(2) + b, top - b);
    DrawSides(p, left, top, right, bottom, b);
    // Bottom row.
    if (ClipTo(left - b, bottom, left, bottom + b)) p.Draw(6, left - b, bottom - p.height(6) + b);
    if (ClipTo(left, bottom, right, bottom + b)) TileRow(p, 7, left, right, bottom - p.height(7) + b);
    if (ClipTo(right, bottom, right + b, bottom + b))
        p.Draw(8, right - p.width(8) + b, bottom - p.height(8) + b);
    SetClip(0, 0, gScreenWidth, gScreenHeight);
}

void DrawShimmerFrame(uint16_t* pixels, int32_t x, int32_t y, int32_t width, int32_t height, int32_t pitch) {
    if (!pixels || x < 0 || y < 0 || width < 0 || height < 0) return;
    if (int64_t(x) + width >= 640 || int64_t(y) + height >= 480) return;
    int phase = gShimmerPhase;
    gShimmerPhase = (gShimmerPhase + 1) & 31;
    auto put = [&](int32_t px, int32_t py) {
        const uint16_t g = static_cast<uint16_t>((63 - phase) & 31);
        pixels[int64_t(py) * pitch + px] = ToScreenPixel(static_cast<uint16_t>(g << 10 | g << 5 | g));
        phase = (phase + 1) & 31;
    };
    for (int32_t i = 0; i < width; ++i) put(x + i, y);
    for (int32_t i = 0; i < height; ++i) put(x + width, y + i);
    for (int32_t i = width; i > 0; --i) put(x + i, y + height);
    for (int32_t i = height; i > 0; --i) put(x, y + i);
}

void DrawRectOutline(int32_t x, int32_t y, int32_t width, int32_t height, uint16_t colour) {
    if (!gBackPixels || width <= 0 || height <= 0) return;
    const int64_t x1 = int64_t(x) + width - 1, y1 = int64_t(y) + height - 1;
    auto put = [&](int64_t px, int64_t py) {
        if (px >= 0 && py >= 0 && px < gScreenWidth && py < gScreenHeight)
            *BackPixel(int32_t(px), int32_t(py)) = colour;
    };
    const int64_t left = std::max<int64_t>(x, -1), right = std::min<int64_t>(x1, gScreenWidth);
    const int64_t top = std::max<int64_t>(y, -1), bottom = std::min<int64_t>(y1, gScreenHeight);
    for (int64_t px = left; px <= right; ++px) {
        put(px, y);
        put(px, y1);
    }
    for (int64_t py = top; py <= bottom; ++py) {
        put(x, py);
        put(x1, py);
    }
}

void ResetFrameWindow() { gShimmerPhase = 0; }
