#include "menu/save/save_screen.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "draw/draw_kernel.h"
#include "draw/surface.h"
#include "menu/frame/menu_pages.h"
#include "tests/menu/save/save_fixture.h"
#include "world/walk/key_state.h"

namespace {

struct Calls {
    int titleEnter = 0, systemLeave = 0;
    std::vector<int> restore;
};
Calls gCalls;

class SaveScreenTest : public SaveGameTest {
protected:
    void SetUp() override {
        SaveGameTest::SetUp();
        gCalls = Calls();
        gSaveScreenHooks.titleScreenEnter = [] { ++gCalls.titleEnter; };
        gSaveScreenHooks.systemMenuLeave = [] { ++gCalls.systemLeave; };
        gSaveScreenHooks.restoreInventory = [](int used) { gCalls.restore.push_back(used); };
        PlayAWhile();
    }
    void TearDown() override {
        if (gBackBuffer) {
            FreeSurface(gBackBuffer);
            gBackBuffer = nullptr;
        }
        ResetDrawKernel();
        SaveGameTest::TearDown();
    }
    static void Open(uint32_t kind, bool loading, int slot = 0, uint32_t page = kSavePageSlots) {
        gSlot = slot;
        gSaveLoadMode = kSaveModeOpened;
        gSaveLoadKind = kind;
        gSaveLoadPage = page;
        gSaveLoadLoading = loading ? 1 : 0;
        ResetSaveScreen();
    }
    // One frame with game key `key` newly down (state: 1 single, 2 double).
    static void Press(int key, uint32_t state = 1) {
        gKeyState[key].state = state;
        gKeyState[key].framesHeld = 1;
        SaveLoadScreen();
        ClearKeyStates();
    }
    static void Frames(int n) {
        for (int i = 0; i < n && gSaveLoadMode != 0; ++i) SaveLoadScreen();
    }
    void SaveFile(int slot) { ASSERT_TRUE(WriteSaveSlot(slot).ok); }
};

TEST_F(SaveScreenTest, KeysMoveTheSelectionWithinTheSlots) {
    const struct {
        int from, key, to;
    } cases[] = {
        {0, kKeyUp, 0},     {0, kKeyLeft, 0}, {0, kKeyDown, 1},  {98, kKeyDown, 98}, {98, kKeyRight, 98},
        {50, kKeyLeft, 49}, {50, kKeyRight, 51}, {4, 7 /*PgUp*/, 1}, {1, 7, 0},     {97, 8 /*PgDn*/, 98},
        {95, 8, 98},        {2, kKeyDown, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " key " << c.key);
        Open(kSaveKindSystemSave, false, c.from);
        Press(c.key);
        EXPECT_EQ(gSlot, c.to);
        EXPECT_EQ(gSaveScreen.question, kQuestionNone);
    }
}

TEST_F(SaveScreenTest, PagesShowTheirOwnSlotsAndDamagedOnesCannotBeLoaded) {
    SaveFile(3);
    install.WriteFile("save/4.sav", "not a saved game");
    Open(kSaveKindSystemLoad, true, 2);
    EXPECT_EQ(gSaveScreen.previews[2].state, kPreviewNoSave); // slot 2
    Press(kKeyDown);
    EXPECT_EQ(gSaveScreen.previews[0].state, kPreviewReady);   // slot 3
    EXPECT_EQ(gSaveScreen.previews[1].state, kPreviewDamaged); // slot 4
    EXPECT_EQ(gSaveScreen.previews[2].state, kPreviewNoSave);
    Frames(11);
    Press(kKeyDown);
    Press(kKeyConfirm); // the damaged slot
    EXPECT_EQ(gSaveScreen.question, kQuestionNone);
    Press(kKeyUp);
    Press(kKeyConfirm); // the good one loads
    EXPECT_EQ(gSaveLoadMode, 0u);
    EXPECT_EQ(gCalls.systemLeave, 1);
    EXPECT_EQ(gMenuRequest, 0u);
}

TEST_F(SaveScreenTest, SavingOverAFileAsksFirst) {
    SaveFile(1);
    const std::string old = install.ReadFile("save/1.sav");
    gTalkVar[0] = 4242;
    Open(kSaveKindSystemSave, false, 1);
    Frames(11);
    Press(kKeyConfirm);
    EXPECT_EQ(gSaveScreen.question, kQuestionYes);
    Press(kKeyRight);
    EXPECT_EQ(gSaveScreen.question, kQuestionNo);
    Press(kKeyDown); // a move answers; it does not leave the slot
    EXPECT_EQ(gSlot, 1);
    Press(kKeyConfirm); // "no": the question closes
    EXPECT_EQ(gSaveScreen.question, kQuestionNone);
    EXPECT_EQ(install.ReadFile("save/1.sav"), old);
    Press(kKeyConfirm);
    Press(kKeyLeft);
    Press(kKeyConfirm); // "yes"
    EXPECT_NE(install.ReadFile("save/1.sav"), old);
    EXPECT_EQ(gMenuStatus & kMenuStatusSaved, kMenuStatusSaved);
    EXPECT_EQ(gSaveScreen.previews[1].talkVar0, 4242u);
    // The last frame stays up, then the screen closes back to the menu.
    EXPECT_EQ(gSaveLoadMode, 1u);
    Frames(kSavedPauseFrames);
    EXPECT_EQ(gSaveLoadMode, 0u);
    EXPECT_EQ(gSaveLoadKind, 0u);
}

TEST_F(SaveScreenTest, AConfirmInTheFirstTenFramesIsCarriedOutAfterThem) {
    Open(kSaveKindTalk, false, 6);
    Press(kKeyConfirm); // frame 1, on an empty slot
    EXPECT_EQ(gSaveScreen.question, kQuestionAccepted);
    Frames(8);
    EXPECT_TRUE(SlotIsEmpty(6)); // not yet: frame 9
    Frames(1);
    EXPECT_TRUE(SlotIsEmpty(6)); // nor on frame 10
    Frames(1);
    EXPECT_FALSE(SlotIsEmpty(6)); // frame 11, without a second confirm
}

TEST_F(SaveScreenTest, LeavingFollowsWhoOpenedTheScreen) {
    const struct {
        uint32_t kind;
        uint32_t menuRequest; // what the request holds after leaving
        int pauseFrames;      // frames the last picture stays up
        int titleEnter;
        std::vector<int> restore;
    } cases[] = {
        {kSaveKindSystemSave, 0x80000001u, kLeavePauseFrames, 0, {}},
        {kSaveKindSystemLoad, 0x80000001u, kLeavePauseFrames, 0, {}},
        {kSaveKindTitle, 0x80000003u, 0, 1, {}},
        {kSaveKindTalk, 0, 0, 0, {}},
        {kSaveKindItem, 0x80000001u, 0, 0, {0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        gCalls = Calls();
        gMenuRequest = 0x80000001u;
        Open(c.kind, c.kind == kSaveKindSystemLoad || c.kind == kSaveKindTitle);
        Press(0); // cancel
        Frames(c.pauseFrames - 1);
        EXPECT_EQ(gSaveLoadMode != 0, c.pauseFrames > 0);
        Frames(1);
        EXPECT_EQ(gSaveLoadMode, 0u);
        EXPECT_EQ(gSaveLoadKind, 0u);
        EXPECT_EQ(gMenuRequest, c.menuRequest);
        EXPECT_EQ(gCalls.titleEnter, c.titleEnter);
        EXPECT_EQ(gCalls.restore, c.restore);
    }
}

TEST_F(SaveScreenTest, EscapeAndRightClickLeaveEvenDuringTheQuestion) {
    SaveFile(0);
    Open(kSaveKindItem, false, 0);
    Frames(11);
    Press(kKeyConfirm);
    ASSERT_EQ(gSaveScreen.question, kQuestionYes);
    Press(kKeyMouseRight);
    EXPECT_EQ(gSaveLoadMode, 0u);
    EXPECT_EQ(gCalls.restore, std::vector<int>{0});
}

TEST_F(SaveScreenTest, TheSaveItemIsUsedOnlyBySaveThatWorked) {
    ASSERT_EQ(symlink("/dev/full", (install.Path() + "save/2.sav.tmp").c_str()), 0);
    Open(kSaveKindItem, false, 2);
    Frames(11);
    Press(kKeyConfirm);
    EXPECT_EQ(HeadlessMessageBoxes().size(), 1u); // one box, with the reason
    EXPECT_EQ(gMenuStatus, 0u);
    EXPECT_EQ(gSaveLoadMode, 1u); // still on the screen
    EXPECT_TRUE(gCalls.restore.empty());
    Press(kKeyDown);
    Press(kKeyConfirm); // slot 3 works
    Frames(kSavedPauseFrames);
    EXPECT_EQ(gSaveLoadMode, 0u);
    EXPECT_EQ(gCalls.restore, std::vector<int>{1});
}

TEST_F(SaveScreenTest, TheTitlesLoadRunsTheLoadedGame) {
    SaveFile(5);
    gMenuRequest = 0x80000003u;
    Open(kSaveKindTitle, true, 5);
    Frames(11);
    Press(kKeyConfirm);
    EXPECT_EQ(gSaveLoadMode, 0u);
    EXPECT_EQ(gSaveLoadKind, kSaveKindTitle); // kept until the next menu opens
    EXPECT_EQ(gMenuRequest, 0u);
    Open(kSaveKindTitle, true, 6);
    Frames(11);
    Press(kKeyConfirm); // an empty slot: nothing
    EXPECT_EQ(gSaveLoadMode, 1u);
}

TEST_F(SaveScreenTest, TheNewestSlotIsChosenAndEqualTimesGoToTheHigherSlot) {
    const auto stamp = [&](int slot, time_t when) {
        install.WriteFile("save/" + std::to_string(slot) + ".sav", "x");
        const timespec times[2] = {{when, 0}, {when, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, (install.Path() + "save/" + std::to_string(slot) + ".sav").c_str(), times, 0), 0);
    };
    gSlot = 40;
    SelectNewestSlot();
    EXPECT_EQ(gSlot, 40); // no file: unchanged
    stamp(3, 1000);
    stamp(7, 3000);
    stamp(12, 2000);
    SelectNewestSlot();
    EXPECT_EQ(gSlot, 7);
    stamp(12, 3000);
    SelectNewestSlot();
    EXPECT_EQ(gSlot, 12);
    EXPECT_EQ(AnySaveExists(), 1);
    EXPECT_EQ(SlotIsEmpty(7), 0);
    EXPECT_EQ(SlotIsEmpty(8), 1);
}

TEST_F(SaveScreenTest, TheFlagEditorTogglesAndWraps) {
    Open(kSaveKindSystemSave, false, 0, kSavePageFlags);
    const bool was = IsFlag(0);
    Press(kKeyConfirm);
    EXPECT_NE(IsFlag(0), int(was));
    Press(kKeyLeft);
    EXPECT_EQ(gSaveScreen.flagCursor, kStoryFlagCount - 1);
    Press(kKeyRight);
    EXPECT_EQ(gSaveScreen.flagCursor, 0);
    Press(8); // PgDn
    Press(kKeyDown);
    EXPECT_EQ(gSaveScreen.flagCursor, 126);
}

TEST_F(SaveScreenTest, AMissingCursorActIsReportedOnce) {
    gBackBuffer = CreateSurface(640, 480);
    ASSERT_EQ(InitDrawKernel(gBackBuffer, 0), 1);
    Open(kSaveKindSystemSave, false, 0);
    SaveFile(1); // a ready preview: its portraits are drawn too
    ReadPagePreviews();
    const size_t before = HeadlessMessageBoxes().size();
    Frames(5);
    size_t cursorBoxes = 0;
    for (size_t i = before; i < HeadlessMessageBoxes().size(); ++i)
        if (HeadlessMessageBoxes()[i].caption == "Act Err(RefrashCursor)") ++cursorBoxes;
    EXPECT_EQ(cursorBoxes, 1u);
    EXPECT_LE(HeadlessMessageBoxes().size() - before, 2u); // the background's own report, once
}

} // namespace
