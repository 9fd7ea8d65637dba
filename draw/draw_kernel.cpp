#include "draw/draw_kernel.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "draw/colour_ops.h"
#include "draw/raw_render.h"
#include "draw/scaled_render.h"
#include "draw/span_render.h"
#include "draw/sprite_fx_render.h"
#include "draw/zoom_render.h"
#include "draw/surface.h"

int32_t gScreenWidth = 640;
int32_t gScreenHeight = 480;
int32_t gScreenPitch = 1280;
uint32_t gRowOffsets[kRowOffsetCount];
uint16_t* gBackPixels;
int32_t gPitchPixels;
ClipRect gClip;

BlendFn gBlendTable[kBlendSlots];

const uint8_t* gCurPic;
const uint16_t* gColourTable;
int32_t gAlphaLevel;
int32_t gScaleHeight;
int32_t gShear;
int32_t gTintRed, gTintGreen, gTintBlue;
int32_t gWaveIndex;
int32_t gWavePhase;
int32_t gWaveTable[kWaveWindows][kWaveEntries];

SpanState gSpan;
int32_t gRowStep;

namespace {

// The slots nobody fills (a flipped mode 4, a flipped raw frame, the modes
// still to come) draw nothing instead of calling through a null pointer.
void RenderNothing(int32_t, int32_t, int32_t, int32_t, const void*) {}

void ResetOneShot() {
    gAlphaLevel = 0;
    gScaleHeight = 0;
    gShear = 0;
    gTintRed = 0;
    gTintGreen = 0;
    gTintBlue = 0;
}

void FillRowOffsets() {
    for (int k = 0; k < kRowOffsetCount; ++k) gRowOffsets[k] = static_cast<uint32_t>(k) * static_cast<uint32_t>(gScreenPitch);
}

struct Slot {
    int slot;
    BlendFn fn;
};

const Slot kSlots[] = {
    {0, RenderSpanMode0},   {2, RenderSpanMode0},   {1, RenderSpanMode1},   {3, RenderSpanMode1},
    {4, RenderSpanMode4},   {5, RenderSpanMode5},   {8, RenderSpanMode8},   {9, RenderSpanMode9},
    {16, RenderSpanMode16}, {17, RenderSpanMode17}, {20, RenderSpanMode20}, {22, RenderSpanMode20},
    {21, RenderSpanMode21}, {23, RenderSpanMode21}, {24, RenderSpanMode24}, {25, RenderSpanMode25},
    {12, RenderSpanMode12}, {14, RenderSpanMode12}, {13, RenderSpanMode13}, {15, RenderSpanMode13},
    {32, RenderSpanMode32}, {33, RenderSpanMode33}, {36, RenderSpanMode36}, {38, RenderSpanMode36},
    {37, RenderSpanMode37}, {39, RenderSpanMode37}, {40, RenderSpanMode40}, {42, RenderSpanMode40},
    {41, RenderSpanMode41}, {43, RenderSpanMode41}, {44, RenderSpanMode44}, {45, RenderSpanMode45},
    {48, RenderSpanMode48}, {50, RenderSpanMode48}, {49, RenderSpanMode49}, {51, RenderSpanMode49},
    {128, RenderSpanMode128}, {132, RenderSpanMode132}, {144, RenderSpanMode144}, {148, RenderSpanMode148},
    {164, RenderSpanMode164}, {168, RenderSpanMode168}, {172, RenderSpanMode172}, {192, RenderSpanMode192},
    {28, RenderSpanMode28}, {64, RenderSpanMode64}, {65, RenderSpanMode65}, {68, RenderSpanMode68},
    {69, RenderSpanMode69}, {72, RenderSpanMode72}, {84, RenderSpanMode84},
};

// Vertical clipping of an unscaled draw; false when nothing is left.
bool ClipRows(int64_t& y, int64_t h) {
    const int64_t top = gClip.top, bottom = static_cast<int64_t>(gClip.top) + gClip.height;
    int64_t rows = h;
    gSpan.topSkip = 0;
    gSpan.bottomOver = 0;
    if (y < top) {
        rows = h - (top - y);
        if (rows <= 0) return false;
        gSpan.topSkip = static_cast<int32_t>(top - y);
        y = top;
    }
    if (y + rows >= bottom) {
        gSpan.bottomOver = static_cast<int32_t>(y + rows - bottom);
        rows = bottom - y;
        if (rows <= 0) return false;
    }
    gSpan.rows = static_cast<int32_t>(rows);
    return true;
}

// Largest target height of a scaled draw; a taller one draws nothing.
constexpr int64_t kMaxScaleRows = 16384;

// Vertical clipping of a scaled draw (modes 12 and 13): rows are screen rows
// of the target height; the renderer steps the frame rows itself. Its rows
// lie at y + 1 to y + H; the renderer places each of them itself, so the
// draw is refused only when none of them is inside the clip.
bool ClipScaledRows(int64_t& y, int64_t h) {
    const int64_t target = gScaleHeight;
    const int64_t top = gClip.top, bottom = static_cast<int64_t>(gClip.top) + gClip.height;
    if (target > kMaxScaleRows) return false;
    if (std::max(y + 1, top) > std::min(y + target, bottom - 1)) return false;
    if (target > h) {
        gSpan.vStep = static_cast<int32_t>(h * 1024 / target);
        gSpan.enlarging = true;
    } else {
        gSpan.vStep = static_cast<int32_t>(h * 1024 / target - 1024);
        gSpan.enlarging = false;
    }
    gSpan.scaleRows = static_cast<int32_t>(target);
    int64_t rows = target;
    gSpan.topSkip = 0;
    gSpan.bottomOver = 0;
    if (y < top) {
        rows = target - (top - y) - 1;
        gSpan.topSkip = static_cast<int32_t>(top - y);
        y = top;
    }
    if (y + rows >= bottom) {
        gSpan.bottomOver = static_cast<int32_t>(y + rows - bottom);
        rows = bottom - y - 1;
    }
    gSpan.rows = static_cast<int32_t>(std::max<int64_t>(rows, 1));
    if (gShear == 0) gShear = 1;  // a scaled draw always leans
    return true;
}

bool ClipColumns(int64_t& x, int64_t w) {
    const int64_t left = gClip.left, right = static_cast<int64_t>(gClip.left) + gClip.width;
    int64_t columns = w;
    gSpan.leftSkip = 0;
    if (x < left) {
        columns = w - (left - x);
        if (columns <= 0) return false;
        gSpan.leftSkip = static_cast<int32_t>(left - x);
        x = left;
    }
    if (x + columns >= right) {
        columns = right - x;
        if (columns <= 0) return false;
    }
    gSpan.columns = static_cast<int32_t>(columns);
    return true;
}

void DrawOrdinary(int32_t x0, int32_t y0, int32_t w, int32_t h, uint32_t flags, const void* extra) {
    if ((flags & kModeBits) == 20) {
        if (gAlphaLevel <= 0) return;
        if (gAlphaLevel >= 16) flags &= kFlagRle | kFlagMirror | kFlagFlip;
    }
    const bool rle = (flags & kFlagRle) != 0;
    // Raw frames are never scaled: their renderers read one source row per
    // screen row and would run past the frame.
    const bool scaled = rle && gScaleHeight > 0;
    int64_t x = x0, y = y0;
    // Nothing of an earlier scaled draw carries over into this one.
    gSpan.vStep = 0;
    gSpan.enlarging = false;
    gSpan.scaleRows = 0;
    gSpan.picY = y0;
    if (!(scaled ? ClipScaledRows(y, h) : ClipRows(y, h))) return;
    gSpan.shearStep = 0;
    gSpan.shearDir = 1;
    if (gShear != 0) {
        gSpan.shearDir = gShear > 0 ? -1 : 1;
        const int64_t over = scaled ? gScaleHeight : h;
        gSpan.shearStep = static_cast<int32_t>(std::llabs(static_cast<int64_t>(gShear)) * 1024 / over);
    }
    gSpan.picX = x0;
    if (!ClipColumns(x, w)) return;
    gSpan.x = static_cast<int32_t>(x);
    gSpan.y = static_cast<int32_t>(y);
    gSpan.clipLeft = gClip.left;
    gSpan.clipRight = gClip.left + gClip.width;
    gSpan.scratch = gScreenPitch - 2 * gSpan.columns;
    gSpan.firstRow = BackPixel(gSpan.x, gSpan.y);
    gRowStep = gScreenPitch;
    if (flags & kFlagFlip) {
        gRowStep = -gScreenPitch;
        gSpan.topSkip = gSpan.bottomOver;
        gSpan.firstRow = BackPixel(gSpan.x, gSpan.y + gSpan.rows - 1);
    }
    gSpan.rawSrc = nullptr;
    if (!rle) {
        if (flags & kFlagMirror) gSpan.leftSkip = w - 1 - gSpan.leftSkip;
        const size_t pixel = gColourTable ? 1 : 2;
        gSpan.rawSrc = gCurPic + (static_cast<size_t>(gSpan.topSkip) * w + gSpan.leftSkip) * pixel;
    }
    const uint32_t slot = (flags & (kModeBits | kFlagMirror | kFlagFlip)) + (rle ? 0 : 64);
    if (BlendFn fn = gBlendTable[slot]) fn(gSpan.x, gSpan.y, w, h, extra);
}

}  // namespace

