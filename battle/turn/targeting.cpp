// Targets of the enemies and the automatic roles, and the scans over the
// roles that the turn steps and the command application share.
#include "battle/turn/targeting.h"

#include <cstring>

#include "base/errorbox.h"
#include "base/random.h"
#include "battle/action/action_state.h"
#include "battle/battle_start.h"
#include "battle/battle_state.h"
#include "battle/role/roles.h"
#include "battle/turn/turn_state.h"

namespace {

int ManCount() { return gBattleManCount < uint32_t(kMaxManRoles) ? int(gBattleManCount) : kMaxManRoles; }
int MonCount() { return gBattleMonCount < uint32_t(kMaxMonRoles) ? int(gBattleMonCount) : kMaxMonRoles; }

// The value mode 1..6 compares; `higher` tells which way a member passes.
int64_t TargetValue(const Role& r, int mode, bool* higher) {
    int16_t max = 0, cur = 0;
    switch (mode) {
    case 1: {
        int32_t life = 0, full = 0;
        r.GetRoleLife(&life, &full);
        *higher = false;
        return life;
    }
    case 2:
        r.GetRoleSpirit(&max, &cur);
        *higher = true;
        return cur;
    case 3:
        r.GetRoleStamina(&max, &cur);
        *higher = true;
        return cur;
    case 4: *higher = false; return r.GetRoleAgility();
    case 5: *higher = false; return r.GetRoleDefence();
    default: *higher = true; return r.GetRoleAttack();
    }
}

// A party role an enemy may draw as its target.
bool IsPartyCandidate(int s, bool avoidSleep) {
    if (s < 0 || s >= ManCount()) return false;
    const ManRole& m = gManRoles[s];
    if (m.IsOut() || m.defeated == 1 || m.gaugeHold == 1 || m.spirit == 1) return false;
    if (m.HasRoleEffect(kEffectStone)) return false;
    if (avoidSleep && m.HasRoleEffect(kEffectSleep)) return false;
    return true;
}

void NoteDraw(int s) {
    if (s == gMonLastTarget) {
        if (gMonRepeat < 255) ++gMonRepeat;
    } else {
        gMonLastTarget = s;
        gMonRepeat = 1;
    }
}

void EndHunt() {
    if (gHuntEnemy >= 0 && gHuntEnemy < kMaxMonRoles) gMonRoles[gHuntEnemy].ClearRoleStateBits(kStateHunting);
    gHuntTarget = 0;
    gHuntTurns = 0;
    gHuntEnemy = 0;
}

}  // namespace

int FightingPartySize() {
    const int n = ManCount() - SpiritFights() - int(gBattleStart.guardCount);
    return n > 0 ? n : 0;
}

bool IsStandingMember(int slot) {
    if (slot < 0 || slot >= ManCount()) return false;
    const ManRole& m = gManRoles[slot];
    return m.member == 1 && !m.IsOut() && m.defeated == 0;
}

bool IsStandingEnemy(int id) {
    if (id < 0 || id >= MonCount()) return false;
    return !gMonRoles[id].IsOut() && gMonRoles[id].defeated == 0;
}

int ChooseEnemyTarget(int mode) {
    mode &= 0xFF;
    if (mode < 1 || mode > 6) return 0;
    if (FightingPartySize() - int(gDownedMen) < 1) return 0;
    int ref = -1;
    int64_t refValue = 0;
    int winner = -1;
    for (int s = 0; s < ManCount(); ++s) {
        if (!IsStandingMember(s)) continue;
        bool higher = false;
        const int64_t v = TargetValue(gManRoles[s], mode, &higher);
        if (ref < 0) {
            ref = s;
            refValue = v;
            continue;
        }
        if (higher ? v > refValue : v < refValue) winner = s;
    }
    if (ref < 0) return 0;
    return (winner >= 0 ? winner : ref) + 1;
}

int DrawRandomPartyTarget(int enemyId) {
    // A hunt bound to this enemy takes its member while that member stands.
    if (gHuntTarget != 0 && gHuntEnemy == enemyId) {
        const int s = gHuntTarget - 1;
        if (IsPartyCandidate(s, false)) {
            if (--gHuntTurns <= 0) EndHunt();
            NoteDraw(s);
            return s;
        }
        EndHunt();
    }
    bool allAsleep = true;
    for (int s = 0; s < ManCount(); ++s)
        if (IsPartyCandidate(s, false) && !gManRoles[s].HasRoleEffect(kEffectSleep)) allAsleep = false;
    const bool avoidSleep = !allAsleep;
    int candidates[kMaxManRoles];
    int n = 0;
    for (int s = 0; s < ManCount(); ++s)
        if (IsPartyCandidate(s, avoidSleep)) candidates[n++] = s;
    if (n == 0) return -1;
    const bool repeatBarred = n > 1 && gMonRepeat > 2;
    for (int tries = 0; tries < kTargetDrawLimit; ++tries) {
        const int s = Random(ManCount());
        if (!IsPartyCandidate(s, avoidSleep)) continue;
        if (repeatBarred && s == gMonLastTarget) continue;
        NoteDraw(s);
        return s;
    }
    // Out of draws: one of the candidates (not the barred one) directly.
    int pool[kMaxManRoles];
    int m = 0;
    for (int i = 0; i < n; ++i)
        if (!(repeatBarred && candidates[i] == gMonLastTarget)) pool[m++] = candidates[i];
    const int s = pool[Random(m)];
    NoteDraw(s);
    return s;
}

