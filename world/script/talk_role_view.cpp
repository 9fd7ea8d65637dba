// Talk instructions on the view: camera scrolls and their waits, the camera
// and map-drawing switches, the screen shake, the colour tint and the
// spotlight's focus point. The state is the map renderer's own; these
// handlers set it and wait on it, and every wait ends: a scroll's steps never
// pass its goal, a tint without change or frames ends at once, and a focus
// nothing steps is put on its target.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/errorbox.h"
#include "draw/draw_kernel.h"
#include "draw/surface.h"
#include "world/map/map.h"
#include "world/map/map_effects.h"
#include "world/map/map_render.h"
#include "world/script/talk_role.h"
#include "world/script/talk_role_common.h"
#include "world/script/talk_role_texts.h"
#include "world/story_flags.h"

using namespace talk_role;

namespace {

constexpr int32_t kDefaultScrollStep = 4;
constexpr size_t kMaxShakeValues = 56;
constexpr int32_t kTintLimit = 31;
constexpr int kFlagSpotlight = 19;              // the spotlight overlay steps the focus point
constexpr int kFlagNoMapEffects = 72;           // ... unless the map effects are off
constexpr uint32_t kViewWaitFrames = 3000;      // a view wait gives up after this

int32_t StepFor(int32_t remain, uint16_t word, const char* text) {
    if (remain == 0) return 0;
    int32_t step = std::abs(int32_t(int16_t(word)));
    if (step == 0 || remain % step != 0) {
        ErrorBox(kCapScroll, text, int(int16_t(word)));
        step = kDefaultScrollStep;
    }
    return remain < 0 ? -step : step;
}

// Keeps the camera's move inside the map: the remainder is cut so that the
// camera's left (top) stays within 0 .. map extent - view.
int32_t ClipAxis(int32_t low, int32_t remain, uint32_t cells, int32_t view) {
    if (remain == 0) return 0;
    const int64_t high = std::max<int64_t>(0, int64_t(cells) * kCellPixels - view);
    const int64_t moved = std::clamp<int64_t>(int64_t(low) + remain, 0, high) - low;
    // A camera already outside the range is never turned around.
    return (moved < 0) == (remain < 0) ? int32_t(moved) : 0;
}

void StartScroll(int32_t cellsX, int32_t cellsY, uint16_t stepX, uint16_t stepY, const uint16_t words[4]) {
    CameraScroll& s = gCameraScroll;
    if (s.remainX != 0 || s.remainY != 0) ErrorBox(kCapScroll, "%s", kTextScrollRunning);
    int32_t rx = cellsX * kCellPixels, ry = cellsY * kCellPixels;
    const int32_t cx = ClipAxis(gCamera.left, rx, gMap.width, kViewWidth);
    const int32_t cy = ClipAxis(gCamera.top, ry, gMap.height, kViewHeight);
    if (cx != rx || cy != ry) {
        ErrorBox(kCapScroll, kTextScrollClip, int(words[0]), int(words[1]), int(words[2]), int(words[3]),
                 gCamera.left / kCellPixels, gCamera.top / kCellPixels, gCamera.right / kCellPixels,
                 gCamera.bottom / kCellPixels);
    }
    s.stepX = StepFor(rx, stepX, kTextScrollStepX);
    s.stepY = StepFor(ry, stepY, kTextScrollStepY);
    s.remainX = cx;
    s.remainY = cy;
    if (cx == 0) s.stepX = 0;
    if (cy == 0) s.stepY = 0;
}

// 0x32 by cells, 0x46 to a cell.
TalkStep Scroll(TalkInstr& in) {
    ByteReader o = in.Operands();
    uint16_t w[4];
    for (uint16_t& v : w) v = o.u16();
    int32_t dx = int16_t(w[0]), dy = int16_t(w[1]);
    if (in.op == 0x46) {
        dx -= gCamera.left / kCellPixels;
        dy -= gCamera.top / kCellPixels;
    }
    StartScroll(dx, dy, w[2], w[3], w);
    return TalkStep::kContinue;
}

// 0x49: to the view around a role.
TalkStep ScrollToRole(TalkInstr& in) {
    ByteReader o = in.Operands();
    uint16_t w[4] = {};
    for (int k = 0; k < 3; ++k) w[k] = o.u16();
    uint32_t i = 0;
    if (!OnMap(w[0], &i)) return TalkStep::kContinue;
    Camera rect{};
    ViewRectAt(gRole[i].x, gRole[i].y, &rect);
    StartScroll((rect.left - gCamera.left) / kCellPixels, (rect.top - gCamera.top) / kCellPixels, w[1], w[2], w);
    return TalkStep::kContinue;
}

bool ScrollDone() { return gCameraScroll.remainX == 0 && gCameraScroll.remainY == 0; }

// 0x33: the renderer never moves past a remainder, so the wait ends when both
// are 0; the steps are cleared then.
TalkStep WaitScroll(TalkInstr& in) {
    if (!ScrollDone() && !WaitedTooLong(in, kViewWaitFrames)) return TalkStep::kWait;
    WaitEnded();
    gCameraScroll = {};
    return TalkStep::kContinue;
}

// 0xBF: until the scroll ends or the camera's top reaches (or passes) y.
TalkStep WaitScrollY(TalkInstr& in) {
    const int32_t y = int16_t(in.Operands().u16());
    const int32_t top = gCamera.top, step = gCameraScroll.stepY;
    const bool reached = top == y || (step > 0 && top > y) || (step < 0 && top < y);
    if (!ScrollDone() && !reached && !WaitedTooLong(in, kViewWaitFrames)) return TalkStep::kWait;
    WaitEnded();
    return TalkStep::kContinue;
}

TalkStep ViewSwitch(TalkInstr& in) {
    switch (in.op) {
    case 0x5E: gViewFlags |= kViewNoRecentre; break;
    case 0x5F: gViewFlags &= ~kViewNoRecentre; break;
    case 0x3C: gViewFlags &= ~kViewMapChange; break;
    default: { // 0x3D: a black screen and no map drawing
        gViewFlags |= kViewMapChange;
        if (uint16_t* pixels = gBackBuffer ? LockBackBuffer(gBackBuffer) : nullptr) {
            for (int32_t y = 0; y < kViewHeight && y < gScreenHeight; ++y)
                std::memset(reinterpret_cast<uint8_t*>(pixels) + gRowOffsets[y], 0,
                            size_t(std::min<int32_t>(kViewWidth, gScreenWidth)) * 2);
            UnlockBackBuffer(gBackBuffer, pixels);
        }
        break;
    }
    }
    return TalkStep::kYield;
}

// 0x3F: a table of more than 56 values is refused once and ends the talk.
TalkStep Shake(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t period = o.u16();
    int16_t values[kMaxShakeValues];
    size_t n = 0;
    for (uint16_t v = o.u16(); o.ok() && v != kTalkListEnd; v = o.u16()) {
        if (n == kMaxShakeValues) {
            ErrorBox(kCapShake, "%s", kTextShakeTooLong);
            return TalkStep::kFail;
        }
        values[n++] = int16_t(v);
    }
    SetShakeTable(values, n, int32_t(period));
    gShake.baseLeft = gCamera.left;
    gShake.baseTop = gCamera.top;
    return TalkStep::kContinue;
}

TalkStep ShakeOff(TalkInstr&) {
    StopShake();
    return TalkStep::kContinue;
}

bool TintStill() {
    const ScreenTint& t = gScreenTint;
    return t.rate[0] == 0 && t.rate[1] == 0 && t.rate[2] == 0;
}

// 0x34: from the start colour to the target in `frames` steps. Without
// frames the target is taken at once.
TalkStep Tint(TalkInstr& in) {
    ByteReader o = in.Operands();
    int32_t v[7];
    for (int32_t& x : v) x = int16_t(o.u16());
    ScreenTint& t = gScreenTint;
    const int32_t frames = v[6];
    for (int c = 0; c < 3; ++c) {
        const int32_t from = std::clamp(v[c], -kTintLimit, kTintLimit);
        const int32_t to = std::clamp(v[3 + c], -kTintLimit, kTintLimit);
        t.value[c] = float(frames > 0 ? from : to);
        t.rate[c] = frames > 0 ? float(to - from) / float(frames) : 0.0f;
        t.nextRate[c] = 0;
    }
    t.counter = frames > 0 && !TintStill() ? frames : 0;
    return TalkStep::kContinue;
}

// 0x35: a tint that does not change is done (the renderer counts only a
// changing one down).
TalkStep WaitTint(TalkInstr& in) {
    if (gScreenTint.counter > 0 && !TintStill() && !WaitedTooLong(in, kViewWaitFrames)) return TalkStep::kWait;
    WaitEnded();
    return TalkStep::kContinue;
}

TalkStep TintOff(TalkInstr&) {
    ScreenTint& t = gScreenTint;
    for (int c = 0; c < 3; ++c) t.rate[c] = t.nextRate[c] = 0;
    t.counter = 0;
    return TalkStep::kContinue;
}

// 0x96: the focus point on a cell, kept inside the middle of the view.
TalkStep Focus(TalkInstr& in) {
    ByteReader o = in.Operands();
    const int32_t cx = int16_t(o.u16()), cy = int16_t(o.u16());
    Weather& w = gWeather;
    w.spotX = w.spotTargetX = std::clamp(cx * kCellPixels, 208, 432);
    w.spotY = w.spotTargetY = std::clamp(cy * kCellPixels, 208, 272);
    w.spotStepX = w.spotStepY = 0;
    return TalkStep::kYield;
}

// A step that points toward the target (0 takes the target at once).
int32_t TowardTarget(int32_t from, int32_t to, int32_t step) {
    const int32_t mag = std::abs(step);
    return to >= from ? mag : -mag;
}

// 0x97: the focus point glides to a cell.
TalkStep FocusTo(TalkInstr& in) {
    ByteReader o = in.Operands();
    const int32_t cx = int16_t(o.u16()), cy = int16_t(o.u16()), sx = int16_t(o.u16()), sy = int16_t(o.u16());
    Weather& w = gWeather;
    w.spotTargetX = cx * kCellPixels;
    w.spotTargetY = cy * kCellPixels;
    w.spotStepX = TowardTarget(w.spotX, w.spotTargetX, sx);
    w.spotStepY = TowardTarget(w.spotY, w.spotTargetY, sy);
    return TalkStep::kYield;
}

// 0x98: the spotlight overlay steps the focus and never passes the target;
// without the overlay (flag 19 off, or the map effects off) nothing steps
// it, so it is put on the target.
TalkStep WaitFocus(TalkInstr& in) {
    Weather& w = gWeather;
    const bool there = w.spotX == w.spotTargetX && w.spotY == w.spotTargetY;
    const bool stepped = IsFlag(kFlagSpotlight) && !IsFlag(kFlagNoMapEffects);
    if (!there && stepped && !WaitedTooLong(in, kViewWaitFrames)) return TalkStep::kWait;
    WaitEnded();
    w.spotX = w.spotTargetX;
    w.spotY = w.spotTargetY;
    w.spotStepX = w.spotStepY = 0;
    return TalkStep::kYield;
}

} // namespace

namespace talk_role {

void RegisterViewOps(TalkHandler* t) {
    t[0x32] = t[0x46] = Scroll;
    t[0x49] = ScrollToRole;
    t[0x33] = WaitScroll;
    t[0xBF] = WaitScrollY;
    t[0x5E] = t[0x5F] = t[0x3C] = t[0x3D] = ViewSwitch;
    t[0x3F] = Shake;
    t[0x40] = ShakeOff;
    t[0x34] = Tint;
    t[0x35] = WaitTint;
    t[0x4A] = TintOff;
    t[0x96] = Focus;
    t[0x97] = FocusTo;
    t[0x98] = WaitFocus;
}

} // namespace talk_role
