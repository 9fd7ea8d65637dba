// The party side's battle-side tables.
#include "battle/manrole/man_battle.h"

#include <cstring>

#include "world/party/item_list.h"

ManBattleState gManBattle;

void ResetManBattle() { std::memset(&gManBattle, 0, sizeof gManBattle); }

ItemRecord* FindBagItem(uint16_t id) {
    for (ItemRecord* n = gInventory; n != nullptr; n = n->next)
        if (n->id == id) return n;
    return nullptr;
}

int ItemAvailable(const ItemRecord& node) {
    const int have = int(node.count) + int(node.newCount) - int(gManBattle.reserved[node.id]);
    return have > 0 ? have : 0;
}

int ItemReserved(uint16_t id) { return gManBattle.reserved[id]; }

void ReserveItemUse(uint16_t id) {
    if (gManBattle.reserved[id] < 0xFF) ++gManBattle.reserved[id];
}

void ReleaseItemUse(uint16_t id) {
    if (gManBattle.reserved[id] > 0) --gManBattle.reserved[id];
}

int GetItemUseCount(uint16_t id) { return gManBattle.uses[id]; }

void CountItemUse(uint16_t id) {
    if (gManBattle.uses[id] < 0xFF) ++gManBattle.uses[id];
}

int ItemStaminaCost(uint16_t id, int cost) { return GetItemUseCount(id) + 1 >= 3 ? cost + cost / 3 : cost; }
