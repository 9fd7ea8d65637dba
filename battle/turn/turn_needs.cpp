// Stand-ins for the modules the turn steps hand a ready role to (see
// turn_needs.h). Each keeps to the simplest body that lets a turn finish.
#include "battle/turn/turn_needs.h"

#include "base/random.h"
#include "battle/battle_state.h"
#include "battle/role/roles.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"

namespace {

Role* EnemyAt(int target) {
    if (target < 0 || uint32_t(target) >= gBattleMonCount) return nullptr;
    return &gMonRoles[target];
}

Role* PartyAt(int target) {
    if (target < 0 || uint32_t(target) >= gBattleManCount) return nullptr;
    return &gManRoles[target];
}

}  // namespace

void OpenCommandMenus(int slot) {
    if (slot < 0 || slot >= 4) return;
    int first = -1;
    for (uint32_t i = 0; i < gBattleMonCount && first < 0; ++i)
        if (!gMonRoles[i].IsOut()) first = int(i);
    gChosenCommand[slot] = 1;
    MS = first + 1;
    gManRoles[slot].SetCommandChosen(1);
    SEL = 0;
    fMenu = 0;
    Stop = mStop = 0;
}

void ClearStatusPanelMark(int) {}


int RunOpeningPose(ManRole&) { return 1; }

int RunRetreatAct(ManRole&, int) { return 1; }

int RollLevelChance(const ManRole& r, int level) {
    if (level <= 0) return 0;
    const int own = r.stats != nullptr ? int(r.stats->level) : 0;
    if (own >= level) {
        const int d = own - level;
        if (d >= 13) return 1;
        return Random(100) < (d < 8 ? 71 : 91) ? 1 : 0;
    }
    return Random(100) < 36 ? 1 : 0;
}

int RunStrikeAllAct(ManRole&) { return 1; }

