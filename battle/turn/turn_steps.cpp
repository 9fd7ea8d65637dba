// The turn steps of the combatants.
//
// A party member: gauge full, time stops, the command menus open (or an
// automatic role chooses by itself); the chosen action begins and its action
// timer runs; when the timer has run out the member is queued; when the
// queue hands it the turn it performs, and the turn closes.
//
// An enemy: gauge full, queued; its first turn chooses the target and the
// action and gives the turn back while its action timer runs; when the timer
// has run out it is queued again and its second turn performs.
//
// Every path that takes a turn or stops time gives them back: a turn that
// cannot go on (its role is held, out or without a target) closes at once,
// and time runs again when nobody holds or waits for a turn.
#include "battle/turn/turn_steps.h"

#include <algorithm>
#include <cstring>

#include "base/random.h"
#include "base/settings.h"
#include "battle/action/enemy_command.h"
#include "battle/action/party_command.h"
#include "battle/battle_start.h"
#include "battle/battle_state.h"
#include "battle/role/mon_record.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "battle/screen/battle_tint.h"
#include "battle/turn/bookkeeping.h"
#include "battle/turn/targeting.h"
#include "battle/turn/turn_state.h"
#include "battle/turn/turn_texts.h"
#include "media/sound_bank.h"
#include "world/org/obj_record.h"

