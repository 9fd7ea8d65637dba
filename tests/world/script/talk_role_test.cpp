// The role, movement and view instructions of the talk machine, one
// instruction at a time on a small generated map. Walking is carried out by
// the renderer's own path moves (StepTalkMoves) so that the waits can be run
// frame by frame; every wait that could stall has a fixture that must end
// within a bound.
#include "world/script/talk_role.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/errorbox.h"
#include "base/game_state.h"
#include "platform/headless/headless.h"
#include "tests/support/talk_moves.h"
#include "tests/world/role/role_def_image.h"
#include "tests/world/script/talk_test_util.h"
#include "tests/world/walk/grid_map.h"
#include "world/game_buffers.h"
#include "world/map/draw_order.h"
#include "world/map/map_effects.h"
#include "world/map/map_render.h"
#include "world/maps_image.h"
#include "world/new_game.h"
#include "world/role/role_def.h"
#include "world/role/role_helpers.h"
#include "world/script/path_slot.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"
#include "world/world_reset.h"

namespace {

constexpr uint16_t kGuidA = 20, kGuidB = 21, kGuidOff = 30, kGuidNoDef = 99;

class TalkRoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ResetErrorBoxes();
        ResetStoryFlags();
        ResetGameState();
        ResetWorld();
        ResetKeyStates();
        ResetTalkMachine();
        ClearPathSlots();
        LoadOpenGrid(80, 60);
        AllocDrawOrder();
        gCamera = {0, 0, kViewWidth, kViewHeight};
        MakeDefs();
        AddRole(0, 1, 10, 10);  // the player
        gPlayerRole = 0;
        AddRole(1, kGuidA, 5, 5);
        AddRole(2, kGuidB, 8, 5);
        ResetPartyLine();
    }
    void TearDown() override {
        FreeMapsImage();
        gRoleDef = nullptr;
        gRoleDefBytes = 0;
        ResetWorld();
        ResetTalkMachine();
        ClearPathSlots();
    }

    // Definitions for kGuidA, kGuidB and kGuidOff (map 0), in a maps.dat image.
    void MakeDefs() {
        InstallRoleDefImage({kGuidA, kGuidB, kGuidOff}, {0, 0, 0, 1, 2, 3, 4, 7, 0, 0, 0x8000, 0});
    }
    static RoleDef Def(uint16_t guid) { return GetRoleDefAt(uint32_t(FindRoleDef(guid))); }

    static RoleRecord& AddRole(uint32_t i, uint16_t guid, int cx, int cy) {
        RoleRecord& r = gRole[i];
        r = RoleRecord{};
        ResetActRecord(&r.act);
        r.guid = guid;
        r.x = cx * 16;
        r.y = cy * 16;
        r.flags = kRoleActive;
        r.cellIndex = RoleCellIndex(&r);
        InsertDrawOrder(&r, 0);
        if (TotalRole <= i) TotalRole = i + 1;
        return r;
    }

    static PathSlot* SlotForRole(uint32_t i) { return FindPathSlot(i); }
    static void SetDefFlags(uint16_t guid, uint16_t flags) {
        RoleDef d = Def(guid);
        d.flags = flags;
        PutRoleDefAt(uint32_t(FindRoleDef(guid)), d);
    }
    static void MarkCellsForTest() { SetRoleBlockKind(&gRole[1]); }

    static size_t Boxes() { return HeadlessMessageBoxes().size(); }
    static std::string LastCaption() {
        return HeadlessMessageBoxes().empty() ? std::string() : HeadlessMessageBoxes().back().caption;
    }

    // Runs the one instruction of `code` at offset 0.
    static TalkStep Run(const std::string& code) {
        if (!LoadTalkCode(code)) return TalkStep::kFail;
        return RunTalkInstrAt(0);
    }

    // Runs the instruction at pc once a frame until it stops waiting; the
    // frames it took, or `limit` + 1 when it never did.
    static int RunFrames(uint32_t pc, int limit, TalkStep* last = nullptr) {
        for (int frame = 1; frame <= limit; ++frame) {
            const TalkStep step = RunTalkInstrAt(pc);
            if (last) *last = step;
            if (step != TalkStep::kWait) return frame;
            StepTalkMoves();
        }
        return limit + 1;
    }
};

// ---- Act, facing and speed --------------------------------------------------------------------------

struct ActCase {
    const char* code;
    int act, qq, dir;
    uint16_t waitOverride;  // before and after
    uint16_t wantOverride;
    bool scriptFlag;
};

TEST_F(TalkRoleTest, ActInstructionsSetTheRolesAct) {
    const ActCase cases[] = {
        {"setqq 20 8", 0, 8, 0, 9, 9, false},
        {"setdir 20 3", 0, 0, 3, 9, 9, true},
        {"setactqqdir 20 0 5 -1", 0, 5, 0, 9, 9, true},
        {"setactqqdir 20 -1 -1 6", 0, 0, 6, 9, 9, true},
        {"setwait 20 7", 0, 0, 0, 9, 7, false},
        {"clearwait 20", 0, 0, 0, 9, 0xFFFF, false},
        {"setspeed 20 3", 0, 0, 0, 9, 0x8003, false},
        {"clearspeed 20", 0, 0, 0, 9, 0, false},
    };
    for (const ActCase& c : cases) {
        SCOPED_TRACE(c.code);
        AddRole(1, kGuidA, 5, 5).act.waitOverride = c.waitOverride;
        EXPECT_EQ(Run(c.code), TalkStep::kContinue);
        EXPECT_EQ(gRole[1].act.act, c.act);
        EXPECT_EQ(gRole[1].act.qq, c.qq);
        EXPECT_EQ(gRole[1].act.dir, c.dir);
        EXPECT_EQ(gRole[1].act.waitOverride, c.wantOverride);
        EXPECT_EQ((gRole[1].flags & kRoleScriptAct) != 0, c.scriptFlag);
    }
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(TalkRoleTest, ActChangesOfARoleOffTheMapGoIntoItsDefinition) {
    EXPECT_EQ(Run("setqq 30 9"), TalkStep::kContinue);
    EXPECT_EQ(Def(kGuidOff).act[1], 9);
    EXPECT_EQ(Def(kGuidOff).flags, 0x9000);
    EXPECT_EQ(Run("setdir 30 6"), TalkStep::kContinue);
    EXPECT_EQ(Def(kGuidOff).act[2], 6);
    EXPECT_EQ(Run("setact 30 44"), TalkStep::kContinue);
    EXPECT_EQ(Def(kGuidOff).act[0], 44);
    EXPECT_EQ(Run("setactqqdir 30 -1 2 -1"), TalkStep::kContinue);
    EXPECT_EQ(Def(kGuidOff).act[0], 44);
    EXPECT_EQ(Def(kGuidOff).act[1], 2);
    // Without a definition nothing changes and nothing is reported.
    EXPECT_EQ(Run("setqq 99 1"), TalkStep::kContinue);
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(TalkRoleTest, ARunOfActChangesForOneRoleStepsItsActOnceAfterTheLast) {
    // Act 77 has no stream: every step is reported, so the boxes count the steps.
    gRole[1].act.act = 77;
    ASSERT_TRUE(LoadTalkCode("setqq 20 8\nsetdir 20 3\nsetqq 21 1\nsetact 20 77"));
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kContinue);
    EXPECT_EQ(RunTalkInstrAt(6), TalkStep::kContinue);  // the next one is for another role: stepped
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_EQ(LastCaption(), "Act Err(Talk:ChangDir)");
    ASSERT_TRUE(LoadTalkCode("setqq 20 8\nsetdir 20 3\nsetact 20 77\nunlock 20"));
    HeadlessReset();
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kContinue);
    EXPECT_EQ(RunTalkInstrAt(6), TalkStep::kContinue);
    EXPECT_EQ(Boxes(), 0u);
    EXPECT_EQ(RunTalkInstrAt(12), TalkStep::kContinue);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_EQ(LastCaption(), "Act Err(Talk:ChangAct)");
}

