// A status effect of a battle role: one node of the role's effect list.
#pragma once
#include <cstdint>

#include "draw/act_pack.h"

struct EffectNode {
    EffectNode* next;
    ActRecord overlay;   // the overlay act (pack 11000) of an ailment that has one
    float strength;      // percent for damage ailments and assists
    uint32_t kind;       // the ailment bit, or the assist's mask bit
    uint16_t tick;       // counts up to gGaugeFull between two ticks
    uint16_t initialTurns;
    uint16_t turnsLeft;  // kEffectEndless: without end
    uint16_t element;    // 1..5 for the element-resistance assists, else 0
    uint16_t icon;       // 1-based frame of the icon picture, 0 none
    uint16_t value;      // the action's value (base of tick damage)
    // Points this node added to its element's percentage (element resistance):
    // its end takes off exactly these, however the percentage was clamped.
    int16_t elementAdded;
};

constexpr uint16_t kEffectEndless = 65535;
