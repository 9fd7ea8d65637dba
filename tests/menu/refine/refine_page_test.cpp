// The refining page: what two inputs make, the page's states through its
// handlers, and that nothing the player owns is lost or doubled.
#include "page_fixture.h"

#include <random>

#include "base/random.h"
#include "base/memory.h"
#include "draw/rle.h"

namespace {

class RefineTest : public PageTest {
protected:
    void Enter() {
        OpenPage(kPageRefine, 48);
        RefineEnter();
    }
    // The list's cursor onto the item (on the current tab).
    static void CursorTo(uint16_t id) {
        gRefine.cursor.top = gRefine.cursor.cursor = 0;
        for (int guard = 0; guard < 64; ++guard) {
            const ItemRecord* n = RefineCursorItem();
            if (n && n->id == id) {
                PutCursorItemInField();  // as a click on the row does
                return;
            }
            RefineDown();
        }
        FAIL() << "item " << id << " is not listed";
    }
    static void Choose(uint16_t first, uint16_t second) {
        gRefine.field = 0;
        CursorTo(first);
        RefineNextField();
        CursorTo(second);
    }
    static void RunAnimation() {
        for (int i = 0; i < 400 && gRefine.state == kRefineAnimating; ++i) StepRefineAnimation();
    }
};

TEST_F(RefineTest, TheResultOfTwoInputs) {
    RefineObjTables objs;
    BuildRefineObjTables(&objs);
    RefineTable table;
    ASSERT_TRUE(LoadRefineTable(&table));
    const struct {
        const char* name;
        RefineInput one, two;
        uint16_t result;
    } cases[] = {
        {"a recipe", {kOreA, 9, 2}, {kBlade, 11, 3}, kPotion},
        {"a recipe in the other order", {kBlade, 11, 3}, {kOreA, 9, 2}, kPotion},
        {"downward: the nearest level at or below; of two as near, the first id", {kOreA, 9, 2}, {kOreB, 9, 4},
         kBeast},
        {"upward: the nearest level at or above", {kStone, 9, 1}, {kBlade, 11, 3}, kBeast},
        {"ids from 3001 are candidates", {kOreB, 9, 4}, {kOreB, 9, 4}, kBeastLate},
        {"type 21 counts as 15", {kOdd, 21, 3}, {kOdd, 21, 3}, kBeast},
        {"no candidate of the type", {kBlade, 11, 3}, {kBlade, 11, 3}, kAsh},
        {"a type the table does not have", {kRelic, 16, 1}, {kOreA, 9, 2}, kAsh},
        {"a type of -1", {9999, -1, 1}, {kOreA, 9, 2}, kAsh},
        {"no candidate within reach", {kOreB, 9, 4}, {9999, 13, 99}, kAsh},
    };
    for (const auto& c : cases) EXPECT_EQ(FindRefineResultId(table, objs, c.one, c.two), c.result) << c.name;
    // The tables answer nothing past their ids.
    EXPECT_EQ(objs.At(kRefineObjIds), nullptr);
    EXPECT_EQ(objs.At(70000), nullptr);
    EXPECT_EQ(objs.At(kBeastTame)->kind, 0);
    EXPECT_EQ(objs.At(kBeastNone)->noResult, 1);
    EXPECT_EQ(objs.At(600)->type, -1);  // 501..3000 are not read
}

TEST_F(RefineTest, TheTableReaderStaysInsideItsBytes) {
    std::vector<uint8_t> bytes = RefineTableBytes({{{1, 2}, 7}}, {{1, 2, 3}, {4, 5, 6}});
    const struct {
        const char* name;
        size_t size;
        bool ok;
        size_t triples;
    } cases[] = {
        {"whole", bytes.size(), true, 2},
        {"no end mark", bytes.size() - 2, true, 2},
        {"a triple cut short", bytes.size() - 4, true, 1},
        {"the types cut short", 511, false, 0},
        {"nothing", 0, false, 0},
    };
    for (const auto& c : cases) {
        ByteReader in(bytes.data(), c.size);
        RefineTable t;
        EXPECT_EQ(ParseRefineTable(in, &t), c.ok) << c.name;
        EXPECT_EQ(t.triples.size(), c.triples) << c.name;
        if (c.ok) {
            EXPECT_EQ(t.types[1 * 16 + 2], 7) << c.name;
        }
    }
    // A list without its end is held to its bound.
    std::vector<uint8_t> endless(512 + 6 * (kRefineTriplesMax + 10), 1);
    ByteReader in(endless.data(), endless.size());
    RefineTable t;
    ASSERT_TRUE(ParseRefineTable(in, &t));
    EXPECT_EQ(t.triples.size(), kRefineTriplesMax);
}

TEST_F(RefineTest, ListsTheTabsItemsSortedAndLeavesTheBagAsItWas) {
    Give(kOdd, 1);
    Give(kBlade, 2);
    Give(kRelic, 1);
    Give(kOreA, 3);
    const auto before = Bag();
    Enter();
    ASSERT_EQ(gRefine.list.size(), 2u);  // the relic's type is never listed, the odd item is on tab 2
    EXPECT_EQ(gRefine.list[0]->id, kOreA);
    EXPECT_EQ(gRefine.list[1]->id, kBlade);
    EXPECT_EQ(gRefine.list[0]->spare, 3);
    RefineRight();
    RefineRight();
    ASSERT_EQ(gRefine.list.size(), 1u);
    EXPECT_EQ(gRefine.list[0]->id, kOdd);
    RefineCancel();
    EXPECT_EQ(Bag(), before);
    EXPECT_EQ(gMenu.depth, kDepthRoot);
    for (const ItemRecord* r = gInventory; r; r = r->next) EXPECT_EQ(r->spare, 0);
}

TEST_F(RefineTest, ConfirmWalksThroughPreviewAnimationAndResult) {
    Give(kOreA, 1);
    Give(kOreB, 1);
    Enter();
    Choose(kOreA, kOreB);
    ASSERT_TRUE(HasRefineResult());
    EXPECT_EQ(gRefine.result.id, kBeast);
    const auto before = Bag();  // nothing is taken before the result is given
    RefineConfirm();
    EXPECT_EQ(gRefine.state, kRefinePreview);
    EXPECT_EQ(gRefine.contract[0], 6 * 2);  // level 6, a skill at 108
    EXPECT_EQ(gRefine.contract[1], 6 * 3);  // and one at 120
    EXPECT_EQ(gMenu.acts.background.qq, 57);
    RefineConfirm();
    EXPECT_EQ(gRefine.state, kRefineAnimating);
    EXPECT_EQ(Bag(), before);
    RunAnimation();
    EXPECT_EQ(gRefine.state, kRefineShown);
    EXPECT_EQ(gMenu.fade, 0);
    EXPECT_EQ(Bag(), before);
    RefineConfirm();
    EXPECT_EQ(gRefine.state, kRefineChoosing);
    EXPECT_EQ(Owned(kOreA), 0);
    EXPECT_EQ(Owned(kOreB), 0);
    EXPECT_EQ(Owned(kBeast), 1);
    EXPECT_EQ(GetCount(&gFameList2, kBeast), 1);
    EXPECT_EQ(gRefine.fields[0].id, kPlaceholderItem);
    EXPECT_EQ(gRefine.fields[1].id, kPlaceholderItem);
}

TEST_F(RefineTest, PageCases) {
    const struct {
        const char* name;
        std::vector<std::pair<uint16_t, int>> bag;
        uint16_t first, second;
        int memberLevel;
        int state;  // after the first confirm
        bool refused;
        std::vector<std::pair<uint16_t, int>> after;  // owned once every confirm is done
    } cases[] = {
        // One Ore in the bag: the second field cannot take it again.
        {"one item in both fields", {{kOreA, 1}}, kOreA, kOreA, 10, kRefineMessage, false, {{kOreA, 1}}},
        {"two of it may", {{kOreB, 2}}, kOreB, kOreB, 10, kRefinePreview, false, {{kOreB, 0}, {kBeastLate, 1}}},
        {"a result too far above member 0", {{kOreB, 2}}, kOreB, kOreB, 0, kRefinePreview, true,
         {{kOreB, 2}, {kBeastLate, 0}}},
        // The result (level 7) exactly six above member 0 is still allowed.
        {"a result six above member 0", {{kOreB, 2}}, kOreB, kOreB, 1, kRefinePreview, false,
         {{kOreB, 0}, {kBeastLate, 1}}},
        {"a result \"mon.dat\" does not hold", {{kStone, 1}, {kOdd, 1}}, kStone, kOdd, 10, kRefineMessage, false,
         {{kStone, 1}, {kOdd, 1}}},
    };
    for (const auto& c : cases) {
        FreeItemLists();
        FreeFameLists();
        for (const auto& [id, n] : c.bag) Give(id, n);
        gMemberStats[0].level = uint8_t(c.memberLevel);
        Enter();
        gRefine.field = 0;
        CursorTo(c.first);
        RefineNextField();
        if (c.second == kOdd) {
            RefineRight();
            RefineRight();
        }
        CursorTo(c.second);
        RefineConfirm();
        EXPECT_EQ(gRefine.state, c.state) << c.name;
        if (gRefine.state == kRefinePreview) {
            EXPECT_EQ(gRefine.refused, c.refused) << c.name;
            RefineConfirm();
            if (c.refused) {
                EXPECT_EQ(gRefine.state, kRefinePreview) << c.name;
                RefineCancel();
            } else {
                EXPECT_EQ(gRefine.state, kRefineAnimating) << c.name;
                RefineConfirm();
                RefineConfirm();
            }
        } else {
            RefineConfirm();
        }
        EXPECT_EQ(gRefine.state, kRefineChoosing) << c.name;
        for (const auto& [id, n] : c.after) EXPECT_EQ(Owned(id), n) << c.name << " item " << id;
        RefineLeave();
    }
}

TEST_F(RefineTest, AnEmptyFieldAsksForTwoItems) {
    Give(kOreA, 1);
    Enter();
    CursorTo(kOreA);
    RefineConfirm();
    EXPECT_EQ(gRefine.state, kRefineMessage);
    RefineCancel();
    EXPECT_EQ(gRefine.state, kRefineChoosing);
}

TEST_F(RefineTest, CuttingTheAnimationShortStillGivesTheResultAndASecondRefineWorks) {
    Give(kOreA, 2);
    Give(kOreB, 2);
    Enter();
    for (int round = 0; round < 2; ++round) {
        Choose(kOreA, kOreB);
        RefineConfirm();
        RefineConfirm();
        ASSERT_EQ(gRefine.state, kRefineAnimating);
        StepRefineAnimation();
        if (round == 0) {
            RefineConfirm();  // cut short
            EXPECT_EQ(gRefine.counter, 35);
        } else {
            for (int i = 0; i < 100; ++i) StepRefineAnimation();
            RefineDown();  // a list key ends it on the next frame
            StepRefineAnimation();
        }
        EXPECT_EQ(gRefine.state, kRefineShown);
        RefineCancel();  // as confirm
        EXPECT_EQ(Owned(kBeast), round + 1);
    }
    EXPECT_EQ(Owned(kOreA), 0);
    EXPECT_EQ(Owned(kOreB), 0);
}

TEST_F(RefineTest, PicturesLargerThanTheBufferAreCut) {
    // A 300 x 200 raw picture and the same as a run-length frame.
    std::vector<uint16_t> pixels(300 * 200);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint16_t(i | 1);
    PicFrame raw{reinterpret_cast<uint8_t*>(pixels.data()), nullptr, nullptr, 300, 200,
                 uint32_t(pixels.size() * 2)};
    RefinePicture out;
    ASSERT_TRUE(CutRefinePicture(&raw, &out));
    ASSERT_EQ(out.pixels.size(), size_t(kRefinePicWidth * kRefinePicHeight));
    EXPECT_EQ(out.pixels[kRefinePicWidth + 1], pixels[300 + 1]);
    int size = 0;
    uint8_t* rle = EncodeRle(pixels.data(), &size, 300, 200, 16);
    ASSERT_NE(rle, nullptr);
    PicFrame packed{rle, nullptr, nullptr, 300, 200, uint32_t(size)};
    ASSERT_TRUE(CutRefinePicture(&packed, &out));
    EXPECT_EQ(out.pixels[(kRefinePicHeight - 1) * kRefinePicWidth + 219], pixels[119 * 300 + 219]);
    FreeMem(rle);
    // A raw frame whose size does not hold its pixels is refused.
    raw.size = 100;
    EXPECT_FALSE(CutRefinePicture(&raw, &out));
    EXPECT_FALSE(CutRefinePicture(nullptr, &out));
}

// Random page actions and every way out: the bag holds what the refines
// made, nothing more or less, and nodes not touched stay the same nodes.
TEST_F(RefineTest, ConservationOverRandomActions) {
    std::mt19937 rng(1234);
    for (int run = 0; run < 30; ++run) {
        FreeItemLists();
        FreeFameLists();
        std::map<uint16_t, int> expected;
        for (uint16_t id : {kOreA, kOreB, kBlade, kStone, kOdd}) {
            const int n = int(rng() % 3);
            if (n == 0) continue;
            Give(id, n);
            expected[id] = n;
        }
        Enter();
        for (int step = 0; step < 60; ++step) {
            const uint16_t a = gRefine.fields[0].id, b = gRefine.fields[1].id, made = gRefine.result.id;
            const int fameBefore = GetCount(&gFameList2, made);
            const bool giving = gRefine.state == kRefineShown;
            switch (rng() % 9) {
            case 0: RefineDown(); break;
            case 1: RefineUp(); break;
            case 2: RefinePageDown(); break;
            case 3: RefineLeft(); break;
            case 4: RefineRight(); break;
            case 5: RefineNextField(); break;
            case 6: RefineCancel(); break;
            case 7: StepRefineAnimation(); break;
            default: RefineConfirm(); break;
            }
            if (giving && GetCount(&gFameList2, made) == fameBefore + 1) {
                --expected[a];
                --expected[b];
                ++expected[made];
            }
            if (gMenu.depth < kDepthPage) break;  // cancelled out of the page
        }
        if (gRefine.open) RefineLeave();  // the icon bar's way out
        for (const auto& [id, n] : expected) EXPECT_EQ(Owned(id), n) << "run " << run << " item " << id;
        int total = 0;
        for (const auto& [id, n] : Bag()) total += n;
        int wanted = 0;
        for (const auto& [id, n] : expected) wanted += n;
        EXPECT_EQ(total, wanted) << "run " << run;
    }
}

TEST_F(RefineTest, WithoutItsFlagThePageOnlyLeaves) {
    Give(kOreA, 2);
    Enter();
    ClearFlag(kRefineFlag);
    RefineDown();
    EXPECT_EQ(gRefine.fields[0].id, kPlaceholderItem);
    RefineConfirm();  // the confirm cancels the page
    EXPECT_EQ(gMenu.depth, kDepthRoot);
    EXPECT_EQ(Owned(kOreA), 2);
}

// The whole menu: the icon bar opens the page, a refine is made with keys,
// and the bar leaves it; frames are drawn on a real back buffer.
TEST_F(RefineTest, ThroughTheMenuFrame) {
    gBackBuffer = CreateSurface(640, 480);
    ASSERT_NE(gBackBuffer, nullptr);
    Give(kOreA, 1);
    Give(kOreB, 1);
    gMenuRequest = kMenuPending | kMenuRoot;
    MenuFrame();
    ASSERT_EQ(gMenu.depth, kDepthRoot);
    auto press = [](int key) {
        gKeyState[key].framesHeld = 1;
        MenuFrame();
        gKeyState[key].framesHeld = 0;
        MenuFrame();
    };
    for (int i = 0; i < 3; ++i) press(kMenuKeyRight);
    ASSERT_EQ(gMenu.pageIndex, kPageRefine);
    press(kMenuKeySpace);
    ASSERT_EQ(gMenu.depth, kDepthPage);
    ASSERT_TRUE(gRefine.open);
    press(kMenuKeyDown);  // the cursor was on OreA: Down moves to OreB... and back
    press(kMenuKeyUp);
    EXPECT_EQ(gRefine.fields[0].id, kOreA);
    press(kMenuKeyShift);
    press(kMenuKeyDown);
    EXPECT_EQ(gRefine.fields[1].id, kOreB);
    press(kMenuKeySpace);
    press(kMenuKeySpace);
    EXPECT_EQ(gRefine.state, kRefineAnimating);
    for (int i = 0; i < 200 && gRefine.state == kRefineAnimating; ++i) MenuFrame();
    EXPECT_EQ(gRefine.state, kRefineShown);
    press(kMenuKeySpace);
    EXPECT_EQ(Owned(kBeast), 1);
    press(kMenuKeyEsc);
    EXPECT_EQ(gMenu.depth, kDepthRoot);
    EXPECT_FALSE(gRefine.open);
}

} // namespace