TEST_F(TalkRoleTest, ActZeroIsReportedAndTheTalkGoesOn) {
    EXPECT_EQ(Run("setact 20 0"), TalkStep::kContinue);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_EQ(gRole[1].act.act, 0);
}

TEST_F(TalkRoleTest, RestoreInstructionsTakeTheSavedCopies) {
    ActRecord& a = gRole[1].act;
    a.qq = 8;
    a.dir = 2;
    a.savedQq = 0;
    a.savedDir = 5;
    EXPECT_EQ(Run("restoreqq 20"), TalkStep::kContinue);
    EXPECT_EQ(a.qq, 0);
    EXPECT_EQ(a.savedQq, -1);
    EXPECT_EQ(Run("restoreqq 20"), TalkStep::kContinue);  // nothing saved: kept
    EXPECT_EQ(a.qq, 0);
    EXPECT_EQ(Run("restoredir 20"), TalkStep::kContinue);
    EXPECT_EQ(a.dir, 5);
    a.savedAct = 0;
    a.savedQq = 16;
    a.savedDir = -1;
    a.cursor = 12;
    EXPECT_EQ(Run("restoreact 20"), TalkStep::kContinue);
    EXPECT_EQ(a.qq, 16);
    EXPECT_EQ(a.dir, 5);
    EXPECT_EQ(a.cursor, 0);
    EXPECT_EQ(a.savedQq, -1);
}

TEST_F(TalkRoleTest, WaitPassWaitsForThePassCounterAndRefusesMoreThanTheMark) {
    ActRecord& a = gRole[1].act;
    a.act = 5;
    a.stepWord = 0x0104;  // pass 1 of mark 4
    EXPECT_EQ(Run("waitpass 20 2"), TalkStep::kWait);
    a.stepWord = 0x0204;
    EXPECT_EQ(Run("waitpass 20 2"), TalkStep::kContinue);
    EXPECT_EQ(Boxes(), 0u);
    EXPECT_EQ(Run("waitpass 20 5"), TalkStep::kContinue);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_EQ(Run("waitpass 55 1"), TalkStep::kContinue);  // not on the map
    EXPECT_EQ(Boxes(), 2u);
    a.act = 0;  // an act that plays nothing never counts: no wait
    a.stepWord = 0x0004;
    EXPECT_EQ(Run("waitpass 20 2"), TalkStep::kContinue);
}

TEST_F(TalkRoleTest, TurnFaceTurnsRoleOneTowardRoleTwoAndHoldsIt) {
    struct Case {
        int cx, cy;
        int dir;
    } cases[] = {{12, 5, kFaceE}, {1, 5, kFaceW}, {5, 1, kFaceN}, {5, 9, kFaceS}, {5, 5, 0}};
    for (const Case& c : cases) {
        AddRole(2, kGuidB, c.cx, c.cy);
        gRole[1].flags &= ~kRoleHeld;
        gRole[1].act.dir = 6;
        gRole[1].act.qq = 8;
        EXPECT_EQ(Run("turnface 20 21"), TalkStep::kContinue);
        EXPECT_EQ(gRole[1].act.dir, c.dir) << c.cx << "," << c.cy;
        EXPECT_EQ(gRole[1].act.qq, 0);
        EXPECT_TRUE(gRole[1].flags & kRoleHeld);
    }
}

TEST_F(TalkRoleTest, SeekActRestartsTheAct) {
    gRole[1].act.cursor = 9;
    gRole[1].act.wait = 3;
    EXPECT_EQ(Run("seekact 20 3"), TalkStep::kContinue);
    EXPECT_EQ(gRole[1].act.cursor, 0);
    EXPECT_EQ(gRole[1].act.wait, 0);
}

// ---- Flags, definitions and records ------------------------------------------------------------------

struct FlagCase {
    const char* mnemonic;
    uint32_t flag;
};

TEST_F(TalkRoleTest, FlagSwitchesSetAndClearOnTheMapAndInTheDefinition) {
    const FlagCase cases[] = {{"flag40", 0x40},     {"flag20", 0x20},     {"flag10", 0x10},   {"flag1000", 0x1000},
                              {"flag800", 0x800},   {"flag2000", 0x2000}, {"flag100", 0x100}, {"flag4000", 0x4000}};
    for (const FlagCase& c : cases) {
        SCOPED_TRACE(c.mnemonic);
        const std::string m = c.mnemonic;
        EXPECT_EQ(Run(m + " 20 1"), TalkStep::kContinue);
        EXPECT_TRUE(gRole[1].flags & c.flag);
        EXPECT_EQ(Run(m + " 20 0"), TalkStep::kContinue);
        EXPECT_FALSE(gRole[1].flags & c.flag);
        EXPECT_EQ(Run(m + " starter 1"), TalkStep::kContinue);  // the starter stands for the player
        EXPECT_TRUE(gRole[0].flags & c.flag);
        gRole[0].flags = kRoleActive;
        EXPECT_EQ(Run(m + " 30 1"), TalkStep::kContinue);
        EXPECT_TRUE(Def(kGuidOff).flags & c.flag);
        EXPECT_EQ(Run(m + " 30 0"), TalkStep::kContinue);
        EXPECT_FALSE(Def(kGuidOff).flags & c.flag);
    }
}

