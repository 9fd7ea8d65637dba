// The moves the map frame carries out: path slots, companion records and the
// player's move requests, on small grid maps.
#include "world/map/role_moves.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/world/walk/grid_map.h"
#include "world/map/draw_order.h"
#include "world/role/role_def.h"
#include "world/role/role_helpers.h"
#include "world/script/path_run.h"
#include "world/script/path_slot.h"
#include "world/script/path_walk.h"
#include "world/walk/astar.h"
#include "world/walk/key_cole.h"
#include "world/script/talk_machine.h"
#include "world/walk/map_events.h"
#include "world/map/map_archive.h"
#include "world/walk/key_state.h"
#include "world/talk_state.h"

namespace {

class RoleMovesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWalkWorld();
        ResetPathScripts();
        ResetRoleHelpers();
        AStarInit();
        LoadOpenGrid(60, 40);
        AllocDrawOrder();
        TotalRole = 3;
        gPlayerRole = 1;
        gMapScriptGuid = 1;
        Put(1, 1, 5, 5);
        Put(2, 2, 2, 2);
        ResetPartyLine();
    }
    void TearDown() override {
        FreeDrawOrder();
        AStarRelease();
        ResetPathScripts();
        ResetWalkWorld();
        gMap = MapData{};
    }
    RoleRecord& Put(uint32_t i, uint16_t guid, int cx, int cy) {
        RoleRecord& r = gRole[i];
        r = RoleRecord{};
        r.guid = guid;
        r.x = cx * 16;
        r.y = cy * 16;
        r.flags = kRoleActive;
        r.act.width = r.act.height = 1;
        r.act.markSM = 1;
        r.cellIndex = RoleCellIndex(&r);
        InsertDrawOrder(&r, 0);
        SetRoleBlockKind(&r);
        return r;
    }
    // Role 2 at cell (2, 5) joins the party; the whole trail lies at (column, 5).
    RoleRecord& Companion(int column) {
        RoleRecord& c = Put(2, 5, 2, 5);
        c.flags |= kRoleCompanion;
        EXPECT_EQ(PlaceRole(2), 1);
        for (int i = 0; i < kTrailLength; ++i) {
            gFollowTrailX[i] = column * 16;
            gFollowTrailY[i] = 5 * 16;
        }
        return c;
    }
    // A script move of role 2 one cell east.
    PathSlot& EastMove() {
        PathSlot& s = *FreePathSlot();
        s.role = 2;
        s.mode = kSlotModeScript;
        s.position = 0;
        s.stepX = 4;
        s.route[0] = 7;  // E
        s.route[1] = kRouteEnd;
        s.targetX = 3 * 16;
        s.targetY = 2 * 16;
        for (uint16_t& w : s.arrivalAct) w = 0xFFFF;
        return s;
    }
};

// A path step of 4 pixels doubles while the role's act has no SM mark, and
// again for a role far from the one it was sent to.
TEST_F(RoleMovesTest, PathStepsDoubleWithoutTheSmMarkAndAgainWhenFar) {
    struct Case {
        uint32_t markSM, far;
        int32_t pixels;
    };
    for (const Case& c : {Case{1, 0, 4}, Case{0, 0, 8}, Case{0, 1, 16}, Case{1, 1, 8}}) {
        SCOPED_TRACE(std::to_string(c.markSM) + "/" + std::to_string(c.far));
        ClearPathSlots();
        RoleRecord& r = Put(2, 2, 2, 2);
        r.act.markSM = c.markSM;
        if (c.far) r.flags |= kRoleFar;
        EastMove();
        StepPathMoves();
        EXPECT_EQ(r.x, 32 + c.pixels);
        EXPECT_EQ(r.act.dir, kFaceE);
    }
}

TEST_F(RoleMovesTest, AtItsCellTheRoleTakesItsMarksAlongAndArrives) {
    RoleRecord& r = gRole[2];
    r.talkLock = 1;
    r.flags |= 0x40000 | kRoleLit;
    gMap.cells[size_t(2) * 60 + 3] |= 0x800 | 0x3000;
    PathSlot& s = EastMove();
    s.arrivalAct[1] = 0;  // stand on arrival
    r.act.qq = 8;
    for (int i = 0; i < 4; ++i) StepPathMoves();
    EXPECT_EQ(r.x, 48);
    EXPECT_EQ(CellAt(2, 2) & kCellRoleHere, 0u);
    EXPECT_NE(CellAt(3, 2) & kCellRoleHere, 0u);
    EXPECT_EQ(r.cellIndex, 2 * 60 + 3);
    EXPECT_EQ(s.position, 1 | kSlotPaused);
    EXPECT_TRUE(r.flags & kRoleArrived);
    EXPECT_FALSE(r.flags & 0x40000);
    EXPECT_EQ(r.act.qq, 0);
    EXPECT_EQ(r.talkLock, 0);  // mode bit 7 clear: the lock goes
    EXPECT_TRUE(r.flags & kRoleCellBit11);
    EXPECT_EQ((r.flags >> 20) & 15, 3u);
    // Paused, the slot waits for the script: nothing moves.
    StepPathMoves();
    EXPECT_EQ(r.x, 48);
}

