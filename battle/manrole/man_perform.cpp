// The performers of the party's special actions: one frame a call, 1 when
// finished. Each plays its acts through the act players (role_act.cpp) and
// releases its hits on the act's event frames. Every performer ends: an act
// that cannot be played ends it with one trace, and none runs past a frame
// cap. No performer steps an act more than once a frame.
#include <algorithm>
#include <initializer_list>

#include "base/errorbox.h"
#include "base/settings.h"
#include "battle/battle_frame.h"
#include "battle/battle_state.h"
#include "battle/effects/effect_layers.h"
#include "battle/hud/accumulator.h"
#include "battle/manrole/perform_steps.h"
#include "battle/role/role_act.h"
#include "battle/role/role_resolve.h"
#include "battle/screen/battle_tint.h"
#include "draw/draw_kernel.h"
#include "draw/tsw_pack.h"
#include "draw/zoom_render.h"
#include "media/sound_bank.h"

namespace perform {

void RolePoint(const Role& r, int32_t* x, int32_t* y) {
    int16_t px = 0, py = 0;
    r.GetRolePos(&px, &py);
    *x = px;
    *y = py;
}

void TargetPoint(const Role& r, const Role* t, int32_t* x, int32_t* y) {
    if (t == nullptr) {
        RolePoint(r, x, y);
        return;
    }
    RolePoint(*t, x, y);
}

// One frame of act block `block` drawn at (x, y) by the act players: its
// events of this frame (cleared in the block, so none is raised twice) and
// whether it has ended. An empty block has ended.
ActFrame DrawBlock(ManRole& r, int block, int32_t x, int32_t y, bool shadow) {
    ActBlock& b = r.acts[block];
    if (b.Empty()) return {true, 0};
    const bool ended = r.DrawActBlock(block, x, y, shadow) == 1;
    const uint16_t ev = b.rec.events;
    b.rec.events &= uint16_t(~kHandledEvents);
    // Played out, the act is not stepped again.
    if (ended) b.Clear();
    return {ended, ev};
}

namespace {

// Where a frame of `rec` lies when the role draws it from (x, y).
bool PlaceFrame(const ManRole& r, const ActRecord& rec, int32_t x, int32_t y, const PicFrame** f, int32_t* left,
                int32_t* top, uint32_t* flip) {
    *f = rec.picNumber != 0 ? GetTswPicture(rec.picNumber, rec.picFrame) : nullptr;
    if (*f == nullptr || gBackPixels == nullptr) return false;
    const bool mirrored = r.DrawsMirrored();
    const int32_t hotX = static_cast<int16_t>(rec.hotX);
    *left = mirrored ? x - ((*f)->width - hotX) : x - hotX;
    *top = y - static_cast<int16_t>(rec.hotY);
    *flip = mirrored ? kFlagMirror : 0;
    return true;
}

}  // namespace

void DrawRoleFrameAgain(ManRole& r, int block, int32_t dx, uint32_t mode, int32_t red, int32_t green, int32_t blue,
                        int32_t alpha) {
    if (block < 0 || block >= kRoleActBlocks) return;
    const ActBlock& b = r.acts[block].Empty() ? r.acts[kActWaitDraw] : r.acts[block];
    int32_t x, y, left, top;
    RolePoint(r, &x, &y);
    const PicFrame* f;
    uint32_t flip;
    if (!PlaceFrame(r, b.rec, x + dx, y, &f, &left, &top, &flip)) return;
    gTintRed = red;
    gTintGreen = green;
    gTintBlue = blue;
    DrawFrame(f, left, top, mode | flip, alpha);
    gTintRed = gTintGreen = gTintBlue = 0;
}

bool DrawBlockTinted(ManRole& r, int block, int32_t x, int32_t y, int32_t level) {
    if (block < 0 || block >= kRoleActBlocks) return true;
    ActBlock& b = r.acts[block];
    if (b.Empty()) return true;
    b.rec.hold = r.holdFlag != 0 || b.freeze != 0;
    if (TakeActData(&b.rec) == 0) {
        b.Clear();
        return true;
    }
    int32_t left = x, top = y;
    const PicFrame* f;
    uint32_t flip = 0;
    const bool placed = PlaceFrame(r, b.rec, x, y, &f, &left, &top, &flip);
    if (b.rec.soundId != 0) {
        PlaySfx(b.rec.soundId, int(gSfxVolume));
        SetSfxPan(b.rec.soundId, left < 320 ? -48 : 48);
        b.rec.soundId = 0;
    }
    if (placed) {
        gTintRed = gTintGreen = gTintBlue = level;
        DrawFrame(f, left, top, kTintMode | flip, 0);
        gTintRed = gTintGreen = gTintBlue = 0;
    }
    b.rec.events &= uint16_t(~kHandledEvents);
    const bool ended = b.rec.done != 0;
    if (ended) b.Clear();
    return ended;
}

// Sets up the performer's first act on its first frame; false when it
// cannot be played (one trace; the performer then ends).
bool Begin(ManRole& r, int block, uint16_t set, int32_t act, const char* what) {
    if (r.performPhase & kStarted) return true;
    r.performFrames = 0;
    r.performHits = 0;
    r.performCounter = 0;
    if (!StartBlockAct(&r.acts[block], set, act)) {
        TraceHook("role: sprite set %u has no act %d for the %s", unsigned(set), int(act), what);
        return false;
    }
    r.acts[block].freeze = r.holdFlag;
    r.performPhase = kStarted;
    return true;
}

bool OverCap(ManRole& r, int cap, const char* what) {
    if (++r.performFrames <= cap) return false;
    TraceHook("role: the %s of sprite set %u did not end within %d frames", what, unsigned(r.spriteSet), cap);
    return true;
}

int End(ManRole& r, std::initializer_list<int> blocks) {
    for (int b : blocks) r.acts[b].Clear();
    r.performPhase = 0;
    r.performFrames = 0;
    r.performCounter = 0;
    return 1;
}

// The shown damage of a hit released by a performer: capped, counted in
// the running total and shown on the target.
void ShowHit(ManRole& r, Role* t) {
    if (t == nullptr) return;
    t->SetHurtMark();
    int damage = r.ResolveManRoleAction(t, nullptr, nullptr);
    damage = std::min(damage, int(resolve::kShownCap));
    if (r.performHits < 0xFFFF) ++r.performHits;
    if (damage == -1) return;
    AddToAccumulator(damage);
    t->SetDamageDigits(int16_t(damage));
    t->CommitShownNumber(1);
}

// Starts an effect act in `block` once; a missing act is traced and skipped.
void StartEffect(ManRole& r, int block, uint16_t set, int32_t act) {
    if (r.performPhase & kEffectStarted) return;
    r.performPhase |= kEffectStarted;
    if (!StartBlockAct(&r.acts[block], set, act))
        TraceHook("role: effect sprite set %u has no act %d", unsigned(set), int(act));
}

// The main act of the skill-style performers: drawn at the role with its
// shadow; its hit events of this frame.
ActFrame DrawMain(ManRole& r) {
    if (r.performPhase & kMainEnded) return {true, 0};
    int32_t x, y;
    RolePoint(r, &x, &y);
    const ActFrame f = DrawBlock(r, kActPerform, x, y, true);
    if (f.ended) r.performPhase |= kMainEnded;
    return f;
}

// One frame of the main act (act block kActBegin) played on the target, for
// codes 4 and 500: its events of this frame (taken out of the block, so none
// is raised twice) and a copy of its record; when it has ended the block is
// cleared and the main-ended phase set. Its own follow-up (event 0x2) is set
// up to play over the role in kActFade, as in the attack.
struct MainActStep {
    bool ended;
    uint16_t events;
    ActRecord rec;
};

MainActStep StepMainActOnTarget(ManRole& r, Role* t) {
    ActBlock& b = r.acts[kActBegin];
    MainActStep step{r.BeginRoleAct(t, kActBegin) == 1, b.rec.events, {}};
    b.rec.events &= uint16_t(~kHandledEvents);
    step.rec = b.rec;
    if (step.ended) {
        b.Clear();
        r.performPhase |= kMainEnded;
    }
    if ((step.events & 0x2) && step.rec.followAct != 0) {
        r.acts[kActFade].Clear();
        r.acts[kActFade].rec.act = int32_t(step.rec.followAct);
        r.acts[kActFade].rec.qq = int32_t(step.rec.followQq);
    }
    return step;
}

}  // namespace perform

