#include "world/map/draw_order.h"

#include <gtest/gtest.h>

#include <vector>

#include "world/map/map.h"
#include "world/role/role_record.h"

namespace {

class DrawOrderTest : public ::testing::Test {
protected:
    void SetUp() override {
        gMap = MapData{};
        gMap.width = 8;
        gMap.height = 10;
        for (auto& r : roles) r = RoleRecord{};
        AllocDrawOrder();
    }
    void TearDown() override {
        FreeDrawOrder();
        gMap = MapData{};
    }
    RoleRecord* Role(int i, int32_t y, uint16_t guid) {
        roles[i].y = y;
        roles[i].guid = guid;
        return &roles[i];
    }
    std::vector<RoleRecord*> Bucket(int plane, int row) {
        std::vector<RoleRecord*> out;
        for (RoleRecord* n = DrawOrderBucket(plane, row); n && out.size() < 20; n = n->drawNext) out.push_back(n);
        return out;
    }
    RoleRecord roles[8];
};

TEST_F(DrawOrderTest, RowRoundsTowardZero) {
    InsertDrawOrder(Role(0, -1, 5), 0);
    EXPECT_EQ(Bucket(0, 0), std::vector<RoleRecord*>{&roles[0]});
    EXPECT_TRUE(Bucket(0, -1).empty());
}

TEST_F(DrawOrderTest, SameGuidGoesAfterALoneNodeAndBeforeALongerBucket) {
    InsertDrawOrder(Role(0, 32, 7), 1);
    InsertDrawOrder(Role(1, 32, 7), 1);
    EXPECT_EQ(Bucket(1, 2), (std::vector<RoleRecord*>{&roles[0], &roles[1]}));
    InsertDrawOrder(Role(2, 32, 7), 1);
    EXPECT_EQ(Bucket(1, 2), (std::vector<RoleRecord*>{&roles[2], &roles[0], &roles[1]}));
}

TEST_F(DrawOrderTest, NodesRunInDescendingGuidWithinARow) {
    InsertDrawOrder(Role(0, 48, 10), 0);
    InsertDrawOrder(Role(1, 48, 30), 0);
    InsertDrawOrder(Role(2, 48, 20), 0);
    EXPECT_EQ(Bucket(0, 3), (std::vector<RoleRecord*>{&roles[1], &roles[2], &roles[0]}));
}

TEST_F(DrawOrderTest, MoveFindsARoleThatMovedDownOneRow) {
    InsertDrawOrder(Role(0, 16, 3), 2);
    roles[0].y = 32;
    EXPECT_EQ(MoveDrawOrder(3, 2, 1, 0), nullptr);
    EXPECT_TRUE(Bucket(2, 1).empty());
    EXPECT_EQ(Bucket(2, 2), std::vector<RoleRecord*>{&roles[0]});
}

TEST_F(DrawOrderTest, MoveModeOneLeavesTheNodeOut) {
    InsertDrawOrder(Role(0, 16, 3), 0);
    EXPECT_EQ(MoveDrawOrder(3, 0, 0, 1), &roles[0]);
    for (int row = -20; row < 30; ++row) EXPECT_TRUE(Bucket(0, row).empty());
    EXPECT_EQ(roles[0].drawPlane, -1);
}

TEST_F(DrawOrderTest, ARoleInASpareRowBelowTheMapIsNotFoundByGuid) {
    InsertDrawOrder(Role(0, 10 * 16, 4), 0);
    EXPECT_EQ(MoveDrawOrder(4, 0, 9, 1), nullptr);
    EXPECT_EQ(MoveDrawOrder(4, 0, 10, 1), nullptr);
}

TEST_F(DrawOrderTest, RowsOutsideTheBucketsAreClampedToTheEnds) {
    InsertDrawOrder(Role(0, -100000, 1), 0);
    InsertDrawOrder(Role(1, 100000, 1), 0);
    EXPECT_EQ(Bucket(0, -20), std::vector<RoleRecord*>{&roles[0]});
    EXPECT_EQ(Bucket(0, 29), std::vector<RoleRecord*>{&roles[1]});
}

TEST_F(DrawOrderTest, LinkingTwiceMovesInsteadOfMakingACycle) {
    InsertDrawOrder(Role(0, 16, 9), 0);
    InsertDrawOrder(Role(1, 16, 8), 0);
    roles[0].y = 64;  // a script placed it elsewhere without unlinking
    InsertDrawOrder(&roles[0], 0);
    EXPECT_EQ(Bucket(0, 1), std::vector<RoleRecord*>{&roles[1]});
    EXPECT_EQ(Bucket(0, 4), std::vector<RoleRecord*>{&roles[0]});
}

TEST_F(DrawOrderTest, RebucketMovesOneOfManyMapObjectsSharingAGuid) {
    InsertDrawOrder(Role(0, 16, kGuidMapObject), 1);
    InsertDrawOrder(Role(1, 16, kGuidMapObject), 1);
    roles[1].y = 80;
    RebucketRole(&roles[1]);
    EXPECT_EQ(Bucket(1, 1), std::vector<RoleRecord*>{&roles[0]});
    EXPECT_EQ(Bucket(1, 5), std::vector<RoleRecord*>{&roles[1]});
}

TEST_F(DrawOrderTest, RemoveOfAnUnlinkedRoleDoesNothing) {
    RemoveDrawOrder(Role(0, 16, 1), 0);
    InsertDrawOrder(Role(1, 16, 2), 0);
    RemoveDrawOrder(&roles[0], 0);
    EXPECT_EQ(Bucket(0, 1), std::vector<RoleRecord*>{&roles[1]});
}

} // namespace
