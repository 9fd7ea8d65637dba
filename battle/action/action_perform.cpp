// The performance of the running action: the hit acts on its targets, the
// amounts they gather and their application, the drains between roles, the
// line mover of thrown acts and the automatic attack.
#include "battle/action/action_perform.h"

#include <algorithm>

#include "base/errorbox.h"
#include "base/settings.h"
#include "battle/action/action_state.h"
#include "battle/action/performers.h"
#include "battle/battle_debug.h"
#include "battle/battle_frame.h"
#include "battle/battle_start.h"
#include "battle/battle_state.h"
#include "battle/effects/effect_layers.h"
#include "battle/hud/battle_hud.h"
#include "battle/hud/hud_state.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_tint.h"
#include "battle/turn/bookkeeping.h"
#include "battle/turn/targeting.h"
#include "draw/draw_kernel.h"
#include "draw/ripple.h"
#include "media/sound_bank.h"
#include "world/org/count_list.h"

ActionState gAction;

namespace {

constexpr uint16_t kDigitsHeal = 9085, kDigitsSpirit = 9086, kDigitsStamina = 9087;
constexpr uint16_t kRippleSound = 322;
constexpr int kRippleQuietEnd = 100;    // frames of a ripple without a target point
constexpr uint32_t kRippleArrived = 300, kRippleEnd = 339;
constexpr int kRippleHalf = 100;  // half the ripple's 200 x 200 cells

int16_t Sat16(int64_t v) { return int16_t(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX)); }

bool IsEnemyId(int id) { return id >= 0 && id < kFirstManId; }

// The target side of the current action: enemies, or the party.
bool TargetsEnemies(int actorId) {
    if (IsEnemyId(actorId)) return gCurRole.monCommandSet != 0;
    return gCurRole.manCommandSet == 0;
}

int SideCount(bool enemies) {
    return enemies ? int(std::min<uint32_t>(gBattleMonCount, kMaxMonRoles))
                   : int(std::min<uint32_t>(gBattleManCount, kMaxManRoles));
}

Role* SideRole(bool enemies, int index) {
    if (index < 0 || index >= SideCount(enemies)) return nullptr;
    return enemies ? static_cast<Role*>(&gMonRoles[index]) : static_cast<Role*>(&gManRoles[index]);
}

int IndexOf(const Role* r) {
    const int id = r->Id();
    return IsEnemyId(id) ? id : id - kFirstManId;
}

// A target that went down: the marks of its side and the white frame.
void NoteDowned(Role* target) {
    gSomeoneDowned = 1;
    const int index = IndexOf(target);
    if (target->side == 0) {
        gLastDowned = int16_t(index);
        MarkEnemyDying(index);
    } else {
        gAction.lastManDowned = int16_t(index);
        MarkMemberDying(index);
    }
    gFlashRequest = 1;
}

// Applies the amounts; true when they downed the target.
bool ApplyAmounts(Role* target, int32_t life, int16_t spirit, int16_t stamina) {
    if (gInvincible) return false;
    if (target->DamageRole(life, spirit, stamina) != 1) return false;
    NoteDowned(target);
    return true;
}

void NoteHit(Role* target) {
    gHitApplied = 1;
    if (target->side == 0)
        gAction.lastMonHit = int16_t(IndexOf(target));
    else
        gAction.lastManHit = int16_t(IndexOf(target));
}

void ClearTotals() {
    gActionLife = 0;
    gActionSpirit = 0;
    gActionStamina = 0;
}

// After an enemy's hit on a party member: the member's element treasures
// grow, and its weapon skill may turn the hit into spirit.
void AfterEnemyHit(Role* actor, Role* target, int32_t gathered) {
    if (target->side != 1) return;
    ManRole* member = static_cast<ManRole*>(target);
    member->GrowElementTreasure(&gFameList3, &actor->action);
    // The scale works on the gathered total held in 0..65535.
    uint16_t total = uint16_t(std::clamp<int32_t>(gathered, 0, 0xFFFF));
    if (member->ApplySkillDamageScale(&total) == 1 && total > 0) {
        const int16_t amount = Sat16(total);
        member->PushShownNumber(kDigitsSpirit);
        member->SetDamageDigits(amount);
        member->CommitShownNumber(1);
        member->DamageRole(0, amount, 0);
    }
}

