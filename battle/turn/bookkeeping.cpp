// Bookkeeping of the combatants.
//
// A defeat is booked once: each combatant id has a booked flag, set when its
// defeat is booked and cleared when the role stands again (a revival), so a
// down is never counted twice and a revived member can fall again. The
// talisman spirit is no member of the party: its fall is not counted in the
// party's downs, as it is not counted in the party's size.
#include "battle/turn/bookkeeping.h"

#include <algorithm>

#include "base/errorbox.h"
#include "base/settings.h"
#include "battle/action/action_perform.h"
#include "battle/battle_frame.h"
#include "battle/battle_start.h"
#include "battle/battle_state.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "battle/script/fight_script.h"
#include "battle/turn/targeting.h"
#include "battle/turn/turn_state.h"
#include "battle/turn/turn_texts.h"
#include "media/sound_bank.h"
#include "world/org/count_list.h"

namespace {

constexpr uint16_t kSpentObject = 768;
constexpr uint32_t kSpentObjectCap = 99;  // the bag holds no more of one item
constexpr uint16_t kSoundStolenBack = 279;

int ManCount() { return gBattleManCount < uint32_t(kMaxManRoles) ? int(gBattleManCount) : kMaxManRoles; }
int MonCount() { return gBattleMonCount < uint32_t(kMaxMonRoles) ? int(gBattleMonCount) : kMaxMonRoles; }

uint32_t AddSaturated(uint32_t a, uint32_t b) { return b > UINT32_MAX - a ? UINT32_MAX : a + b; }

int SpiritSlot() { return SpiritFights() ? int(gBattleStart.spiritFlags >> 16) : -1; }

int StandingEnemies() {
    int n = 0;
    for (int i = 0; i < MonCount(); ++i) n += IsStandingEnemy(i) ? 1 : 0;
    return n;
}

void RebuildOrder() {
    CollectActorPositions();
    SortDrawOrder();
    BuildEnemyOrder();
}

// Every item enemy `index` stole goes back to the bag; 1 when any did.
bool ReturnStolenItems(int index) {
    bool any = false;
    for (uint16_t& id : gStolenItems[index]) {
        if (id == 0) continue;
        AddLootItem(id, 1);
        id = 0;
        any = true;
    }
    return any;
}

void BookEnemyRewards(int index, MonRole& e) {
    // Items the enemy took come back however it left (beaten, captured or
    // fled), once: its slots are cleared as they are given back.
    if (ReturnStolenItems(index)) {
        PlaySfx(kSoundStolenBack, int(gSfxVolume));
        AddBattleMessage(280, 10, 50, kStolenBackText, kMsgBanner | kMsgCentred);
    }
    if (gCaptured[index]) {
        // A captured enemy is in the bag: it pays nothing and is no kill.
        gCaptured[index] = 0;
        return;
    }
    uint32_t exp = 0, silver = 0;
    e.GetMonRewards(&exp, &silver);
    const uint32_t treasure = e.IsMonUnique() ? 20 : 3;
    AddCount(&gFameList2, e.slot.spriteSet, 1);
    if (gTurn.noExperience) {
        gTurn.noExperience = 0;
        exp = 0;
    }
    const uint32_t repeats = gSceneNo < kSceneCount ? gSceneVisits[gSceneNo] : 0;
    if (gSceneRepeat > 0 && repeats > gSceneRepeat) {
        exp /= 2;
        silver /= 2;
    }
    gRewardExp = AddSaturated(gRewardExp, exp);
    if (!gTurn.noSilver) gRewardSilver = AddSaturated(gRewardSilver, silver);
    gRewardTreasure = AddSaturated(gRewardTreasure, treasure);
}

// The enemies an enemy called in collapse back to one once only enemy 0
// stands and every other enemy's defeat display is over.
void CollapseReinforcements() {
    if (gTurn.reinforcement == 0 || MonCount() < 2 || !IsStandingEnemy(0)) return;
    for (int i = 1; i < MonCount(); ++i)
        if (!gTurn.downBooked[i]) return;
    for (int i = 1; i < kMaxMonRoles; ++i) gTurn.downBooked[i] = 0;
    gBattleMonCount = 1;
    MsDCount = 0;
    gTurn.reinforcement = 0;
    RebuildOrder();
}

int BookEnemyDefeat(int index) {
    MonRole& e = gMonRoles[index];
    uint8_t& booked = gTurn.downBooked[index];
    if (e.defeated != 1) return 0;
    if (booked) return 0;
    if (e.RunDefeatEffect() == 0) return 0;
    booked = 1;
    gTurn.enemyGoingOut = 0;
    gMonTimerRunning[index] = 0;
    if (fMenu == 100) return 1;
    BookEnemyRewards(index, e);
    ClearEnemyMarks(index);
    gEnemyScore[index] = 0;
    RemoveFromAttackOrder(index);
    if (MsDCount < 255) ++MsDCount;
    if (int(MsDCount) - int(gHeldEnemies) >= MonCount() && !gTurn.victoryBooked) {
        gTurn.victoryBooked = 1;
        if (fMenu < 96) fMenu = 99;
        gAutoAttack = 0;
        Stop = 1;
    }
    if (StandingEnemies() == 1) RaiseEventOnLiveEnemies(2);
    CollapseReinforcements();
    return 1;
}

// A summoned guard leaves the party side. Guards stand in the last party
// slots; a gone guard's slot is dropped only from the end, so a guard that
// still stands is never the one removed.
void GuardLeaves(int slot) {
    BattleStartState& b = gBattleStart;
    b.partySlots[slot].spriteSet = 0;
    ++gTurn.guardsGone;
    const int k = slot - (ManCount() - int(b.guardCount));
    if (k >= 0 && k < kGuardItemWords) gGuardItems[k] = 0;
    while (b.guardCount > 0 && gBattleManCount > 0) {
        const int last = int(gBattleManCount) - 1;
        if (gManRoles[last].guard != 1 || !gTurn.downBooked[kFirstManId + last]) break;
        b.partySlots[last] = BattleSlot{};
        gTurn.downBooked[kFirstManId + last] = 0;
        --b.guardCount;
        --gBattleManCount;
    }
    if (b.guardCount == 0) gTurn.guardsGone = 0;
    RebuildOrder();
}

int BookManDefeat(int slot) {
    ManRole& r = gManRoles[slot];
    const int id = kFirstManId + slot;
    uint8_t& booked = gTurn.downBooked[id];
    if (r.defeated != 1) {
        booked = 0;  // standing again: a later fall is booked anew
        return 0;
    }
    if (booked) return 0;
    if (r.guard == 1) {
        if (r.RunDefeatEffect() == 0) return 0;
    } else if (r.out != 1) {
        r.SetOut(1);
    }
    booked = 1;
    const bool guard = r.guard == 1;
    if (guard)
        GuardLeaves(slot);
    else if (r.spirit != 1 && gDownedMen < 255)
        ++gDownedMen;
    r.ClearManAction();
    RemoveFromAttackOrder(id);
    gAllyQueued[slot] = 0;
    if (SEL == id) {
        // Its menus close and nobody commands: no menu stays open for a
        // member that is gone, so the queue goes on.
        for (int s = 0; s < ManCount(); ++s) gManRoles[s].SetHighlight(0);
        for (int i = 0; i < MonCount(); ++i) gMonRoles[i].SetHighlight(0);
        SEL = 0;
        MS = 1;
        if (fMenu < 96) fMenu = 0;
        Stop = mStop = 0;
        GetCom = 0;
    }
    if (gCurRole.id == id) {
        // Its turn ends with it.
        gCurRole = EmptyOrderEntry();
        GetCom = 0;
        Stop = mStop = 0;
        gManActing = 0;
        gTurnOpened = 0;
    }
    RemoveFromWaitOrder(id);
    const int spirit = SpiritSlot();
    if (slot == 0 && spirit > 0 && spirit < ManCount()) {
        gManRoles[spirit].SetRoleStatusBits(0x5008);
        gTurn.pendingCleanup[spirit] = 1;
        RemoveFromAttackOrder(kFirstManId + spirit);
    }
    if (int(gDownedMen) < FightingPartySize())
        RaiseEventOnLiveEnemies(23);
    else if (fMenu < 96)
        fMenu = 103;
    return 1;
}

// The spirit may heal the first member when it falls low.
void SpiritRescue() {
    const int spirit = SpiritSlot();
    if (spirit <= 0 || spirit >= ManCount() || gTurn.spiritHealPending) return;
    ManRole& g = gManRoles[spirit];
    if (g.IsOut() || g.defeated == 1 || !IsStandingMember(0)) return;
    int32_t life = 0, max = 0;
    gManRoles[0].GetRoleLife(&life, &max);
    if (int64_t(life) * 2 >= max) return;
    if (!g.RollGhostObedience()) return;
    if (!g.SpendSpiritForHeal(life, max, 80)) return;
    MS = 1;
    gManCommands[spirit].commandSet = 1;
    g.BeginRoleAction(0);
    InsertAttackOrder(1, kFirstManId + spirit, 0);
    gAllyQueued[spirit] = 1;
    Stop = 1;
    gTurn.spiritHealPending = 1;
}

}  // namespace

