// The item menu's model: what each filter lists, that the counts it shows
// go back into the same records, the uses and their targets, discarding,
// the tidy, and the ways out of the page.
#include "item_fixture.h"

#include <algorithm>

#include "base/random.h"

namespace {

TEST_F(ItemMenuTest, EachFilterListsItsKindsInIdOrder) {
    Put(kRing, 1);
    Put(kSword, 2);
    Put(kHerb, 3, 1);
    Put(kQuestKey, 1);
    Put(kRobe, 1, 2);
    Put(kTonic, 0, 4);
    const struct {
        int filter;
        std::vector<uint16_t> ids;
    } cases[] = {
        {0, {kHerb, kTonic, kRobe}},          // new counts only
        {1, {kHerb, kSword}},                 // kind 0 is listed under every filter
        {2, {kHerb, kRobe}},
        {3, {kHerb}},
        {4, {kHerb, kRing}},
        {5, {kHerb}},
        {6, {kHerb, kQuestKey}},              // 0x20 belongs to filter 6 alone
    };
    OpenPage();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        gItems.filter = c.filter;
        ReturnShownItems();
        RebuildItemMenuList();
        EXPECT_EQ(ShownIds(), c.ids);
    }
}

TEST_F(ItemMenuTest, FilterChangesAndLeavingKeepTheBagAsItWas) {
    Put(kRing, 1);
    Put(kSword, 2);
    Put(kHerb, 3, 1);
    Put(kRobe, 0, 2);
    const std::vector<Entry> before = Bag();
    ItemRecord* herb = FindItem(gInventory, kHerb);
    OpenPage();
    ASSERT_EQ(gMenu.depth, kDepthPage);
    for (int i = 0; i < 9; ++i) Frame(kMenuKeyRight);
    Frame(kMenuKeyLeft);
    // The record whose counts are on show keeps its place (and identity).
    EXPECT_EQ(FindItem(gInventory, kHerb), herb);
    Frame(kMenuKeyEsc);
    EXPECT_EQ(gMenu.depth, kDepthRoot);
    EXPECT_EQ(Bag(), before);
    EXPECT_EQ(FindItem(gInventory, kHerb), herb);
    EXPECT_EQ(gItems.list, nullptr);
}

TEST_F(ItemMenuTest, AnEmptyBagShowsThePlaceholderAndConfirmDoesNothing) {
    OpenPage();
    ASSERT_EQ(ShownIds(), std::vector<uint16_t>{kPlaceholderItem});
    Frame(kMenuKeySpace);
    EXPECT_EQ(gMenu.depth, kDepthPage);
    gMenu.pageId = kItemTabDiscard;
    Frame(kMenuKeySpace);
    EXPECT_EQ(gMenu.depth, kDepthPage);
    Frame(kMenuKeyEsc);
    EXPECT_EQ(gInventory, nullptr);
}

TEST_F(ItemMenuTest, TidyFoldsNewCountsAndIgnoresTheListKeys) {
    Put(kHerb, 98, 5);
    Put(kSword, 1, 1);
    OpenPage();
    Frame(kMenuKeyEnd);
    ASSERT_EQ(gMenu.pageId, kItemTabTidy);
    const ListState window = gItems.win;
    const int32_t filter = gItems.filter;
    for (int key : {kMenuKeyDown, kMenuKeyUp, kMenuKeyPageDown, kMenuKeyLeft, kMenuKeyRight}) Frame(key);
    EXPECT_EQ(gItems.win.cursor, window.cursor);
    EXPECT_EQ(gItems.filter, filter);
    Frame(kMenuKeySpace);
    EXPECT_EQ(gMenu.pageId, kItemTabUse);
    Frame(kMenuKeyEsc);
    EXPECT_EQ(Bag(), (std::vector<Entry>{{kHerb, 99, 0}, {kSword, 2, 0}}));
}

