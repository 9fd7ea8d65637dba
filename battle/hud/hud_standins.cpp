// Stand-ins: the result pages' words (battle/hud/hud_standins.h).
#include "battle/hud/hud_standins.h"

int32_t gResultHeight;
uint16_t gExpBonus;
uint16_t gSilverFactor;
