// The item menu's model: the shown list, the keys, the confirm and the
// cancel by depth. The special items are in item_specials.cpp, the drawing
// in item_menu_draw.cpp.
#include "menu/items/item_menu.h"

#include <algorithm>
#include <cstdlib>

#include "base/settings.h"
#include "media/sound_bank.h"
#include "menu/frame/menu_frame.h"
#include "menu/frame/menu_pages.h"
#include "menu/items/item_menu_internal.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"

ItemMenu gItems;

namespace {

// Kind masks by filter; filters 1, 2, 4 and 5 exclude what filters 3 and 6 own.
constexpr uint32_t kFilterMask[kItemFilters] = {0, 0x1001, 0x1C, 0x8000040, 0x700, 0x800, 0x20};
constexpr uint32_t kOwnedByOthers = 0x8000060;
constexpr int kFlagPartyFirst = 30;
constexpr int kDescriptionKey = 19;
constexpr uint32_t kArrowFlashFrames = 4;

ItemRecord* CopyNode(const ItemRecord& n) {
    auto* c = static_cast<ItemRecord*>(std::calloc(1, sizeof(ItemRecord)));
    if (!c) return nullptr;
    *c = n;
    c->next = nullptr;
    CopyObjRecord(&c->obj, n.obj);
    return c;
}

// Keeps the shown list in ascending id order (after equal ids).
void InsertById(ItemRecord** list, ItemRecord* node) {
    ItemRecord** link = list;
    while (*link && (*link)->id <= node->id) link = &(*link)->next;
    node->next = *link;
    *link = node;
}

ItemRecord* FindExactId(ItemRecord* list, uint16_t id) {
    for (ItemRecord* n = list; n; n = n->next)
        if (n->id == id) return n;
    return nullptr;
}

bool Empty(const ItemRecord& n) { return n.count <= 0 && n.newCount <= 0; }

// Unlinks and frees every bag record with nothing left, unless the shown
// list still holds counts of it.
void SweepEmptyRecords() {
    for (ItemRecord** link = &gInventory; *link;) {
        ItemRecord* n = *link;
        if (Empty(*n) && !FindExactId(gItems.list, n->id)) {
            *link = n->next;
            FreeItemNode(n);
        } else {
            link = &n->next;
        }
    }
}

void FreeShownList() { FreeItemList(&gItems.list); }

int16_t AddCapped(int16_t a, int16_t b) { return int16_t(std::min(int(a) + int(b), int(kItemCountMax))); }


// One step or one page of a list window, by direction.
void MoveWindow(ListState* window, int rows, int direction, bool page) {
    if (page) {
        if (direction > 0) ListPageDown(window, rows);
        else ListPageUp(window, rows);
    } else if (direction > 0) {
        ListCursorDown(window);
    } else {
        ListCursorUp(window);
    }
}

void MoveTravel(int direction, bool page) { MoveWindow(&gItems.travel, kTravelRows, direction, page); }

// The list keys at depth 2.
void MoveList(int direction, bool page) {
    if (gMenu.pageId == kItemTabTidy) return;
    MoveWindow(&gItems.win, kItemRows, direction, page);
    ItemName(SelectedItem());
    gItems.panelY = kPanelClosedY;
    gItems.panelStep = 0;
    gItems.arrowFlash[direction > 0 ? 1 : 0] = kArrowFlashFrames;
    MenuSfx(kItemSfxMove);
}

void ChangeFilter(int32_t filter) {
    ReturnShownItems();
    gItems.filter = (filter + kItemFilters) % kItemFilters;
    RebuildItemMenuList();
    MenuSfx(kItemSfxMove);
}

// A key of the vertical family; page: PageDown / PageUp.
void VerticalKey(int direction, bool page) {
    switch (gMenu.depth) {
    case kItemDepthList: MoveList(direction, page); break;
    case kItemDepthMember: {
        const int last = std::max(0, ItemMemberBoxCount() - 1);
        gItems.target = page ? (direction > 0 ? last : 0) : std::clamp(gItems.target + direction, 0, last);
        MenuSfx(kItemSfxMove);
        break;
    }
    case kItemDepthDiscard: gItems.discardChoice = direction > 0 ? 1 : 0; break;
    case kItemDepthMarkers: {
        const int last = std::max(0, gItems.markerCount - 1);
        gItems.markerCursor = page ? (direction > 0 ? last : 0) : std::clamp(gItems.markerCursor + direction, 0, last);
        break;
    }
    case kItemDepthMarkerAsk: gItems.markerChoice = direction > 0 ? 1 : 0; break;
    case kItemDepthTravel: MoveTravel(direction, page); break;
    default: break;
    }
}

void SideKey(int direction) {
    switch (gMenu.depth) {
    case kItemDepthList:
        if (gMenu.pageId != kItemTabTidy) ChangeFilter(gItems.filter + direction);
        break;
    case kItemDepthDiscard: gItems.discardChoice = direction > 0 ? 1 : 0; break;
    case kItemDepthMarkers: VerticalKey(direction, false); break;
    case kItemDepthMarkerAsk: gItems.markerChoice = direction > 0 ? 1 : 0; break;
    case kItemDepthTravel: MoveTravel(direction, false); break;
    default: break;
    }
}

// The tidy tab's confirm: every new count folded into the count.
void Tidy() {
    ReturnShownItems();
    MergeNewCounts(gInventory);
    gMenu.pageId = kItemTabUse;
    MenuSfx(kItemSfxTidy);
    RebuildItemMenuList();
}

bool MemberPresent(int member) { return IsFlag(kFlagPartyFirst + member) != 0; }

// Whether the use helps the member: a downed member needs a reviving item.
bool UseHelps(int member, const ActionRecord& action) {
    return !(gMemberStats[member].status & kStatusDown) || (action.ailment & kAilmentRevive);
}

void ReadUseAction(const ItemRecord& item) {
    gItems.action = ActionRecord{};
    ReadActionRecord(&gItems.action, item.obj.w[kObjActionId]);
}

// Takes one of the item from the shown list; false when the node is gone.
bool TakeOne(ItemRecord* item) { return AddItem(&gItems.list, item->id, -1, kAddNew) != nullptr; }

void UseOnParty(ItemRecord* item) {
    bool helped = false;
    for (int m = 0; m < kPartyMembers; ++m)
        if (MemberPresent(m) && UseHelps(m, gItems.action)) helped = true;
    if (!helped) {
        // Nobody it can help: the item stays.
        MenuSfx(kItemSfxRefused);
        return;
    }
    for (int m = 0; m < kPartyMembers; ++m)
        if (MemberPresent(m)) ApplyItemEffect(&gMemberStats[m], item->obj);
    TakeOne(item);
    ClampItemWindow();
}

void UseOrdinaryItem(ItemRecord* item) {
    gItems.action = ActionRecord{};
    if (ReadActionRecord(&gItems.action, item->obj.w[kObjActionId]) == 1 && (gItems.action.flags & 1)) {
        UseOnParty(item);
        return;
    }
    gMenu.depth = kItemDepthMember;
    gItems.target = std::clamp(gItems.target, 0, std::max(0, ItemMemberBoxCount() - 1));
    MenuSfx(kItemSfxUse);
}

void ConfirmUse(ItemRecord* item) {
    if (!(ItemUseMode(item->obj) & 0x6)) {
        MenuSfx(kItemSfxRefused);
        ClampItemWindow();
        return;
    }
    switch (item->id) {
    case kItemSave: UseSaveItem(); break;
    case kItemBook: OpenBookOverItems(); break;
    case kItemTravel: UseTravelItem(); break;
    case kItemExit: UseExitItem(item); break;
    case kItemRealmMarker:
        gItems.markerCursor = 0;
        gItems.markerCount = RealmMarkerCount();
        gMenu.depth = kItemDepthMarkers;
        break;
    case kItemReturn: UseReturnItem(); break;
    default: UseOrdinaryItem(item); break;
    }
}

void ConfirmList() {
    if (gMenu.pageId == kItemTabTidy) {
        Tidy();
        return;
    }
    ItemRecord* item = SelectedItem();
    if (!item || item->id >= kPlaceholderItem) return;
    if (gMenu.pageId == kItemTabDiscard) {
        gItems.discardChoice = 1;
        if (item->obj.typeBits & kItemKindNoDiscard) MenuSfx(kItemSfxRefused);
        else gMenu.depth = kItemDepthDiscard;
        return;
    }
    ConfirmUse(item);
}

void ConfirmMember() {
    ItemRecord* item = SelectedItem();
    if (!item || item->id >= kPlaceholderItem || ItemUseMode(item->obj) < 2) return;
    const int32_t member = PartyMember(gItems.target);
    ReadUseAction(*item);
    if (member < 0 || member >= kPartyMembers || !UseHelps(member, gItems.action)) {
        MenuSfx(kItemSfxRefused);
        return;
    }
    ApplyItemEffect(&gMemberStats[member], item->obj);
    if (!(item->obj.typeBits & kItemKindKeepOnUse) && !TakeOne(item)) gMenu.depth = kItemDepthList;
    MenuSfx(kItemSfxUse);
    ClampItemWindow();
}

void ConfirmDiscard() {
    ItemRecord* item = SelectedItem();
    if (gItems.discardChoice == 0 && item && item->id < kPlaceholderItem) {
        TakeOne(item);
        MenuSfx(kItemSfxDiscard);
        ClampItemWindow();
    }
    gMenu.depth = kItemDepthList;
}

void StepPanel() {
    if (gItems.panelStep <= 0) return;
    if (gItems.panelClosing) {
        gItems.panelY = std::min(kPanelClosedY, gItems.panelY + gItems.panelStep);
        if (gItems.panelY == kPanelClosedY) gItems.panelStep = 0;
    } else {
        gItems.panelY = std::max(kPanelOpenY, gItems.panelY - gItems.panelStep);
        if (gItems.panelY == kPanelOpenY) gItems.panelStep = 0;
    }
    if (gItems.panelStep > 1) gItems.panelStep /= 2;
}
} // namespace


