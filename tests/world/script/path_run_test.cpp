#include "world/script/path_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/memory.h"
#include "platform/headless/headless.h"
#include "tests/world/walk/grid_map.h"
#include "tools/path_asm.h"
#include "world/map/draw_order.h"
#include "world/script/path_slot.h"
#include "world/role/role_record.h"
#include "world/story_flags.h"

namespace {

class PathRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ResetErrorBoxes();
        ResetStoryFlags();
        ResetPathScripts();
        for (RoleRecord& r : gRole) r = RoleRecord{};
        LoadOpenGrid(10, 10);
        AllocDrawOrder();
        gStoryClock = 0;
        TotalRole = 3;
        gPlayerRole = 1;
        gRole[1].guid = 1;
        gRole[1].flags = kRoleActive;
        gRole[2].guid = 2;
        gRole[2].flags = kRoleActive;
        gRole[2].pathNumber = 2;
    }
    void TearDown() override {
        for (RoleRecord& r : gRole) FreeMem(r.text);
        for (RoleRecord& r : gRole) r = RoleRecord{};
        FreeDrawOrder();
        ResetPathScripts();
        ResetStoryFlags();
        TotalRole = 0;
        gStoryClock = 0;
        gMap = MapData{};
    }
    // Path 2's program.
    void Load(const std::string& program) {
        std::vector<uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(AssemblePathDat("path 2\n" + program, &bytes, &error)) << error;
        SetPathDatabase(bytes);
    }
    size_t Boxes() const { return HeadlessMessageBoxes().size(); }
    RoleRecord& Role() { return gRole[2]; }
};

TEST_F(PathRunTest, AWaitOfThreeYieldsFourFrames) {
    Load("setwait 3\nwait\nsetflag 5\nend\n");
    for (int frame = 1; frame <= 4; ++frame) {
        PathRun();
        EXPECT_FALSE(IsFlag(5)) << frame;
    }
    PathRun();
    EXPECT_TRUE(IsFlag(5));
    EXPECT_EQ(Role().pathNumber, 0);
}

