// The party side of a battle: members, summoned guards and the talisman
// spirit. A ManRole is a Role (battle/role/role.h) with the party's own data.
#pragma once
#include <cstdint>

#include "battle/role/role.h"
#include "world/party/member_stats.h"

struct ItemRecord;

constexpr int kCaptureBlocks = 5;

class ManRole : public Role {
public:
    ObjRecord scratchObj;            // read for the spirit's and a guard's choices
    ActBlock captureActs[kCaptureBlocks];
    ItemRecord* magicCursor;
    ItemRecord* magicHead;
    ItemRecord* itemCursor;
    ItemRecord* itemHead;
    uint16_t selectedItemId;         // the item reserved for the prepared action (by id)
    uint32_t captureFlight[kCaptureBlocks];
    uint32_t actToggle;
    uint16_t pendingCost[2];         // spirit, stamina
    uint16_t itemAct;
    uint16_t magicId;
    uint16_t storedCommand;
    uint16_t weaponId;
    uint16_t spareWord;
    uint16_t regenPercent3[3];       // life, spirit, stamina regained each turn (percent)
    uint16_t actCounter;
    uint16_t spiritOrder;            // 1..8
    uint16_t spiritChoice;
    uint16_t captureClass;
    uint16_t captureChance;
    uint16_t captureCounter;
    uint16_t lureMark;
    uint8_t strongAttack;
    uint32_t spiritSelfAction;
    uint32_t revertAct;
    uint32_t battleAffinity;         // the spirit's obedience in percent (battle side only)
    // The role's own storage: the stats copy that `stats` points at, and the
    // object record a summoned guard is given (`objRecord` points at it).
    MemberStats statsCopy;
    ObjRecord guardRecord;

    void ManRoleCtor();
    void ManRoleDtor();
    void FreeManRoleData();
    void ClearManRole();

    int StepManGauge(int boost);

    // ---- Set-up and equipment (man_setup.cpp) ----
    void SetupManRole(MemberStats* member, MemberBattleRecord* record, const BattleSlot* slotRecord);
    int SetupGuardRole(const BattleSlot* slotRecord);
    void SetupGhostRole(const BattleSlot* slotRecord, SpiritRecord* spiritRec);
    void ApplyEquipment(ItemRecord* const slots[16]);
    void SetManItemList(ItemRecord* head) { itemHead = itemCursor = head; }
    void SetManMagicList(ItemRecord* head) { magicHead = magicCursor = head; }
    uint16_t GetGhostOrder() const { return spiritOrder; }

    // ---- The talisman spirit (battle/manrole/ghost_*.cpp) ----
    int SpiritAffinity() const { return static_cast<int>(battleAffinity); }
    void DecideGhostAction();
};