// The member box's entries: the members the party panel maps (at most three).
int ItemMemberBoxCount() { return std::min(PartyCount(), int(kMenuRowsShown)); }

bool FilterListsKind(int32_t filter, uint32_t kindBits) {
    const uint32_t kind = kindBits & ~uint32_t(kObjNewMark);
    if (filter <= 0 || filter >= kItemFilters) return false;
    if (kind == 0) return true;
    if (filter == 3 || filter == 6) return (kind & kFilterMask[filter]) != 0;
    return (kind & kFilterMask[filter]) != 0 && (kind & kOwnedByOthers) == 0;
}

int ItemUseMode(const ObjRecord& object) { return object.w[11] & 0xF; }

void BuildItemMenuList(int32_t filter) {
    FreeShownList();
    for (ItemRecord* n = gInventory; n; n = n->next) {
        if (n->id == kPlaceholderItem) continue;
        const bool listed = filter == 0 ? n->newCount > 0 : (n->count > 0 && FilterListsKind(filter, n->obj.typeBits));
        if (!listed) continue;
        ItemRecord* c = CopyNode(*n);
        if (!c) break;
        if (filter == 0) {
            c->count = 0;
            n->newCount = 0;
        } else {
            c->newCount = 0;
            n->count = 0;
        }
        InsertById(&gItems.list, c);
    }
}

