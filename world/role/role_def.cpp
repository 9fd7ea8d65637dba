#include "world/role/role_def.h"

#include <algorithm>

#include "base/errorbox.h"
#include "world/game_buffers.h"
#include "world/map/draw_order.h"
#include "world/map/map.h"
#include "world/maps_image.h"
#include "world/role/role_helpers.h"
#include "world/role/role_record.h"
#include "world/script/path_data.h"
#include "world/script/path_ops.h"
#include "world/script/path_run.h"
#include "world/script/path_slot.h"

uint8_t* gRoleDef = nullptr;
uint32_t gRoleDefBytes = 0;
uint32_t gPartyLine[kPartyLineSlots] = {};
uint32_t gPartyCount = 0;

namespace {

constexpr uint16_t kDefEnd = 0xFFFF;
constexpr uint16_t kCompanionDefFlag = 0x80;

// "!!! Warning !!!" / "Role number (%d): no matching place when its data were written back ..."
constexpr char kWarnCaption[] = "!!! \xC4\xB5\xA7\x69 !!!";
constexpr char kNoDefText[] =
    "\xA8\xA4\xA6\xE2\xBDs\xB8\xB9(%d)\n\xB8\xEA\xAE\xC6\xC2k\xC1\xE4\xAE\xC9\n\xA7\xE4\xA4\xA3\xA8\xEC\xB2\xC5\xA6X\xAA\xBA\xA6\xEC\xB8m\n\xA5i\xAF\xE0\xACO\xA9w\xB8q\xBF\xF9\xBB~\xA9\xCE\xACO\xA8\xA4\xA6\xE2\xA4\xA3\xA6s\xA6\x62\xA4\x46";
constexpr char kRemoveCaption[] = "\xB8\xD1\xB0\xA3\xB9\xD9\xA6\xF1";          // "Release companion"
constexpr char kNoRoleText[] = "\xA8\xA4\xA6\xE2(%d)\xA4\xA3\xA6\x73\xA6\x62";    // "Role(%d) does not exist"
constexpr char kNotCompanionText[] = "\xA8\xA4\xA6\xE2(%d)\xA4\xA3\xAC\x4F\xB9\xD9\xA6\xF1";  // "Role(%d) is not a companion"
constexpr char kWriteBackCaption[] = "\xA8\xA4\xA6\xE2\xA6^\xBCg";  // "Role write-back"
// "Role(%d) / target (%d,%d) / not inside the map (%d,%d)"
constexpr char kTargetOutsideText[] =
    "\xA8\xA4\xA6\xE2(%d)\n\xB2\xD7\xC2I\xA6\xEC\xB8m(%d,%d)\n\xA4\xA3\xA6" "b\xA6" "a\xB9\xCF(%d,%d)\xA4\xBA";

uint16_t WordAt(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
void PutWord(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

uint16_t ClampCell(int32_t pixels, uint32_t cells) {
    int32_t cell = pixels >> 4;
    int32_t last = cells ? int32_t(cells) - 1 : 0;
    return uint16_t(std::clamp(cell, 0, std::max(last, 0)));
}

int PartySlotOf(uint32_t index) {
    for (uint32_t k = 0; k < gPartyCount && k < kPartyLineSlots; ++k) {
        if (gPartyLine[k] == index) return int(k);
    }
    return -1;
}

// A role whose script waits for the end of a walk (instruction 8) is stored
// as if it had arrived: the script moves past the wait and, while its path
// slot still runs, the cell is the walk's target. A target outside the map is
// reported and the role's own place is kept.
void WalkEndOfRole(uint32_t index, int32_t* x, int32_t* y, uint32_t* pc) {
    const RoleRecord& r = gRole[index];
    PathInstr in;
    if (r.pathNumber == 0 || DecodePathInstr(PathDatabase(), r.pathNumber, r.pathPc, &in) != kPathDecoded ||
        in.op != kOpArrive)
        return;
    *pc = r.pathPc + in.words;
    const PathSlot* slot = FindPathSlot(index);
    if (!slot || (slot->mode & 0x0F) != kSlotModeScript) return;
    const int32_t tx = slot->targetX & ~15, ty = slot->targetY & ~15;
    if (tx >= int32_t(gMap.width * 16) || ty >= int32_t(gMap.height * 16)) {
        ErrorBox(kWriteBackCaption, kTargetOutsideText, int(r.guid), int(tx), int(ty), int(gMap.width * 16),
                 int(gMap.height * 16));
        return;
    }
    *x = tx;
    *y = ty;
}

} // namespace

void BindRoleDefs() {
    gRoleDef = nullptr;
    gRoleDefBytes = 0;
    size_t offset = MapsTableOffset(kTableRoleDefs);
    if (offset == SIZE_MAX) return;
    gRoleDef = gMapsImage + offset;
    size_t room = gMapsImageSize - offset;
    uint32_t count = 0;
    while ((count + 1) * kRoleDefBytes <= room && WordAt(gRoleDef + count * kRoleDefBytes) != kDefEnd) ++count;
    gRoleDefBytes = uint32_t(count * kRoleDefBytes);
}

uint32_t RoleDefCount() { return gRoleDef ? gRoleDefBytes / uint32_t(kRoleDefBytes) : 0; }

RoleDef GetRoleDefAt(uint32_t index) {
    RoleDef d{};
    if (index >= RoleDefCount()) return d;
    ByteReader in(gRoleDef + index * kRoleDefBytes, kRoleDefBytes);
    d.map = in.u16();
    d.guid = in.u16();
    for (uint16_t& a : d.act) a = in.u16();
    d.cellX = in.u16();
    d.cellY = in.u16();
    d.talk = in.u16();
    d.path = in.u16();
    d.pathPos = in.i16();
    d.flags = in.u16();
    d.kept = in.u16();
    return d;
}

void PutRoleDefAt(uint32_t index, const RoleDef& d) {
    if (index >= RoleDefCount()) return;
    uint8_t* p = gRoleDef + index * kRoleDefBytes;
    const uint16_t words[12] = {d.map, d.guid, d.act[0], d.act[1], d.act[2], d.cellX, d.cellY,
                                d.talk, d.path, uint16_t(d.pathPos), d.flags, d.kept};
    for (int i = 0; i < 12; ++i) PutWord(p + 2 * i, words[i]);
}

int32_t FindRoleDef(uint16_t guid) {
    uint32_t count = RoleDefCount();
    for (uint32_t i = 0; i < count; ++i) {
        if (WordAt(gRoleDef + i * kRoleDefBytes + 2) == guid) return int32_t(i);
    }
    return -1;
}

int SetRoleDef(uint16_t guid, int act0, int act1, int act2, int x, int y, int talk, int path, int orFlags,
               int andFlags, int map, int kept) {
    int32_t i = FindRoleDef(guid);
    if (i < 0) return 0;
    RoleDef d = GetRoleDefAt(uint32_t(i));
    auto set = [](uint16_t& field, int v) {
        if (int16_t(v) != -1) field = uint16_t(v);
    };
    set(d.act[0], act0);
    set(d.act[1], act1);
    set(d.act[2], act2);
    set(d.cellX, x);
    set(d.cellY, y);
    set(d.talk, talk);
    if (int16_t(path) != -1) {
        d.path = uint16_t(path);
        d.pathPos = 0;
    }
    if (uint16_t(andFlags) != 0xFFFF) d.flags &= uint16_t(andFlags);
    if (uint16_t(orFlags) != 0xFFFF) d.flags |= uint16_t(orFlags);
    set(d.map, map);
    if (uint16_t(kept) != 32896) d.kept = uint16_t(kept);
    PutRoleDefAt(uint32_t(i), d);
    return 1;
}

int32_t GetRoleDef(RoleRecord* role, uint16_t guid) {
    int32_t i = FindRoleDef(guid);
    if (i < 0) return -1;
    RoleDef d = GetRoleDefAt(uint32_t(i));
    role->guid = d.guid;
    role->act.act = d.act[0];
    role->act.qq = d.act[1];
    role->act.dir = d.act[2];
    role->x = int32_t(d.cellX) * 16;
    role->y = int32_t(d.cellY) * 16;
    role->talkNumber = d.talk;
    role->pathNumber = d.path;
    role->pathPc = 0;
    role->flags = d.flags;
    return i;
}

void WriteBackRole(int cellX, int cellY) {
    uint32_t count = std::min<uint32_t>(TotalRole, kMaxRoles);
    for (uint32_t i = 1; i < count; ++i) {
        RoleRecord& r = gRole[i];
        if (i == gPlayerRole || (r.flags & 0x18000000) || r.guid == kGuidMapObject) continue;
        if (r.flags & kRoleCompanion) {
            SetRoleDef(r.guid, r.act.act, r.act.qq, r.act.dir, cellX, cellY, r.talkNumber, r.pathNumber, int(r.flags & 0xFFFF),
                       0, int(gCurrentMap), 32896);
            continue;
        }
        int32_t d = FindRoleDef(r.guid);
        if (d < 0) {
            ErrorBox(kWarnCaption, kNoDefText, int(r.guid));
            continue;
        }
        RoleDef def = GetRoleDefAt(uint32_t(d));
        def.act[0] = uint16_t(r.act.act);
        def.act[1] = uint16_t(r.act.qq);
        def.act[2] = uint16_t(r.act.dir);
        int32_t x = r.x, y = r.y;
        uint32_t pc = r.pathPc;
        WalkEndOfRole(i, &x, &y, &pc);
        // A role beyond the map's edge (or at a negative position) is stored
        // on the nearest cell of the map, not as a wrapped 16-bit cell.
        def.cellX = ClampCell(x, gMap.width);
        def.cellY = ClampCell(y, gMap.height);
        def.talk = r.talkNumber;
        def.path = r.pathNumber;
        def.pathPos = int16_t(pc);
        def.flags = uint16_t(r.flags);
        PutRoleDefAt(uint32_t(d), def);
    }
}

int PlaceRole(uint32_t index) {
    if (index >= kMaxRoles || index >= TotalRole || gPartyCount >= kPartyLineSlots || PartySlotOf(index) >= 0) return 0;
    RoleRecord& r = gRole[index];
    // A role that joins in the middle of a walk stands on a cell first, and
    // its own walk ends: from now on it follows the player.
    SnapRoleToCell(&r);
    // Only a role whose own walk was cut short has its definition marked a
    // companion here; the others are marked when the map is left.
    if (PathSlot* walk = FindPathSlot(index)) {
        ClearPathSlot(walk);
        SetRoleDef(r.guid, -1, -1, -1, -1, -1, -1, -1, kCompanionDefFlag, 0xFFFF, -1, 32896);
    }
    ClearPathSlot(&gCompanyPaths[gPartyCount]);
    gPartyLine[gPartyCount++] = index;
    r.talkNumber = 0;
    r.flags = (r.flags & ~uint32_t(kRoleMarkBit29)) | kRoleCompanion;
    return 1;
}

int RemoveCompanion(uint16_t guid, int path, int talk, int act0, int act1, int act2, uint32_t flags) {
    uint32_t index = 0;
    if (!FindRole(guid, &index)) {
        int32_t d = FindRoleDef(guid);
        if (d < 0) {
            ErrorBox(kRemoveCaption, kNoRoleText, int(guid));
            return 0;
        }
        RoleDef def = GetRoleDefAt(uint32_t(d));
        def.flags &= uint16_t(~kCompanionDefFlag);
        PutRoleDefAt(uint32_t(d), def);
        return 1;
    }
    int slot = PartySlotOf(index);
    // The player heads the line and is nobody's companion.
    if (slot <= 0 || index == gPlayerRole) {
        ErrorBox(kRemoveCaption, kNotCompanionText, int(guid));
        return 0;
    }
    RoleRecord& r = gRole[index];
    SnapRoleToCell(&r);
    // The marks of the old flags go before the new flags set theirs.
    SetRoleBlockFlags(&r);
    r.act.act = act0;
    r.act.qq = act1;
    r.act.dir = act2;
    r.talkNumber = uint16_t(talk);
    r.pathNumber = uint16_t(path);
    r.pathPc = 0;
    r.flags = flags;
    SetRoleDef(guid, -1, -1, -1, -1, -1, talk, path, 0xFFFF, uint16_t(~kCompanionDefFlag), -1, 32896);
    SetRoleBlockKind(&r);
    // The later companions move up one slot, each with its path record.
    for (uint32_t k = uint32_t(slot); k + 1 < gPartyCount; ++k) {
        gPartyLine[k] = gPartyLine[k + 1];
        gCompanyPaths[k] = gCompanyPaths[k + 1];
    }
    gPartyLine[--gPartyCount] = kPartyLineEmpty;
    ClearPathSlot(&gCompanyPaths[gPartyCount]);
    return 1;
}

void ResetPartyLine() {
    for (uint32_t& slot : gPartyLine) slot = kPartyLineEmpty;
    gPartyLine[0] = gPlayerRole;
    gPartyCount = 1;
    for (PathSlot& s : gCompanyPaths) ClearPathSlot(&s);
}
