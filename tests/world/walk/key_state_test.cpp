#include "world/walk/key_state.h"

#include <gtest/gtest.h>

#include "base/game_state.h"
#include "base/input.h"
#include "base/settings.h"
#include "platform/headless/headless.h"
#include "world/story_flags.h"

namespace {

class KeyStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ResetInput();
        ResetKeyStates();
        ResetStoryFlags();
    }
    void TearDown() override {
        ResetKeyStates();
        ResetStoryFlags();
        ResetInput();
    }
    uint32_t Edge(uint32_t now, bool down) {
        gKeyInput.now = now;
        return KeyEdge(&key, down);
    }
    KeyState key;
};

TEST_F(KeyStateTest, APressAfterTheReleaseGapStartsANewSeries) {
    struct Case {
        uint32_t gap;
        uint32_t state;
    };
    for (Case c : {Case{119, 2}, Case{120, 2}, Case{121, 1}}) {
        key = KeyState{};
        Edge(1000, false);
        EXPECT_EQ(Edge(1035, true), 1u);
        EXPECT_EQ(key.state, 1u);
        Edge(1070, false); // released at 1070
        Edge(1070 + c.gap - 1, false);
        Edge(1070 + c.gap, true);
        EXPECT_EQ(key.state, c.state) << "gap " << c.gap;
        EXPECT_EQ(key.framesHeld, 1u);
    }
}

TEST_F(KeyStateTest, QuickPressesCountUpToThree) {
    Edge(0, false);
    uint32_t t = 35;
    std::vector<uint32_t> states;
    for (int press = 0; press < 4; ++press) {
        Edge(t, true);
        states.push_back(key.state);
        Edge(t + 35, false);
        t += 70;
    }
    EXPECT_EQ(states, (std::vector<uint32_t>{1, 2, 3, 3}));
}

TEST_F(KeyStateTest, AReleaseAtClockZeroIsKept) {
    Edge(0, false); // up at clock 0: the release is stored
    Edge(10, true);
    EXPECT_EQ(key.state, 1u);
    Edge(45, false);
    Edge(80, true);
    EXPECT_EQ(key.state, 2u);
}

TEST_F(KeyStateTest, FramesHeldCountWhileDownAndTheStateClearsAfterRelease) {
    Edge(0, false);
    EXPECT_EQ(Edge(35, true), 1u);
    EXPECT_EQ(Edge(70, true), 2u);
    EXPECT_EQ(Edge(105, true), 3u);
    key.state |= kKeyConsumedBit;
    EXPECT_EQ(Edge(140, false), 0u);
    EXPECT_EQ(key.state, 1u) << "the first frame up keeps the state";
    Edge(175, false);
    EXPECT_EQ(key.state, 0u);
}

TEST_F(KeyStateTest, KeyUpdateReadsTheKeyMapAndSetsIdleAfter450StillFrames) {
    gKeyMap.k[kKeyConfirm] = kScanEnter;
    gNow = 1000;
    KeyUpdate();
    gNow = 1035;
    gInput.PressKey(kScanEnter);
    KeyUpdate();
    EXPECT_EQ(gKeyState[kKeyConfirm].state, 1u);
    EXPECT_EQ(gKeyState[kKeyConfirm].framesHeld, 1u);
    for (int frame = 3; frame <= 450; ++frame) KeyUpdate();
    EXPECT_FALSE(IsFlag(kFlagIdle));
    KeyUpdate(); // the 451st still frame
    EXPECT_TRUE(IsFlag(kFlagIdle));
    gInput.SetMousePos(100, 100);
    KeyUpdate();
    EXPECT_FALSE(IsFlag(kFlagIdle));
}

TEST_F(KeyStateTest, MouseSuppressionClearsTheLeftButtonForItsFrames) {
    gKeyState[kKeyMouseLeft].state = 1;
    gKeyState[kKeyMouseLeft].framesHeld = 4;
    gKeyInput.mouseSuppress = 2;
    KeyUpdate();
    EXPECT_EQ(gKeyState[kKeyMouseLeft].framesHeld, 0u);
    EXPECT_EQ(gKeyInput.mouseSuppress, 1u);
    KeyUpdate();
    KeyUpdate();
    EXPECT_EQ(gKeyInput.mouseSuppress, 0u);
}

// The key that confirms a load or opens a page clears the states while it
// is still down: it must not act again as a new press on the next frame
// (Enter on the load screen would open the map's menu, then its first page).
TEST_F(KeyStateTest, AKeyHeldThroughAClearIsNoNewPressUntilReleased) {
    gKeyMap.k[kKeyConfirm] = kScanEnter;
    gKeyMap.k[kKeyMenu] = kScanEsc;
    gNow = 1000;
    gInput.PressKey(kScanEnter);
    KeyUpdate();
    ASSERT_EQ(gKeyState[kKeyConfirm].framesHeld, 1u);
    ClearKeyStates();
    for (int frame = 0; frame < 3; ++frame) {
        gNow += 35;
        KeyUpdate();
        EXPECT_GT(gKeyState[kKeyConfirm].framesHeld, 1u) << "frame " << frame;
    }
    // A key that was up at the clear still presses at once.
    gInput.PressKey(kScanEsc);
    gNow += 35;
    KeyUpdate();
    EXPECT_EQ(gKeyState[kKeyMenu].framesHeld, 1u);
    gInput.ReadKeyboard(); // every key up
    gNow += 35;
    KeyUpdate();
    gInput.PressKey(kScanEnter);
    gNow += 200;
    KeyUpdate();
    EXPECT_EQ(gKeyState[kKeyConfirm].framesHeld, 1u);
    EXPECT_EQ(gKeyState[kKeyConfirm].state, 1u);
}

} // namespace