int CountVisibleItemRows() {
    gItems.win.shown = ListCountShown(ListNthNode(gItems.list, gItems.win.top), kItemRows);
    return gItems.win.shown;
}

void RebuildItemMenuList() {
    BuildItemMenuList(gItems.filter);
    SweepEmptyRecords();
    if (!gItems.list) gItems.list = NewPlaceholderItem();
    gItems.win = ListState{ListCount(gItems.list), 0, 0, 0};
    CountVisibleItemRows();
    ItemName(SelectedItem());
}

void ReturnShownItems() {
    while (ItemRecord* n = gItems.list) {
        gItems.list = n->next;
        n->next = nullptr;
        if (n->id == kPlaceholderItem) {
            FreeItemNode(n);
            continue;
        }
        if (ItemRecord* owner = FindExactId(gInventory, n->id)) {
            if (n->count > 0) owner->count = AddCapped(owner->count, n->count);
            if (n->newCount > 0) owner->newCount = AddCapped(owner->newCount, n->newCount);
            FreeItemNode(n);
        } else if (!Empty(*n)) {
            // Its record left the bag: the shown copy goes back whole, never
            // a record made again from the object table.
            AppendItemNode(&gInventory, n);
        } else {
            FreeItemNode(n);
        }
    }
    SweepEmptyRecords();
}

