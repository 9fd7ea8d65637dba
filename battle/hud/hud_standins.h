// Stand-ins for the result pages' words that the HUD writes, until the
// results module holds them: the eased height of a page's lower box, the
// experience bonus in per cent and the silver factor (0 none).
#pragma once
#include <cstdint>

extern int32_t gResultHeight;
extern uint16_t gExpBonus;
extern uint16_t gSilverFactor;
