#include "menu/equip/equip_page.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/errorbox.h"
#include "base/settings.h"
#include "media/sound_bank.h"
#include "menu/equip/equip_texts.h"
#include "menu/frame/menu_frame.h"
#include "menu/frame/status_panel.h"
#include "menu/menu_services.h"
#include "world/org/count_list.h"
#include "world/party/affinity.h"
#include "world/walk/key_state.h"

EquipPage gEquip;

namespace {

constexpr int kSfxMember = 263;
constexpr uint32_t kShopReturn = kMenuFromShop | kMenuShop;
constexpr int kFlashFrames = 4;


bool IsPlaceholder(const ItemRecord* item) { return !item || item->id == kPlaceholderItem; }

ItemRecord*& SlotRecord(int member, int slot) { return gMemberEquip[member][slot]; }

// The rows the panel shows a member on (PartyMember maps rows 0..2).
int MemberRows() { return std::min(PartyCount(), kMenuRowsShown); }

bool FitsMember(const ItemRecord& item, int member) {
    return member >= 0 && member < kPartyMembers && (item.obj.w[11] & kEquipFitBit[member]) != 0;
}

// The three maxima an item adds, as applying it to a zeroed record gives.
void MaximaOf(const ItemRecord* item, int out[3]) {
    out[0] = out[1] = out[2] = 0;
    if (IsPlaceholder(item)) return;
    MemberStats zero{};
    ApplyItemEffect(&zero, item->obj);
    for (int g = 0; g < 3; ++g) out[g] = zero.gaugeMax[g];
}

// One of the item out of its own bag node: the new count first, then the
// count; an emptied node leaves the bag.
void TakeOneFromBag(ItemRecord* node) {
    if (node->newCount > 0) {
        --node->newCount;
    } else if (node->count > 0) {
        --node->count;
    }
    if (node->count > 0 || node->newCount > 0) return;
    for (ItemRecord** link = &gInventory; *link; link = &(*link)->next) {
        if (*link == node) {
            *link = node->next;
            FreeItemNode(node);
            return;
        }
    }
}

ItemRecord* BagNodeOf(uint16_t id) {
    for (ItemRecord* n = gInventory; n; n = n->next)
        if (n->id == id) return n;
    return nullptr;
}

// The bag can take one more of the id (it never holds more than 99).
bool BagHasRoomFor(uint16_t id) {
    const ItemRecord* n = BagNodeOf(id);
    return !n || n->count + n->newCount < kItemCountMax;
}

// The worn record back into the bag: one more of a node the bag has, or
// the record itself (its uses, marks and text as worn) as a node at the head.
void ReturnToBag(ItemRecord* slotNode) {
    if (ItemRecord* n = BagNodeOf(slotNode->id)) {
        ++n->count;
        FreeRecordText(&slotNode->obj);
        return;
    }
    auto* node = static_cast<ItemRecord*>(std::calloc(1, sizeof(ItemRecord)));
    if (!node) {
        FreeRecordText(&slotNode->obj);
        return;
    }
    *node = *slotNode;  // takes over the text
    node->count = 1;
    node->newCount = 0;
    node->next = gInventory;
    gInventory = node;
}

void WearCopy(ItemRecord* slotNode, const ItemRecord& item) {
    *slotNode = item;
    CopyObjRecord(&slotNode->obj, item.obj);
    slotNode->next = nullptr;
    slotNode->count = 1;
    slotNode->newCount = 0;
    slotNode->spare = 0;
    slotNode->obj.typeBits &= ~uint32_t(kObjNewMark);
}

void WearPlaceholder(ItemRecord* slotNode) {
    ItemRecord* p = NewPlaceholderItem();
    if (!p) return;
    *slotNode = *p;
    std::free(p);
}

void ClampWindow() {
    ListState& s = gEquip.list;
    s.total = int(gEquip.candidates.size());
    if (s.top > std::max(0, s.total - 1)) s.top = std::max(0, s.total - 1);
    s.shown = std::min(kEquipWindow, s.total - s.top);
    if (s.shown < 1) s.shown = 0;
    if (s.cursor >= s.shown) s.cursor = std::max(0, s.shown - 1);
}

void SetExtraLine(const ItemRecord* item) {
    gEquip.extraKind = kExtraNone;
    gEquip.extra[0] = gEquip.extra[1] = 0;
    const uint16_t id = IsPlaceholder(item) ? 0 : item->id;
    if (gEquip.slot == kWeaponSlot) {
        gEquip.extraKind = kExtraWeapon;
        if (id) GetScaledRecordValue(&gFameList1, id, &gEquip.extra[0], &gEquip.extra[1]);
    } else if (gEquip.slot == 7 || gEquip.slot == 8) {
        gEquip.extraKind = kExtraTalisman;
        if (id) GetCountAndRecordValue(&gFameList3, id, &gEquip.extra[1], &gEquip.extra[0]);
    } else if (gEquip.slot == 9 || gEquip.slot == 10) {
        gEquip.extraKind = kExtraGuard;
        if (id) gEquip.extra[0] = GetCount(&gFameList2, id) * 5;
    }
}

// The item of a description or comparison: the slot's own in state 0, the
// candidate under the cursor otherwise.
const ItemRecord* ShownItem() {
    const int32_t member = EquipMember();
    if (gEquip.state == kEquipChoosingItem) return EquipCursorItem();
    return member >= 0 ? SlotRecord(member, gEquip.slot) : nullptr;
}

void AfterSlotChange() {
    LoadEquipCandidates();
    RefreshEquipComparison();
    MenuSfx(kMenuSfxMove);
}

void MoveSlot(int slot) {
    ReturnEquipCandidates();
    gEquip.slot = (slot + kEquipPageSlots) % kEquipPageSlots;
    AfterSlotChange();
}

void AfterCursorMove() {
    RefreshEquipComparison();
    MenuSfx(kMenuSfxMove);
    gEquip.arrowFlash = kFlashFrames;
}

void ShowDescription() {
    const ItemRecord* item = ShownItem();
    if (IsPlaceholder(item)) return;
    gEquip.described = item;
    gEquip.stateBefore = gEquip.state;
    gEquip.state = kEquipDescription;
    gEquip.savedPreFrame = gMenuOnPreFrame;
    gEquip.preFrameSaved = true;
    gMenuOnPreFrame = nullptr;
}

void HideDescription() {
    gEquip.state = gEquip.stateBefore;
    gEquip.described = nullptr;
    if (gEquip.preFrameSaved) gMenuOnPreFrame = gEquip.savedPreFrame;
    gEquip.preFrameSaved = false;
}

bool Inside(int x, int y, int left, int top, int right, int bottom) {
    return x >= left && x <= right && y >= top && y <= bottom;
}

void ClickSlot(int slot) {
    if (gEquip.state == kEquipChoosingItem) gEquip.state = kEquipChoosingSlot;
    if (slot != gEquip.slot) MoveSlot(slot);
}

void ClickMember(int row) {
    if (gEquip.state != kEquipChoosingSlot || row >= MemberRows() || row == gMenu.member) return;
    ReturnEquipCandidates();
    gMenu.member = row;
    LoadEquipCandidates();
    RefreshEquipComparison();
    MenuSfx(kSfxMember);
}

void ClickCandidate(int row) {
    if (gEquip.state == kEquipChoosingSlot) gEquip.state = kEquipChoosingItem;
    if (row >= gEquip.list.shown) return;
    gEquip.list.cursor = row;
    RefreshEquipComparison();
    EquipItem();
}

} // namespace

