// The turn's command of a party role (weapon skill, strong attack, run-up)
// and its plain attack, played one frame a call.
#include <algorithm>
#include <cstring>

#include "base/errorbox.h"
#include "base/random.h"
#include "battle/battle_state.h"
#include "battle/hud/accumulator.h"
#include "battle/manrole/man_battle.h"
#include "battle/manrole/man_texts.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_tint.h"
#include "draw/act_pack.h"
#include "world/org/count_list.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"

namespace {

constexpr uint8_t kRunUpBits = 0x8 | 0x20;   // the action's target byte: a run-up first
constexpr uint16_t kWeakenedSpriteSet = 250;
constexpr uint16_t kWeakenedAction = 166;
constexpr int kHitBlockFirst = 6;             // act blocks [6 + slot] show the hit on the target
constexpr int kHitSlots = kActMultiLast - kHitBlockFirst + 1;
constexpr uint16_t kHandledEvents = 0x1 | 0x2 | 0x4 | 0x8 | 0x40 | 0x400 | 0x800;
constexpr int16_t kShownCap = 9999;

bool NeedsRunUp(const ActionRecord& a) { return (ActionTargetByte(a) & kRunUpBits) != 0; }

// Starts a block on an act; false when the act gives no frame.
bool StartAct(ActBlock* block, uint16_t spriteSet, int32_t act) {
    block->Clear();
    block->rec.act = spriteSet;
    block->rec.qq = act;
    ActRecord probe = block->rec;
    return TakeActData(&probe) != 0;
}

// One frame of a block's act (the drawing belongs to the act players); true
// once it has ended or has nothing to play.
bool StepAct(ActBlock* block) {
    if (block->Empty()) return true;
    if (TakeActData(&block->rec) == 0 || block->rec.done) {
        block->Clear();
        return true;
    }
    return false;
}

}  // namespace

void ManRole::CheckStrongAttack() {
    if (guard == 1 || spareFlag == 1 || skillBits != 0 || stackCount > 0 || (status & kStatusWeakened)) return;
    // Never twice running for the same role.
    if (gManBattle.lastStrongSprite != 0 && gManBattle.lastStrongSprite == spriteSet) return;
    bool strong = (statusDword & 0x1) || (effectBits & kEffectStrong);
    if (!strong) {
        const uint32_t done = gManBattle.plainAttacks;
        if (done >= gBattleManCount + 8)
            strong = true;
        else if (done >= 8)
            strong = Random(10) >= 6;
    }
    if (!strong) return;
    strongAttack = 1;
    gManBattle.plainAttacks = 0;
    gManBattle.lastStrongSprite = spriteSet;
}

int ManRole::PrepareManCommand() {
    if (subCommand != 2) std::memset(actionName, 0, sizeof actionName);
    if (command == 0) return 1;
    if (actionFlags & 0x2) {
        runPrepared = 1;
        if (storedCommand != 0) command = storedCommand;
        if (NeedsRunUp(action)) {
            subCommand = command;
            command = 200;
            return 1;
        }
        return 0;
    }
    if (command != 27 && stats != nullptr) skillAmount = stats->bonus[0];
    StartWeaponSkill(command);
    CheckStrongAttack();
    std::memset(&action, 0, sizeof action);
    ReadActionRecord(&action, 0);
    if (statusDword & 0x20) action.flags |= 0x100;
    const uint16_t weaponAction = weapon.w[kObjActionId];
    const bool runUpCommand = member == 1 && (command == 1 || command == 23 || command == 26);
    if (weaponAction == 0) {
        if (runUpCommand && NeedsRunUp(action)) {
            subCommand = command;
            command = 200;
        }
        return 0;
    }
    std::memset(&action, 0, sizeof action);
    ReadActionRecord(&action, (status & kStatusWeakened) ? kWeakenedAction : weaponAction);
    if (statusDword & 0x20) action.flags |= 0x100;
    if (!(effectBits & kEffectConfuse)) {
        if (!NeedsRunUp(action) && command != 23) return 1;
        if (runUpCommand && NeedsRunUp(action)) {
            subCommand = command;
            command = 200;
        }
    } else if (command == 1) {
        if (!(state & kStateBit28) && NeedsRunUp(action)) {
            subCommand = 1;
            command = 200;
        } else if ((state & kStateBit28) && (ActionTargetByte(action) & 0x4)) {
            facing = 1;
            SetRolePos(340, 320);
        }
    }
    return 1;
}