TEST_F(PathRunTest, WalkWaitLoopRunsOnEveryFrameWithoutFaults) {
    Load("top:\nsetwait 1\nwait\naddvar 3 1\njump top\n");
    for (int frame = 0; frame < 20; ++frame) PathRun();
    EXPECT_EQ(gTalkVar[3], 9u) << "frames 3, 5, .. 19 add";
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(PathRunTest, AJumpToItselfEndsTheScriptWithOneReport) {
    Load("top:\njump top\n");
    PathRun();
    EXPECT_EQ(Role().pathNumber, 0);
    EXPECT_EQ(Boxes(), 1u);
    Role().pathNumber = 2;
    Role().pathPc = 0;
    PathRun();
    EXPECT_EQ(Boxes(), 1u) << "reported once";
}

TEST_F(PathRunTest, ScriptFaultsEndTheScriptOnce) {
    struct Case {
        const char* program;
        size_t boxes;
    };
    for (Case c : {Case{"setflag 1\nword 38\n", 1}, Case{"setvar 64 1\n", 1}, Case{"jump 2\n", 1},
                   Case{"place 10 0\n", 1}, Case{"setflag 1\n", 0}}) {
        SetUp();
        Load(c.program);
        PathRun();
        PathRun();
        EXPECT_EQ(Role().pathNumber, 0) << c.program;
        EXPECT_EQ(Boxes(), c.boxes) << c.program;
    }
}

TEST_F(PathRunTest, FlagListsAndVariables) {
    Load("ifallflags all\nsetflag 1\nall:\nifanyflag any\nsetflag 2\nany:\n"
         "setvar 4 995\naddvar 4 10\nsetvar 5 3\nsubvar 5 9\nifvaratleast 4 1000 big\nsetflag 3\nbig:\nend\n");
    PathRun();
    EXPECT_FALSE(IsFlag(1)) << "an empty list of all flags jumps";
    EXPECT_TRUE(IsFlag(2)) << "an empty list of any flag does not";
    EXPECT_EQ(gTalkVar[4], 1000u);
    EXPECT_EQ(gTalkVar[5], 0u);
    EXPECT_FALSE(IsFlag(3));
}

TEST_F(PathRunTest, RestartingItsOwnScriptRunsOnInTheSameFrame) {
    Load("ifflag 11 done\nsetflag 11\nrestartrole 2\ndone:\nsetflag 12\nrestartrole 65534\nend\n");
    PathRun();
    EXPECT_TRUE(IsFlag(12));
    EXPECT_EQ(gRole[1].pathNumber, 0) << "the player gets no script";
    EXPECT_EQ(Role().pathNumber, 0);
}

TEST_F(PathRunTest, TheClockWaitsAndCountsAcrossItsWrap) {
    Load("waitclock 2000\nsetflag 1\nmarkclock\ntop:\nifclocksince 10 late\nwait\njump top\nlate:\nsetflag 2\nend\n");
    gStoryClock = 999;
    PathRun();
    EXPECT_FALSE(IsFlag(1));
    gStoryClock = 1000;
    PathRun();
    EXPECT_TRUE(IsFlag(1)) << "a time past the clock's top waits for the top";
    EXPECT_EQ(gClockMark, 1000u);
    gStoryClock = 5; // wrapped: 6 frames since the mark
    PathRun();
    EXPECT_FALSE(IsFlag(2));
    gStoryClock = 10; // 11 frames
    PathRun();
    EXPECT_TRUE(IsFlag(2));
}

TEST_F(PathRunTest, PlaceMovesTheRoleToACellOfTheMap) {
    Load("place 4 6\nend\n");
    InsertDrawOrder(&Role(), 0);
    PathRun();
    EXPECT_EQ(Role().x, 64);
    EXPECT_EQ(Role().y, 96);
    EXPECT_EQ(Role().cellIndex, 64);
    EXPECT_EQ(DrawOrderBucket(0, 6), &Role());
}

TEST_F(PathRunTest, RoleTextIsCopiedAndFreed) {
    Load("say 12 \"hi\"\nsay 3 \"there\"\nunsay\nend\n");
    PathRun();
    ASSERT_NE(Role().text, nullptr);
    EXPECT_STREQ(Role().text, "hi");
    EXPECT_EQ(Role().textKind, 0u);
    PathRun();
    EXPECT_STREQ(Role().text, "there");
    EXPECT_EQ(Role().textKind, 3u);
    PathRun();
    EXPECT_EQ(Role().text, nullptr);
}

TEST_F(PathRunTest, DeletedHeldAndCompanionRolesDoNotRun) {
    Load("setflag 7\nend\n");
    for (uint32_t flag : {kRoleDeleted, kRoleHeld, kRoleCompanion}) {
        Role().flags = kRoleActive | flag;
        PathRun();
        EXPECT_FALSE(IsFlag(7));
    }
    Role().flags = kRoleActive;
    Role().talkLock = 1;
    PathRun();
    EXPECT_FALSE(IsFlag(7));
    Role().talkLock = 0;
    PathRun();
    EXPECT_TRUE(IsFlag(7));
}

TEST_F(PathRunTest, IfNearMeasuresFromTheOtherRole) {
    Load("ifnear 1 2 near\nend\nnear:\nsetflag 9\nend\n");
    gRole[1].x = 32;
    Role().x = 64;
    PathRun();
    EXPECT_TRUE(IsFlag(9));
    ClearFlag(9);
    Role().pathNumber = 2;
    Role().pathPc = 0;
    Role().x = 80;
    PathRun();
    EXPECT_FALSE(IsFlag(9));
}

// The renderer's share of a script move: the step's pixels each frame, the
// turn handed back at each cell.
void RendererMoves() {
    for (PathSlot& slot : gPathSlots) {
        if (slot.role == kSlotFree || (slot.position & kSlotPaused)) continue;
        RoleRecord& r = gRole[slot.role];
        r.x += slot.stepX;
        r.y += slot.stepY;
        if (r.x % 16 == 0 && r.y % 16 == 0) slot.position = uint16_t((slot.position + 1) | kSlotPaused);
    }
}

class PathWalkTest : public PathRunTest {
protected:
    void Frame() {
        PathRun();
        RendererMoves();
    }
    void Put(int i, int cx, int cy) {
        gRole[i].x = cx * 16;
        gRole[i].y = cy * 16;
        gRole[i].act.width = gRole[i].act.height = 1;
    }
};

TEST_F(PathWalkTest, WalkWaitLoop) {
    Load("top:\nwalkto 5 2\narrive\nsetwait 2\nwait\nwalkto 2 2\narrive\naddvar 1 1\njump top\n");
    Put(2, 2, 2);
    std::vector<int> xs;
    for (int frame = 0; frame < 60 && gTalkVar[1] == 0; ++frame) {
        Frame();
        xs.push_back(Role().x);
    }
    EXPECT_EQ(gTalkVar[1], 1u);
    EXPECT_EQ(Role().x, 36) << "back on cell 2, and the next trip starts in the same frame";
    EXPECT_EQ(*std::max_element(xs.begin(), xs.end()), 80) << "reached cell 5";
    EXPECT_EQ(std::count(xs.begin(), xs.end(), 80), 4) << "arrival, then a wait of two";
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(PathWalkTest, ABlockedStepPassesWhenOnlyRolesBlockAfterItsRetries) {
    Load("walkto 4 2\narrive\nsetflag 3\nend\n");
    Put(2, 2, 2);
    gMap.cells[2 * gMap.width + 3] |= 0x20000000; // a role that blocks stands east
    int paused = 0;
    for (int frame = 0; frame < 40 && Role().x == 32; ++frame) {
        Frame();
        if (Role().x == 32) ++paused;
    }
    EXPECT_EQ(paused, 8) << "eight blocked tries, the ninth ignores roles";
    for (int frame = 0; frame < 40 && !IsFlag(3); ++frame) Frame();
    EXPECT_TRUE(IsFlag(3));
    EXPECT_EQ(Role().x, 64);
    EXPECT_EQ(FindPathSlot(2), nullptr) << "the slot is freed at the end of the route";
}

TEST_F(PathWalkTest, TheRetryCountNeverWraps) {
    Load("walkto 4 2\narrive\nend\n");
    Put(2, 2, 2);
    gMap.cells[2 * gMap.width + 3] |= 0x20000000;
    Role().talkLock = 0;
    PathRun();
    PathSlot* slot = FindPathSlot(2);
    ASSERT_NE(slot, nullptr);
    slot->retries = 255;
    PathRun();
    EXPECT_EQ(slot->retries, 0) << "past eight tries walls alone block";
}

TEST_F(PathWalkTest, ATalkLockHoldsTheArrivalWait) {
    Load("walkto 4 2\narrive\nsetflag 3\nend\n");
    Put(2, 2, 2);
    Role().talkLock = 1;
    PathCommand(2); // the lock also keeps PathRun away; the wait itself holds too
    for (int frame = 0; frame < 20; ++frame) {
        PathCommand(2);
        RendererMoves();
    }
    EXPECT_EQ(Role().x, 32);
    EXPECT_FALSE(IsFlag(3));
    Role().talkLock = 0;
    for (int frame = 0; frame < 40 && !IsFlag(3); ++frame) Frame();
    EXPECT_TRUE(IsFlag(3));
}

TEST_F(PathWalkTest, RestartingAMovingRoleSnapsItToACell) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(AssemblePathDat("path 2\nifflag 30 done\nwalkto 8 2\narrive\nend\ndone:\nsetflag 31\nend\n"
                                "path 3\nsetwait 1\nwait\nsetflag 30\nrestartrole 2\nend\n",
                                &bytes, nullptr));
    SetPathDatabase(bytes);
    Put(2, 2, 2);
    TotalRole = 4;
    gRole[3].guid = 3;
    gRole[3].flags = kRoleActive;
    gRole[3].pathNumber = 3;
    Frame();
    Frame();
    ASSERT_EQ(Role().x, 40) << "half way to the next cell";
    Frame(); // role 3 restarts role 2
    EXPECT_EQ(Role().x, 48) << "rounded to the nearest cell";
    EXPECT_EQ(FindPathSlot(2), nullptr);
    EXPECT_EQ(Role().pathNumber, 2);
    EXPECT_EQ(Role().pathPc, 0u);
    Frame();
    EXPECT_TRUE(IsFlag(31)) << "its script ran again from the start";
}

TEST_F(PathWalkTest, AnUnreachableTargetPutsTheRoleThereWithItsDrawOrder) {
    Load("walkto 8 8\nend\n");
    Put(2, 2, 2);
    InsertDrawOrder(&Role(), 0);
    for (int c = 7; c <= 9; ++c)
        for (int r = 7; r <= 9; ++r)
            if (c != 8 || r != 8) gMap.cells[size_t(r) * gMap.width + size_t(c)] = 0x40000000;
    PathRun();
    EXPECT_EQ(Role().x, 128);
    EXPECT_EQ(Role().y, 128);
    EXPECT_EQ(DrawOrderBucket(0, 8), &Role());
    EXPECT_EQ(Boxes(), 1u);
}

TEST_F(PathWalkTest, FollowWalksToTheOtherRolesTurnedOffset) {
    Load("followoffset 1 0 2\narrive\nsetflag 4\nend\n");
    Put(1, 5, 5);
    gRole[1].act.dir = kFaceE; // (0, 2) turned east is (2, 0)
    Put(2, 1, 5);
    for (int frame = 0; frame < 80 && !IsFlag(4); ++frame) Frame();
    EXPECT_TRUE(IsFlag(4));
    EXPECT_EQ(Role().x, 7 * 16);
    EXPECT_EQ(Role().y, 5 * 16);
}

} // namespace
