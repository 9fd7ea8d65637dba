#include "world/walk/player_walk.h"

#include <algorithm>
#include <vector>

#include "base/errorbox.h"
#include "world/map/map.h"
#include "world/role/role_record.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"
#include "world/walk/walk_cells.h"

uint32_t gMapWalkStep = 4;
uint32_t gFightStep = 0;
PlayerWalk gPlayerWalk;

namespace {

// Talk position offsets of a map event by the player's facing, in cells.
constexpr int kEventOffsetX[8] = {4, 0, -4, -4, -4, 0, 4, 4};
constexpr int kEventOffsetY[8] = {4, 4, 4, 0, -4, -4, -4, 0};

std::vector<uint32_t> gReportedMaps;

bool Quick(const KeyState& k) { return (k.state & ~kKeyConsumedBit) >= 2; }

// -1 for the first key of a pair, else 1 for the second, 0 for neither; a
// quick press of the key in use makes a run.
int Axis(const KeyState& back, const KeyState& ahead, bool* quick) {
    const KeyState* key = back.framesHeld > 0 ? &back : ahead.framesHeld > 0 ? &ahead : nullptr;
    if (!key) return 0;
    *quick |= Quick(*key);
    return key == &back ? -1 : 1;
}

} // namespace

KeyStep ReadDirectionKeys() {
    KeyStep s;
    s.dx = Axis(gKeyState[kKeyLeft], gKeyState[kKeyRight], &s.quick);
    s.dy = Axis(gKeyState[kKeyUp], gKeyState[kKeyDown], &s.quick);
    if (s.dx < 0) s.facing = s.dy < 0 ? kFaceNW : s.dy > 0 ? kFaceSW : kFaceW;
    else if (s.dx > 0) s.facing = s.dy < 0 ? kFaceNE : s.dy > 0 ? kFaceSE : kFaceE;
    else if (s.dy != 0) s.facing = s.dy < 0 ? kFaceN : kFaceS;
    return s;
}

StepHit ResolveStep(uint32_t player, int dx, int dy, int keyedDx, int keyedDy) {
    StepHit hit;
    if (IsFlag(kFlagOwnCellEvents)) {
        const RoleRecord& p = gRole[player];
        const uint32_t cell = CellAt(p.x / kCellPixels, p.y / kCellPixels);
        hit.event = CellInMap(p.x / kCellPixels, p.y / kCellPixels) ? int(cell & 0xFF) : 0;
        return hit;
    }
    int role = -1;
    int event = CheckStep(int(player), dx, dy, &role);
    if (event <= 0 && role < 0 && (keyedDx != dx || keyedDy != dy)) event = CheckStep(int(player), keyedDx, keyedDy, &role);
    hit.event = event > 0 ? event : 0;
    hit.role = role;
    return hit;
}

void EventTalkPosition(const RoleRecord& player, int32_t* x, int32_t* y) {
    const int f = player.act.dir >= 0 && player.act.dir < 8 ? player.act.dir : 0;
    *x = player.x - 16 * kEventOffsetX[f];
    *y = player.y - 16 * kEventOffsetY[f];
}

void UpdateWalkAct(RoleRecord* p, int facing, bool walking, bool quick) {
    if (facing >= 0 && facing != p->act.dir) {
        p->act.dir = facing;
        p->act.cursor = 0;
    }
    int32_t qq = kQqStand;
    if (walking) {
        const bool run = quick || gPlayerWalk.runToggle != 0;
        qq = run || p->act.qq == kQqRun ? kQqRun : kQqWalk;
    }
    if (qq == p->act.qq) return;
    p->act.qq = qq;
    p->act.cursor = 0;
    if (!walking) return;
    const uint32_t step = gPlayerWalk.fastMode ? 16 : gMapWalkStep * ((quick || gPlayerWalk.runToggle) ? 2 : 1);
    SetWalkStep(int(step));
}

int MapStoryFlag(int base, uint32_t map) {
    if (map < kMapFlagMaps) return base + int(map);
    if (std::find(gReportedMaps.begin(), gReportedMaps.end(), map) == gReportedMaps.end() && gReportedMaps.size() < 64) {
        gReportedMaps.push_back(map);
        ErrorBox("Act Err(KeyCole:MapFlag)", "Map(%u) has no flag %d + map", map, base);
    }
    return -1;
}

bool CountWalkingFrame(uint32_t map) {
    const int flag = MapStoryFlag(kFlagBaseNoFights, map);
    if (flag >= 0 && IsFlag(flag)) return false;
    ++gFightStep;
    return true;
}

void ResetPlayerWalk() {
    gPlayerWalk = PlayerWalk{};
    gMapWalkStep = 4;
    gFightStep = 0;
    gReportedMaps.clear();
}