// The ally whose menus are open is now held by an ailment: its menu closes.
void CloseMenuOfHeldAlly(Role* target) {
    if (target->side == 1 && SEL == target->Id() && target->IsRoleHeldByAilment()) fMenu = 0;
}

// Skipped targets of a sequence or group action.
bool Skipped(bool enemyActor, bool onEnemies, Role* r) {
    if (onEnemies) return r->IsOut() != 0;
    if (enemyActor) return r->IsOut() || r->GetRoleFlagE() == 1 || r->IsSpiritRole() == 1;
    // A party actor on its own side: guards, flag E and the spirit, but not the out.
    return r->IsGuardRole() == 1 || r->GetRoleFlagE() == 1 || r->IsSpiritRole() == 1;
}

void EndAction() {
    ClearActionTargets();
    ClearTotals();
}

// A target's amounts: drained first for an enemy's hit on the party (quietly),
// then applied; true when it went down.
bool ApplyTarget(Role* actor, Role* r, int i, bool enemyActor, bool onEnemies) {
    gHitDone[i] = i;
    NoteHit(r);
    gActionLife = gHitLife[i];
    gActionSpirit = gHitSpirit[i];
    gActionStamina = gHitStamina[i];
    const int32_t gathered = gActionLife;
    if (enemyActor && !onEnemies) {
        gAction.quietTransfer = 1;
        TransferAmount(&gActionLife, actor, r);
    }
    const bool down = ApplyAmounts(r, gActionLife, gActionSpirit, gActionStamina);
    if (enemyActor && !onEnemies) AfterEnemyHit(actor, r, gathered);
    CloseMenuOfHeldAlly(r);
    ClearTotals();
    gHitLife[i] = 0;
    gHitSpirit[i] = 0;
    gHitStamina[i] = 0;
    return down;
}

int RunSingle(Role* actor, bool enemyActor, bool onEnemies, int act) {
    Role* target = SideRole(onEnemies, actor->GetActionTarget());
    if (target == nullptr) {
        TraceHook("action: the action of combatant %d has no target (%d)", actor->Id(), int(actor->GetActionTarget()));
        EndAction();
        return 1;
    }
    const int r = gCurRole.sideFlag != 0 ? gPerformers.sideHit(target, actor, act, 0, 0)
                                         : gPerformers.targetHit(target, actor, act, 0);
    if (r == 0) return 0;
    NoteHit(target);
    const bool crossing = enemyActor != onEnemies;
    const int32_t gathered = gActionLife;
    if (crossing) TransferAmount(&gActionLife, actor, target);
    ApplyAmounts(target, gActionLife, gActionSpirit, gActionStamina);
    CloseMenuOfHeldAlly(target);
    if (enemyActor && !onEnemies) AfterEnemyHit(actor, target, gathered);
    EndAction();
    return 1;
}

int RunSequence(Role* actor, bool enemyActor, bool onEnemies, int act) {
    const int count = SideCount(onEnemies);
    // Start the next target: the first at once, then one every stagger delay.
    if (gRetreatCount < count) {
        bool start = gRetreatCount == 0;
        if (!start) {
            ++gStaggerTick;
            start = gStaggerTick >= gStaggerDelay;  // a delay of 0 starts at once
        }
        if (start) {
            gStaggerTick = 0;
            ++gRetreatCount;
            // A party actor passes over an enemy that is already out.
            while (!enemyActor && onEnemies && gRetreatCount < count && SideRole(onEnemies, gRetreatCount - 1)->IsOut())
                ++gRetreatCount;
        }
    }
    bool allDone = gRetreatCount >= count;
    for (int i = 0; i < gRetreatCount && i < count; ++i) {
        Role* r = SideRole(onEnemies, i);
        if (gHitDone[i] != -1) continue;
        if (Skipped(enemyActor, onEnemies, r)) continue;
        if (gPerformers.targetHit(r, actor, act, i) != 1) {
            allDone = false;
            continue;
        }
        const bool down = ApplyTarget(actor, r, i, enemyActor, onEnemies);
        if (down && !enemyActor) ++gDownCount;
        ++AllHit;
    }
    const int needed = enemyActor ? ALk1 : gCurRole.ALk;
    if ((needed > 0 && AllHit >= needed) || allDone) {
        if (gAction.quietTransfer) ApplyTransferTotals(actor);
        EndAction();
        return 1;
    }
    return 0;
}

