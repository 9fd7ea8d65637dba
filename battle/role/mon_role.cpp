// Enemy roles: set-up from the monster table.
#include <cstring>

#include "battle/role/mon_record.h"
#include "battle/role/roles.h"
#include "world/org/obj_tables.h"

void MonRole::SetupMonRole(const BattleSlot* slotRecord, uint16_t id) {
    slot = savedSlot = *slotRecord;
    extraLife = 0;
    extraLifeMax = 0;
    FreeRecordText(&monRecord);
    objRecord = &monRecord;
    ReadObjRecord(&monRecord, id);
    FreeRecordText(&monRecord);
    SetRoleName(monRecord.name);
    side = slotRecord->side;
    monLifeMax = MonLifeOf(monRecord);
    blockChance = 0;
    spriteSet = monRecord.w[20] != 0 ? monRecord.w[20] : slotRecord->spriteSet;
    actState = 0;
    std::memset(&action, 0, sizeof action);
    ReadActionRecord(&action, ObjWordAt(monRecord, mon::kAttackAction));
}