void ManRole::EndAttackActs(int slotIndex) {
    acts[kActPerform].Clear();
    acts[kActFade].Clear();
    acts[kHitBlockFirst].Clear();
    acts[kHitBlockFirst + 1].Clear();
    if (slotIndex >= 0 && slotIndex < kHitSlots) acts[kHitBlockFirst + slotIndex].Clear();
    for (int32_t& s : hitSlots) s = -1;
    blend[0] = 0;
    ready = 0;
    specialAct = 0;
    attackStarted = attackHitPhase = 0;
}

int ManRole::FinishAttack(int slotIndex) {
    EndAttackActs(slotIndex);
    attackFrames = 0;
    attackAppeared = 0;
    skillBits &= ~0x1u;
    if (gManBattle.plainAttacks < 0xFF) ++gManBattle.plainAttacks;
    strongAttack = 0;
    gStrongAttack = 0;
    return 1;
}

int ManRole::ManRoleAttack(Role* t, int slotIndex) {
    // Every call counts, waiting ones too: an act that never ends or a wait
    // that is never released ends the attack at the cap, once traced.
    if (++attackFrames > kAttackFrameCap) {
        TraceHook("manrole: the attack of sprite set %u did not end within %d frames", unsigned(spriteSet),
                  kAttackFrameCap);
        return FinishAttack(slotIndex);
    }
    if (t == nullptr || slotIndex < 0 || slotIndex >= kHitSlots) {
        TraceHook("manrole: an attack without a target (slot %d)", slotIndex);
        return FinishAttack(slotIndex);
    }
    if (repeatCount != 0 || holdFlag == 1) return 0;

    if (!attackStarted) {
        if ((guard == 1 || (effectBits & kEffectConfuse)) && NeedsRunUp(action) && !attackAppeared) {
            // The appearing half of the teleport move (drawn by the role
            // drawing) puts the role at its target.
            attackAppeared = 1;
            if (state & kStateBit28) facing = 1;
        }
        if (spareFlag == 1) SetRolePos(320, 310);
        acting = 1;
        uint16_t set = spriteSet;
        int32_t act = 40;
        if (status & kStatusWeakened) {
            set = kWeakenedSpriteSet;
        } else if (member == 1 && (strongAttack == 1 || gStrongAttack == 1)) {
            act = 41;
            gStrongAttack = 1;
            if (weapon.w[kObjAltWord] != 0) action.followUp = weapon.w[kObjAltWord];
        }
        if (guard == 1 || spareFlag == 1) {
            if (attackKind == 1) act = 48;
            if (attackKind == 2) act = 49;
        }
        if (!StartAct(&acts[kActPerform], set, act)) {
            ErrorBox(kAttackActCaption, kActErrorText, name != nullptr ? name : "", int(act));
            return FinishAttack(slotIndex);
        }
        attackStarted = 1;
    }

    ActBlock& perform = acts[kActPerform];
    bool ended = true;
    bool hit = false;
    if (!perform.Empty() && TakeActData(&perform.rec) != 0) {
        ActRecord& r = perform.rec;
        const uint16_t ev = r.events;
        // Each event is handled on the frame it is raised, and cleared: a
        // latched hit would land again on every later frame.
        r.events = uint16_t(ev & ~kHandledEvents);
        if ((ev & 0x2) && r.followAct != 0) {
            ActBlock& follow = acts[kActFade];
            follow.Clear();
            follow.rec.act = int32_t(r.followAct);
            follow.rec.qq = int32_t(r.followQq);
        }
        if (ev & 0x800) StartViewFollow(1);
        if (ev & 0x40) StartViewRecentre(1);
        if ((ev & 0x8) && (ev & 0x400)) {
            StartBattleTint(r.tint[0], r.tint[1], r.tint[2], r.tint[3], r.tint[4], r.tint[5], r.tint[6]);
            hit = true;
        }
        if (ev & 0x4) t->SetHurtMark();
        if (ev & 0x1) {
            ApplyHit(t, 1);
            hit = true;
        }
        // Once played out the act is not stepped again: its last frame's
        // events are never raised twice.
        ended = r.done != 0;
    }
    if (ended) perform.Clear();
    ActBlock& onTarget = acts[kHitBlockFirst + slotIndex];
    if (hit && !attackHitPhase) {
        attackHitPhase = 1;
        onTarget.Clear();
        if (action.followUp != 0) onTarget.rec.act = action.followUp;
    }
    if (attackHitPhase && blend[0] > -32) blend[0] = int16_t(std::max(-32, blend[0] - 4));
    const bool followDone = StepAct(&acts[kActFade]);
    const bool targetDone = StepAct(&onTarget);
    if (!ended || !followDone || !targetDone) return 0;

    if ((skillBits & 0x1) && extraStrike > 0) {
        // Skill 21 strikes once more.
        --extraStrike;
        EndAttackActs(slotIndex);
        return 0;
    }
    return FinishAttack(slotIndex);
}
