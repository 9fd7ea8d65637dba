// The performers whose acts leave the role: the flying refining acts (13,
// 14), the skill of command 33 that flies to the target and back, the dash
// of code 400, the volley of code 402 and the drain of code 405. One frame a
// call, 1 when finished; every one ends within its frame cap.
#include <algorithm>

#include "base/errorbox.h"
#include "base/settings.h"
#include "battle/battle_state.h"
#include "battle/hud/accumulator.h"
#include "battle/manrole/man_battle.h"
#include "battle/manrole/perform_steps.h"
#include "battle/role/role_act.h"
#include "battle/role/role_resolve.h"
#include "draw/draw_kernel.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"

using namespace perform;

namespace {

enum MultiBit : uint16_t {
    kDashOut = 0x20,      // code 400: the dash slides out
    kStrikeStage = 0x40,  // code 400: the dash act strikes
    kWayBack = 0x80,      // code 400: the slide comes back
    kStrikeOver = 0x100,  // code 400: the dash is done (or never began)
    kHitPhase = 0x200,    // code 402: the volley runs; 33: the flight back
    kFollowUp = 0x8000,   // code 400: the follow-up plays toward the hit point
};

constexpr uint16_t kRefineFlySet = 6251;
constexpr int32_t kRefineFlyStep = 8;
constexpr int32_t kDashAct = 40;              // added to the act parameter
constexpr int32_t kSlideStep = 10;
constexpr int32_t kSlideEnd = 150;
constexpr int32_t kDashAlpha = 8;
constexpr int32_t kDashTint = 10;
// The second after-image trail, behind the dash act: two entries, fading by
// 3 a frame, spaced to the left.
constexpr uint8_t kDashTrailLength = 2, kDashTrailFade = 3, kDashTrailMode = 1;
constexpr uint16_t kSkill33Effect = 7303;
constexpr int16_t kSkill33Out = 28, kSkill33Back = 32;
constexpr int kSfxSkill33Back = 276;
constexpr int kSfxVolley = 62;
constexpr int kVolleyShots = 8;
constexpr int kVolleyEvery = 3;
constexpr int32_t kVolleyAbove = 40;
constexpr int16_t kVolleyRing[kVolleyShots][2] = {{0, -100}, {0, 100}, {-120, 0}, {120, 0},
                                                  {-70, -50}, {70, -50}, {-70, 50}, {70, 50}};

int32_t Hot(uint32_t v) { return int16_t(v); }

// The point an act flies to on a role: its hit point, or its place when it
// has none.
void FlightPoint(const Role& r, int32_t* x, int32_t* y) {
    int16_t hx = 0, hy = 0;
    r.GetHitPoint(&hx, &hy);
    if (hx == 0 && hy == 0) r.GetRolePos(&hx, &hy);
    *x = hx;
    *y = hy;
}

void PlayPanned(ActRecord& rec, int32_t x) {
    if (rec.soundId == 0) return;
    PlaySfx(rec.soundId, int(gSfxVolume));
    SetSfxPan(rec.soundId, x < 320 ? -48 : 48);
    rec.soundId = 0;
}

// The refining acts fly between the actor and the target: 13 there, 14 back.
int RunRefineFlight(ManRole& r, Role* t, int32_t act, bool back) {
    if (!Begin(r, kActSecond, kRefineFlySet, act, "refining flight")) return End(r, {kActSecond});
    ActBlock& b = r.acts[kActSecond];
    if (r.performFrames == 0) {
        int32_t ax, ay, tx, ty;
        RolePoint(r, &ax, &ay);
        if (t != nullptr) {
            FlightPoint(*t, &tx, &ty);
        } else {
            tx = ax;
            ty = ay;
        }
        if (back) {
            std::swap(ax, tx);
            std::swap(ay, ty);
        }
        r.flight = LineWalker{ax, ay, tx, ty, ax, ay, 0, 0};
    }
    if (OverCap(r, kPerformFrameCap, "refining flight")) return End(r, {kActSecond});
    b.rec.hold = r.holdFlag != 0;
    const bool stepped = TakeActData(&b.rec) != 0;
    PlayPanned(b.rec, r.flight.x);
    // The flight speeds up: 8 points times the frames flown so far.
    const int32_t steps = kRefineFlyStep * r.performFrames;
    bool arrived = r.flight.x == r.flight.endX && r.flight.y == r.flight.endY;
    for (int32_t i = 0; i < steps && !arrived; ++i) arrived = StepLine(&r.flight) == 1;
    if (stepped && gBackPixels != nullptr && b.rec.picNumber != 0) {
        const PicFrame* f = GetTswPicture(b.rec.picNumber, b.rec.picFrame);
        const bool mirrored = r.DrawsMirrored();
        if (f != nullptr)
            DrawFrame(f, r.flight.x - (mirrored ? f->width - Hot(b.rec.hotX) : Hot(b.rec.hotX)),
                      r.flight.y - Hot(b.rec.hotY), mirrored ? kFlagMirror : 0, 0);
    }
    if (!arrived) return 0;
    r.flight = LineWalker{};
    return End(r, {kActSecond});
}

// The dash of code 400 and its way back (steps 1 to 3).
// The dash's double draw of the role's frame where the slide has taken it:
// at alpha level 8, then tinted with the first blend word at 10 (the other
// two as they stand).
void DrawDashFrames(ManRole& r, int main) {
    DrawRoleFrameAgain(r, main, -r.slideOffset, kAlphaMode, 0, 0, 0, kDashAlpha);
    DrawRoleFrameAgain(r, main, -r.slideOffset, kTintMode, kDashTint, r.blend[1], r.blend[2], 0);
}

void StepDash(ManRole& r, Role* t, int main) {
    ActBlock& dash = r.acts[kActSecond];
    const int32_t dir = r.facing == 1 ? -1 : 1;
    if (r.performPhase & kDashOut) {
        DrawDashFrames(r, main);
        r.slideOffset += dir * kSlideStep;
        // The dash ends once the slide has gone its length, whatever the
        // step: an offset that never meets the length exactly still ends it.
        if (std::abs(r.slideOffset) < kSlideEnd) return;
        r.performPhase = uint16_t((r.performPhase & ~kDashOut) | kStrikeStage);
        r.specialAct = 0xFFFF;
        for (int b : {kActBegin, kActBeginPartner, kActSecond}) r.acts[b].freeze = 0;
        // The second trail follows the dash act.
        r.dashTrail = AfterimageRing{};
        for (AfterimageEntry& e : r.dashTrail.entry) e.frame = 65535;
        r.dashTrail.length = kDashTrailLength;
        r.dashTrail.fade = kDashTrailFade;
        r.dashTrail.mode = kDashTrailMode;
        if (!StartBlockAct(&dash, r.spriteSet, int32_t(r.actParam) + kDashAct)) {
            TraceHook("role: sprite set %u has no dash act %d", unsigned(r.spriteSet),
                      int(r.actParam) + kDashAct);
            r.performPhase = uint16_t((r.performPhase & ~kStrikeStage) | kWayBack);
        }
        return;
    }
    if (r.performPhase & kStrikeStage) {
        int32_t x, y;
        RolePoint(r, &x, &y);
        // The dash act strikes where the slide left the role.
        const int32_t at = x - r.slideOffset;
        const bool ended = r.DrawActBlock(kActSecond, at, y, false) == 1;
        const uint16_t ev = dash.rec.events;
        dash.rec.events &= uint16_t(~kHandledEvents);
        if (!dash.Empty() && dash.rec.picNumber != 0) {
            const PicFrame* f = GetTswPicture(dash.rec.picNumber, dash.rec.picFrame);
            if (f != nullptr) {
                const bool mirrored = r.DrawsMirrored();
                const int32_t hotX = static_cast<int16_t>(dash.rec.hotX);
                const int32_t left = mirrored ? at - (f->width - hotX) : at - hotX;
                r.DrawAfterimageTrail(&r.dashTrail, dash.rec.picNumber, dash.rec.picFrame, mirrored ? kFlagMirror : 0,
                                      left, y - static_cast<int16_t>(dash.rec.hotY));
            }
        }
        if (ended) dash.Clear();
        if (ev & 0x1) {
            if (t != nullptr) t->SetHurtMark();
        }
        if ((ev & 0x8) && r.acts[kSecondHitBlock].Empty()) {
            const uint16_t follow = r.action.followUp;
            if (follow != 0 && !StartBlockAct(&r.acts[kSecondHitBlock], follow, 0))
                TraceHook("role: follow-up sprite set %u has no act 0", unsigned(follow));
        }
        if (ended) r.performPhase = uint16_t((r.performPhase & ~kStrikeStage) | kWayBack);
    }
    if (!r.acts[kSecondHitBlock].Empty()) {
        int32_t tx, ty;
        TargetPoint(r, t, &tx, &ty);
        const ActFrame f = DrawBlock(r, kSecondHitBlock, tx, ty, false);
        if (f.events & 0x1) {
            r.ApplyHit(t, 0);
            if (r.performHits < 0xFFFF) ++r.performHits;
        }
    }
    if (r.performPhase & kWayBack) {
        DrawDashFrames(r, main);
        const int32_t next = r.slideOffset - dir * kSlideStep;
        r.slideOffset = (r.slideOffset > 0) != (next > 0) || next == 0 ? 0 : next;
        if (r.slideOffset == 0 && r.acts[kSecondHitBlock].Empty())
            r.performPhase = uint16_t((r.performPhase & ~kWayBack) | kStrikeOver);
    }
}

// The drain of code 405: the target's hurt and damage, and the role shows
// and regains the life and stamina it took.
void Drain(ManRole& r, Role* t) {
    if (t == nullptr) return;
    t->SetHurtMark();
    uint16_t spiritAmount = 0, staminaAmount = 0;
    int damage = std::min(int(r.ResolveManRoleAction(t, &spiritAmount, &staminaAmount)), int(resolve::kShownCap));
    if (r.performHits < 0xFFFF) ++r.performHits;
    if (damage != -1) {
        AddToAccumulator(damage);
        t->SetDamageDigits(int16_t(damage));
        t->CommitShownNumber(1);
    }
    const int life = std::max(damage, 0);
    const int stamina = std::min<int>(staminaAmount, resolve::kShownCap);
    r.PushShownNumber(resolve::kDigitsHeal);
    r.SetDamageDigits(int16_t(life));
    r.SetShownNumberDelay(0);
    r.CommitShownNumber(1);
    r.PushShownNumber(resolve::kDigitsStamina);
    r.SetDamageDigits(int16_t(stamina));
    r.SetShownNumberDelay(8);
    r.CommitShownNumber(1);
    r.DamageRole(-life, 0, int16_t(stamina));
}

}  // namespace

