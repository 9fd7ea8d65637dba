#include "world/walk/astar.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/errorbox.h"
#include "platform/headless/headless.h"
#include "tests/world/walk/grid_map.h"

namespace {

constexpr int kStepDx[8] = {1, 0, -1, -1, -1, 0, 1, 1};
constexpr int kStepDy[8] = {1, 1, 1, 0, -1, -1, -1, 0};

class AStarTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ResetErrorBoxes();
        ResetAStar();
        AStarInit();
        InitAStarFinder(&finder);
    }
    void TearDown() override {
        // Every node a search took is back in the pool.
        EXPECT_EQ(AStarFreeNodes(), AStarPoolNodes());
        ResetAStar();
        gMap = MapData{};
    }
    // Runs a search between cells; the route as a list of codes without the end.
    bool Find(int sc, int sr, int gc, int gr, uint32_t w = 1, uint32_t h = 1) {
        route.assign(kRouteBytes, 0xEE);
        const bool ok = AStarFind(&finder, sc * 16, sr * 16, gc * 16, gr * 16, w, h, route.data(), route.size());
        codes.clear();
        for (size_t i = 0; i < route.size() && route[i] != kRouteEnd; ++i) codes.push_back(route[i]);
        return ok;
    }
    // Follows the route from the start; the cell it ends on.
    std::pair<int, int> Follow(int c, int r) const {
        for (int code : codes) {
            c += kStepDx[code];
            r += kStepDy[code];
            EXPECT_TRUE(CellInMap(c, r)) << c << "," << r;
        }
        return {c, r};
    }
    AStarFinder finder;
    std::vector<uint8_t> route;
    std::vector<int> codes;
};

TEST_F(AStarTest, StartAtTheGoalPixelIsTheEmptyRoute) {
    LoadOpenGrid(4, 4);
    EXPECT_TRUE(Find(1, 1, 1, 1));
    EXPECT_EQ(route[0], kRouteEnd);
}

TEST_F(AStarTest, StartAndGoalInOneCellFail) {
    LoadOpenGrid(4, 4);
    uint8_t r[kRouteBytes];
    EXPECT_FALSE(AStarFind(&finder, 16, 16, 21, 16, 1, 1, r, sizeof r));
    EXPECT_EQ(r[0], kRouteEnd);
}

TEST_F(AStarTest, BlockedGoalFailsUnderTheDefaultMaskOnly) {
    LoadGrid({"....",
              "..#.",
              "...."});
    EXPECT_FALSE(Find(0, 0, 2, 1));
    SetAStarBlockMask(&finder, 0);
    EXPECT_TRUE(Find(0, 0, 2, 1));
    EXPECT_EQ(Follow(0, 0), std::make_pair(2, 1));
}

struct RouteCase {
    const char* name;
    std::vector<std::string> grid;
    int sc, sr, gc, gr;
    uint32_t w, h;
    bool ok;
    std::vector<int> codes; // checked when not empty
};

class AStarRouteTable : public AStarTest, public ::testing::WithParamInterface<RouteCase> {};

TEST_P(AStarRouteTable, FindsTheRoute) {
    const RouteCase& c = GetParam();
    LoadGrid(c.grid);
    ASSERT_EQ(Find(c.sc, c.sr, c.gc, c.gr, c.w, c.h), c.ok);
    if (!c.ok) {
        EXPECT_EQ(route[0], kRouteEnd);
        return;
    }
    if (!c.codes.empty()) {
        EXPECT_EQ(codes, c.codes);
    }
    EXPECT_EQ(Follow(c.sc, c.sr), std::make_pair(c.gc, c.gr));
}

