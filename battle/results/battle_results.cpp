// The result pages. Until the rewards are built a decided battle is left at
// once: victory (99), defeat (103) and leaving (104) all set gLeaveBattle.
#include "battle/results/battle_results.h"

#include "battle/battle_state.h"

void BattleResults() {
    if (fMenu >= 96) gLeaveBattle = 1;
}
