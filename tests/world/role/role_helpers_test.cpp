#include "world/role/role_helpers.h"

#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "world/map/map.h"
#include "world/role/role_record.h"

namespace {

class RoleHelpersTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ResetRoleHelpers();
        for (auto& r : gRole) r = RoleRecord{};
        TotalRole = 0;
        gPlayerRole = 0;
        gMap = MapData{};
        gMap.width = 6;
        gMap.height = 5;
        gMap.cells.assign(30, 0);
    }
    void TearDown() override {
        gMap = MapData{};
        TotalRole = 0;
    }
    RoleRecord& Role(uint32_t i, uint16_t guid, int x = 0, int y = 0, uint32_t w = 1, uint32_t h = 1) {
        RoleRecord& r = gRole[i];
        r.guid = guid;
        r.x = x;
        r.y = y;
        r.act.width = w;
        r.act.height = h;
        if (TotalRole <= i) TotalRole = i + 1;
        return r;
    }
    int MarkedCells() const {
        int n = 0;
        for (uint32_t c : gMap.cells) n += (c & kCellRoleHere) ? 1 : 0;
        return n;
    }
};

TEST_F(RoleHelpersTest, GuidLookups) {
    Role(0, 9);
    Role(1, 5).flags = kRoleDeleted;
    Role(2, 5);
    Role(3, 7);
    gPlayerRole = 3;
    uint32_t index = 99;
    EXPECT_EQ(RoleIndexByGuid(5), 2u);
    EXPECT_TRUE(FindRole(7, &index));
    EXPECT_EQ(index, 3u);
    EXPECT_FALSE(FindRole(8, &index));
    EXPECT_EQ(index, 0xFFFFFFFFu);
    EXPECT_TRUE(ResolveRole(kGuidPlayer, &index));
    EXPECT_EQ(index, 3u);
    EXPECT_EQ(GuidOfRole(2), 5);
}

TEST_F(RoleHelpersTest, GuidOfAnUnusedIndexReportsOnceAndPastTheTableReadsNothing) {
    Role(0, 4);
    size_t boxes = HeadlessMessageBoxes().size();
    EXPECT_EQ(GuidOfRole(kMaxRoles + 5), kGuidNone);
    GuidOfRole(17);
    GuidOfRole(17);
    EXPECT_EQ(HeadlessMessageBoxes().size(), boxes + 1);
    EXPECT_EQ(HeadlessMessageBoxes().back().caption, "Illegal Role id");
}

TEST_F(RoleHelpersTest, FootprintsStayInsideTheMap) {
    struct Case {
        const char* what;
        int x, y;
        uint32_t w, h;
        int cells;
    } cases[] = {
        {"2x1 in the last column", 5 * 16, 16, 2, 1, 1},
        {"1x2 in the last row", 0, 4 * 16, 1, 2, 1},
        {"3x3 at the left edge", -16, 0, 3, 3, 6},
        {"beyond the map", 200, 200, 2, 2, 0},
        {"2x1 inside", 16, 16, 2, 1, 2},
    };
    for (const Case& c : cases) {
        gMap.cells.assign(30, 0);
        RoleRecord& r = Role(1, 3, c.x, c.y, c.w, c.h);
        r.flags = kRoleMarkBit29 | kRoleMarkBit23;
        SetRoleBlockKind(&r);
        EXPECT_EQ(MarkedCells(), c.cells) << c.what;
        if (c.cells) {
            EXPECT_EQ(CellAt(std::max(c.x / 16, 0), c.y / 16) & 0x30800000u, 0x30800000u) << c.what;
        }
        // A 2x1 role in the last column must not mark the next row's first cell.
        if (c.x == 80) {
            EXPECT_EQ(CellAt(0, 2), 0u) << c.what;
        }
        SetRoleBlockFlags(&r);
        EXPECT_EQ(MarkedCells(), 0) << c.what;
    }
}

TEST_F(RoleHelpersTest, ScriptGuidMark) {
    gMapScriptGuid = 3;
    RoleRecord& r = Role(1, 3, 16, 16);
    SetRoleBlockKind(&r);
    EXPECT_EQ(CellAt(1, 1), uint32_t(kCellRoleHere | kCellScriptGuid));
    SetRoleBlockFlags(&r);
    EXPECT_EQ(CellAt(1, 1), 0u);
}

TEST_F(RoleHelpersTest, NeighboursOutsideTheGridAreWalls) {
    EXPECT_EQ(GetBlockedNeighbours(0, 0, 1, 1, 0x40000000), 1 | 2 | 4 | 64 | 128);
    EXPECT_EQ(GetBlockedNeighbours(2, 2, 1, 1, 0x40000000), 0);
    EXPECT_EQ(GetBlockedNeighbours(4, 3, 2, 2, 0x40000000), 4 | 8 | 16 | 32 | 64);
    gMap.cells[2 * 6 + 3] = 0x40000000;  // east of (2, 2)
    EXPECT_EQ(GetBlockedNeighbours(2, 2, 1, 1, 0x40000000), 8);
    gMap.cells[1 * 6 + 1] = 0x40000000;  // north-west of (2, 2)
    EXPECT_EQ(GetBlockedNeighbours(2, 2, 1, 1, 0x40000000), 8 | 1);
}

TEST_F(RoleHelpersTest, Angles) {
    struct Case {
        int32_t x1, y1, x2, y2;
        int32_t angle, distance;
    } cases[] = {
        {0, 0, 0, 0, 0, 0},
        {10, 0, 0, 0, 355, 10},  // dy 0 lies in the last quadrant
        {0, -10, 0, 0, 85, 10},
        {-10, -1, 0, 0, 175, 10},
        {-10, 0, 0, 0, 180, 10},
        {0, 10, 0, 0, 270, 10},
        {10, 10, 0, 0, 315, 14},
        {0, -300000, 0, 0, 85, 300000},      // overflowed 32 bits
        {-2000000000, 0, 2000000000, 0, 180, 2147483647},
    };
    for (const Case& c : cases) {
        int32_t d = -1;
        EXPECT_EQ(GetDistanceAngle(c.x1, c.y1, c.x2, c.y2, &d), c.angle) << c.x1 << "," << c.y1;
        EXPECT_EQ(d, c.distance) << c.x1 << "," << c.y1;
    }
    EXPECT_EQ(kSineTable[30], 4096);
    EXPECT_EQ(kSineTable[89], 8190);
}

TEST_F(RoleHelpersTest, AngleToDirection) {
    struct Case {
        uint32_t angle;
        int32_t facing;
    } cases[] = {{0, kFaceE}, {22, kFaceE}, {23, kFaceNE}, {90, kFaceN}, {180, kFaceW}, {270, kFaceS},
                 {337, kFaceSE}, {338, kFaceE}, {359, kFaceE}, {360, kFaceN}, {368, kFaceE}, {1000, kFaceS},
                 {0xFFFFFFFFu, AngleToDirection(0xFFFFFFFFu % 360)}};
    for (const Case& c : cases) EXPECT_EQ(AngleToDirection(c.angle), c.facing) << c.angle;
}

} // namespace