TEST_F(ItemMenuTest, DiscardTakesOneOnYesAndRefusesWhatCannotBeDiscarded) {
    Put(kSword, 2);
    Put(kQuestKey, 1);
    OpenPage();
    gItems.filter = 1;
    ReturnShownItems();
    RebuildItemMenuList();
    gMenu.pageId = kItemTabDiscard;
    ASSERT_TRUE(Select(kSword));
    Frame(kMenuKeySpace);
    ASSERT_EQ(gMenu.depth, kItemDepthDiscard);
    EXPECT_EQ(gItems.discardChoice, 1);  // "no" first
    Frame(kMenuKeySpace);
    EXPECT_EQ(Total(kSword), 2);
    Frame(kMenuKeySpace);
    Frame(kMenuKeyUp);
    Frame(kMenuKeySpace);
    EXPECT_EQ(gMenu.depth, kDepthPage);
    EXPECT_EQ(Total(kSword), 1);
    gItems.filter = 6;
    ReturnShownItems();
    RebuildItemMenuList();
    ASSERT_TRUE(Select(kQuestKey));
    Frame(kMenuKeySpace);
    EXPECT_EQ(gMenu.depth, kDepthPage);
    EXPECT_EQ(Total(kQuestKey), 1);
}

// The member box: the targets, what is taken and what stays.
TEST_F(ItemMenuTest, UsesOnOneMember) {
    const struct {
        const char* name;
        uint16_t item;
        int members;
        int keyDowns;           // Down presses in the member box
        bool targetDown;        // the chosen member is down
        int32_t expectTarget;
        int expectLeft;         // items left of 3
        int16_t expectLife;     // the target's life afterwards
    } cases[] = {
        {"herb on member 1", kHerb, 2, 1, false, 1, 2, 40},
        {"keeps on use", kTonic, 2, 0, false, 0, 3, 15},
        // Four members: the box lists the three the panel maps; the cursor
        // never reaches entry 3 (PartyMember(3) is -1).
        {"fourth member", kHerb, 4, 5, false, 2, 2, 40},
        {"downed member, no revive", kHerb, 2, 0, true, 0, 3, 10},
        {"downed member, revive", kRevive, 2, 0, true, 0, 2, 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetItemMenu();
        FreeItemLists();
        ResetMemberStats();
        for (int m = 0; m < kPartyMembers; ++m) {
            gMemberStats[m].gauge[0] = 10;
            gMemberStats[m].gaugeMax[0] = 100;
        }
        SetParty(c.members);
        Put(c.item, 3);
        OpenPage();
        gItems.filter = 1;
        ReturnShownItems();
        RebuildItemMenuList();
        ASSERT_TRUE(Select(c.item));
        Frame(kMenuKeySpace);
        ASSERT_EQ(gMenu.depth, kItemDepthMember);
        for (int i = 0; i < c.keyDowns; ++i) Frame(kMenuKeyDown);
        EXPECT_EQ(gItems.target, c.expectTarget);
        const int32_t member = PartyMember(gItems.target);
        ASSERT_GE(member, 0);
        if (c.targetDown) gMemberStats[member].status |= kStatusDown;
        Frame(kMenuKeySpace);
        EXPECT_EQ(Total(c.item), c.expectLeft);
        EXPECT_EQ(gMemberStats[member].gauge[0], c.expectLife);
        Frame(kMenuKeyEsc);
        Frame(kMenuKeyEsc);
        EXPECT_EQ(gMenu.depth, kDepthRoot);
    }
}

// Bit 1 or bit 2 of the use mode makes an item usable from the use tab; a
// mode of 2 or more uses it on one member.
TEST_F(ItemMenuTest, UseModesThatReachAMember) {
    constexpr uint16_t kSalve = 5;
    const struct {
        uint16_t mode;
        bool used;
    } cases[] = {{4, true}, {6, true}, {2, true}, {1, false}, {8, false}, {0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        ResetItemMenu();
        FreeItemLists();
        WriteObjects({{kSalve, ObjectRecordBytes("Salve", 0, {{8, 30}, {11, c.mode}, {13, 1}})}});
        gMemberStats[0].gauge[0] = 10;
        Put(kSalve, 3);
        OpenPage();
        gItems.filter = 1;
        ReturnShownItems();
        RebuildItemMenuList();
        ASSERT_TRUE(Select(kSalve));
        Frame(kMenuKeySpace);
        EXPECT_EQ(gMenu.depth == kItemDepthMember, c.used);
        if (gMenu.depth == kItemDepthMember) Frame(kMenuKeySpace);
        EXPECT_EQ(Total(kSalve), c.used ? 2 : 3);
        EXPECT_EQ(gMemberStats[0].gauge[0], c.used ? 40 : 10);
        for (int i = 0; i < 4 && gMenu.depth > kDepthRoot; ++i) Frame(kMenuKeyEsc);
    }
}

TEST_F(ItemMenuTest, AWholePartyItemReachesEveryMemberPresent) {
    SetParty(3);
    Put(kPartyHerb, 2);
    OpenPage();
    Frame(kMenuKeyRight);  // filter 1
    ASSERT_TRUE(Select(kPartyHerb));
    Frame(kMenuKeySpace);
    EXPECT_EQ(gMenu.depth, kDepthPage);
    EXPECT_EQ(Total(kPartyHerb), 1);
    for (int m = 0; m < 3; ++m) EXPECT_EQ(gMemberStats[m].gauge[0], 20) << m;
    EXPECT_EQ(gMemberStats[3].gauge[0], 10);
    // With everyone down it helps nobody and stays.
    for (int m = 0; m < 3; ++m) gMemberStats[m].status |= kStatusDown;
    Frame(kMenuKeySpace);
    EXPECT_EQ(Total(kPartyHerb), 1);
}

TEST_F(ItemMenuTest, UsedUpItemsLeaveTheBagAndTheWindowStaysInTheList) {
    Put(kSword, 1);
    Put(kRobe, 1);
    Put(kHerb, 1);
    OpenPage();
    Frame(kMenuKeyRight);  // filter 1: herb, sword
    gMenu.pageId = kItemTabDiscard;
    ASSERT_TRUE(Select(kSword));
    Frame(kMenuKeySpace);
    Frame(kMenuKeyUp);
    Frame(kMenuKeySpace);
    EXPECT_EQ(ShownIds(), std::vector<uint16_t>{kHerb});
    EXPECT_EQ(SelectedItem()->id, kHerb);
    Frame(kMenuKeySpace);
    Frame(kMenuKeyUp);
    Frame(kMenuKeySpace);
    EXPECT_EQ(ShownIds(), std::vector<uint16_t>{kPlaceholderItem});
    Frame(kMenuKeyEsc);
    EXPECT_EQ(Bag(), (std::vector<Entry>{{kRobe, 1, 0}}));
}

TEST_F(ItemMenuTest, TheDescriptionOpensForTheSelectedRowAlsoByThePointer) {
    Put(kHerb, 1);
    Put(kSword, 1);
    OpenPage();
    Frame(kMenuKeyRight);
    // The top row is the herb; the cursor is on the sword.
    Frame(kMenuKeyDown);
    ASSERT_EQ(SelectedItem()->id, kSword);
    Click(560, 470);
    EXPECT_EQ(gMenu.depth, kItemDepthDescription);
    for (int i = 0; i < 10; ++i) Frame();
    EXPECT_EQ(gItems.panelY, kPanelOpenY);
    Frame(kMenuKeyEsc);
    EXPECT_EQ(gMenu.depth, kDepthPage);
    for (int i = 0; i < 10; ++i) Frame();
    EXPECT_EQ(gItems.panelY, kPanelClosedY);
    // The placeholder has no description.
    ResetItemMenu();
    FreeItemLists();
    OpenPage();
    Click(560, 470);
    EXPECT_EQ(gMenu.depth, kDepthPage);
}

TEST_F(ItemMenuTest, MouseSelectsTabsFiltersAndRows) {
    Put(kHerb, 1);
    Put(kSword, 2, 1);
    OpenPage();
    Click(217 + 60 * 2 + 5, 70);
    EXPECT_EQ(gMenu.pageId, kItemTabDiscard);
    Click(216 + 32 * 1 + 4, 100);
    EXPECT_EQ(gItems.filter, 1);
    Click(300, 129 + 24 + 3);
    EXPECT_EQ(gItems.win.cursor, 1);
    EXPECT_EQ(gMenu.depth, kDepthPage);
    Click(300, 129 + 24 + 3);  // a click on the selected row confirms
    EXPECT_EQ(gMenu.depth, kItemDepthDiscard);
    Click(300, 300, true);
    EXPECT_EQ(gMenu.depth, kDepthPage);
    // The tidy tab runs at once.
    Click(217 + 60 + 5, 70);
    EXPECT_EQ(gMenu.pageId, kItemTabUse);
    EXPECT_EQ(Total(kSword), 3);
    Frame(kMenuKeyEsc);
    EXPECT_EQ(Bag(), (std::vector<Entry>{{kHerb, 1, 0}, {kSword, 3, 0}}));
}

// Random page actions and every way out: an id's total (count and new
// count, in the bag and on show) drops only by one on a confirm in the
// member box or the discard question, nothing else changes it, and the bag
// keeps its order.
TEST_F(ItemMenuTest, RandomActionsConserveTheBag) {
    SetParty(3);
    InitRandom(19);
    const uint16_t ids[] = {kRing, kHerb, kSword, kTonic, kRobe, kQuestKey};
    auto totals = [&] {
        std::map<uint16_t, int> t;
        for (uint16_t id : ids) t[id] = Total(id);
        return t;
    };
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        ResetItemMenu();
        FreeItemLists();
        ResetMemberStats();
        for (uint16_t id : ids)
            if (Random(4) != 0) Put(id, int16_t(Random(4)), int16_t(Random(3)));
        std::vector<uint16_t> order;
        for (const Entry& e : Bag()) order.push_back(e.id);
        std::map<uint16_t, int> expect = totals();
        OpenPage();
        for (int step = 0; step < 30 && gMenu.depth >= kDepthPage; ++step) {
            static constexpr int kKeys[] = {kMenuKeyDown,  kMenuKeyUp,    kMenuKeyLeft,     kMenuKeyRight, kMenuKeyEnd,
                                            kMenuKeySpace, kMenuKeySpace, kMenuKeyPageDown, kMenuKeyEsc};
            const int key = kKeys[Random(int(std::size(kKeys)))];
            const int32_t depth = gMenu.depth;
            const ItemRecord* selected = SelectedItem();
            const uint16_t id = selected ? selected->id : 0;
            const bool mayTake = key == kMenuKeySpace && (depth == kItemDepthMember || depth == kItemDepthDiscard);
            Frame(key);
            const std::map<uint16_t, int> now = totals();
            for (uint16_t item : ids) {
                const int drop = expect[item] - now.at(item);
                if (mayTake && item == id && drop == 1) expect[item] = now.at(item);
                EXPECT_EQ(now.at(item), expect[item]) << "item " << item << " key " << key << " depth " << depth;
            }
        }
        if (gMenu.depth >= kDepthPage) ItemMenuLeave();
        EXPECT_EQ(totals(), expect);
        EXPECT_EQ(gItems.list, nullptr);
        size_t at = 0;
        for (const Entry& e : Bag()) {
            while (at < order.size() && order[at] != e.id) ++at;
            EXPECT_LT(at, order.size()) << "bag order changed at " << e.id;
            EXPECT_GT(e.count + e.fresh, 0) << e.id;
        }
    }
}

TEST_F(ItemMenuTest, SaveItemIsGivenBackUnlessTheGameWasSaved) {
    WriteObjects({{kItemSave, ObjectRecordBytes("Save", 0, {{11, 2}})}});
    for (int used : {0, 1}) {
        SCOPED_TRACE(used);
        ResetItemMenu();
        FreeItemLists();
        Put(kSword, 1);
        Put(kItemSave, 2, 1);
        Put(kHerb, 4);
        const std::vector<Entry> before = Bag();
        OpenPage();
        Frame(kMenuKeyRight);  // filter 1 shows the counts
        ASSERT_TRUE(Select(kItemSave));
        Frame(kMenuKeySpace);
        ASSERT_EQ(gSaveLoadMode, 3u);
        EXPECT_EQ(gSaveLoadKind, kSaveKindItem);
        // The game is saved with every count in the bag, less the item.
        EXPECT_EQ(Bag(), (std::vector<Entry>{{kSword, 1, 0}, {kItemSave, 1, 1}, {kHerb, 4, 0}}));
        gSaveScreenHooks.restoreInventory(used);
        EXPECT_EQ(Total(kItemSave), 3 - used);
        Frame(kMenuKeyEsc);
        std::vector<Entry> expect = before;
        if (used) expect[1].count = 1;
        EXPECT_EQ(Bag(), expect);
        gSaveLoadMode = gSaveLoadKind = 0;
    }
}

TEST_F(ItemMenuTest, TravelAndExitRefusalsChangeNothing) {
    WriteObjects({{kItemTravel, ObjectRecordBytes("Travel", 0, {{11, 2}})},
                  {kItemExit, ObjectRecordBytes("Exit", 0, {{11, 2}})}});
    MapsDatSpec spec;
    spec.raw[kTableExitGroups] = {1, 0, 10, 0, 12, 0, 7, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    UseMapsImage(spec);
    Put(kItemTravel, 1);
    Put(kItemExit, 1);
    const struct {
        const char* name;
        uint16_t item;
        int flag;
        uint32_t map;
        int32_t depth;
    } cases[] = {
        {"travel under flag 77", kItemTravel, 77, 7, kItemDepthTravelRefused},
        {"travel with nowhere to go", kItemTravel, 0, 7, kItemDepthTravelRefused},
        {"exit under flag 78", kItemExit, 78, 7, kItemDepthExitRefused},
        {"exit without a group", kItemExit, 0, 9, kItemDepthExitRefused},
    };
    OpenPage();
    Frame(kMenuKeyRight);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetStoryFlags();
        SetParty(2);
        if (c.flag) SetFlag(c.flag);
        gCurrentMap = c.map;
        ASSERT_TRUE(Select(c.item));
        Frame(kMenuKeySpace);
        EXPECT_EQ(gMenu.depth, c.depth);
        EXPECT_EQ(Total(c.item), 1);
        Frame(kMenuKeySpace);
        EXPECT_EQ(gMenu.depth, kDepthPage);
        EXPECT_NE(gMenuRequest, 0u);
    }
}

TEST_F(ItemMenuTest, TheBookOpensOverThePageAndLeavesWithIt) {
    WriteObjects({{kItemBook, ObjectRecordBytes("Book", 0, {{11, 2}})}});
    Put(kItemBook, 1);
    OpenPage();
    Frame(kMenuKeyRight);
    ASSERT_TRUE(Select(kItemBook));
    Frame(kMenuKeySpace);
    ASSERT_EQ(gMenu.depth, kDepthBookOverItems);
    EXPECT_TRUE(gBook.open);
    // The item menu's keys are the book's now.
    Frame(kMenuKeyRight);
    EXPECT_EQ(gBook.category, 1);
    EXPECT_EQ(gItems.filter, 1);
    Frame(kMenuKeySpace);  // confirm does nothing in the book
    EXPECT_EQ(gMenu.depth, kDepthBookOverItems);
    Frame(kMenuKeyEsc);
    EXPECT_EQ(gMenu.depth, kDepthPage);
    EXPECT_FALSE(gBook.open);
    // Leaving the page while the book is open runs the book's leave too.
    Frame(kMenuKeySpace);
    ASSERT_TRUE(gBook.open);
    ItemMenuLeave();
    EXPECT_FALSE(gBook.open);
    EXPECT_EQ(Total(kItemBook), 1);
}

class RealmMarkerTest : public ItemMenuTest {
protected:
    void SetUp() override {
        ItemMenuTest::SetUp();
        WriteObjects({{kItemRealmMarker, ObjectRecordBytes("Marker", 0, {{11, 2}})}});
        MapsDatSpec spec;
        for (uint16_t guid : {641, 642}) {
            RoleDef d{};
            d.map = kNoMarkerMap;
            d.guid = guid;
            d.act[0] = 641;
            d.flags = 0x8000;
            spec.roleDefs.push_back(d);
        }
        UseMapsImage(spec);
        gCurrentMap = 1;
        TotalRole = 1;
        gPlayerRole = 0;
        gRole[0] = RoleRecord{};
        gRole[0].x = 100;
        gRole[0].y = 72;
        gRole[0].act.dir = 3;
    }
    void TearDown() override {
        for (uint32_t i = 0; i < kMaxRoles; ++i) gRole[i] = RoleRecord{};
        ItemMenuTest::TearDown();
    }
    void ChooseMarker(int n) {
        ASSERT_TRUE(Select(kItemRealmMarker));
        Frame(kMenuKeySpace);
        ASSERT_EQ(gMenu.depth, kItemDepthMarkers);
        for (int i = 0; i < n; ++i) Frame(kMenuKeyDown);
        Frame(kMenuKeySpace);
    }
};

TEST_F(RealmMarkerTest, PlacingAMarkerClosesTheMenuAndTakingItBackFreesIt) {
    Put(kItemRealmMarker, 2);
    OpenPage();
    Frame(kMenuKeyRight);
    ChooseMarker(1);
    ASSERT_EQ(gMenu.depth, kItemDepthMarkerAsk);
    EXPECT_EQ(gItems.markerInUse, 0);
    Frame(kMenuKeySpace);
    EXPECT_EQ(gMenuRequest, 0u);
    EXPECT_EQ(Total(kItemRealmMarker), 2);  // markers are not used up
    ASSERT_EQ(TotalRole, 2u);
    EXPECT_EQ(gRole[1].guid, 642);
    EXPECT_EQ(gRole[1].act.qq, 8);
    EXPECT_EQ(gRole[1].x, 96);
    EXPECT_EQ(gRole[1].y, 64);
    RoleDef def = GetRoleDefAt(uint32_t(FindRoleDef(642)));
    EXPECT_EQ(def.map, 1);
    EXPECT_EQ(def.act[1], 8);
    // Taking it back.
    OpenPage();
    Frame(kMenuKeyRight);
    ChooseMarker(1);
    EXPECT_EQ(gItems.markerInUse, 1);
    Frame(kMenuKeySpace);
    EXPECT_EQ(gMenu.depth, kItemDepthMarkers);
    EXPECT_NE(gMenuRequest, 0u);
    EXPECT_TRUE(gRole[1].flags & 0x10000000u);
    def = GetRoleDefAt(uint32_t(FindRoleDef(642)));
    EXPECT_EQ(def.map, kNoMarkerMap);
    EXPECT_EQ(def.act[1], 0);
}

TEST_F(RealmMarkerTest, AFullRoleTableAndAMissingDefinitionChangeNothing) {
    Put(kItemRealmMarker, 50);
    OpenPage();
    Frame(kMenuKeyRight);
    ASSERT_TRUE(Select(kItemRealmMarker));
    Frame(kMenuKeySpace);
    EXPECT_EQ(gItems.markerCount, kRealmMarkerMax);  // not one per item owned
    Frame(kMenuKeyEsc);
    TotalRole = kMaxRoles;
    ChooseMarker(0);
    Frame(kMenuKeySpace);
    EXPECT_EQ(TotalRole, kMaxRoles);
    EXPECT_EQ(GetRoleDefAt(uint32_t(FindRoleDef(641))).map, kNoMarkerMap);
    EXPECT_NE(gMenuRequest, 0u);
    EXPECT_EQ(gMenu.depth, kItemDepthMarkers);
    Frame(kMenuKeyEsc);
    TotalRole = 1;
    const size_t boxes = BoxCount();
    ChooseMarker(5);  // definition 646 does not exist
    EXPECT_EQ(gMenu.depth, kDepthPage);
    EXPECT_EQ(BoxCount(), boxes + 1);
}

} // namespace