TEST_F(TalkRoleTest, FlagSwitchesRemarkTheCells) {
    gRole[1].act.act = 1;  // a role with an act marks its cells
    EXPECT_EQ(Run("flag4000 20 1"), TalkStep::kContinue);
    EXPECT_TRUE(CellAt(5, 5) & kCellRoleMark29);
    EXPECT_EQ(Run("flag4000 20 0"), TalkStep::kContinue);
    EXPECT_FALSE(CellAt(5, 5) & kCellRoleMark29);
    EXPECT_TRUE(CellAt(5, 5) & kCellRoleHere);
}

TEST_F(TalkRoleTest, HideAndShow) {
    gRole[1].act.act = 1;
    gRole[1].flags |= 0x10000 | kRoleMarkBit29;
    MarkCellsForTest();
    *FreePathSlot() = PathSlot{1};
    EXPECT_EQ(Run("hide 20"), TalkStep::kContinue);
    EXPECT_EQ(gRole[1].flags, uint32_t(kRoleMarkBit29));
    EXPECT_EQ(FindPathSlot(1), nullptr);
    EXPECT_FALSE(CellAt(5, 5) & kCellRoleHere);
    gRole[1].act.savedQq = 3;
    EXPECT_EQ(Run("show 20"), TalkStep::kContinue);
    EXPECT_TRUE(gRole[1].flags & kRoleActive);
    EXPECT_EQ(gRole[1].act.savedQq, -1);
    EXPECT_TRUE(CellAt(5, 5) & kCellRoleHere);
    EXPECT_EQ(Run("hide 30"), TalkStep::kContinue);
    EXPECT_EQ(Def(kGuidOff).flags, 0);
    EXPECT_EQ(Run("show 30"), TalkStep::kContinue);
    EXPECT_EQ(Def(kGuidOff).flags, 0x8000);
}

TEST_F(TalkRoleTest, HiddenFlagAndCompanions) {
    EXPECT_EQ(Run("flag400on 20"), TalkStep::kYield);
    EXPECT_TRUE(gRole[1].flags & kRoleHidden);
    EXPECT_EQ(Run("flag400off 20"), TalkStep::kYield);
    EXPECT_FALSE(gRole[1].flags & kRoleHidden);
    EXPECT_EQ(Run("flag400on 30"), TalkStep::kYield);
    EXPECT_TRUE(Def(kGuidOff).flags & kRoleHidden);
    gRole[2].flags |= kRoleCompanion;
    EXPECT_EQ(Run("party400on"), TalkStep::kContinue);
    EXPECT_TRUE(gRole[2].flags & kRoleHidden);
    EXPECT_FALSE(gRole[1].flags & kRoleHidden);
    EXPECT_EQ(Run("party400off"), TalkStep::kContinue);
    EXPECT_FALSE(gRole[2].flags & kRoleHidden);
    EXPECT_EQ(Run("nostep 20"), TalkStep::kContinue);
    EXPECT_TRUE(gRole[1].flags & kRoleFar);
    EXPECT_EQ(Run("flag40000 starter"), TalkStep::kContinue);
    EXPECT_TRUE(gRole[0].flags & 0x40000);
}

TEST_F(TalkRoleTest, DrawPlanesMoveTheRoleBetweenPlanes) {
    EXPECT_EQ(Run("plane1 20"), TalkStep::kYield);
    EXPECT_EQ(gRole[1].flags & 3, 1u);
    EXPECT_EQ(gRole[1].drawPlane, 1);
    EXPECT_EQ(Run("plane2 20"), TalkStep::kYield);
    EXPECT_EQ(gRole[1].drawPlane, 2);
    EXPECT_EQ(Run("plane0 20"), TalkStep::kYield);
    EXPECT_EQ(gRole[1].drawPlane, 0);
    EXPECT_EQ(gRole[1].flags & 3, 0u);
}

TEST_F(TalkRoleTest, TalkAndPathNumbers) {
    EXPECT_EQ(Run("settalk 20 321"), TalkStep::kContinue);
    EXPECT_EQ(gRole[1].talkNumber, 321);
    EXPECT_EQ(Run("settalk 30 322"), TalkStep::kContinue);
    EXPECT_EQ(Def(kGuidOff).talk, 322);
    EXPECT_EQ(Run("setpath 30 12"), TalkStep::kYield);
    EXPECT_EQ(Def(kGuidOff).path, 12);
    EXPECT_TRUE(Def(kGuidOff).flags & kRoleScriptAct);
}

// The step back of a script move is one move back to the cell the step
// left, whatever the direction; an axis without a step rounds.
TEST_F(TalkRoleTest, NewPathStopsAScriptMoveOnTheCellItsStepLeft) {
    struct Case {
        int x, y, stepX, stepY, wantX, wantY;
    } cases[] = {{84, 80, 4, 0, 80, 80}, {84, 92, -4, -4, 96, 96}, {84, 92, 0, 0, 80, 96}, {80, 87, 0, 4, 80, 80}};
    for (const Case& c : cases) {
        PathSlot* slot = FreePathSlot();
        *slot = PathSlot{};
        slot->role = 1;
        slot->mode = kSlotModeScript;
        slot->stepX = int16_t(c.stepX);
        slot->stepY = int16_t(c.stepY);
        gRole[1].x = c.x;
        gRole[1].y = c.y;
        EXPECT_EQ(Run("setpath 20 6"), TalkStep::kYield);
        EXPECT_EQ(gRole[1].x, c.wantX);
        EXPECT_EQ(gRole[1].y, c.wantY);
        EXPECT_EQ(FindPathSlot(1), nullptr);
        EXPECT_EQ(gRole[1].pathNumber, 6);
        EXPECT_EQ(gRole[1].pathPc, 0u);
    }
    // A talk move only forgets the script move it keeps.
    PathSlot* slot = FreePathSlot();
    *slot = PathSlot{};
    slot->role = 1;
    slot->mode = kSlotModeTalk;
    EXPECT_EQ(Run("setpath 20 7"), TalkStep::kYield);
    ASSERT_EQ(FindPathSlot(1), slot);
    EXPECT_EQ(slot->talkWords[2], 0xFFFF);
}

TEST_F(TalkRoleTest, IconsAreTheSharedAnimationsAndABadNumberEndsTheTalk) {
    EXPECT_EQ(Run("icon 20 11"), TalkStep::kYield);
    EXPECT_EQ(gRole[1].extraAct, &gFreeActs[11]);
    EXPECT_EQ(Run("iconoff 20"), TalkStep::kYield);
    EXPECT_EQ(gRole[1].extraAct, nullptr);
    EXPECT_EQ(Run("icon 20 12"), TalkStep::kFail);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_EQ(gRole[1].extraAct, nullptr);
}

