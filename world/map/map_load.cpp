#include "world/map/map_load.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/random.h"
#include "base/settings.h"
#include "draw/act_pack.h"
#include "draw/dialog_node.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "draw/tsw_pack.h"
#include "media/music.h"
#include "media/sound_bank.h"
#include "world/game_buffers.h"
#include "world/map/draw_order.h"
#include "world/map/floater.h"
#include "world/map/load_progress.h"
#include "world/map/map.h"
#include "world/map/map_archive.h"
#include "world/map/map_effects.h"
#include "world/map/map_render.h"
#include "world/map/map_texts.h"
#include "world/new_game.h"
#include "world/role/role_def.h"
#include "world/role/role_record.h"
#include "world/script/path_slot.h"
#include "world/walk/key_state.h"
#include "world/story_flags.h"
#include "world/walk/player_walk.h"

std::vector<FightArea> gFightAreas;
MapMusic gMapMusic;
uint32_t gMusicResume[3];
uint32_t gMusicState = 0;
uint32_t gBattleGroup = 0;
uint32_t gMapOptions = 0;
uint32_t gEscapeAllowed = 1;
uint32_t gMapScriptGuid = 0;
uint32_t gMapBounds[4];

namespace {

constexpr int kMapsTables = 26;
constexpr uint16_t kMapListEnd = 0xFFFF;
constexpr uint16_t kNameSeparator = 0x5125;
constexpr uint32_t kCloudCount = 4;

bool Inside(const MapsImage& im, uint64_t at, uint64_t bytes) { return im.data && at + bytes <= im.size; }

} // namespace

MapsImage CurrentMapsImage() { return {gMapsImage, gMapsImageSize}; }

bool MapsU16(const MapsImage& im, uint32_t at, uint16_t* v) {
    if (!Inside(im, at, 2)) return false;
    *v = uint16_t(im.data[at] | (im.data[at + 1] << 8));
    return true;
}

bool MapsU32(const MapsImage& im, uint32_t at, uint32_t* v) {
    if (!Inside(im, at, 4)) return false;
    *v = uint32_t(im.data[at]) | uint32_t(im.data[at + 1]) << 8 | uint32_t(im.data[at + 2]) << 16 |
         uint32_t(im.data[at + 3]) << 24;
    return true;
}

bool MapsTable(const MapsImage& im, int index, uint32_t* offset) {
    if (index < 0 || index >= kMapsTables) return false;
    return MapsU32(im, uint32_t(index) * 4, offset) && *offset < im.size;
}

bool FindMapRecord(const MapsImage& im, uint32_t map, MapRecord* out) {
    uint32_t at = 0;
    if (!MapsTable(im, kTableMapList, &at)) return false;
    for (;; at += 14) {
        MapRecord r{};
        for (int i = 0; i < 7; ++i)
            if (!MapsU16(im, at + 2 * uint32_t(i), &r.words[i])) return false;
        if (r.words[0] == kMapListEnd) return false;
        if (r.words[0] == map) {
            *out = r;
            return true;
        }
    }
}

bool FindMapNameIn(const MapsImage& im, uint32_t map, char* out, size_t size) {
    uint32_t at = 0;
    if (!MapsTable(im, kTableMapNames, &at)) return false;
    while (true) {
        uint16_t number = 0;
        if (!MapsU16(im, at, &number) || number >= 0xFFFF) return false;
        at += 2;
        uint32_t end = at;
        uint16_t w = 0;
        while (MapsU16(im, end, &w) && w != kNameSeparator) ++end;
        if (!Inside(im, end, 2)) return false;
        if (number == map) {
            const size_t n = std::min<size_t>(end - at, size - 1);
            std::memcpy(out, im.data + at, n);
            out[n] = '\0';
            if (char* zero = static_cast<char*>(std::memchr(out, 0, n + 1))) *zero = '\0';
            return true;
        }
        at = end + 2;
    }
}

bool FindRoleSound(const MapsImage& im, uint16_t guid, uint16_t* id, uint16_t* interval) {
    uint32_t at = 0;
    if (!MapsTable(im, kTableRoleSounds, &at)) return false;
    for (;; at += 6) {
        uint16_t g = 0, s = 0, i = 0;
        if (!MapsU16(im, at, &g) || g == 0 || !MapsU16(im, at + 2, &s) || !MapsU16(im, at + 4, &i)) return false;
        if (g == guid) {
            *id = s;
            *interval = i;
            return true;
        }
    }
}

uint32_t BattleGroupRows(const MapsImage& im) {
    uint32_t at = 0;
    if (!MapsTable(im, kTableBattleSteps, &at)) return 0;
    uint32_t count = 0;
    uint16_t v = 0;
    while (MapsU16(im, at + 2 * count, &v) && v != 0xFFFF) ++count;
    return count % 8 == 0 ? count / 8 : 0;
}

