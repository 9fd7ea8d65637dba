#include "battle/screen/battle_tint.h"

#include <algorithm>

#include "base/errorbox.h"
#include "battle/battle_state.h"
#include "battle/role/roles.h"
#include "draw/colour_ops.h"
#include "draw/draw_kernel.h"

BattleTint gBattleTint;
int32_t gTintFadeBack;
int32_t gPanMode;
uint16_t gPanSide;
int32_t gPanRoleId;
int16_t gPanTargetX;
int32_t gPanStep;
int16_t gViewOffsetX;
int32_t gPanEnabled;

namespace {

// An offset truncated toward zero. Anything past a whole field saturates
// alike, so the value is bounded first: a float beyond the int range (or not
// a number) has no defined truncation.
int Truncated(float v) {
    if (!(v == v)) return 0;
    return static_cast<int>(std::clamp(v, -1024.0f, 1024.0f));
}

bool AllStepsZero(const BattleTint& t) { return t.step[0] == 0.0f && t.step[1] == 0.0f && t.step[2] == 0.0f; }

void ApplyTint(const BattleTint& t) {
    if (!gBackPixels) return;
    const int width = std::min(gScreenWidth, kBattleFieldWidth);
    const int rows = std::min(gScreenHeight, kBattleFieldHeight);
    const int r = Truncated(t.current[0]), g = Truncated(t.current[1]), b = Truncated(t.current[2]);
    for (int y = 0; y < rows; ++y) AddRgbToPixels(BackPixel(0, y), width, r, g, b);
}

}  // namespace

void StartBattleTint(float r0, float g0, float b0, float r1, float g1, float b1, int frames) {
    // The frame count comes from act data; 0 would divide by zero and a
    // negative count would end the ramp before it began.
    if (frames < 1) return;
    BattleTint& t = gBattleTint;
    const float start[3] = {r0, g0, b0}, target[3] = {r1, g1, b1};
    for (int c = 0; c < 3; ++c) {
        t.current[c] = start[c];
        t.target[c] = target[c];
        t.step[c] = (target[c] - static_cast<float>(Truncated(start[c]))) / static_cast<float>(frames);
    }
    t.framesLeft = frames;
}

void StepBattleTint(int countDown) {
    BattleTint& t = gBattleTint;
    // Steps of 0 after a ramp has run out mean its target was zero: nothing
    // is applied any more. A ramp still running counts its frames even when
    // its start equals its target, so it applies its value and ends.
    if (AllStepsZero(t) && t.framesLeft < 0) return;
    bool over = t.framesLeft < 0;
    if (countDown != 0 && !over) {
        --t.framesLeft;
        over = t.framesLeft < 0;
    }
    if (!over) {
        for (int c = 0; c < 3; ++c) t.current[c] += t.step[c];
    } else {
        for (int c = 0; c < 3; ++c) t.step[c] = t.target[c];
    }
    ApplyTint(t);
}

void FadeBackBattleTint() {
    if (gTintFadeBack != 1 || gBattleTint.framesLeft > 0) return;
    const BattleTint& t = gBattleTint;
    StartBattleTint(t.target[0], t.target[1], t.target[2], 0, 0, 0, kTintFadeBackFrames);
    gTintFadeBack = 0;
}

void StartViewFollow(uint16_t side) {
    gPanMode = kPanFollow;
    gPanSide = side;
}

void StartViewRecentre(uint16_t side) {
    gPanMode = kPanRecentre;
    gPanSide = side;
}

int PanBattleView(int roleIndex, int16_t targetX, uint16_t side) {
    if (gPanEnabled == 0) return 0;
    int aim = 0;
    if (gPanMode == kPanFollow) {
        const int count = side != 0 ? int(std::min<uint32_t>(gBattleManCount, kMaxManRoles))
                                    : int(std::min<uint32_t>(gBattleMonCount, kMaxMonRoles));
        if (roleIndex < 0 || roleIndex >= count) {
            TraceHook("PanBattleView: role %d is not in its side's list (%d); the pan stops", roleIndex, count);
            gPanMode = kPanOff;
            gPanStep = 0;
            return 0;
        }
        aim = std::clamp(int(targetX) - kBattleFieldWidth / 2, -kPanRange, kPanRange);
    } else if (gPanMode != kPanRecentre) {
        gPanStep = 0;
        return 0;
    }
    const int diff = aim - int(gViewOffsetX);
    int step = diff / 4;
    if (step == 0 && diff != 0) step = diff > 0 ? 1 : -1;
    step = std::clamp(step, -kPanMaxStep, kPanMaxStep);
    // The view moves right, so the scene and the roles move left.
    gPanStep = -step;
    if (step == 0) return 0;
    gViewOffsetX = int16_t(gViewOffsetX + step);
    for (uint32_t i = 0; i < gBattleMonCount && i < kMaxMonRoles; ++i) gMonRoles[i].MoveRole(int16_t(-step), 0);
    for (uint32_t s = 0; s < gBattleManCount && s < kMaxManRoles; ++s) gManRoles[s].MoveRole(int16_t(-step), 0);
    return 1;
}

void ResetBattleTint() {
    gBattleTint = BattleTint{};
    gBattleTint.framesLeft = -1;
    gTintFadeBack = 0;
    gPanMode = kPanOff;
    gPanSide = 0;
    gPanRoleId = 0;
    gPanTargetX = 0;
    gPanStep = 0;
    gViewOffsetX = 0;
    gPanEnabled = 0;
}
