#include "menu/menu_services.h"

#include "base/file.h"
#include "base/settings.h"

#include <cstdint>
#include <cstdio>

uint32_t gMenuRequest;
uint16_t* gShopStockIds;
uint32_t gSaveLoadMode;
uint32_t gSaveLoadKind;
uint32_t gSaveLoadPage;
uint32_t gSaveLoadLoading;

namespace {
constexpr int kSaveSlots = 99;
} // namespace

void ShopFrame() { gMenuRequest = 0; }
void ResetSaveScreen() {}
void SelectNewestSlot() {}
void SaveLoadScreen() { gSaveLoadMode = 0; }

int AnySaveExists() {
    char path[kPathMax + 32];
    for (int slot = 0; slot < kSaveSlots; ++slot) {
        std::snprintf(path, sizeof path, "%ssave\\%d.sav", gInstallPath, slot);
        if (FileOpensForReading(path)) return 1;
    }
    return 0;
}

void FreeSlotPreviews() {}

void ResetMenuServices() {
    gMenuRequest = 0;
    gShopStockIds = nullptr;
    gSaveLoadMode = gSaveLoadKind = gSaveLoadPage = gSaveLoadLoading = 0;
}