int RunGroup(Role* actor, bool enemyActor, bool onEnemies, int act) {
    Role* target = SideRole(onEnemies, std::max<int>(0, actor->GetActionTarget()));
    if (target == nullptr) target = SideRole(onEnemies, 0);
    if (target == nullptr) {
        EndAction();
        return 1;
    }
    if (gPerformers.sideHit(target, actor, act, 0, 1) == 0) return 0;
    const bool ownSide = !enemyActor && !onEnemies;
    for (int i = 0; i < SideCount(onEnemies); ++i) {
        Role* r = SideRole(onEnemies, i);
        if (gHitDone[i] != -1 || r->IsOut()) continue;
        if (enemyActor && !onEnemies && (r->GetRoleFlagE() == 1 || r->IsSpiritRole() == 1)) continue;
        if (ownSide) {
            // Applied by the performer at the hit.
            gHitDone[i] = i;
            NoteHit(r);
            continue;
        }
        if (ApplyTarget(actor, r, i, enemyActor, onEnemies)) ++gDownCount;
    }
    if (gAction.quietTransfer) ApplyTransferTotals(actor);
    EndAction();
    return 1;
}

// ---- The hit acts ----

void ClearHitSlot(int slot) {
    gHitActs[slot] = ActRecord{};
    gHitFollowUp[slot] = 0;
    gHitArrived[slot] = 0;
    gHitFade[slot] = 0;
    gAction.hitEnded[slot] = 0;
    gAction.hitRippleStarted[slot] = 0;
    gAction.hitFrames[slot] = 0;
    gAction.line[slot] = LineMover{};
    gRippleTimer = 0;
}

bool AttackerMirrors(const Role* attacker) { return attacker->side == 0 || gBattleMirrored == 1; }

void PlayPanned(uint16_t sound) {
    if (sound != 0) PlaySfx(sound, int(gSfxVolume));
}

// The hit of one frame: the resolution, its shown numbers and the gathered amounts.
void ResolveTargetHitImpl(Role* target, Role* attacker, int slot, bool hurt) {
    if (hurt) target->SetHurtMark();
    if (attacker->IsActionFlag14()) {
        // The HUD's elemental panel shows the target's percentages.
        int8_t values[5];
        for (int e = 0; e < 5; ++e) values[e] = target->ElementPercent(e);
        SetPercentPanelRecord(target->name, values);
        gBattleUiFlags |= kUiPercentPanel;
        fMenu = 0;
    }
    int32_t damage;
    int16_t spirit = 0, stamina = 0;
    if (attacker->side == 1) {
        uint16_t s = 0, t = 0;
        damage = static_cast<ManRole*>(attacker)->ResolveManRoleAction(target, &s, &t);
        spirit = int16_t(s);
        stamina = int16_t(t);
    } else {
        damage = attacker->ResolveMonRoleAction(target);
    }
    const int top = std::min<int>(target->shownCursor, kShownNumbers - 1);
    // -1 is "no number" unless the resolution made it a heal of 1.
    const bool noNumber = damage == -1 && target->shown[top].sprite != kDigitsHeal;
    if (noNumber) damage = 0;
    damage = std::clamp(damage, -kShownAmountCap, kShownAmountCap);
    gLastDamage = damage;
    if (!noNumber) {
        target->SetDamageDigits(int16_t(damage));
        target->CommitShownNumber(1);
    }
    if (spirit != 0) {
        target->PushShownNumber(kDigitsSpirit);
        target->SetDamageDigits(spirit);
        target->SetShownNumberDelay(8);
        target->CommitShownNumber(1);
    }
    if (stamina != 0) {
        target->PushShownNumber(kDigitsStamina);
        target->SetDamageDigits(stamina);
        target->SetShownNumberDelay(16);
        target->CommitShownNumber(1);
    }
    // Several hits on one target add up: life, spirit and stamina alike.
    gActionLife = int32_t(std::clamp<int64_t>(int64_t(gHitLife[slot]) + damage, INT32_MIN, INT32_MAX));
    gHitLife[slot] = gActionLife;
    gHitSpirit[slot] = Sat16(int64_t(gHitSpirit[slot]) + spirit);
    gHitStamina[slot] = Sat16(int64_t(gHitStamina[slot]) + stamina);
    gActionSpirit = gHitSpirit[slot];
    gActionStamina = gHitStamina[slot];
}

