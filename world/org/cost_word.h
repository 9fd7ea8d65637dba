// The cost word of an object record (w14, byte 64): one reading for the
// menus and the battle.
//
//   bit 15: a spirit cost; bit 14: a stamina cost; with either, the amount is
//   bits 13..0 (both set: the amount from each).
//   With neither: bit 13 marks a throwable item, and bit 11 an item cost
//   whose item id is bits 10..0.
//   No bit of these: the object costs nothing.
#pragma once
#include <cstdint>

constexpr uint16_t kCostSpirit = 0x8000, kCostStamina = 0x4000, kCostAmount = 0x3FFF;
constexpr uint16_t kCostThrowable = 0x2000, kCostItem = 0x0800, kCostItemId = 0x07FF;

struct ObjCost {
    uint16_t spirit;   // paid from the current spirit
    uint16_t stamina;  // paid from the current stamina
    uint16_t itemId;   // one of this item is used up; 0 none
    bool throwable;
};

inline ObjCost DecodeCostWord(uint16_t w) {
    ObjCost c{};
    if (w & (kCostSpirit | kCostStamina)) {
        const uint16_t amount = w & kCostAmount;
        if (w & kCostSpirit) c.spirit = amount;
        if (w & kCostStamina) c.stamina = amount;
        return c;
    }
    c.throwable = (w & kCostThrowable) != 0;
    if (w & kCostItem) c.itemId = w & kCostItemId;
    return c;
}

// True when the word names a spirit or a stamina cost.
inline bool HasGaugeCost(uint16_t w) { return (w & (kCostSpirit | kCostStamina)) != 0; }