// Icons are shared: releasing the roles frees an act a role owns alone and
// never one of the shared icons (the sanitizer build checks the deletes).
TEST_F(TalkRoleTest, ReleasingTheRolesLeavesTheSharedIcons) {
    EXPECT_EQ(Run("icon 20 0"), TalkStep::kYield);
    EXPECT_EQ(Run("icon 21 11"), TalkStep::kYield);
    gRole[0].extraAct = new ActRecord{};
    FreeRoleBuffers();
    EXPECT_EQ(gRole[1].extraAct, nullptr);
    EXPECT_EQ(gRole[0].extraAct, nullptr);
}

TEST_F(TalkRoleTest, DefineRoleAppendsOverwritesAndStopsAtTheTable) {
    gCurrentMap = 0;
    // kGuidOff is not on the map: appended.
    EXPECT_EQ(Run("defrole 30 0xFFFF 4 11 12 0 0 0"), TalkStep::kContinue);
    ASSERT_EQ(TotalRole, 4u);
    EXPECT_EQ(gRole[3].guid, kGuidOff);
    EXPECT_EQ(gRole[3].x, 11 * 16);
    EXPECT_EQ(gRole[3].pathNumber, 4);
    EXPECT_GE(gRole[3].drawPlane, 0);
    EXPECT_EQ(Def(kGuidOff).cellX, 11);
    // kGuidA is: rebuilt in place at the player's cell.
    EXPECT_EQ(Run("defrole 20 0xFFFF 0 0xFFFF 0xFFFF 0 0 0"), TalkStep::kContinue);
    EXPECT_EQ(TotalRole, 4u);
    EXPECT_EQ(gRole[1].x, 10 * 16);
    EXPECT_EQ(gRole[1].y, 10 * 16);
    EXPECT_FALSE(gRole[1].flags & kRoleDeleted);
    // Another map: only the definition changes.
    EXPECT_EQ(Run("defrole 21 3 0 1 1 0 0 0"), TalkStep::kContinue);
    EXPECT_EQ(Def(kGuidB).map, 3);
    EXPECT_TRUE(gRole[2].flags & kRoleDeleted);
    // No definition: reported, nothing added.
    EXPECT_EQ(Run("defrole 99 0xFFFF 0 1 1 0 0 0"), TalkStep::kContinue);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_EQ(TotalRole, 4u);
    // A full table refuses to append past its last record.
    TotalRole = kMaxRoles;
    gRole[3].guid = 77;
    EXPECT_EQ(Run("defrole 30 0xFFFF 4 11 12 0 0 0"), TalkStep::kContinue);
    EXPECT_EQ(TotalRole, kMaxRoles);
    EXPECT_EQ(Boxes(), 2u);
}

TEST_F(TalkRoleTest, DefineRoleGivesAChimneyOneFreeRecord) {
    SetDefFlags(kGuidOff, 0x8000 | kRoleChimney);
    gChimneys[0].guid = 5;
    EXPECT_EQ(Run("defrole 30 0xFFFF 0 11 12 0 0 0"), TalkStep::kContinue);
    EXPECT_EQ(gChimneys[0].guid, 5);
    EXPECT_EQ(gChimneys[1].guid, kGuidOff);
    EXPECT_EQ(gChimneys[1].x, 11 * 16);
    EXPECT_EQ(gChimneys[2].guid, 0);
    EXPECT_EQ(gChimneys[3].guid, 0);
    // Again: the same record, not another.
    EXPECT_EQ(Run("defrole 30 0xFFFF 0 13 12 0 0 0"), TalkStep::kContinue);
    EXPECT_EQ(gChimneys[1].x, 13 * 16);
    EXPECT_EQ(gChimneys[2].guid, 0);
}

TEST_F(TalkRoleTest, PlaceRoleJoinsOnceAndNotPastTheLine) {
    EXPECT_EQ(Run("placerole 20"), TalkStep::kYield);
    EXPECT_EQ(gPartyCount, 2u);
    EXPECT_TRUE(gRole[1].flags & kRoleCompanion);
    EXPECT_EQ(Run("placerole 20"), TalkStep::kYield);
    EXPECT_EQ(gPartyCount, 2u);
    for (uint32_t i = 3; i < 12; ++i) AddRole(i, uint16_t(100 + i), 1, int(i));
    for (uint32_t i = 3; i < 12; ++i) Run("placerole " + std::to_string(100 + i));
    EXPECT_EQ(gPartyCount, uint32_t(kPartyLineSlots));
}

TEST_F(TalkRoleTest, RemoveCompanionLeavesTheLineWithItsNewWords) {
    EXPECT_EQ(Run("placerole 20"), TalkStep::kYield);
    ASSERT_EQ(gPartyCount, 2u);
    // guid, act, qq, dir, talk, path, flags
    EXPECT_EQ(Run("removecompanion 20 3 4 5 61 7 0x8000"), TalkStep::kYield);
    EXPECT_EQ(gPartyCount, 1u);
    EXPECT_EQ(gRole[1].act.act, 3);
    EXPECT_EQ(gRole[1].act.dir, 5);
    EXPECT_EQ(gRole[1].talkNumber, 61);
    EXPECT_EQ(gRole[1].pathNumber, 7);
    EXPECT_EQ(gRole[1].flags, 0x8000u);
}

TEST_F(TalkRoleTest, BecomePlayer) {
    EXPECT_EQ(Run("becomeplayer 21"), TalkStep::kContinue);
    EXPECT_EQ(gPlayerRole, 2u);
    EXPECT_EQ(gMapScriptGuid, uint32_t(kGuidB));
    EXPECT_EQ(Run("becomeplayer 55"), TalkStep::kContinue);
    EXPECT_EQ(gPlayerRole, 2u);
}

// ---- Tests -----------------------------------------------------------------------------------------

struct JumpCase {
    const char* code;
    bool jumps;
};