ItemRecord* SelectedItem() { return ListNthNode(gItems.list, gItems.win.top + gItems.win.cursor); }

void ClampItemWindow() {
    ListState& w = gItems.win;
    w.total = ListCount(gItems.list);
    if (w.total == 0) {
        gItems.list = NewPlaceholderItem();
        w.total = ListCount(gItems.list);
    }
    if (w.total <= w.top + w.shown) {
        if (w.total <= w.top) {
            w.top = std::max(0, w.total - 1);
            w.cursor = 0;
        } else if (w.total < w.cursor + w.top + 1) {
            w.cursor = w.total - w.top - 1;
        }
    }
    CountVisibleItemRows();
    w.cursor = std::clamp(w.cursor, 0, std::max(0, w.shown - 1));
    ItemName(SelectedItem());
}

void ItemMenuEnter() {
    gMenu.member = kNoMember;
    for (ActRecord* r : {&gItems.frameAct, &gItems.filterAct, &gItems.pointerAct, &gItems.pictureAct})
        ResetActRecord(r);
    gItems.frameAct.act = kItemMenuPack;
    gItems.frameAct.qq = 7;
    gItems.filterAct.act = kItemMenuPack;
    gItems.pointerAct.act = kItemMenuPack;
    gItems.pointerAct.qq = 32;
    gMenu.pageId = kItemTabUse;
    gItems.filter = 0;
    gItems.win = ListState{};
    gItems.panelY = kPanelClosedY;
    gItems.panelStep = 0;
    gItems.frames = 0;
    RebuildItemMenuList();
    gItems.action = ActionRecord{};
}

void ItemMenuLeave() {
    // The book open over the page leaves with it (its buffers, its picture).
    if (gMenu.depth >= kDepthBookOverItems) CloseBookOverItems();
    ReturnShownItems();
    gItems.filter = 0;
    gItems.win = ListState{};
    gTravelList.clear();
}

void ItemMenuCancel() {
    if (HandToBook(&MenuSlots::cancel)) return;
    switch (gMenu.depth) {
    case kItemDepthList:
        ItemMenuLeave();
        gMenu.depth = kDepthRoot;
        SetMenuHandlers(kDepthRoot);
        break;
    case kItemDepthDescription:
        gMenu.depth = kItemDepthList;
        gItems.panelClosing = true;
        gItems.panelStep = kPanelFirstStep;
        break;
    case kItemDepthDiscard:
        gMenu.depth = kItemDepthList;
        gItems.discardChoice = 1;
        break;
    case kItemDepthMarkerAsk: gMenu.depth = kItemDepthMarkers; break;
    case kItemDepthTravel:
        gTravelList.clear();
        gMenu.depth = kItemDepthList;
        break;
    case kItemDepthMember:
    case kItemDepthMarkers:
    case kItemDepthTravelRefused:
    case kItemDepthExitRefused: gMenu.depth = kItemDepthList; break;
    default: break;
    }
}