int ManRole::RunCommand13Act(Role* t) { return RunRefineFlight(*this, t, 0, false); }

int ManRole::RunCommand14Act(Role* t) { return RunRefineFlight(*this, t, 1, true); }

int ManRole::RunSkill33Act(Role* t, int32_t effect) {
    if (!Begin(*this, kActPerform, spriteSet, kThrowAct, "skill 33")) return End(*this, {kActPerform});
    acting = 1;
    if (OverCap(*this, kPerformFrameCap, "skill 33")) {
        FreeActEffectList();
        return End(*this, {kActPerform, kFirstHitBlock});
    }
    const uint16_t set = effect > 0 ? uint16_t(effect) : kSkill33Effect;
    const ActFrame f = DrawMain(*this);
    int32_t hx, hy, tx, ty;
    RolePoint(*this, &hx, &hy);
    TargetPoint(*this, t, &tx, &ty);
    if ((f.events & kHitEvents) && !(performPhase & kEffectStarted)) {
        performPhase |= kEffectStarted;
        // The sudden-death roll is the application's: the flights resolve nothing.
        AddActEffectNode(set, 0, tx, ty, hx, hy, kSkill33Out, 0, 0, 0x4);
        EndActEffectList(0, 0, 0);
    }
    if (performPhase & kEffectStarted) {
        if (PlayActEffectList(t, 0) == 1) {
            if (!(performPhase & kHitPhase)) {
                if (t != nullptr) t->SetHurtMark();
                performPhase |= kHitPhase;
                AddActEffectNode(set, 0, hx, hy, tx, ty, kSkill33Back, 0, 0, 0x4);
                EndActEffectList(7, 0, 0);
            } else {
                PlaySfx(kSfxSkill33Back, int(gSfxVolume));
                return End(*this, {kActPerform, kFirstHitBlock});
            }
        }
        return 0;
    }
    // An act that never raised its hit has nothing to fly.
    if (performPhase & kMainEnded) return End(*this, {kActPerform, kFirstHitBlock});
    return 0;
}

