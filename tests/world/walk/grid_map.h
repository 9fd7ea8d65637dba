// Small maps drawn as text for the walking and path-finding tests.
//   '.' free   '#' wall (0x40000000)   'm' role-kind mark (0x800000)
//   'r' a role stands here (0x10000000)   '1'..'9' map event number
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/errorbox.h"
#include "platform/headless/headless.h"
#include "world/map/map.h"
#include "world/role/role_record.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"
#include "world/walk/player_walk.h"
#include "world/map/map_render.h"
#include "world/talk_state.h"
#include "menu/menu_services.h"
#include "draw/dialog_node.h"

constexpr uint32_t kCellWall = 0x40000000;
constexpr uint32_t kCellKindMark = 0x800000;
constexpr uint32_t kCellRole = 0x10000000;

inline uint32_t GridCellBits(char c) {
    switch (c) {
    case '#': return kCellWall;
    case 'm': return kCellKindMark;
    case 'r': return kCellRole;
    default: return (c >= '1' && c <= '9') ? uint32_t(c - '0') : 0;
    }
}

// Makes gMap from rows of equal length.
inline void LoadGrid(const std::vector<std::string>& rows) {
    gMap = MapData{};
    gMap.height = uint32_t(rows.size());
    gMap.width = rows.empty() ? 0 : uint32_t(rows[0].size());
    gMap.cells.assign(size_t(gMap.width) * gMap.height, 0);
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size() && c < gMap.width; ++c)
            gMap.cells[r * gMap.width + c] = GridCellBits(rows[r][c]);
}

// An open map of the given size with a wall border of none.
inline void LoadOpenGrid(uint32_t width, uint32_t height) {
    gMap = MapData{};
    gMap.width = width;
    gMap.height = height;
    gMap.cells.assign(size_t(width) * height, 0);
}

// The state the walking tests share, back to its start: the headless
// back-end, boxes, flags, keys, the walking values and every role.
inline void ResetWalkWorld() {
    HeadlessReset();
    ResetErrorBoxes();
    ResetStoryFlags();
    ResetKeyStates();
    ResetPlayerWalk();
    ResetTalkState();
    ResetMapRender();
    ResetMenuServices();
    FreeDialogList();
    for (RoleRecord& r : gRole) r = RoleRecord{};
    TotalRole = 0;
}
