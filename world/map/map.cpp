#include "world/map/map.h"

MapData gMap;
uint32_t gCurrentMap = 0;
uint32_t gMapOffset = 0;
