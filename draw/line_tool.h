// The line tool: a small drawing object with its own view of a 16-bit pixel
// buffer, used by the battle for its effects. It holds a direction table of
// 360 angles, two line walkers, a scaled picture draw with optional additive
// light (DrawRotated) and the particle effect (particles.h), in which a
// picture dissolves into 2x2 particles that fly to a target rectangle.
//
// None of this goes through DrawPic: the caller passes the pixels, which are
// addressed through the tool's view row table and checked pixel by pixel
// against the view size.
#pragma once
#include <cstdint>

#include "draw/colour_ops.h"

struct Surface;
struct ParticleEmitter;

constexpr int kDirections = 360;
// The two reserved colours of the art, compared as stored (not converted):
// pixels of these values are never drawn and never become particles.
constexpr uint16_t kEffectKey = 0x026B;
constexpr uint16_t kEffectShadow = 0x319F;
inline bool IsEffectKeyed(uint16_t p) { return p == kEffectKey || p == kEffectShadow; }

// Flags of a rotated image and of a particle emitter.
constexpr uint16_t kEffectMirror = 0x01;
constexpr uint16_t kEffectAdditive = 0x16;  // any of bits 1, 2 and 4

// A walker from a start point to an end point; it does not stop at the end.
struct LineWalker {
    int32_t startX, startY, endX, endY;
    int32_t x, y;          // current point
    int32_t steepError;    // error term when |dy| > |dx|
    int32_t flatError;     // error term when |dx| > |dy|
};

// A walker along one of the 360 directions (0 left, 90 up, 180 right, 270
// down); an angle outside 0..359 is taken modulo 360.
struct AngleWalker {
    int32_t angle;
    int32_t x, y;
    int32_t steepError, flatError;
};

// A picture drawn scaled, its last row at the bottom, and turned by the
// angle (tint[3], degrees counter-clockwise on screen, taken modulo 360)
// about the centre of its scaled box, nearest neighbour. Without a tint, or
// at angle 0, it is not turned.
struct RotatedImage {
    const uint16_t* pixels;  // raw 16-bit pixels, row after row
    uint16_t width, height;
    int32_t x, y;            // destination
    int32_t hStep, vStep;    // 1/1024 source pixel per destination pixel (1024 = 1:1, 2048 = half size)
    uint16_t flags;          // kEffectMirror, kEffectAdditive
    const int32_t* tint;     // red, green, blue, angle (or null)
};

// The step rule both walkers share: one pixel along (dx, dy). Without a
// short axis, or on a diagonal, the point moves straight; otherwise the long
// axis moves every step and the short one when the error term, grown by the
// short length, passes half the long length.
inline void StepRule(int64_t dx, int64_t dy, int32_t* x, int32_t* y, int32_t* steep, int32_t* flat) {
    const int32_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    const int64_t ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
    if (dx == 0) {
        *y += sy;
    } else if (dy == 0) {
        *x += sx;
    } else if (ax == ay) {
        *x += sx;
        *y += sy;
    } else if (ax < ay) {
        int64_t e = *steep + ax;
        if (e > ay / 2) {
            e -= ay;
            *x += sx;
        }
        *steep = static_cast<int32_t>(e);
        *y += sy;
    } else {
        int64_t e = *flat + ay;
        if (e > ax / 2) {
            e -= ax;
            *y += sy;
        }
        *flat = static_cast<int32_t>(e);
        *x += sx;
    }
}

// One step of a line walker; 1 when the current point equals the end point
// after the step, else 0.
inline int StepLine(LineWalker* w) {
    if (!w) return 0;
    StepRule(static_cast<int64_t>(w->endX) - w->startX, static_cast<int64_t>(w->endY) - w->startY, &w->x, &w->y,
             &w->steepError, &w->flatError);
    return w->x == w->endX && w->y == w->endY ? 1 : 0;
}

