#include "world/party/item_list.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/world/world_fixture.h"

namespace {

class ItemListTest : public WorldTablesTest {
protected:
    void SetUp() override {
        WorldTablesTest::SetUp();
        WriteMon({{1, Item("first")}, {2, Item("second")}, {3, Item("third")}, {20, Item("twenty")}});
    }
    void TearDown() override {
        FreeItemList(&bag);
        WorldTablesTest::TearDown();
    }
    ItemRecord* Put(uint16_t id, int16_t count, int16_t fresh) {
        ItemRecord* n = AddItem(&bag, id, 1, kAddCount);
        n->count = count;
        n->newCount = fresh;
        return n;
    }
    ItemRecord* bag = nullptr;
};

TEST_F(ItemListTest, AnAbsentItemGoesAtTheHead) {
    AddItem(&bag, 1, 2, kAddCount);
    ItemRecord* n = AddItem(&bag, 2, 5, kAddNew);
    ASSERT_EQ(bag, n);
    EXPECT_EQ(n->newCount, 5);
    EXPECT_EQ(n->count, 0);
    EXPECT_TRUE(n->obj.typeBits & kObjNewMark);
    EXPECT_STREQ(n->obj.name, "second");
    EXPECT_EQ(AddItem(&bag, 3, 0, kAddCount), nullptr);
}

TEST_F(ItemListTest, CountsAreCappedAt99) {
    ItemRecord* n = Put(1, 10, 3);
    EXPECT_EQ(AddItem(&bag, 1, 120, kAddCount), n);
    EXPECT_EQ(n->count, 99);
    EXPECT_EQ(n->newCount, 0);
    // An absent item starts at most at 99 too.
    EXPECT_EQ(AddItem(&bag, 2, 500, kAddCount)->count, 99);
    EXPECT_EQ(AddItem(&bag, 3, 500, kAddNew)->newCount, 99);
}

TEST_F(ItemListTest, NegativeDeltasTakeFromTheNewCountThenTheCount) {
    ItemRecord* n = Put(1, 4, 5);
    EXPECT_EQ(AddItem(&bag, 1, -7, kAddNew), n);
    EXPECT_EQ(n->count, 2);
    EXPECT_EQ(n->newCount, 0);
    Put(2, 1, 5);
    EXPECT_EQ(AddItem(&bag, 2, -7, kAddNew), nullptr);
    EXPECT_EQ(FindItem(bag, 2), nullptr);
}

TEST_F(ItemListTest, Placeholder) {
    ItemRecord* n = AddItem(&bag, kPlaceholderItem, 3, kAddCount);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->count, 1);
    EXPECT_STREQ(n->obj.name, kPlaceholderName);
    EXPECT_EQ(AddItem(&bag, kPlaceholderItem, 5, kAddCount)->count, 1);
    // Found although its id has more than 14 bits.
    EXPECT_EQ(FindItem(bag, kPlaceholderItem), n);
}

TEST_F(ItemListTest, AMissingObjectIsReportedAndNotAdded) {
    size_t boxes = BoxCount();
    EXPECT_EQ(AddItem(&bag, 77, 1, kAddCount), nullptr);
    EXPECT_EQ(BoxCount(), boxes + 1);
    EXPECT_EQ(bag, nullptr);
}

TEST_F(ItemListTest, FindByLowBitsAndByIndex) {
    ItemRecord* n = Put(20, 1, 0);
    n->id = 0x4014;
    EXPECT_EQ(FindItem(bag, 20), n);
    Put(1, 1, 0);
    EXPECT_EQ(GetItemByIndex(bag, 1), n);
    EXPECT_EQ(GetItemByIndex(bag, 2), nullptr);
    EXPECT_EQ(GetItemByIndex(bag, -1), nullptr);
}

TEST_F(ItemListTest, CopyKeepsTheOrderAndIsDeep) {
    Put(3, 1, 0);
    Put(2, 1, 0);
    Put(1, 1, 0);  // bag: first, second, third
    ItemRecord* copy = CopyItemList(bag);
    ASSERT_NE(copy, nullptr);
    // A copy made and put back (the save item) must not turn the bag round.
    EXPECT_STREQ(copy->obj.name, "first");
    EXPECT_STREQ(copy->next->next->obj.name, "third");
    EXPECT_EQ(copy->next->next->next, nullptr);
    EXPECT_NE(copy->obj.description, nullptr);  // an empty text of its own
    FreeItemList(&copy);
    EXPECT_EQ(copy, nullptr);
}

