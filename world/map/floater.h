// The floating companion: while the player carries a talisman spirit and the
// story allows it, a small animated sprite of the spirit drifts toward a
// point beside and above the player, one pixel a frame, fading in and out.
#pragma once
#include <cstdint>

#include "draw/act_pack.h"

struct Floater {
    ActRecord act;
    float x, y;
    float vx, vy;
    float stored[2];   // kept from creation, read by nothing here
    int32_t fade;      // -32 .. 64
};
extern Floater* gFloater;

void CreateFloater(uint32_t act, uint32_t qq, float x, float y, float a, float b);
void FreeFloater();
void SteerFloater(float targetX, float targetY);
void DrawFloater();
// The alpha (0..16) of a fade counter.
int FloaterAlpha(int32_t fade);
