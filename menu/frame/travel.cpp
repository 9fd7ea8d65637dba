// The travel that the item and magic menus start (TravelTo, menu_lists.h);
// apart from the lists because it loads a map.
#include "menu/frame/menu_lists.h"
#include "menu/frame/menu_widgets.h"
#include "world/map/map_effects.h"
#include "world/map/map_load.h"
#include "world/role/role_record.h"

void TravelTo(uint16_t map, uint16_t x, uint16_t y) {
    ShowBlackScreen();
    ActRecord act{};
    if (gPlayerRole < TotalRole) act = gRole[gPlayerRole].act;
    LoadCity(map, x, y, uint16_t(act.act), uint16_t(act.qq), uint16_t(act.dir), 0);
    StopShake();
}

