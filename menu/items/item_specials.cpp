// The item menu's special items: the save item and its hand-off with the
// save screen, the book, the travel, exit and return items, and the realm
// markers.
#include <algorithm>
#include <cstring>

#include "base/errorbox.h"
#include "draw/display.h"
#include "draw/draw_kernel.h"
#include "draw/surface.h"
#include "menu/frame/menu_frame.h"
#include "menu/items/item_menu.h"
#include "menu/items/item_menu_internal.h"
#include "menu/items/item_texts.h"
#include "menu/menu_services.h"
#include "menu/save/save_screen.h"
#include "menu/save/save_state.h"
#include "world/map/draw_order.h"
#include "world/map/map.h"
#include "world/new_game.h"
#include "world/party/item_list.h"
#include "world/role/role_def.h"
#include "world/role/role_helpers.h"
#include "world/role/role_record.h"
#include "world/story_flags.h"
#include "world/talk_state.h"

uint32_t gMapTravelAllowed = 1;

namespace {

constexpr int kFlagNoTravel = 77;
constexpr int kFlagNoExit = 78;
constexpr int kFlagNoReturn = 23;
constexpr uint32_t kNoReturnMap = 22;
constexpr uint16_t kReturnTalk = 81;
constexpr uint16_t kReturnTalkGuid = 1;
constexpr uint32_t kRoleDeletedFlag = 0x10000000;

const RoleRecord* Player() { return gPlayerRole < TotalRole && gPlayerRole < kMaxRoles ? &gRole[gPlayerRole] : nullptr; }

// The menu closes after the page's own leave.
void CloseMenuFromPage() {
    ItemMenuLeave();
    gMenuRequest = 0;
}

void BlackScreen() {
    if (!gBackBuffer) return;
    if (uint16_t* pixels = LockBackBuffer(gBackBuffer)) {
        for (int row = 0; row < gScreenHeight; ++row) std::memset(BackPixel(0, row), 0, size_t(gScreenWidth) * 2);
        UnlockBackBuffer(gBackBuffer, pixels);
        gDisplay.Blt(gBackBuffer);
    }
}

// The map role with the GUID among roles 1..TotalRole - 1, or -1.
int32_t MapRoleOf(uint16_t guid) {
    const uint32_t count = std::min<uint32_t>(TotalRole, kMaxRoles);
    for (uint32_t i = 1; i < count; ++i)
        if (gRole[i].guid == guid && !(gRole[i].flags & kRoleDeletedFlag)) return int32_t(i);
    return -1;
}

int PlaceMarker(RoleRecord& marker, int n, const RoleRecord& player) {
    int32_t at = MapRoleOf(marker.guid);
    if (at < 0 && TotalRole >= kMaxRoles) return -1;  // no room on the map: nothing changes
    marker.act.qq = 4 * n + 4;
    marker.act.dir = player.act.dir & 3;
    marker.x = player.x & ~15;
    marker.y = player.y & ~15;
    marker.flags |= kRoleActive;
    // The definition keeps the cell, so the marker stands there again when
    // the map is loaded anew.
    SetRoleDef(marker.guid, kRealmMarkerPack, marker.act.qq, marker.act.dir, marker.x / 16, marker.y / 16, -1, -1, 0,
               -1, int(gCurrentMap), 0x8080);
    newRoleInit(&marker);
    if (at < 0) {
        at = int32_t(TotalRole++);
        gRole[at] = RoleRecord{};
    }
    RoleRecord& r = gRole[at];
    if (r.drawPlane >= 0) RemoveDrawOrder(&r, r.drawPlane);
    marker.text = r.text;
    marker.textKind = r.textKind;
    marker.extraAct = r.extraAct;
    marker.drawPlane = -1;
    marker.drawBucket = -1;
    marker.drawNext = nullptr;
    r = marker;
    InsertDrawOrder(&r, int(r.flags & kRolePlaneMask));
    return 1;
}

int TakeBackMarker(RoleRecord& marker, const RoleRecord& player) {
    marker.act.qq = 0;
    marker.act.dir = 0;
    marker.x = player.x;
    marker.y = player.y;
    marker.flags |= kRoleActive;
    SetRoleDef(marker.guid, kRealmMarkerPack, 0, 0, 0, 0, -1, -1, 0, -1, kNoMarkerMap, 0x8080);
    const uint32_t count = std::min<uint32_t>(TotalRole, kMaxRoles);
    for (uint32_t i = 1; i < count; ++i) {
        RoleRecord& r = gRole[i];
        if (r.guid != marker.guid) continue;
        SetRoleBlockFlags(&r);
        r.flags |= kRoleDeletedFlag;
        if (r.drawPlane >= 0) RemoveDrawOrder(&r, r.drawPlane);
    }
    return 0;
}
} // namespace

