// Bookkeeping of the combatants.
//
// Until the defeat displays and the rewards are built, a combatant whose
// life reached 0 goes out at once and is counted: the end of the battle
// follows from the counts.
#include "battle/turn/bookkeeping.h"

#include "battle/battle_state.h"
#include "battle/role/roles.h"

void UpdateBattleRoles() {
    for (uint32_t i = 0; i < gBattleMonCount; ++i) {
        MonRole& e = gMonRoles[i];
        e.ApplyPendingDamage();
        if (e.defeated == 1 && e.out == 0) {
            e.SetOut(1);
            RemoveFromAttackOrder(static_cast<int>(i));
            ++MsDCount;
            if (MsDCount >= gBattleMonCount && fMenu < 96) fMenu = 99;
        }
    }
    for (uint32_t s = 0; s < gBattleManCount; ++s) {
        ManRole& m = gManRoles[s];
        m.ApplyPendingDamage();
        if (m.defeated == 1 && m.out == 0) {
            m.SetOut(1);
            RemoveFromAttackOrder(kFirstManId + static_cast<int>(s));
            ++gDownedMen;
        }
    }
}

int CheckBattleEndByStatus() { return 0; }

void ClearWaitSlots() {}

void RaiseEventOnLiveEnemies(uint16_t event) {
    for (uint32_t i = 0; i < gBattleMonCount; ++i)
        if (!gMonRoles[i].IsOut()) gMonRoles[i].CheckMonTrigger(event, 0);
}

namespace {
bool StandingMember(const ManRole& m) { return m.member == 1 && !m.IsOut(); }
}  // namespace

int FindAllyWithStatus(uint32_t mask) {
    for (uint32_t s = 0; s < gBattleManCount && s < uint32_t(kMaxManRoles); ++s)
        if (StandingMember(gManRoles[s]) && !gManRoles[s].HasRoleEffect(mask)) return 0;
    return 1;
}

int FindAllyWithoutStatus() {
    for (uint32_t s = 0; s < gBattleManCount && s < uint32_t(kMaxManRoles); ++s)
        if (StandingMember(gManRoles[s]) && gManRoles[s].HasAssistEffect()) return 1;
    return 0;
}
