#include "world/walk/walk_cells.h"

#include "world/map/map.h"
#include "world/role/role_record.h"
#include "world/walk/cell_ring.h"

namespace {

struct Footprint {
    int c, r, w, h;
};

Footprint FootprintOf(const RoleRecord& role) {
    const int w = role.act.width ? int(role.act.width) : 1;
    const int h = role.act.height ? int(role.act.height) : 1;
    return {role.x / 16, role.y / 16, w, h};
}

bool Free(uint8_t mask, uint8_t bit) { return (mask & bit) == 0; }

// Offsets of the run across its axis and the bits they give.
constexpr int kRunOffsets[5] = {0, -1, -2, 1, 2};
constexpr uint16_t kRunBits[5] = {kRunAt0, kRunBack1, kRunBack2, kRunAhead1, kRunAhead2};

struct SlideRule {
    uint8_t keepBit;     // neighbour that must be free to keep the step
    uint8_t back1Bit;    // neighbours tested with the run one and two back
    int back1Dx, back1Dy;
    uint8_t ahead1Bit;
    int ahead1Dx, ahead1Dy;
    uint8_t back2Bit;
    int back2Dx, back2Dy;
    uint8_t ahead2Bit;
    int ahead2Dx, ahead2Dy;
};

// Straight steps: up, down, left, right.
constexpr SlideRule kSlideUp = {kBlockN, kBlockNW, -1, -1, kBlockNE, 1, -1, kBlockW, -1, 0, kBlockE, 1, 0};
constexpr SlideRule kSlideDown = {kBlockS, kBlockSW, -1, 1, kBlockSE, 1, 1, kBlockW, -1, 0, kBlockE, 1, 0};
constexpr SlideRule kSlideLeft = {kBlockW, kBlockNW, -1, -1, kBlockSW, -1, 1, kBlockN, 0, -1, kBlockS, 0, 1};
constexpr SlideRule kSlideRight = {kBlockE, kBlockNE, 1, -1, kBlockSE, 1, 1, kBlockN, 0, -1, kBlockS, 0, 1};

void Slide(const SlideRule& rule, uint16_t run, uint8_t m, int* dx, int* dy) {
    auto set = [&](int x, int y) {
        *dx = x;
        *dy = y;
    };
    if ((run & kRunAt0) && Free(m, rule.keepBit)) return;
    if ((run & kRunBack1) && Free(m, rule.back1Bit)) return set(rule.back1Dx, rule.back1Dy);
    if ((run & kRunAhead1) && Free(m, rule.ahead1Bit)) return set(rule.ahead1Dx, rule.ahead1Dy);
    if ((run & kRunBack2) && Free(m, rule.back2Bit)) return set(rule.back2Dx, rule.back2Dy);
    if ((run & kRunAhead2) && Free(m, rule.ahead2Bit)) return set(rule.ahead2Dx, rule.ahead2Dy);
    set(0, 0);
}

bool Covers(const RoleRecord& role, int column, int row) {
    const Footprint f = FootprintOf(role);
    return column >= f.c && column < f.c + f.w && row >= f.r && row < f.r + f.h;
}

int RoleAtCellWith(int column, int row, uint32_t flag) {
    for (uint32_t i = 1; i < TotalRole && i < kMaxRoles; ++i) {
        const RoleRecord& role = gRole[i];
        if (role.talkNumber == 0 || !(role.flags & kRoleActive) || (role.flags & kRoleDeleted)) continue;
        if ((role.flags & flag) != flag) continue;
        if (Covers(role, column, row)) return int(i);
    }
    return -1;
}

// Reach of the search ahead: 5 cells, less near the map's edges.
int Reach(int cell, uint32_t size) {
    int reach = 5;
    if (cell < 6) reach = cell;
    if (int64_t(size) - cell < 6) reach = int(int64_t(size) - cell);
    return reach;
}

} // namespace

uint16_t ScanEdge(int column, int row, int length, ScanAxis axis) {
    uint16_t result = 0;
    for (int i = 0; i < 5; ++i) {
        const int off = kRunOffsets[i];
        const uint32_t bits = axis == kScanAlongRow ? RowBits(column + off, column + off + length - 1, row, kWalkRunMask)
                                                    : ColumnBits(column, row + off, row + off + length - 1, kWalkRunMask);
        if (bits == 0) result |= kRunBits[i];
    }
    return result;
}

