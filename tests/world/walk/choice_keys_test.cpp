// The keys of an open talk choice: the direction keys move the one choice
// variable, wrapping over the options, on a press and every eighth frame
// held; the confirm or menu key takes the option once the dialog lets the
// keys close its choice. Nothing walks while a choice is open.
#include "world/walk/choice_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/game_state.h"
#include "platform/headless/headless.h"
#include "tests/world/walk/grid_map.h"
#include "world/role/role_record.h"
#include "world/script/talk_machine.h"
#include "world/story_flags.h"
#include "world/walk/key_cole.h"
#include "world/walk/key_state.h"

namespace {

std::vector<std::string> gCalls;
void RecordMove(int dx, int dy) { gCalls.push_back("move " + std::to_string(dx) + "," + std::to_string(dy)); }
void RecordRoleTalk(uint32_t role) { gCalls.push_back("talk role " + std::to_string(role)); }
void RecordMenu() { gCalls.push_back("menu"); }

class ChoiceKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ResetWalkWorld();
        ResetKeyCole();
        ResetGameState();
        ResetTalkMachine();
        FreeEventRects();
        gCalls.clear();
        gKeyColeHooks.requestMove = RecordMove;
        gKeyColeHooks.startRoleTalk = RecordRoleTalk;
        gKeyColeHooks.requestRootMenu = RecordMenu;
        LoadOpenGrid(8, 8);
        TotalRole = 1;
        gPlayerRole = 0;
        gRole[0].x = gRole[0].y = 3 * 16;
        gRole[0].act.width = gRole[0].act.height = 1;
        gRole[0].flags = kRoleActive;
    }
    void TearDown() override {
        FreeEventRects();
        ResetTalkMachine();
        ResetWalkWorld();
        ResetKeyCole();
        gMap = MapData{};
    }
    // A dialog's three option lines, the choice on `start`.
    static void OpenChoice(uint32_t start, bool keysClose) {
        FreeEventRects();
        for (uint32_t i = 0; i < 3; ++i) AddEventRect(i, 100, uint16_t(200 + 22 * i), 200, uint16_t(222 + 22 * i));
        if (keysClose) gEventRects.words[kEventRectChoiceFlags] |= kChoiceKeysClose;
        SetTalkChoice(start);
    }
    static void Hold(int key, uint32_t frames) {
        gKeyState[key] = KeyState{};
        gKeyState[key].state = 1;
        gKeyState[key].framesHeld = frames;
    }
};

TEST_F(ChoiceKeysTest, DirectionKeysMoveTheChoiceAndWrap) {
    struct Case {
        int key;
        uint32_t frames;
        uint32_t from, to;
    } cases[] = {
        {kKeyDown, 1, 0, 1}, {kKeyRight, 1, 0, 1}, {kKeyDown, 1, 2, 0},  {kKeyUp, 1, 0, 2},
        {kKeyLeft, 1, 2, 1}, {kKeyUp, 1, 1, 0},    {kKeyDown, 2, 0, 0},  {kKeyDown, 7, 0, 1},
        {kKeyDown, 8, 0, 0}, {kKeyUp, 15, 1, 0},   {kKeyDown, 6, 1, 1},  {kKeyRight, 23, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.key) + " held " + std::to_string(c.frames) + " from " + std::to_string(c.from));
        ClearKeyStates();
        OpenChoice(c.from, true);
        Hold(c.key, c.frames);
        KeyColeRun();
        EXPECT_EQ(TalkChoice(), c.to);
        EXPECT_EQ(gEventRects.words[kEventRectChoice], c.to);  // the dialog highlights the same option
        EXPECT_EQ(CountEventRects(), 3);
        EXPECT_TRUE(gCalls.empty()) << gCalls.front();  // the keys do not walk
    }
}

TEST_F(ChoiceKeysTest, AHeldKeyMovesOnItsFirstFrameAndEveryEighth) {
    OpenChoice(0, true);
    std::vector<uint32_t> moved;
    uint32_t last = TalkChoice();
    for (uint32_t frame = 1; frame <= 24; ++frame) {
        Hold(kKeyDown, frame);
        KeyColeRun();
        if (TalkChoice() != last) moved.push_back(frame);
        last = TalkChoice();
    }
    EXPECT_EQ(moved, (std::vector<uint32_t>{1, 7, 15, 23}));
}

TEST_F(ChoiceKeysTest, ConfirmOrMenuTakesTheChoiceOnlyWhenTheDialogLetsTheKeysCloseIt) {
    struct Case {
        int key;
        uint32_t frames;
        bool keysClose;
        bool taken;
    } cases[] = {
        {kKeyConfirm, 1, true, true},  {kKeyMenu, 1, true, true},   {kKeyConfirm, 1, false, false},
        {kKeyMenu, 1, false, false},   {kKeyConfirm, 2, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.key) + " held " + std::to_string(c.frames) + (c.keysClose ? " closable" : ""));
        ClearKeyStates();
        gKeyCole.talkConfirm = 0;
        OpenChoice(2, c.keysClose);
        Hold(c.key, c.frames);
        KeyColeRun();
        EXPECT_EQ(CountEventRects(), c.taken ? 0 : 3);
        EXPECT_EQ(TalkChoice(), 2u);  // kept for the choice instruction
        EXPECT_EQ(gEventRects.words[kEventRectChoice], 2u);
        EXPECT_EQ(gKeyCole.talkConfirm, 0u);  // the press answers the choice, it turns no page
        EXPECT_TRUE(gCalls.empty()) << gCalls.front();
    }
}

} // namespace