bool FitsEquipSlot(uint32_t typeBits, int slot) {
    if (slot < 0 || slot >= kEquipPageSlots) return false;
    const uint32_t mask = kEquipSlotMask[slot] & ~uint32_t(kObjNewMark);
    return (typeBits & mask) == mask;
}

int32_t EquipMember() {
    const int32_t row = gMenu.member;
    if (row < 0 || row >= MemberRows()) return -1;
    return PartyMember(row);
}

ItemRecord* EquipCursorItem() {
    const size_t at = size_t(gEquip.list.top + gEquip.list.cursor);
    if (gEquip.list.top < 0 || gEquip.list.cursor < 0 || at >= gEquip.candidates.size()) return nullptr;
    return gEquip.candidates[at];
}

void LoadEquipCandidates() {
    ReturnEquipCandidates();
    const int32_t member = EquipMember();
    if (member >= 0) {
        for (ItemRecord* n = gInventory; n; n = n->next) {
            if (n->id != kPlaceholderItem && FitsEquipSlot(n->obj.typeBits, gEquip.slot) && FitsMember(*n, member))
                gEquip.candidates.push_back(n);
        }
        std::stable_sort(gEquip.candidates.begin(), gEquip.candidates.end(),
                         [](const ItemRecord* a, const ItemRecord* b) { return a->id < b->id; });
        const bool slotEmpty = IsPlaceholder(SlotRecord(member, gEquip.slot));
        if (!slotEmpty || gEquip.candidates.empty()) {
            gEquip.placeholder = NewPlaceholderItem();
            if (gEquip.placeholder) gEquip.candidates.push_back(gEquip.placeholder);
        }
    }
    gEquip.list = ListState{int(gEquip.candidates.size()), 0, 0, 0};
    gEquip.list.shown = std::min(kEquipWindow, gEquip.list.total);
    ItemName(member >= 0 ? SlotRecord(member, gEquip.slot) : nullptr);
}