int32_t TintNibble(uint32_t nibble) {
    nibble &= 15;
    return nibble <= 8 ? int32_t(nibble) : int32_t(nibble) - 16;
}

// ---- Music ---------------------------------------------------------------------------

namespace {
bool TrackName(const MapsImage& im, uint32_t nameIndex, uint32_t track, char* out, size_t size) {
    uint32_t at = 0;
    if (!MapsU32(im, nameIndex + 4 * track, &at)) return false;
    at += 4;
    size_t n = 0;
    while (n + 1 < size && Inside(im, at + n, 1) && im.data[at + n] != 0) {
        out[n] = char(im.data[at + n]);
        ++n;
    }
    out[n] = '\0';
    return Inside(im, at + n, 1) && n > 0;
}
} // namespace

bool FindMusicTrackName(uint32_t track, char* out, size_t size) {
    const MapsImage im = CurrentMapsImage();
    uint32_t table = 0, nameIndex = 0;
    if (size == 0) return false;
    out[0] = '\0';
    return MapsTable(im, kTableMusic, &table) && MapsU32(im, table, &nameIndex) &&
           TrackName(im, nameIndex, track, out, size);
}

bool FindMapMusicRecord(uint32_t map, uint32_t* found) {
    const MapsImage im = CurrentMapsImage();
    uint32_t table = 0, listPlace = 0, list = 0;
    if (!MapsTable(im, kTableMusic, &table) || !MapsU32(im, table + 4, &listPlace) || !MapsU32(im, listPlace, &list))
        return false;
    for (uint32_t at = list;; at += 8) {
        uint16_t key = 0, last = 0;
        if (!MapsU16(im, at, &key) || !MapsU16(im, at + 6, &last) || key == 0) return false;
        if (key == map) {
            *found = at;
            return true;
        }
    }
}

void PlayMapMusic(uint32_t map) {
    const MapsImage im = CurrentMapsImage();
    uint32_t table = 0, nameIndex = 0, at = 0;
    uint16_t rec[4] = {};
    bool found = MapsTable(im, kTableMusic, &table) && MapsU32(im, table, &nameIndex) && FindMapMusicRecord(map, &at);
    for (int i = 0; found && i < 4; ++i) found = MapsU16(im, at + 2 * uint32_t(i), &rec[i]);
    if (!found) {
        // No record: the music of the previous map goes on.
        gMapMusic.trackA = gMapMusic.trackB = 0;
        gMusicState &= ~kMusicStateMapBits;
        return;
    }
    const uint32_t mode = rec[3];
    if (rec[1] == gMapMusic.trackA && rec[2] == gMapMusic.trackB) {
        if (gMusic.currentMode == 2 && gMusicResume[0] == 1) {
            gMusic.PlayMusic(1, mode & 3, 15);
            std::memset(gMusicResume, 0, sizeof gMusicResume);
        }
        return;
    }
    gMapMusic = {mode, rec[1], rec[2]};
    for (int channel = 0; channel < 2; ++channel) {
        const uint32_t track = rec[1 + channel];
        char name[64];
        if (!TrackName(im, nameIndex, track, name, sizeof name)) continue;
        char path[kPathMax + 80];
        std::snprintf(path, sizeof path, "%smusic\\%s", gInstallPath, name);
        gMusic.QueueTrack(path, track, channel, 1);
    }
    gMusicState = 0;
    // Story music (mode 2) plays on over the new map's tracks unless the
    // story asked for the map's music to come back.
    if (gMusic.currentMode == 2 && gMusicResume[0] != 1) return;
    gMusic.PlayMusic(1, mode & 3, 15);
    std::memset(gMusicResume, 0, sizeof gMusicResume);
}

// ---- Fight areas and random fights ---------------------------------------------------------

void CollectMapEntries() {
    gFightAreas.clear();
    const MapsImage im = CurrentMapsImage();
    uint32_t at = 0;
    if (!MapsTable(im, kTableFightAreas, &at)) return;
    for (;; at += 14) {
        uint16_t w[7];
        bool ok = true;
        for (int i = 0; i < 7; ++i) ok = ok && MapsU16(im, at + 2 * uint32_t(i), &w[i]);
        if (!ok || w[0] == 0xFFFF) break;
        if (w[0] != gCurrentMap) continue;
        gFightAreas.insert(gFightAreas.begin(), FightArea{w[1], w[2], w[3], w[4], uint32_t(w[5]) | uint32_t(w[6]) << 16});
    }
}

