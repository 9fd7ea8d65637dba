// What the party side keeps for one battle beside its roles: the uses of bag
// items promised to queued actions, the count of each item's uses, and the
// counters of the strong attack. All of it is battle-side: the item records
// of the bag are never written for it (their spare word is the refining
// page's), and ResetManBattle clears it at the battle's start and end.
#pragma once
#include <cstdint>

struct ItemRecord;

constexpr int kItemIds = 65536;

struct ManBattleState {
    uint8_t reserved[kItemIds];   // uses promised to queued actions, by item id
    uint8_t uses[kItemIds];       // uses of each item in this battle
    uint8_t plainAttacks;         // plain attacks finished since the last strong one
    uint16_t lastStrongSprite;    // sprite set of the role that struck strongly last; 0 none
};
extern ManBattleState gManBattle;

void ResetManBattle();

// The bag node of exactly this id (gInventory, read live), or null.
ItemRecord* FindBagItem(uint16_t id);
// count + new count - reserved, never below 0.
int ItemAvailable(const ItemRecord& node);
int ItemReserved(uint16_t id);
void ReserveItemUse(uint16_t id);  // at most 255
void ReleaseItemUse(uint16_t id);  // never below 0

// The item's uses in this battle (the command input counts one per use).
int GetItemUseCount(uint16_t id);
void CountItemUse(uint16_t id);
// The stamina an item's use costs now: from its third use in the battle
// (use count + 1 >= 3) the cost + cost / 3. The item page shows this price
// and the choice checks this price.
int ItemStaminaCost(uint16_t id, int cost);
