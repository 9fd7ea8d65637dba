#include "menu/menu_services.h"

#include "menu/frame/menu_pages.h"
#include "menu/save/save_screen.h"
#include "menu/save/save_state.h"
#include "menu/shop/shop.h"

void ResetMenuServices() {
    ResetShop();
    gMenuRequest = 0;
    gShopStockIds = nullptr;
    gSaveLoadMode = gSaveLoadKind = gSaveLoadPage = gSaveLoadLoading = gSaveLoadReset = 0;
    gMenuStatus = 0;
    ResetSaveScreenState();
    ResetSaveScreenHooks();
    ResetSaveState();
    ResetSaveStateHooks();
}
