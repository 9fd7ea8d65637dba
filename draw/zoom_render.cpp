#include "draw/zoom_render.h"

#include <algorithm>
#include <type_traits>

#include "draw/span_walk.h"

int32_t gZoomAnchorX, gZoomAnchorY;
int32_t gZoomX = kZoomOne, gZoomY = kZoomOne;
int32_t gZoomShear;

namespace {

using namespace spanwalk;

int32_t HoldFactor(int factor) { return std::clamp<int32_t>(factor, 1, kZoomMax); }

// The source column (row) shown at destination column (row) k, 1024 k /
// factor, stepped from one k to the next without a division: the quotient
// and remainder of 1024 / factor are added and the remainder carried. A
// draw divides once per row for its first column and once for its first
// row, whatever the factor, so setting a new factor costs nothing.
struct SourceStep {
    int64_t value, rest;      // 1024 k / factor and its remainder
    int64_t whole, part;      // 1024 / factor and its remainder
    int64_t factor;
    SourceStep(int64_t k, int32_t f)
        : value(k * kZoomOne / f), rest(k * kZoomOne % f), whole(kZoomOne / f), part(kZoomOne % f), factor(f) {}
    void Next() {
        value += whole;
        rest += part;
        if (rest >= factor) {
            rest -= factor;
            ++value;
        }
    }
};

// The horizontal lean of row j, j x shear / 1024 (toward 0).
inline int64_t ShearOf(int64_t j) { return j * gZoomShear / kZoomOne; }

// The one-shot parameters a zoom draw reads are spent by it.
struct SpendOneShot {
    ~SpendOneShot() {
        gTintRed = gTintGreen = gTintBlue = 0;
        gAlphaLevel = 0;
    }
};

uint32_t FlagsOf(const void* extra) { return extra ? static_cast<const ExtendedArgs*>(extra)->flags : 0; }

// Where the zoomed frame lies on the screen.
struct ZoomPlace {
    int64_t left, top, width, height;
    int64_t anchorRow;  // the zoomed anchor's row from the top: it does not lean
    bool mirror, flip;
};

bool PlaceZoomed(int64_t x, int64_t y, int64_t w, int64_t h, uint32_t flags, ZoomPlace* z) {
    z->mirror = flags & kFlagMirror;
    z->flip = flags & kFlagFlip;
    const int64_t ax = z->mirror ? w - gZoomAnchorX : gZoomAnchorX;
    const int64_t ay = z->flip ? h - gZoomAnchorY : gZoomAnchorY;
    if (z->flip) y += 2 * int64_t{gZoomAnchorY} - h;
    z->left = x + ax - gZoomX * ax / kZoomOne;
    z->width = gZoomX * w / kZoomOne;
    z->top = y + ay - gZoomY * ay / kZoomOne;
    z->height = gZoomY * h / kZoomOne;
    z->anchorRow = gZoomY * ay / kZoomOne;
    return z->width > 0 && z->height > 0;
}

// Walks the zoomed frame: each visible destination row shows its source row,
// each visible destination column of it its source column. Only columns and
// rows inside the clip rectangle are visited, so nothing outside it is ever
// written, whatever the zoom, shear or anchor.
template <class Op>
void WalkZoomed(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t flags, const Op& op) {
    const uint8_t* pic = gCurPic;
    if (!gBackPixels || !IsRle16(pic)) return;
    ZoomPlace z;
    if (!PlaceZoomed(x, y, w, h, flags, &z)) return;
    const int64_t clipTop = gClip.top, clipBottom = int64_t{gClip.top} + gClip.height;
    const int64_t clipLeft = gClip.left, clipRight = int64_t{gClip.left} + gClip.width;
    const int64_t yLo = std::max(z.top, clipTop), yHi = std::min(z.top + z.height, clipBottom);
    if (yLo >= yHi) return;
    if (gZoomShear == 0 && std::max(z.left, clipLeft) >= std::min(z.left + z.width, clipRight)) return;
    // Destination rows r count in source order (from the bottom when flipped).
    const int64_t rLo = z.flip ? z.top + z.height - yHi : yLo - z.top;
    const int64_t rHi = z.flip ? z.top + z.height - yLo : yHi - z.top;
    const uint8_t* row = pic + kRleHeaderBytes;
    int64_t rowIndex = 0;
    const bool oneToOne = gZoomX == kZoomOne;
    // Both ends are at least 0: the visible part lies inside the zoomed box.
    SourceStep rowStep(rLo, gZoomY);
    for (int64_t r = rLo; r < rHi; ++r, rowStep.Next()) {
        const int64_t want = rowStep.value;
        for (; rowIndex < want; ++rowIndex) {
            const uint16_t length = RowBytes(row);
            if (length == 0) return;
            row += length;
        }
        if (RowBytes(row) == 0) return;
        const int64_t sy = z.flip ? z.top + z.height - 1 - r : z.top + r;
        const int64_t lean = ShearOf(z.anchorRow) - ShearOf(sy - z.top);
        const int64_t rowLeft = z.left + (z.mirror ? -lean : lean);
        const int64_t xl = std::max(rowLeft, clipLeft), xr = std::min(rowLeft + z.width, clipRight);
        if (xl >= xr) continue;
        // Visible destination columns k, counted from the row's start in the
        // drawing direction.
        const int64_t kLo = z.mirror ? rowLeft + z.width - xr : xl - rowLeft;
        const int64_t kHi = z.mirror ? rowLeft + z.width - xl : xr - rowLeft;
        uint16_t* base = BackPixel(0, static_cast<int32_t>(sy));
        int64_t k = kLo;
        SourceStep column(k, gZoomX);
        int64_t& col = column.value;
        const uint8_t* p = row + 2;
        int64_t c = 0;
        while (k < kHi) {
            const uint16_t word = LoadU16(p);
            p += 2;
            const int n = word & kRunCountMask;
            if (n == 0) break;
            const int64_t e = c + n;
            if ((word & kRunKindMask) == kRunLiteral) {
                if (col < e) {
                    if (oneToOne) {
                        // Columns map one to one: the run's visible part at once.
                        const int64_t count = std::min(e, kHi - k + col) - col;
                        const uint8_t* s = p + 2 * (col - c);
                        if (z.mirror) op.template Run<-1>(base + (rowLeft + z.width - 1 - k), s, static_cast<int>(count));
                        else op.template Run<1>(base + (rowLeft + k), s, static_cast<int>(count));
                        k += count;
                        col = k;
                    } else {
                        for (; k < kHi && col < e; ++k, column.Next()) {
                            uint16_t* d = base + (z.mirror ? rowLeft + z.width - 1 - k : rowLeft + k);
                            *d = static_cast<uint16_t>(op(static_cast<int32_t>(LoadU16(p + 2 * (col - c))), static_cast<int32_t>(*d)));
                        }
                    }
                }
                p += 2 * n;
            } else {
                for (; k < kHi && col < e; ++k, column.Next()) {}
            }
            c = e;
        }
    }
}

// The pixel rules, each for one pixel (int32_t) or four (Lanes), and a run
// of them where columns map one to one.
struct RuleCopy {
    template <class T>
    T operator()(T s, T) const { return s; }
};

template <class Rule>
struct ZoomOp : Rule {
    using Rule::Rule;
    template <int kDir>
    void Run(uint16_t* d, const uint8_t* s, int n) const {
        if constexpr (std::is_same_v<Rule, RuleCopy>) {
            CopyRun<kDir>(d, s, n);
        } else {
            const Rule r = *this;
            EachPixel<kDir>(d, s, n, [r](auto sp, auto dp, int) { return r(sp, dp); });
        }
    }
};
struct RuleAdd {
    PixelTint t = MakePixelTint(gTintRed, gTintGreen, gTintBlue);
    template <class T>
    T operator()(T s, T d) const { return AddThenTintT<T>(s, d, t); }
};
struct RuleBlack {
    template <class T>
    T operator()(T, T) const { return T{}; }
};
struct RuleGrey {
    template <class T>
    T operator()(T, T d) const { return GreyPixelT<T>(d); }
};

template <class Rule, class... Args>
void Zoom(int32_t x, int32_t y, int32_t w, int32_t h, const void* extra, Args... args) {
    SpendOneShot spend;
    WalkZoomed(x, y, w, h, FlagsOf(extra), ZoomOp<Rule>(args...));
}

}  // namespace