TEST_F(TalkRoleTest, TestInstructionsJumpWhenTheirConditionHolds) {
    gRole[1].act.qq = 8;
    gRole[0].act.qq = 16;
    gRole[2].flags |= kRoleWalking;
    const JumpCase cases[] = {
        {"ifqq 20 8 t\nt:\nend", true},      {"ifqq 20 0 t\nt:\nend", false},
        {"ifnotqq 20 0 t\nt:\nend", true},   {"ifqq starter 16 t\nt:\nend", true},
        {"ifqq 30 1 t\nt:\nend", true},      {"ifnotqq 30 1 t\nt:\nend", false},
        {"ifqq 99 1 t\nt:\nend", false},     {"ifnotqq 99 1 t\nt:\nend", false},
        {"ifroleat 1 5 5 t\nt:\nend", true}, {"ifroleat 1 5 6 t\nt:\nend", false},
        {"ifpointfar 5 5 1 20 t\nt:\nend", false}, {"ifpointfar 9 5 1 20 t\nt:\nend", true},
        {"ifrolesfar 20 21 2 t\nt:\nend", true}, {"ifrolesfar 20 21 3 t\nt:\nend", false},
        {"ifanywalking t\nt:\nend", true},   {"ifnonewalking t\nt:\nend", false},
        {"iffollowers t\nt:\nend", false},
    };
    for (const JumpCase& c : cases) {
        SCOPED_TRACE(c.code);
        const TalkStep step = Run(c.code);
        EXPECT_EQ(step, c.jumps ? TalkStep::kJump : TalkStep::kContinue);
    }
    EXPECT_EQ(Boxes(), 0u);
    gRole[2].flags &= ~kRoleWalking;
    gRole[2].flags |= kRoleCompanion;
    EXPECT_EQ(Run("ifnonewalking t\nt:\nend"), TalkStep::kJump);
    EXPECT_EQ(Run("iffollowers t\nt:\nend"), TalkStep::kJump);
}

TEST_F(TalkRoleTest, RoleAtRefusesARoleIndexOutsideTheTable) {
    EXPECT_EQ(Run("ifroleat 3 5 5 t\nt:\nend"), TalkStep::kFail);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_EQ(Run("ifroleat 0xFFFF 5 5 t\nt:\nend"), TalkStep::kFail);
    gRole[2].flags |= kRoleDeleted;
    EXPECT_EQ(Run("ifroleat 2 8 5 t\nt:\nend"), TalkStep::kFail);
    EXPECT_EQ(Boxes(), 3u);
}

TEST_F(TalkRoleTest, DistanceTestsReportARoleThatIsNotOnTheMap) {
    EXPECT_EQ(Run("ifpointfar 5 5 1 55 t\nt:\nend"), TalkStep::kContinue);
    EXPECT_EQ(Run("ifrolesfar 20 55 1 t\nt:\nend"), TalkStep::kContinue);
    EXPECT_EQ(Boxes(), 2u);
}

TEST_F(TalkRoleTest, TalkPathTestsSwitchRunOnOff) {
    EXPECT_EQ(Run("ifpathidle 20 t\nt:\nend"), TalkStep::kContinue);  // no talk path
    PathSlot* slot = FreePathSlot();
    slot->role = 1;
    slot->mode = kSlotModeTalk;
    gTalkMachine.runOn = true;
    EXPECT_EQ(Run("ifpathwalking 20 t\nt:\nend"), TalkStep::kContinue);
    EXPECT_TRUE(gTalkMachine.runOn);
    EXPECT_EQ(Run("ifpathidle 20 t\nt:\nend"), TalkStep::kJump);
    EXPECT_FALSE(gTalkMachine.runOn);
    gRole[1].flags |= kRoleWalking;
    EXPECT_EQ(Run("ifpathwalking 20 t\nt:\nend"), TalkStep::kJump);
}

// ---- Movement ------------------------------------------------------------------------------------------

TEST_F(TalkRoleTest, WalkToTakesATalkPathAndStepsArriveAtTheCell) {
    gTalkContext.guid = kGuidA;
    gRole[1].flags |= kRoleTalkStarter;
    EXPECT_EQ(Run("walkto 20 9 7\nstep 20"), TalkStep::kContinue);
    PathSlot* slot = SlotForRole(1);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->mode & 0x0F, kSlotModeTalk);
    EXPECT_FALSE(gRole[1].flags & kRoleTalkStarter);
    EXPECT_EQ(gRole[1].act.prevQq, -1);
    int frames = 0;
    while (frames < 200 && !(gRole[1].x == 9 * 16 && gRole[1].y == 7 * 16)) {
        EXPECT_EQ(RunTalkInstrAt(8), TalkStep::kYield);
        StepTalkMoves();
        ++frames;
    }
    EXPECT_EQ(gRole[1].x, 9 * 16);
    EXPECT_EQ(gRole[1].y, 7 * 16);
    EXPECT_LT(frames, 40);
    EXPECT_EQ(iMove(1), 2);
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(TalkRoleTest, WalkToHoldsThePlayerAndReportsARoleNotOnTheMap) {
    EXPECT_EQ(Run("walkto player 12 10"), TalkStep::kContinue);
    EXPECT_TRUE(gDialogState & kDialogPlayerHeld);
    EXPECT_EQ(Run("walkto 55 12 10"), TalkStep::kContinue);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_EQ(LastCaption(), "setpos");
    EXPECT_EQ(Run("walkmany 2 20 6 6 21 9 9"), TalkStep::kContinue);
    EXPECT_NE(SlotForRole(1), nullptr);
    EXPECT_NE(SlotForRole(2), nullptr);
}

TEST_F(TalkRoleTest, PlacePutsTheRoleAtOnceAndReleasesIt) {
    gRole[1].flags |= kRoleHeld;
    EXPECT_EQ(Run("place 20 30 20"), TalkStep::kContinue);
    EXPECT_EQ(gRole[1].x, 30 * 16);
    EXPECT_EQ(gRole[1].y, 20 * 16);
    EXPECT_FALSE(gRole[1].flags & kRoleHeld);
    EXPECT_EQ(SlotForRole(1), nullptr);
    EXPECT_EQ(Run("place 30 3 4"), TalkStep::kContinue);
    EXPECT_EQ(Def(kGuidOff).cellX, 3);
    EXPECT_EQ(Def(kGuidOff).cellY, 4);
}

TEST_F(TalkRoleTest, MoveWaitEndsWhenEveryRoleArrived) {
    ASSERT_TRUE(LoadTalkCode("movewait 2 20 5 9 21 12 5"));
    TalkStep last = TalkStep::kWait;
    const int frames = RunFrames(0, 200, &last);
    EXPECT_EQ(last, TalkStep::kContinue);
    EXPECT_LT(frames, 40);
    EXPECT_EQ(gRole[1].y, 9 * 16);
    EXPECT_EQ(gRole[2].x, 12 * 16);
    EXPECT_EQ(gTalkMachine.window[3] & 0xC0, 0);  // state and mode bits cleared
}

TEST_F(TalkRoleTest, MoveWaitTakesThePlayersCellAndTheActWords) {
    ASSERT_TRUE(LoadTalkCode("movewaitact 1 20 0xFFFF 5 0 8 2"));
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kWait);
    PathSlot* slot = SlotForRole(1);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->targetX, 10 * 16);
    EXPECT_EQ(slot->arrivalAct[1], 8);
    EXPECT_EQ(slot->arrivalAct[2], 2);
    EXPECT_EQ(gRole[1].act.waitOverride, 0x8001);
}

