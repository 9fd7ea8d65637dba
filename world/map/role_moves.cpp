#include "world/map/role_moves.h"

#include <algorithm>

#include "draw/act_pack.h"
#include "world/map/draw_order.h"
#include "world/map/map.h"
#include "world/map/map_render.h"
#include "world/role/role_def.h"
#include "world/role/role_helpers.h"
#include "world/role/role_record.h"
#include "world/script/path_slot.h"
#include "world/story_flags.h"
#include "world/talk_state.h"
#include "world/walk/key_state.h"
#include "world/script/talk_machine.h"
#include "world/walk/map_events.h"

namespace {

constexpr uint32_t kArrivalKeep = 0xBBFFFFFFu;
constexpr uint32_t kRoleArrivedMark = 0x2000000u;
constexpr uint32_t kRoleWalksThroughMark = 0x40000u;
constexpr uint32_t kRoleTalkMarks = 0x800u;
constexpr uint8_t kSlotKeepsLock = 0x80;
constexpr uint16_t kPlayerGuid = 1;
constexpr int kMaxStep = kCellPixels;

bool OnCell(const RoleRecord& r) { return r.x % kCellPixels == 0 && r.y % kCellPixels == 0; }

uint8_t SlotCode(const PathSlot& s) { return s.route[(s.position & kSlotPositionMask) % kRouteBytes]; }

// The part of a slot's step that every kind of move shares: facing, the
// pixels, and at a cell the bucket, the marks, the route position and the
// cell's attributes. True when the role reached a cell.
bool AdvanceAlongSlot(RoleRecord& r, PathSlot& s, int32_t dx, int32_t dy) {
    const uint8_t code = SlotCode(s);
    if (code < 8) r.act.dir = kStepFacing[code];
    r.x += dx;
    r.y += dy;
    if (!OnCell(r)) return false;
    RebucketRole(&r);
    int cdx = 0, cdy = 0;
    if (RouteCodeOffset(code, &cdx, &cdy)) MoveRoleMarks(&r, cdx, cdy);
    s.position = uint16_t(((s.position & kSlotPositionMask) + 1) | kSlotPaused);
    TakeCellAttributes(&r);
    return true;
}

void Arrive(RoleRecord& r, const PathSlot& s) {
    r.flags = (r.flags & kArrivalKeep) | kRoleArrivedMark;
    if (s.arrivalAct[0] != 0xFFFF) r.act.act = s.arrivalAct[0];
    if (s.arrivalAct[1] != 0xFFFF) r.act.qq = s.arrivalAct[1];
    if (s.arrivalAct[2] != 0xFFFF) r.act.dir = s.arrivalAct[2];
    if (!(s.mode & kSlotKeepsLock)) {
        r.talkLock = 0;
        r.act.hold = 0;
        r.flags &= ~kRoleHeld;
    }
    if (r.guid == kPlayerGuid) {
        gPlayerStep = PlayerStep{};
        ClearKeyStates();
        if (!(gViewFlags & kViewNoRecentre)) CenterView();
    }
    r.flags &= ~kRoleWalksThroughMark;
}

int Cells(uint32_t v) { return v ? int(v) : 1; }

// The role's footprint, widened by one cell all round, covers a cell of the
// player's footprint.
bool TouchesPlayer(const RoleRecord& r) {
    if (gPlayerRole >= TotalRole || gPlayerRole >= kMaxRoles || &r == &gRole[gPlayerRole]) return false;
    const RoleRecord& p = gRole[gPlayerRole];
    const int rx = r.x / kCellPixels, ry = r.y / kCellPixels, px = p.x / kCellPixels, py = p.y / kCellPixels;
    return px <= rx + Cells(r.act.width) && px + Cells(p.act.width) >= rx && py <= ry + Cells(r.act.height) &&
           py + Cells(p.act.height) >= ry;
}

bool SlotMoves(const PathSlot& s) { return s.role != kSlotFree && s.position < kSlotPositionMask; }

} // namespace

