#include "world/requests.h"

uint32_t gMenuRequest;
uint16_t* gShopStockIds;
uint32_t gSaveLoadMode;
uint32_t gSaveLoadKind;
uint32_t gSaveLoadPage;
uint32_t gSaveLoadLoading;
uint32_t gSaveLoadReset;

void RequestSaveScreen(uint32_t kind, uint32_t page, uint32_t loading) {
    gSaveLoadMode = 3;
    gSaveLoadKind = kind;
    gSaveLoadPage = page;
    gSaveLoadLoading = loading;
    gSaveLoadReset = 1;
}