using namespace perform;

int ManRole::RunSkillAct(Role* t, int32_t effect) {
    if (!Begin(*this, kActPerform, spriteSet, kSkillAct, "weapon skill")) return End(*this, {kActPerform});
    acting = 1;
    if (OverCap(*this, kPerformFrameCap, "weapon skill")) return End(*this, {kActPerform, kFirstHitBlock});
    const ActFrame f = DrawMain(*this);
    if ((f.events & kHitEvents) && effect > 0) StartEffect(*this, kFirstHitBlock, uint16_t(effect), 0);
    int32_t tx, ty;
    TargetPoint(*this, t, &tx, &ty);
    const bool effectDone = DrawBlock(*this, kFirstHitBlock, tx, ty, false).ended;
    if (!(performPhase & kMainEnded) || !effectDone) return 0;
    return End(*this, {kActPerform, kFirstHitBlock});
}

int ManRole::RunStrikeAllAct(int32_t effect) {
    if (!Begin(*this, kActPerform, spriteSet, kSkillAct, "strike on all")) return End(*this, {kActPerform});
    acting = 1;
    if (OverCap(*this, kPerformFrameCap, "strike on all")) return End(*this, {kActPerform, kFirstHitBlock});
    const ActFrame f = DrawMain(*this);
    if ((f.events & kHitEvents) && !(performPhase & kEffectStarted)) {
        if (effect < 1) return End(*this, {kActPerform, kFirstHitBlock});
        StartEffect(*this, kFirstHitBlock, uint16_t(effect), 0);
    }
    // The effect covers the whole screen from its corner.
    const bool effectDone = DrawBlock(*this, kFirstHitBlock, 0, 0, false).ended;
    if ((performPhase & kEffectStarted) ? effectDone : (performPhase & kMainEnded) != 0)
        return End(*this, {kActPerform, kFirstHitBlock});
    return 0;
}

