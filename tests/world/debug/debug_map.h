// The small map the debug tests walk on: a 6 x 3 open grid with the player
// (role 1, one cell) at cell (1, 1), and debug mode on.
#pragma once
#include "tests/world/walk/grid_map.h"
#include "world/walk/player_walk.h"

inline void PutPlayerOnDebugMap() {
    LoadGrid({"......", "......", "......"});
    TotalRole = 2;
    gPlayerRole = 1;
    gRole[1].x = gRole[1].y = 16;
    gRole[1].act.width = gRole[1].act.height = 1;
    gRole[1].flags = kRoleActive;
    SetFlag(kFlagDebugMode);
}