// The events of one frame of a hit act; each is handled on the frame it is
// raised and never again.
void HandleHitEvents(Role* target, Role* attacker, int slot, uint16_t ev, int x, int y) {
    ActRecord& rec = gHitActs[slot];
    if ((ev & 0x20) && !gHitFollowUp[slot]) {
        const uint16_t follow = attacker->GetActionFollowUpAct();
        if (follow != 0) AddSecondLayerMagic(follow, 0, uint16_t(x), uint16_t(y), AttackerMirrors(attacker) ? 1 : 0);
        gHitFollowUp[slot] = 1;
    }
    if (ev & 0x8) {
        if (ev & 0x1000) target->SetRoleHoldTimer(30, 1);
        else if (ev & 0x2000) target->SetRoleHoldTimer(30, 2);
        else if (ev & 0x4000) target->SetRoleHoldTimer(30, 3);
        if (ev & 0x400) {
            StartBattleTint(rec.tint[0], rec.tint[1], rec.tint[2], rec.tint[3], rec.tint[4], rec.tint[5], rec.tint[6]);
            gTintFadeBack = 1;
        }
    }
    if (ev & 0x4) target->SetHurtMark();
    if (ev & 0x1)
        ResolveTargetHitImpl(target, attacker, slot, true);
    else if (ev & 0x10)
        ResolveTargetHitImpl(target, attacker, slot, false);
}

// The screen area at (x, y) through the ripple: copied, put in place and
// drawn back displaced, then stepped.
void DrawRippleAt(cRipple* ripple, int x, int y) {
    if (gBackPixels != nullptr && gScreenWidth >= 640 && gScreenHeight >= 480) {
        ripple->CopyRipple(gBackPixels, gScreenPitch);
        ripple->ClampRipple(x - kRippleHalf, y - kRippleHalf);
        ripple->DrawRipple(gBackPixels, gScreenPitch);
    }
    ripple->StepRipple();
}

// One frame of the ripple variant; true once the slot's act has ended.
bool StepRippleHit(Role* target, Role* attacker, int slot, uint16_t* ev) {
    cRipple* ripple = gAction.ripple;
    int16_t hx = 0, hy = 0;
    HitPointOnScreen(target, &hx, &hy);
    int16_t px = 0, py = 0;
    const bool point = attacker->GetActionTargetPoint(&px, &py) == 1;
    if (!point) {
        if (gRippleTimer == 0) PlayPanned(kRippleSound);
        // Disturbed at a random place near the target on frames 0, 9, 18 and 27.
        if (gRippleTimer % 9 == 0 && gRippleTimer <= 27) ripple->DropRipple(-1, -1, 8, 200);
        DrawRippleAt(ripple, hx, hy);
        if (++gRippleTimer >= kRippleQuietEnd) {
            *ev |= 0x1;
            return true;
        }
        return false;
    }
    if (!gHitArrived[slot]) {
        int x = hx, y = hy;
        int16_t ax = 0, ay = 0;
        HitPointOnScreen(attacker, &ax, &ay);
        if (MoveAlongLine(&x, &y, ax, ay, px, py, 0, 0, slot) == 1) {
            gHitArrived[slot] = 1;
            PlayPanned(kRippleSound);
            *ev |= 0x1;
            gRippleTimer = kRippleArrived;
        }
        return false;
    }
    if (gRippleTimer == kRippleArrived) ripple->DropRipple(kRippleHalf, kRippleHalf, 8, 200);
    DrawRippleAt(ripple, px, py);
    return ++gRippleTimer > kRippleEnd;
}

}  // namespace

// A role's hit point on the screen: its frame's hit point from the frame's
// top left corner (the drawing origin); the frame's centre when its act
// names no hit point. The hit point alone is relative to the frame, so acts
// placed at it stood in the screen's top left corner.
void HitPointOnScreen(const Role* role, int16_t* x, int16_t* y) {
    int16_t hx = 0, hy = 0, ox = 0, oy = 0;
    role->GetHitPoint(&hx, &hy);
    role->GetDrawOrigin(&ox, &oy);
    if (hx == 0 && hy == 0 && role->picture != nullptr) {
        hx = int16_t(role->picture->width / 2);
        hy = int16_t(role->picture->height / 2);
    }
    *x = int16_t(ox + hx);
    *y = int16_t(oy + hy);
}

void ResolveTargetHit(Role* target, Role* attacker, int slot, int hurt) {
    if (target == nullptr || attacker == nullptr || slot < 0 || slot >= kHitTargets) return;
    ResolveTargetHitImpl(target, attacker, slot, hurt != 0);
}

