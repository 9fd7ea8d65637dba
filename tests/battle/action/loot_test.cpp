// Loot into the bag and the sorts of the bag and the magic lists.
#include "tests/battle/action/action_fixture.h"

namespace {

class LootTest : public ActionTest {
protected:
    void SetUp() override {
        ActionTest::SetUp();
        Table({{300, ObjectRecordBytes("herb", 0, {})},
               {301, ObjectRecordBytes("root", 0, {})},
               {302, ObjectRecordBytes("leaf", 0, {})},
               {303, ObjectRecordBytes("seed", 0, {})}});
    }
    static std::vector<uint16_t> Ids(const ItemRecord* list) {
        std::vector<uint16_t> v;
        for (; list != nullptr; list = list->next) v.push_back(list->id);
        return v;
    }
};

TEST_F(LootTest, AnItemComesAsNewOrCountedByKind) {
    ASSERT_NE(AddLootItem(300, 1), nullptr);
    ItemRecord* n = FindBagItem(300);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->newCount, 1);
    EXPECT_EQ(n->count, 0);
    EXPECT_NE(n->obj.typeBits & 0x8000, 0u);
    ASSERT_NE(AddLootItem(301, 0), nullptr);
    EXPECT_EQ(FindBagItem(301)->count, 1);
    EXPECT_EQ(FindBagItem(301)->newCount, 0);
    EXPECT_EQ(gInventory->id, 301);  // a new entry goes to the front
}

TEST_F(LootTest, NothingIsAddedOrReportedForIdZeroTheCapOrAnUnknownId) {
    EXPECT_EQ(AddLootItem(0, 1), nullptr);
    EXPECT_EQ(gInventory, nullptr);
    Bag(300, 60, 39);
    EXPECT_EQ(AddLootItem(300, 1), nullptr);
    EXPECT_EQ(FindBagItem(300)->count, 60);
    EXPECT_EQ(FindBagItem(300)->newCount, 39);
    EXPECT_EQ(AddLootItem(300, 0), nullptr);
    EXPECT_EQ(FindBagItem(300)->count, 60);
    // An id without a record leaves no blank entry behind.
    EXPECT_EQ(AddLootItem(4321, 1), nullptr);
    EXPECT_EQ(FindBagItem(4321), nullptr);
    EXPECT_EQ(Ids(gInventory), (std::vector<uint16_t>{300}));
}

TEST_F(LootTest, TheBagIsSortedByIdKeepingEqualIdsInOrder) {
    Bag(302, 1);
    Bag(300, 2);
    Bag(303, 3);
    Bag(301, 4);
    gInventory->spare = 7;
    SortInventoryById();
    EXPECT_EQ(Ids(gInventory), (std::vector<uint16_t>{300, 301, 302, 303}));
    for (ItemRecord* n = gInventory; n != nullptr; n = n->next) EXPECT_EQ(n->spare, 0);
}

TEST_F(LootTest, MagicListsKeepTheirFirstEntryAndShortListsStay) {
    Learn(0, 303);
    Learn(0, 302);
    Learn(0, 300);
    Learn(0, 301);
    Learn(1, 302);
    Learn(1, 300);
    SortMagicListsById();
    EXPECT_EQ(Ids(gMagicLists[0]), (std::vector<uint16_t>{303, 300, 301, 302}));
    EXPECT_EQ(Ids(gMagicLists[1]), (std::vector<uint16_t>{302, 300}));
}

TEST_F(LootTest, StolenItemsComeBackOnceWithOneMessage) {
    gStolenItems[2][0] = 300;
    gStolenItems[2][7] = 301;
    gStolenItems[2][31] = 300;
    EXPECT_EQ(ReturnStolenItems(2), 3);
    EXPECT_EQ(Messages(), 1);
    EXPECT_EQ(FindBagItem(300)->newCount, 2);
    EXPECT_EQ(FindBagItem(301)->newCount, 1);
    EXPECT_EQ(ReturnStolenItems(2), 0);
    EXPECT_EQ(Messages(), 1);
    EXPECT_EQ(ReturnStolenItems(-1), 0);
    EXPECT_EQ(ReturnStolenItems(20), 0);
}

}  // namespace
