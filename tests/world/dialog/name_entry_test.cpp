// The talk's name entry as the map frame's input overlay answers it: clicks
// and game key 2 move the focus, the OK box or Enter keeps the typed names,
// Esc drops them, and every way out closes the entry.
#include "world/dialog/name_entry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/game_state.h"
#include "base/nick_names.h"
#include "draw/draw_kernel.h"
#include "draw/surface.h"
#include "platform/headless/headless.h"
#include "world/map/map_effects.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"

namespace {

class NameEntryTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ResetStoryFlags();
        ResetKeyStates();
        ResetNameEntry();
        InitNickNames();
        gGameMode = 0;
    }
    void TearDown() override {
        ResetNameEntry();
        ResetNickNames();
        ResetKeyStates();
        gGameMode = 0;
        gBackPixels = nullptr;
    }
    static void Press(int key) {
        gKeyState[key] = KeyState{};
        gKeyState[key].state = 1;
        gKeyState[key].framesHeld = 1;
    }
    // One frame of the overlay with a click at (x, y).
    static void ClickFrame(int32_t x, int32_t y) {
        gKeyInput.mouseX = x;
        gKeyInput.mouseY = y;
        Press(kKeyMouseLeft);
        DrawInputOverlay();
        gKeyState[kKeyMouseLeft] = KeyState{};
    }
    static bool Closed() {
        return gNameEntry.member == -1 && (gGameMode & kModeTextEntry) == 0 && !IsFlag(kFlagEditField) &&
               gEditField == nullptr;
    }
};

TEST_F(NameEntryTest, OpensOnlyForAMemberOfTheParty) {
    for (int member : {-1, 4, 0x7FFF}) {
        EXPECT_FALSE(OpenNameEntry(member)) << member;
        EXPECT_TRUE(Closed()) << member;
    }
    ASSERT_TRUE(OpenNameEntry(2));
    EXPECT_EQ(gNameEntry.member, 2);
    EXPECT_EQ(gNameEntry.focus, 0);
    EXPECT_EQ(gEditField, &gNameEntry.fields[0]);
    EXPECT_TRUE(gGameMode & kModeTextEntry);
    EXPECT_TRUE(IsFlag(kFlagEditField));
    for (int i = 0; i < kNameFields; ++i) {
        EXPECT_STREQ(gNameEntry.fields[i].Text(), NickName(2, i)) << i;
        EXPECT_EQ(gNameEntry.fields[i].GetX(), kNameFieldPlace[i].x) << i;
        EXPECT_EQ(gNameEntry.fields[i].GetY(), kNameFieldPlace[i].y) << i;
    }
}

TEST_F(NameEntryTest, AClickOnAFieldFocusesItEdgesIncluded) {
    struct Case {
        int32_t x, y;
        int focus;  // -1: the focus stays where it was
    } cases[] = {
        {285, 237, 0}, {339, 259, 0}, {373, 237, 1}, {429, 259, 1}, {325, 279, 2}, {429, 301, 2},
        {284, 237, -1}, {340, 250, -1}, {430, 301, -1}, {325, 302, -1}, {100, 100, -1},
    };
    ASSERT_TRUE(OpenNameEntry(0));
    for (const Case& c : cases) {
        gNameEntry.focus = 1;
        gEditField = &gNameEntry.fields[1];
        ClickFrame(c.x, c.y);
        const int want = c.focus < 0 ? 1 : c.focus;
        EXPECT_EQ(gNameEntry.focus, want) << c.x << "," << c.y;
        EXPECT_EQ(gEditField, &gNameEntry.fields[want]) << c.x << "," << c.y;
        EXPECT_EQ(gNameEntry.member, 0) << "a click beside the OK box keeps the entry open";
    }
}