void FillBlendTable() {
    for (BlendFn& fn : gBlendTable) {
        if (!fn) fn = RenderNothing;
    }
    for (const Slot& s : kSlots) gBlendTable[s.slot] = s.fn;
}

int SetupPixelFormat(Surface* surface, int format) {
    if (surface) {
        uint16_t* pixels = nullptr;
        int pitch = 0;
        if (!LockSurface(surface, &pixels, &pitch)) return 0;
        UnlockSurface(surface);
        if (!pixels || surface->height > kRowOffsetCount || pitch < surface->width * 2) return 0;
        gScreenWidth = surface->width;
        gScreenHeight = surface->height;
        gScreenPitch = pitch;
    }
    const RgbMasks masks = MasksOfFormat(format);
    SetPixelMasks(masks.red, masks.green, masks.blue);
    gTintRed = gTintGreen = gTintBlue = 0;
    return 1;
}

int InitDrawKernel(Surface* surface, int format) {
    if (!SetupPixelFormat(surface, format)) return 0;
    gClip = {0, 0, gScreenWidth, gScreenHeight};
    FillRowOffsets();
    FillWaveTable();
    FillBlendTable();
    return 1;
}

void ResetDrawKernel() {
    gScreenWidth = 640;
    gScreenHeight = 480;
    gScreenPitch = 1280;
    FillRowOffsets();
    gBackPixels = nullptr;
    gPitchPixels = 0;
    gClip = {0, 0, gScreenWidth, gScreenHeight};
    std::fill(std::begin(gBlendTable), std::end(gBlendTable), nullptr);
    gCurPic = nullptr;
    gColourTable = nullptr;
    ResetOneShot();
    gWaveIndex = 0;
    gWavePhase = 0;
    gSpan = {};
    gRowStep = 0;
    gRefractCount = 0;
    ResetZoom();
    ResetPixelFormat();
    FillWaveTable();
}

