#include "world/role/role_helpers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/plat_system.h"
#include "world/map/draw_order.h"
#include "world/map/map.h"
#include "world/role/role_record.h"


const int16_t kSineTable[90] = {0, 142, 285, 428, 571, 713, 856, 998, 1140, 1281, 1422, 1563, 1703, 1842, 1981, 2120, 2258, 2395, 2531, 2667, 2801, 2935, 3068, 3200, 3331, 3462, 3591, 3719, 3845, 3971, 4096, 4219, 4341, 4461, 4580, 4698, 4815, 4930, 5043, 5155, 5265, 5374, 5481, 5586, 5690, 5792, 5892, 5991, 6087, 6182, 6275, 6366, 6455, 6542, 6627, 6710, 6791, 6870, 6947, 7021, 7094, 7164, 7233, 7299, 7362, 7424, 7483, 7540, 7595, 7647, 7697, 7745, 7791, 7834, 7874, 7912, 7948, 7982, 8012, 8041, 8067, 8091, 8112, 8130, 8147, 8160, 8172, 8180, 8187, 8190};
const int8_t kFacingDx[8] = {0, 0, -1, 1, -1, 1, -1, 1};
const int8_t kFacingDy[8] = {-1, 1, 0, 0, -1, 1, 1, -1};

namespace {

bool gIllegalRoleShown = false;

constexpr int8_t kAngleFacing[17] = {3, 7, 7, 0, 0, 4, 4, 2, 2, 6, 6, 1, 1, 5, 5, 3, 0};

uint32_t CellMarks(const RoleRecord* role) {
    uint32_t marks = kCellRoleHere;
    if (role->flags & kRoleMarkBit29) marks |= kCellRoleMark29;
    if (role->flags & kRoleMarkBit23) marks |= kCellRoleMark23;
    if (role->guid == gMapScriptGuid) marks |= kCellScriptGuid;
    return marks;
}

// Calls fn on every in-map cell of the role's footprint (width and height
// from its act record, at least one cell each).
template <typename Fn>
void ForEachFootprintCell(const RoleRecord* role, Fn fn) {
    int cx = role->x >> 4, cy = role->y >> 4;
    int w = role->act.width ? int(role->act.width) : 1;
    int h = role->act.height ? int(role->act.height) : 1;
    for (int row = cy; row < cy + h; ++row) {
        for (int col = cx; col < cx + w; ++col) {
            if (uint32_t* cell = CellPtr(col, row)) fn(*cell);
        }
    }
}

} // namespace

uint32_t RoleIndexByGuid(uint16_t guid) {
    uint32_t count = TotalRole < kMaxRoles ? TotalRole : kMaxRoles;
    for (uint32_t i = 0; i < count; ++i) {
        if (gRole[i].guid == guid && !(gRole[i].flags & kRoleDeleted)) return i;
    }
    return 0xFFFFFFFFu;
}

bool FindRole(uint16_t guid, uint32_t* index) {
    *index = RoleIndexByGuid(guid);
    return *index != 0xFFFFFFFFu;
}

bool ResolveRole(uint16_t guid, uint32_t* index) {
    *index = 0;
    if (guid == kGuidPlayer) {
        *index = gPlayerRole;
        return true;
    }
    return FindRole(guid, index);
}

uint16_t GuidOfRole(uint32_t index) {
    uint16_t guid = index < kMaxRoles ? gRole[index].guid : kGuidNone;
    if (index >= TotalRole && !gIllegalRoleShown) {
        gIllegalRoleShown = true;
        char text[16];
        std::snprintf(text, sizeof text, "%d", int(guid));
        PlatMessageBox(text, "Illegal Role id", kMsgButtonsOk);
    }
    return guid;
}

void SetRoleBlockKind(const RoleRecord* role) {
    uint32_t marks = CellMarks(role);
    ForEachFootprintCell(role, [marks](uint32_t& cell) { cell |= marks; });
}