INSTANTIATE_TEST_SUITE_P(
    Grids, AStarRouteTable,
    ::testing::Values(
        RouteCase{"CorridorEast", {"######", "#....#", "######"}, 1, 1, 4, 1, 1, 1, true, {kStepE, kStepE, kStepE}},
        RouteCase{"CorridorWestAndSouth", {"#....", "#.###", "#.###"}, 4, 0, 1, 2, 1, 1, true,
                  {kStepW, kStepW, kStepSW, kStepS}},
        RouteCase{"OneCellGapPassesASingleCell", {"......", "###.##", "......", "......"}, 3, 3, 3, 0, 1, 1, true,
                  {kStepN, kStepN, kStepN}},
        RouteCase{"OneCellGapStopsTwoByTwo", {"......", "......", "###.##", "......", "......"}, 2, 3, 2, 0, 2, 2,
                  false, {}},
        RouteCase{"TwoCellGapPassesTwoByTwo", {"......", "##..##", "......", "......"}, 2, 2, 2, 0, 2, 1, true,
                  {kStepN, kStepN}},
        RouteCase{"DiagonalBetweenBlockedNorthAndWest", {".##", "#..", "..."}, 1, 1, 0, 0, 1, 1, true, {kStepNW}},
        RouteCase{"KindMarkBlocksByDefault", {".m.", ".m.", "..."}, 0, 0, 2, 0, 1, 1, true,
                  {kStepS, kStepSE, kStepNE, kStepN}},
        RouteCase{"UnreachableStartFails", {"..#...", "###...", "......"}, 0, 0, 5, 2, 1, 1, false, {}},
        RouteCase{"StartOutsideTheMapFails", {"...", "..."}, 5, 0, 0, 0, 1, 1, false, {}},
        RouteCase{"FootprintWiderThanTheMapFails", {"...", "..."}, 0, 0, 2, 1, 4, 1, false, {}}),
    [](const ::testing::TestParamInfo<RouteCase>& info) { return std::string(info.param.name); });

// On an open grid many routes are as short: among nodes of equal cost the
// newest is expanded first, which fixes the one route the search returns.
TEST_F(AStarTest, TiesOnAnOpenGridGiveOneExactRoute) {
    LoadGrid({"........", "........", "........", "........", "........", "........"});
    const struct {
        int sc, sr, gc, gr;
        std::vector<int> codes;
    } cases[] = {
        {0, 0, 5, 2, {kStepSE, kStepE, kStepE, kStepSE, kStepE}},
        {6, 5, 1, 1, {kStepW, kStepNW, kStepNW, kStepNW, kStepNW}},
        {0, 5, 7, 0, {kStepNE, kStepE, kStepNE, kStepNE, kStepNE, kStepE, kStepNE}},
        {3, 0, 3, 5, {kStepS, kStepS, kStepS, kStepS, kStepS}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sc << "," << c.sr << " -> " << c.gc << "," << c.gr);
        ASSERT_TRUE(Find(c.sc, c.sr, c.gc, c.gr));
        EXPECT_EQ(codes, c.codes);
        EXPECT_EQ(Follow(c.sc, c.sr), std::make_pair(c.gc, c.gr));
    }
}

TEST_F(AStarTest, DiagonalsAreBlockedByTheCellsTheyNewlyCover) {
    LoadGrid({".##",
              "#..",
              "..."});
    // A single cell may pass between a blocked north and a blocked west.
    finder.width = finder.height = 1;
    AStarMarkBlocked(&finder, 16, 16);
    EXPECT_TRUE(finder.blocked[1]);  // N
    EXPECT_TRUE(finder.blocked[7]);  // W
    EXPECT_FALSE(finder.blocked[0]); // NW
    EXPECT_TRUE(finder.blocked[2]);  // NE: the corner cell is a wall
    // Two cells wide: north-west covers the cell above the left column.
    LoadGrid({".#..",
              "....",
              "...."});
    finder.width = 2;
    AStarMarkBlocked(&finder, 16, 16);
    EXPECT_TRUE(finder.blocked[0]);
    EXPECT_TRUE(finder.blocked[1]);
    EXPECT_FALSE(finder.blocked[2]);
    AStarMarkBlocked(&finder, 32, 16);
    EXPECT_TRUE(finder.blocked[0]);
    EXPECT_FALSE(finder.blocked[1]);
    // Outside the map is wall.
    AStarMarkBlocked(&finder, 0, 0);
    EXPECT_TRUE(finder.blocked[0] && finder.blocked[1] && finder.blocked[7] && finder.blocked[6]);
    EXPECT_FALSE(finder.blocked[5]);
}

TEST_F(AStarTest, NeighboursNeverWrapIntoTheNextRow) {
    // With no blocking mask nothing stops the search at the right edge; a
    // step east from the last column must not land on the next row's first.
    LoadOpenGrid(4, 2);
    SetAStarBlockMask(&finder, 0);
    ASSERT_TRUE(Find(0, 1, 3, 0));
    EXPECT_EQ(codes.size(), 3u);
    EXPECT_EQ(Follow(0, 1), std::make_pair(3, 0));
}