int ManRole::RunCode400Act(Role* t, int mode) {
    if (repeatCount != 0 || holdFlag != 0) return 0;
    const int main = kActBegin + (mode != 0 ? 1 : 0);
    if (!Begin(*this, main, spriteSet, actParam, "dash")) return End(*this, {main});
    acting = 1;
    if (OverCap(*this, kPerformFrameCap, "dash")) {
        slideOffset = 0;
        dashTrail = AfterimageRing{};
        for (AfterimageEntry& e : dashTrail.entry) e.frame = 65535;
        return End(*this, {main, kActSecond, kActFade, kFirstHitBlock, kSecondHitBlock});
    }
    ActBlock& m = acts[main];
    if (!(performPhase & kMainEnded)) {
        const bool ended = BeginRoleAct(t, main) == 1;
        const uint16_t ev = m.rec.events;
        m.rec.events &= uint16_t(~kHandledEvents);
        if (ended) {
            m.Clear();
            performPhase |= kMainEnded;
        }
        // Both 0x8 and 0x100: the dash begins, the act waits for it.
        if ((ev & 0x108) == 0x108 && !(performPhase & (kDashOut | kStrikeStage | kWayBack | kStrikeOver))) {
            performPhase |= kDashOut;
            slideOffset = 0;
            player.trail.length = 8;
            player.trail.delay = 12;
            if (!m.Empty()) m.freeze = 1;
        } else if (ev & 0x8) {
            performPhase |= kFollowUp;
        }
        if (ev & 0x1) {
            ApplyHit(t, 0);
            if (performHits < 0xFFFF) ++performHits;
            gWeaponUseBonus = 0;
            acts[kFirstHitBlock].Clear();
            performPhase |= kFollowUp;
            if (action.followUp != 0 && !StartBlockAct(&acts[kFirstHitBlock], action.followUp, 0))
                TraceHook("role: follow-up sprite set %u has no act 0", unsigned(action.followUp));
        }
    }
    StepDash(*this, t, main);
    if (!acts[kFirstHitBlock].Empty()) {
        const bool done = PlayActRecordAt(t, kFirstHitBlock, 0, 0) == 1;
        const uint16_t hitEv = acts[kFirstHitBlock].rec.events;
        acts[kFirstHitBlock].rec.events &= uint16_t(~kHandledEvents);
        if (hitEv & 0x1) {
            ApplyHit(t, 0);
            if (performHits < 0xFFFF) ++performHits;
        }
        if (done) acts[kFirstHitBlock].Clear();
    }
    const bool strikeOver = (performPhase & kStrikeOver) || !(performPhase & (kDashOut | kStrikeStage | kWayBack));
    if (!(performPhase & kMainEnded) || !acts[kFirstHitBlock].Empty() || !strikeOver) return 0;
    player.trail = AfterimageRing{};
    for (AfterimageEntry& e : player.trail.entry) e.frame = 65535;
    dashTrail = AfterimageRing{};
    for (AfterimageEntry& e : dashTrail.entry) e.frame = 65535;
    for (int32_t& s : hitSlots) s = -1;
    slideOffset = 0;
    if (gManBattle.plainAttacks < 0xFF) ++gManBattle.plainAttacks;
    gStrongAttack = 0;
    return End(*this, {main, kActSecond, kActFade, kFirstHitBlock, kSecondHitBlock});
}

