#include <gtest/gtest.h>

#include <algorithm>

#include "base/random.h"
#include "media/music.h"
#include "tests/world/map/map_fixture.h"
#include "tools/map_tables_writer.h"
#include "world/game_buffers.h"
#include "world/map/load_progress.h"
#include "world/map/map_effects.h"
#include "world/map/map_load.h"
#include "world/map/map_render.h"
#include "world/maps_image.h"
#include "world/walk/player_walk.h"

namespace {

class LoadCityTest : public MapTest {
protected:
    void SetUp() override {
        MapTest::SetUp();
        temp_.MakeFolder("data");
        ResetMusic();
        InitRandom(99);
        gMapScriptGuid = 1;
        PutArchive({SimpleMap(100, 50, 40), SimpleMap(200, 40, 30)});
        MapListRecord a;
        a.map = 1;
        a.code = 100;
        a.walkStep = 3;
        a.tint[0] = 9;
        a.tint[1] = 8;
        a.tint[2] = 15;
        a.weather = 0x04;  // rain
        a.battleGroup = 1;
        a.tilePeriod = 0;
        MapListRecord b;
        b.map = 2;
        b.code = 200;
        b.walkStep = 8;
        b.weather = 0x21;  // dense clouds and sparkles
        b.noEscape = true;
        MapListRecord c;
        c.map = 3;
        c.code = 999;  // not in the archive
        list_ = {a, b, c};
        Rebuild();
    }
    void Rebuild() {
        MapsTables t;
        t[kTableMapList] = MapListTable(list_);
        t[kTableArrivalFlags] = WordTable({1, 300, 1, 301, 2, 302, 0, 0});
        t[kTableMapNames] = MapNamesTable({{1, "town"}, {2, "cave"}});
        t[kTableBattleSteps] = WordTable(steps_);
        t[kTableRoleSounds] = WordTable({0});
        t[kTableMusic] = MusicTable(0, {"zero.mp3", "one.mp3", "two.mp3"}, music_);
        t[kTableMusic] = MusicTable(MapsTableAt(t, kTableMusic), {"zero.mp3", "one.mp3", "two.mp3"}, music_);
        t[kTableFightAreas] = FightAreaTable(0, areas_);
        t[kTableFightAreas] = FightAreaTable(MapsTableAt(t, kTableFightAreas), areas_);
        ASSERT_TRUE(WriteBytesToFile((temp_ / "maps.dat").c_str(), BuildMapsFile(t)));
        ASSERT_EQ(ReadMapsImage(), kMapsImageRead);
    }
    void TearDown() override {
        ResetGameBuffers();
        ResetMusic();
        MapTest::TearDown();
    }
    std::vector<MapListRecord> list_;
    std::vector<uint16_t> steps_ = {10, 50, 10, 100, 0, 0, 0, 0, 0xFFFF};
    std::vector<std::vector<uint16_t>> music_ = {{1, 1, 2, 1}};
    std::vector<FightAreaRecord> areas_ = {{1, 0, 0, 9, 9, {7, 8, 9}}, {1, 10, 0, 20, 9, {}}, {2, 0, 0, 5, 5, {4}}};
};

TEST_F(LoadCityTest, LoadsTheMapAndItsProperties) {
    LoadCity(1, 5, 6, 10, 11, 12, 0);
    EXPECT_EQ(gGameMode & kModeQuit, 0u);
    EXPECT_EQ(gCurrentMap, 1u);
    EXPECT_EQ(gMap.width, 50u);
    EXPECT_STREQ(gMap.name, "town");
    EXPECT_EQ(gMapWalkStep, 4u);  // 3 is not a step
    EXPECT_EQ(gMapTint.red, -7);
    EXPECT_EQ(gMapTint.green, 8);
    EXPECT_EQ(gMapTint.blue, -1);
    EXPECT_EQ(gTileAnimPeriod, 1u);
    EXPECT_TRUE(IsFlag(8));
    EXPECT_FALSE(IsFlag(5));
    EXPECT_TRUE(IsFlag(5001));
    EXPECT_EQ(gEscapeAllowed, 1u);
    ASSERT_LT(gPlayerRole, TotalRole);
    EXPECT_EQ(gRole[gPlayerRole].x, 80);
    EXPECT_EQ(gRole[gPlayerRole].y, 96);
    EXPECT_EQ(gRole[gPlayerRole].act.qq, 11);
    EXPECT_EQ(gCamera.left, 0);
    EXPECT_EQ(gFollowTrailX[31], 80);
    EXPECT_EQ(gLastLoadProgress, 100);
    EXPECT_EQ(gFrameInterval, 35u);
    ASSERT_EQ(gFightAreas.size(), 2u);
    EXPECT_EQ(gFightAreas[0].left, 10u);  // reverse table order

    LoadCity(2, 1, 1, 0, 0, 0, 0);
    EXPECT_EQ(gMapWalkStep, 8u);
    EXPECT_TRUE(IsFlag(5));
    EXPECT_TRUE(IsFlag(22));
    EXPECT_FALSE(IsFlag(8));
    EXPECT_EQ(gWeather.cloudBase, 64);
    EXPECT_EQ(gWeather.cloudSpread, 8);
    EXPECT_EQ(gEscapeAllowed, 0u);
}

TEST_F(LoadCityTest, ArrivalFlagsAreSetOnce) {
    LoadCity(1, 1, 1, 0, 0, 0, 0);
    EXPECT_TRUE(IsFlag(300));
    EXPECT_TRUE(IsFlag(301));
    EXPECT_TRUE(IsFlag(25));
    LoadCity(1, 1, 1, 0, 0, 0, 0);
    EXPECT_FALSE(IsFlag(25));
}

TEST_F(LoadCityTest, MusicIsKeptWithoutARecordAndChangedForAnother) {
    LoadCity(1, 1, 1, 0, 0, 0, 0);
    EXPECT_EQ(gMapMusic.trackA, 1u);
    EXPECT_EQ(gMapMusic.trackB, 2u);
    EXPECT_EQ(gMusic.slots[0][0].id, 1u);
    const uint32_t mode = gMusic.requestedMode;
    LoadCity(2, 1, 1, 0, 0, 0, 0);  // no record
    EXPECT_EQ(gMusic.requestedMode, mode);
    EXPECT_EQ(gMapMusic.trackA, 0u);
}

// A new map's tracks are queued whatever plays; while the story's music
// (mode 2) plays they wait for the story to ask for the map's music again.
TEST_F(LoadCityTest, StoryMusicPlaysOnOverANewMapsTracks) {
    struct Case {
        uint32_t playing, resume;
        uint32_t requested;    // the request after the load (0: untouched)
        uint32_t resumeAfter;
    } cases[] = {
        {2, 0, 0, 0},
        {2, 2, 0, 2},
        {2, 1, 1, 0},
        {1, 0, 1, 0},
        {3, 2, 1, 0},
        {0, 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.playing << "/" << c.resume);
        ResetMusic();
        gMapMusic = {};
        gMusic.currentMode = c.playing;
        gMusic.requestedMode = 0;
        gMusicResume[0] = c.resume;
        gMusicState = 0xFFFFFFFF;
        LoadCity(1, 1, 1, 0, 0, 0, 0);
        EXPECT_EQ(gMusic.slots[0][0].id, 1u);  // queued in every case
        EXPECT_EQ(gMusic.slots[0][1].id, 2u);
        EXPECT_EQ(gMapMusic.trackA, 1u);
        EXPECT_EQ(gMusic.requestedMode, c.requested);
        EXPECT_EQ(gMusicResume[0], c.resumeAfter);
        EXPECT_EQ(gMusicState, 0u);
    }
    // A map without a record clears only bits 18 and 19 of the state word.
    gMusicState = 0xFFFFFFFF;
    LoadCity(2, 1, 1, 0, 0, 0, 0);
    EXPECT_EQ(gMusicState, 0xFFF3FFFFu);
}

TEST_F(LoadCityTest, FatalPathsQuitAndEmptyTheMap) {
    LoadCity(9, 1, 1, 0, 0, 0, 0);  // no record
    EXPECT_NE(gGameMode & kModeQuit, 0u);
    EXPECT_EQ(gMap.width, 0u);
    EXPECT_EQ(BoxCount(), 1u);
    gGameMode = 0;
    LoadCity(3, 1, 1, 0, 0, 0, 0);  // its map is not in the archive
    EXPECT_NE(gGameMode & kModeQuit, 0u);
    EXPECT_EQ(gMap.width, 0u);
    EXPECT_TRUE(gMap.cells.empty());
}

TEST_F(LoadCityTest, APlayerOutsideTheMapIsMovedOntoIt) {
    LoadCity(2, 40, 3, 0, 0, 0, 0);
    ASSERT_LT(gPlayerRole, TotalRole);
    EXPECT_EQ(gRole[gPlayerRole].x, 39 * 16);
    EXPECT_EQ(BoxCount(), 1u);
}

TEST_F(LoadCityTest, RandomFights) {
    LoadCity(1, 2, 2, 0, 0, 0, 0);
    // Steps beyond the spans (10 + 10) give no fight; forced, the first pair.
    EXPECT_EQ(ChooseRandomFight(25, 0), 0u);
    int fights = 0;
    for (int i = 0; i < 200; ++i) {
        const uint32_t f = ChooseRandomFight(15, 0);  // second pair: 100 percent
        EXPECT_TRUE(f == 7 || f == 8 || f == 9) << f;
        fights += f != 0;
    }
    EXPECT_EQ(fights, 200);
    gFightStep = 5;
    EXPECT_NE(ChooseRandomFight(1000, 1), 0u);
    EXPECT_EQ(gFightStep, 0u);
    // An area whose list is empty gives no fight (never Random(0)).
    gRole[gPlayerRole].x = 12 * 16;
    EXPECT_EQ(ChooseRandomFight(15, 1), 0u);
    gRole[gPlayerRole].x = 30 * 16;  // no area
    EXPECT_EQ(ChooseRandomFight(15, 1), 0u);
}

// Steps equal to the sum of the spans are past the last pair; a pair's
// percent equal to the roll gives no fight, one above it a fight.
TEST_F(LoadCityTest, RandomFightBoundaries) {
    LoadCity(1, 2, 2, 0, 0, 0, 0);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(ChooseRandomFight(20, 0), 0u);  // spans 10 + 10
        EXPECT_NE(ChooseRandomFight(19, 0), 0u);  // the second pair: 100 percent
    }
    uint32_t table = 0;
    ASSERT_TRUE(MapsTable(CurrentMapsImage(), kTableBattleSteps, &table));
    uint16_t span = 0, percent = 0;
    ASSERT_TRUE(MapsU16(CurrentMapsImage(), table, &span));
    ASSERT_TRUE(MapsU16(CurrentMapsImage(), table + 2, &percent));
    ASSERT_EQ(span, 10);
    ASSERT_EQ(percent, 50);
    for (int i = 0; i < 30; ++i) {
        uint32_t saved[kRandomTableSize];
        std::copy(gRandomTable, gRandomTable + kRandomTableSize, saved);
        const int savedIndex = gRandomIndex;
        const int roll = Random(100);
        for (int above : {0, 1}) {
            std::copy(saved, saved + kRandomTableSize, gRandomTable);
            gRandomIndex = savedIndex;
            gMapsImage[table + 2] = uint8_t(roll + above);
            gMapsImage[table + 3] = 0;
            EXPECT_EQ(ChooseRandomFight(5, 0) != 0, above == 1) << "roll " << roll << " percent " << roll + above;
        }
    }
}

