#include "menu/save/save_state.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "base/bytes.h"
#include "base/game_state.h"
#include "base/lzo.h"
#include "base/memory.h"
#include "base/nick_names.h"
#include "battle/battle_services.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "menu/frame/menu_widgets.h"
#include "menu/menu_services.h"
#include "platform/plat_clock.h"
#include "world/game_buffers.h"
#include "world/map/map.h"
#include "world/map/map_effects.h"
#include "world/map/map_load.h"
#include "world/map/map_render.h"
#include "world/new_game.h"
#include "world/org/count_list.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/role/role_def.h"
#include "world/role/role_record.h"
#include "world/spirit/spirit.h"
#include "world/story_flags.h"
#include "world/talk_state.h"

uint32_t gPlayTime;
uint32_t gPlayStart;
ReturnPoint gReturnPoint;

namespace {
void LoadSavedMap(uint32_t map, uint32_t x, uint32_t y, uint16_t act, uint16_t qq, uint16_t dir) {
    LoadCity(map, x, y, act, qq, dir, 0);
}
} // namespace

void (*gLoadSavedMap)(uint32_t, uint32_t, uint32_t, uint16_t, uint16_t, uint16_t) = LoadSavedMap;

namespace {

constexpr int kRoleDefTable = 1;
constexpr int kObjectStateTable = 2; // its second word: the list of object-state records
constexpr uint16_t kRoleDefEnd = 0xFFFF;
constexpr uint16_t kObjectStateFixed = 0x800; // fourth word: the record keeps its map value
constexpr int kFlagsKeptOverLoad[] = {5, 6, 7, 8, 19, 22};
constexpr int kFlagLoadCleared = 10;
constexpr size_t kScreenPixels = 640 * 480;
constexpr size_t kThumbPixels = 160 * 120;

uint16_t Word(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

// ---- the image's tables -----------------------------------------------------

// The role definitions of an image: offset of table 1 and its record count
// (up to the end record, bounded by the image).
struct DefTable {
    size_t offset = 0;
    size_t count = 0;
};

DefTable RoleDefTable(const uint8_t* image, size_t size) {
    DefTable t;
    uint32_t at = 0;
    if (!MapsTable(MapsImage{image, uint32_t(size)}, kRoleDefTable, &at)) return t;
    t.offset = at;
    while (at + kRoleDefBytes <= size && Word(image + at) != kRoleDefEnd) {
        ++t.count;
        at += kRoleDefBytes;
    }
    return t;
}

// The image offsets of the object-state records: table 2's second word
// points at a list of record offsets ended by 0. Offsets whose 8 bytes do not
// lie inside the image are left out.
std::vector<size_t> ObjectStateOffsets(const uint8_t* image, size_t size) {
    std::vector<size_t> out;
    const MapsImage im{image, uint32_t(size)};
    uint32_t table = 0, list = 0;
    if (!MapsTable(im, kObjectStateTable, &table) || !MapsU32(im, table + 4, &list) || list >= size) return out;
    ByteReader in(image + list, size - list);
    for (;;) {
        const uint32_t at = in.u32();
        if (!in.ok() || at == 0) break;
        if (size_t(at) + kSaveObjectStateSize <= size) out.push_back(at);
    }
    return out;
}

// Pairs each saved record with a target record of the same key: the k-th
// saved record with key K goes to the k-th target record with key K (so two
// chests holding the same item keep their own states). -1 = no partner.
std::vector<long> MatchByKey(const std::vector<uint16_t>& saved, const std::vector<uint16_t>& target) {
    std::map<uint16_t, std::vector<long>> places;
    for (size_t i = 0; i < target.size(); ++i) places[target[i]].push_back(long(i));
    std::map<uint16_t, size_t> used;
    std::vector<long> out;
    out.reserve(saved.size());
    for (uint16_t key : saved) {
        const auto it = places.find(key);
        size_t& n = used[key];
        out.push_back(it != places.end() && n < it->second.size() ? it->second[n] : -1);
        ++n;
    }
    return out;
}

// ---- collecting ---------------------------------------------------------------

// One map frame reduced to 160 x 120 in the stored pixel format; black
// without a back buffer.
std::vector<uint8_t> CaptureThumbnail() {
    std::vector<uint8_t> out(kSaveThumbSize, 0);
    Surface* s = gBackBuffer;
    if (!s || s->width < 640 || s->height < 480) return out;
    gBackPixels = LockBackBuffer(s);
    UnlockBackBuffer(s, gBackPixels);
    if (!gBackPixels) return out;
    if (!gMap.cells.empty()) RenderScene();
    std::vector<uint16_t> screen(kScreenPixels);
    for (int row = 0; row < 480; ++row) std::copy_n(BackPixel(0, row), 640, screen.begin() + row * 640);
    ThumbnailFromScreen(screen.data());
    FromScreenFormat(screen.data(), int(kThumbPixels));
    for (size_t i = 0; i < kThumbPixels; ++i) {
        out[2 * i] = uint8_t(screen[i]);
        out[2 * i + 1] = uint8_t(screen[i] >> 8);
    }
    return out;
}

void CollectMainState(SaveMainState* main) {
    main->storyClock = gStoryClock;
    std::copy(std::begin(gTalkVar), std::end(gTalkVar), main->talkVar.begin());
    for (int m = 0; m < kPartyMembers; ++m) {
        MemberStats stats = gMemberStats[m];
        stats.bonus[0] = stats.bonus[1] = 0; // worked out again from the equipment
        std::vector<uint8_t> bytes;
        WriteMemberStats(stats, bytes);
        std::copy_n(bytes.begin(), kSaveMemberStatsSize, main->memberStats[m].begin());
        for (int s = 0; s < kEquipSlots; ++s) {
            const ItemRecord* node = gMemberEquip[m][s];
            main->equip[size_t(m * kEquipSlots + s)] = node && node->id ? node->id : kPlaceholderItem;
        }
        main->magic[m].clear();
        for (const ItemRecord* n = gMagicLists[m]; n; n = n->next)
            if (n->id != 0) main->magic[m].push_back(n->id);
    }
    // A bag key's bit 15 marks the second count, so only ids below 0x8000
    // can be stored; the placeholder (65500) never belongs in the bag.
    main->bag.clear();
    for (const ItemRecord* n = gInventory; n; n = n->next) {
        if (n->id == 0 || (n->id & 0x8000)) continue;
        if (n->count > 0) main->bag.push_back({n->id, uint16_t(n->count)});
        if (n->newCount > 0) main->bag.push_back({uint16_t(n->id | 0x8000), uint16_t(n->newCount)});
    }
    main->objectStates.clear();
    for (size_t at : ObjectStateOffsets(gMapsImage, gMapsImageSize)) {
        std::array<uint8_t, kSaveObjectStateSize> state{};
        std::memcpy(state.data(), gMapsImage + at, state.size());
        if (Word(state.data()) != 0) main->objectStates.push_back(state);
    }
}

} // namespace

// ---- play time ------------------------------------------------------------------

void StartPlayClock(uint32_t seconds) {
    gPlayTime = seconds;
    gPlayStart = PlatTicks();
}

uint32_t FoldPlayTime() {
    const uint32_t whole = (PlatTicks() - gPlayStart) / 1000;
    gPlayTime += whole;
    gPlayStart += whole * 1000;
    return gPlayTime;
}

void ResetSaveState() {
    StartPlayClock(0);
    gReturnPoint = ReturnPoint{};
    std::memset(gTravelRefusalText, 0, sizeof gTravelRefusalText);
    std::memset(gExitRefusalText, 0, sizeof gExitRefusalText);
}

void ResetSaveStateHooks() { gLoadSavedMap = LoadSavedMap; }

// ---- saving -----------------------------------------------------------------------

void CollectSaveImage(SaveImage* image) {
    *image = SaveImage();
    const bool hasPlayer = gPlayerRole < kMaxRoles;
    const RoleRecord player = hasPlayer ? gRole[gPlayerRole] : RoleRecord{};
    const uint32_t cellX = uint32_t(std::max(player.x, 0)) / kCellPixels;
    const uint32_t cellY = uint32_t(std::max(player.y, 0)) / kCellPixels;
    if (hasPlayer) WriteBackRole(int(cellX), int(cellY));

    const PlatLocalTime now = PlatGetLocalTime();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d", now.year % 10000, now.month % 100, now.day % 100,
                  now.hour % 100, now.minute % 100);
    std::memcpy(image->stamp.data(), stamp, kSaveStampSize);
    image->thumbnail = CaptureThumbnail();
    std::memcpy(image->mapName.data(), gMap.name, std::min(sizeof gMap.name, kSaveMapNameSize));
    image->mapName.back() = 0;

