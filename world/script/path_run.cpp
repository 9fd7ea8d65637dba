#include "world/script/path_run.h"

#include <bitset>
#include <cmath>
#include <cstring>
#include <string>

#include "base/errorbox.h"
#include "base/file.h"
#include "base/game_state.h"
#include "base/memory.h"
#include "draw/act_pack.h"
#include "media/sound_bank.h"
#include "world/map/draw_order.h"
#include "world/map/map.h"
#include "world/role/role_helpers.h"
#include "world/role/role_record.h"
#include "world/script/path_ops.h"
#include "world/script/path_slot.h"
#include "world/script/path_walk.h"
#include "world/story_flags.h"

uint32_t gClockMark = 0;

namespace {

const char kPathCaption[] = "\xB8\xF4\xAE|\xA8t\xB2\xCE";                 // path system
const char kBadOpcode[] = "\xB5L\xAE\xC4\xAA\xBA\xAB\xFC\xA5O\nGUID(%d)-(%d)"; // invalid instruction
const char kNotOnMap[] = "\xA8\xA4\xA6\xE2\xA4\xA3\xA6" "b\xA6" "a\xB9\xCF\xA4W GUID[%d]"; // role not on the map
const char kActFailure[] = "\xB3]\xA9w\xBF\xF9\xBB~ GUID[%d]\nact[%d] qq[%d] dir[%d]";
constexpr uint32_t kMaxTextKind = 10;

struct PathState {
    std::vector<uint8_t> bytes;
    PathData data;
    std::bitset<kMaxRoles> reported; // roles whose script fault or animation failure was shown
};
PathState gPath;

bool FirstReport(uint32_t role) { return PathReportOnce(role); }

void EndScript(RoleRecord& r) {
    r.pathNumber = 0;
    r.pathPc = 0;
}

// Ends the script with one report.
void Fault(uint32_t role, const char* format, int a, int b) {
    if (FirstReport(role)) ErrorBox(kPathCaption, format, a, b);
    EndScript(gRole[role]);
}

void StepAct(uint32_t role, const char* caption) {
    RoleRecord& r = gRole[role];
    if (TakeActData(&r.act) == 0 && FirstReport(role))
        ErrorBox(caption, kActFailure, r.guid, r.act.act, r.act.qq, r.act.dir);
}

void FreeRoleText(RoleRecord& r) {
    FreeMem(r.text);
    r.text = nullptr;
}

// What an instruction does with the frame.
enum class Flow { kNext, kYield, kJumped, kStop };

bool VarIndex(uint32_t role, uint16_t var) {
    if (var < uint32_t(kTalkVarCount)) return true;
    Fault(role, "Path: talk variable %d is outside the table (GUID %d)", var, gRole[role].guid);
    return false;
}

Flow Jump(uint32_t role, uint32_t target) {
    if (PathJump(role, target)) return Flow::kJumped;
    Fault(role, "Path: jump target %d outside the path (GUID %d)", int(target), gRole[role].guid);
    return Flow::kStop;
}

// Clock frames since the mark, across the wrap from 1000 to 0.
uint32_t ClockSinceMark() {
    return (gStoryClock + (kStoryClockTop + 1) - gClockMark % (kStoryClockTop + 1)) % (kStoryClockTop + 1);
}

bool Resolve(uint16_t guid, uint32_t* index) {
    *index = 0;
    return ResolveRole(guid, index) && *index < TotalRole && *index < kMaxRoles;
}

bool OnCell(const RoleRecord& r) { return r.x % kCellPixels == 0 && r.y % kCellPixels == 0; }

// Instructions 33 and 36: a walk toward another role once it stands on a cell.
Flow Follow(uint32_t role, const PathInstr& in) {
    RoleRecord& r = gRole[role];
    uint32_t g = 0;
    if (!Resolve(in.operand[0], &g)) {
        if (FirstReport(role)) ErrorBox("Path(Follow)", kNotOnMap, in.operand[0]);
        r.pathPc += in.words;
        return Flow::kStop;
    }
    if (!OnCell(gRole[g])) return Flow::kStop;
    int cx = gRole[g].x / kCellPixels, cy = gRole[g].y / kCellPixels;
    if (in.op == kOpFollowOffset) FollowOffsetCell(g, int16_t(in.operand[1]), int16_t(in.operand[2]), &cx, &cy);
    piSetpos(role, cx, cy);
    MarkFar(role, g);
    return Flow::kNext;
}

Flow Run(uint32_t role, const PathInstr& in) {
    RoleRecord& r = gRole[role];
    const uint16_t* o = in.operand;
    switch (in.op) {
    case kOpRestart:
        r.pathPc = 0;
        return Flow::kStop;
    case kOpEnd:
        EndScript(r);
        return Flow::kStop;
    case kOpSetQq:
        r.act.qq = int32_t(o[0]);
        StepAct(role, "Act Err(Path:ChangQQ)");
        return Flow::kYield;
    case kOpSetDir:
        r.act.dir = int32_t(o[0]);
        StepAct(role, "Act Err(Path:chang_dir)");
        return Flow::kYield;
    case kOpSetWait:
        r.pathWait = o[0];
        return Flow::kNext;
    case kOpWait:
    case kOpWaitAnimate:
        if (in.op == kOpWaitAnimate) StepAct(role, "Act Err(Path:Active)");
        if (r.pathWait > 0) {
            --r.pathWait;
            return Flow::kStop;
        }
        r.pathPc += in.words;
        return Flow::kStop;
    case kOpWaitClock: {
        // The clock never passes its top: a later time would wait for ever.
        const uint32_t t = o[0] > kStoryClockTop ? kStoryClockTop : o[0];
        if (gStoryClock >= t) return Flow::kNext;
        if (r.flags & kRoleAnimated) StepAct(role, "Act Err(Path:WTime)");
        return Flow::kStop;
    }
    case kOpIfClock:
        return (gStoryClock & 0xFFFF) >= o[0] ? Jump(role, in.target) : Flow::kNext;
    case kOpSetClock:
        gStoryClock = o[0] > kStoryClockTop ? 0 : o[0];
        return Flow::kNext;
    case kOpJump:
        return Jump(role, in.target);
    case kOpIfFlag:
        return IsFlag(o[0]) ? Jump(role, in.target) : Flow::kNext;
    case kOpIfNotFlag:
        return IsFlag(o[0]) ? Flow::kNext : Jump(role, in.target);
    case kOpIfAllFlags:
    case kOpIfAnyFlag: {
        uint32_t set = 0;
        for (uint32_t i = 0; i < in.listCount; ++i) set += IsFlag(PathListFlag(gPath.data, in, i)) ? 1 : 0;
        const bool jump = in.op == kOpIfAllFlags ? set == in.listCount : set > 0;
        return jump ? Jump(role, in.target) : Flow::kNext;
    }
    case kOpSetFlag:
        SetFlag(o[0]);
        return Flow::kNext;
    case kOpClearFlag:
        ClearFlag(o[0]);
        return Flow::kNext;
    case kOpSetVar:
    case kOpAddVar:
    case kOpSubVar:
    case kOpIfVarAtLeast:
    case kOpIfVarAtMost: {
        if (!VarIndex(role, o[0])) return Flow::kStop;
        uint32_t& v = gTalkVar[o[0]];
        switch (in.op) {
        case kOpSetVar: v = o[1]; break;
        case kOpAddVar: v = v + o[1] > kStoryClockTop ? (v > kStoryClockTop ? v : kStoryClockTop) : v + o[1]; break;
        case kOpSubVar: v = v > o[1] ? v - o[1] : 0; break;
        case kOpIfVarAtLeast: return v >= o[1] ? Jump(role, in.target) : Flow::kNext;
        default: return v <= o[1] ? Jump(role, in.target) : Flow::kNext;
        }
        return Flow::kNext;
    }
    case kOpIfClockSince:
        return ClockSinceMark() > o[0] ? Jump(role, in.target) : Flow::kNext;
    case kOpMarkClock:
        gClockMark = gStoryClock;
        return Flow::kNext;
    case kOpRestartRole: {
        uint32_t g = 0;
        if (!Resolve(o[0], &g)) return Flow::kNext;
        // The player runs no script: its path would be the player's GUID.
        StopPathMove(g);
        if (o[0] == kGuidPlayer || g == gPlayerRole) return Flow::kNext;
        gRole[g].pathNumber = o[0];
        gRole[g].pathPc = 0;
        return g == role ? Flow::kJumped : Flow::kNext;
    }
    case kOpHide:
    case kOpShow: {
        uint32_t g = 0;
        if (!Resolve(o[0], &g)) return Flow::kNext;
        if (in.op == kOpHide) {
            gRole[g].flags &= ~kRoleShown;
            SetRoleBlockFlags(&gRole[g]);
        } else {
            gRole[g].flags |= kRoleShown;
        }
        return Flow::kNext;
    }
    case kOpPlace:
        if (!CellInMap(int(o[0]), int(o[1]))) {
            Fault(role, "Path: cell (%d, %d) is outside the map", o[0], o[1]);
            return Flow::kStop;
        }
        SetRoleBlockFlags(&r);
        r.x = int32_t(o[0]) * kCellPixels;
        r.y = int32_t(o[1]) * kCellPixels;
        r.cellIndex = int32_t(uint32_t(o[1]) * gMap.width + o[0]);
        StepAct(role, "Act Err(Path:MoveRole)");
        SetRoleBlockKind(&r);
        RebucketRole(&r);
        return Flow::kYield;
    case kOpSetAct:
        if (o[0] != 0xFFFF) r.act.act = int32_t(o[0]);
        if (o[1] != 0xFFFF) r.act.qq = int32_t(o[1]);
        if (o[2] != 0xFFFF) r.act.dir = int32_t(o[2]);
        StepAct(role, "Act Err(Path:TakeActdata)");
        return Flow::kYield;
    case kOpSound:
        PlaySfxAt(o[0], r.x, r.y);
        return Flow::kYield;
    case kOpSay: {
        FreeRoleText(r);
        r.textKind = o[0] > kMaxTextKind ? 0 : o[0];
        auto* text = static_cast<char*>(AllocZero(int(in.textBytes) + 1));
        if (text) std::memcpy(text, gPath.data.bytes + in.textAt, in.textBytes);
        r.text = text;
        return Flow::kYield;
    }
    case kOpUnsay:
        FreeRoleText(r);
        r.textKind = 0;
        return Flow::kNext;
    case kOpIfNear: {
        uint32_t g = 0;
        if (!Resolve(o[0], &g)) {
            if (FirstReport(role)) ErrorBox("guid Err(Path:DISTANCE_ROLE)", "guid(%d) not found", o[0]);
            r.pathPc += in.words;
            return Flow::kStop;
        }
        const double dx = double(r.x) - gRole[g].x, dy = double(r.y) - gRole[g].y;
        const uint32_t distance = uint32_t(std::sqrt(dx * dx + dy * dy));
        return distance <= uint32_t(o[1]) * kCellPixels ? Jump(role, in.target) : Flow::kNext;
    }
    case kOpWalkTo:
        piSetpos(role, o[0], o[1]);
        return Flow::kNext;
    case kOpArrive:
        if (!OnCell(r) || WaitArrival(role) != kArrivalDone) return Flow::kStop;
        r.flags &= ~kRoleFar;
        return Flow::kNext;
    case kOpRandomWalk:
        if (OnCell(r)) rndwlk(role);
        return Flow::kStop;
    case kOpFollow:
    case kOpFollowOffset:
        return Follow(role, in);
    default:
        return Flow::kStop;
    }
}

} // namespace

