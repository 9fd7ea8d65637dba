#include "world/walk/walk_cells.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/world/walk/grid_map.h"
#include "world/role/role_record.h"

namespace {

class WalkCellsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (RoleRecord& r : gRole) r = RoleRecord{};
        TotalRole = 1;
    }
    void TearDown() override {
        for (RoleRecord& r : gRole) r = RoleRecord{};
        TotalRole = 0;
        gMap = MapData{};
    }
    // A role standing on a cell.
    int Place(int column, int row, uint32_t flags = kRoleActive, uint16_t talk = 1, uint32_t w = 1, uint32_t h = 1) {
        const int i = int(TotalRole++);
        gRole[i].x = column * 16;
        gRole[i].y = row * 16;
        gRole[i].flags = flags;
        gRole[i].talkNumber = talk;
        gRole[i].act.width = w;
        gRole[i].act.height = h;
        return i;
    }
};

struct SlideCase {
    const char* name;
    std::vector<std::string> grid;
    int column, row, dx, dy;
    int wantDx, wantDy;
    uint32_t w = 1, h = 1;
};

class SlideTable : public WalkCellsTest, public ::testing::WithParamInterface<SlideCase> {};

TEST_P(SlideTable, Slides) {
    const SlideCase& c = GetParam();
    LoadGrid(c.grid);
    const int player = Place(c.column, c.row, kRoleActive, 0, c.w, c.h);
    int dx = c.dx, dy = c.dy;
    SlideStep(&gRole[player], &dx, &dy);
    EXPECT_EQ(dx, c.wantDx);
    EXPECT_EQ(dy, c.wantDy);
}

INSTANTIATE_TEST_SUITE_P(
    Grids, SlideTable,
    ::testing::Values(
        SlideCase{"UpFree", {".....", ".....", "....."}, 2, 1, 0, -1, 0, -1},
        SlideCase{"UpGapOneLeft", {"#.###", ".....", "....."}, 2, 1, 0, -1, -1, -1},
        SlideCase{"UpGapOneRight", {"###.#", ".....", "....."}, 2, 1, 0, -1, 1, -1},
        SlideCase{"UpGapTwoLeft", {"#.###", ".....", "....."}, 3, 1, 0, -1, -1, 0},
        SlideCase{"UpGapTwoRight", {"###.#", ".....", "....."}, 1, 1, 0, -1, 1, 0},
        SlideCase{"UpWall", {"#####", ".....", "....."}, 2, 1, 0, -1, 0, 0},
        SlideCase{"DownGapTwoRight", {".....", ".....", "###.#"}, 1, 1, 0, 1, 1, 0},
        SlideCase{"DownGapOneLeft", {".....", ".....", "#.###"}, 2, 1, 0, 1, -1, 1},
        SlideCase{"RightGapTwoDown", {"...#", "...#", "...#", "....", "...#"}, 2, 1, 1, 0, 0, 1},
        SlideCase{"RightGapOneDown", {"...#", "...#", "....", "...#"}, 2, 1, 1, 0, 1, 1},
        SlideCase{"LeftGapTwoUp", {"....", "#...", "#...", "#..."}, 1, 2, -1, 0, 0, -1},
        SlideCase{"DiagonalFree", {"...", "...", "..."}, 1, 1, 1, -1, 1, -1},
        SlideCase{"DiagonalCornerTakesTheSide", {"..#", "...", "..."}, 1, 1, 1, -1, 1, 0},
        SlideCase{"DiagonalThenUp", {"..#", "..#", "..."}, 1, 1, 1, -1, 0, -1},
        SlideCase{"DiagonalBoxedIn", {".##", "..#", "..."}, 1, 1, 1, -1, 0, 0},
        SlideCase{"TwoWideUpGapTwoRight", {"###...", "......", "......"}, 1, 1, 0, -1, 1, 0, 2, 1},
        SlideCase{"CornerCellUpIsWall", {"...", "..."}, 0, 0, 0, -1, 0, 0},
        SlideCase{"CornerCellLeftIsWall", {"...", "..."}, 0, 0, -1, 0, 0, 0},
        SlideCase{"CornerCellUpLeftIsWall", {"...", "..."}, 0, 0, -1, -1, 0, 0},
        SlideCase{"BottomRightCornerDown", {"...", "..."}, 2, 1, 1, 1, 0, 0}),
    [](const ::testing::TestParamInfo<SlideCase>& info) { return std::string(info.param.name); });

