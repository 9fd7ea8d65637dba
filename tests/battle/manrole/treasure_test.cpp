// Growth of the treasures a party role wears.
#include "battle/manrole/man_texts.h"
#include "tests/battle/manrole/man_fixture.h"

namespace {

class TreasureTest : public ManRoleTest {
protected:
    ManRole& Wearer(uint16_t id0, uint16_t type0, uint16_t max0, uint16_t id1 = 0, uint16_t type1 = 0,
                    uint16_t max1 = 0) {
        ManRole& r = Party(0, 0);
        r.treasureId[0] = id0;
        r.treasure[0].w[kObjAltWord] = type0;
        r.treasure[0].w[kObjGrowthMax] = max0;
        r.treasureId[1] = id1;
        r.treasure[1].w[kObjAltWord] = type1;
        r.treasure[1].w[kObjGrowthMax] = max1;
        return r;
    }
    static CountNode* Entry(uint16_t id) { return FindCount(&gFameList3, id); }
};

TEST_F(TreasureTest, LevelsTakeEveryPointOnceAndNeverWrap) {
    const struct {
        uint16_t level, points;  // before (level 65535: no entry yet)
        uint16_t amount;
        uint16_t levelAfter, pointsAfter;
        uint32_t levelUp;
    } cases[] = {
        {65535, 0, 25, 0, 25, 0},   // a new entry: 50 - 25 to the first level
        {65535, 0, 60, 1, 40, 1},   // 60 passes the first 50: no wrap below zero
        {65535, 0, 170, 3, 30, 1},  // several levels in one call: 50 + 50 + 50, 20 left
        {3, 10, 25, 4, 105, 1},     // 10 points end level 3; the other 15 count toward 120
        {3, 10, 10, 4, 120, 1},
        {3, 10, 9, 3, 1, 0},
        {7, 5, 305, 9, 300, 1},     // 5 ends level 7, 300 ends level 8
        {16, 1, 1, 17, 513, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.level << "/" << c.points << " + " << c.amount);
        FreeFameLists();
        ManRole& r = Wearer(700, 37, 5000);
        if (c.level != 65535) {
            CountNode* n = AppendCount(&gFameList3, 700);
            n->level = c.level;
            n->pointsToNext = c.points;
        }
        EXPECT_EQ(r.GrowTreasureLevel(&gFameList3, 37, c.amount), c.levelUp);
        CountNode* n = Entry(700);
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(n->level, c.levelAfter);
        EXPECT_EQ(n->pointsToNext, c.pointsAfter);
        EXPECT_EQ(r.GetTreasureLevel(&gFameList3), c.levelAfter);
    }
}

TEST_F(TreasureTest, TwoLevelTreasuresGrowOnceACall) {
    ManRole& r = Wearer(700, 37, 1000, 701, 37, 1000);
    EXPECT_EQ(r.AddTreasureGrowth(&gFameList3, 60), 1u);
    ASSERT_NE(Entry(700), nullptr);
    EXPECT_EQ(Entry(700)->count, 60);
    EXPECT_EQ(Entry(700)->level, 1);
    EXPECT_EQ(Entry(701), nullptr);
    EXPECT_EQ(Messages(), 1);  // the level-up is told once
    EXPECT_EQ(gFameList3.id, 1);
}

TEST_F(TreasureTest, OtherTreasuresGrowToTheirMaximumAndOneItemWornTwiceOnce) {
    ManRole& r = Wearer(700, 53, 100, 700, 53, 100);
    r.AddTreasureGrowth(&gFameList3, 30);
    EXPECT_EQ(Entry(700)->count, 30);
    EXPECT_EQ(Entry(700)->percent, 30);
    r.AddTreasureGrowth(&gFameList3, 500);
    EXPECT_EQ(Entry(700)->count, 100);
    EXPECT_EQ(Entry(700)->percent, 100);
    EXPECT_EQ(gFameList3.id, 1);
    EXPECT_EQ(Messages(), 0);

    EXPECT_EQ(r.MarkTreasureComplete(&gFameList3), 700);
    EXPECT_EQ(Entry(700)->complete, 1);
    EXPECT_EQ(r.MarkTreasureComplete(&gFameList3), 0);
    r.AddTreasureGrowth(&gFameList3, 5);  // complete: unchanged
    EXPECT_EQ(Entry(700)->count, 100);

    ManRole& none = Wearer(0, 0, 0);
    EXPECT_EQ(none.AddTreasureGrowth(&gFameList3, 5), 0u);
}

TEST_F(TreasureTest, ATreasureWithoutAMaximumIsCompleteFromItsFirstGrowth) {
    ManRole& r = Wearer(700, 53, 0);
    r.AddTreasureGrowth(&gFameList3, 40);
    ASSERT_NE(Entry(700), nullptr);
    EXPECT_EQ(Entry(700)->count, 0);
    EXPECT_EQ(Entry(700)->percent, 100);
    EXPECT_EQ(Entry(700)->complete, 1);
}

TEST_F(TreasureTest, ElementTreasuresGrowByTheActionsElement) {
    ManRole& r = Wearer(700, 51, 100, 701, 51, 100);
    r.treasure[0].dword156 = 0x00000100;  // wood
    r.treasure[1].dword156 = 0x00010000;  // water
    ActionRecord a{};
    a.element = 2;  // wood
    EXPECT_EQ(r.GrowElementTreasure(&gFameList3, &a), 1u);
    EXPECT_EQ(Entry(700)->count, 12);
    EXPECT_EQ(Entry(701), nullptr);
    a.element = 6;
    EXPECT_EQ(r.GrowElementTreasure(&gFameList3, &a), 0u);
    a.element = 0;
    EXPECT_EQ(r.GrowElementTreasure(&gFameList3, &a), 0u);
    EXPECT_EQ(r.GrowElementTreasure(&gFameList3, nullptr), 0u);
    EXPECT_EQ(Entry(700)->count, 12);
}

}  // namespace