TEST_F(LoadCityTest, AnEmptyProbabilityTableGivesNoFights) {
    steps_ = {0xFFFF};
    Rebuild();
    LoadCity(1, 2, 2, 0, 0, 0, 0);
    EXPECT_EQ(BoxCount(), 1u);  // the bad group is reported
    EXPECT_EQ(gBattleGroup, 0u);
    EXPECT_EQ(ChooseRandomFight(1, 1), 0u);
}

TEST_F(LoadCityTest, AFifthChimneyIsReportedAndNotServiced) {
    LoadCity(1, 2, 2, 0, 0, 0, 0);
    RoleRecord roles[5];
    for (int i = 0; i < 5; ++i) {
        roles[i].guid = uint16_t(50 + i);
        roles[i].flags = kRoleChimney;
        EXPECT_EQ(RegisterChimney(&roles[i]), i < 4);
    }
    EXPECT_EQ(gChimneyCount, 4);
    EXPECT_EQ(roles[4].flags & kRoleChimney, 0u);
    EXPECT_EQ(BoxCount(), 1u);
}

TEST_F(LoadCityTest, TintNibbles) {
    const int expected[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, -7, -6, -5, -4, -3, -2, -1};
    for (uint32_t n = 0; n < 16; ++n) EXPECT_EQ(TintNibble(n), expected[n]);
}

TEST_F(LoadCityTest, ImageReadsStayInsideTheImage) {
    const uint8_t tiny[6] = {200, 0, 0, 0, 1, 2};
    const MapsImage im{tiny, sizeof tiny};
    uint32_t at = 0;
    EXPECT_FALSE(MapsTable(im, 0, &at));  // offset 200 is past the image
    EXPECT_FALSE(MapsTable(im, 1, &at));
    MapRecord r;
    EXPECT_FALSE(FindMapRecord(im, 1, &r));
    char name[8];
    EXPECT_FALSE(FindMapNameIn(im, 1, name, sizeof name));
    EXPECT_EQ(BattleGroupRows(im), 0u);
}

} // namespace