TEST_F(AStarTest, RoutesTakeTheShortestWayAroundAWall) {
    LoadGrid({"........",
              "........",
              "#######.",
              "........"});
    ASSERT_TRUE(Find(0, 3, 0, 0));
    // Seven steps east along row 3 (the last diagonal into the gap), then up
    // and back west: no shorter route of diagonal and straight steps exists.
    EXPECT_EQ(Follow(0, 3), std::make_pair(0, 0));
    EXPECT_EQ(codes.size(), 14u);
}

TEST_F(AStarTest, ARouteLongerThanTheBufferFailsWithOneReport) {
    std::vector<std::string> grid(3, std::string(600, '#'));
    grid[1] = "#" + std::string(598, '.') + "#";
    LoadGrid(grid);
    EXPECT_FALSE(Find(1, 1, 590, 1));
    EXPECT_EQ(route[0], kRouteEnd);
    EXPECT_EQ(route[1], 0xEE) << "nothing written past the end marker";
    EXPECT_EQ(HeadlessMessageBoxes().size(), 1u);
    EXPECT_FALSE(Find(1, 1, 590, 1));
    EXPECT_EQ(HeadlessMessageBoxes().size(), 1u);
    // 510 steps still fit a 512-byte buffer with its end marker.
    EXPECT_TRUE(Find(1, 1, 511, 1));
    EXPECT_EQ(codes.size(), 510u);
    EXPECT_EQ(route[510], kRouteEnd);
}

TEST_F(AStarTest, ASmallBufferIsNeverOverrun) {
    LoadOpenGrid(8, 1);
    std::vector<uint8_t> small(4, 0xEE);
    small.push_back(0x77); // guard
    EXPECT_TRUE(AStarFind(&finder, 0, 0, 48, 0, 1, 1, small.data(), 4));
    EXPECT_EQ(small[3], kRouteEnd);
    EXPECT_FALSE(AStarFind(&finder, 0, 0, 64, 0, 1, 1, small.data(), 4));
    EXPECT_EQ(small[0], kRouteEnd);
    EXPECT_EQ(small[4], 0x77);
}

TEST_F(AStarTest, TheNodeCapStopsASearchWithOneReport) {
    LoadOpenGrid(32, 32);
    finder.nodeCap = 20;
    EXPECT_FALSE(Find(0, 0, 31, 31));
    ASSERT_EQ(HeadlessMessageBoxes().size(), 1u);
    EXPECT_FALSE(Find(0, 31, 31, 0));
    EXPECT_EQ(HeadlessMessageBoxes().size(), 1u);
    finder.nodeCap = kAStarNodeCap;
    EXPECT_TRUE(Find(0, 0, 31, 31));
    EXPECT_EQ(codes, std::vector<int>(31, kStepSE));
}

TEST_F(AStarTest, AWalledInStartFailsAfterASmallFlood) {
    std::vector<std::string> grid(64, std::string(64, '.'));
    grid[2] = "###" + std::string(61, '.');
    grid[0][2] = grid[1][2] = '#';
    LoadGrid(grid);
    EXPECT_FALSE(Find(0, 0, 63, 63));
    EXPECT_LE(finder.cellsFlooded, 16u);
    EXPECT_LE(finder.nodesExpanded, 1u);
}

TEST_F(AStarTest, AWalledInGoalFailsWhenTheSearchRunsDry) {
    std::vector<std::string> grid(64, std::string(64, '.'));
    grid[61] = std::string(61, '.') + "###";
    grid[62][61] = grid[63][61] = '#';
    LoadGrid(grid);
    EXPECT_FALSE(Find(0, 0, 63, 63));
    EXPECT_LE(finder.nodesExpanded, 4u);
}

TEST_F(AStarTest, ThePoolGrowsAndKeepsItsNodes) {
    LoadOpenGrid(16, 16);
    EXPECT_EQ(AStarPoolNodes(), kAStarInitialNodes);
    ASSERT_TRUE(Find(0, 0, 15, 9));
    const uint32_t grown = AStarPoolNodes();
    EXPECT_GT(grown, kAStarInitialNodes);
    EXPECT_EQ(AStarHighestTaken(), grown);
    ASSERT_TRUE(Find(15, 9, 0, 0));
    EXPECT_LE(AStarPoolNodes(), grown + 64);
    AStarRelease();
    EXPECT_EQ(AStarPoolNodes(), 0u);
}


