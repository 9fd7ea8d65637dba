#include "world/new_game.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "base/bytes.h"
#include "base/errorbox.h"
#include "base/game_state.h"
#include "battle/battle_services.h"
#include "draw/act_pack.h"
#include "draw/dialog_node.h"
#include "media/music.h"
#include "world/game_buffers.h"
#include "world/map/draw_order.h"
#include "world/map/effect_tables.h"
#include "world/map/map.h"
#include "world/map/map_effects.h"
#include "world/map/map_load.h"
#include "world/map/map_render.h"
#include "world/maps_image.h"
#include "world/org/obj_tables.h"
#include "world/org/count_list.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/requests.h"
#include "world/role/dialog_setup.h"
#include "world/role/role_def.h"
#include "world/role/role_helpers.h"
#include "world/role/role_record.h"
#include "world/script/path_slot.h"
#include "world/story_flags.h"
#include "world/script/talk_machine.h"
#include "world/talk_state.h"

StartRecord gStartRecord;
std::vector<uint16_t> gBattleSteps;

namespace {

constexpr uint32_t kTitleRequest = 0x80000003u;
constexpr uint16_t kMapNameSeparator = 0x5125;  // "%Q"
constexpr int kOpeningTalk = 100;
constexpr int kStartSilver = 100;
constexpr uint32_t kFirstMap = 81;

// "Battle probability read" / "The number of values must be a multiple of 8"
constexpr char kStepsCaption[] = "\xBE\xD4\xB0\xAB\xBE\xF7\xB2\x76\xC5\xAA\xA8\xFA";
constexpr char kStepsText[] = "\xB3\x5D\xA9\x77\xBC\xC6\xBD\xE8\xB6\x71\xA5\xB2\xB6\xB7\xAC\x4F 8 \xAA\xBA\xAD\xBF\xBC\xC6";

void ReadBattleSteps() {
    gBattleSteps.clear();
    ByteReader in = MapsTable(kTableBattleSteps);
    std::vector<uint16_t> values;
    while (true) {
        uint16_t v = in.u16();
        if (!in.ok() || v == 0xFFFF) break;
        values.push_back(v);
    }
    if (values.size() % 8 != 0) {
        ErrorBox(kStepsCaption, "%s", kStepsText);
        return;
    }
    gBattleSteps = std::move(values);
}

void ReadParty() {
    ByteReader in = MapsTable(kTableParty);
    for (int m = 0; m < kPartyMembers; ++m) {
        const uint8_t* record = in.view(kPartyRecordBytes);
        gMemberStats[m] = MemberStats{};
        if (record) CopyMemberRecord(m, record, kPartyRecordBytes);
    }
}

void ReadBag() {
    FreeItemList(&gInventory);
    ByteReader in = MapsTable(kTableBag);
    while (true) {
        uint16_t id = in.u16();
        uint16_t count = in.u16();
        if (!in.ok() || id == 0) break;
        AddItem(&gInventory, id, count, kAddCount);
    }
}

void ReadMagicAndEquipment() {
    for (int m = 0; m < kPartyMembers; ++m) {
        FreeItemList(&gMagicLists[m]);
        ByteReader magic = MapsTable(kTableMagic0 + m);
        while (true) {
            uint16_t id = magic.u16();
            if (!magic.ok() || id == 0) break;
            AddMagic(m, id);
        }
        ByteReader equip = MapsTable(kTableEquip0 + m);
        for (int s = 0; s < kEquipSlots; ++s) {
            FreeItemNode(gMemberEquip[m][s]);
            uint16_t id = equip.u16();
            ItemRecord* node = nullptr;
            if (equip.ok() && id != 0 && id != kPlaceholderItem) AddItem(&node, id, 1, kAddCount);
            gMemberEquip[m][s] = node ? node : NewPlaceholderItem();
        }
    }
}

void ReadStartRecord() {
    gStartRecord = StartRecord{};
    ByteReader in = MapsTable(kTableStart);
    StartRecord r;
    r.map = in.u16();
    r.x = in.u16();
    r.y = in.u16();
    for (uint16_t& a : r.arg) a = in.u16();
    r.openingGuid = in.u16();
    if (in.ok()) gStartRecord = r;
}

} // namespace

void CopyMemberRecord(int member, const uint8_t* record, size_t size) {
    if (member < 0 || member >= kPartyMembers || size < kPartyRecordBytes) return;
    // The record is the member's first 52 bytes with the gauges crossed
    // over; its byte 51 also goes into the member's last word.
    std::vector<uint8_t> bytes;
    WriteMemberStats(gMemberStats[member], bytes);
    std::memcpy(bytes.data(), record, kPartyRecordBytes);
    CrossPartyGauges(bytes.data());
    ByteReader in(bytes);
    MemberStats& m = gMemberStats[member];
    if (ReadMemberStats(in, &m)) m.lastWord = m.bytes51[0];
}

int FindMapName(uint16_t map, char* out, size_t size) {
    if (!out || size == 0) return 0;
    out[0] = 0;
    ByteReader table = MapsTable(kTableMapNames);
    const uint8_t* p = table.data();
    size_t n = table.size(), pos = 0;
    while (pos + 2 <= n) {
        uint16_t number = uint16_t(p[pos] | (p[pos + 1] << 8));
        if (number >= 0xFFFF) return 0;
        size_t start = pos + 2, end = start;
        while (end + 1 < n && uint16_t(p[end] | (p[end + 1] << 8)) != kMapNameSeparator) ++end;
        if (end + 1 >= n) return 0;  // a name without its separator: the table is broken
        if (number == map) {
            size_t length = std::min(end - start, size - 1);
            std::memcpy(out, p + start, length);
            out[length] = 0;
            return 1;
        }
        pos = end + 2;
    }
    return 0;
}