bool PathReportOnce(uint32_t role) {
    if (role >= kMaxRoles || gPath.reported.test(role)) return false;
    gPath.reported.set(role);
    return true;
}

bool LoadPathDatabase(const char* path) {
    gPath.bytes.clear();
    gPath.data = PathData{};
    cFile file;
    if (!file.Open(path, kOpenExisting, kGenericRead)) return false;
    const uint32_t size = file.GetSize();
    if (size == kFileInvalid || size > 0x7FFFFFF0u) return false;
    std::vector<uint8_t> bytes(size);
    if (size && !file.ReadExact(bytes.data(), size)) return false;
    SetPathDatabase(std::move(bytes));
    return gPath.data.count != 0;
}

void SetPathDatabase(std::vector<uint8_t> bytes) {
    gPath.bytes = std::move(bytes);
    if (!OpenPathData(&gPath.data, gPath.bytes.data(), gPath.bytes.size())) gPath.data = PathData{};
}

const PathData& PathDatabase() { return gPath.data; }

bool PathJump(uint32_t role, uint32_t target) {
    uint32_t pc = 0;
    if (role >= kMaxRoles || !PathTargetPc(gPath.data, gRole[role].pathNumber, target, &pc)) return false;
    gRole[role].pathPc = pc;
    return true;
}