void ReturnEquipCandidates() {
    gEquip.candidates.clear();
    FreeItemNode(gEquip.placeholder);
    gEquip.placeholder = nullptr;
    gEquip.list = ListState{};
}

MemberStats EquipTotals(int member, int slot, const ItemRecord* replacement) {
    MemberStats total{};
    if (member < 0 || member >= kPartyMembers) return total;
    total = gMemberStats[member];
    // A downed member's numbers count what it wears as well.
    const uint16_t status = total.status;
    total.status &= uint16_t(~kStatusDown);
    for (int s = 0; s < kEquipSlots; ++s) {
        const ItemRecord* item = s == slot ? replacement : SlotRecord(member, s);
        if (!IsPlaceholder(item)) ApplyItemEffect(&total, item->obj);
    }
    total.status = status;
    return total;
}

void SwapEquipCurrentValues(MemberStats* m, const ItemRecord* newItem, const ItemRecord* oldItem) {
    int lose[3], gain[3];
    MaximaOf(oldItem, lose);
    MaximaOf(newItem, gain);
    for (int g = 0; g < 3; ++g) {
        const int maximum = std::clamp(m->gaugeMax[g] - lose[g] + gain[g], 1, 32767);
        m->gaugeMax[g] = int16_t(maximum);
        if (m->gauge[g] > maximum) m->gauge[g] = int16_t(maximum);
    }
}

void RefreshEquipComparison() {
    const int32_t member = EquipMember();
    for (int m = 0; m < kPartyMembers; ++m) gEquip.totals[m] = EquipTotals(m, -1, nullptr);
    const ItemRecord* shown = ShownItem();
    gEquip.compared = member >= 0 ? EquipTotals(member, gEquip.slot, shown) : MemberStats{};
    SetExtraLine(shown);
    gPanelPreview.equip = gEquip.state == kEquipChoosingItem && member >= 0;
    for (int i = 0; i < 4; ++i)
        gPanelPreview.equipDelta[i] =
            gPanelPreview.equip ? int32_t(gEquip.compared.stat[i]) - int32_t(gEquip.totals[member].stat[i]) : 0;
    ComputeMemberAffinity();
}