int ManRole::RunThrowAct(Role* t) {
    if (!Begin(*this, kActPerform, spriteSet, kThrowAct, "throw")) return End(*this, {kActPerform});
    acting = 1;
    if (OverCap(*this, kPerformFrameCap, "throw")) return End(*this, {kActPerform, kFirstHitBlock});
    const ActFrame f = DrawMain(*this);
    if ((f.events & kHitEvents) && !(performPhase & kEffectStarted)) {
        ShowHit(*this, t);
        StartEffect(*this, kFirstHitBlock, kThrowImpactSet, 0);
    }
    int32_t tx, ty;
    TargetPoint(*this, t, &tx, &ty);
    DrawBlock(*this, kFirstHitBlock, tx, ty, false);
    if (!(performPhase & kMainEnded)) return 0;
    return End(*this, {kActPerform, kFirstHitBlock});
}

int ManRole::RunStealAct(Role* t) {
    if (!Begin(*this, kActPerform, spriteSet, kStealAct, "theft")) return End(*this, {kActPerform});
    acting = 1;
    if (OverCap(*this, kPerformFrameCap, "theft")) return End(*this, {kActPerform});
    int32_t tx, ty;
    TargetPoint(*this, t, &tx, &ty);
    if (!DrawBlock(*this, kActPerform, tx, ty, true).ended) return 0;
    return End(*this, {kActPerform});
}

int ManRole::RunSkill24Act(Role*) {
    if (!Begin(*this, kActPerform, spriteSet, kSkill24Act, "weapon skill 24")) {
        acting = 0;
        return End(*this, {kActPerform});
    }
    acting = 1;
    const bool capped = OverCap(*this, kPerformFrameCap, "weapon skill 24");
    if (!capped && !DrawMain(*this).ended) return 0;
    acting = 0;
    return End(*this, {kActPerform});
}

int ManRole::RunQueuedPoseAct() {
    if (IsLifeAtMostPart(4)) return End(*this, {kActPerform});
    if (!Begin(*this, kActPerform, spriteSet, kPoseAct, "pose")) return End(*this, {kActPerform});
    if (OverCap(*this, kPerformFrameCap, "pose")) return End(*this, {kActPerform});
    if (!DrawMain(*this).ended) return 0;
    return End(*this, {kActPerform});
}

