// The role operations of the talk machine: talk paths (isetpos, iMove),
// giving a path script its move back (unlock), holding a role, the map
// change and the batched act changes.
#include <cstdlib>

#include "base/errorbox.h"
#include "world/map/draw_order.h"
#include "world/map/map.h"
#include "world/map/map_load.h"
#include "world/map/map_render.h"
#include "world/role/role_helpers.h"
#include "world/script/path_slot.h"
#include "world/script/path_walk.h"
#include "world/script/talk_role.h"
#include "world/script/talk_role_common.h"
#include "world/script/talk_role_texts.h"
#include "world/story_flags.h"
#include "world/walk/astar.h"

using namespace talk_role;

namespace {

constexpr uint32_t kStepBlockMask = 0x40000000; // walls stop a talk step
constexpr int kFlagTalkWarnings = 2;            // story flag: report talk paths that fall back

int32_t SnapAxis(int32_t v, int32_t step) {
    if ((v & 15) == 0) return v;
    if (step > 0) return v & ~15;            // back to the cell the step left
    if (step < 0) return (v + 15) & ~15;
    return (v + 8) & ~15;                    // no step: the nearest cell
}

uint32_t Footprint(uint32_t v) { return v ? v : 1; }

int SlotNumber(const PathSlot* slot) { return int(slot - gPathSlots); }

// A route from the role's position to (x, y) into the slot; false when none.
bool FindRoute(RoleRecord& r, PathSlot* slot, int32_t x, int32_t y) {
    AStarFinder finder;
    InitAStarFinder(&finder);
    if (r.flags & kRoleWalksThrough) SetAStarBlockMask(&finder, 0);
    return AStarFind(&finder, r.x, r.y, x, y, Footprint(r.act.width), Footprint(r.act.height), slot->route,
                     sizeof slot->route);
}

// The slot's route ends where it is: the next iMove arrives.
void EndRoute(PathSlot* slot, uint16_t position) {
    const uint16_t at = position & kSlotPositionMask;
    if (at < kRouteBytes) slot->route[at] = kRouteEnd;
    slot->position = uint16_t(at | kSlotPaused);
    slot->stepX = slot->stepY = 0;
}

bool InsideWidenedCamera(const RoleRecord& r) {
    return r.x >= gCamera.left - 160 && r.x < gCamera.right + 160 && r.y >= gCamera.top - 80 &&
           r.y < gCamera.bottom + 160;
}

void SetActWords(RoleRecord& r, uint16_t act, uint16_t qq, uint16_t dir) {
    if (act != 0xFFFF) r.act.act = act;
    if (qq != 0xFFFF) r.act.qq = qq;
    if (dir != 0xFFFF) r.act.dir = dir;
}

// Arrival at the end of a talk path.
int Arrive(uint32_t role, PathSlot* slot) {
    RoleRecord& r = gRole[role];
    if (r.x != slot->targetX || r.y != slot->targetY) {
        ErrorBox(kCapImove, kTextNotArrived, int(r.guid), r.x, r.y, int(slot->targetX), int(slot->targetY));
        // Reported once: the goal becomes where the role stands.
        slot->targetX = uint16_t(r.x);
        slot->targetY = uint16_t(r.y);
    }
    r.act.waitOverride = 0;
    r.flags &= ~(kRoleFar | kRoleWalking);
    if (IsPlayer(role)) {
        StopPlayerInput();
        if (!(gViewFlags & kViewNoRecentre)) CenterView();
    }
    return 2;
}

} // namespace

void SnapTalkRole(RoleRecord* r, int32_t stepX, int32_t stepY) {
    if ((r->x & 15) == 0 && (r->y & 15) == 0) return;
    ClearCells(*r);
    r->x = SnapAxis(r->x, stepX);
    r->y = SnapAxis(r->y, stepY);
    MarkCells(*r);
    if (r->drawPlane >= 0) RebucketRole(r);
}

