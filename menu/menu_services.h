// What the engine calls in the menus and the save/load screen; the request
// words they read come with it (world/requests.h). The menu framework itself
// is menu/frame/menu_frame.h, the save/load screen menu/save/save_screen.h,
// the shop menu/shop/shop.h.
#pragma once
#include <cstdint>

#include "world/requests.h"

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
