// What the item menu's files share among themselves.
#pragma once
#include <cstdint>

#include "menu/frame/menu_pages.h"

struct ItemRecord;

constexpr uint16_t kItemMenuPack = 9002;
constexpr uint16_t kItemPicturePack = 59;

enum : int {
    kItemSfxTidy = 45,
    kItemSfxMove = 46,
    kItemSfxUse = 139,
    kItemSfxRefused = 140,
    kItemSfxDiscard = 184,
};


// While the book is open over the page (depth 500 or more) the slot's
// handler of the book's registration runs instead; true when it did.
bool HandToBook(MenuHandler MenuSlots::*slot);
void OpenBookOverItems();
void CloseBookOverItems();

// The special items (item_specials.cpp).
void UseTravelItem();
void UseExitItem(ItemRecord* item);
void UseReturnItem();
void ChooseRealmMarker();
void AnswerRealmMarker();
void ConfirmTravel();

// The mouse (item_menu_mouse.cpp).
void ItemMenuMouse();

// The entries of the open box of a depth (member box, discard question,
// marker list, marker question, travel list), shared by the mouse and the
// drawing: entry i is the w x h rectangle at (x + dx i, y + dy i).
struct ItemBox {
    int x, y, w, h, count, dx, dy;
};
// count 0 when the depth has no box.
ItemBox ItemDepthBox(int32_t depth);
// The entry selected in the box of the depth.
int32_t* ItemBoxChoice(int32_t depth);
// Entries of the member box: the members the status panel maps.
int ItemMemberBoxCount();