    image->storyFlags.assign(gStoryFlag, gStoryFlag + kStoryFlagBytes);
    if (gRoleDef) image->roleDefs.assign(gRoleDef, gRoleDef + gRoleDefBytes / kSaveRoleDefSize * kSaveRoleDefSize);
    image->position = {gMapScriptGuid, gCurrentMap, cellX, cellY, uint32_t(player.act.act), uint32_t(player.act.qq),
                       uint32_t(player.act.dir)};
    image->blockCount = kSaveLastBlock;
    CollectMainState(&image->main);
    for (int r = 0; r < kNickRows; ++r) std::memcpy(image->names.data() + r * kNickRowBytes, gNickNames[r], kNickRowBytes);
    image->playTime = FoldPlayTime();

    SaveReturnPoint& rp = image->returnPoint;
    rp.cellX = gReturnPoint.cellX;
    rp.cellY = gReturnPoint.cellY;
    rp.map = gReturnPoint.map;
    rp.act = gReturnPoint.act;
    rp.countdownFrames = uint32_t(gTalkCountdown);
    rp.countdownTalk = gCountdownTalk;
    // The second countdown (story flag 74) rides in the first reserved word,
    // plus one, so that 0 still means "not stored" for older files.
    const uint32_t second = uint32_t(gFlagCountdown) + 1;
    for (int i = 0; i < 4; ++i) rp.reserved[size_t(i)] = uint8_t(second >> (8 * i));