void EquipEnter() {
    ReturnEquipCandidates();
    gEquip = EquipPage{};
    gEquip.open = true;
    if (gMenu.member < 0 || gMenu.member >= kMenuRowsShown) gMenu.member = 0;
    LoadEquipCandidates();
    RefreshEquipComparison();
}

void EquipLeave() {
    if (gEquip.state == kEquipDescription) HideDescription();
    ReturnEquipCandidates();
    for (auto& member : gMemberEquip) {
        for (ItemRecord* slot : member) {
            if (!slot) continue;
            slot->count = 1;
            slot->newCount = 0;
        }
    }
    gPanelPreview.equip = false;
    gEquip.state = kEquipChoosingSlot;
    gEquip.open = false;
}

void EquipItem() {
    switch (gEquip.state) {
    case kEquipChoosingSlot:
        if (EquipMember() >= 0) gEquip.state = kEquipChoosingItem;
        RefreshEquipComparison();
        return;
    case kEquipDescription: HideDescription(); return;
    case kEquipRefused: gEquip.state = kEquipChoosingItem; return;
    default: break;
    }
    const int32_t member = EquipMember();
    ItemRecord* chosen = EquipCursorItem();
    if (member < 0 || !chosen) return;
    ItemRecord* slotNode = SlotRecord(member, gEquip.slot);
    if (gEquip.slot == kWeaponSlot && IsPlaceholder(chosen)) {
        gEquip.state = kEquipRefused;
        MenuSfx(kMenuSfxRefused);
        return;
    }
    const bool oldWorn = !IsPlaceholder(slotNode);
    if (!slotNode || (!oldWorn && IsPlaceholder(chosen))) {
        gEquip.state = kEquipChoosingSlot;
        RefreshEquipComparison();
        return;
    }
    // The worn item must find room in the bag before anything changes.
    if (oldWorn && !BagHasRoomFor(slotNode->id)) {
        MenuSfx(kMenuSfxRefused);
        return;
    }
    SwapEquipCurrentValues(&gMemberStats[member], chosen, slotNode);
    ItemRecord worn = *slotNode;  // the old record, its text still owned by the slot
    if (oldWorn) {
        if (!FitsEquipSlot(worn.obj.typeBits, gEquip.slot))
            ErrorBox(kTextReturnCaption, kTextWrongKind, int(worn.id));
        ReturnToBag(slotNode);  // the slot's text goes with it
    } else {
        FreeRecordText(&slotNode->obj);
    }
    if (IsPlaceholder(chosen)) {
        WearPlaceholder(slotNode);
    } else {
        WearCopy(slotNode, *chosen);
        TakeOneFromBag(chosen);
    }
    const ListState before = gEquip.list;
    LoadEquipCandidates();
    gEquip.list.top = before.top;
    gEquip.list.cursor = before.cursor;
    ClampWindow();
    ItemName(slotNode);
    gEquip.state = kEquipChoosingSlot;
    RefreshEquipComparison();
    MenuSfx(kMenuSfxMove);
}

void EquipCancel() {
    switch (gEquip.state) {
    case kEquipChoosingItem:
        gEquip.state = kEquipChoosingSlot;
        RefreshEquipComparison();
        return;
    case kEquipDescription: HideDescription(); return;
    case kEquipRefused: gEquip.state = kEquipChoosingItem; return;
    default: break;
    }
    const bool fromShop = (gMenuRequest & kMenuFromShop) != 0;
    --gMenu.depth;
    if (gMenu.depth < kDepthRoot) gMenuRequest = 0;
    // Opened for the shop: the shop takes over again and resumes.
    if (fromShop) gMenuRequest = kShopReturn;
    SetMenuHandlers(gMenu.depth);
    EquipLeave();
}

void EquipNextMember() {
    if (gEquip.state != kEquipChoosingSlot) return;
    const int rows = MemberRows();
    if (rows < 1) return;
    ReturnEquipCandidates();
    const int32_t row = gMenu.member >= 0 && gMenu.member < rows ? gMenu.member : 0;
    gMenu.member = (row + 1) % rows;
    LoadEquipCandidates();
    RefreshEquipComparison();
    MenuSfx(kSfxMember);
}

