#include "battle/input/input_state.h"

#include <cstring>


BattleInputState gBattleInput;

void ClearExtraEntries() {
    BattleInputState& s = gBattleInput;
    for (int32_t& c : s.extraCodes) c = 0;
    std::memset(s.extraNames, 0, sizeof s.extraNames);
    s.extraCount = 0;
}

void ResetBattleInput() {
    BattleInputState& s = gBattleInput;
    s = BattleInputState{};
    s.enemyPick = 1;
    s.magicCursor = s.listCursor = s.skillCursor = 1;
    for (int32_t& c : s.itemTabCursor) c = 1;
    s.placeChoice = 1;
    s.orderCursor = 1;
    s.controlCursor = 1;
    s.controlRows = 2;
    s.captureChoice = s.elementChoice = 1;
    s.hoverAlly = kNoHover;
    s.chargingAlly = -1;
    s.menuPosX = 240;
    s.menuPosY = 140;
    s.pendingTab = -1;
    s.dragY = -1;
    s.eventRect = -1;
}