void ClearActionTargets() {
    for (int i = 0; i < kHitTargets; ++i) {
        ClearHitSlot(i);
        gHitLife[i] = 0;
        gHitSpirit[i] = 0;
        gHitStamina[i] = 0;
        gHitDone[i] = -1;
        gHitRepeat[i] = 0;
        gAction.reacted[i] = 0;
    }
    gRippleTimer = 0;
    AllHit = 0;
    gRetreatCount = 0;
    gStaggerTick = 0;
    gAction.actionOpen = 0;
    gAction.actionFrames = 0;
    gAction.quietTransfer = 0;
    gAction.transferLife = gAction.transferSpirit = gAction.transferStamina = 0;
}

void FreeActionRipple() {
    delete gAction.ripple;
    gAction.ripple = nullptr;
    gRippleMode = 0;
}

void ResetActionState() {
    FreeActionRipple();
    gAction = ActionState{};
    ClearActionTargets();
    gControlledEnemy = -1;
    gController = -1;
    gMusicLevel = -1;
    gAction.lastManHit = gAction.lastMonHit = gAction.lastManDowned = -1;
    gAction.commandActor = -1;
    gAction.summonSlot = -1;
    gStaggerDelay = kDefaultStaggerDelay;
}

int RunCurrentAction() {
    if (!(gActionFlags & kActionRunning) || (gActionFlags & kActionOver)) return 0;
    Role* actor = RoleById(gCurRole.id);
    if (actor == nullptr) {
        TraceHook("action: an action runs without an actor (%d)", int(gCurRole.id));
        EndAction();
        return 1;
    }
    if (!gAction.actionOpen) {
        // Every target open and nothing gathered when the action starts.
        ClearActionTargets();
        ClearTotals();
        gAction.actionOpen = 1;
    }
    if (++gAction.actionFrames > uint32_t(kActionFrameCap)) {
        TraceHook("action: the action of combatant %d did not end within %d frames", int(gCurRole.id),
                  kActionFrameCap);
        EndAction();
        return 1;
    }
    const bool enemyActor = IsEnemyId(gCurRole.id);
    const int slot = enemyActor ? gCurRole.id : gCurRole.id - kFirstManId;
    if (gActionFlags & kActionStrikeAll) {
        if (enemyActor || StrikeAllEnemies(slot) == 1) {
            EndAction();
            return 1;
        }
        return 0;
    }
    const bool onEnemies = TargetsEnemies(gCurRole.id);
    const int act = enemyActor ? gMonHitAct[slot] : gManHitAct[slot];
    if (gCurRole.wholeSide == 0) return RunSingle(actor, enemyActor, onEnemies, act);
    if (gCurRole.sideFlag == 0) return RunSequence(actor, enemyActor, onEnemies, act);
    return RunGroup(actor, enemyActor, onEnemies, act);
}

