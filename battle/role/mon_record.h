// The monster block of an object record as the battle reads and changes it.
// Every byte offset the battle uses is named here once; docs/world-records.md
// has the table. The world fixed attack, defence, agility, life, the carried
// objects, the price and the elements; the battle's own fields sit in the
// bytes the world left free.
#pragma once
#include <cstddef>
#include <cstdint>

#include "world/org/obj_record.h"

namespace mon {
constexpr size_t kAttack = 90;      // u16
constexpr size_t kDefence = 92;     // u16
constexpr size_t kAgility = 94;     // u16
constexpr size_t kWisdom = 96;      // u16
constexpr size_t kAttackAction = 98;  // u16: the action record of the plain attack
constexpr size_t kAilmentThreshold = 102;  // u16: a higher threshold lets more ailments hold
constexpr size_t kLife = 104;       // u32
constexpr size_t kBlockChance = 146;  // u8: a guard's (and an enemy's) block chance
constexpr size_t kElements = 156;   // five i8: metal, wood, water, fire, earth
}  // namespace mon

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
