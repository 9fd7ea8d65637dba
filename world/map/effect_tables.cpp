#include "world/map/effect_tables.h"

#include <algorithm>
#include <cstring>
#include <iterator>

EffectTables gEffectTables;

void ResetEffectTables() {
    std::fill(std::begin(gEffectTables.scaleOne), std::end(gEffectTables.scaleOne), kEffectScaleOne);
    std::fill(std::begin(gEffectTables.scaleFour), std::end(gEffectTables.scaleFour), kEffectScaleFour);
    std::memset(gEffectTables.objectState, 0, sizeof gEffectTables.objectState);
}
