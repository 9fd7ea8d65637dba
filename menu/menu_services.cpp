#include "menu/menu_services.h"

#include "base/file.h"
#include "base/settings.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "menu/save/save_screen.h"
#include "menu/save/save_state.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>

uint32_t gMenuRequest;
uint16_t* gShopStockIds;
uint32_t gSaveLoadMode;
uint32_t gSaveLoadKind;
uint32_t gSaveLoadPage;
uint32_t gSaveLoadLoading;
uint32_t gMenuStatus;

namespace {
uint16_t ScreenColour(int r, int g, int b) { return static_cast<uint16_t>(MakeColour(r, g, b)); }

struct Bounds {
    int left, top, right, bottom;
};

// The rectangle within the bounds and the back buffer.
void FillRect(int x, int y, int width, int height, uint16_t colour, Bounds b) {
    Surface* s = gBackBuffer;
    if (!s) return;
    int x0 = std::max({x, b.left, 0}), y0 = std::max({y, b.top, 0});
    int x1 = std::min({x + width, b.right, s->width});
    int y1 = std::min({y + height, b.bottom, s->height});
    uint16_t* pixels = nullptr;
    int pitch = 0;
    if (x0 >= x1 || y0 >= y1 || !LockSurface(s, &pixels, &pitch)) return;
    for (int row = y0; row < y1; ++row) {
        uint16_t* p = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(pixels) + static_cast<size_t>(row) * pitch);
        for (int col = x0; col < x1; ++col) p[col] = colour;
    }
    UnlockSurface(s);
}

Bounds WholeScreen() { return {0, 0, INT32_MAX, INT32_MAX}; }
} // namespace

void MenuFrame() { gMenuRequest = 0; }
void ShopFrame() { gMenuRequest = 0; }
void InitMenu() {}

void DrawFramedBox(int x, int y, int width, int height, int, int, int, int) {
    FillRect(x - 2, y - 2, width + 4, height + 4, ScreenColour(25, 23, 17), WholeScreen());
    FillRect(x, y, width, height, ScreenColour(3, 3, 6), WholeScreen());
}

void FillMenuRect(int x, int y, int width, int height, int r, int g, int b, int mode) {
    if (mode < 0 || mode > 5) return;
    // Drawn only inside the current drawing clip, as every picture is.
    Bounds clip{gClip.left, gClip.top, gClip.left + gClip.width, gClip.top + gClip.height};
    FillRect(x, y, width, height, ScreenColour(r, g, b), clip);
}

void ResetMenuServices() {
    gMenuRequest = 0;
    gShopStockIds = nullptr;
    gSaveLoadMode = gSaveLoadKind = gSaveLoadPage = gSaveLoadLoading = 0;
    gMenuStatus = 0;
    ResetSaveScreenState();
    ResetSaveState();
}