void ItemMenuKey2() { HandToBook(&MenuSlots::key2); }

void ItemMenuNextTab() {
    if (HandToBook(&MenuSlots::key10) || gMenu.depth != kItemDepthList) return;
    gMenu.pageId = gMenu.pageId >= kItemTabDiscard ? kItemTabUse : gMenu.pageId + 1;
    MenuSfx(kItemSfxMove);
}

void ItemMenuDown() {
    if (!HandToBook(&MenuSlots::down)) VerticalKey(+1, false);
}
void ItemMenuUp() {
    if (!HandToBook(&MenuSlots::up)) VerticalKey(-1, false);
}
void ItemMenuPageDown() {
    if (!HandToBook(&MenuSlots::pageDown)) VerticalKey(+1, true);
}
void ItemMenuPageUp() {
    if (!HandToBook(&MenuSlots::pageUp)) VerticalKey(-1, true);
}
void ItemMenuLeft() {
    if (!HandToBook(&MenuSlots::left)) SideKey(-1);
}
void ItemMenuRight() {
    if (!HandToBook(&MenuSlots::right)) SideKey(+1);
}

void ItemMenuConfirm() {
    if (HandToBook(&MenuSlots::confirm)) return;
    switch (gMenu.depth) {
    case kItemDepthList: ConfirmList(); break;
    case kItemDepthMember: ConfirmMember(); break;
    case kItemDepthDescription: ItemMenuCancel(); break;
    case kItemDepthDiscard: ConfirmDiscard(); break;
    case kItemDepthMarkers: ChooseRealmMarker(); break;
    case kItemDepthMarkerAsk: AnswerRealmMarker(); break;
    case kItemDepthTravel: ConfirmTravel(); break;
    case kItemDepthTravelRefused:
    case kItemDepthExitRefused: gMenu.depth = kItemDepthList; break;
    default: break;
    }
}

void OpenItemDescription() {
    const ItemRecord* item = SelectedItem();
    if (gMenu.depth != kItemDepthList || !item || item->id >= kPlaceholderItem) return;
    gMenu.depth = kItemDepthDescription;
    gItems.panelY = kPanelClosedY;
    gItems.panelStep = kPanelFirstStep;
    gItems.panelClosing = false;
}

void ItemMenuFrame() {
    if (HandToBook(&MenuSlots::frame)) return;
    StepPanel();
    for (uint32_t& f : gItems.arrowFlash)
        if (f > 0) --f;
    if (gKeyState[kDescriptionKey].framesHeld > 0) OpenItemDescription();
    ItemMenuMouse();
}

void ResetItemMenu() {
    FreeShownList();
    FreeItemList(&gItems.keptInventory);
    FreeItemList(&gItems.keptShown);
    gItems = ItemMenu{};
}

void RegisterItemMenuPage() {
    MenuPage page{};
    page.firstId = kItemTabUse;
    page.lastId = kItemTabDiscard;
    page.enter = ItemMenuEnter;
    page.leave = ItemMenuLeave;
    page.draw = DrawItemMenuPage;
    page.slots.frame = ItemMenuFrame;
    page.slots.cancel = ItemMenuCancel;
    page.slots.key2 = ItemMenuKey2;
    page.slots.key10 = ItemMenuNextTab;
    page.slots.down = ItemMenuDown;
    page.slots.up = ItemMenuUp;
    page.slots.pageDown = ItemMenuPageDown;
    page.slots.pageUp = ItemMenuPageUp;
    page.slots.left = ItemMenuLeft;
    page.slots.right = ItemMenuRight;
    page.slots.confirm = ItemMenuConfirm;
    page.slots.draw = DrawItemMenuPage;
    RegisterMenuPage(kPageItem, page);
}
