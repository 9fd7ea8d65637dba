// What the engine and the world call or set in the menus and the save/load
// screen. The menu framework itself is menu/frame/menu_frame.h, the save/load
// screen menu/save/save_screen.h, the shop menu/shop/shop.h.
#pragma once
#include <cstdint>

// gMenuRequest: bit 31 pending, low 28 bits the kind.
constexpr uint32_t kMenuPending = 0x80000000u;
constexpr uint32_t kMenuKindMask = 0x0FFFFFFFu;
enum : uint32_t {
    kMenuRoot = 1,
    kMenuShop = 2,
    kMenuTitle = 3, // 3 to 6: the title-screen pages
    kMenuTitleLast = 6,
};

extern uint32_t gMenuRequest;
// The shop's stock: item ids ended by 0, in a block of AllocZero that the
// shop frees when it closes; at most kShopStockWords words are read.
extern uint16_t* gShopStockIds;
constexpr int kShopStockWords = 128;
extern uint32_t gSaveLoadMode;
extern uint32_t gSaveLoadKind;
extern uint32_t gSaveLoadPage;
extern uint32_t gSaveLoadLoading;

void ShopFrame();
// The shop closed, with its stock, screen copies and list freed.
void ResetShop();
// The save/load screen (menu/save/save_screen.cpp).
void ResetSaveScreen();
void SelectNewestSlot();
void SaveLoadScreen();
// 1 when any of the 99 slot files "%ssave\\%d.sav" exists.
int AnySaveExists();
void FreeSlotPreviews();

void ResetMenuServices();
