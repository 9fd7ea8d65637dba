// Stand-ins for what the result pages need from modules built elsewhere:
// the battle's reward sums (booked by the defeat bookkeeping), the loot add
// of the action performance and the guard's summon act. Each goes when its
// owner's module provides it.
#pragma once
#include <cstdint>

struct ItemRecord;
class ManRole;

struct ResultNeeds {
    uint32_t rewardExp, rewardSilver, rewardTreasure;
};
extern ResultNeeds gResultNeeds;
// The battle's reward sums (32-bit; the booked mark is a flag of its own).
inline uint32_t& gRewardExp = gResultNeeds.rewardExp;
inline uint32_t& gRewardSilver = gResultNeeds.rewardSilver;
inline uint32_t& gRewardTreasure = gResultNeeds.rewardTreasure;

// Stand-in: one add to the party's bag (AddItem, kAddNew); the bag's record
// of the item, or null when it cannot be added.
ItemRecord* AddLootItem(uint16_t id, int count);
// Stand-in: the guard's summon act at (x, y); 1 when done (at once).
int RunSummonAct(ManRole* guard, int x, int y);
