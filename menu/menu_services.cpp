#include "menu/menu_services.h"

#include "menu/frame/menu_pages.h"
#include "menu/save/save_screen.h"
#include "menu/save/save_state.h"
#include "menu/shop/shop.h"

uint32_t gMenuRequest;
uint16_t* gShopStockIds;
uint32_t gSaveLoadMode;
uint32_t gSaveLoadKind;
uint32_t gSaveLoadPage;
uint32_t gSaveLoadLoading;

void ResetMenuServices() {
    ResetShop();
    gMenuRequest = 0;
    gShopStockIds = nullptr;
    gSaveLoadMode = gSaveLoadKind = gSaveLoadPage = gSaveLoadLoading = 0;
    gMenuStatus = 0;
    ResetSaveScreenState();
    ResetSaveScreenHooks();
    ResetSaveState();
    ResetSaveStateHooks();
}
