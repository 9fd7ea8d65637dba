#include "battle/input/input_common.h"

#include <cstdint>

#include "base/settings.h"
#include "battle/battle_frame.h"
#include "battle/battle_start.h"
#include "battle/battle_state.h"
#include "battle/input/input_state.h"
#include "battle/role/roles.h"
#include "media/sound_bank.h"

void MenuSound(int id) { PlaySfx(id, int(gSfxVolume)); }

int CommandingSlot() {
    const int slot = SEL - kFirstManId;
    return (slot >= 0 && slot < kMaxManRoles && uint32_t(slot) < gBattleManCount) ? slot : -1;
}

ManRole* CommandingRole() {
    const int slot = CommandingSlot();
    return slot >= 0 ? &gManRoles[slot] : nullptr;
}

bool EnemyStanding(int index) {
    return index >= 0 && index < kMaxMonRoles && uint32_t(index) < gBattleMonCount && !gMonRoles[index].IsOut();
}

int StandingEnemyCount() {
    int n = 0;
    for (uint32_t i = 0; i < gBattleMonCount && i < uint32_t(kMaxMonRoles); ++i) n += gMonRoles[i].IsOut() ? 0 : 1;
    return n;
}

int EnemyAtPick(int pick) {
    if (pick < 1 || pick > int(gBattleMonCount) || pick > kMaxMonRoles) return -1;
    const int index = gEnemyTargetOrder[pick - 1];
    return (index >= 0 && uint32_t(index) < gBattleMonCount) ? index : -1;
}

void ClearSideHighlights(int side) {
    if (side == 0) {
        for (uint32_t i = 0; i < gBattleMonCount && i < uint32_t(kMaxMonRoles); ++i) gMonRoles[i].SetHighlight(0);
    } else {
        for (uint32_t s = 0; s < gBattleManCount && s < uint32_t(kMaxManRoles); ++s) gManRoles[s].SetHighlight(0);
    }
}

void MarkEnemyTarget(int index) {
    if (index < 0 || uint32_t(index) >= gBattleMonCount) return;
    int32_t rect[4];
    gMonRoles[index].LoadWaitFrame(rect);
    ClearSideHighlights(0);
    gMonRoles[index].SetHighlight(1);
    gTargetEnemy = index;
    MS = index + 1;
}

void MarkPartyTarget(int slot) {
    if (slot < 0 || uint32_t(slot) >= gBattleManCount) return;
    int32_t rect[4];
    gManRoles[slot].LoadWaitFrame(rect);
    ClearSideHighlights(1);
    gManRoles[slot].SetHighlight(1);
    MS = slot + 1;
}

int MembersPresent() { return BattlePartyCount(); }