void SetZoomFactor(int anchorX, int anchorY, int zoomX, int zoomY, int shear) {
    gZoomAnchorX = anchorX;
    gZoomAnchorY = anchorY;
    gZoomX = HoldFactor(zoomX);
    gZoomY = HoldFactor(zoomY);
    gZoomShear = std::clamp<int32_t>(shear, -kZoomShearMax, kZoomShearMax);
}

void SetZoomSource(int anchorX, int anchorY, int zoomX, int zoomY) { SetZoomFactor(anchorX, anchorY, zoomX, zoomY, 0); }

void ResetZoom() {
    SetZoomSource(0, 0, kZoomOne, kZoomOne);
}

void RenderSpanMode128(int32_t x, int32_t y, int32_t w, int32_t h, const void* extra) { Zoom<RuleCopy>(x, y, w, h, extra); }

void RenderSpanMode132(int32_t x, int32_t y, int32_t w, int32_t h, const void* extra) { Zoom<RuleAdd>(x, y, w, h, extra); }

void RenderSpanMode144(int32_t x, int32_t y, int32_t w, int32_t h, const void* extra) { Zoom<TintRule>(x, y, w, h, extra); }

// Level 0 or below draws nothing; 15 and up copies.
void RenderSpanMode148(int32_t x, int32_t y, int32_t w, int32_t h, const void* extra) {
    const int level = gAlphaLevel;
    if (level <= 0) {
        SpendOneShot spend;
        return;
    }
    if (level >= 15) return Zoom<RuleCopy>(x, y, w, h, extra);
    Zoom<LevelRule>(x, y, w, h, extra, level);
}