namespace {

constexpr int kSoundReady = 44;
constexpr int kSoundRefused = 140;
constexpr uint32_t kOptionFacingLock = 0x80;

int ManCount() { return gBattleManCount < uint32_t(kMaxManRoles) ? int(gBattleManCount) : kMaxManRoles; }
int MonCount() { return gBattleMonCount < uint32_t(kMaxMonRoles) ? int(gBattleMonCount) : kMaxMonRoles; }

bool IsMemberProper(const ManRole& r) { return r.guard == 0 && r.spirit == 0 && r.spareFlag == 0; }
bool IsAutomatic(const ManRole& r) { return r.guard == 1 || r.spareFlag == 1 || r.spirit == 1; }

int FirstStandingEnemy() {
    for (int i = 0; i < MonCount(); ++i)
        if (IsStandingEnemy(i)) return i;
    return -1;
}

int StandingEnemyCount() {
    int n = 0;
    for (int i = 0; i < MonCount(); ++i) n += IsStandingEnemy(i) ? 1 : 0;
    return n;
}

bool AnyEnemyTargetable() {
    for (int i = 0; i < MonCount(); ++i)
        if (IsStandingEnemy(i) && !gMonRoles[i].HasRoleEffect(kEffectStone)) return true;
    return false;
}

void ShowActionName(const Role& r, uint32_t flags) {
    if (r.actionName[0] == '\0') return;
    char text[kActionNameBytes + 1];
    std::memcpy(text, r.actionName, kActionNameBytes);
    text[kActionNameBytes] = '\0';
    AddBattleMessage(280, 0, 35, text, flags);
}

void ReleaseFacingLocks() {
    if (!(gBattleOptions & kOptionFacingLock)) return;
    for (int i = 0; i < MonCount(); ++i)
        if (IsStandingEnemy(i)) gMonRoles[i].SetRoleFacingLock(0);
    gBattleOptions &= ~kOptionFacingLock;
}

// The view follows nobody once a party turn is over.
void ResetFollowRequests() {
    gPanMode = kPanOff;
    gPanSide = 0;
    gPanRoleId = 0;
}

void LowerFightWord() {
    if (gFightWordLow() > 0) --gFightWord;
}

// ---- Party step ----

// The stored command of an automatic role records its action's side flags.
void RecordSideFlags(int slot, const Role& r) {
    gManCommands[slot].wholeSide = r.IsActionFlag0() ? 1 : 0;
    gManCommands[slot].sideFlag = r.IsActionFlag1() ? 1 : 0;
}

// The spirit's orders 5 and 6: the last standing enemy whose attack plus
// life lies below (5) or above (6) that of the first standing enemy.
int SpiritOrderTarget(const ManRole& g, int fallback) {
    const bool low = g.IsGhostOrder5() == 1;
    if (!low && g.IsGhostOrder6() == 0) return fallback;
    const int first = FirstStandingEnemy();
    if (first < 0) return fallback;
    const uint32_t ref = gMonRoles[first].GetMonAttackPlusLife();
    int pick = first;
    for (int i = first + 1; i < MonCount(); ++i) {
        if (!IsStandingEnemy(i)) continue;
        const uint32_t v = gMonRoles[i].GetMonAttackPlusLife();
        if (low ? v < ref : v > ref) pick = i;
    }
    return pick;
}

// A party role the spirit may aim a helping action at.
bool SpiritMayHelp(int s) {
    if (!IsStandingMember(s)) return false;
    const ManRole& m = gManRoles[s];
    return m.guard == 0 && m.spirit == 0 && !m.HasRoleEffect(kEffectStone);
}

int32_t LifeBar(const ManRole& m) {
    int32_t life = 0, max = 0;
    m.GetRoleLife(&life, &max);
    return max > 0 ? int32_t(int64_t(life) * 100 / max) : 0;
}

constexpr int32_t kPartyTarget = int32_t(0x80000000u);
constexpr uint16_t kSpiritHealAct = 6071;

// The spirit's events may replace the target it was given.
void SpiritEventTarget(int slot, ManRole& g) {
    if (g.TakeGhostEvent4() == 1) {
        for (int s = 0; s < ManCount(); ++s) {
            if (!SpiritMayHelp(s)) continue;
            int32_t life = 0, max = 0;
            gManRoles[s].GetRoleLife(&life, &max);
            if (int64_t(life) * 2 >= max) continue;
            gAutoTarget = (s + 1) | kPartyTarget;
            break;
        }
    }
    if (g.TakeGhostEvent8() == 1) {
        for (int i = 0; i < MonCount(); ++i) {
            if (!IsStandingEnemy(i) || g.TargetHasActionEffect(&gMonRoles[i])) continue;
            gAutoTarget = i + 1;
            break;
        }
    }
    if (g.TakeGhostEvent16() == 1) {
        for (int s = 0; s < ManCount(); ++s) {
            if (!SpiritMayHelp(s) || g.TargetHasActionEffect(&gManRoles[s])) continue;
            gAutoTarget = (s + 1) | kPartyTarget;
            break;
        }
    }
    if (g.TakeGhostEvent32() == 0) return;
    // The weakest member below a third of its life, measured against the
    // first standing one.
    int first = -1, pick = -1;
    for (int s = 0; s < ManCount(); ++s) {
        if (!SpiritMayHelp(s)) continue;
        if (first < 0) first = s;
        int32_t life = 0, max = 0;
        gManRoles[s].GetRoleLife(&life, &max);
        if (int64_t(life) * 3 < max && LifeBar(gManRoles[s]) < LifeBar(gManRoles[first])) pick = s;
    }
    if (pick >= 0) {
        gAutoTarget = (pick + 1) | kPartyTarget;
        if (g.PrepareGhostAction(1) == 0) {
            int32_t life = 0, max = 0;
            gManRoles[pick].GetRoleLife(&life, &max);
            if (g.SpendSpiritForHeal(life, max, 70) == 1) {
                g.action.followUp = kSpiritHealAct;
                gManCommands[slot].commandSet = 1;
            } else {
                gAutoTarget = 0;
            }
        }
        return;
    }
    int top = FindTopEnemyScore() - 1;
    if (!IsStandingEnemy(top)) top = DrawRandomEnemyTarget();
    gAutoTarget = top + 1;
    if (Random(100) > 50 && g.PrepareGhostAction(3) == 1) g.SetGhostSelfAction(1);
}

int AverageEnemyLevel() {
    int sum = 0, n = 0;
    for (int i = 0; i < MonCount(); ++i) {
        if (!IsStandingEnemy(i)) continue;
        sum += ObjLevel(gMonRoles[i].monRecord);
        ++n;
    }
    return n > 0 ? sum / n : 0;
}

// An automatic role (a guard, the spirit, a role with the extra flag) or a
// confused member proper chooses its action and target by itself.
void ChooseAutomatically(int slot, ManRole& r) {
    if (!AnyEnemyTargetable()) {
        r.EndRoleTurn();
        return;
    }
    r.SetCommandChosen(1);
    int target = -1;
    if (gLastPlayerTarget > 0 && IsStandingEnemy(gLastPlayerTarget - 1)) target = gLastPlayerTarget - 1;
    if (target < 0) target = DrawRandomEnemyTarget();
    gAutoTarget = target + 1;
    if (r.spirit == 1) {
        gAutoTarget = SpiritOrderTarget(r, target) + 1;
        SpiritEventTarget(slot, r);
        if (gAutoTarget == 0) {
            // The heal it meant to give cannot be paid: the turn passes.
            r.SetCommandChosen(0);
            r.EndRoleTurn();
            return;
        }
        uint16_t act = 0;
        uint32_t onParty = 0;
        if (gManCommands[slot].commandSet == 1) {
            // The heal is paid for: its command is set.
        } else if (r.TakeGhostAction(&act, &onParty) == 1) {
            RecordSideFlags(slot, r);
            if (onParty == 1 && gManCommands[slot].wholeSide == 0) {
                int pool[kMaxManRoles];
                int n = 0;
                for (int s = 0; s < ManCount(); ++s)
                    if (IsStandingMember(s) && !gManRoles[s].HasRoleEffect(kEffectStone)) pool[n++] = s;
                if (n > 0) gAutoTarget = int32_t((pool[Random(n)] + 1) | 0x80000000u);
            }
        }
    } else if (r.guard == 1) {
        if (r.RollLevelGapChance(uint16_t(AverageEnemyLevel())) == 1) {
            r.SetCommand(17);
        } else {
            uint32_t object = 0;
            if (r.ChooseMonAction(&object) == 0 && r.GetCommand() == 0 && r.GetSubCommand() == 0) r.SetCommand(1);
            RecordSideFlags(slot, r);
            if (r.IsActionSupportive() == 1) {
                gManCommands[slot].commandSet = 1;
                gAutoTarget = int32_t((slot + 1) | 0x80000000u);
            }
        }
    } else {
        // A role with the extra flag, or a confused member: a plain attack.
        r.SetCommand(1);
        if (slot < 4) gChosenCommand[slot] = 1;
        if (r.member == 1) r.PrepareManCommand();
    }
    MS = gAutoTarget & 0x7FFFFFFF;
    Stop = mStop = 1;
}

void OnGaugeFull(int slot, ManRole& r) {
    // The member's mark on the party panel (its icon's outline) goes.
    if (IsMemberProper(r) && r.member == 1) r.highlight = 0;
    r.ApplyEquipRegen();
    // A confused member is not the player's to command: it acts by itself,
    // every turn, until the confusion ends.
    if (IsAutomatic(r) || r.IsRoleEffectBit5() == 1) {
        ChooseAutomatically(slot, r);
        return;
    }
    PlaySfx(kSoundReady, int(gSfxVolume));
    SEL = kFirstManId + slot;
    Stop = mStop = 1;
    // The command menus open on the commanding member (SEL) in the frame's
    // panels; under auto-attack the automatic attack commands it.
}

// The action's target: the chosen one, or the first standing enemy when the
// choice named none; -1 when no enemy stands.
int16_t ValidEnemyTarget(int chosen) {
    if (chosen >= 0 && chosen < MonCount()) return int16_t(chosen);
    return int16_t(FirstStandingEnemy());
}

void StartChosenAction(int slot, ManRole& r) {
    StoredCommand& sc = gManCommands[slot];
    if (sc.wholeSide == 1) {
        int count = 0, last = -1;
        if (sc.sideFlag == 1) {
            for (int s = 0; s < ManCount(); ++s)
                if (IsStandingMember(s)) ++count, last = s;
        } else {
            for (int i = 0; i < MonCount(); ++i)
                if (IsStandingEnemy(i)) ++count, last = last < 0 ? i : last;
        }
        sc.targetCount = count;
        r.SetCommandChosen(0);
        if (count == 0) {
            r.EndRoleTurn();
            return;
        }
        gOrder.sideMarked = 1;
        r.MarkTurnStarted();
        r.BeginRoleAction(int16_t(last));
        r.StartActionTimer();
        return;
    }
    if (r.HasActed()) return;
    int16_t target;
    if (IsMemberProper(r) && r.IsRoleEffectBit5() == 0) {
        const int code = slot < 4 ? gChosenCommand[slot] : 1;
        if (code == 4) r.UseStoredCommand();
        if (r.SetCommand(uint16_t(code)) == 0) return;
        target = ValidEnemyTarget(MS - 1);
        if (target >= 0 || gCurRole.sideFlag == 1) r.PrepareManCommand();
    } else {
        const int t = (gAutoTarget & 0x7FFFFFFF) - 1;
        target = (gAutoTarget & 0x80000000) ? int16_t(t) : ValidEnemyTarget(t);
    }
    r.SetCommandChosen(0);
    si = 1;
    MS = 1;
    if (target < 0) {
        // Nobody to act on: the turn passes.
        r.EndRoleTurn();
        Stop = mStop = 0;
        return;
    }
    r.BeginRoleAction(target);
    r.StartActionTimer();
}

void QueueWhenReady(int slot, ManRole& r) {
    const int id = kFirstManId + slot;
    if (gAllyQueued[slot] == 1) {
        // A queued member that an ailment holds leaves the queue: the queue
        // would skip it for ever while time stays stopped for it.
        if (gCurRole.id != id && r.IsRoleHeldByAilment() == 1) {
            RemoveFromAttackOrder(id);
            gAllyQueued[slot] = 0;
            r.EndRoleTurn();
            ReleaseIdleTime();
        }
        return;
    }
    if (r.IsRoleHeldByAilment() || !r.HasActed() || gCurRole.id != -1 || fMenu != 0 || SEL != 0 ||
        gBattleLive != 1)
        return;
    if (r.StepActionTimer() != 1) return;
    if (gTurn.enemyGoingOut && StandingEnemyCount() <= 1 && gCurRole.sideFlag == 0 &&
        !IsStandingEnemy(r.GetActionTarget())) {
        r.EndRoleTurn();
        ReleaseIdleTime();
        return;
    }
    Stop = mStop = 1;
    gAllyQueued[slot] = 1;
    const int code = slot < 4 ? gChosenCommand[slot] : 0;
    if (code == 2 && gAttackOrder[0].id == -1) {
        gCurRole = EmptyOrderEntry();
        gCurRole.id = id;
        gCurRole.kind = 1;
        StoredCommand& sc = gManCommands[slot];
        gCurRole.manCommandSet = sc.commandSet;
        gCurRole.wholeSide = sc.wholeSide;
        gCurRole.sideFlag = sc.sideFlag;
        gCurRole.extra = sc.extra;
        gCurRole.ALk = sc.targetCount;
        sc = StoredCommand{};
        GetCom = 1;
        return;
    }
    InsertAttackOrder(1, id, code == 2 ? 0 : -1);
}

void CloseManTurn(int slot, ManRole& r, int target) {
    if (gTurn.pendingCleanup[slot]) {
        gTurn.pendingCleanup[slot] = 0;
        r.ClearRoleStatusBits(0x4000 | 0x8 | 0x1000);
        if (!r.IsOut()) r.SetRoleStatusBits(0x200);
    }
    gManActing = 0;
    r.SetRoleActing(0);
    if (gTransferOverlay == 0) {
        GetCom = 0;
        Stop = 0;
        if (gRepeatMode == 1) gRepeatFollowUp = 1;
    }
    mStop = 0;
    gOrder.targetsMarked = 0;
    gTurnOpened = 0;
    const bool onEnemy = gCurRole.sideFlag == 0;
    if (target >= 0 && onEnemy) {
        RetargetAllies(slot, target);
        if (!IsStandingEnemy(target) && StandingEnemyCount() == 0)
            for (int s = 0; s < ManCount(); ++s) gManRoles[s].ExpireRoleEffects(1);
        ReleaseFacingLocks();
    }
    r.EndRoleTurn();
    gCurRole = EmptyOrderEntry();
    // The slot's per-turn records: nothing prepared for this turn (its
    // preset command, an item it did not use) carries into the next one; an
    // unused item's reserved use goes back.
    gAllyQueued[slot] = 0;
    gManCommands[slot] = StoredCommand{};
    r.DropSelection();
    ResetFollowRequests();
    if (r.spirit == 1) gTurn.spiritHealPending = 0;
    LowerFightWord();
    gScriptActionDone = 1;
    SpreadContagion(0);
    if (r.IsSpiritLow()) RaiseEventOnLiveEnemies(25);
    if (r.IsStaminaLow()) RaiseEventOnLiveEnemies(26);
    r.ClearActionTarget();
}

void PerformManTurn(int slot, ManRole& r) {
    const int id = kFirstManId + slot;
    if (gTurnOpened == 0 && r.IsActing() == 0) {
        gTurnOpened = 1;
        UM = int16_t(id);
        const bool onEnemy = gCurRole.sideFlag == 0;
        if (onEnemy && !r.IsTurnStarted() && gCurRole.manCommandSet == 0 && gSureCapture == 0 &&
            !IsStandingEnemy(r.GetActionTarget())) {
            const int next = FirstStandingEnemy();
            if (next < 0) {
                // Nobody left to act on: the turn closes unopened.
                CloseManTurn(slot, r, -1);
                return;
            }
            r.BeginRoleAction(int16_t(next));
        }
        ShowActionName(r, 0);
        r.PayActionCost();
        return;
    }
    gManActing = 1;
    Stop = 1;
    UM = int16_t(id);
    r.SetActionTimerFlag();
    const int target = r.GetActionTarget();
    if (ApplyBattleCommand(slot, target) == 1) CloseManTurn(slot, r, target);
}

int HighestEnemyLevel() {
    int level = -1;
    for (int i = 0; i < MonCount(); ++i)
        if (IsStandingEnemy(i)) level = std::max<int>(level, ObjLevel(gMonRoles[i].monRecord));
    return level;
}

void StepRetreat(int slot, ManRole& r) {
    const uint16_t bit = uint16_t(1u << slot);
    if (gRetreatState & kRetreatAsked) {
        Stop = 1;
        if ((gRetreatState & bit) || r.RunRetreatAct(0) == 0) return;
        gRetreatState |= bit;
        ++gRetreatCount;
        if (int(gRetreatCount) < FightingPartySize() - int(gDownedMen)) return;
        const int level = HighestEnemyLevel();
        if (level < 0) {
            gRetreatState = 0;
            gRetreatCount = 0;
            ReleaseIdleTime();
            return;
        }
        if (r.RollLevelChance(uint16_t(std::max(level, 1))) == 1) {
            for (int s = 0; s < ManCount(); ++s)
                if (IsStandingMember(s)) gManRoles[s].SetRoleActing(1);
            SEL = 0;
            gRetreatState = kRetreatUnderWay;
            gRetreatCount = uint16_t(FightingPartySize());
            return;
        }
        for (int s = 0; s < ManCount(); ++s) gManRoles[s].SetRoleActing(0);
        if (gBattleMsgs == nullptr) AddBattleMessage(280, 10, 30, kRetreatFailedText, kMsgStrip | kMsgCentred);
        r.EndRoleTurn();
        PlaySfx(kSoundRefused, int(gSfxVolume));
        gRetreatState = 0;
        gRetreatCount = 0;
        Stop = mStop = 0;
        RaiseEventOnLiveEnemies(22);
        return;
    }
    if (gRetreatState & kRetreatUnderWay) {
        Stop = 1;
        SEL = 0;
        gManRoles[0].SetGaugeHold(1);
        gManRoles[0].SetRoleTargetFlag(1);
        if ((gRetreatState & bit) || r.RunRetreatAct(1) == 0) return;
        gRetreatState |= bit;
        if (gDownedMen < 255) ++gDownedMen;
        if (int(gDownedMen) < FightingPartySize()) return;
        AddBattleMessage(280, 10, 30, kRetreatDoneText, kMsgStrip | kMsgCentred);
        std::memset(gWaitOrder, 0, sizeof gWaitOrder);
        for (AttackOrderEntry& e : gAttackOrder) e = EmptyOrderEntry();
        fMenu = 104;
        gRetreatState = 0;
        gCurRole = EmptyOrderEntry();
    }
}

// ---- Enemy step ----

void GiveTurnBack() {
    gCurRole = EmptyOrderEntry();
    GetCom = 0;
    Stop = mStop = 0;
    gMonTargetChosen = 0;
}

// A random other enemy for a confused enemy; -1 when none.
int DrawOtherEnemy(int self) {
    int pool[kMaxMonRoles];
    int n = 0;
    for (int i = 0; i < MonCount(); ++i)
        if (i != self && IsStandingEnemy(i) && !gMonRoles[i].HasRoleEffect(kEffectStone)) pool[n++] = i;
    return n > 0 ? pool[Random(n)] : -1;
}

void ChooseEnemyTurn(int id, MonRole& e) {
    if (e.IsRoleHeldByAilment() || e.IsOut() || e.defeated == 1) {
        if (e.IsRoleHeldByAilment() && !e.IsOut()) gTurn.heldEnemyNote = id + 1;
        e.EndRoleTurn();
        GiveTurnBack();
        return;
    }
    if (gCurRole.wholeSide == 1) {
        e.BeginRoleAction(0);
        if (gCurRole.monCommandSet) ALk1 = StandingEnemyCount();
        return;
    }
    int target = gMonTarget;
    const uint16_t word = gMonCommandWord[id];
    // The turn aims at the enemies' own side when its stored command said so
    // (a controlled enemy, a script's enemy-on-enemy action) or the enemy is
    // confused; the performing turn is told the same through the stored
    // command.
    bool onEnemies = gCurRole.monCommandSet != 0 || gMonCommands[id].commandSet != 0;
    if (gMonTargetChosen == 0) {
        gMonTargetChosen = 1;
        target = -1;
        if (e.IsRoleEffectBit5() == 1 && StandingEnemyCount() > 1) {
            target = DrawOtherEnemy(id);
            if (target >= 0) {
                e.SetRoleStateBit28();
                onEnemies = true;
            }
        } else if (!onEnemies && !(word & 0xFF00) && e.IsRoleEffectBit5() == 0) {
            const int t = ChooseEnemyTarget(e.GetMonTriggerPhase());
            target = t > 0 ? t - 1 : -1;
        }
        if (target < 0 && !onEnemies) target = DrawRandomPartyTarget(id);
        if (target < 0 && !onEnemies) {
            // No party role can be targeted: the turn goes back.
            e.EndRoleTurn();
            GiveTurnBack();
            return;
        }
        gMonTarget = target;
    }
    gMonCommands[id].wholeSide = 0;
    if (word & 0xFF00) {
        // A controlled enemy acts on the enemy its controller chose; a
        // scripted action on the role the script named.
        const int forced = word & 0xFF;
        if (onEnemies ? forced < MonCount() : forced < ManCount()) target = forced;
    }
    if (target < 0) {
        // Nobody to aim at on its own side: the turn goes back.
        e.EndRoleTurn();
        GiveTurnBack();
        return;
    }
    const uint16_t firstLevel = gManRoles[0].stats != nullptr ? gManRoles[0].stats->level : 0;
    const int escape = (word & 0xE000) ? -1 : e.MonTryEscape(firstLevel);
    if (escape == 1) {
        e.SetCommand(17);
    } else if (escape == 0) {
        e.SetCommand(300);
    } else if (word & 0x4000) {
        e.SetCommand(2);
    } else if (word & 0x2000) {
        e.SetCommand(6);
    } else {
        if (!(word & 0x8000) && e.IsRoleEffectBit5() == 0 && e.HasMonSpecial() == 1 &&
            gMonCommands[id].commandSet == 0) {
            // A special ability helps the enemy whose life is low (a unique
            // enemy only itself).
            int weak = -1;
            for (int i = 0; i < MonCount() && weak < 0; ++i) {
                if (!IsStandingEnemy(i) || gMonRoles[i].IsMonLifeLow() == 0) continue;
                if (e.IsMonUnique() && i != id) continue;
                weak = i;
            }
            if (weak >= 0 && e.ChooseMonSpecial() == 1) target = weak;
        }
        uint32_t object = 0;
        if (e.ChooseMonAction(&object) == 0 && e.GetCommand() == 0 && e.GetSubCommand() == 0) e.SetCommand(1);
        gMonCommands[id].sideFlag = e.IsActionFlag1() ? 1 : 0;
        if (e.IsActionSupportive() == 1) target = id;
        if (e.IsActionFlag0() == 1) {
            gMonCommands[id].wholeSide = 1;
            ALk1 = 0;
        }
    }
    e.BeginRoleAction(int16_t(target));
    e.StartActionTimer();
    gMonTimerRunning[id] = 1;
    gMonCommands[id].commandSet = onEnemies ? 1 : 0;
    GiveTurnBack();
}

int SpiritSlot() { return SpiritFights() ? int(gBattleStart.spiritFlags >> 16) : -1; }

// The spirit strikes back at an enemy that aimed a one-target action at the
// first member.
void SpiritStrikesBack(int id, const MonRole& e) {
    const int sp = SpiritSlot();
    if (sp <= 0 || sp >= ManCount() || e.GetActionTarget() != 0 || gCurRole.wholeSide == 1) return;
    if (gAllyQueued[sp] == 1 || !IsStandingEnemy(id)) return;
    ManRole& g = gManRoles[sp];
    if (g.IsOut() || g.defeated == 1) return;
    int32_t life = 0, max = 0;
    g.GetRoleLife(&life, &max);
    if (int64_t(life) * 2 < max || g.RollGhostObedience() == 0) return;
    g.SetGhostAttack();
    g.BeginRoleAction(int16_t(id));
    gManCommands[sp].commandSet = 1;
    InsertAttackOrder(1, kFirstManId + sp, 0);
    gAllyQueued[sp] = 1;
}

// A lured enemy's turn passes the lure damage to a random standing enemy.
void PassLureDamage(const MonRole& e) {
    if (!e.HasRoleEffect(kEffectTransfer) || gTurn.lureDamage <= 0) return;
    const int j = DrawRandomEnemyTarget();
    if (j < 0) return;
    MonRole& t = gMonRoles[j];
    const int32_t amount = std::min<int32_t>(gTurn.lureDamage, 9999);
    t.PushShownNumber(9097);
    t.SetDamageDigits(int16_t(amount));
    t.CommitShownNumber(1);
    if (t.DamageRole(amount, 0, 0) == 1) {
        gDyingMark[j] = j;
        gLastDowned = int16_t(j);
    }
}

void CloseEnemyTurn(int id, MonRole& e) {
    SpiritStrikesBack(id, e);
    PassLureDamage(e);
    // A member held by an ailment loses the item it was about to use.
    for (int s = 0; s < ManCount(); ++s) {
        ManRole& m = gManRoles[s];
        if (!m.IsRoleHeldByAilment() || m.GetSelectedItemId() == 0) continue;
        m.DropSelection();
        m.FillGauge();
    }
    e.EndRoleTurn();
    ReleaseFacingLocks();
    if (gTransferOverlay == 0) {
        GetCom = 0;
        Stop = 0;
    }
    // Time runs again after every enemy turn.
    mStop = 0;
    gMonActing = 0;
    gMonTargetChosen = 0;
    ALk1 = 0;
    e.SetCommand(0);
    // Its command word is spent: a controlled enemy acts once for the party.
    gMonCommandWord[id] = 0;
    gMonCommands[id].wholeSide = 0;
    gCurRole = EmptyOrderEntry();
    LowerFightWord();
    gScriptActionDone = 1;
    SpreadContagion(1);
    e.CheckMonTrigger(0, 0);
    if (e.IsMonEmptyHanded()) e.CheckMonTrigger(30, 0);
    if (e.IsMonUnique() && gHuntTarget == 0) {
        for (int s = 0; s < ManCount(); ++s) {
            if (!IsStandingMember(s) || gManRoles[s].IsLifeAtMostPart(5) == 0) continue;
            gHuntTarget = s + 1;
            gHuntTurns = 2;
            gHuntEnemy = id;
            e.SetRoleStateBits(kStateHunting);
            break;
        }
    }
}

}  // namespace