uint32_t ChooseRandomFight(uint32_t steps, int force) {
    if (gBattleGroup == 0) return 0;
    const int r = Random(100);
    const MapsImage im = CurrentMapsImage();
    uint32_t table = 0;
    // A group beyond the rows the table holds gives no fight.
    if (!MapsTable(im, kTableBattleSteps, &table) || gBattleGroup > BattleGroupRows(im)) return 0;
    const uint32_t row = table + (gBattleGroup - 1) * 16;
    uint32_t sum = 0;
    int pair = -1;
    for (int k = 0; k < 4; ++k) {
        uint16_t span = 0;
        if (!MapsU16(im, row + 4 * uint32_t(k), &span)) return 0;
        sum += int16_t(span) > 0 ? uint32_t(int16_t(span)) : 0;
        if (force == 1 || steps < sum) {
            pair = k;
            break;
        }
    }
    if (pair < 0) return 0;
    uint16_t percent = 0;
    MapsU16(im, row + 4 * uint32_t(pair) + 2, &percent);
    if (int16_t(percent) <= r && force != 1) return 0;
    const RoleRecord& p = gRole[gPlayerRole < kMaxRoles ? gPlayerRole : 0];
    const uint32_t cx = uint32_t(p.x / kCellPixels), cy = uint32_t(p.y / kCellPixels);
    for (const FightArea& a : gFightAreas) {
        if (cx < a.left || cx > a.right || cy < a.top || cy > a.bottom) continue;
        uint16_t count = 0;
        if (!MapsU16(im, a.list, &count) || count == 0) return 0;  // an empty list has no fight
        uint16_t fight = 0;
        if (!MapsU16(im, a.list + 2 + 2 * uint32_t(Random(count)), &fight)) return 0;
        gFightStep = 0;
        return fight;
    }
    return 0;
}

// ---- Roles ---------------------------------------------------------------------------------

bool RegisterChimney(RoleRecord* role) {
    if (gChimneyCount >= kChimneys) {
        ErrorBox(kCaptionReadRoles, kTextTooManyChimneys, int(gCurrentMap));
        role->flags &= ~kRoleChimney;
        return false;
    }
    Chimney& c = gChimneys[gChimneyCount++];
    c = Chimney{};
    c.x = uint16_t(role->x);
    c.y = uint16_t(role->y);
    c.guid = role->guid;
    return true;
}

// ---- LoadCity --------------------------------------------------------------------------------

namespace {

// A fatal failure: the box, then the game ends through the frame's own quit
// (the map is emptied so the rest of this frame draws nothing from it).
void FailLoad() {
    gGameMode |= kModeQuit;
    gMap.width = gMap.height = 0;
    gMap.cells.clear();
    gMap.tiles.clear();
    gMap.pixel = nullptr;
    TotalRole = 1;
    gPlayerRole = 0;
}

void ApplyMapRecord(const MapRecord& rec, const MapsImage& im) {
    const uint8_t byte4 = uint8_t(rec.words[2]), byte5 = uint8_t(rec.words[2] >> 8), byte6 = uint8_t(rec.words[3]);
    gShadowMode = byte4 & 15;
    uint32_t step = byte6 & 15;
    if (step != 1 && step != 2 && step != 4 && step != 8 && step != 16) step = 4;
    gMapWalkStep = step;
    gTileAnimPeriod = std::max<uint32_t>(1, rec.words[4]);
    gBattleGroup = rec.words[5];
    gMapOptions = rec.words[6];
    gEscapeAllowed = (byte4 & 0x10) ? 0 : 1;
    SetFlagTo(15, (byte5 & 0x80) ? 1 : 0);
    gWeather.cloudBase = 96;
    gWeather.cloudSpread = 4;
    SetFlagTo(5, (byte5 & 0x40) ? 1 : 0);
    if (byte5 & 0x20) {
        SetFlag(5);
        gWeather.cloudBase = 64;
        gWeather.cloudSpread = 8;
    }
    SetFlagTo(6, (byte5 & 0x10) ? 1 : 0);
    SetFlagTo(7, (byte5 & 0x08) ? 1 : 0);
    SetFlagTo(8, (byte5 & 0x04) ? 1 : 0);
    SetFlagTo(19, (byte5 & 0x02) ? 1 : 0);
    SetFlagTo(22, (byte5 & 0x01) ? 1 : 0);
    gMapTint = {TintNibble(rec.words[3] >> 12), TintNibble(rec.words[3] >> 8), TintNibble(byte6 >> 4)};
    const uint32_t rows = BattleGroupRows(im);
    if (gBattleGroup > rows) {
        ErrorBox(kCaptionLoadMap, kTextBadBattleGroup, int(gBattleGroup));
        // Group 1 only when the table has a row; an empty table has no fights.
        gBattleGroup = rows > 0 ? 1 : 0;
    }
}

void SetArrivalFlags(const MapsImage& im, uint32_t map) {
    ClearFlag(25);
    uint32_t at = 0;
    if (!MapsTable(im, kTableArrivalFlags, &at)) return;
    for (;; at += 4) {
        uint16_t m = 0, flag = 0;
        if (!MapsU16(im, at, &m) || m == 0 || !MapsU16(im, at + 2, &flag)) return;
        if (m == map && !IsFlag(flag)) {
            SetFlag(flag);
            SetFlag(25);
        }
    }
}

void ClearMapLists() {
    gFightStep = 0;
    gFightAreas.clear();
    ResetMapEffects();
    FreeEventRects();
    FreeDialogList();
    ClearKeyStates();
    // The roles' own texts and attached acts go with them (and the draw order).
    FreeRoleBuffers();
    ClearPathSlots();
    for (uint32_t& slot : gPartyLine) slot = kPartyLineEmpty;
    gPartyCount = 0;
    FreeMapPictures();
}

void SeedClouds() {
    for (uint32_t i = 0; i < kCloudCount; ++i) {
        Cloud& c = gWeather.clouds[i];
        c.targetDelay = Random(3) + 1;
        c.targetBrightness = 0;
        c.act = Random(gWeather.cloudSpread) + gWeather.cloudBase;
        c.x = Random(int(gMap.width) * kCellPixels);
        c.y = Random(int(gMap.height) * kCellPixels);
        c.dx = Random(2) - 2;
        c.dy = Random(2) - 2;
    }
}

} // namespace