void isetpos(uint32_t role, int32_t x, int32_t y, uint32_t mode, uint16_t act, uint16_t qq, uint16_t dir) {
    if (role >= TotalRole || role >= kMaxRoles) return;
    RoleRecord& r = gRole[role];
    r.flags &= ~kRoleArrived;
    if (IsPlayer(role)) {
        SnapTalkRole(&r, gPlayerStep.dx + gPlayerStep.pushDx, gPlayerStep.dy + gPlayerStep.pushDy);
        StopPlayerInput();
    }
    PathSlot* slot = FindPathSlot(role);
    uint16_t saved[4] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    if (slot && (slot->mode & 0x0F) == kSlotModeScript) {
        // The script's move is kept to be given back by unlock.
        saved[0] = r.pathNumber;
        saved[1] = uint16_t(r.pathPc);
        saved[2] = slot->targetX;
        saved[3] = slot->targetY;
        SnapTalkRole(&r, slot->stepX, slot->stepY);
    } else if (slot) {
        for (int i = 0; i < 4; ++i) saved[i] = slot->talkWords[i];
        SnapTalkRole(&r, slot->stepX, slot->stepY);
    }
    if (!slot && (mode & 15) == 0) {
        slot = FreePathSlot();
        if (!slot) {
            if (IsFlag(kFlagTalkWarnings)) ErrorBox(kCapIsetposMode0, kTextNoFreeSlot, int(r.guid));
            PutRoleAt(r, x, y);
            SetActWords(r, act, qq, dir);
            return;
        }
    }
    if (!slot) {
        PutRoleAt(r, x, y);
        SetActWords(r, act, qq, dir);
        return;
    }
    *slot = PathSlot{};
    slot->role = uint16_t(role);
    for (int i = 0; i < 4; ++i) slot->talkWords[i] = saved[i];
    slot->arrivalAct[0] = act;
    slot->arrivalAct[1] = qq;
    slot->arrivalAct[2] = dir;
    slot->mode = uint8_t(kSlotModeTalk | ((mode & 0x8000) ? 0 : 0x80));
    const bool inMap = x >= 0 && y >= 0 && int64_t(x) < int64_t(gMap.width) * kCellPixels &&
                       int64_t(y) < int64_t(gMap.height) * kCellPixels;
    if (!inMap) {
        // Nowhere to go: the move ends where the role stands.
        slot->targetX = uint16_t(r.x);
        slot->targetY = uint16_t(r.y);
        EndRoute(slot, 0);
        SetActWords(r, act, qq, dir);
        return;
    }
    slot->targetX = uint16_t(x);
    slot->targetY = uint16_t(y);
    EndRoute(slot, 0);
    if ((mode & 15) != 0) {
        PutRoleAt(r, x, y);
    } else if (!FindRoute(r, slot, x, y)) {
        ErrorBox(kCapIsetpos, kTextNoPath, SlotNumber(slot), int(r.guid), r.x / kCellPixels, r.y / kCellPixels,
                 x / kCellPixels, y / kCellPixels);
        EndRoute(slot, 0);
        PutRoleAt(r, x, y);
    } else {
        // Steps far outside the view are taken at once: the role appears at
        // the first step inside it.
        ClearCells(r);
        uint16_t at = 0;
        while (at < kRouteBytes && slot->route[at] != kRouteEnd && !InsideWidenedCamera(r)) {
            const uint8_t code = slot->route[at];
            if (code > 7) break;
            r.x += kStepPixelsX[code] * 4;
            r.y += kStepPixelsY[code] * 4;
            ++at;
        }
        slot->position = uint16_t(at | kSlotPaused);
        MarkCells(r);
        if (r.drawPlane >= 0) RebucketRole(&r);
        if (at < kRouteBytes && slot->route[at] < 8) r.act.dir = kStepFacing[slot->route[at]];
    }
    SetActWords(r, act, qq, dir);
}

int iMove(uint32_t role) {
    if (role >= TotalRole || role >= kMaxRoles) return 0;
    PathSlot* slot = SlotInState(role, kSlotModeTalk);
    if (!slot) return 0;
    RoleRecord& r = gRole[role];
    // A step in progress: the mover hands the turn back at the next cell.
    if (!(slot->position & kSlotPaused) && (slot->stepX != 0 || slot->stepY != 0)) return 1;
    const uint16_t at = slot->position & kSlotPositionMask;
    const uint8_t code = at < kRouteBytes ? slot->route[at] : uint8_t(kRouteEnd);
    if (code > 7) return Arrive(role, slot);
    if (!(r.flags & kRoleWalksThrough)) {
        const uint8_t blocked = GetBlockedNeighbours(r.x >> 4, r.y >> 4, r.act.width, r.act.height, kStepBlockMask);
        if (blocked & kStepBlockBit[code]) {
            slot->stepX = slot->stepY = 0;
            if (slot->retries < 255) ++slot->retries;
            if (slot->retries < kTalkStepRetries) return 1;
            // The way stays shut: the role is put on its goal.
            PutRoleAt(r, slot->targetX, slot->targetY);
            EndRoute(slot, at);
            return Arrive(role, slot);
        }
    }
    slot->retries = 0;
    slot->stepX = kStepPixelsX[code];
    slot->stepY = kStepPixelsY[code];
    slot->position = at;
    r.flags |= kRoleWalking;
    return 1;
}