void RenderSpanMode164(int32_t x, int32_t y, int32_t w, int32_t h, const void* extra) { Zoom<RuleBlack>(x, y, w, h, extra); }

void RenderSpanMode168(int32_t x, int32_t y, int32_t w, int32_t h, const void* extra) { Zoom<RuleGrey>(x, y, w, h, extra); }

void RenderSpanMode172(int32_t x, int32_t y, int32_t w, int32_t h, const void* extra) { Zoom<SubtractRule>(x, y, w, h, extra); }

// An 8-bit run-length frame at 1:1 through gColourTable (no index is
// transparent here). Mirroring and flipping reflect it in its own box; the
// frame is cut to the clip rectangle on every side. Without a colour table,
// or for a frame of another depth, nothing is drawn.
void RenderSpanMode192(int32_t x, int32_t y, int32_t w, int32_t h, const void* extra) {
    SpendOneShot spend;
    const uint8_t* pic = gCurPic;
    const uint16_t* table = gColourTable;
    if (!table || !pic || !gBackPixels || LoadU16(pic) != kRleMagic || (LoadU16(pic + 6) & 0x7FFF) != 8) return;
    const uint32_t flags = FlagsOf(extra);
    const bool mirror = flags & kFlagMirror, flip = flags & kFlagFlip;
    const int64_t clipTop = gClip.top, clipBottom = int64_t{gClip.top} + gClip.height;
    const int64_t clipLeft = gClip.left, clipRight = int64_t{gClip.left} + gClip.width;
    // Rows are stepped over by their runs: an 8-bit frame's row length word
    // is not checked against its bytes, so it is never trusted here.
    const uint8_t* p = pic + kRleHeaderBytes;
    for (int64_t fr = 0; fr < h; ++fr) {
        if (LoadU16(p) == 0) return;
        p += 2;
        const int64_t sy = flip ? int64_t{y} + h - 1 - fr : int64_t{y} + fr;
        const bool visible = sy >= clipTop && sy < clipBottom;
        uint16_t* base = visible ? BackPixel(0, static_cast<int32_t>(sy)) : nullptr;
        int64_t c = 0;
        for (;;) {
            const uint16_t word = LoadU16(p);
            p += 2;
            const int n = word & kRunCountMask;
            if (n == 0) break;
            if ((word & kRunKindMask) == kRunLiteral) {
                for (int i = 0; visible && i < n; ++i) {
                    const int64_t sx = mirror ? int64_t{x} + w - 1 - (c + i) : int64_t{x} + c + i;
                    if (sx >= clipLeft && sx < clipRight) base[sx] = table[p[i]];
                }
                p += n;
            }
            c += n;
        }
    }
}