bool HandToBook(MenuHandler MenuSlots::*slot) {
    if (gMenu.depth < kDepthBookOverItems) return false;
    const MenuPage* book = RegisteredMenuPage(kPageBook);
    if (book && book->slots.*slot) (book->slots.*slot)();
    return true;
}

void OpenBookOverItems() {
    const MenuPage* book = RegisteredMenuPage(kPageBook);
    if (!book || !book->enter) {
        MenuSfx(kItemSfxRefused);
        return;
    }
    gMenu.depth = kDepthBookOverItems;
    book->enter();
}

void CloseBookOverItems() {
    const MenuPage* book = RegisteredMenuPage(kPageBook);
    if (book && book->leave) book->leave();
    gMenu.depth = kItemDepthList;
}

void UseSaveItem() {
    ItemRecord* item = SelectedItem();
    if (!item || item->id != kItemSave) return;
    // The lists as they stand are kept, so a save that is not made gives
    // everything back exactly.
    FreeItemList(&gItems.keptInventory);
    FreeItemList(&gItems.keptShown);
    gItems.keptInventory = CopyItemList(gInventory);
    gItems.keptShown = CopyItemList(gItems.list);
    gItems.saving = true;
    // The game is saved with every count in the bag, less the item used.
    AddItem(&gItems.list, kItemSave, -1, kAddNew);
    ReturnShownItems();
    OpenSaveScreen(kSaveKindItem, kSavePageSlots, 0);
}

void RestoreInventory(int used) {
    if (!gItems.saving) return;
    gItems.saving = false;
    FreeItemList(&gInventory);
    FreeItemList(&gItems.list);
    gInventory = gItems.keptInventory;
    gItems.list = gItems.keptShown;
    gItems.keptInventory = gItems.keptShown = nullptr;
    if (used == 1) AddItem(&gItems.list, kItemSave, -1, kAddNew);
    ClampItemWindow();
    const ListState window = gItems.win;
    ReturnShownItems();
    RebuildItemMenuList();
    // The cursor stays where the player left it when the row still exists.
    gItems.win.top = std::min(window.top, std::max(0, gItems.win.total - 1));
    gItems.win.cursor = window.cursor;
    ClampItemWindow();
}

void UseTravelItem() {
    if (IsFlag(kFlagNoTravel) || gMapTravelAllowed != 1) {
        gMenu.depth = kItemDepthTravelRefused;
        MenuSfx(kItemSfxRefused);
        return;
    }
    BuildTravelList();
    const int entries = int(gTravelList.size());
    if (entries == 0) {
        // Nowhere to go yet: refused like a map that forbids it.
        gMenu.depth = kItemDepthTravelRefused;
        MenuSfx(kItemSfxRefused);
        return;
    }
    gMenu.depth = kItemDepthTravel;
    gItems.travel = ListState{entries, 0, 0, std::min(kTravelRows, entries)};
}

