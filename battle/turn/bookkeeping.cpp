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
