#include "battle/battle_state.h"

BattleState gBattle;

void ResetBattleFlow() {
    int32_t full = gBattle.gaugeFull;
    gBattle = BattleState{};
    gBattle.gaugeFull = full;
    gBattle.battleResult = 1;
    gBattle.battleLive = 1;
    gBattle.lastDowned = -1;
    for (int32_t& p : gBattle.pendingDefeat) p = -1;
    for (int32_t& a : gBattle.arrangeOrder) a = 0;
    ResetAttackOrder();
}

void ResetBattleState() {
    ResetBattleFlow();
    gGaugeFull = kGaugeFullStart;
}