int PlayTargetHitAct(Role* target, Role* attacker, int act, int slot) {
    if (target == nullptr || attacker == nullptr || slot < 0 || slot >= kHitTargets) return 1;
    ActRecord& rec = gHitActs[slot];
    uint16_t ev = 0;
    int16_t hx = 0, hy = 0;
    HitPointOnScreen(target, &hx, &hy);
    int x = hx, y = hy;
    if (!gAction.hitEnded[slot]) {
        if (++gAction.hitFrames[slot] > kHitActFrameCap) {
            // An act that loops for ever ends here.
            TraceHook("action: the hit act %d on combatant %d did not end within %d frames", act, target->Id(),
                      kHitActFrameCap);
            gAction.hitEnded[slot] = 1;
        } else if (gRippleMode == 1 && gAction.ripple == nullptr) {
            TraceHook("action: a ripple action without a ripple plays its plain act");
            gRippleMode = 0;
        }
    }
    if (!gAction.hitEnded[slot]) {
        if (gRippleMode == 1) {
            if (StepRippleHit(target, attacker, slot, &ev)) gAction.hitEnded[slot] = 1;
        } else {
            if (rec.act == 0) {
                rec = ActRecord{};
                rec.act = act;
            }
            if (act == 0 || TakeActData(&rec) == 0) {
                ClearHitSlot(slot);
                return 1;
            }
            ev = rec.events;
            rec.events = 0;
            if (rec.move[0] != 0 || rec.move[1] != 0) {
                int16_t ox = 0, oy = 0;
                target->GetDrawOrigin(&ox, &oy);
                x = ox + rec.move[0];
                y = oy + rec.move[1];
            }
            int32_t ex = x, ey = y;
            target->ApplyActEdgeTarget(&ex, &ey);
            x = ex;
            y = ey;
            int16_t px = 0, py = 0;
            if (attacker->GetActionTargetPoint(&px, &py) == 1 && !gHitArrived[slot]) {
                int16_t ax = 0, ay = 0;
                HitPointOnScreen(attacker, &ax, &ay);
                if (MoveAlongLine(&x, &y, ax, ay, px, py, 0, 0, slot) == 1) {
                    gHitArrived[slot] = 1;
                    ev |= 0x1;
                    if (gHitRepeat[slot] == 0)
                        gAction.hitEnded[slot] = 1;
                    else {
                        --gHitRepeat[slot];
                        gHitArrived[slot] = 0;
                    }
                }
            }
            const int ox = AttackerMirrors(attacker) ? int(rec.width) - int(rec.hotX) : int(rec.hotX);
            DrawPictureFrame(rec.picNumber, rec.picFrame, x - ox, y - int(rec.hotY),
                             rec.drawFlags | (AttackerMirrors(attacker) ? 1u : 0u), rec.alpha);
            PlayPanned(rec.soundId);
            rec.soundId = 0;
            if (rec.done) gAction.hitEnded[slot] = 1;
            gFrame.skipBackground = 0;
        }
    }
    DrawSecondLayerMagic();
    ev |= uint16_t(GetSecondLayerMark());
    HandleHitEvents(target, attacker, slot, ev, x, y);
    if (gHitFollowUp[slot] && DrawHitFollowUp(target, attacker->GetActionFollowUpAct(), 0, slot) == 1)
        gHitFollowUp[slot] = 0;
    if (gAction.hitEnded[slot] && !gHitFollowUp[slot] && IsSecondLayerMagicEmpty()) {
        ClearHitSlot(slot);
        return 1;
    }
    return 0;
}

int PlaySideHitAct(Role* target, Role* attacker, int act, int slot, int wholeSide) {
    if (target == nullptr || attacker == nullptr) return 1;
    if (wholeSide != 1) return PlayTargetHitAct(target, attacker, act, 0);
    // One act over the whole side, placed at the target; its hit events act
    // on every member of the side.
    (void)slot;
    const bool onParty = gMonActing == 1 || (gManActing == 1 && gCurRole.manCommandSet == 1) || attacker->side == 0;
    const bool enemyActor = attacker->side == 0;
    ActRecord& rec = gHitActs[0];
    uint16_t ev = 0;
    int16_t hx = 0, hy = 0;
    HitPointOnScreen(target, &hx, &hy);
    if (!gAction.hitEnded[0]) {
        if (++gAction.hitFrames[0] > kHitActFrameCap) {
            TraceHook("action: the side act %d did not end within %d frames", act, kHitActFrameCap);
            gAction.hitEnded[0] = 1;
        } else {
            if (rec.act == 0) {
                rec = ActRecord{};
                rec.act = act;
            }
            if (act == 0 || TakeActData(&rec) == 0) {
                ClearHitSlot(0);
                return 1;
            }
            ev = rec.events;
            rec.events = 0;
            DrawPictureFrame(rec.picNumber, rec.picFrame, hx - int(rec.hotX), hy - int(rec.hotY), rec.drawFlags,
                             rec.alpha);
            PlayPanned(rec.soundId);
            rec.soundId = 0;
            if (rec.done) gAction.hitEnded[0] = 1;
        }
    }
    DrawSecondLayerMagic();
    ev |= uint16_t(GetSecondLayerMark());
    if (ev & (0x1 | 0x4 | 0x10 | 0x1000)) {
        const bool enemies = !onParty;
        for (int i = 0; i < SideCount(enemies); ++i) {
            Role* r = SideRole(enemies, i);
            if (r->IsOut()) continue;
            if (!enemies && (r->GetRoleFlagE() == 1 || r->IsSpiritRole() == 1 || r->HasOutStatus())) continue;
            if (ev & 0x4) r->SetHurtMark();
            if (ev & (0x1 | 0x10)) {
                ResolveTargetHitImpl(r, attacker, i, (ev & 0x1) != 0);
                if (!enemyActor && !enemies && attacker->side == 1) {
                    // A party actor on its own side applies at the hit.
                    ApplyAmounts(r, gHitLife[i], gHitSpirit[i], gHitStamina[i]);
                    gHitLife[i] = 0;
                    gHitSpirit[i] = gHitStamina[i] = 0;
                }
            }
            if ((ev & 0x8) && (ev & 0x1000)) r->SetRoleHoldTimer(30, 1);
        }
        ClearTotals();
    }
    if (gAction.hitEnded[0] && IsSecondLayerMagicEmpty()) {
        ClearHitSlot(0);
        return 1;
    }
    return 0;
}