void SetRoleBlockFlags(const RoleRecord* role) {
    uint32_t clear = kCellRoleHere | kCellRoleMark29 | kCellRoleMark23;
    if (role->guid == gMapScriptGuid) clear |= kCellScriptGuid;
    ForEachFootprintCell(role, [clear](uint32_t& cell) { cell &= ~clear; });
}

int32_t RoleCellIndex(const RoleRecord* role) {
    int cx = role->x >> 4, cy = role->y >> 4;
    return CellInMap(cx, cy) ? int32_t(uint32_t(cy) * gMap.width + uint32_t(cx)) : -1;
}

void SnapRoleToCell(RoleRecord* role) {
    auto snap = [](int32_t v) { return int32_t((int64_t(v) + kCellPixels / 2) & ~int64_t(kCellPixels - 1)); };
    if (role->x % kCellPixels == 0 && role->y % kCellPixels == 0) return;
    SetRoleBlockFlags(role);
    role->x = snap(role->x);
    role->y = snap(role->y);
    role->cellIndex = RoleCellIndex(role);
    if (role->flags & kRoleActive) SetRoleBlockKind(role);
    RebucketRole(role);  // only when it is in the draw order
}

uint8_t GetBlockedNeighbours(int cx, int cy, uint32_t width, uint32_t height, uint32_t mask) {
    int w = int(width ? width : 1), h = int(height ? height : 1);
    auto blocked = [mask](int x, int y) { return (CellAt(x, y) & mask) != 0; };
    auto anyRow = [&](int y, int from, int to) {
        for (int x = from; x <= to; ++x)
            if (blocked(x, y)) return true;
        return false;
    };
    auto anyCol = [&](int x, int from, int to) {
        for (int y = from; y <= to; ++y)
            if (blocked(x, y)) return true;
        return false;
    };
    int left = cx - 1, right = cx + w, top = cy - 1, bottom = cy + h;
    uint8_t out = 0;
    // Diagonals: the row beyond shifted one column out, or the column beyond
    // shifted one row out.
    if (anyRow(top, left, cx + w - 2) || anyCol(left, top, cy + h - 2)) out |= 1;     // NW
    if (anyRow(top, cx, cx + w - 1)) out |= 2;                                        // N
    if (anyRow(top, cx + 1, right) || anyCol(right, top, cy + h - 2)) out |= 4;       // NE
    if (anyCol(right, cy, cy + h - 1)) out |= 8;                                      // E
    if (anyRow(bottom, cx + 1, right) || anyCol(right, cy + 1, bottom)) out |= 16;    // SE
    if (anyRow(bottom, cx, cx + w - 1)) out |= 32;                                    // S
    if (anyRow(bottom, left, cx + w - 2) || anyCol(left, cy + 1, bottom)) out |= 64;  // SW
    if (anyCol(left, cy, cy + h - 1)) out |= 128;                                     // W
    return out;
}

int32_t GetDistanceAngle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t* distance) {
    int64_t dx = int64_t(x1) - x2, dy = int64_t(y1) - y2;
    int64_t d = int64_t(std::sqrt(double(dx) * double(dx) + double(dy) * double(dy)));
    if (distance) *distance = int32_t(d > INT32_MAX ? INT32_MAX : d);
    if (d == 0) return 0;
    int64_t r = std::llabs((dy * 8192) / d);
    int base = 0;
    bool rising = true;  // entries 0, 5, .. 85 (else 89, 84, .. 4)
    if (dy < 0 && dx >= 0) base = 0;
    else if (dy < 0) base = 90, rising = false;
    else if (dx < 0) base = 180;
    else base = 270, rising = false;
    int64_t best = 9000;
    int32_t angle = 0;
    for (int j = 0; j < 18; ++j) {
        int entry = rising ? 5 * j : 89 - 5 * j;
        int64_t diff = std::llabs(r - kSineTable[entry]);
        if (diff <= best) {
            best = diff;
            angle = base + 5 * j;
        }
    }
    return angle;
}

int32_t AngleToDirection(uint32_t angle) {
    if (angle > 360) angle %= 360;
    return kAngleFacing[angle * 16 / 360];
}

void ResetRoleHelpers() {
    gMapScriptGuid = 0;
    gIllegalRoleShown = false;
}