uint16_t* LockBackBuffer(Surface* surface) {
    uint16_t* pixels = nullptr;
    int pitch = 0;
    if (!LockSurface(surface, &pixels, &pitch)) return nullptr;
    gPitchPixels = pitch >> 1;
    return pixels;
}

int UnlockBackBuffer(Surface* surface, uint16_t*) {
    if (!surface) return -1;
    UnlockSurface(surface);
    return 0;
}

int SetClipRect(const int32_t* rect) {
    if (!rect) return 0;
    const int32_t left = rect[0], top = rect[1], right = rect[2], bottom = rect[3];
    if (left < 0 || top < 0 || right > gScreenWidth || bottom > gScreenHeight) return 0;
    gClip = {left, top, right - left, bottom - top};
    return 1;
}

int SetClip(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    const int32_t rect[4] = {std::max(left, 0), std::max(top, 0), std::min(right, gScreenWidth),
                             std::min(bottom, gScreenHeight)};
    SetClipRect(rect);
    return 1;
}

void DrawPic(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t flags, const void* extra) {
    // A 16-bit picture says itself whether it is run-length data: a caller's
    // stale run-length bit on a raw frame would walk its pixels as runs. An
    // 8-bit raw frame may be a single byte, so only 16-bit data is peeked at.
    if (gCurPic && !gColourTable)
        flags = LoadU16(gCurPic) == gRleMagic ? (flags | kFlagRle) : (flags & ~kFlagRle);
    const uint32_t extended = flags & kExtendedBits;
    if (extended >= kFirstExtendedSlot) {
        // Slots past the table (stray high bits) draw nothing.
        if (gCurPic && w > 0 && h > 0 && extended < kBlendSlots && gBlendTable[extended]) {
            const ExtendedArgs args{flags, extra};
            gBlendTable[extended](x, y, w, h, &args);
        }
        return;
    }
    if (gCurPic && w > 0 && h > 0 && gBackPixels) DrawOrdinary(x, y, w, h, flags, extra);
    ResetOneShot();
}