int PlayRoleSlotAct(Role* role, int act, int slot) {
    // The role's own hit-act blocks (5..13): nothing shared with the action.
    constexpr int kSlots = kActMultiLast - kActMultiFirst + 1;
    if (role == nullptr || slot < 0 || slot >= kSlots) return 1;
    ActBlock& b = role->acts[kActMultiFirst + slot];
    if (b.Empty()) {
        b.Clear();
        b.rec.act = act;
        b.work = 0;
    }
    if (act == 0 || TakeActData(&b.rec) == 0 || ++b.work > uint32_t(kHitActFrameCap)) {
        b.Clear();
        return 1;
    }
    int16_t x = 0, y = 0;
    HitPointOnScreen(role, &x, &y);
    DrawPictureFrame(b.rec.picNumber, b.rec.picFrame, x - int(b.rec.hotX), y - int(b.rec.hotY), b.rec.drawFlags,
                     b.rec.alpha);
    PlayPanned(b.rec.soundId);
    b.rec.soundId = 0;
    if (b.rec.done) {
        b.Clear();
        return 1;
    }
    return 0;
}

int DrawHitFollowUp(Role* target, int act, int param, int slot) {
    if (act == 0 || target == nullptr || slot < 0 || slot >= kHitTargets) return 1;
    (void)param;
    if (gHitFade[slot] > -32) {
        ActBlock& b = target->acts[kActFollowUp];
        if (b.Empty()) {
            b.Clear();
            b.rec.act = act;
        }
        if (TakeActData(&b.rec) != 0) {
            int16_t x = 0, y = 0;
            target->GetRolePos(&x, &y);
            b.rec.colour[0] = b.rec.colour[1] = b.rec.colour[2] = gHitFade[slot];
            DrawPictureFrame(b.rec.picNumber, b.rec.picFrame, x - int(b.rec.hotX), y - int(b.rec.hotY),
                             b.rec.drawFlags, b.rec.alpha);
        }
        gHitFade[slot] = int8_t(gHitFade[slot] - 4);
        return 0;
    }
    gHitFade[slot] = 0;
    target->acts[kActFollowUp].Clear();
    return 1;
}

void TransferAmount(int32_t* amount, Role* taker, Role* giver) {
    if (amount == nullptr || taker == nullptr || giver == nullptr) return;
    // Only a hit drains: a heal (or nothing) moves nothing, so the taker
    // never loses by its own drain.
    if (*amount <= 0) return;
    const bool quiet = gAction.quietTransfer != 0;
    switch (taker->GetActionTargetKind()) {
    case 1: {
        // Life: never more than the giver has.
        int32_t have = 0, max = 0;
        giver->GetRoleLife(&have, &max);
        const int32_t a = std::min(*amount, std::max(have, 0));
        if (a <= 0) return;
        gAction.transferLife -= a;
        if (!quiet) {
            taker->PushShownNumber(kDigitsHeal);
            taker->SetDamageDigits(Sat16(-int64_t(a)));
            taker->CommitShownNumber(1);
            taker->DamageRole(-a, 0, 0);
        }
        return;
    }
    case 2:
    case 4: {
        const bool spirit = taker->GetActionTargetKind() == 2;
        int16_t max = 0, cur = 0;
        if (giver->side == 0) return;  // an enemy has neither
        if (spirit)
            giver->GetRoleSpirit(&max, &cur);
        else
            giver->GetRoleStamina(&max, &cur);
        const int32_t a = std::min<int32_t>(*amount, std::max<int16_t>(cur, 0));
        *amount = 0;
        if (a <= 0) return;
        if (a < gLastDamage) {
            giver->SetDamageDigits(int16_t(a));
        }
        (spirit ? gActionSpirit : gActionStamina) = Sat16(-int64_t(a));
        (spirit ? gAction.transferSpirit : gAction.transferStamina) += a;
        if (!quiet) {
            taker->PushShownNumber(spirit ? kDigitsSpirit : kDigitsStamina);
            taker->SetDamageDigits(int16_t(a));
            taker->CommitShownNumber(1);
            if (spirit)
                taker->DamageRole(0, Sat16(a), 0);
            else
                taker->DamageRole(0, 0, Sat16(a));
        }
        return;
    }
    default:
        return;
    }
}