// n steps of a line walker at once (none for n of 0 or less): the same
// points and error terms as n calls of StepLine, with the direction worked
// out once.
inline void StepLines(LineWalker* w, int32_t n) {
    if (!w || n <= 0) return;
    const int64_t dx = static_cast<int64_t>(w->endX) - w->startX, dy = static_cast<int64_t>(w->endY) - w->startY;
    const int32_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    const int64_t ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
    if (dx == 0 || dy == 0 || ax == ay) {
        for (int32_t i = 0; i < n; ++i) StepRule(dx, dy, &w->x, &w->y, &w->steepError, &w->flatError);
        return;
    }
    // The long axis moves every step, the short one when the error passes
    // half the long length; the error is kept in 32 bits between steps.
    const bool steep = ax < ay;
    const int64_t shortLength = steep ? ax : ay, longLength = steep ? ay : ax, half = longLength / 2;
    int32_t& error = steep ? w->steepError : w->flatError;
    int32_t& along = steep ? w->y : w->x;
    int32_t& across = steep ? w->x : w->y;
    const int32_t alongStep = steep ? sy : sx, acrossStep = steep ? sx : sy;
    // Without branches: whether the short axis moves is as good as random.
    int32_t e32 = error, c = across;
    for (int32_t i = 0; i < n; ++i) {
        const int64_t e = int64_t{e32} + shortLength;
        const int64_t moves = -static_cast<int64_t>(e > half);
        e32 = static_cast<int32_t>(e - (longLength & moves));
        c += acrossStep & static_cast<int32_t>(moves);
    }
    error = e32;
    along += alongStep * n;
    across = c;
}

class cLineTool {
public:
    cLineTool();
    ~cLineTool();
    cLineTool(const cLineTool&) = delete;
    cLineTool& operator=(const cLineTool&) = delete;

    // The view becomes the surface's row length / 2 by its height, with a
    // matching view row table and clip; the row table is rebuilt for 1280x768.
    void SetTarget(const Surface* surface);
    // View size, view row table and clip. False (nothing changed) when the
    // size is not positive or the table cannot be allocated.
    bool ResizeLineTool(int32_t width, int32_t height);
    // Both tables: entry k = k x rowLength (or k x width). On a size that is
    // not positive or a failed allocation they keep their old contents and
    // sizes and the call returns false.
    bool SetRowTable(int32_t rowLength, int32_t rows);
    bool SetViewTable(int32_t width, int32_t height);
    // Negative corners are raised to 0 and the size shrinks; a rectangle
    // past the view's right or bottom edge moves back to end there.
    void SetClip(int32_t x, int32_t y, int32_t width, int32_t height);
    void FreeLineTool();
    void FreeBuffer();

    void StepAngle(AngleWalker* walker) const;
    void DrawRotated(uint16_t* pixels, const RotatedImage* image) const;
    // Advances and draws an emitter once; 1 when the effect has ended.
    int UpdateParticles(uint16_t* pixels, ParticleEmitter* emitter) const;

    int32_t DirX(int angle) const { return dirX_[NormaliseAngle(angle)]; }
    int32_t DirY(int angle) const { return dirY_[NormaliseAngle(angle)]; }
    static int NormaliseAngle(int angle) { return ((angle % kDirections) + kDirections) % kDirections; }

    int32_t viewWidth() const { return viewWidth_; }
    int32_t viewHeight() const { return viewHeight_; }
    int32_t rowTableWidth() const { return rowTableWidth_; }
    int32_t rowTableHeight() const { return rowTableHeight_; }
    const int32_t* rowTable() const { return rowTable_; }
    const int32_t* viewRowTable() const { return viewRowTable_; }
    int32_t clipLeft() const { return clipLeft_; }
    int32_t clipTop() const { return clipTop_; }
    int32_t clipRight() const { return clipRight_; }
    int32_t clipBottom() const { return clipBottom_; }
    void* buffer = nullptr;  // an extra block (AllocZero) freed by FreeBuffer

    // The pixel of the view at (x, y), or null outside the view.
    uint16_t* ViewPixel(uint16_t* pixels, int32_t x, int32_t y) const {
        if (x < 0 || y < 0 || x >= viewWidth_ || y >= viewHeight_ || !viewRowTable_) return nullptr;
        return pixels + viewRowTable_[y] + x;
    }

private:
    int32_t dirX_[kDirections];
    int32_t dirY_[kDirections];
    int32_t* rowTable_ = nullptr;
    int32_t* viewRowTable_ = nullptr;
    int32_t rowTableWidth_ = 0, rowTableHeight_ = 0;
    int32_t viewWidth_ = 0, viewHeight_ = 0;
    int32_t clipLeft_ = 0, clipTop_ = 0, clipRight_ = 0, clipBottom_ = 0;
};

// The tool the battle's effects draw with, for the whole run.
extern cLineTool gLineTool;

// How an effect puts its pixels: copied, or added as light (each field
// saturating, as BlendPixels adds).
struct EffectPut {
    bool additive;
    PixelTint light;  // a zero tint: the pixel as it is
};
inline EffectPut MakeEffectPut(uint16_t flags) { return {(flags & kEffectAdditive) != 0, MakePixelTint(0, 0, 0)}; }
inline void PutEffectPixel(uint16_t* dst, uint16_t src, const EffectPut& put) {
    *dst = put.additive ? static_cast<uint16_t>(AddTintedT<int32_t>(src, *dst, put.light)) : src;
}