int ManRole::RunFusionAct(Role* m, uint16_t set) {
    // The fusion plays over the effect background, darkened.
    for (int32_t& c : gEffects.colourTarget) c = kFusionTint;
    gEffects.backgroundOn = 1;
    SkipBattleBackground();
    int32_t x = 0, y = 0;
    if (m != nullptr) RolePoint(*m, &x, &y);
    if (!(performPhase & kSecondPhase)) {
        if (!Begin(*this, kActPerform, set, kGuardAct, "fusion")) return End(*this, {kActPerform});
        ActBlock& b = acts[kActPerform];
        // The act grows out of the member through the zoom blit.
        if (!b.Empty() && TakeActData(&b.rec) != 0) {
            const PicFrame* f = b.rec.picNumber != 0 ? GetTswPicture(b.rec.picNumber, b.rec.picFrame) : nullptr;
            if (f != nullptr && gBackPixels != nullptr) {
                const int32_t scale = kFusionScale - performCounter;
                SetZoomSource(int16_t(b.rec.hotX), int16_t(b.rec.hotY), scale, scale);
                const uint32_t flip = DrawsMirrored() ? kFlagMirror : 0;
                DrawFrame(f, x - int16_t(b.rec.hotX), y - int16_t(b.rec.hotY), 0x80 | flip, 0);
            }
            if (b.rec.done) b.Clear();
        }
        // The zoom ends at its size whatever the act does: a counter that
        // passes the end without meeting it exactly still ends it.
        performCounter += kFusionStep;
        if (performCounter < kFusionEnd) return 0;
        acts[kActPerform].Clear();
        if (!StartBlockAct(&acts[kActPerform], kFusionSet, 0)) {
            TraceHook("role: sprite set %u has no act 0 for the fusion", unsigned(kFusionSet));
            return End(*this, {kActPerform});
        }
        performPhase |= kSecondPhase;
        return 0;
    }
    if (OverCap(*this, kPerformFrameCap + kFusionEnd / kFusionStep, "fusion")) return End(*this, {kActPerform});
    if (!DrawBlock(*this, kActPerform, x, y, false).ended) return 0;
    return End(*this, {kActPerform});
}

int ManRole::RunRetreatAct(int mode) {
    if (IsOut()) {
        acting = 0;
        return End(*this, {kActFade});
    }
    const int32_t level = mode == 1 ? 6 : 2;
    if (!(performPhase & kStarted)) {
        performPhase = kStarted;
        performFrames = 0;
        fadeCounter = 15;
        if (holdFlag == 0) {
            const int32_t act = guard == 1 ? kGuardAct : spriteSet == 1 ? 46 : 47;
            if (!StartBlockAct(&acts[kActFade], spriteSet, act))
                TraceHook("role: sprite set %u has no act %d to retreat with", unsigned(spriteSet), int(act));
            acts[kActFade].freeze = holdFlag;
            if (mode == 1) {
                PlaySfx(kSfxRetreat, int(gSfxVolume));
                SetSfxPan(kSfxRetreat, facing == 1 ? -48 : 48);
            }
        }
    }
    if (holdFlag == 0) {
        int32_t x, y;
        RolePoint(*this, &x, &y);
        DrawBlock(*this, kActFade, x, y, true);
        if (mode == 1) MoveRole(int16_t(facing == 1 && guard != 1 ? -kRetreatStep : kRetreatStep), 0);
    }
    // The fade counts down one a frame from 15: it always meets the level.
    if (--fadeCounter > level) return 0;
    fadeCounter = 15;
    if (mode == 1) {
        acting = 1;
        if (guard == 1) SetOut(1);
    }
    return End(*this, {kActFade});
}

