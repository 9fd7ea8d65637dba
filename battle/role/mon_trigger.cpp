// Enemy triggers and their reactions.
//
// An enemy's record names one trigger (a condition) and one reaction. The
// first time the condition holds in a battle the reaction applies and the
// trigger act (7320) plays while time stands still. The act is bounded: a
// missing act gives time back at once, a looping one at the frame cap.
#include <algorithm>
#include <limits>
#include <new>

#include "base/errorbox.h"
#include "base/settings.h"
#include "battle/battle_state.h"
#include "battle/role/mon_battle.h"
#include "battle/role/mon_record.h"
#include "battle/role/roles.h"
#include "draw/act_pack.h"
#include "draw/ripple.h"
#include "media/sound_bank.h"

namespace {

constexpr int32_t kTransferAct = 6119;
constexpr int32_t kTriggerAct = 7320;
constexpr int kTriggerSoundPan = -48;
constexpr uint16_t kLastTriggerCode = 30;
constexpr uint32_t kMaskInvisible = 0x10000000;
constexpr uint8_t kInvisibleTurns = 255;
constexpr uint16_t kReactionSpecialCount = 10000;
constexpr uint8_t kLeaveMarkTaken = 8;

bool PartySide(const Role& r) { return r.side == 1 || r.member == 1 || r.guard == 1 || r.spirit == 1; }

uint16_t Saturate(uint32_t v) { return uint16_t(std::min<uint32_t>(v, 0xFFFF)); }
uint16_t Plus70(uint16_t x) { return Saturate(uint32_t(x) + uint32_t(x) * 70 / 100); }
uint16_t Double(uint16_t x) { return Saturate(uint32_t(x) * 2); }
uint16_t Halve(uint16_t x) { return uint16_t(x - x / 2); }

// Counts one more, never up to the mark.
void CountUp(uint16_t* c) {
    if (*c < kTrigMarked - 1) ++*c;
}

}  // namespace

uint16_t Role::MonTriggerCode() const { return objRecord != nullptr ? ObjWordAt(*objRecord, mon::kTrigger) : 0; }

uint16_t Role::MonReactionCode() const { return objRecord != nullptr ? ObjWordAt(*objRecord, mon::kReaction) : 0; }

void Role::CountMonTriggerEvent(uint16_t event) {
    if (PartySide(*this)) {
        if (event == 2) transferFlag = 1;
        return;
    }
    const uint16_t code = MonTriggerCode();
    uint16_t* hits = &triggerCounter[kTrigHits];
    uint16_t* magic = &triggerCounter[kTrigMagicHits];
    if (event == 0 && code == 4 && *hits != kTrigMarked) CountUp(hits);
    if (event == 1 && code == 5) *hits = kTrigMarked;
    if (event == 2 && code == 6 && *magic != kTrigMarked) CountUp(magic);
    if (event == 3 && code == 7) *magic = kTrigMarked;
}

uint32_t Role::CheckMonTrigger(uint16_t event, uint16_t element) {
    if ((state & kStateTriggerFired) || PartySide(*this) || objRecord == nullptr) return 0;
    if ((status & kStatusHeld) || defeated == 1 || out == 1) return 0;
    const uint16_t code = MonTriggerCode();
    if (code == 0) return 0;
    if (code > kLastTriggerCode) return 1;
    bool holds = false;
    switch (code) {
    case 1: holds = MonLife() < MonLifeMax() / 3; break;
    case 3: holds = triggerCounter[kTrigAttacks] >= 5; break;
    case 4: holds = triggerCounter[kTrigHits] != kTrigMarked && triggerCounter[kTrigHits] >= 15; break;
    case 5: holds = triggerCounter[kTrigHits] == kTrigMarked; break;
    case 6: holds = triggerCounter[kTrigMagicHits] != kTrigMarked && triggerCounter[kTrigMagicHits] >= 5; break;
    case 7: holds = triggerCounter[kTrigMagicHits] == kTrigMarked; break;
    case 10: case 11: case 12: case 13: case 14: holds = element == code - 9; break;
    case 16: holds = (effectBits & kEffectConfuse) != 0; break;
    case 17: holds = (effectBits & kEffectSlow) != 0; break;
    case 18: holds = (effectBits & kEffectSeal) != 0; break;
    case 28: holds = triggerCounter[kTrigItems] >= 2; break;
    default: holds = event == code; break;  // 2, 8, 9, 15, 19..27, 29, 30
    }
    if (!holds) return 1;
    state |= kStateTriggerFired;
    FireMonTrigger();
    return 1;
}

