// Weapon skills of the two treasures a party role carries, and their growth.
#include "battle/role/roles.h"
#include "world/org/count_list.h"
#include "world/org/obj_record.h"
#include "world/party/member_stats.h"

namespace {

constexpr uint32_t kBankingBit = 0x100;
constexpr int kTreasureKindWord = 17;  // w17: a treasure's skill kind
constexpr int kCostWord = 14;          // w14: low 14 bits the stamina cost
constexpr int kGrowthMaxWord = 16;     // w16: the growth maximum

uint16_t TreasureKind(const ObjRecord& t) { return t.w[kTreasureKindWord]; }

}  // namespace

uint16_t Role::SelectRoleWeaponSkill(uint16_t kind) {
    for (int i = 0; i < 2; ++i) {
        if (treasureId[i] == 0 || TreasureKind(treasure[i]) != kind) continue;
        skillValue = static_cast<uint16_t>(GetListValue(&gFameList3, treasureId[i]));
        return skillValue;
    }
    // Without a treasure of the kind the skill has no strength: a value kept
    // from another kind would carry over into this one.
    skillValue = 0;
    return 0;
}

uint16_t Role::GetWeaponSkillCost(uint16_t kind) const {
    if (kind == 40 && (statusDword & kBankingBit)) return 0;
    for (int i = 0; i < 2; ++i)
        if (treasureId[i] != 0 && TreasureKind(treasure[i]) == kind)
            return static_cast<uint16_t>(treasure[i].w[kCostWord] & 0x3FFF);
    return 0;
}

uint32_t Role::CanUseWeaponSkill(uint16_t kind) {
    int stamina = baseStats != nullptr ? baseStats->gauge[2] : 0;
    if (GetWeaponSkillCost(kind) > stamina) return 0;
    switch (kind) {
    case 28: return (effectBits & kEffectInvisible) ? 0 : 1;
    case 29: return (skillBits & 0x100) ? 0 : 1;
    case 32: return (effectBits & kEffectShield) ? 0 : 1;
    case 57: return (statusDword & 0x40) ? 1 : 0;
    default: return 1;
    }
}

uint32_t Role::AddWeaponExperience(CountList* list, uint16_t kind, uint16_t amount) {
    uint32_t found = 0;
    for (int i = 0; i < 2; ++i) {
        const uint16_t id = treasureId[i];
        if (id == 0 || TreasureKind(treasure[i]) != kind) continue;
        found = 1;
        // Two treasures of one item share one growth: it grows once.
        if (i == 1 && treasureId[0] == id && TreasureKind(treasure[0]) == kind) continue;
        const int max = treasure[i].w[kGrowthMaxWord];
        CountNode* n = FindCount(list, id);
        if (n != nullptr && n->complete) continue;
        if (max <= 0) {
            if (n == nullptr && (n = AppendCount(list, id)) != nullptr) {
                n->count = 0;
                n->percent = 100;
                n->complete = 1;
            }
            continue;
        }
        int value = (n != nullptr ? n->count : 0) + amount;
        SetCountPercent(list, id, max, value);
    }
    return found;
}

uint32_t Role::CanRaiseStackCount() {
    SelectRoleWeaponSkill(39);
    return stackCount < skillValue / 10 ? 1 : 0;
}
