// The party side of a battle: members, summoned guards and the talisman
// spirit. A ManRole is a Role (battle/role/role.h) with the party's own data.
#pragma once
#include <cstddef>
#include <cstdint>

#include "battle/role/role.h"
#include "world/party/member_stats.h"

struct ItemRecord;
struct CountNode;
struct CaptureState;

constexpr int kCaptureBlocks = 5;
// Frames a plain attack may take, waits included (about ten seconds).
constexpr int kAttackFrameCap = 300;

class ManRole : public Role {
public:
    ObjRecord scratchObj;            // read for the spirit's and a guard's choices
    ActBlock captureActs[kCaptureBlocks];
    // The lists are read live through their heads (the member's magic list,
    // the party's bag gInventory): a role never keeps a copy of a list or a
    // pointer to a node. A cursor is the position of the entry found last.
    ItemRecord** magicList;
    ItemRecord** itemList;
    int32_t magicCursor;
    int32_t itemCursor;
    uint16_t selectedItemId;         // the item chosen for the prepared action (by id); 0 none
    uint8_t selectionReserved;       // 1 when the choice holds one reserved use of it
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
    uint8_t extraStrike;             // skill 21: the attack strikes once more
    uint32_t runPrepared;            // the action was prepared before its turn (stored command)
    uint32_t healAll;                // the action heals life, spirit and stamina
    int32_t guardSlot = -1;          // the party slot its summoned guard takes (chosen in the menus); -1 none
    // The plain attack's frame bookkeeping.
    uint16_t attackFrames;           // frames of this attack so far (capped)
    uint8_t attackStarted;           // act block [1] holds the attack act
    uint8_t attackHitPhase;          // the follow-up act plays on the target
    uint8_t attackAppeared;          // the run-up's appearing half was played
    uint32_t spiritSelfAction;
    uint32_t revertAct;
    uint32_t battleAffinity;         // the spirit's obedience in percent (battle side only)
    uint16_t revertFrames;           // frames the revert act has run (capped)
    // The special performers' working words (man_perform.cpp).
    uint16_t performFrames;          // frames of the running performer (capped)
    int32_t performCounter;          // the fusion's zoom counter, the summon's tint
    uint16_t performPhase;
    uint16_t performHits;            // hits the running performer released
    int32_t slideOffset;             // the dash's slide (code 400)
    AfterimageRing dashTrail;        // code 400: the second after-image trail, behind the dash act
    LineWalker flight;               // the line of the flying acts (13, 14)
    uint16_t shotCounter;            // the shots of code 402
    uint16_t actPhase;               // the phase word of codes 406 and 409
    int32_t effectCounter;           // code 406: the effect's tint counter
    int32_t fadeTint;                // code 406: the role's tint counter
    CaptureState* capture;           // the running capture effect (man_capture.cpp); null when none
    // The role's own storage: the stats copy that `stats` points at, and the
    // object record a summoned guard is given (`objRecord` points at it).
    MemberStats statsCopy;
    ObjRecord guardRecord;

    void ManRoleCtor();
    void ManRoleDtor();
    void FreeManRoleData();
    void ClearManRole();
    // ClearManRole, then no member, equipment, treasures or weapon skill: the
    // start of a guard's or the spirit's set-up.
    void ClearForNonMember();

    int StepManGauge(int boost);

    // ---- Set-up and equipment (man_setup.cpp) ----
    void SetupManRole(MemberStats* member, MemberBattleRecord* record, const BattleSlot* slotRecord);
    int SetupGuardRole(const BattleSlot* slotRecord);
    void AddRecordStats(uint16_t id);
    void SetupGhostRole(const BattleSlot* slotRecord, SpiritRecord* spiritRec);
    void ApplyEquipment(ItemRecord* const slots[16]);
    void ApplyEquipSpecial(const ObjRecord& record);
    void ApplyEquipRegen();
    void StartWeaponSkill(uint16_t skill);
    // The list heads the role reads (&gInventory, &gMagicLists[m]); the
    // cursor goes back to the head.
    void SetManItemList(ItemRecord** head) {
        itemList = head;
        itemCursor = 0;
    }
    void SetManMagicList(ItemRecord** head) {
        magicList = head;
        magicCursor = 0;
    }
    uint16_t GetGhostOrder() const { return spiritOrder; }

    // ---- Treasure growth (man_treasure.cpp) ----
    uint32_t AddTreasureGrowth(CountList* list, uint16_t amount);
    uint32_t GrowElementTreasure(CountList* list, const ActionRecord* a);
    uint32_t GrowTreasureLevel(CountList* list, uint16_t type, uint16_t amount);
    uint16_t GetTreasureLevel(CountList* list) const;
    uint16_t MarkTreasureComplete(CountList* list);