// Exact routes on an open grid: among the routes of one length the tie
// rules (among equal f the newest open node first, neighbours visited NW,
// N, NE, E, SE, S, SW, W) choose one; a change of the open list's order
// shows here.
TEST_F(AStarTest, OpenGridRoutesAreExact) {
    LoadOpenGrid(24, 16);
    ASSERT_TRUE(Find(2, 13, 21, 3));
    EXPECT_EQ(codes, std::vector<int>({
        kStepNE, kStepE, kStepE, kStepNE, kStepE, kStepNE, kStepE, kStepNE, kStepE, kStepNE, kStepE, kStepE,
        kStepNE, kStepE, kStepNE, kStepNE, kStepNE, kStepE, kStepNE}));
    ASSERT_TRUE(Find(21, 3, 2, 13));
    EXPECT_EQ(codes, std::vector<int>({
        kStepSW, kStepW, kStepW, kStepSW, kStepW, kStepSW, kStepW, kStepSW, kStepW, kStepSW, kStepW, kStepW,
        kStepSW, kStepW, kStepSW, kStepSW, kStepSW, kStepW, kStepSW}));
    ASSERT_TRUE(Find(3, 8, 19, 6));
    EXPECT_EQ(codes, std::vector<int>({
        kStepNE, kStepE, kStepE, kStepNE, kStepE, kStepE, kStepE, kStepE, kStepE, kStepE, kStepE, kStepE, kStepE,
        kStepE, kStepE, kStepE}));
    ASSERT_TRUE(Find(1, 1, 20, 14, 2, 2));
    EXPECT_EQ(codes, std::vector<int>({
        kStepSE, kStepE, kStepE, kStepSE, kStepE, kStepSE, kStepE, kStepSE, kStepE, kStepSE, kStepE, kStepSE,
        kStepSE, kStepSE, kStepSE, kStepSE, kStepSE, kStepSE, kStepSE}));
}

// Routes and search sizes on generated maps (scattered walls, a wall with a
// gap, a serpentine), pinned as one digest: any change of the order in which
// the search takes its nodes (and so of a route among equal ones, or of the
// nodes it expands) changes the digest. The maps come from a fixed seed.
TEST_F(AStarTest, RoutesOnGeneratedMapsKeepTheirDigest) {
    std::mt19937 random(33);
    uint64_t digest = 14695981039346656037ull;
    auto mix = [&digest](uint64_t v) {
        for (int i = 0; i < 8; ++i) {
            digest ^= (v >> (8 * i)) & 0xFF;
            digest *= 1099511628211ull;
        }
    };
    int found = 0;
    for (int map = 0; map < 400; ++map) {
        const int width = 8 + int(random() % 40), height = 8 + int(random() % 40);
        const uint32_t density = random() % 40;
        std::vector<std::string> grid(size_t(height), std::string(size_t(width), '.'));
        for (std::string& row : grid)
            for (char& c : row)
                if (random() % 100 < density) c = '#';
        LoadGrid(grid);
        const uint32_t size = 1 + random() % 2;
        const int sc = int(random() % uint32_t(width)), sr = int(random() % uint32_t(height));
        const int gc = int(random() % uint32_t(width - 1)), gr = int(random() % uint32_t(height - 1));
        const bool ok = Find(sc, sr, gc, gr, size, size);
        found += ok;
        mix(uint64_t(ok) << 32 | finder.nodesExpanded);
        mix(codes.size());
        for (int code : codes) mix(uint64_t(code));
    }
    // Long open lists: a wall across a 64 x 64 map with a gap at its far
    // end, and walls every fourth row open at alternate ends.
    for (int shape = 0; shape < 2; ++shape) {
        std::vector<std::string> grid(64, std::string(64, '.'));
        if (shape == 0) grid[32] = std::string(61, '#') + "...";
        for (int r = 3; shape == 1 && r + 3 < 64; r += 4)
            grid[size_t(r)] = (r / 4) % 2 == 0 ? std::string(61, '#') + "..." : "..." + std::string(61, '#');
        LoadGrid(grid);
        for (uint32_t size : {1u, 2u}) {
            // The serpentine's route is longer than a route buffer holds:
            // the search still runs to the end and is counted.
            mix(uint64_t(Find(1, 1, 60, 60, size, size)) << 32 | finder.nodesExpanded);
            for (int code : codes) mix(uint64_t(code));
        }
    }
    EXPECT_GT(found, 100);
    EXPECT_EQ(digest, 0x0c68a7a0df435689ull);
}

} // namespace