int ManRole::RunSummonAct(int32_t x, int32_t y) {
    if (!(performPhase & kStarted)) {
        performPhase = kStarted;
        performFrames = 0;
        performCounter = 0;
        captureCounter = 0;
        if (!StartBlockAct(&acts[kActSecond], itemAct, kGuardAct))
            TraceHook("role: summoned sprite set %u has no act %d", unsigned(itemAct), int(kGuardAct));
    }
    DrawBlock(*this, kActSecond, x, y, false);
    // The field's tint rises to its top and falls back: 64 frames.
    if (!(performPhase & kSecondPhase)) {
        performCounter += 2;
        if (performCounter > 62) performPhase |= kSecondPhase;
    } else {
        performCounter -= 2;
        if (captureCounter < 0xFFFF) ++captureCounter;
    }
    for (int16_t& b : blend) b = int16_t(performCounter / 2 - 31);
    if (!(performPhase & kSecondPhase) || performCounter >= 1) return 0;
    PlaySfx(kSfxSummonEnd, int(gSfxVolume));
    for (int16_t& b : blend) b = 0;
    captureCounter = 0;
    for (ActBlock& c : captureActs) c.Clear();
    return End(*this, {kActSecond});
}

int ManRole::RunCode4Act(Role* t) {
    if (!Begin(*this, kActBegin, spriteSet, actParam, "act of code 4")) return End(*this, {kActBegin});
    acting = 1;
    if (OverCap(*this, kPerformFrameCap, "act of code 4")) return End(*this, {kActBegin, kFirstHitBlock, kActFade});
    if (!(performPhase & kMainEnded)) {
        const MainActStep step = StepMainActOnTarget(*this, t);
        const uint16_t ev = step.events;
        const ActRecord& rec = step.rec;
        if (ev & 0x800) StartViewFollow(1);
        if (ev & 0x40) StartViewRecentre(1);
        if ((ev & 0x8) && (ev & 0x400))
            StartBattleTint(rec.tint[0], rec.tint[1], rec.tint[2], rec.tint[3], rec.tint[4], rec.tint[5], rec.tint[6]);
        if (t != nullptr && (ev & 0x4)) t->SetHurtMark();
        if (ev & 0x1) {
            ApplyHit(t, 0);
            if (performHits < 0xFFFF) ++performHits;
            // The action's follow-up plays on the target, once.
            if (action.followUp != 0) StartEffect(*this, kFirstHitBlock, action.followUp, 0);
        }
    }
    const bool followDone = acts[kFirstHitBlock].Empty() || PlayActRecordOnTarget(kFirstHitBlock, t) == 1;
    if (followDone) acts[kFirstHitBlock].Clear();
    int32_t x, y;
    RolePoint(*this, &x, &y);
    const bool ownDone = DrawBlock(*this, kActFade, x, y, false).ended;
    if (!(performPhase & kMainEnded) || !followDone || !ownDone) return 0;
    return End(*this, {kActBegin, kFirstHitBlock, kActFade});
}

int ManRole::RunCode500Act(Role* t) {
    if (!Begin(*this, kActBegin, spriteSet, actParam, "multi-part magic")) return End(*this, {kActBegin});
    acting = 1;
    if (OverCap(*this, kEffectWaitCap, "multi-part magic")) {
        gActionFlags |= kActionOver;
        return End(*this, {kActBegin, kActFade});
    }
    if (!(performPhase & kMainEnded)) {
        const MainActStep step = StepMainActOnTarget(*this, t);
        const uint16_t ev = step.events;
        const ActRecord& rec = step.rec;
        // 0x200: the act waits while its follow-up plays.
        if ((ev & 0x2) && rec.followAct != 0 && (ev & 0x200) && !step.ended) acts[kActBegin].freeze = 1;
        if ((ev & 0x8) && (ev & 0x400))
            StartBattleTint(rec.tint[0], rec.tint[1], rec.tint[2], rec.tint[3], rec.tint[4], rec.tint[5], rec.tint[6]);
        if (ev & 0x8) {
            gActionFlags |= kActionRunning;
            performPhase |= kEffectRaised;
        }
    }
    int32_t x, y;
    RolePoint(*this, &x, &y);
    if (DrawBlock(*this, kActFade, x, y, false).ended) acts[kActBegin].freeze = 0;
    // The battle says when the magic's effect is over; an act that never
    // raised the effect has nothing to wait for once it has played out.
    const bool over = (gActionFlags & kActionOver) != 0 ||
                      ((performPhase & kMainEnded) && !(performPhase & kEffectRaised));
    if (!over) return 0;
    actFlags[0] = 0;
    return End(*this, {kActBegin, kActFade});
}
