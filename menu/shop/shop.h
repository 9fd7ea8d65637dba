// The shop: a full-screen trade page that a talk opens (gMenuRequest kind 2)
// after it has left a stock list in gShopStockIds. The game frame runs
// ShopFrame instead of the menu framework while the kind is 2. The player
// buys from the stock or sells from the bag; the money is talk variable 0.
// After buying equipment the shop offers to equip it at once: it asks for
// the equipment page (kShopEquipRequest), the framework marks that visit
// with kMenuFromShop, and the page's cancel comes back with
// kShopReturnRequest, on which the shop resumes where it was.
//
// The model (lists, choices, what a confirm does to the bag and the money)
// is shop.cpp; the drawing shop_draw.cpp.
#pragma once
#include <cstdint>
#include <vector>

#include "draw/act_pack.h"
#include "menu/frame/menu_lists.h"
#include "menu/frame/menu_widgets.h"
#include "menu/menu_services.h"

struct ItemRecord;
struct ObjRecord;

// The shop asks for the equipment page (kind 1, pending, straight to the page).
constexpr uint32_t kShopEquipRequest = 0xC0000001u;
// The equipment page's cancel on a visit from the shop: back to the shop.
constexpr uint32_t kShopReturnRequest = 0x20000002u;

enum ShopStateId : int32_t {
    kShopClosed = 0,
    kShopChoosing = 1,  // "buy", "sell" or "leave"
    kShopListing = 2,   // the item list
    kShopAsking = 3,    // "the total is %d silver, buy / sell?"
    kShopAskEquip = 4,  // "equip it now?"
    kShopNoMoney = 10,  // "come back with more money"
};

enum ShopChoice : uint32_t { kShopBuy = 0, kShopSell = 1, kShopLeave = 2 };

// Bits of Shop::flags.
enum : uint32_t {
    kShopChoiceBits = 0x3,  // the choice of state 1
    kShopAskGiveUp = 0x4,   // "give up" chosen in state 3
    kShopEquipGiveUp = 0x8, // "give up" chosen in state 4
};

constexpr int kShopRows = 13;             // rows the list window shows
constexpr int kShopRateBuy = 100, kShopRateSell = 60;
constexpr int kShopEquipMasks = 11;
// The kind masks of the equipment slots 0..10 (all bits must be present).
extern const uint32_t kShopSlotMask[kShopEquipMasks];
// The most a stock list is read (gShopStockIds holds at most this many
// words, the last of them 0).
constexpr int kShopStockMax = kShopStockWords;
// Selling never raises the money above this.
constexpr uint32_t kShopMoneyMax = 0x7FFFFFFFu;

// What an item would do for one present member.
struct ShopMember {
    int32_t member;    // 0..3
    bool fits;         // the item's usable-by word has the member's bit
    int32_t attack;    // change of the attack bonus if the member equipped it
    int32_t defence;
    int32_t brightness;  // of the portrait, 12..16
};

struct Shop {
    int32_t state;
    uint32_t flags;
    ItemRecord* list;          // the rows; `count` is the quantity chosen
    ListState window;          // total, top, cursor, shown (at most kShopRows)
    std::vector<uint16_t> background;  // the map frame darkened and greyed
    std::vector<uint16_t> clean;       // and its untouched copy
    bool greeted;              // the list's opening sound played in this visit
    ShopMember members[4];
    int memberCount;
    ActRecord portrait[4], pointer, panel, barTop, barBottom;
    int32_t arrowBounce[2];
    BarPlaces bar;
};
extern Shop gShop;

void ShopFrame();  // menu/menu_services.h
void ShopEnter();
void ShopLeave();
void ShopResetActs();
void ShopMouse();
void ShopKeys();
void ShopConfirm();
void ShopCancel();
void ShopKeyDown();
void ShopKeyUp();
void ShopKeyPageDown();
void ShopKeyPageUp();
void ShopKeyLess();
void ShopKeyMore();

// The choice of state 1.
uint32_t ShopChoiceOf();
bool ShopBuying();
// The list's row under the cursor, or null.
ItemRecord* ShopCursorRecord();
// The sum over the rows of (price x quantity x rate) / 100, rounded down per
// row; rate 100 buying, 60 selling.
int64_t ShopTotal();
// The number of units the bag holds of the id (count and new count); when
// buying, plus one for each equipment slot of a present member holding it.
int32_t ShopOwned(uint16_t id, bool buying);
// Sort key of a kind: 2048 for 0x400, kind >> 24 for 0x200, 1 for 0x100,
// else kind << 16.
uint32_t ShopSortKey(uint32_t kind);
// Moves every record of *from into the list, each before the first row
// whose key is not below its own; *from ends empty.
void ShopSortIn(ItemRecord** from);
void ShopFreeList();
int ShopCountShown();
// The equipment slot an item would go to (the first matching slot holding
// nothing, else the first matching slot), -1 for none.
int ShopSlotFor(uint32_t kind);
// Fills gShop.members for the record (null: nothing fits).
void ShopCompare(const ItemRecord* record);

void DrawShop();
void ShopDrawCompare();
// One step of each portrait's brightness towards lit (the row's item fits
// the member, or no list is shown) or dim.
void StepShopPortraits();

// Everything freed and back to the closed state (tests, a reset game).
void ResetShop();
