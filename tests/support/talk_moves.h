// The moves of one map frame that the talk machine's waits wait for, without
// drawing: the renderer's path moves (world/map/role_moves), the camera
// scroll and the screen tint. Tests and fuzz targets that run talk
// instructions one frame at a time call it between frames.
#pragma once
#include "world/map/map_render.h"
#include "world/map/role_moves.h"

inline void StepTalkMoves() {
    StepPathMoves();
    StepCameraScroll();
    StepScreenTint(1);
}