TEST_F(NameEntryTest, GameKeyTwoMovesTheFocusRoundOnItsPressOnly) {
    ASSERT_TRUE(OpenNameEntry(1));
    const int order[] = {1, 2, 0, 1};
    for (int want : order) {
        Press(kNameFocusKey);
        DrawInputOverlay();
        EXPECT_EQ(gNameEntry.focus, want);
        EXPECT_EQ(gEditField, &gNameEntry.fields[want]);
    }
    // Held on: no further moves.
    gKeyState[kNameFocusKey].framesHeld = 2;
    DrawInputOverlay();
    EXPECT_EQ(gNameEntry.focus, 1);
}

TEST_F(NameEntryTest, EveryWayOutClosesTheEntryAndOnlyTheOkOnesKeepTheNames) {
    enum How { kOkBox, kEnterFirst, kEnterThird, kEsc, kNotOpen };
    struct Case {
        How how;
        bool kept;
    } cases[] = {{kOkBox, true}, {kEnterFirst, true}, {kEnterThird, true}, {kEsc, false}, {kNotOpen, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.how));
        InitNickNames();
        const std::string before = NickName(3, 0);
        if (c.how == kNotOpen) {
            // The mode bit without an entry would hold the player for ever.
            gGameMode |= kModeTextEntry;
            DrawInputOverlay();
            EXPECT_TRUE(Closed());
            continue;
        }
        ASSERT_TRUE(OpenNameEntry(3));
        gNameEntry.fields[0].Create("", 4, kNameFieldPlace[0].x, kNameFieldPlace[0].y);
        gNameEntry.fields[0].InsertText("Qx");
        DrawInputOverlay();  // typing alone closes nothing
        EXPECT_EQ(gNameEntry.member, 3);
        switch (c.how) {
        case kOkBox: ClickFrame(kNameEntryOk.left, kNameEntryOk.bottom); break;
        case kEnterFirst: gNameEntry.fields[0].EditFieldMessage(kEditMsgKeyDown, kEditVkReturn, 0); break;
        case kEnterThird: gNameEntry.fields[2].EditFieldMessage(kEditMsgKeyDown, kEditVkReturn, 0); break;
        case kEsc: gNameEntry.fields[1].EditFieldMessage(kEditMsgKeyDown, kEditVkEscape, 0); break;
        case kNotOpen: break;
        }
        if (c.how != kOkBox) DrawInputOverlay();
        EXPECT_TRUE(Closed());
        EXPECT_EQ(std::string(NickName(3, 0)), c.kept ? std::string("Qx") : before);
    }
}

TEST_F(NameEntryTest, TheOverlayDrawsTheFieldsWithTheFocusedCursorLit) {
    ResetDrawKernel();
    Surface* surface = CreateSurface(640, 480);
    InitDrawKernel(surface, 0);
    gBackBuffer = surface;
    gBackPixels = LockBackBuffer(surface);
    std::vector<uint16_t> screen(640 * 480, 0);  // the back buffer's pixels, read after drawing
    auto cursor = [&](int i) {
        std::copy_n(gBackPixels, screen.size(), screen.begin());
        // The cursor cell glows most in its middle rows.
        return screen[size_t(kNameFieldPlace[i].y + 11) * 640 + size_t(kNameFieldPlace[i].x) + 1];
    };
    std::fill_n(gBackPixels, screen.size(), uint16_t(0));
    DrawInputOverlay();  // the entry is not open: nothing is drawn
    EXPECT_EQ(cursor(0), 0);
    ASSERT_TRUE(OpenNameEntry(0));
    DrawInputOverlay();
    for (int i = 0; i < kNameFields; ++i) EXPECT_NE(cursor(i), 0) << i;
    EXPECT_GT(cursor(0), cursor(1));
    EXPECT_EQ(cursor(1), cursor(2));
    std::fill_n(gBackPixels, screen.size(), uint16_t(0));
    ClickFrame(330, 290);
    EXPECT_GT(cursor(2), cursor(0));
    UnlockBackBuffer(surface, gBackPixels);
    gBackPixels = nullptr;
    gBackBuffer = nullptr;
    FreeSurface(surface);
    ResetDrawKernel();
}

} // namespace
