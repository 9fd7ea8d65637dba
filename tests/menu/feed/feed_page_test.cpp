// The feeding page: the spirit's growth by creature type and its limits, the
// choices a creature offers, and the page's states through its handlers.
#include "../refine/page_fixture.h"

#include <random>

#include "base/random.h"
#include "draw/draw_kernel.h"

#include <cstring>

namespace {

class FeedTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        gSpirit = SpiritRecord{};
        gSpiritSlot = 1;  // forbids element 3
    }
    void Enter() {
        OpenPage(kPageFeed, 54);
        FeedEnter();
    }
    static int32_t& F(int k) { return gSpirit.Field(k); }
    static void SetFullness(int v) { F(68) = v; }
};

TEST_F(FeedTest, GrowthByType) {
    const struct {
        int type, fullness;
        int chart[3];
        int numbers[4];
    } cases[] = {
        {0, 18, {0, 0, 0}, {3, 2, 5, 0}},  {1, 15, {0, 5, 3}, {0, 0, 0, 0}}, {2, 12, {0, 0, 0}, {1, 5, 2, 0}},
        {3, 10, {0, 0, 0}, {7, 1, 0, 0}},  {4, 8, {0, 7, 0}, {0, 0, 0, 0}},  {5, 5, {0, 2, 5}, {0, 0, 0, 0}},
        {6, 4, {2, 0, 6}, {0, 0, 0, 0}},   {7, 3, {0, 0, 0}, {0, 1, 0, 5}},  {8, 2, {0, 0, 0}, {3, 0, 2, 1}},
        {10, 1, {5, 0, 0}, {0, 0, 0, 0}},  {18, 0, {0, 0, 0}, {0, 0, 0, 0}}, {9, 0, {0, 0, 0}, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        gSpirit = SpiritRecord{};
        ASSERT_TRUE(ApplyFeedGrowth(3, c.type)) << c.type;
        EXPECT_EQ(F(68), c.fullness + 6) << c.type;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(F(74 + i), c.chart[i]) << c.type << " chart " << i;  // from 0, held at 0
        for (int i = 0; i < 4; ++i) EXPECT_EQ(F(61 + i), c.numbers[i]) << c.type << " number " << i;
        EXPECT_GE(F(60), 5 * F(62));
        EXPECT_LT(F(60), 5 * F(62) + 5);
    }
}

TEST_F(FeedTest, LimitsAndBounds) {
    // Too full at 100, or at 200 in the middle stage.
    const struct {
        const char* name;
        int fullness, stage, first, second;
        bool fed;
    } cases[] = {
        {"below 100", 99, 0, 10, 20, true},
        {"at 100", 100, 0, 10, 20, false},
        {"in the middle stage", 150, 10, 10, 20, true},
        {"the middle stage's last step", 199, 19, 10, 20, true},
        {"past the middle stage", 150, 20, 10, 20, false},
        {"at 200", 200, 15, 10, 20, false},
    };
    for (const auto& c : cases) {
        gSpirit = SpiritRecord{};
        F(68) = c.fullness;
        F(50) = c.stage;
        F(47) = c.first;
        F(48) = c.second;
        const SpiritRecord before = gSpirit;
        EXPECT_EQ(ApplyFeedGrowth(50, 0), c.fed) << c.name;
        if (!c.fed) {
            EXPECT_EQ(std::memcmp(&before, &gSpirit, sizeof gSpirit), 0) << c.name;
        }
        EXPECT_LE(F(68), kFeedFullnessMax) << c.name;
    }
    // Numbers stay within their bounds however often fed.
    gSpirit = SpiritRecord{};
    F(61) = 499;
    F(62) = 100;
    F(74) = 1;
    F(75) = 100;
    for (int type : {3, 0, 1, 4, 6}) {
        SetFullness(0);
        ASSERT_TRUE(ApplyFeedGrowth(0, type));
    }
    EXPECT_EQ(F(61), 500);
    EXPECT_EQ(F(62), 100);
    EXPECT_EQ(F(60) / 5, 100);
    EXPECT_GE(F(74), 0);
    EXPECT_EQ(F(75), 97);  // 100 held, then type 6's -3
    EXPECT_LE(F(76), 100);
}

// The fourth type number (byte 256) is held within 0..100 like the others.
TEST_F(FeedTest, TheFourthTypeNumberStaysWithinItsBounds) {
    const struct {
        int start, type, after;
    } cases[] = {{98, 7, 100}, {95, 7, 100}, {94, 7, 99}, {2, 3, 0}, {1, 2, 0}, {100, 8, 100}, {3, 3, 0}};
    for (const auto& c : cases) {
        gSpirit = SpiritRecord{};
        F(64) = c.start;
        ASSERT_TRUE(ApplyFeedGrowth(0, c.type));
        EXPECT_EQ(F(64), c.after) << c.start << " type " << c.type;
    }
}

// Each of the five spirits refuses the skills of one element.
TEST_F(FeedTest, EachSpiritForbidsItsOwnElement) {
    const int forbidden[] = {-1, 3, 0, 4, 2, 1, -1};
    for (uint32_t slot = 0; slot <= 6; ++slot) {
        gSpiritSlot = slot;
        EXPECT_EQ(ForbiddenFeedElement(), forbidden[slot]) << slot;
    }
    gSpiritSlot = 1;
}

TEST_F(FeedTest, ChoicesOfACreature) {
    Give(kImp, 1);
    Give(kElder, 1);
    Enter();
    ASSERT_EQ(gFeed.list.size(), 1u);
    // The Imp: fire at 108 and 112 (once), wood at 128 and 132 (once), then the direct feeding.
    const FeedEntry& imp = gFeed.list[0];
    EXPECT_EQ(imp.choice[0].id, kFireSkill);
    EXPECT_EQ(imp.choice[0].element, 3);
    EXPECT_EQ(imp.choice[1].id, kWoodSkill);
    EXPECT_EQ(imp.choice[1].element, 1);
    EXPECT_EQ(imp.choice[2].id, kFeedDirect);
    EXPECT_EQ(imp.choice[3].id, 0);
    // The Elder's five skills leave no room for the direct feeding.
    FeedRight();
    FeedRight();
    ASSERT_EQ(gFeed.category, 2);
    ASSERT_EQ(gFeed.list.size(), 1u);
    const FeedEntry& elder = gFeed.list[0];
    const int32_t ids[5] = {kFireSkill, kWoodSkill, kEarthSkill, kOddSkill, kSkill5};
    for (int k = 0; k < kFeedChoices; ++k) EXPECT_EQ(elder.choice[k].id, ids[k]) << k;
    EXPECT_EQ(elder.choice[4].element, -1);  // element code 9 is none
}

TEST_F(FeedTest, CategoriesReachTheLastOne) {
    Give(kHuman, 1);
    Enter();
    for (int i = 0; i < 20; ++i) FeedRight();
    EXPECT_EQ(gFeed.category, kFeedCategories - 1);
    ASSERT_EQ(gFeed.list.size(), 1u);
    EXPECT_EQ(gFeed.list[0].id, kHuman);
    for (int i = 0; i < 20; ++i) FeedLeft();
    EXPECT_EQ(gFeed.category, 0);
}

TEST_F(FeedTest, FeedingTheLastOneRemovesItsEntry) {
    Give(kFox, 1);
    Give(kImp, 2);
    Enter();
    ASSERT_EQ(gFeed.list.size(), 2u);
    const uint16_t first = gFeed.list[0].id, second = gFeed.list[1].id;
    // Directly feed the first entry until it is gone.
    const int owned = Owned(first);
    for (int i = 0; i < owned; ++i) {
        gFeed.cursor.cursor = 0;
        FeedConfirm();
        ASSERT_EQ(gFeed.state, kFeedChoice);
        FeedPageDown();  // the last choice: the direct feeding
        FeedConfirm();
        ASSERT_EQ(gFeed.state, kFeedChoosing) << i;
    }
    EXPECT_EQ(Owned(first), 0);
    ASSERT_EQ(gFeed.list.size(), 1u);
    EXPECT_EQ(gFeed.list[0].id, second);
    EXPECT_EQ(F(68), (first == kImp ? 2 : 1) * (18 + 2 * (first == kImp ? 2 : 1)));
}

TEST_F(FeedTest, SkillsGoToTheirSlotsAndTheForbiddenElementIsRefused) {
    Give(kFox, 1);
    Give(kImp, 2);
    Enter();
    auto cursorTo = [](uint16_t id) {
        for (int i = 0; i < int(gFeed.list.size()); ++i)
            if (gFeed.list[size_t(i)].id == id) gFeed.cursor.cursor = i;
    };
    // The element-6 skill goes to slot 2 whatever the keys say.
    cursorTo(kFox);
    FeedConfirm();
    FeedConfirm();
    ASSERT_EQ(gFeed.state, kFeedSlot);
    EXPECT_EQ(gFeed.skillSlot, 2);
    FeedUp();
    EXPECT_EQ(gFeed.skillSlot, 2);
    FeedDown();
    EXPECT_EQ(gFeed.skillSlot, 2);
    FeedConfirm();
    EXPECT_EQ(GetSpiritWord(gSpirit, 2), kOddSkill);
    EXPECT_EQ(Owned(kFox), 0);
    // The Imp's fire skill: the spirit of slot 1 refuses element 3.
    cursorTo(kImp);
    const SpiritRecord before = gSpirit;
    FeedConfirm();
    FeedConfirm();
    EXPECT_EQ(gFeed.state, kFeedWrongElement);
    EXPECT_EQ(std::memcmp(&before, &gSpirit, sizeof gSpirit), 0);
    EXPECT_EQ(Owned(kImp), 2);
    FeedCancel();
    EXPECT_EQ(gFeed.state, kFeedChoosing);
    // Its wood skill goes to the slot chosen.
    FeedConfirm();
    FeedDown();
    FeedConfirm();
    ASSERT_EQ(gFeed.state, kFeedSlot);
    EXPECT_EQ(gFeed.skillSlot, 0);
    FeedRight();
    EXPECT_EQ(gFeed.skillSlot, 1);
    FeedConfirm();
    EXPECT_EQ(GetSpiritWord(gSpirit, 1), kWoodSkill);
    EXPECT_EQ(Owned(kImp), 1);
}

TEST_F(FeedTest, TooFullChangesNothing) {
    Give(kImp, 1);
    Enter();
    SetFullness(100);
    const SpiritRecord before = gSpirit;
    FeedConfirm();
    FeedPageDown();
    FeedConfirm();
    EXPECT_EQ(gFeed.state, kFeedTooFull);
    EXPECT_EQ(std::memcmp(&before, &gSpirit, sizeof gSpirit), 0);
    EXPECT_EQ(Owned(kImp), 1);
    FeedCancel();  // back to the choice it came from
    EXPECT_EQ(gFeed.state, kFeedChoice);
    FeedPageUp();
    FeedConfirm();  // the fire skill: refused by element before fullness
    EXPECT_EQ(gFeed.state, kFeedWrongElement);
    FeedCancel();
    FeedConfirm();
    FeedDown();
    FeedConfirm();  // wood: to the slot, then too full
    ASSERT_EQ(gFeed.state, kFeedSlot);
    FeedConfirm();
    EXPECT_EQ(gFeed.state, kFeedTooFull);
    FeedCancel();
    EXPECT_EQ(gFeed.state, kFeedSlot);
    EXPECT_EQ(GetSpiritWord(gSpirit, 0), 0);
}

TEST_F(FeedTest, WithoutASpiritOnlyTheCancelActs) {
    gSpiritSlot = 0;
    Give(kImp, 1);
    Enter();
    EXPECT_FALSE(gFeed.open);
    FeedConfirm();
    FeedDown();
    FeedRight();
    EXPECT_EQ(gFeed.state, kFeedChoosing);
    EXPECT_EQ(gFeed.category, 0);
    EXPECT_EQ(Owned(kImp), 1);
    gBackBuffer = CreateSurface(640, 480);
    ASSERT_NE(gBackBuffer, nullptr);
    DrawFeedPage();  // draws nothing
    FeedCancel();
    EXPECT_EQ(gMenu.depth, kDepthRoot);
}

TEST_F(FeedTest, TheListHoldsAtMost64Entries) {
    // 70 kinds of type-0 creatures: every id 3101.. maps to a record 601..
    std::map<uint32_t, std::vector<uint8_t>> objects;
    for (uint32_t i = 0; i < 70; ++i) objects[601 + i] = BlockObjectBytes("Many", 0, {{86, 0}, {88, 1}});
    gObjFiles.mon = BuildMonDat(objects, {});
    for (uint32_t i = 0; i < 70; ++i) Give(uint16_t(3101 + i), 1);
    Enter();
    EXPECT_EQ(gFeed.list.size(), size_t(kFeedEntriesMax));
    for (int i = 0; i < 100; ++i) FeedDown();
    EXPECT_NE(FeedCursorEntry(), nullptr);
}

TEST_F(FeedTest, DrawingANeverWrittenSpiritDividesByNothing) {
    gBackBuffer = CreateSurface(640, 480);
    ASSERT_NE(gBackBuffer, nullptr);
    Give(kImp, 1);
    Enter();
    gSpirit = SpiritRecord{};  // byte 196 is 0
    uint16_t* pixels = LockBackBuffer(gBackBuffer);
    ASSERT_NE(pixels, nullptr);
    DrawFeedPage();
    FeedConfirm();
    DrawFeedPage();
    UnlockBackBuffer(gBackBuffer, pixels);
    SUCCEED();
}

// Random page actions and every way out: the bag loses exactly the
// creatures the spirit ate.
TEST_F(FeedTest, ConservationOverRandomActions) {
    std::mt19937 rng(99);
    for (int run = 0; run < 30; ++run) {
        FreeItemLists();
        gSpirit = SpiritRecord{};
        gSpiritSlot = 1 + rng() % 5;
        std::map<uint16_t, int> expected;
        for (uint16_t id : {kImp, kFox, kSprite, kElder, kHuman}) {
            const int n = int(rng() % 3);
            if (n == 0) continue;
            Give(id, n);
            expected[id] = n;
        }
        Enter();
        for (int step = 0; step < 80; ++step) {
            const int fullness = F(68);
            const FeedEntry* e = FeedCursorEntry();
            const uint16_t id = e ? e->id : 0;
            switch (rng() % 8) {
            case 0: FeedDown(); break;
            case 1: FeedUp(); break;
            case 2: FeedLeft(); break;
            case 3: FeedRight(); break;
            case 4: FeedPageDown(); break;
            case 5: FeedCancel(); break;
            default: FeedConfirm(); break;
            }
            if (F(68) != fullness) --expected[id];  // every creature here adds to the fullness
            if (gMenu.depth < kDepthPage) break;
        }
        if (gFeed.open) FeedLeave();
        for (const auto& [id, n] : expected) EXPECT_EQ(Owned(id), n) << "run " << run << " item " << id;
        EXPECT_LE(F(68), kFeedFullnessMax);
    }
}

} // namespace
