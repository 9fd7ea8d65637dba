#include "world/map/map.h"

MapData gMap;
uint32_t gCurrentMap = 0;
