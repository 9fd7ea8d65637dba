// The sample story's maps, written as make_sample writes them, load through
// the game's archive, cache and map loading: the start map is drawn from the
// story's tiles around the player, each map plays its own music, it rains
// in the woods, and the event cells name their points.
#include <gtest/gtest.h>

#include "draw/act_pack.h"
#include "draw/display.h"
#include "draw/draw_kernel.h"
#include "draw/surface.h"
#include "tests/world/map/map_fixture.h"
#include "tools/act_writer.h"
#include "tools/sample_story.h"
#include "world/game_buffers.h"
#include "world/map/map_load.h"
#include "world/map/map_render.h"
#include "world/role/role_def.h"
#include "world/role/role_helpers.h"

namespace {

class StoryMapTest : public DrawnMapTest {
protected:
    void SetUp() override {
        DrawnMapTest::SetUp();
        std::string error;
        ASSERT_TRUE(LoadSampleStory(SampleSourceFolder(), &story_, &error)) << error;
        ASSERT_TRUE(WriteBytesToFile((temp_ / "HUGE.lmf").c_str(), BuildLmf(StoryLmfMaps(story_))));
        ASSERT_TRUE(WriteBytesToFile((temp_ / "maps.dat").c_str(), BuildStoryMapsDat(story_, MapsDatSpec{})));
        // The map load places the map's roles and starts their acts: the
        // figures' acts of the character pack, as make_sample writes them.
        ResetActPacks();
        std::vector<PackEntryData> acts;
        for (const FigureSpec& f : story_.figures) acts.push_back({f.act, FigureAct(f.act)});
        ASSERT_TRUE(WriteBytesToFile((temp_ / "all_char.act").c_str(), BuildActPack(acts)));
        ASSERT_EQ(ReadMapsImage(), kMapsImageRead);
        gMapScriptGuid = story_.start[6];
    }
    uint16_t Pixel(int cellX, int cellY) const {
        return *BackPixel(cellX * 16 - gCamera.left + 1, cellY * 16 - gCamera.top + 1);
    }
    void TearDown() override {
        DrawnMapTest::TearDown();
        ResetActPacks();
    }
    // Every role the story defines on the map stands on its cell.
    void ExpectRolesOf(uint16_t map) const {
        int placed = 0;
        for (const RoleDef& def : story_.roleDefs) {
            if (def.map != map) continue;
            uint32_t i = 0;
            ASSERT_TRUE(FindRole(def.guid, &i)) << def.guid;
            EXPECT_EQ(gRole[i].x, def.cellX * 16) << def.guid;
            EXPECT_EQ(gRole[i].y, def.cellY * 16) << def.guid;
            ++placed;
        }
        EXPECT_GT(placed, 0);
    }
    SampleStory story_;
};

TEST_F(StoryMapTest, TheVillageIsDrawnFromTheStoryTilesAroundThePlayer) {
    LoadCity(story_.start[0], story_.start[1], story_.start[2], story_.start[3], story_.start[4], story_.start[5], 0);
    ASSERT_EQ(gGameMode & kModeQuit, 0u);
    EXPECT_EQ(BoxCount(), 0u);
    EXPECT_EQ(gMap.width, 48u);
    EXPECT_EQ(gMap.height, 36u);
    ExpectRolesOf(uint16_t(gCurrentMap));
    EXPECT_FALSE(IsFlag(8)) << "no rain in the village";
    EXPECT_EQ(gMapMusic.trackA, story_.maps[0].track);
    RenderScene();
    // Every visible cell shows the tile its grid character names.
    const StoryGrid& grid = story_.maps[0].grid;
    for (int y = gCamera.top / 16; y < gCamera.bottom / 16; ++y)
        for (int x = gCamera.left / 16; x < gCamera.right / 16; ++x) {
            const char c = grid.At(x, y);
            if (c >= 'A' && c <= 'Z') continue;  // a role may stand there
            if (c == kGridStart) continue;
            ASSERT_EQ(Pixel(x, y), ToScreenPixel(StoryTileColour(StoryGridTile(grid, x, y)))) << x << "," << y;
        }
    // Walls and water block; the gate is an event cell with its point.
    EXPECT_NE(CellAt(0, 0) & 0x40000000u, 0u);
    int gx = 0, gy = 0;
    ASSERT_TRUE(FindGridCell(grid, '1', &gx, &gy));
    EXPECT_EQ(CellAt(gx, gy) & 0xFFu, 1u);
    const MapPoint* gate = FindNodeById(1);
    ASSERT_NE(gate, nullptr);
    EXPECT_EQ(gate->values[0], 140u);
    EXPECT_STREQ(gate->name, "east gate");
}

TEST_F(StoryMapTest, TheWoodsHaveRainTheirOwnMusicAndTheShrine) {
    LoadCity(2, 2, 15, 2, 0, 1, 0);
    ASSERT_EQ(gGameMode & kModeQuit, 0u);
    EXPECT_EQ(BoxCount(), 0u);
    EXPECT_EQ(gMap.width, 40u);
    ExpectRolesOf(2);
    EXPECT_TRUE(IsFlag(8)) << "rain";
    EXPECT_EQ(gMapMusic.trackA, story_.maps[1].track);
    ASSERT_NE(FindNodeById(2), nullptr);
    EXPECT_EQ(FindNodeById(2)->values[0], 160u);
    // The fight area holds the random fight (fight 2) of battle group 1; a
    // forced draw where the player stands picks it (walking draws only
    // while story flag 12 is set, which the shrine's talk sets).
    ASSERT_EQ(gFightAreas.size(), 1u);
    EXPECT_EQ(gFightAreas[0].right, 38u);
    const uint32_t list = gFightAreas[0].list;
    ASSERT_LE(list + 4, gMapsImageSize);
    EXPECT_EQ(gMapsImage[list] | gMapsImage[list + 1] << 8, 1) << "one fight";
    EXPECT_EQ(gMapsImage[list + 2] | gMapsImage[list + 3] << 8, 2) << "fight 2";
    EXPECT_EQ(gBattleGroup, 1u);
    EXPECT_EQ(ChooseRandomFight(0, 1), 2u);
    RenderScene();
    EXPECT_EQ(Pixel(0, 0), ToScreenPixel(StoryTileColour(kTileWall)));
    EXPECT_EQ(Pixel(20, 3), ToScreenPixel(StoryTileColour(kTileWater)));
}

TEST_F(StoryMapTest, TheRoleDefinitionsStandOnTheirCells) {
    BindRoleDefs();
    ASSERT_EQ(RoleDefCount(), story_.roleDefs.size());
    for (const RoleDef& want : story_.roleDefs) {
        const int32_t i = FindRoleDef(want.guid);
        ASSERT_GE(i, 0) << want.guid;
        const RoleDef got = GetRoleDefAt(uint32_t(i));
        EXPECT_EQ(got.map, want.map);
        EXPECT_EQ(got.cellX, want.cellX);
        EXPECT_EQ(got.cellY, want.cellY);
        EXPECT_EQ(got.talk, want.talk);
    }
}

} // namespace
