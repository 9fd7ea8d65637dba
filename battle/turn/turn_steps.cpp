// The turn steps of the combatants.
//
// Until the commands and their performers are built, a turn that reaches a
// combatant ends at once: the gauge fills, the combatant is queued, and when
// the queue hands it the turn, the turn closes and the script hears that its
// action is done. Fights then run from their opening to their end by script.
#include "battle/turn/turn_steps.h"

#include "battle/battle_state.h"
#include "battle/role/roles.h"

namespace {

bool TimeRuns() { return gBattleLive == 1 && gCurRole.id == -1 && Stop == 0 && mStop == 0; }

void CloseTurn(Role& r) {
    r.EndRoleTurn();
    gCurRole = EmptyOrderEntry();
    GetCom = 0;
    Stop = mStop = 0;
    gScriptActionDone = 1;
    if (gFightWordLow() > 0) --gBattle.fightWord;
}

}  // namespace

int RunPartyMemberStep(int slot) {
    ManRole& r = gManRoles[slot];
    if (!(gOpeningSlot & 0x80) && gOpeningSlot == slot) gOpeningSlot |= 0x80;
    if (r.IsOut()) return 1;
    if (TimeRuns() && r.StepManGauge(0) == 1) {
        InsertAttackOrder(1, kFirstManId + slot, -1);
        gAllyQueued[slot] = 1;
    }
    if (gCurRole.id == kFirstManId + slot) {
        gAllyQueued[slot] = 0;
        CloseTurn(r);
    }
    return 1;
}

void RunEnemyStep(int id) {
    MonRole& r = gMonRoles[id];
    if (r.IsOut()) return;
    if (TimeRuns() && r.ready == 0 && r.StepMonGauge(0) == 1) AddToAttackOrder(2, id);
    if (gCurRole.id == id) CloseTurn(r);
}