void EquipDown() {
    if (gEquip.state == kEquipChoosingSlot) return MoveSlot(gEquip.slot + 1);
    if (gEquip.state != kEquipChoosingItem || gEquip.list.total == 0) return;
    ListCursorDown(&gEquip.list);
    AfterCursorMove();
}

void EquipUp() {
    if (gEquip.state == kEquipChoosingSlot) return MoveSlot(gEquip.slot - 1);
    if (gEquip.state != kEquipChoosingItem || gEquip.list.total == 0) return;
    ListCursorUp(&gEquip.list);
    AfterCursorMove();
}

void EquipPageDown() {
    if (gEquip.state == kEquipChoosingSlot) return MoveSlot(kEquipPageSlots - 1);
    if (gEquip.state != kEquipChoosingItem || gEquip.list.total == 0) return;
    ListPageDown(&gEquip.list, kEquipWindow);
    AfterCursorMove();
}

void EquipPageUp() {
    if (gEquip.state == kEquipChoosingSlot) return MoveSlot(0);
    if (gEquip.state != kEquipChoosingItem || gEquip.list.total == 0) return;
    ListPageUp(&gEquip.list, kEquipWindow);
    AfterCursorMove();
}

void EquipLeft() { EquipUp(); }
void EquipRight() { EquipDown(); }

void EquipFrame() {
    if (gEquip.arrowFlash > 0) --gEquip.arrowFlash;
    const uint32_t buttons = gMenu.mouseButtons;
    const int x = gKeyInput.mouseX, y = gKeyInput.mouseY;
    if (gEquip.state == kEquipRefused) {
        if (buttons) EquipItem();
        return;
    }
    if (gEquip.state == kEquipDescription) {
        if (buttons & kMouseRightClick) EquipCancel();
        return;
    }
    if (gKeyState[kKeyDescription].framesHeld == 1) {
        ShowDescription();
        return;
    }
    if (buttons & kMouseRightClick) {
        EquipCancel();
        return;
    }
    if (!(buttons & kMouseLeftClick)) return;
    if (Inside(x, y, 535, 465, 607, 479)) {
        gKeyState[kKeyDescription].framesHeld = 1;
        ShowDescription();
    } else if (Inside(x, y, 201, 105, 433, 411)) {
        ClickSlot(std::min((y - 104) / 28, kEquipPageSlots - 1));
    } else if (Inside(x, y, 484, 118, 636, 118 + 21 * kEquipWindow - 1)) {
        ClickCandidate((y - 118) / 21);
    } else if (y >= 17 && y <= 47) {
        for (int row = 0; row < kMenuRowsShown; ++row)
            if (x >= 41 + 50 * row && x <= 71 + 50 * row) ClickMember(row);
    }
}

void RegisterEquipPage() {
    MenuPage page{};
    page.firstId = kEquipFirstPageId;
    page.lastId = kEquipLastPageId;
    page.enter = EquipEnter;
    page.leave = EquipLeave;
    page.draw = DrawEquipPage;
    page.slots.frame = EquipFrame;
    page.slots.cancel = EquipCancel;
    page.slots.key2 = EquipNextMember;
    page.slots.down = EquipDown;
    page.slots.up = EquipUp;
    page.slots.pageDown = EquipPageDown;
    page.slots.pageUp = EquipPageUp;
    page.slots.left = EquipLeft;
    page.slots.right = EquipRight;
    page.slots.confirm = EquipItem;
    page.slots.draw = DrawEquipPage;
    RegisterMenuPage(kPageEquip, page);
}

void ResetEquipPage() {
    ReturnEquipCandidates();
    gEquip = EquipPage{};
    gPanelPreview = PanelPreview{};
    ResetMemberAffinity();
}
