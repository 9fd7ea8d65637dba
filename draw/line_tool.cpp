#include "draw/line_tool.h"

#include <algorithm>
#include <cmath>

#include "base/memory.h"
#include "draw/surface.h"

cLineTool gLineTool;

namespace {

// The factor of the direction table: 3.14 / 180.
constexpr double kDegree = 0.017444444444444446;
constexpr int32_t kFullRows = 768, kFullRowLength = 1280;
constexpr int32_t kDefaultWidth = 640, kDefaultHeight = 480;

// A table of rows entries k x step in a new block, or null.
int32_t* MakeOffsetTable(int32_t step, int32_t rows) {
    if (step <= 0 || rows <= 0 || static_cast<int64_t>(step) * (rows - 1) > INT32_MAX ||
        static_cast<int64_t>(rows) * 4 > INT32_MAX - 16)
        return nullptr;
    auto* table = static_cast<int32_t*>(AllocZero(rows * 4));
    if (!table) return nullptr;
    for (int32_t k = 0; k < rows; ++k) table[k] = k * step;
    return table;
}

}  // namespace

cLineTool::cLineTool() {
    for (int a = 0; a < 90; ++a) {
        dirX_[a] = -1000;
        dirY_[a] = static_cast<int32_t>(-1000.0 * std::tan(a * kDegree));
    }
    dirX_[90] = 0;
    dirY_[90] = -100000;
    for (int a = 91; a < 180; ++a) {
        dirX_[a] = 1000;
        dirY_[a] = dirY_[180 - a];
    }
    dirX_[180] = 100000;
    dirY_[180] = 0;
    for (int a = 181; a < 270; ++a) {
        dirX_[a] = 1000;
        dirY_[a] = -dirY_[a - 180];
    }
    dirX_[270] = 0;
    dirY_[270] = 100000;
    for (int a = 271; a < 360; ++a) {
        dirX_[a] = -1000;
        dirY_[a] = -dirY_[360 - a];
    }
    SetRowTable(kFullRowLength, kFullRows);
    ResizeLineTool(kDefaultWidth, kDefaultHeight);
}

cLineTool::~cLineTool() { FreeLineTool(); }

namespace {

// Replaces a table and its two sizes by one of rows entries k x step. The
// new table is made before the old one goes, so a failure leaves a working
// table whose sizes still describe it.
bool ReplaceTable(int32_t** table, int32_t* step, int32_t* rows, int32_t newStep, int32_t newRows) {
    int32_t* made = MakeOffsetTable(newStep, newRows);
    if (!made) return false;
    FreeMem(*table);
    *table = made;
    *step = newStep;
    *rows = newRows;
    return true;
}

}  // namespace

bool cLineTool::SetRowTable(int32_t rowLength, int32_t rows) {
    return ReplaceTable(&rowTable_, &rowTableWidth_, &rowTableHeight_, rowLength, rows);
}

bool cLineTool::SetViewTable(int32_t width, int32_t height) {
    return ReplaceTable(&viewRowTable_, &viewWidth_, &viewHeight_, width, height);
}

bool cLineTool::ResizeLineTool(int32_t width, int32_t height) {
    if (!SetViewTable(width, height)) return false;
    clipLeft_ = clipTop_ = 0;
    clipRight_ = width;
    clipBottom_ = height;
    return true;
}

void cLineTool::SetTarget(const Surface* surface) {
    if (!surface) return;
    // The view is the surface's rows as they lie in memory.
    ResizeLineTool(surface->pitch / 2, surface->height);
    SetRowTable(kFullRowLength, kFullRows);
}

void cLineTool::SetClip(int32_t x, int32_t y, int32_t width, int32_t height) {
    auto axis = [](int32_t pos, int32_t size, int32_t view, int32_t* lo, int32_t* hi) {
        int64_t p = pos, s = size;
        if (p < 0) {
            s += p;
            p = 0;
        }
        s = std::clamp<int64_t>(s, 0, view);
        if (p + s > view) p = view - s;
        *lo = static_cast<int32_t>(p);
        *hi = static_cast<int32_t>(p + s);
    };
    axis(x, width, viewWidth_, &clipLeft_, &clipRight_);
    axis(y, height, viewHeight_, &clipTop_, &clipBottom_);
}

void cLineTool::FreeBuffer() {
    FreeMem(buffer);
    buffer = nullptr;
}

void cLineTool::FreeLineTool() {
    FreeBuffer();
    FreeMem(viewRowTable_);
    FreeMem(rowTable_);
    viewRowTable_ = nullptr;
    rowTable_ = nullptr;
    viewWidth_ = viewHeight_ = 0;
    rowTableWidth_ = rowTableHeight_ = 0;
}

void cLineTool::StepAngle(AngleWalker* w) const {
    if (!w) return;
    w->angle = NormaliseAngle(w->angle);
    StepRule(dirX_[w->angle], dirY_[w->angle], &w->x, &w->y, &w->steepError, &w->flatError);
}