void LoadCity(uint32_t map, uint32_t x, uint32_t y, uint16_t act0, uint16_t act1, uint16_t act2, uint32_t options) {
    ClearFrameInterval(0);
    if (gBackBuffer) StartLoadingScreen();
    gViewFlags = 0;
    ClearFlag(5);
    ClearFlag(6);
    ClearFlag(7);
    ClearFlag(8);
    ClearFlag(22);
    ResetWeatherForMap();
    ReleaseActCache();
    ClearTswCache();
    StopAllSfx();

    const MapsImage im = CurrentMapsImage();
    MapRecord rec{};
    const bool found = FindMapRecord(im, map, &rec);
    if (found) ApplyMapRecord(rec, im);
    PlayMapMusic(map);
    FreeFloater();
    SetArrivalFlags(im, map);
    if (!found || rec.words[1] == 0xFFFF) {
        ErrorBox(kCaptionGameStart, kTextNoStartMap, int(map));
        FailLoad();
        return;
    }

    ShowMapLoadProgress(2);
    gCurrentMap = map;
    gMap.tileAnimDir = 1;
    SetFlag(int(5000 + map));
    if (options & 1) WriteBackRole(int(x), int(y));
    const int32_t cloudBase = gWeather.cloudBase, cloudSpread = gWeather.cloudSpread;
    ClearMapLists();
    gWeather.cloudBase = cloudBase;
    gWeather.cloudSpread = cloudSpread;

    ShowMapLoadProgress(10);
    TotalRole = 1;
    if (!LoadMap3(rec.words[1], &gMap)) {
        ErrorBox(kCaptionLoadMap, "%s", kTextLoadFailed);
        FailLoad();
        return;
    }
    if (gMap.depth == 8 && gMap.pixel && gMap.pixelSize >= 512) {
        std::memcpy(gMap.palette, gMap.pixel, 512);
        ToScreenFormat(gMap.palette, 256);
    }
    gMap.tileFrame = 0;
    gMap.tileAnimTick = 1;

    if (!FindMapNameIn(im, gCurrentMap, gMap.name, sizeof gMap.name)) {
        ErrorBox(kCaptionMapName, kTextNoMapName, int(rec.words[1]));
        std::snprintf(gMap.name, sizeof gMap.name, "%s", kTextUnknownName);
    }
    ShowMapLoadProgress(85);
    ShowMapLoadProgress(90);
    if (IsFlag(5)) SeedClouds();
    gMapBounds[0] = gMapBounds[1] = 0;
    gMapBounds[2] = gMap.width * kCellPixels;
    gMapBounds[3] = gMap.height * kCellPixels;
    CollectMapEntries();
    ShowMapLoadProgress(95);

    gPartyCount = 1;
    PlaceMapRoles(map, x, y, act0, act1, act2);
    ShowMapLoadProgress(100);
    for (uint32_t i = 1; i < TotalRole && i < kMaxRoles; ++i) newRoleInit(&gRole[i]);
    gSfxListener = PlayerListener;
    CenterView();
    SetFrameInterval(kFrameMs);
}

void ResetMapLoad() {
    gFightAreas.clear();
    gMapMusic = {};
    std::memset(gMusicResume, 0, sizeof gMusicResume);
    gMusicState = 0;
    gBattleGroup = 0;
    gMapOptions = 0;
    gEscapeAllowed = 1;
    gFightStep = 0;
    gMapScriptGuid = 0;
    std::memset(gMapBounds, 0, sizeof gMapBounds);
}