void ConfirmTravel() {
    const int index = gItems.travel.top + gItems.travel.cursor;
    ItemRecord* item = SelectedItem();
    if (index < 0 || index >= int(gTravelList.size()) || !item || item->id != kItemTravel) {
        gTravelList.clear();
        gMenu.depth = kItemDepthList;
        return;
    }
    const TravelEntry to = gTravelList[size_t(index)];
    AddItem(&gItems.list, kItemTravel, -1, kAddNew);
    gTravelList.clear();
    gItems.travel = ListState{};
    CloseMenuFromPage();
    TravelTo(to.map, to.x, to.y);
}

void UseExitItem(ItemRecord* item) {
    ExitGroup group{};
    if (IsFlag(kFlagNoExit) || !FindExitGroup(gCurrentMap, &group)) {
        gMenu.depth = kItemDepthExitRefused;
        MenuSfx(kItemSfxRefused);
        return;
    }
    AddItem(&gItems.list, item->id, -1, kAddNew);
    CloseMenuFromPage();
    TravelTo(group.map, group.x, group.y);
}

void UseReturnItem() {
    const RoleRecord* player = Player();
    if (gCurrentMap == kNoReturnMap || IsFlag(kFlagNoReturn) || !player) {
        MenuSfx(kItemSfxRefused);
        return;
    }
    RoleRecord& c = gTalkContext;
    c.talkNumber = kReturnTalk;
    c.talkWindowBase = 0;
    c.talkPc = 0;
    c.guid = kReturnTalkGuid;
    c.x = player->x;
    c.y = player->y;
    c.flags = player->flags;
    gTalkWindowLoaded = false;
    gReturnPoint = ReturnPoint{uint16_t(player->x / 16), uint16_t(player->y / 16), uint16_t(gCurrentMap),
                               uint16_t(player->act.act)};
    BlackScreen();
    CloseMenuFromPage();
}

int RealmMarkerCount() {
    int count = 0;
    for (const ItemRecord* n = gItems.list; n; n = n->next)
        if (n->id == kItemRealmMarker) count += n->count + n->newCount;
    for (const ItemRecord* n = gInventory; n; n = n->next)
        if (n->id == kItemRealmMarker) count += n->count + n->newCount;
    return std::clamp(count, 0, kRealmMarkerMax);
}

void ChooseRealmMarker() {
    if (gItems.markerCursor < 0 || gItems.markerCursor >= gItems.markerCount) return;
    RoleRecord scratch{};
    const int guid = kRealmMarkerFirstGuid + gItems.markerCursor;
    if (GetRoleDef(&scratch, uint16_t(guid)) < 0) {
        ErrorBox(kTextMarkerCaption, kTextMarkerMissing, gItems.markerCursor, guid);
        gMenu.depth = kItemDepthList;
        return;
    }
    gItems.markerInUse = scratch.act.qq != 0 ? 1 : 0;
    gItems.markerChoice = 0;
    gMenu.depth = kItemDepthMarkerAsk;
}

void AnswerRealmMarker() {
    gMenu.depth = kItemDepthMarkers;
    if (gItems.markerChoice != 0) return;
    const int wasIdle = gItems.markerInUse == 0;
    const int placed = ToggleRealmMarker();
    if (placed < 0) {
        MenuSfx(kItemSfxRefused);
        return;
    }
    if (placed == 1) {
        gMenu.depth = kItemDepthList;
        if (wasIdle) {
            ItemMenuCancel();
            gMenuRequest = 0;
        }
    }
}

int ToggleRealmMarker() {
    const int n = gItems.markerCursor;
    const RoleRecord* player = Player();
    if (n < 0 || n >= kRealmMarkerMax || !player) return -1;
    RoleRecord marker{};
    ResetActRecord(&marker.act);
    if (GetRoleDef(&marker, uint16_t(kRealmMarkerFirstGuid + n)) < 0) return -1;
    marker.act.act = kRealmMarkerPack;
    if (marker.act.qq == 0) return PlaceMarker(marker, n, *player);
    return TakeBackMarker(marker, *player);
}