    // ---- Command lists (man_lists.cpp) ----
    // Names are copied with their size (at most size - 1 bytes, never half a
    // character); a null name is not written.
    void RewindMagicCursor() { magicCursor = 0; }
    void RewindItemCursor() { itemCursor = 0; }
    // Cost out: the spirit cost, or the stamina cost - 32768 (as a u16: the
    // stamina cost with bit 15 set), 1000 for an item cost, 1 for an
    // all-target entry; 65535 and result 65535 when there is no n-th entry.
    // Result: the action's element.
    uint16_t GetNthMagic(uint32_t category, int kind, int n, char* name, size_t nameSize, uint16_t* cost);
    void CountUsableMagic(uint32_t category, int kind, int* count);
    int GetNthItem(uint32_t category, int n, char* name, size_t nameSize, uint16_t* flags, int* count);
    void CountItemsOfKind(uint32_t category, int* count);
    int GetNthThrowItem(int n, char* name, size_t nameSize, int* count);
    int GetNthRefineItem(int mode, int n, char* name, size_t nameSize, int* count);
    void CountRefineItems(int* count);

    // ---- Choices and costs (man_cost.cpp) ----
    int CheckActionCost(uint32_t category, int n);
    uint16_t SelectMagic(uint32_t category, int kind, int n, uint16_t* id);
    // *act: the action's follow-up act; 65535 when there is no such entry
    // (a refusal for the cost leaves it below 65535).
    int SelectItem(uint32_t category, int n, uint16_t* act, int* targetFlag);
    void SetActionFromObject(uint16_t id, uint16_t* value);
    void PayActionCost();
    void PayStaminaCost();
    uint16_t ConsumeSelectedItem(uint32_t category, int n);
    void ClearManAction();
    uint16_t GetSelectedItemId() const { return selectedItemId; }
    int UseStoredCommand();

    // ---- The turn's command and the plain attack (man_attack.cpp) ----
    int PrepareManCommand();
    void CheckStrongAttack();
    // One frame of the plain attack on the target; act block [6 + slot]
    // (slot 0..7) shows its follow-up on the target. 1 when finished: the
    // act played out, a failed start (one box), no target, or the frame cap.
    int ManRoleAttack(Role* targetRole, int slotIndex);
    void EndAttackActs(int slotIndex);
    int FinishAttack(int slotIndex);
    // The hit of a party-side action (battle/manrole/man_special.cpp): the
    // weapon's use, the block test (tryBlock 1, once an action), the
    // resolution, the shown number and the hurt mark.
    void ApplyHit(Role* targetRole, int tryBlock);
    // The resolution of the prepared action on one target
    // (battle/manrole/man_resolve.cpp): the signed amount (positive damage,
    // negative healing, -1 no number, 0 nothing) and the spirit and stamina
    // amounts.
    int16_t ResolveManRoleAction(Role* targetRole, uint16_t* spiritOut, uint16_t* staminaOut);

    // ---- The chance rolls of the special actions (man_special.cpp): 1 success ----
    uint32_t RollLevelChance(uint16_t level);
    uint32_t RollCaptureChance(Role* targetRole);
    // The stolen object's id (its carried word cleared), 0 on a failed
    // roll, kStealNothing when the target carries nothing.
    uint32_t TryStealItem(Role* targetRole);
    uint32_t RollControlChance(Role* targetRole);
    uint32_t RollSkillChance(uint16_t v);
    uint32_t CanRetreat() const { return (status & kStatusNoRetreat) ? 0 : 1; }
    uint32_t IsActionBit5() const { return (actionFlags & 0x20) ? 1 : 0; }
    uint32_t IsActionBit4() const { return (actionFlags & 0x10) ? 1 : 0; }
    uint32_t ApplySkillDamageScale(uint16_t* value);

