#include "menu/menu_services.h"

#include "base/file.h"
#include "base/settings.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"

#include <cstdio>

uint32_t gMenuRequest;
uint16_t* gShopStockIds;
uint32_t gSaveLoadMode;
uint32_t gSaveLoadKind;
uint32_t gSaveLoadPage;
uint32_t gSaveLoadLoading;

namespace {
constexpr int kSaveSlots = 99;

uint16_t ScreenColour(int r, int g, int b) { return static_cast<uint16_t>(MakeColour(r, g, b)); }

void FillRect(int x, int y, int width, int height, uint16_t colour) {
    Surface* s = gBackBuffer;
    if (!s) return;
    int x0 = x < 0 ? 0 : x, y0 = y < 0 ? 0 : y;
    int x1 = x + width > s->width ? s->width : x + width;
    int y1 = y + height > s->height ? s->height : y + height;
    uint16_t* pixels = nullptr;
    int pitch = 0;
    if (x0 >= x1 || y0 >= y1 || !LockSurface(s, &pixels, &pitch)) return;
    for (int row = y0; row < y1; ++row) {
        uint16_t* p = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(pixels) + static_cast<size_t>(row) * pitch);
        for (int col = x0; col < x1; ++col) p[col] = colour;
    }
    UnlockSurface(s);
}
} // namespace

void MenuFrame() { gMenuRequest = 0; }
void ShopFrame() { gMenuRequest = 0; }
void InitMenu() {}
void ResetSaveScreen() {}
void SelectNewestSlot() {}
void SaveLoadScreen() { gSaveLoadMode = 0; }

int AnySaveExists() {
    char path[kPathMax + 32];
    for (int slot = 0; slot < kSaveSlots; ++slot) {
        std::snprintf(path, sizeof path, "%ssave\\%d.sav", gInstallPath, slot);
        cFile f;
        if (f.Open(path, kOpenExisting, kGenericRead)) return 1;
    }
    return 0;
}

void FreeSlotPreviews() {}

void DrawFramedBox(int x, int y, int width, int height, int, int, int, int) {
    FillRect(x - 2, y - 2, width + 4, height + 4, ScreenColour(25, 23, 17));
    FillRect(x, y, width, height, ScreenColour(3, 3, 6));
}

void FillMenuRect(int x, int y, int width, int height, int r, int g, int b, int mode) {
    if (mode < 0 || mode > 5) return;
    FillRect(x, y, width, height, ScreenColour(r, g, b));
}

void ResetMenuServices() {
    gMenuRequest = 0;
    gShopStockIds = nullptr;
    gSaveLoadMode = gSaveLoadKind = gSaveLoadPage = gSaveLoadLoading = 0;
}
