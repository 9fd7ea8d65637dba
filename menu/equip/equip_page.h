// The equipment page, root page 12 (page ids 36..41): the player picks a
// party member, one of the member's eleven equipment slots and an item of
// the bag for it, and sees how the member's numbers change. The shop opens
// it straight after a purchase; its cancel then returns to the shop.
//
// The candidates are a view of the bag: pointers to the bag's own nodes in
// the order of their ids, and the page's own placeholder row ("無", which
// takes the slot's item off). The bag is never reordered and its records
// never rebuilt; equipping takes one of the chosen item out of its node and
// puts the old item back into the bag as it was worn. The member is the
// selected row of the status panel (PartyMember(row)), never the row itself.
#pragma once
#include <cstdint>
#include <vector>

#include "menu/frame/menu_lists.h"
#include "menu/frame/menu_pages.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"

enum EquipStateId : int32_t {
    kEquipChoosingSlot = 0,
    kEquipChoosingItem = 1,
    kEquipDescription = 5,
    kEquipRefused = 15,  // "無法空手戰鬥": the weapon cannot be taken off
};

constexpr int kEquipPageSlots = 11;
constexpr int kEquipWindow = 10;
constexpr int kEquipFirstPageId = 36, kEquipLastPageId = 41;
// The kind bits an item must hold in full for each slot (the new mark
// 0x8000 aside).
constexpr uint32_t kEquipSlotMask[kEquipPageSlots] = {0x100, 0x10000200, 0x40000200, 0x20000200,
                                                      0x80000200, 0x400, 0x400, 0x40, 0x40, 0x800, 0x800};
// Bits of an item's use word (ObjRecord word 58) that let member 0..3 wear it.
constexpr uint16_t kEquipFitBit[kPartyMembers] = {0x8000, 0x4000, 0x2000, 0x1000};
constexpr int kWeaponSlot = 0;
constexpr int kKeyDescription = 19;  // key-map slot of the description key (F1)

// The extra line of a slot: weapon use, talisman growth, guard knowledge.
enum EquipExtraKind : int32_t { kExtraNone = 0, kExtraWeapon, kExtraTalisman, kExtraGuard };

struct EquipPage {
    int32_t state;
    int32_t stateBefore;  // the state under the description
    int32_t slot;         // 0..10
    std::vector<ItemRecord*> candidates;  // bag nodes by id, and maybe the placeholder
    ItemRecord* placeholder;              // the page's own "無" row
    ListState list;
    const ItemRecord* described;          // the item of the description
    MenuHandler savedPreFrame;
    bool preFrameSaved;
    // The comparison: each member with its equipment, and the selected
    // member with the slot's item replaced by the one under the cursor.
    MemberStats totals[kPartyMembers];
    MemberStats compared;
    int32_t extraKind;
    int32_t extra[2];
    bool open;
    int32_t arrowFlash;
};
extern EquipPage gEquip;

// A slot's kind mask fits an item's kind bits.
bool FitsEquipSlot(uint32_t typeBits, int slot);
// The member (0..3) of the selected row, or -1 when the party has none there.
int32_t EquipMember();

void RegisterEquipPage();

void EquipEnter();
void EquipLeave();
void EquipFrame();
void EquipCancel();
void EquipNextMember();
void EquipDown();
void EquipUp();
void EquipPageDown();
void EquipPageUp();
void EquipLeft();
void EquipRight();
void EquipItem();
void DrawEquipPage();

// The candidates of the current slot and member (a view of gInventory).
void LoadEquipCandidates();
void ReturnEquipCandidates();
void RefreshEquipComparison();
// The member's three gauge maxima lose the old item's and gain the new
// item's; current values are held within the new maxima, and a maximum never
// falls below 1.
void SwapEquipCurrentValues(MemberStats* member, const ItemRecord* newItem, const ItemRecord* oldItem);
// A member's stats with its 16 worn items applied (a downed member counts
// its equipment as well); `slot` (or -1) worn as `replacement` instead.
MemberStats EquipTotals(int member, int slot, const ItemRecord* replacement);

// The candidate under the cursor, or null.
ItemRecord* EquipCursorItem();

void ResetEquipPage();