void ReleaseIdleTime() {
    if (gCurRole.id != -1 || gAttackOrder[0].id != -1 || SEL != 0 || fMenu != 0 || gRetreatState != 0) return;
    for (int s = 0; s < ManCount(); ++s)
        if (gAllyQueued[s] == 1) return;
    Stop = mStop = 0;
    GetCom = 0;
}

int RunPartyMemberStep(int slot) {
    if (slot < 0 || slot >= ManCount()) return 1;
    ManRole& r = gManRoles[slot];
    const int id = kFirstManId + slot;

    if (!(gOpeningSlot & 0x80) && gOpeningSlot == slot) {
        // Time stands still for the pose; it runs again only if the pose
        // stopped it (a script's dialogue may hold it too).
        if (Stop == 0) {
            Stop = 1;
            gTurn.poseStoppedTime = 1;
        }
        if (r.RunQueuedPoseAct() == 1) {
            if (gTurn.poseStoppedTime) Stop = 0;
            gTurn.poseStoppedTime = 0;
            gOpeningSlot |= 0x80;
        }
        return 1;
    }

    r.DrawRoleWait(r.GetRepeatCount() != 0 ? 1 : 0);

    const bool standing = !r.IsOut() && r.defeated == 0;
    if (standing && gBattleLive == 1 && gCurRole.id == -1 && Stop == 0 && mStop == 0) {
        r.TickRoleEffects();
        if (r.StepManGauge(0) == 1) OnGaugeFull(slot, r);
    }
    if (standing && r.commandChosen == 1) StartChosenAction(slot, r);
    if (standing) QueueWhenReady(slot, r);
    if (gCurRole.id == id && gMonActing == 0) {
        if (!standing) {
            CloseManTurn(slot, r, -1);
        } else {
            PerformManTurn(slot, r);
        }
    }
    if (gMonActing == 0 && standing && r.spirit == 0 && r.guard == 0) StepRetreat(slot, r);

    if (r.revertAct != 0) r.RunRevertAct();
    if (BookDefeat(slot, 1) == 1) {
        gPendingDown = 0;
        gManDyingMark[slot] = -1;
        gLastDownedMan = -1;
        ReleaseIdleTime();
    }
    return 1;
}