int ApplyTransferTotals(Role* taker) {
    int applied = 0;
    if (taker != nullptr) {
        if (gAction.transferLife != 0) {
            taker->PushShownNumber(kDigitsHeal);
            taker->SetDamageDigits(Sat16(gAction.transferLife));
            taker->CommitShownNumber(1);
            taker->DamageRole(gAction.transferLife, 0, 0);
            applied = 1;
        }
        if (gAction.transferSpirit != 0) {
            taker->PushShownNumber(kDigitsSpirit);
            taker->SetDamageDigits(Sat16(gAction.transferSpirit));
            taker->CommitShownNumber(1);
            taker->DamageRole(0, Sat16(gAction.transferSpirit), 0);
            applied = 1;
        }
        if (gAction.transferStamina != 0) {
            taker->PushShownNumber(kDigitsStamina);
            taker->SetDamageDigits(Sat16(gAction.transferStamina));
            taker->CommitShownNumber(1);
            taker->DamageRole(0, 0, Sat16(gAction.transferStamina));
            applied = 1;
        }
    }
    gAction.transferLife = gAction.transferSpirit = gAction.transferStamina = 0;
    gAction.quietTransfer = 0;
    return applied;
}

int MoveAlongLine(int* x, int* y, int x0, int y0, int x1, int y1, int mode, int delay, int slot) {
    if (x == nullptr || y == nullptr || slot < 0 || slot >= kLineSlots) return 1;
    LineMover& m = gAction.line[slot];
    if (!m.running || m.walker.startX != x0 || m.walker.startY != y0 || m.walker.endX != x1 || m.walker.endY != y1) {
        m = LineMover{};
        m.walker = LineWalker{x0, y0, x1, y1, x0, y0, 0, 0};
        m.running = 1;
    }
    ++m.calls;
    if (mode == 0 || mode == -1) {
        if (delay == 0 || m.calls > delay) {
            if (m.distance == 0)
                m.distance = 2;
            else if (m.distance <= 64)
                m.distance *= 2;
            else
                m.distance += 64;
        }
    } else {
        m.distance += std::max(mode, 1);
    }
    // Walk from the start for the whole distance, never past the end point.
    LineWalker w{x0, y0, x1, y1, x0, y0, 0, 0};
    bool arrived = x0 == x1 && y0 == y1;
    for (int32_t i = 0; i < m.distance && !arrived; ++i) arrived = StepLine(&w) == 1;
    *x = w.x;
    *y = w.y;
    if (arrived) {
        *x = x1;
        *y = y1;
        m = LineMover{};
        return 1;
    }
    return 0;
}

void RunAutoAttack() {
    if (gAutoAttack != 1 || SEL == 0 || fMenu == 3) return;
    Role* ally = RoleById(SEL);
    if (ally == nullptr || ally->side != 1) return;
    // The target is the menu's own target cursor (the enemy index plus
    // one; -1 none), so a target the player picks is the one kept.
    if (MS <= 0) {
        fMenu = 3;
        return;
    }
    int target = MS - 1;
    if (target >= int(gBattleMonCount) || gMonRoles[target].IsOut()) {
        target = -1;
        for (int i = 0; i < int(std::min<uint32_t>(gBattleMonCount, kMaxMonRoles)); ++i)
            if (!gMonRoles[i].IsOut()) {
                target = i;
                break;
            }
    }
    const int slot = SEL - kFirstManId;
    if (target < 0) {
        // Every enemy is out: the command is withdrawn and the automatic attack ends.
        ally->SetCommandChosen(0);
        MS = -1;
        gAllyQueued[slot] = 0;
        gAutoAttack = 0;
        return;
    }
    MS = target + 1;
    // Chosen as a confirmed target is: the turn order begins the attack on
    // MS - 1 and queues it (beginning it or marking the ally queued here kept
    // the turn order from ever taking it).
    if (slot >= 0 && slot < 4) gChosenCommand[slot] = 1;
    gLastSel = SEL;
    SEL = 0;
    ally->SetCommand(1);
    ally->SetCommandChosen(1);
    fMenu = 0;
}