void SlideStep(const RoleRecord* role, int* dx, int* dy) {
    if (*dx == 0 && *dy == 0) return;
    const Footprint f = FootprintOf(*role);
    const uint8_t m = RingBlockMask(f.c, f.r, f.w, f.h, kWalkBlockMask);
    if (*dx == 0) {
        const int row = *dy < 0 ? f.r - 1 : f.r + f.h;
        Slide(*dy < 0 ? kSlideUp : kSlideDown, ScanEdge(f.c, row, f.w, kScanAlongRow), m, dx, dy);
        return;
    }
    if (*dy == 0) {
        const int column = *dx < 0 ? f.c - 1 : f.c + f.w;
        Slide(*dx < 0 ? kSlideLeft : kSlideRight, ScanEdge(column, f.r, f.h, kScanDownColumn), m, dx, dy);
        return;
    }
    const uint8_t diagonal = *dy < 0 ? (*dx < 0 ? kBlockNW : kBlockNE) : (*dx < 0 ? kBlockSW : kBlockSE);
    if (Free(m, diagonal)) return;
    if (Free(m, *dx < 0 ? kBlockW : kBlockE)) {
        *dy = 0;
        return;
    }
    if (Free(m, *dy < 0 ? kBlockN : kBlockS)) {
        *dx = 0;
        return;
    }
    *dx = *dy = 0;
}

int RoleAtCell(int column, int row) { return RoleAtCellWith(column, row, 0); }

int TouchRoleAtCell(int column, int row) { return RoleAtCellWith(column, row, kRoleTouchTalk); }

int RolesAtCell(int column, int row, int* out, int max) {
    int count = 0;
    for (uint32_t i = 0; i < TotalRole && i < kMaxRoles; ++i) {
        const RoleRecord& role = gRole[i];
        if (!(role.flags & kRoleActive) || (role.flags & kRoleDeleted) || !Covers(role, column, row)) continue;
        if (count < max && out) out[count] = int(i);
        ++count;
    }
    return count;
}

int FindRoleAhead(int index, int dx, int dy) {
    if (index < 0 || uint32_t(index) >= kMaxRoles) return -1;
    const Footprint f = FootprintOf(gRole[index]);
    const int H = Reach(f.c, gMap.width), V = Reach(f.r, gMap.height);
    int found = -1;
    auto at = [&](int column, int row) { return (found = RoleAtCell(column, row)) >= 0; };
    if (dx == 0 && dy < 0) {
        for (int k = 1; k <= V; ++k)
            for (int c = f.c - 1; c <= f.c + f.w; ++c)
                if (at(c, f.r - k)) return found;
    } else if (dx == 0 && dy > 0) {
        for (int k = 0; k < V; ++k)
            for (int c = f.c - 1; c <= f.c + f.w; ++c)
                if (at(c, f.r + f.h + k)) return found;
    } else if (dx < 0 && dy == 0) {
        for (int k = 1; k <= H; ++k)
            for (int r = f.r - 1; r <= f.r + f.h; ++r)
                if (at(f.c - k, r)) return found;
    } else if (dx > 0 && dy == 0) {
        for (int k = 0; k < H; ++k)
            for (int r = f.r - 1; r <= f.r + f.h; ++r)
                if (at(f.c + f.w + k, r)) return found;
    } else if (dx != 0 || dy != 0) {
        // Diagonals: rows outward, and in each row columns outward.
        const int rows = dy < 0 ? V : V - 1;
        const int columns = dx < 0 ? H : H - 1;
        for (int k = 1; k <= rows; ++k)
            for (int j = 1; j <= columns; ++j)
                if (at(f.c + dx * j, f.r + dy * k)) return found;
    }
    for (int r = f.r; r < f.r + f.h; ++r)
        for (int c = f.c; c < f.c + f.w; ++c)
            if (at(c, r)) return found;
    return -1;
}

int CheckStep(int index, int dx, int dy, int* touched) {
    *touched = -1;
    if ((dx == 0 && dy == 0) || index < 0 || uint32_t(index) >= kMaxRoles) return -1;
    const Footprint f = FootprintOf(gRole[index]);
    int result = -1;
    // Returns true when the cell ends the walk (an event or a touch role).
    auto check = [&](int column, int row) {
        if (!CellInMap(column, row)) return false;
        const uint32_t event = CellAt(column, row) & 0xFF;
        result = int(event);
        if (event != 0) return true;
        const int role = TouchRoleAtCell(column, row);
        if (role < 0) return false;
        *touched = role;
        return true;
    };
    // The row on the step's vertical side, reaching the corner for a diagonal.
    if (dy != 0) {
        const int row = dy < 0 ? f.r - 1 : f.r + f.h;
        const int c0 = dx < 0 ? f.c - 1 : f.c;
        const int c1 = dx > 0 ? f.c + f.w : f.c + f.w - 1;
        for (int c = c0; c <= c1; ++c)
            if (check(c, row)) return result;
    }
    // Then the column on its horizontal side.
    if (dx != 0) {
        const int column = dx < 0 ? f.c - 1 : f.c + f.w;
        for (int r = f.r; r < f.r + f.h; ++r)
            if (check(column, r)) return result;
    }
    return result;
}