void RunEnemyStep(int id) {
    if (id < 0 || id >= MonCount()) return;
    if (gTurn.retargetPending) RunRequestedRetarget();
    MonRole& e = gMonRoles[id];
    const bool standing = IsStandingEnemy(id);

    if (standing && gBattleLive == 1 && gCurRole.id == -1 && Stop == 0 && mStop == 0) {
        e.TickRoleEffects();
        if (e.ready == 0 && e.StepMonGauge(0) == 1) {
            AddToAttackOrder(2, id);
            Stop = mStop = 1;
        }
    }

    if (gManActing == 0 && !(gRetreatState & kRetreatUnderWay) && gCurRole.id == id && gMonActing == 0 &&
        (e.HasActed() == 0 || !standing))
        ChooseEnemyTurn(id, e);

    if (standing && gMonTimerRunning[id] == 1 && gCurRole.id == -1 && fMenu == 0 && gBattleLive == 1 &&
        e.StepActionTimer() == 1) {
        Stop = mStop = 1;
        gMonTimerRunning[id] = 0;
        AddToAttackOrder(2, id);
    }

    if (gCurRole.id == id && e.HasActed() == 1 && gMonTimerRunning[id] == 0 && gManActing == 0) {
        if (gMonActing == 0) ShowActionName(e, kMsgDrop);
        gMonActing = 1;
        Stop = 1;
        e.SetActionTimerFlag();
        if (!standing || ApplyEnemyCommand(id, e.GetActionTarget()) == 1) CloseEnemyTurn(id, e);
    }

    e.DrawRoleWait(e.GetRepeatCount() != 0 ? 1 : 0);
    // A fired trigger's act plays here; its end lets the queue pop again.
    e.PlayMonTriggerAct();
    if (BookDefeat(id, 0) == 1) {
        gDyingMark[id] = -1;
        gLastDowned = -1;
        ReleaseIdleTime();
    }
}

void TryRetreat(int slot) {
    if (slot < 0 || slot >= ManCount() || gManRoles[slot].IsActionFlag11() == 0) return;
    const ManRole& first = gManRoles[0];
    if (!(first.status & kStatusNoRetreat) && !(gBattleOptions & kOptionBit200)) {
        Stop = mStop = 1;
        SEL = 0;
        fMenu = 0;
        gCurRole = EmptyOrderEntry();
        MsDCount = uint8_t(std::min<uint32_t>(gBattleMonCount, 255));
        gLeaveBattle = 1;
        return;
    }
    AddBattleMessage(280, 10, 50, kNoRetreatText, kMsgStrip | kMsgCentred);
    PlaySfx(kSoundRefused, int(gSfxVolume));
}
