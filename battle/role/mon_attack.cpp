// The enemy's performers: its attack (command 1), its special act
// (command 4) and its leaving the field (command 17), one frame a call.
//
// Every performer counts its calls, waiting ones too: an act that loops or
// never ends, a hold that is never released or an effect that never reports
// its end finishes the performance at the cap, with one trace. A failed act
// start shows one box and ends the performance; it is never retried on the
// next frame (that would be a box a frame). Act event flags latch in the
// act record until the player clears them: each is cleared as it is handled,
// so a hit lands once.
#include <algorithm>

#include "base/errorbox.h"
#include "base/random.h"
#include "base/settings.h"
#include "battle/action/action_state.h"
#include "battle/battle_state.h"
#include "battle/role/mon_battle.h"
#include "battle/role/mon_record.h"
#include "battle/role/mon_texts.h"
#include "battle/role/role_act.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_tint.h"
#include "draw/act_pack.h"
#include "media/sound_bank.h"

namespace {

constexpr uint8_t kTeleportBit = 0x8;     // the action's target byte: vanish and appear at the target
constexpr int kHitBlock = 6;              // act block [6] shows the hit on the target
constexpr uint16_t kHandledEvents = 0x1 | 0x2 | 0x4 | 0x8 | 0x40 | 0x400 | 0x800;
constexpr uint16_t kFreezeEvent = 0x200;
constexpr int kRiseFrames = 32;           // the self-destructing strike's rise
constexpr int32_t kLeaveAct = 36;
constexpr int kLeaveSounds[2] = {47, 271};
constexpr int32_t kLeaveFadeOut = 7;      // out once the fade counter falls below it

const char* NameOf(const Role* r) { return r->name != nullptr ? r->name : ""; }

void GainGauge(Role* r) { r->gauge = uint16_t(std::min(int(r->gauge) + Random(120) + 10, 0xFFFF)); }

// One frame of the performer act's events; `hit` is set when the hit phase
// begins on this frame. True once the act has played out.
bool StepPerformAct(MonRole* r, Role* t, bool* hit) {
    ActBlock& perform = r->acts[kActPerform];
    if (perform.Empty()) return true;
    perform.rec.hold = (r->holdFlag == 1 || (perform.rec.events & kFreezeEvent)) ? 1 : 0;
    if (TakeActData(&perform.rec) == 0) {
        perform.Clear();
        return true;
    }
    ActRecord& a = perform.rec;
    const uint16_t ev = a.events;
    a.events = uint16_t(ev & ~kHandledEvents);
    if ((ev & 0x2) && a.followAct != 0) {
        ActBlock& follow = r->acts[kActFade];
        follow.Clear();
        follow.rec.act = int32_t(a.followAct);
        follow.rec.qq = int32_t(a.followQq);
    }
    if (ev & 0x800) StartViewFollow(0);
    if (ev & 0x40) StartViewRecentre(0);
    if ((ev & 0x8) && (ev & 0x400)) {
        StartBattleTint(a.tint[0], a.tint[1], a.tint[2], a.tint[3], a.tint[4], a.tint[5], a.tint[6]);
        gActionFlags |= kActionRunning;
        r->performEffect = 1;
        *hit = true;
    }
    if (t != nullptr && (ev & 0x4)) t->SetHurtMark();
    if (t != nullptr && (ev & 0x1)) {
        // The hit: resolved on the target and shown above it.
        const int16_t amount = r->ResolveMonRoleAction(t);
        if (amount != -1) {
            t->SetDamageDigits(amount);
            t->CommitShownNumber(1);
            AddHitToActionLife(amount);
        }
        t->SetHurtMark();
        if (r->hitCounter < 0xFFFF) ++r->hitCounter;
        *hit = true;
    }
    // Played out, the act is not stepped again: its last frame's events are
    // never raised twice.
    if (a.done) {
        perform.Clear();
        return true;
    }
    return false;
}

// The cap and the target test every performer makes first; true when the
// performance is to end now.
bool OverCap(MonRole* r, const char* what) {
    if (++r->performFrames <= kMonPerformFrameCap) return false;
    TraceHook("role: the %s of enemy sprite set %u did not end within %d frames", what, unsigned(r->spriteSet),
              kMonPerformFrameCap);
    return true;
}

}  // namespace

void MonRole::EndMonPerform() {
    acts[kActPerform].Clear();
    acts[kActFade].Clear();
    acts[kHitBlock].Clear();
    acts[kHitBlock + 1].Clear();
    for (int32_t& s : hitSlots) s = -1;
    blend[0] = 0;
    ready = 0;
    specialAct = 0;
    performStarted = performHitPhase = performAppeared = performEffect = 0;
    riseFrames = 0;
}

