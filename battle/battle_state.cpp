#include "battle/battle_state.h"

BattleState gBattle;

void ResetBattleState() {
    gBattle = BattleState{};
    gGaugeFull = kGaugeFullStart;
}
