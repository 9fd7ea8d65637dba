// What the two resolvers of a hit share: the digit sets, the thresholds and
// small look-ups of the acting role.
#pragma once
#include <algorithm>
#include <cstdint>

#include "battle/role/role_damage.h"
#include "battle/role/roles.h"
#include "world/party/member_stats.h"

namespace resolve {

constexpr uint16_t kDigitsDamage = 9097;
constexpr uint16_t kDigitsHeal = 9085;
constexpr uint16_t kDigitsSpirit = 9086;
constexpr uint16_t kDigitsStamina = 9087;
// The largest amount a hit shows or adds to the running total.
constexpr int32_t kShownCap = 9999;

constexpr uint16_t kAilmentSleep = 0x8;
constexpr uint16_t kAilmentInstantKill = 0x8000;
constexpr uint32_t kNodeStone = 0x4;    // an effect node of this kind takes no hit
constexpr uint32_t kNodeFreeze = 0x2;   // one of this kind takes double
constexpr uint32_t kFlagCure = 0x80;
constexpr uint32_t kFlagNoBonus = 0x40;
constexpr uint32_t kFlagNoEffect = 0x4000;
constexpr uint32_t kFlagSilverTheft = 0x80000;
constexpr uint32_t kFlagItemTheft = 0x100000;
constexpr uint8_t kMagicAsItem = 0x2;   // the role's action flags byte

// The role's level: a member's from its stats, an enemy's from its record.
inline int RoleLevel(const Role& r) {
    if (r.side == 1) return r.stats != nullptr ? r.stats->level : 0;
    return r.objRecord != nullptr ? ObjLevel(*r.objRecord) : 0;
}

// The target's five element percentages.
inline void ElementPercents(const Role& t, int8_t pct[5]) {
    for (int e = 0; e < 5; ++e) pct[e] = t.ElementPercent(e);
}

// The element cycle on a 32-bit amount: the amount is taken within the
// 16-bit range the cycle works in. 1 when it turned into healing.
inline uint32_t CycleAmount(const Role& t, uint16_t element, int32_t* amount) {
    if (element < 1 || element > 5) return 0;
    int8_t pct[5];
    ElementPercents(t, pct);
    uint16_t v = uint16_t(int16_t(std::clamp<int32_t>(*amount, INT16_MIN + 1, INT16_MAX)));
    const uint32_t heal = ApplyElementCycle(pct, int16_t(element), &v);
    *amount = int16_t(v);
    return heal;
}

// The amount a resolver returns: never wrapped into the other sign.
inline int16_t ReturnAmount(int64_t power) { return int16_t(std::clamp<int64_t>(power, -kShownCap, kShownCap)); }

// The ward of weapon skill 57 on a party target: 1 when it wards the ailment off.
uint32_t WardsOffAilment(Role& t, uint16_t ailment);
// The instant kill: the target's whole life is taken; that life (at most
// the shown cap) is the amount.
int16_t InstantKill(Role& t);

}  // namespace resolve