void PathCommand(uint32_t role) {
    if (role >= kMaxRoles) return;
    RoleRecord& r = gRole[role];
    for (int step = 0; step < kPathMaxSteps; ++step) {
        if (r.pathNumber == 0) return;
        PathInstr in;
        switch (DecodePathInstr(gPath.data, r.pathNumber, r.pathPc, &in)) {
        case kPathDecoded:
            break;
        case kPathBadOpcode:
            Fault(role, kBadOpcode, r.guid, in.op);
            return;
        case kPathBadPath:
            Fault(role, "Path: no path %d (GUID %d)", r.pathNumber, r.guid);
            return;
        case kPathPastEnd:
            EndScript(r); // reading past the end acts as the end instruction
            return;
        }
        const Flow flow = Run(role, in);
        if (flow == Flow::kNext || flow == Flow::kYield) r.pathPc += in.words;
        if (flow == Flow::kYield || flow == Flow::kStop) return;
    }
    Fault(role, "Path: more than %d instructions in one frame (GUID %d)", kPathMaxSteps, r.guid);
}

void PathRun() {
    for (uint32_t i = 1; i < TotalRole && i < kMaxRoles; ++i) {
        RoleRecord& r = gRole[i];
        if (!(r.flags & kRoleActive) || (r.flags & kRoleDeleted)) continue;
        if (r.flags & kRoleCompanion) {
            CompanyWalk(i); // companions follow the player's trail
            continue;
        }
        if ((r.flags & kRoleHeld) || r.talkLock == 1) {
            if (r.act.act != 0) SetRoleBlockKind(&r);
            continue;
        }
        if (r.pathNumber != 0) {
            PathCommand(i);
        } else if ((r.flags & kRoleAnimated) && i != gPlayerRole) {
            if (TakeActData(&r.act) == 0 && FirstReport(i))
                ErrorBox("Act Err(Path:NoPathCycle)", kActFailure, r.guid, r.act.act, r.act.qq, r.act.dir);
            if (r.act.act != 0) SetRoleBlockKind(&r);
        }
    }
}

void ResetPathScripts() {
    gPath = PathState{};
    std::memset(gTalkVar, 0, sizeof gTalkVar);
    gClockMark = 0;
    ClearPathSlots();
}