    // ---- The performers of the special actions (man_perform*.cpp,
    // man_capture.cpp): one frame a
    // call, 1 when finished ----
    int RunSkillAct(Role* targetRole, int32_t effect);
    int RunStrikeAllAct(int32_t effect);
    int RunThrowAct(Role* targetRole);
    int RunStealAct(Role* targetRole);
    int RunSkill24Act(Role* targetRole);
    int RunFusionAct(Role* member, uint16_t spriteSetOfAct);
    int RunRetreatAct(int mode);
    int RunSummonAct(int32_t x, int32_t y);
    int RunCode4Act(Role* targetRole);
    int RunCode500Act(Role* targetRole);
    int RunQueuedPoseAct();
    int RunCommand13Act(Role* targetRole);
    int RunCommand14Act(Role* targetRole);
    int RunSkill33Act(Role* targetRole, int32_t effect);
    int RunCode400Act(Role* targetRole, int mode);
    int RunCode402Act(Role* targetRole);
    int RunCode405Act(Role* targetRole);
    int RunCode406Act(Role* targetRole);
    // The capture (commands 6, 80): the target dissolves toward the role
    // while the capture sprites fly in. 1 when the effect was set up.
    uint32_t BeginCaptureEffect(Role* targetRole);
    int StepCaptureEffect();
    int PlaceCaptureSprite(uint16_t set, int32_t act, int slotIndex, int32_t x, int32_t y, int32_t speed);
    // The capture sprites in flight, each at its point (the wait draw of a
    // role capturing with command 6 or 80).
    void DrawCaptureSprites() const;
    void FreeCaptureEffect();
    int RunCode409Act(Role* targetRole);

    // The lists as they are now, and their n-th entries (from 1) of a
    // category; the cursor is left on the entry found.
    ItemRecord* MagicHead() const;
    ItemRecord** Bag() const;
    ItemRecord* FindNthMagic(uint32_t category, int kind, int n);
    ItemRecord* FindNthItem(uint32_t category, int n);

    // Selection of one bag entry by id: the last choice's reserved use goes
    // back first, and a reserved use is held when `reserve` is true.
    void SelectBagEntry(uint16_t id, bool reserve);
    void DropSelection();
    void TakeRegenOf(const ObjRecord& object);

    // ---- The talisman spirit (battle/manrole/ghost_*.cpp) ----
    int SpiritAffinity() const { return static_cast<int>(battleAffinity); }
    void DecideGhostAction();
    // Orders 1..8; another value leaves the order as it is.
    void SetGhostOrder(uint16_t order);
    uint32_t IsGhostOrder5() const { return spiritOrder == 5 ? 1 : 0; }
    uint32_t IsGhostOrder6() const { return spiritOrder == 6 ? 1 : 0; }
    uint32_t RollHalf();
    uint32_t PrepareGhostObjectUse();
    uint32_t PrepareGhostAction(int kind);
    uint32_t GhostRestoreSpirit();
    uint32_t TakeGhostEvent4();
    uint32_t TakeGhostEvent8();
    uint32_t TakeGhostEvent16();
    uint32_t TakeGhostEvent32();
    uint32_t RollGhostObedience();
    void SetGhostSelfAction(uint32_t v) { spiritSelfAction = v; }
    uint32_t TargetHasActionEffect(const Role* role) const;
    // *act: the object's act word; *flag 1 for an object that helps allies.
    uint32_t TakeGhostAction(uint16_t* act, uint32_t* flag);
    void SetGhostAttack();
    // Spends the spirit's own spirit for a heal of the life `have` of `max`
    // up to `percent` of it; 1 when the heal is paid (the turn is spent).
    uint32_t SpendSpiritForHeal(int32_t have, int32_t max, int32_t percent);
    // The spirit's own objects 0..3 (the fourth is its healing object); 0
    // for an id outside the object ids or without a spirit record.
    uint16_t GhostObject(int index) const;

    // ---- Party-side tests and small actions (battle/manrole/man_support.cpp) ----
    uint32_t IsLifeBelow(int kind) const;
    uint32_t IsLifeAtMostPart(int n) const;
    uint32_t IsSpiritLow() const;
    uint32_t IsStaminaLow() const;
    uint32_t RollLevelGapChance(uint16_t level);
    void SetRoleElement(uint16_t element);
    void SetLureMark(uint16_t v) { lureMark = v; }
    uint16_t GetLureMark() const { return lureMark; }
    uint32_t StartRevertAct();
    // One frame of the revert act; 1 on the frame it ends (also at the cap).
    uint32_t RunRevertAct();
    void SetFusedFlag() { state |= kStateFused; }
    uint32_t IsFused() const { return (state & kStateFused) ? 1 : 0; }
    uint32_t CheckGuardLevel(uint16_t id, uint16_t skill);
    // An enemy takes one unit of a stealable bag entry (target kind 11..14)
    // from the party; its id, or 0 when there is nothing to take.
    uint16_t StealPartyItem();
};

// The plain-attack action of the spirit by its element (0..4: metal, wood,
// water, fire, earth); the spirit record has no field for it.
constexpr uint16_t kSpiritWeaponAction[5] = {171, 172, 173, 174, 175};
