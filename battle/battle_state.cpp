#include "battle/battle_state.h"

#include "battle/action/action_state.h"
#include "battle/input/input_state.h"
#include "battle/turn/turn_state.h"

BattleState gBattle;

void ResetBattleFlow() {
    // The gauge-full value lasts from battle to battle, and the number of the
    // last battle stays readable after it.
    const int32_t full = gBattle.gaugeFull;
    const uint16_t scene = gBattle.sceneNo;
    gBattle = BattleState{};
    gBattle.gaugeFull = full;
    gBattle.sceneNo = scene;
    gBattle.battleResult = 1;
    gBattle.battleLive = 1;
    gBattle.lastDowned = -1;
    gBattle.releaseAlly = -1;
    // The menus' cursors start on their first entry (and go back to it after
    // every action): the first target, 1-based.
    gBattle.MS = 1;
    for (int32_t& p : gBattle.pendingDefeat) p = -1;
    for (int32_t& a : gBattle.arrangeOrder) a = 0;
    ResetAttackOrder();
    ResetTurnState();
    ResetActionState();
    ResetBattleInput();
}

void ResetBattleState() {
    ResetBattleFlow();
    gGaugeFull = kGaugeFullStart;
    gSceneNo = 0;
}