    for (int m = 0; m < 4; ++m) {
        const MemberBattleRecord& b = gMemberBattle[m];
        image->battle[size_t(m)] = {b.charge, b.techniquePoints, b.pointsNeeded, b.nextTechnique, {}};
    }
    SaveFameBlock(image->fame);

    // The table as it steps next: from the current pair on, round to it.
    std::vector<int16_t> words;
    if (ShakeRuns()) {
        const size_t end = gShake.table.size() - 1; // the end marker
        const size_t from = std::min(gShake.index, end);
        words.assign(gShake.table.begin() + long(from), gShake.table.begin() + long(end));
        words.insert(words.end(), gShake.table.begin(), gShake.table.begin() + long(from));
    }
    image->shake.table.fill(0xCF);
    for (size_t i = 0; i < words.size() && 2 * i + 1 < kSaveShakeTableSize - 2; ++i) {
        image->shake.table[2 * i] = uint8_t(words[i]);
        image->shake.table[2 * i + 1] = uint8_t(uint16_t(words[i]) >> 8);
    }
    image->shake.interval = uint16_t(std::clamp(gShake.period, 0, 0xFFFF));
    image->shake.framesLeft = uint16_t(std::clamp(gShake.hold, 0, 0xFFFF));

    std::memcpy(image->travelRefusal.data(), gTravelRefusalText, kSaveRefusalTextSize);
    std::memcpy(image->exitRefusal.data(), gExitRefusalText, kSaveRefusalTextSize);
}

