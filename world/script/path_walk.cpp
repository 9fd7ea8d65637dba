#include "world/script/path_walk.h"

#include <cmath>
#include <algorithm>
#include <cstdlib>

#include "base/errorbox.h"
#include "base/random.h"
#include "world/story_flags.h"
#include "world/map/draw_order.h"
#include "world/map/map.h"
#include "world/map/map_render.h"
#include "world/role/role_def.h"
#include "world/role/role_helpers.h"
#include "world/role/role_record.h"
#include "world/script/path_run.h"
#include "world/script/path_slot.h"
#include "world/walk/cell_ring.h"

namespace {

const char kSetposCaption[] = "\xB8\xF4\xAE|\xA8t\xB2\xCE(piSetpos)";
const char kTargetOutside[] =
    "\xB8\xF4\xAE|\xB2\xD7\xC2I\xB6W\xA5X\xBD" "d\xB3\xF2 >> P(%d) RId(%d) Start(%d/%d) Dest(%d/%d)";
const char kNoRoute[] = "\xB8\xF4\xAE|\xB5L\xAAk\xB2\xA3\xA5\xCD >> P(%d) GUID(%d) Start(%d/%d) Dest(%d/%d)";
const char kArrivalCaption[] = "\xB8\xF4\xAE|";
const char kNoSlot[] = "\xB8\xF4\xAE|\xA8S\xA6\xB3\xB3]\xA9w >> GUID(%d)\n ACT (%d)\nQQ (%d)\nPATH (%d)";
constexpr uint32_t kArrivalMask = 0x60000000;     // walls and roles that block
constexpr uint32_t kArrivalMaskLate = 0x40000000; // walls only, after the retries

int Footprint(uint32_t v) { return v ? int(v) : 1; }

int SlotIndex(const PathSlot* slot) { return int(slot - gPathSlots); }

// Moves a role to a pixel position with its cell marks and draw order.
void MoveRoleTo(RoleRecord* r, int32_t x, int32_t y) {
    SetRoleBlockFlags(r);
    r->x = x;
    r->y = y;
    r->cellIndex = RoleCellIndex(r);
    SetRoleBlockKind(r);
    RebucketRole(r);
}

// Tests the step at the slot's route position and starts it when free.
void StartStep(uint32_t role, PathSlot* slot) {
    RoleRecord& r = gRole[role];
    const uint8_t code = slot->route[(slot->position & kSlotPositionMask) % kRouteBytes];
    slot->position |= kSlotPaused;
    if (slot->retries < 255) ++slot->retries;
    slot->stepX = slot->stepY = 0;
    if (code > 7) return;
    const uint32_t mask = slot->retries > kRetriesBeforeIgnoringRoles ? kArrivalMaskLate : kArrivalMask;
    const uint8_t blocked =
        RingBlockMask(r.x / kCellPixels, r.y / kCellPixels, Footprint(r.act.width), Footprint(r.act.height), mask);
    if (blocked & kStepBlockBit[code]) return;
    slot->position &= kSlotPositionMask;
    slot->stepX = kStepPixelsX[code];
    slot->stepY = kStepPixelsY[code];
    slot->retries = 0;
}

} // namespace

bool piSetpos(uint32_t role, int cellX, int cellY) {
    PathSlot* slot = FreePathSlot();
    if (!slot) return false;
    RoleRecord& r = gRole[role];
    const int32_t tx = cellX * kCellPixels, ty = cellY * kCellPixels;
    if (!CellInMap(cellX, cellY)) {
        if (PathReportOnce(role))
            ErrorBox(kSetposCaption, kTargetOutside, SlotIndex(slot), int(role), r.x / kCellPixels, r.y / kCellPixels,
                     cellX, cellY);
        return false;
    }
    // A route starts on a cell: from between two cells it would never meet one.
    SnapRoleToCell(&r);
    AStarFinder finder;
    InitAStarFinder(&finder);
    if (r.flags & kRoleWalksThrough) SetAStarBlockMask(&finder, 0);
    if (!AStarFind(&finder, r.x, r.y, tx, ty, uint32_t(Footprint(r.act.width)), uint32_t(Footprint(r.act.height)),
                   slot->route, sizeof slot->route)) {
        if (PathReportOnce(role))
            ErrorBox(kSetposCaption, kNoRoute, SlotIndex(slot), r.guid, r.x / kCellPixels, r.y / kCellPixels, cellX,
                     cellY);
        MoveRoleTo(&r, tx, ty);
        return false;
    }
    slot->role = uint16_t(role);
    slot->position = 0;
    slot->targetX = uint16_t(tx);
    slot->targetY = uint16_t(ty);
    for (uint16_t& w : slot->arrivalAct) w = 0xFFFF;
    slot->stepX = slot->stepY = 0;
    slot->retries = 0;
    slot->mode = kSlotModeScript;
    return true;
}

