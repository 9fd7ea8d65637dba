#include "world/walk/key_cole.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/errorbox.h"
#include "base/game_state.h"
#include "platform/headless/headless.h"
#include "tests/world/walk/grid_map.h"
#include "world/role/role_record.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"
#include "world/walk/player_walk.h"

namespace {

std::vector<std::string> gCalls;
uint32_t gFightToChoose = 0;

void RecordRoleTalk(uint32_t role) { gCalls.push_back("talk role " + std::to_string(role)); }
void RecordEventTalk(int event, int32_t x, int32_t y) {
    gCalls.push_back("talk event " + std::to_string(event) + " at " + std::to_string(x) + "," + std::to_string(y));
}
void RecordMove(int dx, int dy) { gCalls.push_back("move " + std::to_string(dx) + "," + std::to_string(dy)); }
uint32_t ChooseFight(uint32_t steps, int) {
    gCalls.push_back("choose " + std::to_string(steps));
    return gFightToChoose;
}
void RecordFight(uint32_t n) { gCalls.push_back("fight " + std::to_string(n)); }
bool BlockEventFive(int event) { return event == 5; }

class KeyColeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWalkWorld();
        ResetKeyCole();
        ResetGameState();
        gCalls.clear();
        gFightToChoose = 0;
        gKeyColeHooks.startRoleTalk = RecordRoleTalk;
        gKeyColeHooks.startEventTalk = RecordEventTalk;
        gKeyColeHooks.requestMove = RecordMove;
        gKeyColeHooks.chooseRandomFight = ChooseFight;
        gKeyColeHooks.startFight = RecordFight;
        gKeyColeHooks.eventBlocked = BlockEventFive;
        LoadGrid({"......", "..3.5.", "......", "......", "......"});
        TotalRole = 2;
        gPlayerRole = 1;
        Put(1, 2, 2);
        gRole[1].flags = kRoleActive;
        gCurrentMap = 4;
    }
    void TearDown() override {
        ResetWalkWorld();
        ResetKeyCole();
        gMap = MapData{};
    }
    void Put(int i, int c, int r) {
        gRole[i].x = c * 16;
        gRole[i].y = r * 16;
        gRole[i].act.width = gRole[i].act.height = 1;
    }
    void Hold(int key) {
        gKeyState[key].framesHeld = 1;
        gKeyState[key].state = 1;
    }
};

TEST_F(KeyColeTest, AnEventCellAheadStartsItsTalkBesideThePlayer) {
    Hold(kKeyUp);
    KeyColeRun();
    EXPECT_EQ(gCalls, (std::vector<std::string>{"talk event 3 at -32,-32", "move 0,-1"}));
    EXPECT_EQ(gRole[1].act.dir, kFaceN);
    EXPECT_EQ(gRole[1].act.qq, kQqWalk);
}

TEST_F(KeyColeTest, ABlockingEventStopsTheStep) {
    Put(1, 4, 2);
    Hold(kKeyUp);
    KeyColeRun();
    EXPECT_EQ(gCalls, (std::vector<std::string>{"talk event 5 at 0,-32"}));
    EXPECT_EQ(gRole[1].act.qq, kQqStand);
    EXPECT_EQ(gStillFrames, 1u);
}

TEST_F(KeyColeTest, TheConfirmKeyTalksToTheRoleAheadWhichTurnsToThePlayer) {
    TotalRole = 3;
    Put(2, 4, 2);
    gRole[2].flags = kRoleActive | kRoleTurnsToTalker;
    gRole[2].talkNumber = 9;
    gRole[2].act.qq = 8;
    gRole[2].act.dir = kFaceS;
    gRole[1].act.dir = kFaceE;
    Hold(kKeyConfirm);
    KeyColeRun();
    EXPECT_EQ(gCalls, (std::vector<std::string>{"talk role 2"}));
    EXPECT_EQ(gRole[2].act.dir, kFaceW);
    EXPECT_EQ(gRole[2].act.savedDir, kFaceS);
    EXPECT_EQ(gRole[2].act.savedQq, 8);
    EXPECT_EQ(gKeyCole.talkConfirm, 1u);
}

TEST_F(KeyColeTest, RandomFightsNeedFlag12AndNotTheMapsFlag) {
    Put(1, 2, 3);
    gFightToChoose = 7;
    Hold(kKeyDown);
    KeyColeRun();
    EXPECT_EQ(gCalls, (std::vector<std::string>{"move 0,1"})) << "flag 12 allows random fights";
    SetFlag(kFlagRandomFights);
    gCalls.clear();
    KeyColeRun();
    EXPECT_EQ(gCalls, (std::vector<std::string>{"move 0,1", "choose 2", "fight 7"}));
    SetFlag(kFlagBaseNoFights + 4);
    gCalls.clear();
    KeyColeRun();
    EXPECT_EQ(gCalls, (std::vector<std::string>{"move 0,1"}));
    EXPECT_EQ(gFightStep, 2u);
}

TEST_F(KeyColeTest, TheRunKeyTogglesAndRunningDoublesTheStep) {
    gMapWalkStep = 2;
    Hold(kKeyRunToggle);
    Hold(kKeyRight);
    KeyColeRun();
    EXPECT_EQ(gPlayerWalk.runToggle, 1u);
    EXPECT_EQ(gRole[1].act.qq, kQqRun);
    EXPECT_EQ(gWalkStep, 4);
}

TEST_F(KeyColeTest, NothingMovesWhileTheMouseIsSuppressed) {
    gKeyInput.mouseSuppress = 3;
    Hold(kKeyDown);
    KeyColeRun();
    EXPECT_TRUE(gCalls.empty());
}

} // namespace