// Stalls of 0x14 that must end: a GUID that does not resolve, no free path
// slot, a step that stays blocked, and no mover at all.
TEST_F(TalkRoleTest, MoveWaitWithAGuidThatDoesNotResolveEnds) {
    ASSERT_TRUE(LoadTalkCode("movewait 2 55 5 9 20 5 7"));
    TalkStep last = TalkStep::kWait;
    EXPECT_LT(RunFrames(0, 200, &last), 200);
    EXPECT_EQ(last, TalkStep::kContinue);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_EQ(LastCaption(), "Bmove");
}

TEST_F(TalkRoleTest, MoveWaitWithoutAFreePathSlotPlacesTheRole) {
    for (PathSlot& s : gPathSlots) s.role = 250;
    ASSERT_TRUE(LoadTalkCode("movewait 1 20 5 9"));
    TalkStep last = TalkStep::kWait;
    EXPECT_LE(RunFrames(0, 10, &last), 2);
    EXPECT_EQ(last, TalkStep::kContinue);
    EXPECT_EQ(gRole[1].y, 9 * 16);
}

TEST_F(TalkRoleTest, MoveWaitWithAStepThatStaysBlockedPlacesTheRoleAfterTheBound) {
    ASSERT_TRUE(LoadTalkCode("movewait 1 20 5 9"));
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kWait);
    // A wall grows on the route after it was found.
    for (int x = 0; x < 80; ++x) gMap.cells[size_t(7 * 80 + x)] |= kCellWall;
    TalkStep last = TalkStep::kWait;
    const int frames = RunFrames(0, 1000, &last);
    EXPECT_LE(frames, int(kTalkStepRetries) + 40);
    EXPECT_EQ(last, TalkStep::kContinue);
    EXPECT_EQ(gRole[1].y, 9 * 16);
}

TEST_F(TalkRoleTest, MoveWaitWithoutAMoverGivesUpAfterItsBound) {
    ASSERT_TRUE(LoadTalkCode("movewait 1 20 5 9"));
    int frames = 0;
    TalkStep step = TalkStep::kWait;
    while (step == TalkStep::kWait && frames < int(kTalkMoveFrames) + 10) {
        step = RunTalkInstrAt(0);
        ++frames;
    }
    EXPECT_EQ(step, TalkStep::kContinue);
    EXPECT_EQ(gRole[1].y, 9 * 16);
}

TEST_F(TalkRoleTest, MoveWaitWithARoleThatCannotBeRoutedEndsAtOnce) {
    LoadGrid({"..........", "..........", "...###....", "...#.#....", "...###....", ".........."});
    AllocDrawOrder();
    AddRole(0, 1, 0, 0);
    AddRole(1, kGuidA, 0, 5);
    AddRole(2, kGuidB, 9, 5);
    ASSERT_TRUE(LoadTalkCode("movewait 2 20 4 3 21 9 1"));
    TalkStep last = TalkStep::kWait;
    EXPECT_LT(RunFrames(0, 200, &last), 40);
    EXPECT_EQ(last, TalkStep::kContinue);
    EXPECT_EQ(gRole[1].x, 4 * 16);  // put on the point, reported
    EXPECT_EQ(gRole[2].y, 1 * 16);
    EXPECT_EQ(Boxes(), 1u);
}

TEST_F(TalkRoleTest, StepReportsARoleNotOnTheMapAndLeavesAnArrivedRole) {
    EXPECT_EQ(Run("step 55"), TalkStep::kYield);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_EQ(LastCaption(), "Talk(Step)");
    EXPECT_EQ(Run("stepmany 2 20 55"), TalkStep::kYield);
    EXPECT_EQ(Boxes(), 1u);
}

// 0x12 on a held role without a talk move: released in one call, never run
// again in the same frame.
TEST_F(TalkRoleTest, UnlockReleasesAHeldRoleWithoutAPathSlot) {
    gRole[1].flags |= kRoleHeld;
    gRole[1].act.wait = 4;
    EXPECT_EQ(unlock(1), 0);
    EXPECT_EQ(Run("unlock 20"), TalkStep::kContinue);
    EXPECT_FALSE(gRole[1].flags & kRoleHeld);
    EXPECT_EQ(gRole[1].act.wait, 0);
    gRole[1].flags |= kRoleHeld;
    gRole[2].flags |= kRoleHeld;
    EXPECT_EQ(Run("unlockall"), TalkStep::kContinue);
    EXPECT_FALSE(gRole[1].flags & kRoleHeld);
    EXPECT_FALSE(gRole[2].flags & kRoleHeld);
}

TEST_F(TalkRoleTest, UnlockGivesAPathScriptItsMoveBack) {
    gRole[1].pathNumber = 3;
    gRole[1].pathPc = 14;
    PathSlot* slot = FreePathSlot();
    *slot = PathSlot{};
    slot->role = 1;
    slot->mode = kSlotModeScript;
    slot->targetX = 20 * 16;
    slot->targetY = 5 * 16;
    slot->stepX = 4;
    gRole[1].x += 4;  // between two cells
    HoldRole(1);
    EXPECT_EQ(gRole[1].x, 5 * 16);
    EXPECT_TRUE(gRole[1].flags & kRoleHeld);
    isetpos(1, 5 * 16, 9 * 16, 0, 0xFFFF, 0xFFFF, 0xFFFF);
    ASSERT_EQ(SlotForRole(1), slot);
    EXPECT_EQ(slot->mode & 0x0F, kSlotModeTalk);
    gRole[1].pathNumber = 0;
    EXPECT_EQ(unlock(1), 1);
    EXPECT_EQ(slot->mode, kSlotModeScript);
    EXPECT_EQ(slot->targetX, 20 * 16);
    EXPECT_EQ(gRole[1].pathNumber, 3);
    EXPECT_EQ(gRole[1].pathPc, 14u);
    EXPECT_EQ(slot->route[0], kStepE);
    // A talk move without a kept script move is cleared.
    isetpos(2, 10 * 16, 5 * 16, 0, 0xFFFF, 0xFFFF, 0xFFFF);
    gRole[2].flags |= kRoleHeld;
    EXPECT_EQ(unlock(2), 1);
    EXPECT_EQ(SlotForRole(2), nullptr);
}

