// The story countdown, the cell-flag overlay and the name-entry box.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "base/game_state.h"
#include "draw/draw_kernel.h"
#include "draw/surface.h"
#include "menu/frame/menu_widgets.h"
#include "platform/headless/headless.h"
#include "world/dialog/cell_flags.h"
#include "world/dialog/story_timer.h"
#include "world/dialog/text_entry_box.h"
#include "world/dialog/text_record.h"
#include "world/map/map.h"
#include "world/story_flags.h"

namespace {

TEST(StoryTimer, DigitsTable) {
    struct Case {
        int32_t seconds;
        std::vector<uint8_t> pictures;
    };
    const Case cases[] = {
        {125, {2, kTimerSeparator, 0, 5}},                  // no leading digit
        {0, {0, kTimerSeparator, 0, 0}},
        {599, {9, kTimerSeparator, 5, 9}},
        {600, {1, 0, kTimerSeparator, 0, 0}},
        {6000, {1, 0, 0, kTimerSeparator, 0, 0}},           // 100 minutes
        {6059, {1, 0, 0, kTimerSeparator, 5, 9}},
        {-30, {0, kTimerSeparator, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        uint8_t out[8] = {};
        const int n = StoryTimerDigits(c.seconds, out);
        EXPECT_EQ(std::vector<uint8_t>(out, out + n), c.pictures);
    }
}

class StoryTimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ResetGameState();
        ResetStoryFlags();
        ResetStoryTimer();
    }
    void TearDown() override {
        ResetStoryFlags();
        ResetStoryTimer();
    }
};

TEST_F(StoryTimerTest, StartSetsTheCountdownAndItsFlags) {
    StartStoryTimer(2, 5, 77, 0);
    EXPECT_EQ(gTalkCountdown, 125 * 30);
    EXPECT_EQ(gCountdownTalk, 77u);
    EXPECT_TRUE(IsFlag(kFlagTimedTalkArmed));
    EXPECT_TRUE(IsFlag(kFlagTimedTalkRunning));
    StartStoryTimer(100, 0, 0, 1);
    EXPECT_EQ(gFlagCountdown, 6000 * 30);
    EXPECT_TRUE(IsFlag(kFlagCountdownArmed));
    // A huge time is held to what the counter holds.
    StartStoryTimer(0xFFFFFFFF, 0xFFFFFFFF, 0, 1);
    EXPECT_GT(gFlagCountdown, 0);
}

TEST_F(StoryTimerTest, ShownOnlyWhileItsFlagIsSetAndFlag76IsClear) {
    EXPECT_EQ(DrawStoryTimer(10, 8, 1), 0);
    StartStoryTimer(0, 125, 0, 1);
    EXPECT_EQ(DrawStoryTimer(10, 8, 1), 4);
    EXPECT_EQ(DrawStoryTimer(10, 8, 0), 0);
    gFlagCountdown = 6000 * 30;
    EXPECT_EQ(DrawStoryTimer(10, 8, 1), 6);
    SetFlag(kStoryTimerHidden);
    EXPECT_EQ(DrawStoryTimer(10, 8, 1), 0);
}

TEST(CellFlags, OnlyCellsOfTheMapAreRead) {
    gMap = MapData{};
    gMap.width = 3;
    gMap.height = 2;
    gMap.cells = {1, 0, 1, 0, 1, 2};
    std::vector<uint16_t> screen(640 * 480, 0);
    ResetDrawKernel();
    gBackPixels = screen.data();
    // The view reaches far past the three by two cells on every side.
    EXPECT_EQ(DrawCellFlags(1, 0xFFFF, -100, -100, 1), 3);
    EXPECT_EQ(DrawCellFlags(2, 0xFFFF, 0, 0, 0), 1);
    EXPECT_EQ(screen[16 * 640 + 32], 0xFFFF); // cell (2, 1) from its corner
    EXPECT_EQ(DrawCellFlags(1, 0xFFFF, 100000, 100000, 0), 0);
    gMap = MapData{};
    EXPECT_EQ(DrawCellFlags(0xFFFFFFFF, 0xFFFF, 0, 0, 0), 0);
    gBackPixels = nullptr;
}

// The cursor is the menus' glowing fill (mode 5) of the cell at its column,
// 11 x 22 pixels: (20, 13, 0) on the focused field, (10, 3, 0) on the others.
TEST(TextEntryBox, CursorCellIsTheMenuFillAtItsColumn) {
    ResetDrawKernel();
    Surface* screen = CreateSurface(640, 480);
    Surface* expected = CreateSurface(640, 480);
    cTextRecord field;
    field.Create("ab", 8, 100, 50);
    field.EditFieldMessage(kEditMsgKeyDown, kEditVkEnd, 0);
    for (int active : {1, 0}) {
        SCOPED_TRACE(active);
        // What FillMenuRect alone paints on a blank screen.
        InitDrawKernel(expected, 0);
        gBackBuffer = expected;
        gBackPixels = LockBackBuffer(expected);
        std::fill_n(gBackPixels, 640 * 480, uint16_t(0));
        FillMenuRect(100 + 22, 50, 11, 22, active ? 20 : 10, active ? 13 : 3, 0, 5);
        std::vector<uint16_t> want(gBackPixels, gBackPixels + 640 * 480);
        UnlockBackBuffer(expected, gBackPixels);

        InitDrawKernel(screen, 0);
        gBackBuffer = screen;
        gBackPixels = LockBackBuffer(screen);
        std::fill_n(gBackPixels, 640 * 480, uint16_t(0));
        DrawTextEntryBox(&field, active, 0);
        // The cursor's cell (column 2) and a guard of one pixel around it.
        for (int y = 49; y <= 72; ++y)
            for (int x = 121; x <= 133; ++x)
                EXPECT_EQ(gBackPixels[y * 640 + x], want[size_t(y) * 640 + size_t(x)]) << x << "," << y;
        EXPECT_NE(gBackPixels[60 * 640 + 127], 0);  // the middle rows glow
        UnlockBackBuffer(screen, gBackPixels);
    }
    DrawTextEntryBox(nullptr, 1, 1);
    gBackPixels = nullptr;
    gBackBuffer = nullptr;
    FreeSurface(screen);
    FreeSurface(expected);
    ResetDrawKernel();
}

} // namespace