uint32_t Role::FireMonTrigger() {
    if (!(state & kStateTriggerFired) || objRecord == nullptr) return 0;
    ObjRecord& r = *objRecord;
    uint16_t attack = ObjWordAt(r, mon::kAttack), defence = ObjWordAt(r, mon::kDefence),
             speed = ObjWordAt(r, mon::kAgility);
    const uint16_t reaction = MonReactionCode();
    switch (reaction) {
    case 1001: attack = Plus70(attack); break;
    case 1002: defence = Plus70(defence); break;
    case 1003: speed = Plus70(speed); break;
    case 1004: attack = Double(attack); defence = Halve(defence); break;
    case 1005: attack = Double(attack); speed = Halve(speed); break;
    case 1006: defence = Double(defence); attack = Halve(attack); break;
    case 1007: defence = Double(defence); speed = Halve(speed); break;
    case 1008: speed = Double(speed); attack = Halve(attack); break;
    case 1009: speed = Double(speed); defence = Halve(defence); break;
    case 1010: state |= kStateElementNeutral; break;
    case 1012: {
        // The pool is worked out wide: a large maximum stays a large pool.
        const uint64_t pool = uint64_t(MonLifeMax()) * 14 / 10;
        extraLife = int32_t(std::min<uint64_t>(pool, uint64_t(std::numeric_limits<int32_t>::max())));
        extraLifeMax = extraLife;
        state |= kStateSelfDestruct;
        break;
    }
    default:
        if (reaction >= 1013 && reaction <= 1018) {
            triggerPhase = uint8_t(reaction - 1012);
        } else if (reaction != 0 && reaction < 1001) {
            // A new special action: the reaction's object, with uses to spare.
            SetMonSlotId(&r, mon::kAttackSlot, reaction);
            SetMonSlotCount(&r, mon::kAttackSlot, kReactionSpecialCount);
            SetObjByteAt(&r, mon::kLeaveMark, kLeaveMarkTaken);
        }
        break;
    }
    SetObjWordAt(&r, mon::kAttack, attack);
    SetObjWordAt(&r, mon::kDefence, defence);
    SetObjWordAt(&r, mon::kAgility, speed);

    StartReactionAct();
    return 0;
}

bool Role::StartReactionAct() {
    const int me = Id() + 1;
    if (acting == 1) return false;
    const int owner = gMonBattle.triggerOwner;
    if (owner != 0 && owner != me) {
        // Another enemy's reaction shows; a display whose enemy no longer
        // plays one (reset, or out before it ended) is taken over.
        const bool stale = owner < 1 || owner > kMaxMonRoles ||
                           !(gMonRoles[owner - 1].state & kStateTriggerFired) ||
                           (gMonRoles[owner - 1].state & kStateTriggerActDone);
        if (!stale) return false;
    }
    gMonBattle.triggerOwner = me;
    BeginTriggerDisplay();
    acts[kActTrigger].Clear();
    acts[kActTrigger].rec.act = kTriggerAct;
    triggerFrames = 0;
    return true;
}

void Role::EndReactionDisplay() {
    if (gMonBattle.triggerOwner != Id() + 1) return;
    gMonBattle.triggerOwner = 0;
    EndTriggerDisplay();
}

uint32_t Role::PlayMonTriggerAct() {
    if (!(state & kStateTriggerFired) || acting == 1) return 0;
    if (state & kStateTriggerActDone) return 1;
    ActBlock& block = acts[kActTrigger];
    auto finish = [&](bool invisible) {
        if (invisible && MonReactionCode() == 1011) {
            ActionRecord a{};
            a.mask = kMaskInvisible;
            a.duration = kInvisibleTurns;
            ApplyAssistEffect(&a);
        }
        EndReactionDisplay();
        state |= kStateTriggerActDone;
        block.Clear();
        triggerFrames = 0;
    };
    if (gMonBattle.triggerOwner != Id() + 1 && !IsOut()) {
        // The pending reaction act starts once its enemy is free and no
        // other reaction shows.
        if (!StartReactionAct()) return 0;
    }
    if (IsOut()) {
        EndReactionDisplay();
        state &= ~kStateTriggerFired;
        block.Clear();
        return 1;
    }
    if (block.Empty()) {
        // Nothing to play (the act was emptied): time must not stay stopped.
        finish(true);
        return 0;
    }
    if (TakeActData(&block.rec) == 0) {
        TraceHook("role: the trigger act %d of enemy sprite set %u cannot play", int(kTriggerAct),
                  unsigned(spriteSet));
        finish(true);
        return 1;
    }
    ActRecord& a = block.rec;
    if (a.soundId != 0) {
        PlaySfx(a.soundId, int(gSfxVolume));
        SetSfxPan(a.soundId, kTriggerSoundPan);
        a.soundId = 0;
    }
    int16_t x, y;
    GetRolePos(&x, &y);
    DrawPictureFrame(a.picNumber, a.picFrame, x - int(a.hotX), y - int(a.hotY), a.drawFlags, a.alpha);
    if (a.done) {
        finish(true);
        return 1;
    }
    if (++triggerFrames >= kTriggerActFrameCap) {
        TraceHook("role: the trigger act of enemy sprite set %u did not end within %d frames", unsigned(spriteSet),
                  kTriggerActFrameCap);
        finish(true);
    }
    return 1;
}

void Role::StartTransferAct() {
    // One damage-transfer act at a time: a number committed while it runs
    // neither makes a second ripple nor restarts the first.
    if (transferRipple != nullptr && (state & kStateTransferAct)) return;
    Stop = 1;
    gTransferOverlay = 1;
    state |= kStateTransferAct;
    // The screen ripple is the role's own until the overlay has run its 30
    // frames (DrawRoleEffectOverlays) or the role is reset.
    FreeTransferRipple();
    transferRipple = new (std::nothrow) cRipple;
    if (transferRipple != nullptr && transferRipple->InitRipple(640, 480, 0, 0, 200, 200)) {
        transferRipple->DropRipple(100, 50, 32, 200);
        int16_t x, y;
        GetRolePos(&x, &y);
        transferRipple->ClampRipple(x - 80, y - 120);
    } else {
        FreeTransferRipple();
    }
    acts[kActTrigger].Clear();
    acts[kActTrigger].rec.act = kTransferAct;
    transferFrames = 0;
}
