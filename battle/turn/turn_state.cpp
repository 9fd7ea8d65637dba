#include "battle/turn/turn_state.h"

#include <cstring>

TurnState gTurn;
uint8_t gSceneVisits[kSceneCount];

void ResetTurnState() {
    gTurn = TurnState{};
    for (int32_t& m : gTurn.manDyingMark) m = -1;
    gTurn.lastDownedMan = -1;
    gTurn.monLastTarget = -1;
    std::memset(gMonCommandWord, 0, sizeof gMonCommandWord);
}
