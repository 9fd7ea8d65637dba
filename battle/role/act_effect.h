// A flying effect sprite of a role's action: one node of the role's act
// effect list. It flies from its start to its end point, plays its impact
// there and then resolves the action on the target.
#pragma once
#include <cstdint>

#include "battle/role/role.h"
#include "draw/act_pack.h"
#include "draw/line_tool.h"

// Node flags.
enum ActEffectFlag : uint8_t {
    kActEffectArrived = 0x2,
    kActEffectNoResolve = 0x4,   // the impact resolves nothing
};

struct ActEffectNode {
    ActEffectNode* next;
    ActRecord flying;            // the flying sprite: act = sprite set, qq = act number
    ActRecord impact;            // the impact sprite, played at the end point
    AfterimageRing trail;
    int32_t trailParam[3];       // EndActEffectList's a (fade), b (mode), c (extra draw flags)
    int32_t endX, endY, startX, startY;
    LineWalker walk;
    uint16_t delay;              // frames before it starts to fly
    int16_t multiplier;          // > 0 fixed steps a frame; 0 (or less) accelerating
    int32_t speed;
    uint16_t frames;             // frames since it was added (bounded)
    uint8_t done;
    uint8_t trailOn;
    uint8_t flags;               // ActEffectFlag
    uint8_t started;             // the walk is set up
};

// Frames a node may take from its start to the end of its impact; a node
// that has not ended by then (an endless impact, a walk that cannot move)
// ends with one trace.
constexpr uint16_t kActEffectFrameCap = 300;
// The accelerating speed stops growing here (points a frame).
constexpr int32_t kActEffectSpeedCap = 4096;
