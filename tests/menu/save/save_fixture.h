// A small install for the save tests: "mon.dat" with a few items and
// magic, "maps.dat" with role definitions, object states and a map list, and
// a snapshot of everything a load installs, to compare a refused load with.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/game_state.h"
#include "base/nick_names.h"
#include "base/settings.h"
#include "battle/battle_services.h"
#include "menu/menu_services.h"
#include "menu/save/save_state.h"
#include "platform/headless/headless.h"
#include "tests/support/temp_folder.h"
#include "tools/map_tables_writer.h"
#include "tools/maps_writer.h"
#include "tools/obj_db_writer.h"
#include "world/game_buffers.h"
#include "world/map/map.h"
#include "world/map/map_effects.h"
#include "world/map/map_load.h"
#include "world/new_game.h"
#include "world/org/count_list.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/release_game.h"
#include "world/role/role_def.h"
#include "world/spirit/spirit.h"
#include "world/story_flags.h"
#include "world/talk_state.h"

// Everything of the game a load writes, as plain values.
struct GameSnapshot {
    std::vector<uint8_t> flags, mapsImage, stats, names, fame, shake, texts;
    const uint8_t* mapsImagePointer = nullptr;
    std::vector<uint32_t> talkVar, words;
    std::vector<std::vector<int>> lists; // bag, magic 0..3, equipment (id, count, new count)
    bool operator==(const GameSnapshot&) const = default;
};

inline std::vector<int> ListOf(const ItemRecord* list) {
    std::vector<int> out;
    for (const ItemRecord* n = list; n; n = n->next) out.insert(out.end(), {n->id, n->count, n->newCount});
    return out;
}

inline GameSnapshot TakeSnapshot() {
    GameSnapshot s;
    s.flags.assign(gStoryFlag, gStoryFlag + kStoryFlagBytes);
    s.mapsImage.assign(gMapsImage, gMapsImage + gMapsImageSize);
    s.mapsImagePointer = gMapsImage;
    for (const MemberStats& m : gMemberStats) WriteMemberStats(m, s.stats);
    for (const auto& row : gNickNames) s.names.insert(s.names.end(), row, row + kNickRowBytes);
    s.fame = FameRawForm();
    for (int16_t w : gShake.table) s.shake.push_back(uint8_t(w));
    s.texts.assign(gTravelRefusalText, gTravelRefusalText + kSaveRefusalTextSize);
    s.texts.insert(s.texts.end(), gExitRefusalText, gExitRefusalText + kSaveRefusalTextSize);
    s.talkVar.assign(gTalkVar, gTalkVar + kTalkVarCount);
    s.words = {gStoryClock, gPlayTime, gMapScriptGuid, gCurrentMap, uint32_t(gTalkCountdown), uint32_t(gFlagCountdown),
               gCountdownTalk, gReturnPoint.cellX, gReturnPoint.cellY, gReturnPoint.map, gReturnPoint.act,
               uint32_t(gShake.period), uint32_t(gShake.hold)};
    for (const MemberBattleRecord& b : gMemberBattle)
        s.words.insert(s.words.end(), {b.charge, b.techniquePoints, b.pointsNeeded, b.nextTechnique});
    s.lists.push_back(ListOf(gInventory));
    for (ItemRecord* list : gMagicLists) s.lists.push_back(ListOf(list));
    for (auto& slots : gMemberEquip)
        for (ItemRecord* node : slots) s.lists.push_back(ListOf(node));
    return s;
}

class SaveGameTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", install.Path().c_str());
        install.MakeFolder("save");
        ResetAll();
        ASSERT_TRUE(WriteMonDat(install.Path(), {{1, ObjectRecordBytes("Herb", 0, {})},
                                                 {2, ObjectRecordBytes("Sword", 0, {})},
                                                 {3, ObjectRecordBytes("Robe", 0, {})},
                                                 {40, ObjectRecordBytes("Fire", 0, {})},
                                                 {41, ObjectRecordBytes("Ice", 0, {})},
                                                 {42, ObjectRecordBytes("Wind", 0, {})}},
                                {}));
        spec.roleDefs = {RoleDef{81, 1, {100, 0, 1}, 5, 6, 0, 0, 0, 0x8000, 0},
                         RoleDef{81, 7, {101, 0, 1}, 7, 6, 12, 0, 0, 0x8000, 0},
                         RoleDef{82, 7, {102, 0, 1}, 9, 9, 13, 0, 0, 0x8000, 0},
                         RoleDef{82, 8, {103, 0, 1}, 3, 3, 14, 0, 0, 0x8000, 0}};
        const uint16_t start[7] = {81, 5, 6, 1, 0, 1, 7};
        std::memcpy(spec.start, start, sizeof spec.start);
        spec.bag = {{1, 5}, {2, 1}};
        for (int m = 0; m < 4; ++m) {
            spec.party[m].gaugeMax[0] = spec.party[m].gauge[0] = int16_t(100 + m);
            spec.party[m].gaugeMax[1] = spec.party[m].gaugeMax[2] = 10;
            spec.party[m].level = uint8_t(m + 1);
        }
        spec.magic[0] = {40, 41};
        spec.equipment[0][0] = 2;
        spec.battleSteps.assign(16, 3);
        spec.mapNames = {{81, "Village"}, {82, "Hills"}};
        // Two chests with the same first word, and one the map keeps fixed (0x800).
        spec.objectStates = {{5, 0, 1, 0, 0, 0, 0, 0}, {5, 0, 2, 0, 0, 0, 0, 0}, {6, 0, 0, 0, 0, 0, 0, 0x08}};
        MapListRecord village, hills;
        village.map = 81;
        village.code = 1;
        hills.map = 82;
        hills.code = 2;
        spec.raw[3] = MapListTable({village, hills});
        WriteMaps();
    }
    void TearDown() override {
        ResetAll();
        gInstallPath[0] = 0;
    }
    static void ResetAll() {
        ReleaseGame();
        FreeMapsImage();
        FreeItemLists();
        FreeFameLists();
        CloseObjFiles();
        ResetMemberStats();
        ResetSpirit();
        ResetStoryFlags();
        ResetTalkState();
        ResetNickNames();
        ResetGameState();
        ResetMenuServices();
        ResetBattleServices();
        StopShake();
        gShake = ScreenShake{};
        gLoadSavedMap = [](uint32_t map, uint32_t x, uint32_t y, uint16_t a, uint16_t b, uint16_t c) {
            gStartRecord.map = uint16_t(map);
            gStartRecord.x = uint16_t(x);
            gStartRecord.y = uint16_t(y);
            gStartRecord.arg[0] = a;
            gStartRecord.arg[1] = b;
            gStartRecord.arg[2] = c;
        };
        gStartRecord = StartRecord{};
    }
    void WriteMaps() { ASSERT_TRUE(WriteMapsDat(install.Path(), spec)); }
    // A new game with something changed in every part a save holds.
    void PlayAWhile() {
        ASSERT_EQ(NewGame(0), 1);
        InitNickNames();
        SetFlag(30);
        SetFlag(31);
        SetFlag(500);
        SetFlag(kFlagCountdownArmed);
        for (int n = 0; n < kTalkVarCount; ++n) gTalkVar[n] = uint32_t(n * 7 + 1);
        gStoryClock = 321;
        gMemberStats[1].experience = 999;
        gMemberStats[1].bonus[0] = 44; // worked out again from the equipment: stored as 0
        FreeItemList(&gInventory);
        AddItem(&gInventory, 3, 2, kAddCount);     // the bag's order is 1, 2, 3 after these
        AddItem(&gInventory, 2, 4, kAddCount);
        AddItem(&gInventory, 1, 9, kAddCount);
        AddItem(&gInventory, 2, 3, kAddNewOnly);   // a second count
        AddMagic(1, 42);
        AddMagic(1, 40);
        for (ItemRecord* list : gMagicLists)
            for (ItemRecord* n = list; n; n = n->next) n->count = 1; // as a loaded list holds them
        FreeItemNode(gMemberEquip[2][5]);
        gMemberEquip[2][5] = NewItemNode(3);
        gMemberEquip[2][5]->count = 1;
        gCurrentMap = 81;
        gMapScriptGuid = 7;
        // Chest states and role definitions as the story left them.
        SetObjectStateByte(0, 4, 0x77);
        SetObjectStateByte(1, 4, 0x55);
        SetRoleDef(7, 200, -1, -1, 1, 2, -1, -1, 0, 65535, -1, 32896);
        gTalkCountdown = 300;
        gCountdownTalk = 12;
        gFlagCountdown = 450;
        gReturnPoint = {4, 5, 82, 1};
        gMemberBattle[3] = {1, 2, 3, 4};
        AddCount(&gFameList1, 11, 2);
        AddCount(&gFameList2, 33, 5);
        const int16_t shake[] = {1, -1, 2, -2, int16_t(kShakeEnd)};
        SetShakeTable(shake, 5, 3);
        std::memcpy(gTravelRefusalText, "no travel", 10);
        std::memcpy(gExitRefusalText, "no exit", 8);
        gNickNames[1][0] = 'Q';
    }
    // Byte b of object-state record n of the running image.
    static void SetObjectStateByte(int n, int b, uint8_t v) {
        const MapsImage im = CurrentMapsImage();
        uint32_t table = 0, list = 0, at = 0;
        ASSERT_TRUE(MapsTable(im, 2, &table));
        ASSERT_TRUE(MapsU32(im, table + 4, &list));
        ASSERT_TRUE(MapsU32(im, list + 4 * uint32_t(n), &at));
        gMapsImage[at + uint32_t(b)] = v;
    }
    // The slot's bytes and "Fame.dat", as a save writes them.
    std::vector<uint8_t> SavedBytes() {
        EXPECT_TRUE(WriteFame(nullptr));
        SaveImage image;
        CollectSaveImage(&image);
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(EncodeSave(image, &bytes).ok);
        return bytes;
    }
    TempFolder install{"savegame"};
    MapsDatSpec spec;
};
