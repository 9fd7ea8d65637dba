// The monster block of an object record as the battle reads and changes it.
// Every byte offset the battle uses is named here once; docs/world-records.md
// has the table. The world fixed the class, level, attack, defence, agility,
// life, the object slots, the price and the elements; the battle's own fields
// sit in the bytes the world left free (never the price at 148..149: a
// captured creature in the bag would get a shop price). All of them lie in
// 84..162, the bytes that tag 1 carries.
#pragma once
#include <cstddef>
#include <cstdint>

#include "world/org/obj_record.h"

namespace mon {
constexpr size_t kClass = 86;       // u16: capturable below 11
constexpr size_t kLevel = 88;       // u16
constexpr size_t kAttack = 90;      // u16
constexpr size_t kDefence = 92;     // u16
constexpr size_t kAgility = 94;     // u16
constexpr size_t kWisdom = 96;      // u16
constexpr size_t kAttackAction = 98;  // u16: the action record of the plain attack
constexpr size_t kExperience = 100;   // u16: reward value 1
constexpr size_t kAilmentThreshold = 102;  // u16: a higher threshold lets more ailments hold
constexpr size_t kLife = 104;       // u32
// Seven object slots of four bytes: the object id (u16), then its count
// (u16). 0..2 the carried objects (the spells), 3..4 the attack objects (the
// specials), 5..6 the special actions (the items).
constexpr size_t kSlots = 108;
constexpr int kSlotCount = 7;
constexpr int kCarriedSlot = 0;     // 0, 1, 2
constexpr int kAttackSlot = 3;      // 3, 4
constexpr int kSpecialSlot = 5;     // 5, 6
constexpr size_t kSilver = 136;     // u16: reward value 2, the silver it carries (thefts add to it)
constexpr size_t kDropObject = 138;   // u16
constexpr size_t kStealObject = 140;  // u16
constexpr size_t kTrigger = 142;      // u16: trigger code (1..30)
constexpr size_t kReaction = 144;     // u16: reaction code
constexpr size_t kBlockChance = 146;  // u8: a guard's (and an enemy's) block chance
constexpr size_t kEscapeChance = 147; // u8
constexpr size_t kDropChance = 150;   // u8: in twentieths
constexpr size_t kStealChance = 151;  // u8: in tenths
constexpr size_t kSpecialSwitch = 152;  // u8: 0 never chooses a special action
constexpr size_t kSpellChance = 153;    // u8
constexpr size_t kSpecialChance = 154;  // u8
constexpr size_t kLeaveMark = 155;      // u8: 8 once it has taken something
constexpr size_t kElements = 156;   // five i8: metal, wood, water, fire, earth
constexpr size_t kTint = 162;       // u8: the tint byte (GetMonClass)
}  // namespace mon

// A steal's result when there is nothing to take: above every object id (a
// u16), so no id can pass for it.
constexpr uint32_t kStealNothing = 0x10000;

inline uint32_t MonLifeOf(const ObjRecord& r) { return ObjDwordAt(r, mon::kLife); }
inline void SetMonLifeOf(ObjRecord* r, uint32_t v) { SetObjDwordAt(r, mon::kLife, v); }
inline uint16_t MonWisdomOf(const ObjRecord& r) { return ObjWordAt(r, mon::kWisdom); }
inline uint16_t MonAilmentThresholdOf(const ObjRecord& r) { return ObjWordAt(r, mon::kAilmentThreshold); }
inline int8_t MonElementOf(const ObjRecord& r, int e) {
    return static_cast<int8_t>(ObjByteAt(r, mon::kElements + static_cast<size_t>(e)));
}
inline void SetMonElementOf(ObjRecord* r, int e, int8_t v) {
    SetObjByteAt(r, mon::kElements + static_cast<size_t>(e), static_cast<uint8_t>(v));
}
inline uint16_t MonAttackActionOf(const ObjRecord& r) { return ObjWordAt(r, mon::kAttackAction); }
inline uint8_t MonBlockChanceOf(const ObjRecord& r) { return ObjByteAt(r, mon::kBlockChance); }

// Object slot i (0..6): its id and count; a slot outside reads 0 and
// writes nothing.
inline bool MonSlotValid(int i) { return i >= 0 && i < mon::kSlotCount; }
inline uint16_t MonSlotId(const ObjRecord& r, int i) {
    return MonSlotValid(i) ? ObjWordAt(r, mon::kSlots + 4 * size_t(i)) : 0;
}
inline uint16_t MonSlotCount(const ObjRecord& r, int i) {
    return MonSlotValid(i) ? ObjWordAt(r, mon::kSlots + 4 * size_t(i) + 2) : 0;
}
inline void SetMonSlotId(ObjRecord* r, int i, uint16_t v) {
    if (MonSlotValid(i)) SetObjWordAt(r, mon::kSlots + 4 * size_t(i), v);
}
inline void SetMonSlotCount(ObjRecord* r, int i, uint16_t v) {
    if (MonSlotValid(i)) SetObjWordAt(r, mon::kSlots + 4 * size_t(i) + 2, v);
}