bool WriteFame(std::string* error) {
    FameCounts counts{};
    for (int n = 1; n <= kFameCountMax; ++n) counts[size_t(n)] = uint16_t(std::clamp(GetCount(&gFameList2, uint16_t(n)), 0, 0xFFFF));
    return WriteFameFile(counts, error);
}

void ReadFame() {
    FameCounts counts{};
    ReadFameFile(&counts);
    // A monster without a node and without a count stays without a node: the
    // list holds what was met, not 500 zero entries.
    for (int n = 1; n <= kFameCountMax; ++n)
        if (counts[size_t(n)] != 0 || FindCount(&gFameList2, uint16_t(n))) SetCount(&gFameList2, uint16_t(n), counts[size_t(n)]);
}

SaveResult WriteSaveSlot(int slot) {
    if (SaveSlotPath(slot).empty()) return SaveResult::Fault(-1, "no such slot");
    SaveImage image;
    CollectSaveImage(&image);
    std::vector<uint8_t> bytes;
    if (SaveResult r = EncodeSave(image, &bytes); !r.ok) return r;
    std::string error;
    if (!WriteFame(&error)) return SaveResult::Fault(-1, error);
    if (gSpiritSlot >= 1 && gSpiritSlot <= 5) SaveSpirit();
    return WriteSlotFile(slot, image);
}

// ---- loading ----------------------------------------------------------------------

namespace {

// Everything a checked file installs, built aside from the running game.
struct LoadPlan {
    SaveImage image;
    uint8_t* mapsImage = nullptr; // a fresh "maps.dat" image with the saved states in it
    uint32_t mapsImageSize = 0;
    ItemRecord* equip[kPartyMembers][kEquipSlots] = {};
    ItemRecord* magic[kPartyMembers] = {};
    ItemRecord* bag = nullptr;
    std::vector<uint8_t> fameRaw;