namespace {

// A turned draw, nearest neighbour: every view pixel of the turned box shows
// the pixel of the unturned scaled picture that the turn brings under its
// centre. Coordinates are kept in half pixels, so box centres and pixel
// centres are whole numbers; cos and sin are taken once, in 1/65536.
void DrawTurned(uint16_t* pixels, const RotatedImage* im, int angle, const int32_t* viewRows, int32_t viewWidth,
                int32_t viewHeight) {
    const int64_t width = im->width, height = im->height;
    const int64_t rows = height * 1024 / im->vStep, columns = width * 1024 / im->hStep;
    if (rows <= 0 || columns <= 0) return;
    const bool mirror = im->flags & kEffectMirror;
    const EffectPut put = MakeEffectPut(im->flags);
    const double radians = angle * 3.14159265358979323846 / 180.0;
    const int64_t c = std::llround(std::cos(radians) * 65536.0), s = std::llround(std::sin(radians) * 65536.0);
    // The unturned box: columns x .. x + columns - 1, rows y + 1 .. y + rows.
    const int64_t centreX2 = 2 * int64_t{im->x} + columns, centreY2 = 2 * (int64_t{im->y} + 1) + rows;
    const int64_t reach = static_cast<int64_t>(std::sqrt(double(columns * columns + rows * rows)) / 2) + 2;
    const int64_t left = std::max<int64_t>(0, centreX2 / 2 - reach), right = std::min<int64_t>(viewWidth - 1, centreX2 / 2 + reach);
    const int64_t top = std::max<int64_t>(0, centreY2 / 2 - reach), bottom = std::min<int64_t>(viewHeight - 1, centreY2 / 2 + reach);
    auto floorDiv = [](int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    for (int64_t py = top; py <= bottom; ++py) {
        const int64_t dy2 = 2 * py + 1 - centreY2;
        uint16_t* dst = pixels + viewRows[py];
        for (int64_t px = left; px <= right; ++px) {
            const int64_t dx2 = 2 * px + 1 - centreX2;
            // Turned back by the angle: where this pixel lies in the unturned box.
            const int64_t u2 = floorDiv(dx2 * c - dy2 * s, 65536), v2 = floorDiv(dx2 * s + dy2 * c, 65536);
            const int64_t k = floorDiv(u2 + columns, 2), r = floorDiv(v2 + rows, 2);
            if (k < 0 || k >= columns || r < 0 || r >= rows) continue;
            const int64_t i = rows - 1 - r;
            const int64_t srcRow = height - 1 - ((i * im->vStep) >> 10);
            int64_t col = (k * im->hStep) >> 10;
            if (mirror) col = width - 1 - col;
            const uint16_t p = im->pixels[srcRow * width + col];
            if (!IsEffectKeyed(p)) PutEffectPixel(dst + px, p, put);
        }
    }
}

}  // namespace

void cLineTool::DrawRotated(uint16_t* pixels, const RotatedImage* im) const {
    // A step of 0 or less has no size to draw at; it would divide by zero.
    if (!pixels || !im || !im->pixels || im->width == 0 || im->height == 0 || im->hStep <= 0 || im->vStep <= 0 ||
        !viewRowTable_)
        return;
    const int angle = im->tint ? NormaliseAngle(im->tint[3]) : 0;
    if (angle != 0) {
        DrawTurned(pixels, im, angle, viewRowTable_, viewWidth_, viewHeight_);
        return;
    }
    const int64_t width = im->width, height = im->height;
    const int64_t rows = height * 1024 / im->vStep, columns = width * 1024 / im->hStep;
    const bool mirror = im->flags & kEffectMirror;
    const EffectPut put = MakeEffectPut(im->flags);
    // Destination row i is screen row y + rows - i; only the rows and
    // columns inside the view are visited.
    const int64_t bottom = static_cast<int64_t>(im->y) + rows;
    const int64_t firstI = std::max<int64_t>(0, bottom - (viewHeight_ - 1));
    const int64_t lastI = std::min<int64_t>(rows - 1, bottom);
    const int64_t firstK = std::max<int64_t>(0, -static_cast<int64_t>(im->x));
    const int64_t lastK = std::min<int64_t>(columns - 1, viewWidth_ - 1 - static_cast<int64_t>(im->x));
    for (int64_t i = firstI; i <= lastI; ++i) {
        const int64_t srcRow = height - 1 - ((i * im->vStep) >> 10);
        const uint16_t* src = im->pixels + srcRow * width;
        uint16_t* dst = pixels + viewRowTable_[bottom - i] + im->x;
        for (int64_t k = firstK; k <= lastK; ++k) {
            int64_t c = (k * im->hStep) >> 10;
            if (mirror) c = width - 1 - c;
            const uint16_t p = src[c];
            if (!IsEffectKeyed(p)) PutEffectPixel(dst + k, p, put);
        }
    }
}