int ManRole::RunCode402Act(Role* t) {
    if (!Begin(*this, kActBegin, spriteSet, actParam, "volley")) return End(*this, {kActBegin});
    acting = 1;
    if (OverCap(*this, kPerformFrameCap, "volley")) {
        FreeActEffectList();
        return End(*this, {kActBegin});
    }
    if (!(performPhase & kMainEnded)) {
        ActBlock& b = acts[kActBegin];
        const bool ended = BeginRoleAct(t, kActBegin) == 1;
        const uint16_t ev = b.rec.events;
        b.rec.events &= uint16_t(~kHandledEvents);
        if (ended) {
            b.Clear();
            performPhase |= kMainEnded;
        }
        if ((ev & kHitEvents) && !(performPhase & kHitPhase)) {
            performPhase |= kHitPhase;
            performCounter = 0;
            if (shotCounter < 0xFFFF) ++shotCounter;
        }
    }
    if ((performPhase & kHitPhase) && actEffectsAdded < kVolleyShots && performCounter++ % kVolleyEvery == 0) {
        int16_t hx, hy;
        GetHomePos(&hx, &hy);
        int32_t tx = 0, ty = 0;
        if (!(action.flags & 0x2)) {
            TargetPoint(*this, t, &tx, &ty);
            ty -= kVolleyAbove;
        }
        ApplyActEdgeTarget(&tx, &ty);
        const int16_t* off = kVolleyRing[actEffectsAdded % kVolleyShots];
        if (action.followUp != 0) {
            AddActEffectNode(action.followUp, 0, tx, ty, hx + off[0], hy + off[1], 0, 0, 0, 0);
            EndActEffectList(0, 0, 0);
        } else {
            // Without a follow-up act there is nothing to shoot.
            actEffectsAdded = kVolleyShots;
        }
        PlaySfx(kSfxVolley, int(gSfxVolume));
    }
    const bool listDone = PlayActEffectList(t, 0) == 1;
    const bool volleyDone = !(performPhase & kHitPhase) || actEffectsAdded >= kVolleyShots || actEffects == nullptr;
    if (!(performPhase & kMainEnded) || !listDone || !volleyDone) return 0;
    shotCounter = 0;
    return End(*this, {kActBegin});
}