void DrawOutlined(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t flags, const void* extra) {
    // The outline is always mode 36: a mode already in the flags is replaced,
    // not OR-ed into another mode.
    const uint32_t outline = (flags & ~kExtendedBits) | 36;
    DrawPic(x + 1, y + 1, w, h, outline, extra);
    DrawPic(x - 1, y - 1, w, h, outline, extra);
    DrawPic(x - 1, y + 1, w, h, outline, extra);
    DrawPic(x + 1, y - 1, w, h, outline, extra);
}

bool HitTestFrame(const PicFrame* frame, int32_t x, int32_t y, uint16_t* pixel) {
    if (!frame || y >= frame->height) return false;
    if (pixel) *pixel = 0;
    if (!frame->data) return false;
    return RleLookup(frame->data, frame->size, x, y, pixel) == 1;
}

namespace {

bool TileInside(int32_t x, int32_t y) {
    return gCurPic && gBackPixels && x >= 0 && y >= 0 && x <= gScreenWidth - 16 && y <= gScreenHeight - 16;
}

}  // namespace

void DrawTile16(int32_t x, int32_t y) {
    if (!TileInside(x, y)) return;
    for (int r = 0; r < 16; ++r) std::memcpy(BackPixel(x, y + r), gCurPic + r * 32, 32);
}

void DrawTile16Keyed(int32_t x, int32_t y) {
    if (!TileInside(x, y)) return;
    // Four pixels at a time, the key test as a mask: tiles mix key and
    // colour pixels too finely for a branch per pixel.
    const Lanes key = Lanes{} + static_cast<int32_t>(gColourKey & 0xFFFF);
    for (int r = 0; r < 16; ++r) {
        uint16_t* d = BackPixel(x, y + r);
        const uint8_t* s = gCurPic + r * 32;
        for (int i = 0; i < 16; i += kLaneCount) {
            const Lanes sv = LoadLanes(s + 2 * i);
            StoreLanes(d + i, Select<Lanes>(MaskEq(sv, key), LoadLanes(d + i), sv));
        }
    }
}

void DrawTile8(int32_t x, int32_t y) {
    if (!TileInside(x, y) || !gColourTable) return;
    for (int r = 0; r < 16; ++r) {
        uint16_t* d = BackPixel(x, y + r);
        const uint8_t* s = gCurPic + r * 16;
        for (int i = 0; i < 16; ++i) d[i] = gColourTable[s[i]];
    }
}

void DrawTile8Keyed(int32_t x, int32_t y) {
    if (!TileInside(x, y) || !gColourTable) return;
    for (int r = 0; r < 16; ++r) {
        uint16_t* d = BackPixel(x, y + r);
        const uint8_t* s = gCurPic + r * 16;
        for (int i = 0; i < 16; ++i) {
            if (s[i] != kIndexKey) d[i] = gColourTable[s[i]];
        }
    }
}
