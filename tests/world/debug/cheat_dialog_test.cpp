// The cheat dialog's window: what lies where, the keys and clicks it takes,
// and a whole scripted run in the game window from the debug key.
#include "world/debug/cheat_dialog.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/input.h"
#include "base/settings.h"
#include "draw/display.h"
#include "draw/draw_kernel.h"
#include "draw/surface.h"
#include "tests/world/debug/debug_map.h"
#include "tests/world/world_fixture.h"
#include "world/debug/cheat_model.h"
#include "world/debug/debug_keys.h"
#include "world/walk/key_cole.h"

namespace {

constexpr uint8_t kEsc = 0x01, kTab = 0x0F, kEnter = 0x1C, kF4 = 0x3E, kDown = 0xD0, kRight = 0xCD;
// '1'..'9', '0' of the main block.
uint8_t Digit(char d) { return d == '0' ? 0x0B : uint8_t(0x02 + (d - '1')); }

int gCloseRequests = 0;
void CountCloseRequest() { ++gCloseRequests; }
std::vector<std::string> gMoves;
void Move(int dx, int dy) { gMoves.push_back(std::to_string(dx) + "," + std::to_string(dy)); }

class CheatDialogTest : public WorldTablesTest {
protected:
    void SetUp() override {
        WorldTablesTest::SetUp();
        ResetWalkWorld();
        ResetGameState();
        ResetDisplay();
        ResetInput();
        ResetCheatDialog();
        ResetCheatModel();
        ResetKeyCole();
        ResetDebugKeys();
        WriteMon({{1, Item("Herb")}, {2, Item("Sword")}, {25, Item("Lamp")}});
        gCloseRequests = 0;
        gMoves.clear();
        gRequestClose = CountCloseRequest;
        gKeyColeHooks.requestMove = Move;
        gInput.InitDInput();
    }
    void TearDown() override {
        ResetCheatDialog();
        ResetCheatModel();
        ResetKeyCole();
        ResetDebugKeys();
        ResetDisplay();
        ResetDrawKernel();
        ResetInput();
        ResetGameState();
        gRequestClose = nullptr;
        ResetWalkWorld();
        WorldTablesTest::TearDown();
    }
    static void OpenWindow() {
        ASSERT_EQ(gDisplay.InitDDraw("KYV3", kModeFullScreen, 640, 480, 16), 1);
        gBackBuffer = gDisplay.CreateOffSurface(640, 480);
        ASSERT_NE(gBackBuffer, nullptr);
        InitDrawKernel(gBackBuffer, 0);
    }
    // One pass of the dialog with exactly these keys down.
    static void Keys(std::initializer_list<uint8_t> keys, int x = 0, int y = 0, int buttons = 0) {
        uint8_t state[256] = {};
        for (uint8_t k : keys) state[k] = 0x80;
        CheatDialogInput(state, x, y, buttons);
    }
    static void Tap(uint8_t key) {
        Keys({key});
        Keys({});
    }
    static void Click(int x, int y) {
        Keys({}, x, y, 1);
        Keys({}, x, y, 0);
    }
};

TEST_F(CheatDialogTest, WhatLiesWhere) {
    CheatInitDialog();
    CheatSelectTab(kCheatTabVars);  // 64 rows: the list scrolls
    struct Case {
        int x, y;
        CheatControlKind kind;
        int index;
    };
    const Case cases[] = {
        {60, 60, kCheatAtTab, 0},         {480, 60, kCheatAtTab, 4},       {60, 82, kCheatAtTab, 5},
        {480, 82, kCheatAtTab, 9},        {100, 124, kCheatAtRow, 0},      {100, 335, kCheatAtRow, 11},
        {545, 125, kCheatAtScrollUp, 0},  {545, 335, kCheatAtScrollDown, 0}, {545, 300, kCheatAtTrackDown, 0},
        {110, 355, kCheatAtField, 0},     {230, 355, kCheatAtField, 1},    {420, 355, kCheatAtField, 2},
        {60, 400, kCheatAtButton, 0},     {460, 400, kCheatAtButton, 4},   {150, 400, kCheatAtNothing, 0},
        {10, 10, kCheatAtNothing, 0},
    };
    for (const Case& c : cases) {
        const CheatControl got = CheatControlAt(c.x, c.y);
        EXPECT_EQ(got.kind, c.kind) << c.x << "," << c.y;
        if (got.kind == c.kind) {
            EXPECT_EQ(got.index, c.index) << c.x << "," << c.y;
        }
    }
    CheatScroll(30, kCheatVisibleRows);
    EXPECT_EQ(CheatControlAt(100, 124).index, 30);
    EXPECT_EQ(CheatControlAt(545, 140).kind, kCheatAtTrackUp);
    CheatSelectTab(kCheatTabItems);  // an empty bag: no rows to click
    EXPECT_EQ(CheatControlAt(100, 124).kind, kCheatAtNothing);
}

TEST_F(CheatDialogTest, KeysAndClicksDriveTheModel) {
    CheatInitDialog();
    // Digits go to the focused field; Tab walks the fields and the buttons.
    Tap(Digit('2'));
    Tap(Digit('5'));
    Tap(kTab);
    Tap(Digit('4'));
    EXPECT_EQ(gCheat.field[kCheatFieldNumber], "25");
    EXPECT_EQ(gCheat.field[kCheatFieldCount], "4");
    for (int i = 0; i < 4; ++i) Tap(kTab);  // extra, full, delete, add
    EXPECT_EQ(gCheatView.focus, kCheatFocusButton0 + kCheatAdd);
    Tap(kEnter);
    ASSERT_NE(gInventory, nullptr);
    EXPECT_EQ(gInventory->id, 25);
    EXPECT_EQ(gInventory->count, 4);
    // A held digit types once, then repeats only after a while.
    for (int i = 0; i < 5; ++i) Keys({Digit('7')});
    Keys({});
    EXPECT_EQ(gCheat.field[kCheatFieldNumber], "25");  // the focus is on a button
    // Clicks: a field, a row, a button.
    Click(110, 355);
    Keys({Digit('1')});
    Keys({});
    EXPECT_EQ(gCheat.field[kCheatFieldNumber], "251");
    Click(100, 124);
    EXPECT_EQ(gCheat.selected, 0);
    Click(60, 400);  // full
    EXPECT_EQ(gInventory->count, 99);
    // Right changes the tab; on the attribute tabs only modify and close act.
    for (int i = 0; i < 5; ++i) Tap(kRight);
    EXPECT_EQ(gCheat.tab, kCheatTabStats);
    EXPECT_TRUE(gCheatView.focus < kCheatFocusButton0 ? CheatFieldEnabled(gCheatView.focus)
                                                       : CheatButtonEnabled(gCheatView.focus - kCheatFocusButton0));
    Click(160, 400);  // delete: greyed here
    Tap(kDown);
    EXPECT_EQ(gCheat.selected, 0);
    EXPECT_EQ(gCheat.result, 0);
    Tap(kEsc);
    EXPECT_EQ(gCheat.result, 1);
}

// The whole run: the debug key opens the dialog in the game window, the
// game is paused while it is open, an item is added with the keys, Esc
// closes it, and the game goes on (the player walks at the next pass).
TEST_F(CheatDialogTest, AScriptedRunFromTheDebugKeyBackToTheGame) {
    OpenWindow();
    PutPlayerOnDebugMap();
    gGameRunning = 1;

    // Frame n is the n-th present; each pass reads its keys, then presents.
    uint32_t frame = HeadlessPresentCount() + 1;
    auto press = [&frame](uint8_t key) {
        HeadlessQueueKey(key, true, frame++);
        HeadlessQueueKey(key, false, frame++);
    };
    HeadlessQueueKey(kF4, false, frame);  // the opening key goes up
    press(Digit('2'));
    press(kTab);
    press(Digit('3'));
    for (int i = 0; i < 4; ++i) press(kTab);
    press(kEnter);
    const uint32_t closing = frame;
    press(kEsc);

    HeadlessQueueKey(kF4, true);
    gInput.ReadKeyboard();
    KeyColeRun();

    EXPECT_EQ(gCheat.result, 1);
    EXPECT_GE(HeadlessPresentCount(), closing);
    EXPECT_EQ(gGameRunning, 1u);
    EXPECT_EQ(gCloseRequests, 0);
    ASSERT_NE(gInventory, nullptr);
    EXPECT_EQ(gInventory->id, 2);
    EXPECT_EQ(gInventory->count, 3);
    EXPECT_TRUE(gMoves.empty());  // the key that opened it ended that pass
    EXPECT_TRUE(HeadlessMessageBoxes().empty());

    gKeyState[kKeyRight].framesHeld = 1;
    gKeyState[kKeyRight].state = 1;
    gInput.ReadKeyboard();
    KeyColeRun();
    EXPECT_EQ(gMoves, (std::vector<std::string>{"1,0"}));
}

// The window closed while the dialog is open ends the dialog and asks the
// shell to close the game; the game is not set running again.
TEST_F(CheatDialogTest, ClosingTheWindowClosesTheDialogAndTheGame) {
    OpenWindow();
    gGameRunning = 1;
    HeadlessQueueEvent(PlatEvent{kPlatEventQuit, 0, 0}, HeadlessPresentCount() + 3);
    EXPECT_EQ(RunCheatDialog(), 0);
    EXPECT_EQ(gCloseRequests, 1);
    EXPECT_EQ(gGameRunning, 0u);
    EXPECT_TRUE(gCheat.rows.empty());
}

// The panel is drawn again from the game's picture on every pass: the
// tinted box does not darken from pass to pass, and closing puts the
// picture back.
TEST_F(CheatDialogTest, EveryPassShowsTheSamePanel) {
    OpenWindow();
    std::vector<uint64_t> last;
    for (uint32_t passes : {3u, 6u}) {
        HeadlessQueueKey(kEsc, true, HeadlessPresentCount() + passes);
        HeadlessQueueKey(kEsc, false, HeadlessPresentCount() + passes + 1);
        const uint32_t before = HeadlessPresentCount();
        EXPECT_EQ(RunCheatDialog(), 1);
        EXPECT_GE(HeadlessPresentCount() - before, passes);
        last.push_back(HeadlessLastFrameHash());
        uint16_t* p = LockBackBuffer(gBackBuffer);
        EXPECT_EQ(p[200 * 640 + 300], 0);  // the game's (black) picture again
        UnlockBackBuffer(gBackBuffer, p);
    }
    EXPECT_EQ(last[0], last[1]);
    EXPECT_EQ(HeadlessPixel(10, 10), 0);     // outside the panel: the game's picture
    EXPECT_NE(HeadlessPixel(100, 128), 0);   // the list's lines
}

} // namespace
