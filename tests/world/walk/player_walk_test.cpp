#include "world/walk/player_walk.h"

#include <gtest/gtest.h>

#include "base/errorbox.h"
#include "platform/headless/headless.h"
#include "tests/world/walk/grid_map.h"
#include "world/role/role_record.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"

namespace {

class PlayerWalkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWalkWorld();
        TotalRole = 2;
        gRole[1].flags = kRoleActive;
        gRole[1].act.width = gRole[1].act.height = 1;
    }
    void TearDown() override {
        ResetWalkWorld();
        gMap = MapData{};
    }
    void Hold(int key, uint32_t state = 1) {
        gKeyState[key].framesHeld = 1;
        gKeyState[key].state = state;
    }
    RoleRecord& Player() { return gRole[1]; }
};

TEST_F(PlayerWalkTest, DirectionKeysGiveTheStepAndTheFacing) {
    struct Case {
        int keys[2];
        int dx, dy, facing;
    };
    for (Case c : {Case{{kKeyLeft, -1}, -1, 0, kFaceW}, Case{{kKeyRight, kKeyUp}, 1, -1, kFaceNE},
                   Case{{kKeyLeft, kKeyDown}, -1, 1, kFaceSW}, Case{{kKeyDown, -1}, 0, 1, kFaceS},
                   Case{{kKeyLeft, kKeyRight}, -1, 0, kFaceW}, Case{{-1, -1}, 0, 0, -1}}) {
        ResetKeyStates();
        for (int k : c.keys)
            if (k >= 0) Hold(k);
        const KeyStep s = ReadDirectionKeys();
        EXPECT_EQ(s.dx, c.dx);
        EXPECT_EQ(s.dy, c.dy);
        EXPECT_EQ(s.facing, c.facing);
        EXPECT_FALSE(s.quick);
    }
    Hold(kKeyUp, 2);
    EXPECT_TRUE(ReadDirectionKeys().quick);
}

TEST_F(PlayerWalkTest, TheKeyedStepIsCheckedWhenTheSlidStepFindsNothing) {
    LoadGrid({".....", "..3..", ".....", "....."});
    Player().x = Player().y = 32;
    EXPECT_EQ(ResolveStep(1, 1, 0, 0, -1).event, 3);
    EXPECT_EQ(ResolveStep(1, 1, 0, 1, 0).event, 0);
    gMap.cells[2 * 5 + 2] = 7; // the player's own cell
    SetFlag(kFlagOwnCellEvents);
    const StepHit own = ResolveStep(1, 0, -1, 0, -1);
    EXPECT_EQ(own.event, 7);
    EXPECT_EQ(own.role, -1);
}

TEST_F(PlayerWalkTest, EventTalksStartBesideThePlayerByItsFacing) {
    Player().x = 160;
    Player().y = 96;
    struct Case {
        int facing;
        int32_t x, y;
    };
    for (Case c : {Case{kFaceN, 96, 32}, Case{kFaceS, 160, 32}, Case{kFaceE, 224, 96}, Case{kFaceNE, 96, 96},
                   Case{kFaceSE, 160, 160}}) {
        Player().act.dir = c.facing;
        int32_t x = 0, y = 0;
        EventTalkPosition(Player(), &x, &y);
        EXPECT_EQ(x, c.x) << c.facing;
        EXPECT_EQ(y, c.y) << c.facing;
    }
}

TEST_F(PlayerWalkTest, WalkingSetsQqAndTheStepLength) {
    gMapWalkStep = 4;
    UpdateWalkAct(&Player(), kFaceE, true, false);
    EXPECT_EQ(Player().act.qq, kQqWalk);
    EXPECT_EQ(gWalkStep, 4);
    UpdateWalkAct(&Player(), kFaceE, true, true);
    EXPECT_EQ(Player().act.qq, kQqRun);
    EXPECT_EQ(gWalkStep, 8);
    UpdateWalkAct(&Player(), kFaceN, true, false);
    EXPECT_EQ(Player().act.qq, kQqRun) << "a run lasts until the player stands";
    EXPECT_EQ(Player().act.dir, kFaceN);
    UpdateWalkAct(&Player(), -1, false, false);
    EXPECT_EQ(Player().act.qq, kQqStand);
    gPlayerWalk.fastMode = 1;
    UpdateWalkAct(&Player(), kFaceN, true, false);
    EXPECT_EQ(gWalkStep, 16);
}

TEST_F(PlayerWalkTest, TheMapsNoFightFlagStopsTheCount) {
    EXPECT_TRUE(CountWalkingFrame(5));
    SetFlag(kFlagBaseNoFights + 5);
    EXPECT_FALSE(CountWalkingFrame(5));
    EXPECT_EQ(gFightStep, 1u);
    // Maps from 1000 up have no such flag: reported once, steps still count.
    EXPECT_TRUE(CountWalkingFrame(1200));
    EXPECT_TRUE(CountWalkingFrame(1200));
    EXPECT_TRUE(CountWalkingFrame(2500));
    EXPECT_EQ(HeadlessMessageBoxes().size(), 2u);
    EXPECT_EQ(gFightStep, 4u);
}

} // namespace
