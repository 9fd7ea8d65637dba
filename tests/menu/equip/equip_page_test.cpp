// The equipment page: which items are offered, what equipping does to the
// bag, the worn items and the member's maxima, the member it works on, the
// shop's visit, the affinity rule and a conservation property over random
// play.
#include "party_page_fixture.h"

#include <algorithm>
#include <random>

#include "menu/frame/status_panel.h"

namespace {

enum : uint16_t {
    kSwordA = 450, kSwordB = 451, kHelmet = 452, kArmour = 453, kGloves = 454, kBoots = 455,
    kRing = 456, kTalisman = 457, kGuard = 458, kHerb = 459,
};

class EquipPageTest : public PartyPageTest {
protected:
    void SetUp() override {
        PartyPageTest::SetUp();
        ObjFixedFields fire{};
        fire.element[3] = 15;
        ObjFixedFields talisman{};
        talisman.element[3] = 1;
        WriteMon({{kSwordA, Gear("Sword A", 0x100, {{0, 10}})},
                  {kSwordB, Gear("Sword B", 0x100, {{0, 20}, {11, 0x8000}})},
                  {kHelmet, Gear("Helmet", 0x10000200, {{1, 3}})},
                  {kArmour, Gear("Armour", 0x40000200, {{1, 8}, {8, 30}, {12, 256}})},
                  {kGloves, Gear("Gloves", 0x20000200, {{1, 1}})},
                  {kBoots, Gear("Boots", 0x80000200, {{4, 5}})},
                  {kRing, Gear("Ring", 0x400, {}, fire)},
                  {kTalisman, Gear("Talisman", 0x40, {{16, 100}}, talisman)},
                  {kGuard, Gear("Guard", 0x800, {})},
                  {kHerb, Gear("Herb", 0, {{8, 50}})}});
        Party({0, 1, 2});
        for (MemberStats& m : gMemberStats) {
            for (int g = 0; g < 3; ++g) m.gauge[g] = m.gaugeMax[g] = 200;
        }
    }
    static std::vector<uint16_t> CandidateIds() {
        std::vector<uint16_t> out;
        for (const ItemRecord* n : gEquip.candidates) out.push_back(n->id);
        return out;
    }
    void OpenEquip() { Open(kPageEquip, kEquipFirstPageId); }
    // From the slot list: slot `slot`, then the candidate of row `row`.
    void EquipRow(int slot, int row) {
        while (gEquip.slot != slot) Press(kMenuKeyDown);
        Press(kMenuKeySpace);
        ASSERT_EQ(gEquip.state, kEquipChoosingItem);
        for (int i = 0; i < row; ++i) Press(kMenuKeyDown);
        Press(kMenuKeySpace);
    }
};

TEST_F(EquipPageTest, CandidatesFitTheSlotAndTheMember) {
    for (uint16_t id : {kSwordA, kSwordB, kHelmet, kArmour, kGloves, kBoots, kRing, kTalisman, kGuard, kHerb})
        Bag(id, 1);
    const struct {
        int row, slot;
        bool worn;
        std::vector<uint16_t> ids;
    } cases[] = {
        {0, 0, false, {kSwordA, kSwordB}},                   // member 0 may hold both
        {1, 0, false, {kSwordA}},                            // Sword B fits member 0 only
        {0, 1, false, {kHelmet}},  {0, 2, false, {kArmour}}, {0, 3, false, {kGloves}},
        {0, 4, false, {kBoots}},   {0, 5, false, {kRing}},   {0, 6, false, {kRing}},
        {0, 7, false, {kTalisman}}, {0, 9, false, {kGuard}},
        {0, 1, true, {kHelmet, kPlaceholderItem}},          // a worn slot can be emptied
    };
    for (const auto& c : cases) {
        if (c.worn) Wear(PartyMember(c.row), c.slot, kHelmet);
        OpenEquip();
        gMenu.member = c.row;
        gEquip.slot = c.slot;
        LoadEquipCandidates();
        EXPECT_EQ(CandidateIds(), c.ids) << "row " << c.row << " slot " << c.slot;
        EquipLeave();
    }
    // An empty slot without a fitting item shows only the placeholder.
    OpenEquip();
    gEquip.slot = 8;
    FreeItemList(&gInventory);
    LoadEquipCandidates();
    EXPECT_EQ(CandidateIds(), std::vector<uint16_t>{kPlaceholderItem});
}

TEST_F(EquipPageTest, EquippingSwapsOneItemBetweenTheBagAndTheSlot) {
    Wear(0, 0, kSwordA);
    Bag(kHerb, 3);
    Bag(kSwordB, 2);
    const std::vector<uint16_t> order = BagOrder();
    OpenEquip();
    EquipRow(0, 1);  // candidates: Sword B only (the slot is worn: "無" after it)
    EXPECT_EQ(gEquip.state, kEquipRefused) << "the weapon cannot be taken off";
    Press(kMenuKeySpace);
    Press(kMenuKeyUp);
    Press(kMenuKeySpace);
    EXPECT_EQ(WornId(0, 0), kSwordB);
    EXPECT_EQ(gMemberEquip[0][0]->count, 1);
    EXPECT_EQ(BagCounts(), (std::map<uint16_t, int>{{kHerb, 3}, {kSwordA, 1}, {kSwordB, 1}}));
    // The bag keeps its order; the sword that came back stands at its head.
    EXPECT_EQ(BagOrder(), (std::vector<uint16_t>{kSwordA, order[0], order[1]}));
    // And back again: the bag is as it was.
    EquipRow(0, 0);
    EXPECT_EQ(WornId(0, 0), kSwordA);
    EXPECT_EQ(BagCounts(), (std::map<uint16_t, int>{{kHerb, 3}, {kSwordB, 2}}));
    EXPECT_EQ(BagOrder(), order);
}

TEST_F(EquipPageTest, MaximaFollowTheArmourAndNeverLeaveCurrentValuesAbove) {
    const struct {
        const char* name;
        int16_t max, current;
        bool worn;  // the armour is worn at the start and taken off
        int16_t maxAfter, currentAfter;
    } cases[] = {
        {"put on", 100, 80, false, 130, 80},
        {"taken off", 130, 130, true, 100, 100},
        {"taken off below 1", 20, 20, true, 1, 1},
    };
    for (const auto& c : cases) {
        ResetParty();
        Party({0});
        gMemberStats[0].gaugeMax[0] = c.max;
        gMemberStats[0].gauge[0] = c.current;
        if (c.worn) Wear(0, 2, kArmour);
        else Bag(kArmour, 1);
        OpenEquip();
        EquipRow(2, 0);
        EXPECT_EQ(WornId(0, 2), c.worn ? kPlaceholderItem : uint16_t(kArmour)) << c.name;
        EXPECT_EQ(gMemberStats[0].gaugeMax[0], c.maxAfter) << c.name;
        EXPECT_EQ(gMemberStats[0].gauge[0], c.currentAfter) << c.name;
        EXPECT_EQ(Owned()[kArmour], 1) << c.name;
        EquipLeave();
    }
}

TEST_F(EquipPageTest, AWornItemOfTheWrongKindGoesBackToTheBag) {
    Wear(0, 1, kSwordA);  // a sword on the head
    Bag(kHelmet, 1);
    OpenEquip();
    EquipRow(1, 0);
    EXPECT_EQ(WornId(0, 1), kHelmet);
    EXPECT_EQ(HeadlessMessageBoxes().size(), 1u);
    EXPECT_EQ(BagCounts(), (std::map<uint16_t, int>{{kSwordA, 1}}));
}

TEST_F(EquipPageTest, ABagFullOfTheWornItemRefusesTheSwap) {
    Wear(0, 1, kHelmet);
    Bag(kHelmet, 99);
    OpenEquip();
    // Only the placeholder is offered besides the helmets; taking the helmet
    // off would make 100 of them.
    EquipRow(1, 1);
    EXPECT_EQ(WornId(0, 1), kHelmet);
    EXPECT_EQ(BagCounts()[kHelmet], 99);
}

TEST_F(EquipPageTest, TheMemberIsThePartyMemberOfTheSelectedRow) {
    const struct {
        std::vector<int> party;
        int presses;
        int member;
    } cases[] = {
        {{1, 2}, 0, 1}, {{1, 2}, 1, 2}, {{1, 2}, 2, 1}, {{3}, 0, 3}, {{3}, 5, 3}, {{0, 1, 2, 3}, 3, 0},
    };
    for (const auto& c : cases) {
        ResetParty();
        for (int m = 0; m < 4; ++m) ClearFlag(30 + m);
        for (int m : c.party) SetFlag(30 + m);
        CollectParty();
        Bag(kHelmet, 1);
        OpenEquip();
        for (int i = 0; i < c.presses; ++i) Press(kMenuKeyShift);
        EXPECT_EQ(EquipMember(), c.member);
        EXPECT_GE(gMenu.member, 0);
        EquipRow(1, 0);
        EXPECT_EQ(WornId(c.member, 1), kHelmet) << "member " << c.member;
        EquipLeave();
    }
}

TEST_F(EquipPageTest, ADownedMemberIsComparedWithItsEquipment) {
    Wear(0, 0, kSwordA);
    Wear(0, 4, kBoots);
    gMemberStats[0].status |= kStatusDown;
    OpenEquip();
    EXPECT_EQ(gEquip.totals[0].bonus[0], 10);
    EXPECT_EQ(gEquip.totals[0].stat[3], gMemberStats[0].stat[3] + 5);
    EXPECT_TRUE(gEquip.totals[0].status & kStatusDown);
}

TEST_F(EquipPageTest, TheComparisonShowsTheItemUnderTheCursor) {
    Wear(0, 0, kSwordA);
    Bag(kSwordB, 1);
    OpenEquip();
    Press(kMenuKeySpace);
    EXPECT_EQ(gEquip.totals[0].bonus[0], 10);
    EXPECT_EQ(gEquip.compared.bonus[0], 20);
    EXPECT_TRUE(gPanelPreview.equip);
    Press(kMenuKeyEsc);
    EXPECT_FALSE(gPanelPreview.equip);
    EXPECT_EQ(gEquip.compared.bonus[0], 10);
}

TEST_F(EquipPageTest, CancelOnAPageOpenedForTheShopReturnsToTheShop) {
    Bag(kSwordA, 1);
    gMenuRequest = kMenuPending | kMenuEquipNow | kMenuRoot;
    MenuFrame();
    ASSERT_TRUE(gEquip.open);
    EXPECT_EQ(gMenuRequest, kMenuFromShop | kMenuRoot);
    Press(kMenuKeySpace);
    EXPECT_EQ(gEquip.state, kEquipChoosingItem);
    Press(kMenuKeyEsc);
    Press(kMenuKeyEsc);
    EXPECT_EQ(gMenuRequest, 0x20000002u);
    EXPECT_FALSE(gEquip.open);
    EXPECT_TRUE(gEquip.candidates.empty());
    EXPECT_EQ(BagCounts(), (std::map<uint16_t, int>{{kSwordA, 1}}));
    // Without the shop the cancel goes back to the icon bar.
    gMenuRequest = kMenuPending | kMenuRoot;
    MenuFrame();
    OpenFromBar(kPageEquip);
    ASSERT_TRUE(gEquip.open);
    Press(kMenuKeyEsc);
    EXPECT_EQ(gMenuRequest, kMenuRoot);
    EXPECT_EQ(gMenu.depth, kDepthRoot);
    EXPECT_FALSE(gEquip.open);
}

TEST_F(EquipPageTest, TheIconBarRunsTheLeave) {
    Bag(kSwordA, 1);
    gMenuRequest = kMenuPending | kMenuRoot;
    MenuFrame();
    OpenFromBar(kPageEquip);
    Press(kMenuKeySpace);
    ASSERT_FALSE(gEquip.candidates.empty());
    // A click on the system menu's icon.
    gKeyInput.mouseX = 220 + 7 * (10 * 5 + 3);
    gKeyInput.mouseY = 20;
    gMenu.mouseButtons = kMouseLeftSingle;
    RootMenuMouse();
    EXPECT_EQ(gMenu.pageIndex, kPageSystem);
    EXPECT_FALSE(gEquip.open);
    EXPECT_TRUE(gEquip.candidates.empty());
    EXPECT_EQ(BagCounts(), (std::map<uint16_t, int>{{kSwordA, 1}}));
}

TEST_F(EquipPageTest, AffinityAddsWornElementsOfTheMembersOwnElement) {
    const struct {
        const char* name;
        uint8_t elementIndex;
        int8_t own;        // the member's own percentage of that element (metal for index 7)
        int growth;        // the talisman's growth count (of 100)
        int8_t expect[5];
    } cases[] = {
        {"fire ring", 3, 20, 0, {0, 0, 0, 35, 0}},
        {"fire ring and talisman", 3, 20, 50, {0, 0, 0, 75, 0}},
        {"capped at 100", 3, 90, 100, {0, 0, 0, 100, 0}},
        {"another element", 1, 20, 50, {0, 20, 0, 0, 0}},
        {"an element index out of range", 7, 20, 50, {20, 0, 0, 0, 0}},
        {"negative becomes 0", 3, -40, 0, {0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        ResetParty();
        Wear(0, 5, kRing);
        Wear(0, 7, kTalisman);
        gMemberStats[0].elementIndex = c.elementIndex;
        gMemberStats[0].element[c.elementIndex < 5 ? c.elementIndex : 0] = c.own;
        // The growth is kept by the talisman's item id.
        SetCountPercent(&gFameList3, kTalisman, 100, c.growth);
        ComputeMemberAffinity();
        for (int e = 0; e < 5; ++e) EXPECT_EQ(gMemberAffinity[0][e], c.expect[e]) << c.name << " element " << e;
        FreeFameLists();
    }
}

TEST_F(EquipPageTest, TheSlotsExtraLine) {
    Wear(0, 0, kSwordA);
    Wear(0, 7, kTalisman);
    Wear(0, 9, kGuard);
    SetCountPercent(&gFameList3, kTalisman, 100, 40);
    AddCount(&gFameList2, kGuard, 3);
    OpenEquip();
    EXPECT_EQ(gEquip.extraKind, kExtraWeapon);
    Press(kMenuKeyPageDown);
    Press(kMenuKeyUp);
    Press(kMenuKeyUp);
    EXPECT_EQ(gEquip.slot, 8);
    Press(kMenuKeyUp);
    EXPECT_EQ(gEquip.extraKind, kExtraTalisman);
    EXPECT_EQ(gEquip.extra[0], 40);
    EXPECT_EQ(gEquip.extra[1], 100);
    Press(kMenuKeyDown);
    Press(kMenuKeyDown);
    EXPECT_EQ(gEquip.extraKind, kExtraGuard);
    EXPECT_EQ(gEquip.extra[0], 15);
}

// Random play on the page and every way out: what the party owns never
// changes, the bag's own nodes keep their order, the maxima move exactly
// with what is worn, and the magic lists are untouched.
TEST_F(EquipPageTest, RandomPlayKeepsEverythingThePartyOwns) {
    std::mt19937 rng(1234);
    int changed = 0;  // rounds in which something was worn differently
    for (int round = 0; round < 40; ++round) {
        ResetParty();
        Party({0, 1, 2});
        for (MemberStats& m : gMemberStats)
            for (int g = 0; g < 3; ++g) m.gauge[g] = m.gaugeMax[g] = 500;
        for (uint16_t id : {kSwordA, kSwordB, kHelmet, kArmour, kBoots, kRing, kTalisman, kGuard, kHerb})
            if (rng() % 3) Bag(id, 1 + int(rng() % 3));
        Wear(0, 0, kSwordA);
        Wear(1, 0, kSwordA);
        Wear(2, 2, kArmour);
        const std::map<uint16_t, int> owned = Owned();
        // The bag's own nodes are marked with their place (a node that
        // leaves the bag and comes back is a new one, at the head).
        const std::map<uint16_t, int> bagBefore = BagCounts();
        uint16_t place = 1000;
        for (ItemRecord* n = gInventory; n; n = n->next) n->spare = place++;
        int16_t base[4];
        for (int m = 0; m < 4; ++m) base[m] = int16_t(gMemberStats[m].gaugeMax[0] - (WornId(m, 2) == kArmour ? 30 : 0));
        gMenuRequest = kMenuPending | kMenuRoot;
        MenuFrame();
        OpenFromBar(kPageEquip);
        const int keys[] = {kMenuKeyDown, kMenuKeyUp, kMenuKeyLeft, kMenuKeyRight, kMenuKeyPageDown,
                            kMenuKeyPageUp, kMenuKeySpace, kMenuKeySpace, kMenuKeySpace, kMenuKeyShift,
                            kMenuKeyEsc, kKeyDescription};
        for (int step = 0; step < 60 && gEquip.open; ++step) {
            const int key = keys[rng() % std::size(keys)];
            if (key == kMenuKeyEsc && gEquip.state == kEquipChoosingSlot && rng() % 4) continue;
            Press(key);
        }
        switch (round % 3) {  // the ways out
        case 0:
            for (int i = 0; i < 4 && gEquip.open; ++i) Press(kMenuKeyEsc);
            break;
        case 1:
            LeaveMenuFromPage();
            break;
        default:
            if (gEquip.state == kEquipDescription) Press(kMenuKeyEsc);
            gKeyInput.mouseX = 220 + 7 * 3;
            gKeyInput.mouseY = 20;
            gMenu.mouseButtons = kMouseLeftSingle;
            RootMenuMouse();
            gMenu.mouseButtons = 0;
            LeaveMenuFromPage();
            break;
        }
        EXPECT_FALSE(gEquip.open) << "round " << round;
        EXPECT_EQ(Owned(), owned) << "round " << round;
        if (BagCounts() != bagBefore) ++changed;
        std::vector<uint16_t> places;
        for (ItemRecord* n = gInventory; n; n = n->next)
            if (n->spare >= 1000) places.push_back(n->spare);
        EXPECT_TRUE(std::is_sorted(places.begin(), places.end())) << "round " << round;
        for (int m = 0; m < 4; ++m) {
            EXPECT_EQ(gMemberStats[m].gaugeMax[0], base[m] + (WornId(m, 2) == kArmour ? 30 : 0)) << "round " << round;
            for (auto* slot : gMemberEquip[m]) EXPECT_EQ(slot->count, 1);
        }
        ResetEquipPage();
    }
    EXPECT_GT(changed, 10);
}

} // namespace