ArrivalResult WaitArrival(uint32_t role) {
    PathSlot* slot = FindPathSlot(role);
    RoleRecord& r = gRole[role];
    if (!slot) {
        if (PathReportOnce(role)) ErrorBox(kArrivalCaption, kNoSlot, r.guid, r.act.act, r.act.qq, r.pathNumber);
        return kArrivalDone;
    }
    if ((slot->mode & 0x0F) == kSlotModeTalk) return kArrivalWait;
    if (r.talkLock == 1) {
        slot->position |= kSlotPaused;
        return kArrivalWait;
    }
    const uint16_t at = slot->position & kSlotPositionMask;
    if (at >= kRouteBytes || slot->route[at] == kRouteEnd) {
        ClearPathSlot(slot);
        return kArrivalDone;
    }
    StartStep(role, slot);
    return kArrivalStepping;
}

void rndwlk(uint32_t role) {
    const int r = Random(80);
    RoleRecord& rec = gRole[role];
    PathSlot* slot = FindPathSlot(role);
    if (slot && (slot->mode & 0x0F) == kSlotModeTalk) return;
    if (!slot) {
        slot = FreePathSlot();
        if (!slot) return;
        *slot = PathSlot{};
        slot->role = uint16_t(role);
        slot->mode = kSlotModeScript;
        slot->route[0] = kStepS;
        slot->route[1] = kRouteEnd;
    }
    slot->position &= kSlotPaused; // every random step is the route's first
    if (rec.talkLock == 1 || r > 60) {
        slot->position |= kSlotPaused;
        slot->stepX = slot->stepY = 0;
        rec.act.qq = 0;
        return;
    }
    rec.act.qq = 8;
    if (r < 8) slot->route[0] = uint8_t(r);
    slot->retries = 0;
    StartStep(role, slot);
}

namespace {

const char kCompanyCaption[] = "CompanyWalk";
const char kNotCompanion[] = "\xB9\xD9\xA6\xF1\xAC\xF6\xBF\xFD\xA4\xA4\xA7\xE4\xA4\xA3\xA8\xEC\xA8\xA4\xA6\xE2(%d)";
constexpr int kFlagCompanionsIgnoreWalls = 79;
constexpr uint32_t kCompanyMask = 0x40000000;
constexpr int32_t kOffScreenSide = 80, kOffScreenBelow = 160;

bool OffScreen(const RoleRecord& r) {
    return r.x < std::max(0, gCamera.left - kOffScreenSide) || r.x >= gCamera.right + kOffScreenSide ||
           r.y < std::max(0, gCamera.top - kOffScreenSide) || r.y >= gCamera.bottom + kOffScreenBelow;
}

// A new route to the follow point; false when there is none (or nothing to do).
bool PlanCompanyRoute(uint32_t role, uint32_t k, PathSlot* s) {
    RoleRecord& r = gRole[role];
    const int32_t tx = gFollowTrailX[k % kTrailLength], ty = gFollowTrailY[k % kTrailLength];
    if (tx == r.x && ty == r.y) return false;
    AStarFinder finder;
    InitAStarFinder(&finder);
    if (IsFlag(kFlagCompanionsIgnoreWalls)) SetAStarBlockMask(&finder, 0);
    *s = PathSlot{};
    if (!AStarFind(&finder, r.x, r.y, tx, ty, uint32_t(Footprint(r.act.width)), uint32_t(Footprint(r.act.height)),
                   s->route, sizeof s->route)) {
        *s = PathSlot{};
        return false;
    }
    s->role = uint16_t(role);
    s->mode = kSlotModeScript;
    for (uint16_t& w : s->arrivalAct) w = 0xFFFF;
    SetRoleBlockFlags(&r);
    // Off the screen it catches up at once, a cell a step along the route.
    uint16_t at = 0;
    while (OffScreen(r) && at + 1u < kRouteBytes && s->route[at] < 8) {
        r.x += kStepPixelsX[s->route[at]] * 4;
        r.y += kStepPixelsY[s->route[at]] * 4;
        ++at;
    }
    s->position = uint16_t(at | kSlotPaused);
    if (s->route[at] < 8) r.act.dir = kStepFacing[s->route[at]];
    r.cellIndex = RoleCellIndex(&r);
    SetRoleBlockKind(&r);
    RebucketRole(&r);
    return true;
}

} // namespace

