// The travel that the item and magic menus start (TravelTo, menu_lists.h);
// apart from the lists because it loads a map.
#include <cstring>

#include "draw/display.h"
#include "draw/draw_kernel.h"
#include "draw/surface.h"
#include "menu/frame/menu_lists.h"
#include "world/map/map_effects.h"
#include "world/map/map_load.h"
#include "world/role/role_record.h"

void TravelTo(uint16_t map, uint16_t x, uint16_t y) {
    if (uint16_t* pixels = LockBackBuffer(gBackBuffer)) {
        for (int row = 0; row < gScreenHeight; ++row) std::memset(BackPixel(0, row), 0, size_t(gScreenWidth) * 2);
        UnlockBackBuffer(gBackBuffer, pixels);
        gDisplay.Blt(gBackBuffer);
    }
    ActRecord act{};
    if (gPlayerRole < TotalRole) act = gRole[gPlayerRole].act;
    LoadCity(map, x, y, uint16_t(act.act), uint16_t(act.qq), uint16_t(act.dir), 0);
    StopShake();
}