TEST_F(RoleMovesTest, ATouchingRoleThatReachesThePlayerStartsItsTalk) {
    RoleRecord& r = gRole[2];
    r.flags |= kRoleTouchTalk;
    r.talkNumber = 8;
    gRole[1].x = 4 * 16;  // the player, two cells east of the walker
    gRole[1].y = 2 * 16;
    EastMove();
    for (int i = 0; i < 3; ++i) StepPathMoves();
    EXPECT_FALSE(TalkRunsNow());  // between cells nothing starts
    StepPathMoves();
    ASSERT_TRUE(TalkRunsNow());
    EXPECT_EQ(gTalkContext.guid, 2);
    EXPECT_EQ(gTalkContext.talkNumber, 8);
}

TEST_F(RoleMovesTest, TheRunningTalksRoleDoesNotFollowItsScript) {
    gTalkContext.guid = 2;
    EastMove();
    StepPathMoves();
    EXPECT_EQ(gRole[2].x, 32);
    IdleTalkContext();
    StepPathMoves();
    EXPECT_EQ(gRole[2].x, 36);
}

// The request goes to the camera while it can scroll that way, else to the
// player alone while it may go there.
TEST_F(RoleMovesTest, MoveRequestsScrollTheCameraOrPushThePlayer) {
    struct Case {
        const char* name;
        int px, py, left, top, dx, dy;
        int wantDx, wantPush, wantDy, wantPushY;
    };
    const Case cases[] = {
        {"centre, right: the camera scrolls", 304, 240, 0, 0, 1, 0, 1, 0, 0, 0},
        {"left part, right: the player alone", 100, 240, 0, 0, 1, 0, 0, 1, 0, 0},
        {"camera at the map's right edge", 960 - 100, 240, 960 - 640, 0, 1, 0, 0, 1, 0, 0},
        {"left edge of the map, left: nothing", 0, 240, 0, 0, -1, 0, 0, 0, 0, 0},
        {"scrolled, left: the camera", 400, 240, 96, 0, -1, 0, -1, 0, 0, 0},
        {"top row, up: nothing", 304, 0, 0, 0, 0, -1, 0, 0, 0, 0},
        {"down near the bottom of the view", 304, 460, 0, 0, 0, 1, 0, 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gPlayerStep = PlayerStep{};
        gRole[1].x = c.px;
        gRole[1].y = c.py;
        gCamera = {c.left, c.top, c.left + 640, c.top + 480};
        RequestPlayerMove(c.dx, c.dy);
        EXPECT_EQ(gPlayerStep.dx, c.wantDx);
        EXPECT_EQ(gPlayerStep.pushDx, c.wantPush);
        EXPECT_EQ(gPlayerStep.dy, c.wantDy);
        EXPECT_EQ(gPlayerStep.pushDy, c.wantPushY);
    }
}

TEST_F(RoleMovesTest, AStepThatWouldPassTheCellIsCut) {
    for (auto [walk, step] : {std::pair{4, 4}, {32, 16}, {6, 4}, {0, 1}, {16, 16}}) {
        gWalkStep = walk;
        RequestPlayerMove(1, 0);
        EXPECT_EQ(gPlayerStep.step, step) << walk;
    }
    EXPECT_TRUE(PlayerMovesPending());
}

TEST_F(RoleMovesTest, ACompanionPlansToItsTrailPointAndSteps) {
    RoleRecord& c = Companion(5);
    gFollowTrailX[1] = 4 * 16;
    gCamera = {0, 0, 640, 480};
    CompanyWalk(2);
    const PathSlot& s = gCompanyPaths[1];
    EXPECT_EQ(s.role, 2);
    EXPECT_EQ(s.position & kSlotPaused, 0);
    EXPECT_EQ(s.stepX, 8);
    EXPECT_EQ(c.act.qq, 8);
    EXPECT_EQ(c.act.dir, kFaceE);
    StepPartyMoves();
    StepPartyMoves();
    EXPECT_EQ(c.x, 3 * 16);
    EXPECT_NE(CellAt(3, 5) & kCellRoleHere, 0u);
    EXPECT_EQ(CellAt(2, 5) & kCellRoleHere, 0u);
    // A role that is not in the party line is reported once.
    const size_t boxes = HeadlessMessageBoxes().size();
    Put(0, 9, 8, 8);
    CompanyWalk(0);
    CompanyWalk(0);
    EXPECT_EQ(HeadlessMessageBoxes().size(), boxes + 1);
}

TEST_F(RoleMovesTest, ACompanionFarOffTheScreenCatchesUpAtOnce) {
    RoleRecord& c = Companion(50);
    gCamera = {640 - 96, 0, 640 - 96 + 640, 480};
    CompanyWalk(2);
    // Carried along the route until it stands inside the widened view.
    EXPECT_GE(c.x, 640 - 96 - 80);
    EXPECT_LT(c.x, 50 * 16);
    EXPECT_EQ(c.x % 16, 0);
    EXPECT_NE(CellAt(c.x / 16, 5) & kCellRoleHere, 0u);
    EXPECT_EQ(CellAt(2, 5) & kCellRoleHere, 0u);
}

// The named point of a map event: value 0 its talk (bit 15 ignored), value 1
// the story flag that blocks its cell.
TEST_F(RoleMovesTest, MapEventsStartTheirTalkAndAreBlockedByTheirFlag) {
    gMapPoints = {MapPoint{5, {0x8009, 44, 0}, "well"}, MapPoint{6, {3, 0, 0}, "gate"}};
    EXPECT_FALSE(MapEventBlocked(5));
    SetFlag(44);
    EXPECT_TRUE(MapEventBlocked(5));
    EXPECT_FALSE(MapEventBlocked(6));  // flag 0: never blocked
    EXPECT_FALSE(MapEventBlocked(7));
    StartMapEventTalk(7, 1, 2);  // no such point: nothing starts
    EXPECT_FALSE(TalkRunsNow());
    StartMapEventTalk(5, 10, 20);
    EXPECT_TRUE(TalkRunsNow());
    EXPECT_EQ(gTalkContext.talkNumber, 9);
    EXPECT_EQ(gTalkContext.guid, kGuidNone);
    EXPECT_EQ(gTalkContext.flags, 0u);
    EXPECT_EQ(gTalkContext.x, 10);
    EXPECT_EQ(gTalkContext.y, 20);
    gRole[2].talkNumber = 12;
    gRole[2].talkPc = 3;
    // One talk at a time: a role's talk does not take over the running one.
    StartRoleTalk(2);
    EXPECT_EQ(gTalkContext.talkNumber, 9);
    EXPECT_EQ(gTalkContext.guid, kGuidNone);
    IdleTalkContext();
    StartRoleTalk(2);
    EXPECT_EQ(gTalkContext.guid, 2);
    EXPECT_EQ(gTalkContext.talkNumber, 12);
    EXPECT_EQ(gTalkContext.talkPc, 3);
    EXPECT_EQ(gTalkContext.flags, uint32_t(kRoleActive));
    gMapPoints.clear();
}

TEST_F(RoleMovesTest, TheControlHandsOverToTheRealModulesByDefault) {
    ResetKeyCole();
    EXPECT_EQ(gKeyColeHooks.requestMove, &RequestPlayerMove);
    EXPECT_EQ(gKeyColeHooks.movesPending, &PlayerMovesPending);
    EXPECT_EQ(gKeyColeHooks.startEventTalk, &StartMapEventTalk);
    // A press walks: the request reaches the renderer's step.
    gKeyState[kKeyDown].framesHeld = 1;
    gKeyState[kKeyDown].state = 1;
    gCamera = {0, 0, 640, 480};
    gMapWalkStep = 4;
    gWalkStep = 16;  // left from the game's set-up
    KeyColeRun();
    EXPECT_EQ(gPlayerStep.pushDy, 1);
    EXPECT_EQ(gPlayerStep.step, 4);  // the walk's own step from its first cell
    EXPECT_TRUE(PlayerMovesPending());
    // While the step runs the control waits.
    gKeyState[kKeyDown] = KeyState{};
    gKeyState[kKeyUp].framesHeld = 1;
    KeyColeRun();
    EXPECT_EQ(gPlayerStep.pushDy, 1);
    // The menu key asks for the root menu.
    gPlayerStep = PlayerStep{};
    gKeyState[kKeyUp] = KeyState{};
    gKeyState[kKeyMenu].framesHeld = 1;
    KeyColeRun();
    EXPECT_EQ(gMenuRequest, 0x80000001u);
    gMenuRequest = 0;
}

} // namespace
