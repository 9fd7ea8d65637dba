#include "battle/turn/bookkeeping.h"

#include "battle/role/roles.h"

void RaiseEventOnLiveEnemies(uint16_t event) {
    const uint32_t count = gBattleMonCount < kMaxMonRoles ? gBattleMonCount : kMaxMonRoles;
    for (uint32_t i = 0; i < count; ++i)
        if (!gMonRoles[i].IsOut()) gMonRoles[i].CheckMonTrigger(event, 0);
}