int32_t DirectionToPoint(int32_t x, int32_t y) {
    if (gPlayerRole >= kMaxRoles) return 0;
    const RoleRecord& p = gRole[gPlayerRole];
    int32_t cx = p.x + 8 * int32_t(p.act.width), cy = p.y + 8 * int32_t(p.act.height);
    int32_t distance = 0;
    return AngleToDirection(uint32_t(GetDistanceAngle(x, y, cx, cy, &distance)));
}

void ThumbnailFromScreen(uint16_t* pixels) {
    for (int row = 0; row < 120; ++row) {
        for (int col = 0; col < 160; ++col) pixels[row * 160 + col] = pixels[row * 4 * 640 + col * 4];
    }
}

void newRoleInit(RoleRecord* role) {
    role->act.wait = 0;
    if (role->act.act != 0 && !TakeActData(&role->act)) {
        ErrorBox("Act Err(Misc:newRoleInit)", "GUID(%d) act[%d] qq[%d] dir[%d]", int(role->guid), role->act.act,
                 role->act.qq, role->act.dir);
    }
    role->flags &= 0xDF0FFFFFu;
    // A map object placed beyond the map has no cell and marks none.
    role->cellIndex = RoleCellIndex(role);
    if (role->cellIndex >= 0 && (role->flags & 0x100)) {
        uint32_t cell = gMap.cells[size_t(role->cellIndex)];
        if (cell & 0x800) role->flags |= 0x20000000u;
        role->flags |= (cell & 0xF000) << 8;
    }
    if (role->cellIndex >= 0 && role->act.act != 0 && (role->flags & 0x8400) == 0x8000) SetRoleBlockKind(role);
}

namespace {
// The icon animations a talk hangs on a role are the renderer's shared
// records (gFreeActs); a role owns only an act record it was given alone.
bool IsSharedIcon(const ActRecord* act) {
    return std::less_equal<const ActRecord*>()(gFreeActs, act) && std::less<const ActRecord*>()(act, gFreeActs + kFreeActs);
}
} // namespace

void FreeRoleBuffers() {
    FreeDrawOrder();
    for (RoleRecord& r : gRole) {
        std::free(r.text);
        if (!IsSharedIcon(r.extraAct)) delete r.extraAct;
        r = RoleRecord{};
        ResetActRecord(&r.act);
    }
}

void ResetGameData() {
    gMap = MapData{};
    TotalRole = 0;
    FreeRoleBuffers();
    IdleTalkContext();
    ClearPathSlots();
}

int ResetPresentation() {
    for (auto& list : gPlayActLists) list.clear();
    gTObjList.clear();
    gRoleHeads.clear();
    gParticleLists.clear();
    FreeDialogList();
    for (Chimney& c : gChimneys) c.puffs.clear();
    for (Flier& f : gWeather.fliers) f = Flier{};
    gScreenTint = ScreenTint{};
    StopShake();
    ResetEffectTables();
    return 0;
}

void MiscInit() {
    ResetBattleRecords();
    FreeFameLists();
    SetActCacheEnabled(1);
    // Flag 72 is the map-effects option of the settings, not story state.
    int mapEffects = IsFlag(kFlagMapEffects);
    for (int n = 0; n < kStoryFlagCount; ++n) ClearFlag(n);
    for (int n : {int(kFlagGameInPlay), 3, 4, 70, 30}) SetFlag(n);
    SetFlagTo(kFlagMapEffects, mapEffects);
    for (uint32_t& v : gTalkVar) v = 0;
    gTalkVar[0] = kStartSilver;
    gTalkCountdown = gFlagCountdown = -1;
    gCountdownTalk = 0;
    gStoryClock = gStoryClockTick = 0;
    FreeDrawOrder();
    for (auto& list : gPlayActLists) list.clear();
    gMusic.PlayMusic(1, 1, 10);
    StopShake();
    ResetEffectTables();
    FreeDialogList();
    FreeTalkHistory();
    SetWalkStep(16);
    // The map cursor starts as the arrow (act 9001 from its first frame).
    gMapCursor = MapCursor{};
    ReadBattleSteps();
    BindRoleDefs();
    ReadParty();
    ResetPartyLine();
    ReadBag();
    ReadMagicAndEquipment();
}

int NewGame(int mode) {
    if (ReadMapsImage() != kMapsImageRead) {
        ErrorBox("KYV3", "maps.dat could not be read again: the game cannot start.");
        gRoleDef = nullptr;
        gRoleDefBytes = 0;
        gMenuRequest = kTitleRequest;
        return 0;
    }
    MiscInit();
    ResetGameData();
    ReadStartRecord();
    gMapScriptGuid = gStartRecord.openingGuid;
    // The opening talk runs from the first map frame, from the start point.
    StartStoryTalk(kOpeningTalk, gStartRecord.openingGuid, int32_t(gStartRecord.x) * 16,
                   int32_t(gStartRecord.y) * 16);
    if (mode == 1) {
        gCurrentMap = kFirstMap;
        LoadCity(gStartRecord.map, gStartRecord.x, gStartRecord.y, gStartRecord.arg[0], gStartRecord.arg[1],
                 gStartRecord.arg[2], 0);
    }
    return 1;
}
