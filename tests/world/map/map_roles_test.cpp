// The roles of a map placed from their definitions by LoadCity, and written
// back on the way to the next map.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "base/random.h"
#include "media/music.h"
#include "tests/world/map/map_fixture.h"
#include "tools/maps_writer.h"
#include "world/game_buffers.h"
#include "world/map/load_progress.h"
#include "world/map/map_load.h"
#include "world/map/map_render.h"
#include "world/role/role_def.h"
#include "world/role/role_helpers.h"
#include "world/script/path_run.h"

namespace {

constexpr uint16_t kPlayerGuid = 1;

class MapRolesTest : public MapTest {
protected:
    void SetUp() override {
        MapTest::SetUp();
        temp_.MakeFolder("data");
        ResetMusic();
        ResetPathScripts();
        ResetRoleHelpers();
        InitRandom(5);
        gMapScriptGuid = kPlayerGuid;
        PutArchive({SimpleMap(100, 20, 16), SimpleMap(200, 40, 30), SimpleMap(220, 20, 16)});
        spec_.roleDefs = {
            Def(1, kPlayerGuid, 0, 0, 0, 0),
            Def(1, 2, 5, 5, 3, 0x8000),
            Def(1, 2, 6, 6, 3, 0x8000),       // the same GUID again
            Def(2, 3, 4, 4, 0, 0x8000),       // another map
            Def(1, 4, 20, 3, 0, 0x8000),      // one cell past the map's right edge
            Def(7, 10000, 8, 8, 0, 0x8000),   // on every map
            Def(1, 5, 9, 9, 6, 0x8080),       // a companion
        };
        spec_.mapNames = {{1, "field"}, {2, "cave"}, {3, "hall"}, {22, "shrine"}};
        Rebuild();
    }
    void TearDown() override {
        for (RoleRecord& r : gRole) {
            std::free(r.text);
            r.text = nullptr;
        }
        ResetPathScripts();
        ResetGameBuffers();
        ResetMusic();
        MapTest::TearDown();
    }
    static RoleDef Def(uint16_t map, uint16_t guid, uint16_t x, uint16_t y, uint16_t talk, uint16_t flags) {
        return RoleDef{map, guid, {0, 0, 1}, x, y, talk, 0, 0, flags, 0};
    }
    void Rebuild() {
        MapsTables t = MapsDatTables(spec_);
        MapListRecord a;
        a.map = 1;
        a.code = 100;
        MapListRecord b;
        b.map = 2;
        b.code = 200;
        MapListRecord c;
        c.map = 22;  // companions arrive hidden here
        c.code = 220;
        MapListRecord d;
        d.map = 3;
        d.code = 100;
        d.options = 0x8000;  // and on maps with this option
        t[kTableMapList] = MapListTable({a, b, c, d});
        t[kTableRoleSounds] = WordTable({2, 17, 40, 0});
        ASSERT_TRUE(WriteBytesToFile((temp_ / "maps.dat").c_str(), BuildMapsFile(t)));
        ASSERT_EQ(ReadMapsImage(), kMapsImageRead);
        BindRoleDefs();
    }
    static uint32_t Index(uint16_t guid) {
        uint32_t index = 0;
        return FindRole(guid, &index) ? index : 0xFFFFFFFFu;
    }
    static int32_t DefIndex(uint16_t guid) { return FindRoleDef(guid); }
    MapsDatSpec spec_;
};

TEST_F(MapRolesTest, EveryRoleOfTheMapIsPlacedAndEachFaultReportedOnce) {
    LoadCity(1, 3, 4, 0, 0, 1, 0);
    ASSERT_EQ(gGameMode & kModeQuit, 0u);
    // The duplicate GUID and the role beyond the edge: one box each.
    EXPECT_EQ(BoxCount(), 2u);
    // The player, GUID 2 (its first definition), GUID 10000 and the companion.
    EXPECT_EQ(TotalRole, 5u);
    ASSERT_NE(Index(2), 0xFFFFFFFFu);
    EXPECT_EQ(gRole[Index(2)].x, 5 * 16);
    EXPECT_EQ(gRole[Index(2)].soundId, 17u);
    EXPECT_EQ(gRole[Index(2)].soundTimer, (40u << 16) | 40u);
    EXPECT_EQ(Index(3), 0xFFFFFFFFu);
    EXPECT_EQ(Index(4), 0xFFFFFFFFu);
    EXPECT_NE(Index(10000), 0xFFFFFFFFu);
    EXPECT_EQ(GetRoleDefAt(uint32_t(DefIndex(10000))).map, 1);
    // The definition beyond the edge now names the map's last cell.
    const RoleDef outside = GetRoleDefAt(uint32_t(DefIndex(4)));
    EXPECT_EQ(outside.cellX, 19);
    EXPECT_EQ(outside.cellY, 15);
    // The player: its definition took the load's cell and act values.
    EXPECT_EQ(gRole[gPlayerRole].guid, kPlayerGuid);
    EXPECT_EQ(gRole[gPlayerRole].x, 3 * 16);
    const RoleDef player = GetRoleDefAt(uint32_t(DefIndex(kPlayerGuid)));
    EXPECT_EQ(player.cellX, 3);
    EXPECT_EQ(player.cellY, 4);
    EXPECT_EQ(player.flags, 0xD100);
    // The companion follows the player in the party line, without its talk.
    const uint32_t companion = Index(5);
    ASSERT_NE(companion, 0xFFFFFFFFu);
    EXPECT_EQ(gPartyCount, 2u);
    EXPECT_EQ(gPartyLine[0], gPlayerRole);
    EXPECT_EQ(gPartyLine[1], companion);
    EXPECT_EQ(gRole[companion].talkNumber, 0);
    EXPECT_TRUE(gRole[companion].flags & kRoleActive);
    EXPECT_EQ(gFollowTrailX[0], 3 * 16);
}

TEST_F(MapRolesTest, ANewMapWritesTheOldRolesBackAndTakesTheCompanionAlong) {
    LoadCity(1, 3, 4, 0, 0, 1, 0);
    gRole[Index(2)].x = 7 * 16;
    gRole[Index(2)].text = static_cast<char*>(std::malloc(4));  // freed with the map
    LoadCity(2, 1, 1, 0, 0, 1, 1);
    ASSERT_EQ(gGameMode & kModeQuit, 0u);
    EXPECT_EQ(GetRoleDefAt(uint32_t(DefIndex(2))).cellX, 7);
    EXPECT_EQ(GetRoleDefAt(uint32_t(DefIndex(2))).map, 1);
    EXPECT_EQ(Index(2), 0xFFFFFFFFu);
    // The companion moved with the player; GUID 3 lives here.
    EXPECT_NE(Index(5), 0xFFFFFFFFu);
    EXPECT_EQ(GetRoleDefAt(uint32_t(DefIndex(5))).map, 2);
    EXPECT_EQ(gRole[Index(5)].x, 16);
    EXPECT_NE(Index(3), 0xFFFFFFFFu);
    EXPECT_EQ(gPartyCount, 2u);
}

TEST_F(MapRolesTest, CompanionsArriveHiddenOnMap22AndWithTheMapsOption) {
    for (uint32_t map : {22u, 3u}) {
        spec_.roleDefs[6].map = uint16_t(map);
        spec_.roleDefs[0].map = uint16_t(map);
        Rebuild();
        LoadCity(map, 2, 2, 0, 0, 1, 0);
        ASSERT_NE(Index(5), 0xFFFFFFFFu) << map;
        EXPECT_FALSE(gRole[Index(5)].flags & kRoleActive) << map;
        EXPECT_TRUE(gRole[Index(5)].flags & kRoleCompanion) << map;
    }
}

TEST_F(MapRolesTest, WithoutADefinitionThePlayerIsPlacedAllTheSame) {
    gMapScriptGuid = 77;
    LoadCity(1, 30, 2, 0, 0, 1, 0);
    ASSERT_LT(gPlayerRole, TotalRole);
    EXPECT_EQ(gRole[gPlayerRole].guid, 77);
    // A start cell past the edge is reported and moved onto the map.
    EXPECT_EQ(gRole[gPlayerRole].x, 19 * 16);
    EXPECT_EQ(gPartyLine[0], gPlayerRole);
}

} // namespace
