// The enemy side's battle-side words.
#include "battle/role/mon_battle.h"

#include <cstring>

#include "battle/battle_frame.h"
#include "battle/battle_state.h"

MonBattleState gMonBattle;

void BeginTriggerDisplay() {
    for (int16_t& t : gMonBattle.triggerTint) t = -12;
    gFrame.skipBackground = 0;
    Stop = 1;
    gMonBattle.triggerDisplay = 1;
    gMonBattle.triggerHold = 1;
}

void EndTriggerDisplay() {
    for (int16_t& t : gMonBattle.triggerTint) t = 0;
    gMonBattle.triggerDisplay = 0;
    gMonBattle.triggerHold = 0;
    gMonBattle.triggerOwner = 0;
    Stop = 0;
}

void ResetMonBattle() { std::memset(&gMonBattle, 0, sizeof gMonBattle); }
