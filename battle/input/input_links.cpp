// Stand-ins for the words and calls of other battle modules that the command
// input needs (input_links.h): the simplest meaning of each, until its own
// module holds it.
#include "battle/input/input_links.h"

#include "battle/manrole/manrole.h"
#include "world/party/item_list.h"

BattleInputLinks gInputLinks;

void ResetInputLinks() {
    gInputLinks = BattleInputLinks{};
    gInputLinks.releaseAlly = -1;
    gInputLinks.controlledEnemy = -1;
    gInputLinks.controller = -1;
    gInputLinks.resultPick = 255;
}

// A member may always try to retreat; whether it gets away is the retreat's
// own roll.
uint32_t CanRetreat(ManRole* role) { return role != nullptr && !role->IsOut() ? 1 : 0; }

// The guard places are not recorded until the party's bookkeeping keeps them.
void SetAllyWaitMark(int, int) {}

// One of the item into the bag; the mode (what the loot page shows) is the
// performance's.
void AddLootItem(uint16_t id, int) {
    if (id != 0) AddItem(&gInventory, id, 1, kAddCount);
}