TEST_F(WalkCellsTest, ScanEdgeReportsRunsAheadAsWideBits) {
    LoadGrid({"#.#..#", "......"});
    // The run of one cell above column 2: free at offsets -1, +1 and +2.
    EXPECT_EQ(ScanEdge(2, 0, 1, kScanAlongRow), kRunBack1 | kRunAhead1 | kRunAhead2);
    // Off the map's left edge the runs read as wall.
    EXPECT_EQ(ScanEdge(0, 0, 1, kScanAlongRow), kRunAhead1);
    EXPECT_EQ(ScanEdge(0, -1, 1, kScanAlongRow), 0);
}

TEST_F(WalkCellsTest, RoleAtCellSkipsRoleZeroAndRolesThatCannotTalk) {
    LoadOpenGrid(8, 8);
    gRole[0].flags = kRoleActive;
    gRole[0].talkNumber = 5;
    Place(1, 1, kRoleActive, 0);                   // no talk
    Place(1, 1, 0, 3);                             // not active
    Place(1, 1, kRoleActive | kRoleDeleted, 3);    // deleted
    const int talker = Place(1, 1, kRoleActive, 3);
    const int wide = Place(3, 3, kRoleActive | kRoleTouchTalk, 4, 2, 2);
    EXPECT_EQ(RoleAtCell(0, 0), -1);
    EXPECT_EQ(RoleAtCell(1, 1), talker);
    EXPECT_EQ(TouchRoleAtCell(1, 1), -1);
    EXPECT_EQ(RoleAtCell(4, 4), wide);
    EXPECT_EQ(TouchRoleAtCell(4, 3), wide);
    EXPECT_EQ(RoleAtCell(5, 4), -1);
}

TEST_F(WalkCellsTest, FindRoleAheadTakesTheNearestRowFirst) {
    LoadOpenGrid(16, 16);
    const int player = Place(8, 8, kRoleActive, 0);
    const int far = Place(8, 5);
    EXPECT_EQ(FindRoleAhead(player, 0, -1), far);
    const int nearSide = Place(9, 7); // row 7, one column right of the player
    EXPECT_EQ(FindRoleAhead(player, 0, -1), nearSide);
    EXPECT_EQ(FindRoleAhead(player, 0, 1), -1);
    Place(10, 9);
    EXPECT_EQ(FindRoleAhead(player, 1, 0), nearSide) << "column 9 comes before column 10";
    const int west = Place(6, 9);
    EXPECT_EQ(FindRoleAhead(player, -1, 0), west);
    const int southWest = Place(6, 10);
    EXPECT_EQ(FindRoleAhead(player, -1, 1), west) << "row 9 comes before row 10";
    gRole[west].flags = 0;
    EXPECT_EQ(FindRoleAhead(player, -1, 1), southWest);
    // Standing still, only the player's own cells count.
    EXPECT_EQ(FindRoleAhead(player, 0, 0), -1);
    const int under = Place(8, 8);
    EXPECT_EQ(FindRoleAhead(player, 0, 0), under);
}

TEST_F(WalkCellsTest, FindRoleAheadAtTheMapCorner) {
    LoadOpenGrid(4, 4);
    const int player = Place(0, 0, kRoleActive, 0);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) EXPECT_EQ(FindRoleAhead(player, dx, dy), -1);
    const int other = Place(1, 1);
    EXPECT_EQ(FindRoleAhead(player, 1, 1), other);
}

TEST_F(WalkCellsTest, CheckStepFindsEventsThenTouchRoles) {
    LoadGrid({".....",
              "..3..",
              ".....",
              "....."});
    const int player = Place(2, 2, kRoleActive, 0);
    int touched = 0;
    EXPECT_EQ(CheckStep(player, 0, -1, &touched), 3);
    EXPECT_EQ(touched, -1);
    EXPECT_EQ(CheckStep(player, 1, -1, &touched), 3) << "the row is read before the column";
    const int toucher = Place(3, 2, kRoleActive | kRoleTouchTalk, 9);
    EXPECT_EQ(CheckStep(player, 1, 0, &touched), 0);
    EXPECT_EQ(touched, toucher);
    EXPECT_EQ(CheckStep(player, -1, 0, &touched), 0);
    EXPECT_EQ(touched, -1);
    EXPECT_EQ(CheckStep(player, 0, 0, &touched), -1);
}

TEST_F(WalkCellsTest, CheckStepAtTheMapEdgeReadsNothingOutside) {
    LoadGrid({"1..", "...", "..."});
    const int player = Place(0, 0, kRoleActive, 0);
    int touched = 0;
    EXPECT_EQ(CheckStep(player, 0, -1, &touched), -1);
    EXPECT_EQ(CheckStep(player, -1, 0, &touched), -1);
    EXPECT_EQ(CheckStep(player, -1, -1, &touched), -1);
    EXPECT_EQ(CheckStep(player, 1, 1, &touched), 0);
}

} // namespace