int GuardPlaceSlot(int place) {
    const int roles = BattlePartyCount() + SpiritFights() + int(gBattleStart.guardCount);
    const int slot = place - int(gBattleStart.guardCount) + roles - 1;
    return place >= 1 && place <= 2 && slot >= 0 && slot < kMaxManRoles ? slot : -1;
}

void UpdateBattleRoles() {
    for (int i = 0; i < kCombatantIds; ++i) {
        const int id = gArrangeOrder[i];
        if (id >= 0 && id < MonCount()) {
            MonRole& e = gMonRoles[id];
            e.StepShownNumbers();
            if (e.ApplyPendingDamage() == 1) {
                gDyingMark[id] = id;
                gTurn.enemyGoingOut = 1;
                RemoveFromAttackOrder(id);
            }
        } else if (id >= kFirstManId && id - kFirstManId < ManCount()) {
            const int s = id - kFirstManId;
            ManRole& m = gManRoles[s];
            if (m.StepShownNumbers() == 1) gPendingDown = 1;
            if (m.ApplyPendingDamage() == 1) {
                gPendingDown = 1;
                gManDyingMark[s] = s;
                RemoveFromAttackOrder(id);
            }
        }
    }
    if (gTurn.retargetPending) RunRequestedRetarget();
    if (gPendingDown == 1) {
        gPendingDown = 0;
        if (fMenu == 0) SpiritRescue();
    }
}

