// The act effect list of a role: flying effect sprites added by the
// performers, stepped and drawn once a frame, each resolving the action on
// the target when its impact has played.
#include <algorithm>

#include "base/errorbox.h"
#include "base/memory.h"
#include "base/settings.h"
#include "battle/action/action_state.h"
#include "battle/hud/accumulator.h"
#include "battle/role/act_effect.h"
#include "battle/role/role_resolve.h"
#include "draw/draw_kernel.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"

namespace {

constexpr int kPanLeft = -48, kPanRight = 48;
constexpr int kSpeedDoubleBelow = 33;
constexpr int kSpeedGrowth = 48;
constexpr uint8_t kTrailDelay = 2;
constexpr uint8_t kTrailLength = 3;

void PlayNodeSound(ActRecord& rec, int32_t x) {
    if (rec.soundId == 0) return;
    PlaySfx(rec.soundId, int(gSfxVolume));
    SetSfxPan(rec.soundId, x >= 320 ? kPanRight : kPanLeft);
    rec.soundId = 0;
}

const PicFrame* NodeFrame(const ActRecord& rec) {
    return rec.picNumber != 0 ? GetTswPicture(rec.picNumber, rec.picFrame) : nullptr;
}

void DrawNodeFrame(const PicFrame* f, int32_t x, int32_t y, bool mirrored) {
    if (f == nullptr || gBackPixels == nullptr) return;
    DrawFrame(f, mirrored ? x - f->width : x, y, mirrored ? kFlagMirror : 0, 0);
}

// One frame of the flight: true once the node is at its end point.
bool Fly(ActEffectNode& n) {
    if (!n.started) {
        const int32_t hx = int16_t(n.flying.hotX), hy = int16_t(n.flying.hotY);
        n.walk = LineWalker{n.startX - hx, n.startY - hy, n.endX - hx, n.endY - hy, n.startX - hx, n.startY - hy, 0, 0};
        n.speed = 1;
        n.started = 1;
    }
    if (n.walk.x == n.walk.endX && n.walk.y == n.walk.endY) return true;
    const int32_t steps = n.multiplier > 0 ? n.speed * n.multiplier : n.speed;
    bool arrived = false;
    for (int32_t i = 0; i < steps && !arrived; ++i) arrived = StepLine(&n.walk) == 1;
    // A fixed multiplier keeps its speed; otherwise the flight speeds up,
    // never past the cap (a 16-bit speed would wrap and stop the node).
    if (n.multiplier <= 0) {
        n.speed = n.speed < kSpeedDoubleBelow ? n.speed * 2 : n.speed + kSpeedGrowth;
        n.speed = std::min(n.speed, kActEffectSpeedCap);
    }
    return arrived;
}

}  // namespace

void Role::AddActEffectNode(uint16_t flyingSprite, int32_t flyingAct, int32_t endX, int32_t endY, int32_t startX,
                            int32_t startY, int16_t multiplier, uint16_t delay, uint16_t impactSprite,
                            uint8_t flags) {
    auto* n = static_cast<ActEffectNode*>(AllocZero(int(sizeof(ActEffectNode))));
    if (n == nullptr) return;
    n->flying.act = flyingSprite;
    n->flying.qq = flyingAct;
    n->impact.act = impactSprite;
    n->endX = endX;
    n->endY = endY;
    n->startX = startX;
    n->startY = startY;
    n->multiplier = multiplier;
    n->delay = delay;
    n->flags = uint8_t(flags & kActEffectNoResolve);
    for (AfterimageEntry& e : n->trail.entry) e.frame = 65535;
    ActEffectNode** tail = &actEffects;
    while (*tail != nullptr) tail = &(*tail)->next;
    *tail = n;
    if (actEffectsAdded < 0xFFFF) ++actEffectsAdded;
}