// Roles between cells are put back on the grid in one move, whatever the
// direction (255 or an axis that does not move never loops).
TEST_F(TalkRoleTest, HoldRoleSnapsWithoutLooping) {
    gRole[1].x = 83;
    gRole[1].y = 90;
    HoldRole(1);
    EXPECT_EQ(gRole[1].x, 80);
    EXPECT_EQ(gRole[1].y, 96);
    gRole[0].x = 163;
    gPlayerStep.dx = 1;
    gPlayerStep.step = 4;
    HoldRole(0);
    EXPECT_EQ(gRole[0].x, 160);
    EXPECT_EQ(gPlayerStep.dx, 0);
    gRole[0].x = 173;
    isetpos(0, 20 * 16, 10 * 16, 1, 0xFFFF, 0xFFFF, 0xFFFF);
    EXPECT_EQ(gRole[0].x, 20 * 16);
}

TEST_F(TalkRoleTest, HoldAndReleaseThePlayer) {
    EXPECT_EQ(Run("holdplayer"), TalkStep::kContinue);
    EXPECT_TRUE(gDialogState & kDialogPlayerHeld);
    EXPECT_EQ(Run("releaseplayer"), TalkStep::kContinue);
    EXPECT_FALSE(gDialogState & kDialogPlayerHeld);
    EXPECT_EQ(Run("holdrole 20"), TalkStep::kContinue);
    EXPECT_TRUE(gRole[1].flags & kRoleHeld);
}

TEST_F(TalkRoleTest, IsetposTakesTheStepsOutsideTheViewAtOnce) {
    gCamera = {0, 0, kViewWidth, kViewHeight};
    AddRole(1, kGuidA, 75, 5);  // 1200 pixels: beyond right + 160
    isetpos(1, 20 * 16, 5 * 16, 0, 0xFFFF, 0xFFFF, 0xFFFF);
    EXPECT_LT(gRole[1].x, 800);
    EXPECT_GE(gRole[1].x, 640 + 160 - 16);
    EXPECT_EQ(gRole[1].act.dir, kFaceW);
    isetpos(1, 200 * 16, 5 * 16, 0, 0xFFFF, 0xFFFF, 0xFFFF);  // outside the map: arrives where it is
    EXPECT_EQ(iMove(1), 2);
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(TalkRoleTest, IsetposWithoutAFreeSlotWarnsOnlyUnderFlagTwo) {
    for (PathSlot& s : gPathSlots) s.role = 250;
    isetpos(1, 9 * 16, 9 * 16, 0, 0xFFFF, 0xFFFF, 0xFFFF);
    EXPECT_EQ(gRole[1].x, 9 * 16);
    EXPECT_EQ(Boxes(), 0u);
    SetFlag(2);
    isetpos(1, 3 * 16, 9 * 16, 0, 0xFFFF, 0xFFFF, 0xFFFF);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_EQ(gRole[1].x, 3 * 16);
}

TEST_F(TalkRoleTest, GatherEndsWhenEveryFollowerStandsOnThePlayer) {
    gRole[1].flags |= kRoleCompanion;
    gRole[2].flags |= kRoleCompanion;
    gPartyCount = 6;  // the line counts more than are on the map
    ASSERT_TRUE(LoadTalkCode("gather"));
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kWait);
    EXPECT_TRUE(gDialogState & kDialogPlayerHeld);
    EXPECT_TRUE(gRole[1].flags & kRoleFar);
    EXPECT_EQ(gRole[1].act.waitOverride, 0x8000);
    EXPECT_EQ(gFollowTrailX[31], gRole[0].x);
    gRole[1].x = gRole[0].x;
    gRole[1].y = gRole[0].y;
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kWait);
    EXPECT_FALSE(gRole[1].flags & kRoleFar);
    gRole[2].x = gRole[0].x;
    gRole[2].y = gRole[0].y;
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kYield);
    EXPECT_EQ(gTalkMachine.window[1] & 0x80, 0);
}

TEST_F(TalkRoleTest, GatherPlacesFollowersThatNeverArrive) {
    gRole[1].flags |= kRoleCompanion;
    ASSERT_TRUE(LoadTalkCode("gather"));
    TalkStep last = TalkStep::kWait;
    EXPECT_LE(RunFrames(0, int(kTalkGatherFrames) + 10, &last), int(kTalkGatherFrames) + 2);
    EXPECT_EQ(last, TalkStep::kYield);
    EXPECT_EQ(gRole[1].x, gRole[0].x);
    // No followers at all: done on the second frame.
    gRole[1].flags &= ~kRoleCompanion;
    EXPECT_EQ(RunFrames(0, 10, &last), 2);
}

TEST_F(TalkRoleTest, GoToMapReportsAMapThatDoesNotExistAndClearsTheSwitch) {
    gKeyState[kKeyUp].state = 1;
    gPlayerStep.dx = 1;
    EXPECT_EQ(Run("gotomap 9 0xFFFF 0xFFFF 0xFFFF 0xFFFF 0xFFFF"), TalkStep::kContinue);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_FALSE(gViewFlags & kViewMapChange);
    EXPECT_EQ(gKeyState[kKeyUp].state, 0u);
    EXPECT_EQ(gPlayerStep.dx, 0);
}

// ---- View --------------------------------------------------------------------------------------------

void StepView(int frames) {
    for (int k = 0; k < frames; ++k) StepCameraScroll();
}

TEST_F(TalkRoleTest, ScrollWithAStepThatDoesNotDivideScrollsInStepsOfFour) {
    EXPECT_EQ(Run("scroll 3 0 5 0"), TalkStep::kContinue);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_EQ(gCameraScroll.remainX, 48);
    EXPECT_EQ(gCameraScroll.stepX, 4);
    EXPECT_EQ(gCameraScroll.stepY, 0);
    ASSERT_TRUE(LoadTalkCode("waitscroll"));
    int frames = 0;
    while (RunTalkInstrAt(0) == TalkStep::kWait && frames < 100) {
        StepView(1);
        ++frames;
    }
    EXPECT_EQ(frames, 12);
    EXPECT_EQ(gCamera.left, 48);
    EXPECT_EQ(gCameraScroll.stepX, 0);
}

TEST_F(TalkRoleTest, ScrollStepsTakeTheSignOfTheirRemainders) {
    gCamera = {320, 320, 320 + kViewWidth, 320 + kViewHeight};
    EXPECT_EQ(Run("scroll -2 -4 8 16"), TalkStep::kContinue);
    EXPECT_EQ(gCameraScroll.stepX, -8);
    EXPECT_EQ(gCameraScroll.stepY, -16);
    EXPECT_EQ(Boxes(), 0u);
    // A second scroll while one runs is reported and replaces it.
    EXPECT_EQ(Run("scroll 1 0 16 0"), TalkStep::kContinue);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_EQ(gCameraScroll.remainX, 16);
    EXPECT_EQ(gCameraScroll.remainY, 0);
}

