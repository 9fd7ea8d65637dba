#include "draw/widgets.h"

#include <algorithm>

#include "draw/colour_ops.h"
#include "draw/draw_kernel.h"
#include "draw/frame_window.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "draw/text_font.h"

namespace {

constexpr uint16_t kBoxFramePicture = 9019;

int Field(uint32_t p, int shift) { return int((p >> shift) & 31u); }
uint16_t Pack(int r, int g, int b) {
    return uint16_t((uint32_t(r) << gRedShift) | (uint32_t(g) << gGreenShift) | (uint32_t(b) << gBlueShift));
}

struct Span {
    int x0, y0, x1, y1; // clipped, x1 and y1 exclusive
};

// The back buffer's own rows: the fills work whether or not the caller
// holds the lock, and on a back buffer of any size.
uint16_t* Row(int x, int y) {
    return reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(gBackBuffer->pixels) +
                                       size_t(y) * size_t(gBackBuffer->pitch)) + x;
}

bool ClipToDrawing(int x, int y, int w, int h, Span* s) {
    if (!gBackBuffer || !gBackBuffer->pixels || w <= 0 || h <= 0) return false;
    s->x0 = std::max({x, gClip.left, 0});
    s->y0 = std::max({y, gClip.top, 0});
    s->x1 = int(std::min<int64_t>({int64_t(x) + w, int64_t(gClip.left) + gClip.width, gBackBuffer->width}));
    s->y1 = int(std::min<int64_t>({int64_t(y) + h, int64_t(gClip.top) + gClip.height, gBackBuffer->height}));
    return s->x0 < s->x1 && s->y0 < s->y1;
}

template <typename Op>
void EachPixel(uint16_t* row, int count, Op op) {
    for (int i = 0; i < count; ++i) {
        const uint32_t p = row[i];
        row[i] = op(Field(p, gRedShift), Field(p, gGreenShift), Field(p, gBlueShift));
    }
}

void ShadeRow(uint16_t* row, int count, int shift) {
    EachPixel(row, count, [shift](int r, int g, int b) { return Pack(r >> shift, g >> shift, b >> shift); });
}

// Rows of the gradient: pairs from the edges inwards, step k of n adds
// k / n of the colour (10-bit fixed point).
void GradientRows(int y, int h, const Span& s, int r, int g, int b) {
    const int steps = (h + 1) / 2;
    for (int k = 0; k < steps; ++k) {
        const int frac = (k << 10) / steps;
        const int dr = (r * frac) >> 10, dg = (g * frac) >> 10, db = (b * frac) >> 10;
        const int top = y + k, bottom = y + h - 1 - k;
        for (int row : {top, bottom}) {
            if (row < s.y0 || row >= s.y1) continue;
            AddRgbToPixels(Row(s.x0, row), s.x1 - s.x0, dr, dg, db);
            if (top == bottom) break;
        }
    }
}
} // namespace

void FillMenuRect(int x, int y, int width, int height, int r, int g, int b, int mode) {
    if (mode < kFillTint || mode > kFillGradient) return;
    Span s;
    if (!ClipToDrawing(x, y, width, height, &s)) return;
    if (mode == kFillGradient) {
        GradientRows(y, height, s, r, g, b);
        return;
    }
    const int cr = r & 31, cg = g & 31, cb = b & 31;
    const int count = s.x1 - s.x0;
    for (int row = s.y0; row < s.y1; ++row) {
        uint16_t* p = Row(s.x0, row);
        switch (mode) {
        case kFillTint:
            EachPixel(p, count, [=](int pr, int pg, int pb) {
                auto mix = [](int v, int c) { return std::min(31, (v >> 1) + (v >> 3) + (v >> 4) + (c >> 2)); };
                return Pack(mix(pr, cr), mix(pg, cg), mix(pb, cb));
            });
            break;
        case kFillAdd: AddRgbToPixels(p, count, r, g, b); break;
        case kFillQuarter: ShadeRow(p, count, 2); break;
        case kFillGrey:
            EachPixel(p, count, [](int pr, int pg, int pb) {
                const int v = (pr + pg + pb) / 3;
                return Pack(v, v, v);
            });
            break;
        case kFillEighth: ShadeRow(p, count, 3); break;
        default: break;
        }
    }
}

void DrawFramedBox(int x, int y, int width, int height, int mode, int r, int g, int b) {
    // The window frame draws on the whole screen; the box under it too.
    SetClip(0, 0, gScreenWidth, gScreenHeight);
    FillMenuRect(x - 8, y - 8, width + 16, height + 16, r, g, b, mode);
    DrawFrameWindow(kBoxFramePicture, x, y, x + width, y + height, 0, kFrameNoFill);
}

void DrawShadowText(int x, int y, uint16_t colour, uint16_t shadow, const char* text, cTextFont& font) {
    if (!gBackPixels || !text) return;
    font.DrawTextStr(gBackPixels, x + 2, y + 1, text, shadow, kTextPlain);
    font.DrawTextStr(gBackPixels, x, y, text, colour, kTextPlain);
    font.DrawTextStr(gBackPixels, x + 1, y, text, colour, kTextPlain);
}

int BarFillWidth(int current, int maximum, int width) {
    if (maximum <= 0 || current <= 0) return 0;
    if (current >= maximum) return width;
    return int(int64_t(current) * width / maximum);
}