int ManRole::RunCode405Act(Role* t) {
    if (!Begin(*this, kActBegin, spriteSet, actParam, "drain")) return End(*this, {kActBegin});
    acting = 1;
    if (OverCap(*this, kPerformFrameCap, "drain")) return End(*this, {kActBegin, kFirstHitBlock});
    if (!(performPhase & kMainEnded)) {
        int32_t x, y;
        RolePoint(*this, &x, &y);
        const ActFrame f = DrawBlock(*this, kActBegin, x, y, true);
        if (f.ended) performPhase |= kMainEnded;
        if ((f.events & kHitEvents) && !(performPhase & kEffectStarted)) {
            // The follow-up carries the drain to the target; without one it
            // lands at once.
            if (action.followUp != 0) StartEffect(*this, kFirstHitBlock, action.followUp, 0);
            if (acts[kFirstHitBlock].Empty() && !(performPhase & kSecondPhase)) {
                performPhase |= kEffectStarted | kSecondPhase;
                Drain(*this, t);
            }
        }
    }
    if (!acts[kFirstHitBlock].Empty()) {
        int32_t tx, ty;
        TargetPoint(*this, t, &tx, &ty);
        const ActFrame h = DrawBlock(*this, kFirstHitBlock, tx, ty, false);
        if ((h.events & 0x1) && !(performPhase & kSecondPhase)) {
            performPhase |= kSecondPhase;
            Drain(*this, t);
        }
    }
    if (!(performPhase & kMainEnded) || !acts[kFirstHitBlock].Empty()) return 0;
    return End(*this, {kActBegin, kFirstHitBlock});
}