int CheckBattleEndByStatus() {
    // Once a result page is up the counts are final: nothing is added twice.
    if (gCurRole.id != -1 || fMenu >= 96) return 0;
    int stoned = 0;
    for (int s = 0; s < ManCount(); ++s) {
        const ManRole& m = gManRoles[s];
        if (m.guard == 1 || m.spirit == 1 || m.spareFlag == 1) continue;
        if (!m.IsOut() && m.defeated == 0 && m.HasRoleEffect(kEffectStone)) ++stoned;
    }
    if (stoned > 0 && int(gDownedMen) + stoned >= FightingPartySize() && gLeaveBattle == 0) {
        gDownedMen = uint8_t(std::min(255, int(gDownedMen) + stoned));
        fMenu = 103;
        return 1;
    }
    if (gTurn.victoryBooked || MonCount() == 0) return 0;
    int held = 0;
    for (int i = 0; i < MonCount(); ++i)
        if (IsStandingEnemy(i) && gMonRoles[i].HasRoleEffect(kEffectStone)) ++held;
    if (held > 0 && int(MsDCount) + held >= MonCount() && gLeaveBattle == 0) {
        MsDCount = uint8_t(std::min(255, int(MsDCount) + held));
        gTurn.victoryBooked = 1;
        gAutoAttack = 0;
        fMenu = 99;
        return 1;
    }
    return 0;
}

int BookDefeat(int index, int side) {
    if (side == 1) {
        if (index < 0 || index >= ManCount()) return 0;
        return BookManDefeat(index);
    }
    if (index < 0 || index >= MonCount()) return 0;
    return BookEnemyDefeat(index);
}

void ClearWaitSlots() {
    for (uint16_t& id : gGuardItems) {
        if (id != 0) AddLootItem(id, 0);
        id = 0;
    }
    const uint32_t spent = std::min(gTurn.spentObjects, kSpentObjectCap);
    for (uint32_t i = 0; i < spent; ++i) AddLootItem(kSpentObject, 0);
    gTurn.spentObjects = 0;
    gTurn.guardsGone = 0;
    gBattleStart.guardCount = 0;
}

void RaiseEventOnLiveEnemies(uint16_t event) {
    for (int i = 0; i < MonCount(); ++i)
        if (!gMonRoles[i].IsOut()) gMonRoles[i].CheckMonTrigger(event, 0);
}

int FindAllyWithStatus(uint32_t mask) {
    for (int s = 0; s < ManCount(); ++s)
        if (IsStandingMember(s) && !gManRoles[s].HasRoleEffect(mask)) return 0;
    return 1;
}

int FindAllyWithoutStatus() {
    for (int s = 0; s < ManCount(); ++s)
        if (IsStandingMember(s) && gManRoles[s].HasAssistEffect()) return 1;
    return 0;
}

void NoteDownedMember(int slot) {
    if (slot < 0 || slot >= kMaxManRoles) {
        TraceHook("turn: party slot %d cannot be noted as downed", slot);
        return;
    }
    gLastDownedMan = int16_t(slot);
    gManDyingMark[slot] = slot;
}

void MarkEnemyDying(int index) {
    if (index < 0 || index >= kMaxMonRoles) {
        TraceHook("turn: enemy %d cannot be marked as dying", index);
        return;
    }
    gDyingMark[index] = index;
}

void MarkMemberDying(int slot) {
    if (slot < 0 || slot >= kMaxManRoles) {
        TraceHook("turn: party slot %d cannot be marked as dying", slot);
        return;
    }
    gManDyingMark[slot] = slot;
}
