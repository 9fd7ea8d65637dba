// The multi-part magic acts with their own stages: code 406 (the role fades
// out, an effect gathers at it and strikes the target, the role fades back)
// and code 409 (three acts in turn, the last a strike). One frame a call, 1
// when finished; every one ends within its frame cap.
#include <algorithm>

#include "base/errorbox.h"
#include "battle/battle_state.h"
#include "battle/manrole/perform_steps.h"
#include "battle/role/role_act.h"

using namespace perform;

namespace {

// Code 406's phase word.
enum Phase406 : uint16_t {
    kFadeOut = 0x1,     // the role darkens
    kGather = 0x2,      // the effect gathers at the role
    kStrike = 0x4,      // the effect plays on the target
    kFadeIn = 0x2000,   // the role comes back
    kAfter = 0x4000,    // the after-effect plays on the target
};

constexpr uint16_t kGatherSet = 6142;
constexpr uint16_t kAfterSet = 8072;
constexpr int32_t kTintStart = -31;
constexpr int32_t kFadeOutLast = -29;  // the darkest tint of the fade-out

}  // namespace

int ManRole::RunCode406Act(Role* t) {
    if (!Begin(*this, kActBegin, spriteSet, actParam, "act of code 406")) return End(*this, {kActBegin});
    if (performFrames == 0) {
        actPhase = 0;
        effectCounter = fadeTint = 0;
    }
    acting = 1;
    if (OverCap(*this, kPerformFrameCap, "act of code 406")) {
        actPhase = 0;
        return End(*this, {kActBegin, kActBeginPartner, kFirstHitBlock, kSecondHitBlock});
    }
    int32_t x, y, tx, ty;
    RolePoint(*this, &x, &y);
    TargetPoint(*this, t, &tx, &ty);
    if (!(performPhase & kMainEnded)) {
        const ActFrame f = DrawBlock(*this, kActBegin, x, y, actPhase == 0);
        if (f.ended) performPhase |= kMainEnded;
        if ((f.events & 0x8) && actPhase == 0) {
            effectCounter = kTintStart;
            fadeTint = 0;
            actPhase = kFadeOut | kGather;
        }
        // An act that never raised its effect has nothing more to play.
        if (f.ended && actPhase == 0) return End(*this, {kActBegin});
    }
    if (actPhase & kFadeOut) {
        // The role darkens: its frame drawn again tinted by the counter.
        if (fadeTint >= kFadeOutLast) {
            DrawRoleFrameAgain(*this, kActBegin, 0, kTintMode, fadeTint, fadeTint, fadeTint, 0);
            --fadeTint;
        } else {
            actPhase &= uint16_t(~kFadeOut);
        }
    }
    if (actPhase & kGather) {
        if (acts[kActBeginPartner].Empty() && !StartBlockAct(&acts[kActBeginPartner], kGatherSet, 0))
            TraceHook("role: sprite set %u has no act 0", unsigned(kGatherSet));
        // The effect gathers at the role, brightening from dark.
        DrawBlockTinted(*this, kActBeginPartner, x, y, effectCounter);
        if (effectCounter < 1) {
            ++effectCounter;
        } else {
            actPhase = kStrike;
            effectCounter = fadeTint = 0;
            acts[kActBeginPartner].Clear();
            if (!StartBlockAct(&acts[kFirstHitBlock], kGatherSet, 0))
                TraceHook("role: sprite set %u has no act 0", unsigned(kGatherSet));
        }
    } else if (actPhase == kStrike) {
        if (DrawBlock(*this, kFirstHitBlock, tx, ty, false).ended) {
            ShowHit(*this, t);
            actPhase = kAfter;
            fadeTint = kTintStart;
            if (!StartBlockAct(&acts[kSecondHitBlock], kAfterSet, 0))
                TraceHook("role: sprite set %u has no act 0", unsigned(kAfterSet));
        }
    } else if (actPhase == kAfter) {
        if (acts[kSecondHitBlock].Empty() || PlayActRecordOnTarget(kSecondHitBlock, t) == 1) {
            acts[kSecondHitBlock].Clear();
            actPhase = kFadeIn;
        }
    } else if (actPhase == kFadeIn) {
        // The role comes back: tinted by the counter as it rises to 0.
        DrawRoleFrameAgain(*this, kActBegin, 0, kTintMode, fadeTint, fadeTint, fadeTint, 0);
        fadeTint += 2;
        if (fadeTint > 0) {
            actPhase = 0;
            effectCounter = fadeTint = 0;
            return End(*this, {kActBegin, kActBeginPartner, kFirstHitBlock, kSecondHitBlock});
        }
    }
    return 0;
}

int ManRole::RunCode409Act(Role* t) {
    if (!Begin(*this, kActBegin, spriteSet, actParam, "act of code 409")) return End(*this, {kActBegin});
    if (performFrames == 0) actPhase = 0;
    acting = 1;
    if (OverCap(*this, kEffectWaitCap, "act of code 409")) {
        actPhase = 0;
        player.running = 0;
        return End(*this, {kActBegin});
    }
    if (actPhase < 2) {
        int32_t x, y;
        if (actPhase == 0) {
            RolePoint(*this, &x, &y);
        } else {
            TargetPoint(*this, t, &x, &y);
        }
        const ActFrame f = DrawBlock(*this, kActBegin, x, y, actPhase == 1);
        if (f.events & 0x8) {
            gActionFlags |= kActionRunning;
            performPhase |= kEffectRaised;
        }
        if (f.ended) {
            ++actPhase;
            const int32_t next = int32_t(actParam) + actPhase;
            if (actPhase == 1 && !StartBlockAct(&acts[kActBegin], spriteSet, next)) {
                TraceHook("role: sprite set %u has no act %d", unsigned(spriteSet), int(next));
                actPhase = 2;
            }
            if (actPhase == 2) action.word20 |= 0x8;
        }
        return 0;
    }
    if (actPhase == 2) {
        if (StepRoleStrike(t, -1, int32_t(actParam) + 2) == 1) actPhase = 3;
        if (acts[kActSecond].rec.events & 0x8) {
            gActionFlags |= kActionRunning;
            performPhase |= kEffectRaised;
        }
        return 0;
    }
    // The battle ends the magic's effect; an act that never raised one has
    // nothing to wait for.
    if ((performPhase & kEffectRaised) && !(gActionFlags & kActionOver)) return 0;
    actPhase = 0;
    return End(*this, {kActBegin});
}