    LoadPlan() = default;
    LoadPlan(const LoadPlan&) = delete;
    LoadPlan& operator=(const LoadPlan&) = delete;
    ~LoadPlan() {
        FreeMem(mapsImage);
        for (auto& slots : equip)
            for (ItemRecord* node : slots) FreeItemNode(node);
        for (ItemRecord*& list : magic) FreeItemList(&list);
        FreeItemList(&bag);
    }
};

// "maps.dat" read again into the plan; the running image is kept whatever happens.
SaveResult ReadFreshMapsImage(LoadPlan* plan) {
    uint8_t* const running = gMapsImage;
    const uint32_t runningSize = gMapsImageSize;
    gMapsImage = nullptr;
    gMapsImageSize = 0;
    const MapsImageResult r = ReadMapsImage();
    plan->mapsImage = gMapsImage;
    plan->mapsImageSize = gMapsImageSize;
    gMapsImage = running;
    gMapsImageSize = runningSize;
    if (r != kMapsImageRead) return SaveResult::Fault(-1, "maps.dat cannot be read again");
    return SaveResult::Fine();
}

// Role definitions go over the fresh ones whole, matched by GUID.
void PutRoleDefs(LoadPlan* plan) {
    const std::vector<uint8_t>& saved = plan->image.roleDefs;
    const DefTable table = RoleDefTable(plan->mapsImage, plan->mapsImageSize);
    std::vector<uint16_t> savedKeys, targetKeys;
    for (size_t at = 0; at + kSaveRoleDefSize <= saved.size(); at += kSaveRoleDefSize) {
        if (Word(&saved[at]) == kRoleDefEnd) break;
        savedKeys.push_back(Word(&saved[at + 2]));
    }
    uint8_t* defs = plan->mapsImage + table.offset;
    for (size_t i = 0; i < table.count; ++i) targetKeys.push_back(Word(defs + i * kRoleDefBytes + 2));
    const std::vector<long> match = MatchByKey(savedKeys, targetKeys);
    for (size_t i = 0; i < match.size(); ++i)
        if (match[i] >= 0) std::memcpy(defs + size_t(match[i]) * kRoleDefBytes, &saved[i * kSaveRoleDefSize], kRoleDefBytes);
}

void PutObjectStates(LoadPlan* plan) {
    const auto& saved = plan->image.main.objectStates;
    const std::vector<size_t> offsets = ObjectStateOffsets(plan->mapsImage, plan->mapsImageSize);
    std::vector<uint16_t> savedKeys, targetKeys;
    for (const auto& s : saved) savedKeys.push_back(Word(s.data()));
    for (size_t at : offsets) targetKeys.push_back(Word(plan->mapsImage + at));
    const std::vector<long> match = MatchByKey(savedKeys, targetKeys);
    for (size_t i = 0; i < match.size(); ++i) {
        if (match[i] < 0) continue;
        uint8_t* record = plan->mapsImage + offsets[size_t(match[i])];
        if (Word(record + 6) & kObjectStateFixed) continue;
        std::memcpy(record, saved[i].data(), kSaveObjectStateSize);
    }
}

SaveResult UnknownId(const char* what, int place, uint16_t id) {
    char text[96];
    std::snprintf(text, sizeof text, "%s %d holds object %d, which this game does not define", what, place, int(id));
    return SaveResult::Fault(4, text);
}

// The lists of block 4, in file order. An id without an object record
// refuses the file (the file stays as it is; nothing of the party is lost).
SaveResult BuildLists(LoadPlan* plan) {
    const SaveMainState& main = plan->image.main;
    for (int m = 0; m < kPartyMembers; ++m) {
        for (int s = 0; s < kEquipSlots; ++s) {
            const uint16_t id = main.equip[size_t(m * kEquipSlots + s)];
            ItemRecord* node = id == kPlaceholderItem || id == 0 ? NewPlaceholderItem() : NewItemNode(id);
            if (!node) return UnknownId("equipment slot", m * kEquipSlots + s, id);
            node->count = 1;
            plan->equip[m][s] = node;
        }
        for (uint16_t id : main.magic[size_t(m)]) {
            if (id == kPlaceholderItem) continue;
            ItemRecord* node = NewItemNode(id);
            if (!node) return UnknownId("the magic of member", m, id);
            node->count = 1;
            AppendItemNode(&plan->magic[m], node);
        }
    }
    for (const SaveBagEntry& e : main.bag) {
        const uint16_t id = e.key & 0x7FFF;
        ItemRecord* node = plan->bag;
        while (node && node->id != id) node = node->next;
        if (!node) {
            node = NewItemNode(id);
            if (!node) return UnknownId("the bag entry of", int(id), id);
            AppendItemNode(&plan->bag, node);
        }
        int16_t& count = (e.key & 0x8000) ? node->newCount : node->count;
        count = int16_t(std::min<int>(count + e.count, kItemCountMax));
    }
    return SaveResult::Fine();
}

// Block 9 unpacked and parsed aside; the running lists are put back as they were.
SaveResult CheckFameBlock(LoadPlan* plan) {
    const std::vector<uint8_t>& block = plan->image.fame;
    ByteReader in(block);
    const uint8_t kind = in.u8(), zero = in.u8();
    const uint32_t rawLength = in.u32(), packedLength = in.u32();
    const SaveResult bad = SaveResult::Fault(9, "block 9 (fame lists): damaged");
    if (!in.ok() || kind != 1 || zero != 0 || rawLength > kSaveMaxFameBytes || packedLength != in.remaining() ||
        rawLength > LzoUnpackedBound(packedLength))
        return bad;
    plan->fameRaw.assign(rawLength, 0);
    uint32_t got = rawLength;
    if (DecompressBuffer(in.data() + in.tell(), plan->fameRaw.data(), packedLength, &got) != kLzoOk || got != rawLength)
        return bad;
    const std::vector<uint8_t> running = FameRawForm();
    const bool parses = ParseFameRaw(plan->fameRaw.data(), plan->fameRaw.size());
    ParseFameRaw(running.data(), running.size());
    return parses ? SaveResult::Fine() : bad;
}

SaveResult PrepareLoad(LoadPlan* plan) {
    if (SaveResult r = ReadFreshMapsImage(plan); !r.ok) return r;
    MapRecord record{};
    const uint32_t map = plan->image.position.currentMap;
    if (!FindMapRecord({plan->mapsImage, plan->mapsImageSize}, map, &record) || record.words[1] == 0xFFFF) {
        char text[64];
        std::snprintf(text, sizeof text, "block 3 (position): map %u is not in this game", map);
        return SaveResult::Fault(3, text);
    }
    PutRoleDefs(plan);
    if (plan->image.Has(4)) {
        PutObjectStates(plan);
        if (SaveResult r = BuildLists(plan); !r.ok) return r;
    }
    if (plan->image.Has(9)) {
        if (SaveResult r = CheckFameBlock(plan); !r.ok) return r;
    }
    return SaveResult::Fine();
}

template <typename T>
void SwapIn(T& running, T& planned) {
    std::swap(running, planned); // the plan frees what the game held
}

// A value the menus divide by or index with is kept in range.
void KeepStatsUsable(MemberStats* m) {
    for (int16_t& max : m->gaugeMax) max = std::max<int16_t>(max, 1);
    if (m->elementIndex > 4) m->elementIndex = 0;
    if (m->firstElement > 4) m->firstElement = 0;
}

void InstallMainState(LoadPlan* plan) {
    const SaveMainState& main = plan->image.main;
    gStoryClock = main.storyClock;
    std::copy(main.talkVar.begin(), main.talkVar.end(), gTalkVar);
    for (int m = 0; m < kPartyMembers; ++m) {
        ByteReader in(main.memberStats[size_t(m)].data(), kSaveMemberStatsSize);
        MemberStats stats{};
        ReadMemberStats(in, &stats);
        stats.bonus[0] = stats.bonus[1] = 0;
        KeepStatsUsable(&stats);
        gMemberStats[m] = stats;
        for (int s = 0; s < kEquipSlots; ++s) SwapIn(gMemberEquip[m][s], plan->equip[m][s]);
        SwapIn(gMagicLists[m], plan->magic[m]);
    }
    SwapIn(gInventory, plan->bag);
}

void InstallLaterBlocks(LoadPlan* plan, const RoleRecord& player) {
    const SaveImage& im = plan->image;
    if (im.Has(5)) {
        for (int r = 0; r < kNickRows; ++r) {
            std::memcpy(gNickNames[r], im.names.data() + r * kNickRowBytes, kNickRowBytes);
            for (int s = 0; s < kNickSlots; ++s) gNickNames[r][s * kNickSlotBytes + kNickSlotBytes - 1] = 0;
        }
    }
    if (im.Has(6)) StartPlayClock(im.playTime);
    if (im.Has(7)) {
        const SaveReturnPoint& rp = im.returnPoint;
        gReturnPoint = {rp.cellX, rp.cellY, rp.map, rp.act};
        if (rp.map == 0)
            gReturnPoint = {uint16_t(player.x / kCellPixels), uint16_t(player.y / kCellPixels), uint16_t(gCurrentMap), 0};
        gTalkCountdown = int32_t(rp.countdownFrames);
        gCountdownTalk = rp.countdownTalk;
        const uint32_t second = rp.reserved[0] | rp.reserved[1] << 8 | rp.reserved[2] << 16 | uint32_t(rp.reserved[3]) << 24;
        gFlagCountdown = int32_t(second - 1);
    }
    if (im.Has(8)) {
        for (int m = 0; m < 4; ++m) {
            const SaveBattleRecord& b = im.battle[size_t(m)];
            gMemberBattle[m] = {b.charge, b.techniquePoints, b.pointsNeeded, b.nextTechnique};
        }
    }
    if (im.Has(9)) ParseFameRaw(plan->fameRaw.data(), plan->fameRaw.size());
    StopShake();
    if (im.Has(10)) {
        int16_t words[kSaveShakeTableSize / 2];
        for (size_t i = 0; i < kSaveShakeTableSize / 2; ++i) words[i] = int16_t(Word(&im.shake.table[2 * i]));
        SetShakeTable(words, kSaveShakeTableSize / 2, im.shake.interval);
        gShake.hold = std::clamp<int32_t>(im.shake.framesLeft, 1, gShake.period);
    }
    if (im.Has(11)) {
        std::memcpy(gTravelRefusalText, im.travelRefusal.data(), kSaveRefusalTextSize);
        std::memcpy(gExitRefusalText, im.exitRefusal.data(), kSaveRefusalTextSize);
    }
}

// The checked plan becomes the running game: a new game's state first (so
// nothing of the game that ran before survives in what the file lacks),
// then every block of the file over it.
void InstallLoad(LoadPlan* plan) {
    // What the running game shows goes first: the scene's lists, dialogs and
    // effects are emptied and the screen is black until the saved map draws.
    // (The music: MiscInit below asks for the map's, which fades out any
    // story music that played.)
    ResetPresentation();
    ShowBlackScreen();
    SwapIn(gMapsImage, plan->mapsImage);
    std::swap(gMapsImageSize, plan->mapsImageSize);
    const int mapEffects = IsFlag(kFlagMapEffects);
    ResetSaveState();
    MiscInit();
    InitNickNames();
    gTalkCountdown = gFlagCountdown = -1;

    const SaveImage& im = plan->image;
    std::copy(im.storyFlags.begin(), im.storyFlags.end(), gStoryFlag);
    bool kept[std::size(kFlagsKeptOverLoad)];
    for (size_t i = 0; i < std::size(kFlagsKeptOverLoad); ++i) kept[i] = IsFlag(kFlagsKeptOverLoad[i]);
    SetFlag(3);
    SetFlag(4);
    SetFlagTo(kFlagMapEffects, mapEffects); // a setting, not story state

    gMapScriptGuid = im.position.scriptGuid;
    gCurrentMap = im.position.currentMap;
    RoleRecord player;
    player.x = int32_t(im.position.cellX) * kCellPixels;
    player.y = int32_t(im.position.cellY) * kCellPixels;
    if (im.Has(4)) InstallMainState(plan);
    InstallLaterBlocks(plan, player);

    InitSpirit(0);
    if (gSpiritSlot >= 1 && gSpiritSlot <= 5) LoadSpirit(int(gSpiritSlot) - 1);
    IdleTalkContext();
    ReadFame();
    gLoadSavedMap(gCurrentMap, im.position.cellX, im.position.cellY, uint16_t(im.position.act),
                  uint16_t(im.position.qq), uint16_t(im.position.dir));
    for (int n : kFlagsKeptOverLoad) ClearFlag(n);
    for (size_t i = 0; i < std::size(kFlagsKeptOverLoad); ++i)
        if (kept[i]) SetFlag(kFlagsKeptOverLoad[i]);
    ClearFlag(kFlagLoadCleared);
}

} // namespace

SaveResult LoadSaveBytes(const uint8_t* data, size_t size) {
    LoadPlan plan;
    if (SaveResult r = DecodeSave(data, size, &plan.image); !r.ok) return r;
    if (SaveResult r = PrepareLoad(&plan); !r.ok) return r;
    InstallLoad(&plan);
    return SaveResult::Fine();
}

SaveResult ReadSaveSlot(int slot) {
    const std::string path = SaveSlotPath(slot);
    if (path.empty()) return SaveResult::Fault(-1, "no such slot");
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(path, kSaveMaxFileBytes, &bytes, nullptr, &error)) return SaveResult::Fault(-1, error);
    return LoadSaveBytes(bytes.data(), bytes.size());
}