void Role::EndActEffectList(int32_t a, int32_t b, int32_t c) {
    ActEffectNode* last = actEffects;
    if (last == nullptr) return;  // nothing added: nothing to close
    while (last->next != nullptr) last = last->next;
    if (last->trail.count != 0) return;
    last->trail.count = 1;
    for (int i = 0; i < 8; ++i) last->trail.entry[i].frame = 65535;
    last->trailParam[0] = a;
    last->trailParam[1] = b;
    last->trailParam[2] = c;
    last->trail.fade = uint8_t(std::clamp(a, 1, 255));
    last->trail.mode = uint8_t(std::clamp(b, 0, 2));
    last->trail.delay = kTrailDelay;
    last->trail.length = kTrailLength;
    last->trailOn = 1;
}

void Role::FreeActEffectList() {
    while (actEffects != nullptr) {
        ActEffectNode* next = actEffects->next;
        FreeMem(actEffects);
        actEffects = next;
    }
    actEffectsAdded = actEffectsDone = 0;
}

uint32_t Role::PlayActEffectList(Role* target, int32_t act) {
    if (actEffects == nullptr) {
        actEffectsAdded = actEffectsDone = 0;
        return 1;
    }
    const bool mirrored = DrawsMirrored();
    for (ActEffectNode* n = actEffects; n != nullptr; n = n->next) {
        if (n->done) continue;
        if (act != 0) n->flying.qq = act;
        // A node that has not ended by the cap (an endless impact, a walk
        // that cannot move) ends there and still lands its hit.
        const bool overCap = ++n->frames > kActEffectFrameCap;
        if (overCap) {
            TraceHook("role: an effect sprite of set %d did not end within %d frames", int(n->flying.act),
                      int(kActEffectFrameCap));
            n->flags |= kActEffectArrived;
        }
        if (!(n->flags & kActEffectArrived)) {
            if (TakeActData(&n->flying) == 0) {
                // A sprite that cannot be played has nothing to fly: it is
                // at its end at once.
                n->flags |= kActEffectArrived;
            } else {
                const PicFrame* f = NodeFrame(n->flying);
                PlayNodeSound(n->flying, n->startX);
                if (n->delay > 0) {
                    --n->delay;
                } else if (Fly(*n)) {
                    n->flags |= kActEffectArrived;
                }
                if (n->trailOn && f != nullptr)
                    DrawAfterimageTrail(&n->trail, n->flying.picNumber, n->flying.picFrame,
                                        uint32_t(n->trailParam[2]) | (mirrored ? kFlagMirror : 0), n->walk.x,
                                        n->walk.y);
                DrawNodeFrame(f, n->started ? n->walk.x : n->startX, n->started ? n->walk.y : n->startY, mirrored);
            }
            if (!(n->flags & kActEffectArrived)) continue;
        }
        // The impact at the end point; a missing or ended impact ends the node.
        bool impactOver = overCap || n->impact.act == 0 || TakeActData(&n->impact) == 0;
        if (!impactOver) {
            PlayNodeSound(n->impact, n->endX);
            const PicFrame* f = NodeFrame(n->impact);
            DrawNodeFrame(f, n->endX - int16_t(n->impact.hotX), n->endY - int16_t(n->impact.hotY), mirrored);
            impactOver = n->impact.done != 0;
        }
        if (!impactOver) continue;
        n->done = 1;
        if (actEffectsDone < 0xFFFF) ++actEffectsDone;
        if ((n->flags & kActEffectNoResolve) || target == nullptr) continue;
        if (noBlock != 1 && target->TryBlockHit((status & kStatusInvisible) ? 8 : 0) == 1) continue;
        target->SetHurtMark();
        int32_t amount;
        if (side == 1 && Id() >= kFirstManId)
            amount = static_cast<ManRole*>(this)->ResolveManRoleAction(target, nullptr, nullptr);
        else
            amount = ResolveMonRoleAction(target);
        amount = std::min(amount, resolve::kShownCap);
        if (amount == -1) continue;
        AddToAccumulator(amount);
        target->SetDamageDigits(int16_t(amount));
        target->CommitShownNumber(1);
        AddHitToActionLife(amount);
    }
    // Done nodes are freed after the walk.
    for (ActEffectNode** p = &actEffects; *p != nullptr;) {
        if ((*p)->done) {
            ActEffectNode* dead = *p;
            *p = dead->next;
            FreeMem(dead);
        } else {
            p = &(*p)->next;
        }
    }
    return 0;
}