int MonRole::MonRoleAttack(Role* t) {
    if (OverCap(this, "attack") || t == nullptr) {
        if (t == nullptr) TraceHook("role: an enemy attack without a target");
        EndMonPerform();
        performFrames = 0;
        GainGauge(this);
        return 1;
    }
    if (repeatCount != 0) return 0;
    acting = 1;

    if (!performStarted) {
        if ((ActionTargetByte(action) & kTeleportBit) && !performAppeared) {
            // Vanish at home, appear at the target (the role drawing plays
            // both halves); once.
            performAppeared = 1;
            if (state & kStateBit28) facing = 1;
        }
        if (!(state & kStateSelfDestruct)) {
            const int32_t act = attackKind == 1 ? 48 : attackKind == 2 ? 49 : 40;
            if (!StartBlockAct(&acts[kActPerform], spriteSet, act)) {
                ErrorBox(kAttackActCaption, kActErrorText, NameOf(this), int(act));
                EndMonPerform();
                performFrames = 0;
                return 1;
            }
        }
        performStarted = 1;
        CheckMonTrigger(27, 0);
    }

    if (state & kStateSelfDestruct) {
        // The strike that destroys the enemy: no act, a rising blend, then it
        // stands on the target and is defeated.
        acts[kActPerform].Clear();
        ++riseFrames;
        blend[0] = int16_t(riseFrames);
        blend[1] = blend[2] = int16_t(riseFrames - 15);
        if (riseFrames < kRiseFrames) return 0;
        int16_t x, y;
        t->GetRolePos(&x, &y);
        SetRolePos(x, y);
        defeated = 1;
        SetDefeatEffectOverride(2);
        SetMonLife(0);
        gMonBattle.selfDestruct = 1;
        for (int i = kActPerform; i <= kActSecond; ++i) acts[i].Clear();
        acts[kHitBlock + 1].Clear();
        ClearActPlayerAreas();
        EndMonPerform();
        performFrames = 0;
        GainGauge(this);
        return 1;
    }

    bool hit = false;
    const bool ended = StepPerformAct(this, t, &hit);
    ActBlock& onTarget = acts[kHitBlock];
    if (hit && !performHitPhase) {
        performHitPhase = 1;
        onTarget.Clear();
        if (action.followUp != 0) onTarget.rec.act = action.followUp;
    }
    if (performHitPhase && blend[0] > -32) blend[0] = int16_t(std::max(-32, blend[0] - 4));
    const bool followDone = StepBlockAct(&acts[kActFade]);
    const bool targetDone = StepBlockAct(&onTarget);
    if (!ended || !followDone || !targetDone) return 0;
    EndMonPerform();
    performFrames = 0;
    GainGauge(this);
    return 1;
}

int MonRole::MonSpecialAct(Role* t) {
    if (OverCap(this, "special act") || t == nullptr) {
        if (t == nullptr) TraceHook("role: an enemy special act without a target");
        EndMonPerform();
        performFrames = 0;
        return 1;
    }
    acting = 1;
    if (!performStarted) {
        if ((ActionTargetByte(action) & kTeleportBit) && !performAppeared) performAppeared = 1;
        const int32_t act = int32_t(std::min<uint32_t>(specialAct, 0x7FFFFFFF));
        if (!StartBlockAct(&acts[kActPerform], spriteSet, act)) {
            ErrorBox(kMonSpecialActCaption, kActErrorText, NameOf(this), int(act));
            EndMonPerform();
            performFrames = 0;
            return 1;
        }
        performStarted = 1;
    }
    bool hit = false;
    const bool ended = StepPerformAct(this, t, &hit);
    StepBlockAct(&acts[kActFade]);
    // The battle reports the end of the effect the act started; an act that
    // started none (no event 0x8) is over when it has played out.
    const bool over = (gActionFlags & kActionOver) || (ended && !performEffect);
    if (!over) return 0;
    for (uint32_t& f : actFlags) f = 0;
    EndMonPerform();
    performFrames = 0;
    return 1;
}

int MonRole::MonLeaveAct() {
    if (!performStarted) {
        performStarted = 1;
        // The leave fades the enemy out even when its act cannot play.
        if (!StartBlockAct(&acts[kActFade], spriteSet, kLeaveAct))
            TraceHook("role: enemy sprite set %u has no act %d to leave with", unsigned(spriteSet), int(kLeaveAct));
        for (int s : kLeaveSounds) PlaySfx(s, int(gSfxVolume));
        fadeCounter = 15;
    }
    StepBlockAct(&acts[kActFade]);
    if (--fadeCounter >= kLeaveFadeOut) return 0;
    out = 1;
    EndMonPerform();
    performFrames = 0;
    return 1;
}
