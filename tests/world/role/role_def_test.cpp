#include "world/role/role_def.h"

#include <gtest/gtest.h>

#include "tests/support/place_role.h"
#include "tests/world/role/role_def_image.h"
#include "tests/world/world_fixture.h"
#include "world/game_buffers.h"
#include "world/map/map.h"
#include "world/maps_image.h"
#include "world/role/role_helpers.h"
#include "world/role/role_record.h"
#include "world/script/path_run.h"
#include "world/script/path_slot.h"
#include "tools/path_asm.h"

namespace {

// An image whose table 1 holds the given definitions.
class RoleDefTest : public WorldTablesTest {
protected:
    void SetUp() override {
        WorldTablesTest::SetUp();
        for (auto& r : gRole) r = RoleRecord{};
        TotalRole = 0;
        gPlayerRole = 0;
        gMap = MapData{};
        gMap.width = 10;
        gMap.height = 8;
        gMap.cells.assign(80, 0);
        InstallRoleDefImage({10, 11, 12, 13}, {1, 0, 100, 0, 1, 2, 3, 7, 0, 0, 0x8000, 0});
        ResetPartyLine();
        ResetPathScripts();
    }
    void TearDown() override {
        std::free(gMapsImage);
        gMapsImage = nullptr;
        gMapsImageSize = 0;
        gRoleDef = nullptr;
        gMap = MapData{};
        TotalRole = 0;
        ResetPathScripts();
        WorldTablesTest::TearDown();
    }
    RoleRecord& Role(uint32_t i, uint16_t guid, int x, int y) {
        return PlaceTestRole(i, guid, x, y);
    }
};

TEST_F(RoleDefTest, SetAndGet) {
    EXPECT_EQ(RoleDefCount(), 4u);
    EXPECT_EQ(SetRoleDef(11, -1, 5, -1, 4, -1, -1, 9, 0x80, 0x7FFF, -1, 32896), 1);
    RoleDef d = GetRoleDefAt(1);
    EXPECT_EQ(d.act[0], 100);
    EXPECT_EQ(d.act[1], 5);
    EXPECT_EQ(d.cellX, 4);
    EXPECT_EQ(d.cellY, 3);
    EXPECT_EQ(d.path, 9);
    EXPECT_EQ(d.flags, 0x80);
    EXPECT_EQ(SetRoleDef(99, 1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 1), 0);
    RoleRecord r{};
    EXPECT_EQ(GetRoleDef(&r, 11), 1);
    EXPECT_EQ(r.x, 64);
    EXPECT_EQ(r.y, 48);
    EXPECT_EQ(GetRoleDef(&r, 99), -1);
}

TEST_F(RoleDefTest, WriteBackClampsToTheMap) {
    Role(0, 1, 0, 0);
    Role(1, 10, -40, 48);
    Role(2, 11, 16 * 30, 16 * 30);
    WriteBackRole(0, 0);
    EXPECT_EQ(GetRoleDefAt(0).cellX, 0);  // was 65533
    EXPECT_EQ(GetRoleDefAt(0).cellY, 3);
    EXPECT_EQ(GetRoleDefAt(1).cellX, 9);
    EXPECT_EQ(GetRoleDefAt(1).cellY, 7);
}

TEST_F(RoleDefTest, WriteBackWithOnlyThePlayerWritesNothing) {
    Role(0, 10, 160, 160);
    TotalRole = 1;
    WriteBackRole(5, 5);
    EXPECT_EQ(GetRoleDefAt(0).cellX, 2);
}

TEST_F(RoleDefTest, PlaceRoleIsBoundedAndRefusesDuplicates) {
    Role(0, 1, 0, 0);
    for (uint32_t i = 1; i < 12; ++i) Role(i, uint16_t(100 + i), 16, 16);
    EXPECT_EQ(PlaceRole(1), 1);
    EXPECT_EQ(PlaceRole(1), 0);
    EXPECT_EQ(PlaceRole(0), 0);  // the player is already first
    for (uint32_t i = 2; i < 12; ++i) PlaceRole(i);
    EXPECT_EQ(gPartyCount, uint32_t(kPartyLineSlots));
    EXPECT_EQ(PlaceRole(500), 0);
}

TEST_F(RoleDefTest, AJoiningRoleBetweenCellsIsSnapped) {
    Role(0, 1, 0, 0);
    RoleRecord& r = Role(1, 12, 16 + 4, 32 - 4);
    ASSERT_EQ(PlaceRole(1), 1);
    EXPECT_EQ(r.x, 16);
    EXPECT_EQ(r.y, 32);
    EXPECT_TRUE(r.flags & kRoleCompanion);
}

// The definition is marked a companion when the role's own walk is cut
// short by joining; a role that was not walking keeps its definition until
// the map is left.
TEST_F(RoleDefTest, OnlyAJoiningRoleWithAWalkMarksItsDefinition) {
    Role(0, 1, 0, 0);
    Role(1, 12, 32, 32);
    Role(2, 13, 48, 32);
    PathSlot* walk = FreePathSlot();
    ASSERT_NE(walk, nullptr);
    walk->role = 2;
    ASSERT_EQ(PlaceRole(1), 1);
    EXPECT_FALSE(GetRoleDefAt(2).flags & 0x80);
    ASSERT_EQ(PlaceRole(2), 1);
    EXPECT_TRUE(GetRoleDefAt(3).flags & 0x80);
    EXPECT_EQ(FindPathSlot(2), nullptr);
    EXPECT_TRUE(gRole[1].flags & kRoleCompanion);
    EXPECT_TRUE(gRole[2].flags & kRoleCompanion);
}

TEST_F(RoleDefTest, RemoveCompanion) {
    Role(0, 1, 0, 0);
    Role(1, 10, 16, 16);
    Role(2, 11, 32, 16);
    Role(3, 12, 48, 16);
    PlaceRole(1);
    PlaceRole(2);
    PlaceRole(3);
    size_t boxes = BoxCount();
    EXPECT_EQ(RemoveCompanion(1, 0, 0, 0, 0, 0, kRoleActive), 0);  // the player
    EXPECT_EQ(BoxCount(), boxes + 1);
    ASSERT_EQ(RemoveCompanion(11, 3, 4, 5, 6, 7, kRoleActive), 1);
    EXPECT_EQ(gPartyCount, 3u);
    EXPECT_EQ(gPartyLine[1], 1u);
    EXPECT_EQ(gPartyLine[2], 3u);
    EXPECT_EQ(gPartyLine[3], kPartyLineEmpty);
    EXPECT_EQ(GetRoleDefAt(1).talk, 4);
    EXPECT_FALSE(GetRoleDefAt(1).flags & 0x80);
    EXPECT_TRUE(CellAt(2, 1) & kCellRoleHere);
    EXPECT_EQ(RemoveCompanion(11, 0, 0, 0, 0, 0, 0), 0);  // no longer a companion
}

TEST_F(RoleDefTest, ACompanionKeepsItsPathRecordWhenTheLineMovesUp) {
    Role(0, 1, 0, 0);
    Role(1, 10, 16, 16);
    Role(2, 11, 32, 16);
    Role(3, 12, 48, 16);
    gCompanyPaths[1].role = 7;  // left over: a joining role starts with a clear record
    for (uint32_t i = 1; i <= 3; ++i) ASSERT_EQ(PlaceRole(i), 1);
    EXPECT_EQ(gCompanyPaths[1].role, kSlotFree);
    gCompanyPaths[3].role = 3;
    gCompanyPaths[3].targetX = 99;
    ASSERT_EQ(RemoveCompanion(11, 0, 0, 0, 0, 0, kRoleActive), 1);
    EXPECT_EQ(gPartyLine[2], 3u);
    EXPECT_EQ(gCompanyPaths[2].role, 3);
    EXPECT_EQ(gCompanyPaths[2].targetX, 99);
    EXPECT_EQ(gCompanyPaths[3].role, kSlotFree);
}

TEST_F(RoleDefTest, AJoiningRoleLeavesItsOwnWalk) {
    Role(0, 1, 0, 0);
    Role(1, 10, 16, 16);
    PathSlot* slot = FreePathSlot();
    slot->role = 1;
    slot->mode = kSlotModeScript;
    ASSERT_EQ(PlaceRole(1), 1);
    EXPECT_EQ(FindPathSlot(1), nullptr);
}

// A role stored while its script waits for the end of a walk is stored as
// arrived: on the walk's target cell, its script past the wait.
TEST_F(RoleDefTest, WriteBackOfARoleOnItsWayTakesTheWalksEnd) {
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(AssemblePathDat("path 1\n  walkto 6 5\n  arrive\n  end\n", &bytes, &error)) << error;
    SetPathDatabase(bytes);
    Role(0, 1, 0, 0);
    RoleRecord& r = Role(1, 11, 16 * 2 + 4, 16);
    r.pathNumber = 1;
    r.pathPc = 3;  // at "arrive"
    PathSlot* slot = FreePathSlot();
    slot->role = 1;
    slot->mode = kSlotModeScript;
    slot->targetX = 16 * 6 + 3;  // rounded down to its cell
    slot->targetY = 16 * 5;
    WriteBackRole(0, 0);
    EXPECT_EQ(GetRoleDefAt(1).cellX, 6);
    EXPECT_EQ(GetRoleDefAt(1).cellY, 5);
    EXPECT_EQ(GetRoleDefAt(1).pathPos, 4);
    // A target outside the map is reported and the role's own cell kept.
    slot->targetX = 16 * 40;
    size_t boxes = BoxCount();
    WriteBackRole(0, 0);
    EXPECT_EQ(BoxCount(), boxes + 1);
    EXPECT_EQ(GetRoleDefAt(1).cellX, 2);
    EXPECT_EQ(GetRoleDefAt(1).cellY, 1);
}

// One snap for every caller: halves round up on both axes (negative
// positions too), and an active role's marks move with it.
TEST_F(RoleDefTest, SnapRoleToCellRoundsAndMovesTheMarks) {
    struct Case {
        int32_t x, y, wantX, wantY;
    };
    for (const Case& c : {Case{20, 40, 16, 48}, Case{24, 8, 32, 16}, Case{-8, 7, 0, 0}, Case{-9, -24, -16, -16}}) {
        RoleRecord r{};
        r.x = c.x;
        r.y = c.y;
        SnapRoleToCell(&r);
        EXPECT_EQ(r.x, c.wantX) << c.x;
        EXPECT_EQ(r.y, c.wantY) << c.y;
    }
    RoleRecord& r = Role(1, 10, 16 * 2 + 6, 16);
    r.x = 16 * 2;
    SetRoleBlockKind(&r);
    r.x = 16 * 2 + 10;
    SnapRoleToCell(&r);
    EXPECT_EQ(r.x, 48);
    EXPECT_EQ(CellAt(2, 1) & kCellRoleHere, 0u);
    EXPECT_NE(CellAt(3, 1) & kCellRoleHere, 0u);
    EXPECT_EQ(r.cellIndex, 13);
}

} // namespace
