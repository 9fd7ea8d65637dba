// Placing the roles of a map from their definitions (a step of LoadCity).
#include <algorithm>
#include <vector>

#include "base/errorbox.h"
#include "world/map/draw_order.h"
#include "world/map/floater.h"
#include "world/map/map.h"
#include "world/map/map_load.h"
#include "world/map/map_render.h"
#include "world/map/map_texts.h"
#include "world/role/role_def.h"
#include "world/role/role_helpers.h"
#include "world/role/role_record.h"
#include "world/story_flags.h"
#include "world/talk_state.h"

namespace {

constexpr uint32_t kPlayerFlags = 0xD100;
constexpr uint32_t kHideCompanionsOption = 0x8000;
constexpr uint32_t kMapWithoutCompanions = 22;
constexpr int kFlagArrived = 25;
// "Map(%d): more roles than the role table holds; GUID(%d) is left out"
constexpr char kTextTooManyRoles[] = "\xA6" "a\xB9\xCF(%d) GUID(%d): role table full";

bool EveryMapGuid(uint16_t guid) { return guid == 0 || guid == 10000 || guid == 10001; }

// Fills the next role record from a definition and links it into the draw
// order; returns its index.
uint32_t PlaceFromDef(const RoleDef& d) {
    const uint32_t index = TotalRole++;
    RoleRecord& r = gRole[index];
    RemoveDrawOrder(&r, 0);
    r = RoleRecord{};
    ResetActRecord(&r.act);
    r.guid = d.guid;
    r.act.act = d.act[0];
    r.act.qq = int32_t(d.act[1]);
    r.act.dir = int32_t(d.act[2]);
    r.x = int32_t(d.cellX) * kCellPixels;
    r.y = int32_t(d.cellY) * kCellPixels;
    r.cellIndex = RoleCellIndex(&r);
    r.talkNumber = d.talk;
    r.pathNumber = d.path;
    r.pathPc = uint32_t(int32_t(d.pathPos));  // sign-extended, as stored
    r.flags = d.flags;
    uint16_t id = 0, interval = 0;
    if (FindRoleSound(CurrentMapsImage(), d.guid, &id, &interval)) {
        r.soundId = id;
        r.soundTimer = (uint32_t(interval) << 16) | interval;
    }
    InsertDrawOrder(&r, int(r.flags & kRolePlaneMask));
    return index;
}

void BecomePlayer(uint32_t index) {
    const RoleRecord& r = gRole[index];
    gPlayerRole = index;
    gPartyLine[0] = index;
    for (int i = 0; i < kTrailLength; ++i) {
        gFollowTrailX[i] = r.x;
        gFollowTrailY[i] = r.y;
        gFollowTrailFacing[i] = r.act.dir;
    }
}

// The player's definition takes the load's cell and act values; a cell
// outside the map is reported and moved onto its last cell, so the player's
// slot is always filled.
RoleDef PlayerDef(RoleDef d, uint32_t map, uint32_t x, uint32_t y, const uint16_t act[3]) {
    if (x >= gMap.width || y >= gMap.height) {
        ErrorBox(kCaptionReadRoles, kTextRoleOutside, int(map), int(gTalkContext.talkNumber), int(d.guid),
                 int(gMap.width), int(gMap.height), int(x), int(y));
        x = std::min(x, gMap.width - 1);
        y = std::min(y, gMap.height - 1);
    }
    d.map = uint16_t(map);
    d.guid = uint16_t(gMapScriptGuid);
    std::copy(act, act + 3, d.act);
    d.cellX = uint16_t(x);
    d.cellY = uint16_t(y);
    d.talk = d.path = 0;
    d.pathPos = 0;
    d.flags = uint16_t(kPlayerFlags);
    return d;
}

void JoinParty(uint32_t index) {
    PlaceRole(index);
    RoleRecord& r = gRole[index];
    r.flags |= kRoleActive;
    if (gCurrentMap == kMapWithoutCompanions || (gMapOptions & kHideCompanionsOption)) r.flags &= ~kRoleActive;
}

} // namespace

void PlaceMapRoles(uint32_t map, uint32_t x, uint32_t y, uint16_t act0, uint16_t act1, uint16_t act2) {
    const uint16_t act[3] = {act0, act1, act2};
    std::vector<bool> seen(0x10000, false);
    bool playerPlaced = false, fullReported = false;
    const uint32_t count = RoleDefCount();
    for (uint32_t i = 0; i < count; ++i) {
        RoleDef d = GetRoleDefAt(i);
        if (seen[d.guid]) {
            ErrorBox(kCaptionReadRoles, kTextDuplicateRole, int(d.guid));
            continue;
        }
        seen[d.guid] = true;
        const bool player = d.guid == uint16_t(gMapScriptGuid);
        if (EveryMapGuid(d.guid)) d.map = uint16_t(map);
        if (player) d = PlayerDef(d, map, x, y, act);
        PutRoleDefAt(i, d);
        if (d.map != map) continue;
        if (d.cellX >= gMap.width || d.cellY >= gMap.height) {
            ErrorBox(kCaptionReadRoles, kTextRoleOutside, int(map), int(gTalkContext.talkNumber), int(d.guid),
                     int(gMap.width), int(gMap.height), int(d.cellX), int(d.cellY));
            d.cellX = uint16_t(gMap.width ? gMap.width - 1 : 0);
            d.cellY = uint16_t(gMap.height ? gMap.height - 1 : 0);
            PutRoleDefAt(i, d);
            continue;
        }
        // One slot stays free for the player until it is placed.
        if (TotalRole + (player || playerPlaced ? 0 : 1) >= kMaxRoles) {
            if (!fullReported) ErrorBox(kCaptionReadRoles, kTextTooManyRoles, int(map), int(d.guid));
            fullReported = true;
            continue;
        }
        const uint32_t index = PlaceFromDef(d);
        RoleRecord& r = gRole[index];
        if (player) {
            BecomePlayer(index);
            playerPlaced = true;
        }
        if (d.guid == 1 && IsFlag(kFlagArrived) && gSpiritSlot != 0)
            CreateFloater(gSpiritSlot + 90, 1, float(r.x), float(r.y), 2.0f, 4.0f);
        if (!player && (r.flags & kRoleCompanion)) JoinParty(index);
        if (r.flags & kRoleChimney) RegisterChimney(&r);
    }
    // No definition names the player: it is placed all the same, so a map
    // always has the role the walking and the camera follow.
    if (!playerPlaced && TotalRole < kMaxRoles) {
        RoleDef d{};
        BecomePlayer(PlaceFromDef(PlayerDef(d, map, x, y, act)));
    }
}
