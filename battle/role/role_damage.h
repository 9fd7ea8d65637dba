// The five elements of damage: 1 metal, 2 wood, 3 water, 4 fire, 5 earth.
#pragma once
#include <cstdint>

// Rewrites an attack value of `element` against the target's five element
// percentages (metal, wood, water, fire, earth): lowered by the element that
// overcomes it, raised by the one it overcomes, and turned into healing by
// the one it generates (result 1 then). Elements outside 1..5 change nothing.
uint32_t ApplyElementCycle(const int8_t pct[5], int16_t element, uint16_t* value);