TEST_F(TalkRoleTest, ScrollWithStepZeroIsRefusedAsAnyStepThatDoesNotDivide) {
    EXPECT_EQ(Run("scroll 2 2 0 0"), TalkStep::kContinue);
    EXPECT_EQ(Boxes(), 2u);
    EXPECT_EQ(gCameraScroll.stepX, 4);
    EXPECT_EQ(gCameraScroll.stepY, 4);
}

TEST_F(TalkRoleTest, ScrollToPastTheRightEdgeStopsAtTheEdge) {
    // The map is 80 cells wide: the camera's left goes at most to 1280 - 640.
    EXPECT_EQ(Run("scrollto 70 0 16 16"), TalkStep::kContinue);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_EQ(gCameraScroll.remainX, 80 * 16 - kViewWidth);
    EXPECT_EQ(Run("scrollto 0 0 16 16"), TalkStep::kContinue);  // the running one is reported
    EXPECT_EQ(gCameraScroll.remainX, 0);
    EXPECT_EQ(gCameraScroll.stepX, 0);
}

TEST_F(TalkRoleTest, ScrollToRoleAndWaitForTheCameraTop) {
    AddRole(1, kGuidA, 40, 40);
    EXPECT_EQ(Run("scrolltorole 20 16 16"), TalkStep::kContinue);
    Camera rect{};
    ViewRectAt(40 * 16, 40 * 16, &rect);
    EXPECT_EQ(gCameraScroll.remainX, rect.left);
    EXPECT_EQ(gCameraScroll.remainY, rect.top);
    ASSERT_TRUE(LoadTalkCode("waitscrolly 100"));
    int frames = 0;
    while (RunTalkInstrAt(0) == TalkStep::kWait && frames < 100) {
        StepView(1);
        ++frames;
    }
    // 100 is not a multiple of the step: passing it ends the wait.
    EXPECT_EQ(gCamera.top, 112);
    EXPECT_EQ(frames, 7);
}

TEST_F(TalkRoleTest, ViewSwitches) {
    EXPECT_EQ(Run("camerahold"), TalkStep::kYield);
    EXPECT_TRUE(gViewFlags & kViewNoRecentre);
    EXPECT_EQ(Run("camerafollow"), TalkStep::kYield);
    EXPECT_FALSE(gViewFlags & kViewNoRecentre);
    EXPECT_EQ(Run("mapdrawoff"), TalkStep::kYield);
    EXPECT_TRUE(gViewFlags & kViewMapChange);
    EXPECT_EQ(Run("mapdrawon"), TalkStep::kYield);
    EXPECT_FALSE(gViewFlags & kViewMapChange);
}

std::string ShakeCode(int values) {
    std::string code = "shake 2";
    for (int k = 0; k < values; ++k) code += k % 2 ? " -2" : " 3";
    return code;
}

TEST_F(TalkRoleTest, ShakeTakesFiftySixValuesAndRefusesMoreOnce) {
    gCamera = {32, 48, 32 + kViewWidth, 48 + kViewHeight};
    EXPECT_EQ(Run(ShakeCode(56)), TalkStep::kContinue);
    EXPECT_TRUE(ShakeRuns());
    EXPECT_EQ(gShake.table.size(), 57u);
    EXPECT_EQ(gShake.period, 2);
    EXPECT_EQ(gShake.baseLeft, 32);
    EXPECT_EQ(Run("shakeoff"), TalkStep::kContinue);
    EXPECT_FALSE(ShakeRuns());
    EXPECT_EQ(Run(ShakeCode(57)), TalkStep::kFail);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_FALSE(ShakeRuns());
}

TEST_F(TalkRoleTest, TintFadesToItsTargetAndTheWaitEnds) {
    EXPECT_EQ(Run("tint 0 0 0 -40 10 20 10"), TalkStep::kContinue);
    EXPECT_FLOAT_EQ(gScreenTint.rate[0], -3.1f);
    EXPECT_FLOAT_EQ(gScreenTint.rate[1], 1.0f);
    EXPECT_EQ(gScreenTint.counter, 10);
    ASSERT_TRUE(LoadTalkCode("waittint"));
    int frames = 0;
    while (RunTalkInstrAt(0) == TalkStep::kWait && frames < 100) {
        StepScreenTint(1);
        ++frames;
    }
    EXPECT_EQ(frames, 10);
    EXPECT_EQ(Run("tintoff"), TalkStep::kContinue);
    EXPECT_EQ(gScreenTint.counter, 0);
    EXPECT_FLOAT_EQ(gScreenTint.rate[1], 0.0f);
}

// A tint without change or without frames never counts down: its wait ends at once.
TEST_F(TalkRoleTest, TintWithoutChangeOrFramesEndsAtOnce) {
    const char* cases[] = {"tint 5 5 5 5 5 5 20", "tint 0 0 0 10 10 10 0", "tint 0 0 0 10 10 10 -3"};
    for (const char* code : cases) {
        SCOPED_TRACE(code);
        EXPECT_EQ(Run(code), TalkStep::kContinue);
        EXPECT_EQ(Run("waittint"), TalkStep::kContinue);
    }
    EXPECT_FLOAT_EQ(gScreenTint.value[0], 10.0f);
}

TEST_F(TalkRoleTest, FocusIsKeptInTheMiddleOfTheView) {
    EXPECT_EQ(Run("focus 40 2"), TalkStep::kYield);
    EXPECT_EQ(gWeather.spotX, 432);
    EXPECT_EQ(gWeather.spotY, 208);
    EXPECT_EQ(gWeather.spotTargetX, 432);
    EXPECT_EQ(Run("focus 20 16"), TalkStep::kYield);
    EXPECT_EQ(gWeather.spotX, 320);
    EXPECT_EQ(gWeather.spotY, 256);
}

TEST_F(TalkRoleTest, FocusStepsPointTowardTheTargetAndTheWaitEnds) {
    gWeather.spotX = 320;
    gWeather.spotY = 240;
    EXPECT_EQ(Run("focusto 10 20 8 -3"), TalkStep::kYield);
    EXPECT_EQ(gWeather.spotStepX, -8);
    EXPECT_EQ(gWeather.spotStepY, 3);
    SetFlag(19);
    EXPECT_EQ(Run("waitfocus"), TalkStep::kWait);
    gWeather.spotX = 160;
    gWeather.spotY = 320;
    EXPECT_EQ(Run("waitfocus"), TalkStep::kYield);
    // Without the spotlight nothing steps the focus: it is put on its target.
    ClearFlag(19);
    EXPECT_EQ(Run("focusto 2 2 0 0"), TalkStep::kYield);
    EXPECT_EQ(Run("waitfocus"), TalkStep::kYield);
    EXPECT_EQ(gWeather.spotX, 32);
}

} // namespace