int unlock(uint32_t role) {
    if (role >= TotalRole || role >= kMaxRoles) return 0;
    RoleRecord& r = gRole[role];
    if (!(r.flags & kRoleHeld)) return 1;
    PathSlot* slot = nullptr;
    for (PathSlot& s : gPathSlots)
        if (s.role == role && (s.mode & 0x0F) > 1) {
            slot = &s;
            break;
        }
    if (!slot) return 0;
    if (slot->talkWords[2] != 0xFFFF && slot->talkWords[3] != 0xFFFF) {
        r.pathNumber = slot->talkWords[0];
        r.pathPc = slot->talkWords[1];
        const int32_t gx = slot->talkWords[2], gy = slot->talkWords[3];
        SnapTalkRole(&r, slot->stepX, slot->stepY);
        *slot = PathSlot{};
        slot->role = uint16_t(role);
        slot->targetX = uint16_t(gx);
        slot->targetY = uint16_t(gy);
        for (uint16_t& w : slot->talkWords) w = 0xFFFF;
        for (uint16_t& w : slot->arrivalAct) w = 0xFFFF;
        slot->mode = kSlotModeScript;
        if (!FindRoute(r, slot, gx, gy)) {
            ErrorBox(kCapUnlock, kTextNoRestore, int(role), r.x / kCellPixels, r.y / kCellPixels, gx / kCellPixels,
                     gy / kCellPixels);
            slot->route[0] = kRouteEnd;
        }
        slot->position = 0;
        return 1;
    }
    if ((slot->mode & 0x0F) != kSlotModeScript) ClearPathSlot(slot);
    return 1;
}

void HoldRole(uint32_t role) {
    if (role >= TotalRole || role >= kMaxRoles) return;
    RoleRecord& r = gRole[role];
    PathSlot* slot = FindPathSlot(role);
    if (IsPlayer(role)) {
        SnapTalkRole(&r, gPlayerStep.dx + gPlayerStep.pushDx, gPlayerStep.dy + gPlayerStep.pushDy);
        gPlayerStep = {};
    } else {
        SnapTalkRole(&r, slot ? slot->stepX : 0, slot ? slot->stepY : 0);
    }
    if (slot && (slot->mode & 0x0F) == kSlotModeScript) {
        // Frozen where it stands: the script resumes the step from this cell.
        slot->position |= kSlotPaused;
        slot->stepX = slot->stepY = 0;
    }
    r.flags |= kRoleHeld;
}

int GoToMap(uint16_t map, uint16_t cx, uint16_t cy, uint16_t act, uint16_t qq, uint16_t dir, uint32_t mode) {
    StopPlayerInput();
    gViewFlags |= kViewMapChange;
    if (const RoleRecord* p = Player()) {
        if (cx == 0xFFFF) cx = uint16_t(p->x / kCellPixels);
        if (cy == 0xFFFF) cy = uint16_t(p->y / kCellPixels);
        if (act == 0xFFFF) act = uint16_t(p->act.act);
        if (qq == 0xFFFF) qq = uint16_t(p->act.qq);
        if (dir == 0xFFFF) dir = uint16_t(p->act.dir);
    }
    LoadCity(map, cx, cy, act, qq, dir, mode);
    gViewFlags &= ~kViewMapChange;
    return 1;
}

bool IsBatchedActChange(uint32_t next, uint32_t role) {
    const uint8_t* w = gTalkMachine.window;
    if (next + 4 > kTalkWindowBytes) return false;
    const uint16_t op = uint16_t((w[next] | w[next + 1] << 8) & kTalkOpMask);
    if (op != 0x0A && op != 0x0B && op != 0x2D) return false;
    uint32_t other = 0;
    return OnMap(uint16_t(w[next + 2] | w[next + 3] << 8), &other) && other == role;
}
