// Set-up of the party side: members, summoned guards, the talisman spirit,
// and the equipment a member brings into the fight.
#include <algorithm>
#include <cstring>

#include "base/errorbox.h"
#include "battle/battle_services.h"
#include "battle/role/roles.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"
#include "world/spirit/spirit.h"

namespace {

constexpr int16_t kGaugeCap = 9999;

int16_t Cut(int16_t v) { return std::min(v, kGaugeCap); }

}  // namespace

void ManRole::SetupManRole(MemberStats* m, MemberBattleRecord* record, const BattleSlot* slotRecord) {
    ClearManRole();
    member = 1;
    slot = savedSlot = *slotRecord;
    side = slotRecord->side;
    statsCopy = *m;
    stats = &statsCopy;
    baseStats = m;
    battleRecord = record;
    blockChance = static_cast<uint8_t>(m->stat[7]);
    spriteSet = slotRecord->spriteSet;
    if (spriteSet == 0) MaintenanceErrorBox("%s", 0, "manrole", 267);
    // Attack and defence are rebuilt from strength and endurance: the stored
    // bonus words are never taken from a save.
    statsCopy.bonus[0] = m->stat[0];
    statsCopy.bonus[1] = m->stat[1];
    for (int i = 0; i < 3; ++i) {
        m->gaugeMax[i] = Cut(m->gaugeMax[i]);
        m->gauge[i] = Cut(m->gauge[i]);
    }
    out = ((m->status & kStatusDown) || m->gauge[0] <= 0) ? 1 : 0;
}

int ManRole::SetupGuardRole(const BattleSlot* slotRecord) {
    member = 0;
    slot = savedSlot = *slotRecord;
    side = slotRecord->side;
    FreeRecordText(&guardRecord);
    ReadObjRecord(&guardRecord, slotRecord->spriteSet);
    FreeRecordText(&guardRecord);
    objRecord = &guardRecord;
    spriteSet = slotRecord->spriteSet;
    if (spriteSet == 0) MaintenanceErrorBox("%s", 0, "manrole", 347);
    std::memset(&statsCopy, 0, sizeof statsCopy);
    statsCopy.bonus[0] = ObjAttack(guardRecord);
    statsCopy.bonus[1] = ObjDefence(guardRecord);
    statsCopy.stat[3] = ObjAgility(guardRecord);
    uint32_t life = std::min<uint32_t>(ObjLife(guardRecord), uint32_t(kGaugeCap));
    statsCopy.gauge[0] = statsCopy.gaugeMax[0] = static_cast<int16_t>(life);
    statsCopy.level = static_cast<uint8_t>(ObjLevel(guardRecord));
    stats = baseStats = &statsCopy;
    return 0;
}

void ManRole::SetupGhostRole(const BattleSlot* slotRecord, SpiritRecord* spiritRec) {
    member = 0;
    slot = savedSlot = *slotRecord;
    spiritRecord = spiritRec;
    side = 1;
    spriteSet = slotRecord->spriteSet;
    if (spriteSet == 0) MaintenanceErrorBox("%s", 0, "manrole", 482);
    std::memset(&statsCopy, 0, sizeof statsCopy);
    const int32_t maxSpirit = std::clamp<int32_t>(spiritRec->Field(60), 0, kGaugeCap);
    statsCopy.gaugeMax[1] = statsCopy.gauge[1] = static_cast<int16_t>(maxSpirit);
    statsCopy.gaugeMax[0] = statsCopy.gauge[0] = static_cast<int16_t>(std::max<int32_t>(maxSpirit, 1));
    statsCopy.bonus[0] = static_cast<uint16_t>(std::clamp<int32_t>(spiritRec->Field(61), 0, 0xFFFF));
    statsCopy.stat[2] = static_cast<uint16_t>(std::clamp<int32_t>(spiritRec->Field(63), 0, 0xFFFF));
    statsCopy.stat[3] = static_cast<uint16_t>(std::clamp<int32_t>(spiritRec->Field(64), 0, 0xFFFF));
    battleAffinity = static_cast<uint32_t>(std::clamp<int32_t>(spiritRec->Field(4), 0, 100));
    spirit = 1;
    if (spiritOrder == 0 || spiritOrder == 8) spiritOrder = 1;
    stats = baseStats = &statsCopy;
}

void ManRole::ApplyEquipment(ItemRecord* const slots[16]) {
    std::memset(static_cast<void*>(&treasure[0]), 0, sizeof treasure);
    treasureId[0] = treasureId[1] = 0;
    if (slots[0] != nullptr) {
        weapon = slots[0]->obj;
        weapon.description = nullptr;
        weaponId = slots[0]->id;
    }
    for (int t = 0; t < 2; ++t) {
        const ItemRecord* node = slots[7 + t];
        if (node == nullptr) continue;
        treasure[t] = node->obj;
        treasure[t].description = nullptr;
        if (node->id != kPlaceholderItem) treasureId[t] = node->id;
    }
}
