// The sample install's start map, loaded and drawn headless: tiles in the
// tile area, the roles at their cells and the camera on the player.
#include <gtest/gtest.h>

#include "draw/display.h"
#include "draw/draw_kernel.h"
#include "draw/surface.h"
#include "tests/world/map/map_fixture.h"
#include "world/map/zone_table.h"
#include "tools/sample_maps.h"
#include "world/game_buffers.h"
#include "world/map/map_load.h"
#include "world/map/map_render.h"

namespace {

class SampleMapTest : public DrawnMapTest {
protected:
    void SetUp() override {
        DrawnMapTest::SetUp();
        ASSERT_TRUE(WriteBytesToFile((temp_ / "HUGE.lmf").c_str(), BuildLmf(SampleMaps())));
        ASSERT_TRUE(WriteBytesToFile((temp_ / "maps.dat").c_str(), BuildMapsFile(SampleMapTables())));
        ASSERT_EQ(ReadMapsImage(), kMapsImageRead);
        gMapScriptGuid = 1;
    }
};

TEST_F(SampleMapTest, TheStartMapIsDrawnAroundThePlayer) {
    LoadCity(kSampleStartMap, kSampleStartX, kSampleStartY, 0, 0, 0, 0);
    ASSERT_EQ(gGameMode & kModeQuit, 0u);
    EXPECT_EQ(BoxCount(), 0u);
    ASSERT_EQ(TotalRole, 5u);  // three objects and the player
    const RoleRecord& p = gRole[gPlayerRole];
    EXPECT_EQ(p.x, kSampleStartX * 16);
    EXPECT_EQ(p.y, kSampleStartY * 16);
    EXPECT_EQ(gCamera.left, 0);  // 12 cells in: the camera stops at the map's edge
    EXPECT_EQ(gCamera.top, 0);
    EXPECT_TRUE(IsFlag(8));
    RenderScene();
    // A grass cell and the path cell of the player's column, drawn as tiles.
    EXPECT_EQ(*BackPixel(16 * 3 + 4, 16 * 3), ToScreenPixel(SampleTileColour(0)));
    EXPECT_EQ(*BackPixel(16 * 12 + 4, 16 * 5 + 1), ToScreenPixel(SampleTileColour(1)));
    // The wall along the top, with its gap beyond the view.
    EXPECT_EQ(*BackPixel(16 * 5 + 4, 1), ToScreenPixel(SampleTileColour(2)));
    // The object of plane 0 at its cell: a red disc over the grass.
    EXPECT_EQ(*BackPixel(16 * 15 + 12, 16 * 14 + 12), ToScreenPixel(0x7C00));

    // The player walks far east: the camera follows and clamps at the edge.
    gRole[gPlayerRole].x = 58 * 16;
    CenterView();
    EXPECT_EQ(gCamera.left, 20 * 16);
    EXPECT_EQ(gCamera.right, 60 * 16);
}

TEST_F(SampleMapTest, TheCaveIsExactlyOneScreen) {
    LoadCity(2, 5, 5, 0, 0, 0, 0);
    ASSERT_EQ(gGameMode & kModeQuit, 0u);
    EXPECT_EQ(gMap.depth, 8u);
    EXPECT_EQ(gCamera.left, 0);
    EXPECT_EQ(gCamera.top, 0);
    EXPECT_EQ(GetZoneFirstField(), 1u);
    EXPECT_EQ(ZoneScaleAt(10, 10), 768u);
    EXPECT_EQ(ZoneScaleAt(10, 200), 896u);
    EXPECT_TRUE(IsFlag(5));
    EXPECT_TRUE(IsFlag(22));
    RenderScene();
    EXPECT_EQ(*BackPixel(1, 1), ToScreenPixel(0x1084));
    EXPECT_EQ(*BackPixel(639, 479), ToScreenPixel(uint16_t(0x1084 * ((39 + 29) % 3 + 1))));
}

} // namespace
