// The item menu, root page 11 (page ids 30..32: the tabs use, tidy and
// discard). It lists the party's items by a kind filter, uses an item on the
// party or on one member, discards, folds new items into the stock, and
// starts the special items: the save item, the book, the travel and exit
// items, the realm markers and the return item.
//
// While the page is open the counts it shows are moved out of gInventory
// into the page's own list (copies). The player's records stay where they
// are: a record whose counts are all on show keeps its place in the bag with
// zero counts, and the counts go back into that same record when the filter
// changes, when the page is left and before a save. Only a record that is
// really used up leaves the bag.
//
// While gMenu.depth is 500 or more the book (menu/book) is open over the
// page: every handler hands over to the book's handler of the same slot,
// reached through the book's registration (RegisteredMenuPage(kPageBook)).
#pragma once
#include <cstdint>

#include "draw/act_pack.h"
#include "menu/frame/menu_lists.h"
#include "world/org/obj_record.h"

struct ItemRecord;

// Tabs (gMenu.pageId).
enum : int32_t { kItemTabUse = 30, kItemTabTidy = 31, kItemTabDiscard = 32 };

// Depths of the page.
enum : int32_t {
    kItemDepthList = 2,
    kItemDepthMember = 3,
    kItemDepthDescription = 4,
    kItemDepthDiscard = 5,
    kItemDepthMarkers = 10,
    kItemDepthMarkerAsk = 11,
    kItemDepthTravel = 15,
    kItemDepthTravelRefused = 17,
    kItemDepthExitRefused = 18,
};

// The special items.
enum : uint16_t {
    kItemReturn = 731,
    kItemExit = 3045,
    kItemTravel = 3046,
    kItemSave = 3088,
    kItemBook = 3091,
    kItemRealmMarker = 3094,
};

constexpr int kItemFilters = 7;
constexpr int kItemRows = 13;
constexpr int kTravelRows = 8;
// Realm markers are the role definitions 641 .. 641 + kRealmMarkerMax - 1.
constexpr uint16_t kRealmMarkerFirstGuid = 641;
constexpr int kRealmMarkerMax = 20;
constexpr uint16_t kRealmMarkerPack = 641;
constexpr int kNoMarkerMap = 1000;  // a definition on no map
// The description panel.
constexpr int32_t kPanelClosedY = 480, kPanelOpenY = 340, kPanelFirstStep = 128;

// Kind bits of the item record (its object's type bits).
enum : uint32_t {
    kItemKindNoDiscard = 0x20,
    kItemKindKeepOnUse = 0x80,
};

struct ItemMenu {
    ItemRecord* list = nullptr;  // the shown list (copies owned by the page), ascending ids
    int32_t filter = 0;          // 0..6
    ListState win{};             // total, top, cursor row, rows shown (at most 13)
    int32_t target = 0;          // the member box's cursor
    int32_t discardChoice = 1;   // 0 yes, 1 no
    int32_t markerCursor = 0, markerCount = 0, markerInUse = 0, markerChoice = 0;
    ListState travel{};          // the travel list's window (at most 8)
    ActionRecord action{};       // the use's action record
    int32_t panelY = kPanelClosedY, panelStep = 0;  // the description panel; step 0 still
    bool panelClosing = false;
    uint32_t arrowFlash[2] = {}; // frames left of the up / down arrow flash
    uint32_t frames = 0;         // frames drawn since entry
    ItemRecord* keptInventory = nullptr;  // the save item's copies while the save screen runs
    ItemRecord* keptShown = nullptr;
    bool saving = false;
    ActRecord frameAct{};        // 9002/7
    ActRecord filterAct{};       // 9002/(60 + filter)
    ActRecord pointerAct{};      // 9002/32
    ActRecord pictureAct{};      // pack 59: the selected item's picture
};
extern ItemMenu gItems;

void RegisterItemMenuPage();

// Page handlers.
void ItemMenuEnter();
void ItemMenuLeave();
void ItemMenuFrame();
void ItemMenuCancel();
void ItemMenuKey2();
void ItemMenuNextTab();
void ItemMenuDown();
void ItemMenuUp();
void ItemMenuPageDown();
void ItemMenuPageUp();
void ItemMenuLeft();
void ItemMenuRight();
void ItemMenuConfirm();
void DrawItemMenuPage();

// The list operations.
void BuildItemMenuList(int32_t filter);
void RebuildItemMenuList();
void ReturnShownItems();
int CountVisibleItemRows();
// The window held inside the list after an item is used up or discarded.
void ClampItemWindow();
// The node under the cursor, or null.
ItemRecord* SelectedItem();
// Whether the filter lists the record (its counts aside).
bool FilterListsKind(int32_t filter, uint32_t kindBits);
// The low four bits of the object's byte 58.
int ItemUseMode(const ObjRecord& object);

// The save item: one is taken, the bag and the shown list are kept, every
// shown count goes back and the save screen opens with kind 5.
// RestoreInventory(used) puts the kept lists back (the item returns unless
// the game was saved, used = 1).
void UseSaveItem();
void RestoreInventory(int used);

// Places (1) or takes back (0) realm marker gItems.markerCursor; -1 when
// the marker's definition is missing or no role can be placed.
int ToggleRealmMarker();
// The number of realm markers the party owns, at most kRealmMarkerMax.
int RealmMarkerCount();

// The description key (key-map slot 19) and the pointer picture's click.
void OpenItemDescription();

// 1 when the current map allows the travel item. The map loader does not
// read a map's travel switch yet, so it stays 1 (story flag 77 still
// refuses travel).
extern uint32_t gMapTravelAllowed;

// Everything freed and back to the start (tests, a new game).
void ResetItemMenu();