TEST_F(ItemListTest, MergeAndUnlink) {
    ItemRecord* n = AddItem(&bag, 1, 60, kAddNew);
    n->count = 50;
    MergeNewCounts(bag);
    EXPECT_EQ(n->count, 99);
    EXPECT_EQ(n->newCount, 0);
    EXPECT_FALSE(n->obj.typeBits & kObjNewMark);
    EXPECT_EQ(UnlinkItemById(&bag, 1), n);
    EXPECT_EQ(bag, nullptr);
    FreeItemNode(n);
}

TEST_F(ItemListTest, EquippedItemsSkipEmptySlots) {
    gMemberEquip[2][5] = NewPlaceholderItem();
    gMemberEquip[3][0] = AddItem(&bag, 2, 1, kAddCount);
    UnlinkItemById(&bag, 2);
    EXPECT_EQ(FindEquippedItem(2), gMemberEquip[3][0]);
    EXPECT_EQ(FindEquippedItem(9), nullptr);
}

TEST_F(ItemListTest, MemberStatsAreBounded) {
    gMemberStats[1].level = 7;
    gMemberStats[1].gauge[0] = -3;
    EXPECT_EQ(GetMemberStat(16, 1), 7);
    EXPECT_EQ(GetMemberStat(0, 1), -3);
    EXPECT_EQ(GetMemberStat(17, 0), 0);
    EXPECT_EQ(GetMemberStat(0, 4), 0);
    EXPECT_EQ(GetMemberStat(0, -1), 0);
}

class ItemEffectTest : public WorldTablesTest {
protected:
    MemberStats Member() {
        MemberStats m{};
        m.gauge[0] = 50;
        m.gauge[1] = 10;
        m.gauge[2] = 30000;
        m.gaugeMax[0] = 100;
        m.gaugeMax[1] = 20;
        m.gaugeMax[2] = 32000;
        m.stat[0] = 65000;
        return m;
    }
    ObjRecord Object(uint16_t mode, uint16_t a, uint16_t b, uint16_t c) {
        ObjRecord o{};
        o.w[kObjEffectMode] = mode;
        o.w[kObjGauge0] = a;
        o.w[kObjGauge1] = b;
        o.w[kObjGauge2] = c;
        o.w[2] = 1000;  // stat 0
        o.w[7] = 4;     // stat 7
        o.w[kObjStatBonus0] = 3;
        return o;
    }
};

TEST_F(ItemEffectTest, Modes) {
    WriteMon({{1, Item("x")}});
    struct Case {
        uint16_t mode;
        int16_t gauge[3], gaugeMax[3];
        uint16_t stat0, stat7, bonus0;
    } cases[] = {
        {0, {95, 15, 30005}, {100, 20, 32000}, 65535, 4, 3},
        {256, {50, 10, 30000}, {145, 25, 32005}, 65535, 4, 3},
        {512, {95, 11, 31600}, {100, 20, 32000}, 65000, 0, 0},
    };
    for (const Case& c : cases) {
        MemberStats m = Member();
        ApplyItemEffect(&m, Object(c.mode, 45, 5, 5));
        for (int g = 0; g < 3; ++g) {
            EXPECT_EQ(m.gauge[g], c.gauge[g]) << c.mode << " gauge " << g;
            EXPECT_EQ(m.gaugeMax[g], c.gaugeMax[g]) << c.mode << " max " << g;
        }
        EXPECT_EQ(m.stat[0], c.stat0) << c.mode;
        EXPECT_EQ(m.stat[7], c.stat7) << c.mode;
        EXPECT_EQ(m.bonus[0], c.bonus0) << c.mode;
    }
}

TEST_F(ItemEffectTest, GaugesSaturateInsteadOfWrapping) {
    WriteMon({{1, Item("x")}});
    MemberStats m = Member();
    m.gaugeMax[2] = 32767;
    ApplyItemEffect(&m, Object(256, 0, 0, 60000));
    EXPECT_EQ(m.gaugeMax[2], 32767);
    m.gauge[2] = 32000;
    ApplyItemEffect(&m, Object(0, 0, 0, 60000));
    EXPECT_EQ(m.gauge[2], 32767);
}

TEST_F(ItemEffectTest, ADownMemberIsRevivedOnlyByARevivingItem) {
    WriteMon({{1, Item("x")}}, {{4, ActionRecordBytes(0, 1, kAilmentRevive)}});
    MemberStats m = Member();
    m.status = kStatusDown;
    ApplyItemEffect(&m, Object(0, 10, 0, 0));
    EXPECT_EQ(m.gauge[0], 50);
    ObjRecord revive = Object(0, 10, 0, 0);
    revive.w[kObjActionId] = 4;
    ApplyItemEffect(&m, revive);
    EXPECT_EQ(m.status, 0);
    EXPECT_EQ(m.gauge[0], 60);
}

} // namespace
