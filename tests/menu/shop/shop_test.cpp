// The shop's model: the lists it builds, the caps on quantities, the money of
// a deal, the comparison with the members' equipment, and the hand-over to
// the equipment page and back.
#include "shop_fixture.h"

#include <cstring>

#include "base/input.h"
#include "menu/shop/shop_texts.h"
#include "platform/headless/headless.h"

namespace {

TEST_F(ShopTest, OpeningShowsTheChoiceAndLeavingFreesEverything) {
    OpenShop({kHerb});
    EXPECT_EQ(gShop.state, kShopChoosing);
    EXPECT_EQ(ShopChoiceOf(), kShopBuy);
    EXPECT_EQ(gMenuRequest, uint32_t(kMenuShop));
    EXPECT_EQ(gShop.memberCount, 2);
    Choose(kShopLeave);
    EXPECT_EQ(gShop.state, kShopClosed);
    EXPECT_EQ(gMenuRequest, 0u);
    EXPECT_EQ(gShopStockIds, nullptr);
    EXPECT_EQ(gShop.list, nullptr);
    EXPECT_TRUE(gShop.background.empty());
}

TEST_F(ShopTest, TheBuyListHoldsTheStockSortedByKindWithEveryQuantityZero) {
    OpenShop({kRing, kHerb, kMail, kSword, kTonic, kHerb});
    Choose(kShopBuy);
    ASSERT_EQ(gShop.state, kShopListing);
    // Keys: plain goods 0, weapons 1, body armour 0x40, accessories 2048; the
    // stock's order within a key; a repeated id is one row.
    EXPECT_EQ(RowIds(), (std::vector<uint16_t>{kHerb, kTonic, kSword, kMail, kRing}));
    for (const ItemRecord* r = gShop.list; r; r = r->next) EXPECT_EQ(r->count, 0) << r->id;
    EXPECT_EQ(ShopTotal(), 0);
}

TEST_F(ShopTest, SortKeys) {
    const struct {
        uint32_t kind, key;
    } cases[] = {{0, 0},          {0x400, 2048},      {0x40000200, 0x40}, {0x80000200, 0x80},
                 {0x100, 1},      {0x20, 0x200000},   {0x500, 2048},      {0x8000, 0x80000000u}};
    for (const auto& c : cases) EXPECT_EQ(ShopSortKey(c.kind), c.key) << std::hex << c.kind;
}

TEST_F(ShopTest, AnUnknownStockIdIsReportedOnceAndLeftOut) {
    OpenShop({kHerb, kUnknown, kSword});
    Choose(kShopBuy);
    EXPECT_EQ(RowIds(), (std::vector<uint16_t>{kHerb, kSword}));
    ASSERT_EQ(HeadlessMessageBoxes().size(), 1u);
    EXPECT_EQ(HeadlessMessageBoxes()[0].caption, kShopCaptionStock);
    EXPECT_NE(HeadlessMessageBoxes()[0].text.find("(999)"), std::string::npos);
}

TEST_F(ShopTest, StockListsThatAreMissingEmptyOrUnendedOpenSafely) {
    const struct {
        const char* name;
        int fill;         // -1 no list, else the id every word holds
        size_t rows;
    } cases[] = {{"no list", -1, 0}, {"only the end", 0, 0}, {"no end", kHerb, 1}};
    for (const auto& c : cases) {
        OpenShop({});
        if (c.fill < 0) {
            FreeMem(gShopStockIds);
            gShopStockIds = nullptr;
        } else {
            for (int i = 0; i < kShopStockWords; ++i) gShopStockIds[i] = uint16_t(c.fill);
        }
        Choose(kShopBuy);
        EXPECT_EQ(RowIds().size(), c.rows) << c.name;
        // An empty stock goes back to the choice.
        EXPECT_EQ(gShop.state, c.rows ? kShopListing : kShopChoosing) << c.name;
        ResetShop();
    }
}

TEST_F(ShopTest, SellingPaysSixtyPercentRoundedDownPerRow) {
    const struct {
        uint16_t id;
        int quantity;
        uint32_t paid;
    } cases[] = {{kTonic, 1, 19}, {kTonic, 2, 39}, {kTonic, 3, 59}, {kHerb, 3, 18}, {kGem, 1, 39321}};
    for (const auto& c : cases) {
        ResetParty();
        Carry(c.id, 5);
        gTalkVar[0] = 100;
        OpenShop({});
        Choose(kShopSell);
        More(c.id, c.quantity);
        EXPECT_EQ(ShopTotal(), int64_t(c.paid)) << c.id << " x" << c.quantity;
        Deal();
        EXPECT_EQ(gTalkVar[0], 100 + c.paid) << c.id << " x" << c.quantity;
        EXPECT_EQ(Held(c.id), 5 - c.quantity);
        ResetShop();
    }
}

TEST_F(ShopTest, SellingIsCappedAtWhatTheBagHoldsAndTheLastOneRemovesTheRow) {
    Carry(kHerb, 2, 1);  // two, and one new
    Carry(kTonic, 4);
    OpenShop({});
    Choose(kShopSell);
    More(kHerb, 9);
    EXPECT_EQ(Row(kHerb)->count, 3);
    More(kTonic, 1);
    Deal();
    EXPECT_EQ(gTalkVar[0], 1000u + 18u + 19u);
    EXPECT_EQ(FindItem(gInventory, kHerb), nullptr);
    EXPECT_EQ(Held(kTonic), 3);
    EXPECT_EQ(Row(kHerb), nullptr);
    ASSERT_NE(Row(kTonic), nullptr);
    EXPECT_EQ(Row(kTonic)->count, 0);
    EXPECT_EQ(gShop.state, kShopChoosing);
}

TEST_F(ShopTest, SellingEverythingLeavesAnEmptyList) {
    Carry(kHerb, 1);
    OpenShop({});
    Choose(kShopSell);
    More(kHerb, 1);
    Deal();
    EXPECT_EQ(gShop.list, nullptr);
    EXPECT_EQ(gShop.state, kShopListing);
    ShopKeyMore();  // nothing under the cursor
    ShopKeyDown();
    EXPECT_EQ(ShopTotal(), 0);
    ShopConfirm();
    EXPECT_EQ(gShop.state, kShopListing);
}

TEST_F(ShopTest, TheSellListLeavesOutWhatTheShopDoesNotBuyAndNeverHoldsTheStock) {
    Carry(kHerb, 1);
    Carry(kRelic, 1);
    Carry(kQuest, 1);
    Carry(kSword, 1);
    OpenShop({kMail, kRing, kHerb});
    // A purchase leaves the choice with the buy list built.
    Choose(kShopBuy);
    More(kMail, 1);
    Deal();
    ShopKeyMore();  // "give up" the equipping
    ShopConfirm();
    ASSERT_EQ(gShop.state, kShopChoosing);
    Choose(kShopSell);
    EXPECT_EQ(RowIds(), (std::vector<uint16_t>{kHerb, kSword, kMail}));
    for (const ItemRecord* r = gShop.list; r; r = r->next) EXPECT_EQ(r->count, 0);
    // The stock's ring cannot be sold: the list has no ring to raise.
    More(kRing, 5);
    EXPECT_EQ(Row(kRing), nullptr);
}

TEST_F(ShopTest, BuyingStopsWhereTheOwnedCountWouldPass99) {
    const struct {
        const char* name;
        int carried;
        bool equipped;
        int most;
    } cases[] = {{"empty bag", 0, false, 99}, {"97 carried", 97, false, 2}, {"97 and one worn", 97, true, 1},
                 {"99 carried", 99, false, 0}};
    for (const auto& c : cases) {
        ResetParty();
        if (c.carried) Carry(kRing, c.carried);
        if (c.equipped) Equip(1, 5, kRing);
        gTalkVar[0] = 100000;
        OpenShop({kRing});
        Choose(kShopBuy);
        More(kRing, 120);
        EXPECT_EQ(Row(kRing)->count, c.most) << c.name;
        if (c.most > 0) {
            Deal();
            EXPECT_EQ(Held(kRing), c.carried + c.most) << c.name;
            EXPECT_EQ(gTalkVar[0], 100000u - 50u * uint32_t(c.most)) << c.name;
        }
        ResetShop();
    }
}

TEST_F(ShopTest, RaisingPastTheMoneyRefusesAndKeepsTheQuantity) {
    gTalkVar[0] = 25;
    OpenShop({kHerb});
    Choose(kShopBuy);
    More(kHerb, 2);
    EXPECT_EQ(gShop.state, kShopListing);
    ShopKeyMore();
    EXPECT_EQ(gShop.state, kShopNoMoney);
    EXPECT_EQ(Row(kHerb)->count, 2);
    ShopConfirm();
    EXPECT_EQ(gShop.state, kShopListing);
    Deal();
    EXPECT_EQ(gTalkVar[0], 5u);
    EXPECT_EQ(Held(kHerb), 2);
}

// A total exactly equal to the money is affordable, when it is raised and
// when the purchase is made; one coin less is not.
TEST_F(ShopTest, ATotalEqualToTheMoneyIsAffordable) {
    const struct {
        uint32_t money;
        int held;        // herbs (10 each) after three raises and the deal
        uint32_t left;
    } cases[] = {{30, 3, 0}, {29, 2, 9}, {31, 3, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.money);
        gTalkVar[0] = c.money;
        OpenShop({kHerb});
        Choose(kShopBuy);
        More(kHerb, 3);
        EXPECT_EQ(Row(kHerb)->count, c.held);
        if (gShop.state == kShopNoMoney) ShopConfirm();
        Deal();
        EXPECT_EQ(Held(kHerb), c.held);
        EXPECT_EQ(gTalkVar[0], c.left);
        ResetShop();
        FreeItemList(&gInventory);
    }
    // At the purchase itself: money set to the total after the question.
    gTalkVar[0] = 1000;
    OpenShop({kHerb});
    Choose(kShopBuy);
    More(kHerb, 3);
    ShopConfirm();
    ASSERT_EQ(gShop.state, kShopAsking);
    gTalkVar[0] = 30;
    ShopKeyLess();
    ShopConfirm();
    EXPECT_EQ(Held(kHerb), 3);
    EXPECT_EQ(gTalkVar[0], 0u);
}

TEST_F(ShopTest, APurchaseChecksTheMoneyAgainWhenItIsMade) {
    OpenShop({kHerb});
    Choose(kShopBuy);
    More(kHerb, 3);
    ShopConfirm();
    ASSERT_EQ(gShop.state, kShopAsking);
    gTalkVar[0] = 29;  // less than the 30 asked, which would wrap the money
    ShopConfirm();
    EXPECT_EQ(gShop.state, kShopNoMoney);
    EXPECT_EQ(gTalkVar[0], 29u);
    EXPECT_EQ(Held(kHerb), 0);
}

TEST_F(ShopTest, GivingUpTheQuestionClearsTheQuantities) {
    OpenShop({kHerb, kTonic});
    Choose(kShopBuy);
    More(kHerb, 2);
    More(kTonic, 1);
    ShopConfirm();
    ShopKeyMore();  // "give up"
    ShopConfirm();
    EXPECT_EQ(gShop.state, kShopListing);
    EXPECT_EQ(ShopTotal(), 0);
    EXPECT_EQ(gTalkVar[0], 1000u);
    EXPECT_EQ(gInventory, nullptr);
}

TEST_F(ShopTest, TheTotalDoesNotOverflow) {
    OpenShop({kGem, kTonic});
    Choose(kShopBuy);
    Row(kGem)->count = 32767;
    Row(kTonic)->count = 32767;
    EXPECT_EQ(ShopTotal(), int64_t(65535) * 32767 + int64_t(33) * 32767);
    gShop.flags = (gShop.flags & ~kShopChoiceBits) | kShopSell;
    EXPECT_EQ(ShopTotal(), int64_t(65535) * 32767 * 60 / 100 + int64_t(33) * 32767 * 60 / 100);
}

TEST_F(ShopTest, CancelStepsBackOneStateAtATime) {
    OpenShop({kHerb});
    Choose(kShopBuy);
    More(kHerb, 1);
    ShopConfirm();
    ASSERT_EQ(gShop.state, kShopAsking);
    ShopCancel();
    EXPECT_EQ(gShop.state, kShopListing);
    EXPECT_EQ(Row(kHerb)->count, 1);
    ShopCancel();
    EXPECT_EQ(gShop.state, kShopChoosing);
    EXPECT_EQ(gShop.list, nullptr);
    ShopCancel();
    EXPECT_EQ(gShop.state, kShopClosed);
    EXPECT_EQ(gMenuRequest, 0u);
    EXPECT_EQ(gInventory, nullptr);
    EXPECT_EQ(gTalkVar[0], 1000u);
}

// ---- The comparison ------------------------------------------------------------------------

TEST_F(ShopTest, TheComparisonReplacesOneSlotOnACopyOfTheStats) {
    Equip(0, 0, kOldSword);
    Equip(0, 5, kRing);
    Equip(0, 6, kRing);   // both accessory slots hold a ring
    Equip(1, 5, kRing);   // member 1: the second accessory slot is free
    gMemberStats[1].status = kStatusDown;
    Equip(1, 0, kOldSword);
    std::vector<uint8_t> before[2];
    for (int m = 0; m < 2; ++m) WriteMemberStats(gMemberStats[m], before[m]);
    const struct {
        uint16_t id;
        int32_t attack[2], defence[2];
        bool fits[2];
    } cases[] = {
        {kSword, {7, 7}, {0, 0}, {true, true}},     // replaces the old sword (a downed member's counts too)
        {kBigRing, {7, 10}, {-1, 0}, {true, true}}, // member 0: one ring replaced; member 1: the free slot
        {kMail, {0, 0}, {8, 8}, {true, true}},
        {kHerb, {0, 0}, {0, 0}, {false, false}},
    };
    for (const auto& c : cases) {
        ItemRecord* item = NewItemNode(c.id);
        ShopEnter();
        ShopCompare(item);
        for (int m = 0; m < 2; ++m) {
            EXPECT_EQ(gShop.members[m].member, m);
            EXPECT_EQ(gShop.members[m].fits, c.fits[m]) << c.id << " member " << m;
            EXPECT_EQ(gShop.members[m].attack, c.attack[m]) << c.id << " member " << m;
            EXPECT_EQ(gShop.members[m].defence, c.defence[m]) << c.id << " member " << m;
            std::vector<uint8_t> after;
            WriteMemberStats(gMemberStats[m], after);
            EXPECT_EQ(after, before[m]) << "member " << m << " stats changed";
        }
        FreeItemNode(item);
    }
    EXPECT_EQ(ShopSlotFor(0x400), 5);
    EXPECT_EQ(ShopSlotFor(0x40000200 | 0x8000), 2);
    EXPECT_EQ(ShopSlotFor(0x200), -1);
}

TEST_F(ShopTest, AMemberWithoutTheFitBitShowsNoChange) {
    SetFlag(32);  // member 2 joins; the sword is for members 0 and 1
    OpenShop({kSword});
    Choose(kShopBuy);
    ASSERT_EQ(gShop.memberCount, 3);
    EXPECT_TRUE(gShop.members[0].fits);
    EXPECT_EQ(gShop.members[0].attack, 12);
    EXPECT_FALSE(gShop.members[2].fits);
    EXPECT_EQ(gShop.members[2].attack, 0);
}

// ---- The equipment page and back ----------------------------------------------------------

int gStandInEnters = 0;

void StandInCancel() {
    // As the equipment page's cancel on a visit from the shop.
    gMenuRequest = (gMenuRequest & kMenuFromShop) ? kShopReturnRequest : 0;
}

// The game frame's branch between the menu and the shop.
void MenuOrShopFrame() {
    const uint32_t kind = gMenuRequest & kMenuKindMask;
    if (kind == kMenuShop) ShopFrame();
    else if (kind == kMenuRoot) MenuFrame();
}

TEST_F(ShopTest, BuyingEquipmentAndAnsweringYesOpensTheEquipmentPageWhoseCancelReturns) {
    MenuPage equip{};
    equip.firstId = 36;
    equip.lastId = 41;
    equip.enter = [] { ++gStandInEnters; };
    equip.slots.cancel = StandInCancel;
    gStandInEnters = 0;
    RegisterMenuPage(kPageEquip, equip);
    InitMenu();
    OpenShop({kSword, kHerb});
    Choose(kShopBuy);
    More(kSword, 1);
    Deal();
    ASSERT_EQ(gShop.state, kShopAskEquip);
    ShopConfirm();  // "confirm" is chosen
    EXPECT_EQ(gMenuRequest, kShopEquipRequest);
    EXPECT_EQ(gShop.state, kShopChoosing);
    MenuOrShopFrame();  // the framework opens the page for the shop's visit
    EXPECT_EQ(gStandInEnters, 1);
    EXPECT_EQ(gMenu.pageIndex, kPageEquip);
    EXPECT_EQ(gMenuRequest, kMenuFromShop | kMenuRoot);
    Hold(kMenuKeyEsc);
    MenuOrShopFrame();  // the page's cancel
    Release(kMenuKeyEsc);
    EXPECT_EQ(gMenuRequest, kShopReturnRequest);
    MenuOrShopFrame();  // the shop goes on where it was
    EXPECT_EQ(gMenuRequest, uint32_t(kMenuShop));
    EXPECT_EQ(gShop.state, kShopChoosing);
    EXPECT_NE(gShopStockIds, nullptr);
    EXPECT_EQ(Held(kSword), 1);
    EXPECT_EQ(gTalkVar[0], 880u);
    Choose(kShopBuy);
    EXPECT_EQ(RowIds(), (std::vector<uint16_t>{kHerb, kSword}));
    // And the keys close it.
    Hold(kMenuKeyEsc);
    MenuOrShopFrame();
    Release(kMenuKeyEsc);
    EXPECT_EQ(gShop.state, kShopChoosing);
    Hold(kMenuKeyEsc);
    MenuOrShopFrame();
    EXPECT_EQ(gMenuRequest, 0u);
    EXPECT_EQ(gShopStockIds, nullptr);
}

TEST_F(ShopTest, GivingUpTheEquippingStaysInTheShop) {
    OpenShop({kMail});
    Choose(kShopBuy);
    More(kMail, 1);
    Deal();
    ASSERT_EQ(gShop.state, kShopAskEquip);
    ShopKeyMore();
    ShopConfirm();
    EXPECT_EQ(gShop.state, kShopChoosing);
    EXPECT_EQ(gMenuRequest, uint32_t(kMenuShop));
}

TEST_F(ShopTest, AShopLeftOpenByAVisitThatNeverCameBackIsFreedByTheNext) {
    OpenShop({kHerb});
    Choose(kShopBuy);
    gMenuRequest = 0;  // the menu was closed from elsewhere
    OpenShop({kTonic});
    EXPECT_EQ(gShop.list, nullptr);
    Choose(kShopBuy);
    EXPECT_EQ(RowIds(), (std::vector<uint16_t>{kTonic}));
}

// ---- Keys and mouse through the frame -------------------------------------------------------

TEST_F(ShopTest, TheFrameTakesKeysWithTheMenusRepeatRule) {
    OpenShop({kHerb, kTonic});
    Hold(kMenuKeyReturn);
    ShopFrame();
    Release(kMenuKeyReturn);
    ASSERT_EQ(gShop.state, kShopListing);
    // Right held: the first frame, then every second frame from the 8th.
    int raised = 0;
    for (int frame = 1; frame <= 12; ++frame) {
        Hold(kMenuKeyRight);
        ShopFrame();
        raised = Row(kHerb)->count;
    }
    Release(kMenuKeyRight);
    EXPECT_EQ(raised, 1 + 3);  // frames 1, 8, 10, 12
    Hold(kMenuKeyDown);
    ShopFrame();
    Release(kMenuKeyDown);
    EXPECT_EQ(ShopCursorRecord()->id, kTonic);
}

TEST_F(ShopTest, TheMouseChoosesRowsRaisesAndRuns) {
    OpenShop({kHerb, kTonic});
    auto click = [](int x, int y, int key = kMenuKeyMouseLeft) {
        gKeyInput.mouseX = x;
        gKeyInput.mouseY = y;
        gKeyState[key].state = 1;
        gKeyState[key].framesHeld = 1;
        ShopFrame();
        gKeyState[key] = KeyState{};
    };
    click(290, 330);  // "buy"
    ASSERT_EQ(gShop.state, kShopListing);
    click(200, 61 + 25 + 5);  // the second row
    EXPECT_EQ(ShopCursorRecord()->id, kTonic);
    click(410, 61 + 25 + 5);  // its "+"
    click(410, 61 + 25 + 5);
    click(390, 61 + 25 + 5);  // its "-"
    EXPECT_EQ(Row(kTonic)->count, 1);
    click(460, 410);  // "run"
    EXPECT_EQ(gShop.state, kShopAsking);
    click(260, 240);  // "confirm"
    EXPECT_EQ(Held(kTonic), 1);
    EXPECT_EQ(gTalkVar[0], 967u);
    click(300, 300, kMenuKeyMouseRight);
    EXPECT_EQ(gShop.state, kShopClosed);
    EXPECT_EQ(gMenuRequest, 0u);
}

TEST_F(ShopTest, EveryStateDrawsAFrame) {
    gBackBuffer = CreateSurface(640, 480);
    ASSERT_NE(gBackBuffer, nullptr);
    Carry(kHerb, 3);
    OpenShop({kHerb, kSword, kMail, kRing, kTonic, kGem, kOldSword, kBigRing, kQuest, kRelic, 3, 4, 7, 8, 9});
    ShopFrame();
    Choose(kShopBuy);
    More(kSword, 1);
    ShopFrame();
    ShopConfirm();
    ShopFrame();  // the question
    gShop.state = kShopNoMoney;
    ShopFrame();
    gShop.state = kShopAskEquip;
    ShopFrame();
    gShop.state = kShopListing;
    ShopKeyPageDown();
    ShopKeyPageDown();
    ShopFrame();
    EXPECT_EQ(gShop.background.size(), size_t(640 * 480));
    EXPECT_EQ(gShop.state, kShopListing);
}

} // namespace