int DrawRandomEnemyTarget() {
    int pool[kMaxMonRoles];
    int n = 0;
    for (int i = 0; i < MonCount(); ++i)
        if (IsStandingEnemy(i) && !gMonRoles[i].HasRoleEffect(kEffectStone)) pool[n++] = i;
    if (n == 0) return -1;
    for (int tries = 0; tries < kTargetDrawLimit; ++tries) {
        const int i = Random(MonCount());
        if (IsStandingEnemy(i) && !gMonRoles[i].HasRoleEffect(kEffectStone)) return i;
    }
    return pool[Random(n)];
}

int FindTopEnemyScore() {
    int best = 0;
    for (int i = 1; i < kMaxMonRoles; ++i)
        if (gEnemyScore[i] > gEnemyScore[best]) best = i;
    return best + 1;
}

void ClearEnemyMarks(int n) {
    if (n < 0 || n >= kMaxMonRoles) return;
    for (int s = 0; s < kControlMarks; ++s) {
        if (gControlMark[s] != uint16_t(n + 1)) continue;
        gControlMark[s] = 0;
        if (s < ManCount()) gManRoles[s].RemoveRoleEffect(kEffectDoom);
    }
}

void SetAllyWaitMark(int i, uint16_t value) {
    if (i < 1 || i > kGuardItemWords) {
        TraceHook("battle: guard item word %d refused (1..%d)", i, kGuardItemWords);
        return;
    }
    gGuardItems[i - 1] = value;
}

namespace {

// Every party role but `slot` aimed at enemy `target` moves to the next
// standing enemy, or the turn state is emptied when none is left.
void MoveAlliesOff(int slot, int target) {
    if (target < 0 || target >= MonCount() || ManCount() == 0) return;
    int next = -1;
    for (int i = 0; i < MonCount() && next < 0; ++i)
        if (i != target && IsStandingEnemy(i)) next = i;
    for (int s = 0; s < ManCount(); ++s) {
        if (s == slot) continue;
        ManRole& r = gManRoles[s];
        if (r.HasActed() == 0 || r.GetActionTarget() != target) continue;
        if (next >= 0) {
            r.BeginRoleAction(int16_t(next));
            continue;
        }
        if (int(MsDCount) + 1 != MonCount()) continue;
        r.SetCommand(0);
        r.SetCommandChosen(0);
        r.EndRoleTurn();
        gManActing = 0;
        std::memset(gWaitOrder, 0, sizeof gWaitOrder);
        SEL = 0;
        gCurRole = EmptyOrderEntry();
        for (AttackOrderEntry& e : gAttackOrder) e = EmptyOrderEntry();
    }
}

}  // namespace

void RetargetAllies(int slot, int target) {
    if (target < 0 || target != gLastDowned) return;
    MoveAlliesOff(slot, target);
}

void RunRequestedRetarget() {
    const int target = int(gTurn.retargetPending) - 1;
    gTurn.retargetPending = 0;
    MoveAlliesOff(-1, target);
}

void SpreadContagion(int side) {
    const bool party = side == 0;
    const int count = party ? ManCount() : MonCount();
    for (int i = 0; i < count; ++i) {
        Role& r = party ? static_cast<Role&>(gManRoles[i]) : static_cast<Role&>(gMonRoles[i]);
        r.StepSpreadCounter();
        if (!r.IsSpreadDue()) continue;
        const int j = Random(count);
        if (j == i) continue;
        Role& t = party ? static_cast<Role&>(gManRoles[j]) : static_cast<Role&>(gMonRoles[j]);
        if (t.IsOut() || t.defeated == 1 || t.gaugeHold == 1) continue;
        if (party && (t.spirit == 1 || t.HasOutStatus() || t.guard == 1)) continue;
        t.CatchSpreadingEffect(int16_t(r.GetSpreadValue()), uint8_t(r.spreadStage));
    }
}

int StrikeAllEnemies(int slot) {
    if (slot < 0 || slot >= ManCount()) return 1;
    ManRole& r = gManRoles[slot];
    const int32_t damage = int32_t(r.SelectRoleWeaponSkill(22)) * 2400 / 100 + 100;
    gTurn.lureDamage = damage;
    if (r.RunStrikeAllAct(0) == 0) return 0;
    // The group technique's stage moves on: its prompt is over.
    gAction.groupStage = 2;
    const int healedClass = gTurn.scenePolarity != 0 ? 1 : 0;
    for (int i = 0; i < MonCount(); ++i) {
        if (!IsStandingEnemy(i)) continue;
        MonRole& e = gMonRoles[i];
        const bool heal = e.GetMonClass() == healedClass;
        const int32_t amount = damage > 9999 ? 9999 : damage;
        e.PushShownNumber(heal ? 9085 : 9097);
        e.SetDamageDigits(int16_t(amount));
        e.CommitShownNumber(1);
        if (e.DamageRole(heal ? -amount : amount, 0, 0) == 1) {
            gLastDowned = int16_t(i);
            gDyingMark[i] = i;
            e.SetDefeatEffect(6);
            gFlashRequest = 1;
        }
    }
    gTurn.lureDamage = 0;
    return 1;
}

int StepShownNumbers(int index, int side) {
    if (side == 1) {
        if (index < 0 || index >= kMaxManRoles) return 1;
        return int(gManRoles[index].StepShownNumbers());
    }
    if (index < 0 || index >= kMaxMonRoles) return 1;
    return int(gMonRoles[index].StepShownNumbers());
}

void RequestRetarget() {
    if (gLastDowned >= 0 && gLastDowned < kMaxMonRoles) gTurn.retargetPending = uint32_t(gLastDowned) + 1;
}