void RequestPlayerMove(int dx, int dy) {
    if (gPlayerRole >= TotalRole || gPlayerRole >= kMaxRoles) return;
    const RoleRecord& p = gRole[gPlayerRole];
    const Camera& c = gCamera;
    const int32_t mapW = int32_t(gMap.width) * kCellPixels, mapH = int32_t(gMap.height) * kCellPixels;
    const bool scrollLeft = p.x - c.left < 305 && c.left > 0, scrollRight = c.right < mapW && p.x - c.left >= 304;
    const bool scrollUp = p.y - c.top <= 240 && c.top > 0, scrollDown = c.bottom < mapH && p.y - c.top >= 240;
    const bool mayLeft = p.x > 0, mayRight = p.x - c.left < 600, mayUp = p.y != 0, mayDown = p.y - c.top < 450;
    PlayerStep& s = gPlayerStep;
    if (dx > 0) (scrollRight ? s.dx : s.pushDx) = (scrollRight || mayRight) ? 1 : 0;
    if (dx < 0) (scrollLeft ? s.dx : s.pushDx) = (scrollLeft || mayLeft) ? -1 : 0;
    if (dy > 0) (scrollDown ? s.dy : s.pushDy) = (scrollDown || mayDown) ? 1 : 0;
    if (dy < 0) (scrollUp ? s.dy : s.pushDy) = (scrollUp || mayUp) ? -1 : 0;
    // A step that does not divide the cell would pass it without stopping.
    s.step = std::clamp(gWalkStep, 1, kMaxStep);
    while (kCellPixels % s.step != 0) --s.step;
}

bool PlayerMovesPending() {
    const PlayerStep& s = gPlayerStep;
    return s.dx != 0 || s.dy != 0 || s.pushDx != 0 || s.pushDy != 0;
}

void MoveRoleMarks(RoleRecord* role, int dx, int dy) {
    RoleRecord before = *role;
    before.x -= dx * kCellPixels;
    before.y -= dy * kCellPixels;
    SetRoleBlockFlags(&before);
    role->cellIndex = RoleCellIndex(role);
    if ((role->flags & kRoleActive) && !(role->flags & kRoleHidden)) SetRoleBlockKind(role);
}

void TakeCellAttributes(RoleRecord* role) {
    if (!(role->flags & kRoleLit)) return;
    const int cx = role->x / kCellPixels, cy = role->y / kCellPixels;
    if (!CellInMap(cx, cy)) return;
    const uint32_t cell = CellAt(cx, cy);
    role->flags &= 0xDF0FFFFFu;
    if (cell & 0x800) role->flags |= kRoleCellBit11;
    role->flags |= ((cell >> 12) & 15) << 20;
}

void StepPathMoves() {
    for (PathSlot& s : gPathSlots) {
        if (!SlotMoves(s) || s.role >= TotalRole || s.role >= kMaxRoles) continue;
        RoleRecord& r = gRole[s.role];
        if (!(r.flags & kRoleActive)) continue;
        if ((s.mode & 0x0F) == kSlotModeScript && TalkRunsNow() && r.guid == gTalkContext.guid) continue;
        if ((r.flags & kRoleTalkMarks) && r.talkLock == 1) continue;
        if (r.act.hold == 0) {
            int32_t dx = s.stepX, dy = s.stepY;
            if (r.act.markSM == 0) dx *= 2, dy *= 2;
            if (r.flags & kRoleFar) dx *= 2, dy *= 2;
            if (AdvanceAlongSlot(r, s, dx, dy)) {
                if (r.x == s.targetX && r.y == s.targetY) Arrive(r, s);
                // A role that talks when touched starts its talk beside the player.
                if (!TalkRunsNow() && (r.flags & kRoleTouchTalk) && TouchesPlayer(r)) StartRoleTalk(s.role);
            }
        }
        if (r.act.act != 0 && TakeActData(&r.act) == 0) ReportRoleActOnce("Act Err(picPaint:PathMove)", r);
        if (s.role == gPlayerRole && !(gViewFlags & kViewNoRecentre)) CenterView();
    }
}

void StepPartyMoves() {
    for (uint32_t k = 1; k < gPartyCount && k < uint32_t(kPartyLineSlots); ++k) {
        const uint32_t index = gPartyLine[k];
        if (index >= TotalRole || index >= kMaxRoles) continue;
        RoleRecord& r = gRole[index];
        PathSlot& s = gCompanyPaths[k];
        if (SlotMoves(s) && r.act.hold == 0) AdvanceAlongSlot(r, s, s.stepX, s.stepY);
        if (r.act.act != 0 && TakeActData(&r.act) == 0) ReportRoleActOnce("Act Err(picPaint:CompanyMove)", r);
    }
}