void CompanyWalk(uint32_t role) {
    if (role >= kMaxRoles) return;
    RoleRecord& r = gRole[role];
    if (r.x % kCellPixels != 0 || r.y % kCellPixels != 0) return;
    uint32_t k = 1;
    while (k < gPartyCount && k < uint32_t(kPartyLineSlots) && gPartyLine[k] != role) ++k;
    if (k >= gPartyCount || k >= uint32_t(kPartyLineSlots)) {
        if (PathReportOnce(role)) ErrorBox(kCompanyCaption, kNotCompanion, int(r.guid));
        return;
    }
    PathSlot& s = gCompanyPaths[k];
    const bool idle = s.role != role;
    const bool stuck = (s.position & kSlotPaused) && s.retries == 0;
    const bool atEnd = s.route[(s.position & kSlotPositionMask) % kRouteBytes] == kRouteEnd;
    if ((idle || stuck || atEnd) && !PlanCompanyRoute(role, k, &s)) {
        r.act.qq = 0;
        if (gPlayerRole < kMaxRoles) r.act.dir = gRole[gPlayerRole].act.dir;
        return;
    }
    const uint8_t code = s.route[(s.position & kSlotPositionMask) % kRouteBytes];
    s.position |= kSlotPaused;
    s.stepX = s.stepY = 0;
    if (code > 7) {
        r.act.qq = 0;
        if (gPlayerRole < kMaxRoles) r.act.dir = gRole[gPlayerRole].act.dir;
        return;
    }
    const uint32_t mask = IsFlag(kFlagCompanionsIgnoreWalls) ? 0 : kCompanyMask;
    const uint8_t blocked =
        RingBlockMask(r.x / kCellPixels, r.y / kCellPixels, Footprint(r.act.width), Footprint(r.act.height), mask);
    if (blocked & kStepBlockBit[code]) {
        r.act.qq = 0;
        return;
    }
    s.position &= kSlotPositionMask;
    s.stepX = int16_t(kStepPixelsX[code] * 2);
    s.stepY = int16_t(kStepPixelsY[code] * 2);
    if (s.retries < 255) ++s.retries;
    r.act.qq = 8;
}

void StopPathMove(uint32_t role) {
    PathSlot* slot = FindPathSlot(role);
    if (!slot) return;
    if ((slot->mode & 0x0F) == kSlotModeTalk) {
        for (uint16_t& w : slot->talkWords) w = 0xFFFF;
        return;
    }
    SnapRoleToCell(&gRole[role]);
    RebucketRole(&gRole[role]);
    ClearPathSlot(slot);
}

void MarkFar(uint32_t role, uint32_t other) {
    const double dx = double(gRole[role].x) - gRole[other].x, dy = double(gRole[role].y) - gRole[other].y;
    if (std::sqrt(dx * dx + dy * dy) > kFarPixels) gRole[role].flags |= kRoleFar;
}

void FollowOffsetCell(uint32_t other, int16_t dx, int16_t dy, int* cellX, int* cellY) {
    const RoleRecord& g = gRole[other];
    int ox = dx, oy = dy;
    switch (g.act.dir) {
    case kFaceN: ox = dx; oy = -dy; break;
    case kFaceS: ox = -dx; oy = dy; break;
    case kFaceW: ox = -dy; oy = dx; break;
    case kFaceE: ox = dy; oy = -dx; break;
    case kFaceNW: ox = dy + dx; oy = dy - dx; break;
    case kFaceSE: ox = -(dy + dx); oy = dx - dy; break;
    case kFaceSW: ox = dy - dx; oy = -(dy + dx); break;
    case kFaceNE: ox = dx - dy; oy = dy + dx; break;
    default: break;
    }
    const int gx = g.x / kCellPixels, gy = g.y / kCellPixels;
    *cellX = gx + ox;
    *cellY = gy + oy;
    // Outside the map reads as wall, so the role's own cell is taken.
    if ((CellAt(*cellX, *cellY) | CellAt(*cellX + 1, *cellY)) & 0x40000000u) {
        *cellX = gx;
        *cellY = gy;
    }
}
