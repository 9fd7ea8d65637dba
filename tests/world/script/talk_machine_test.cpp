// The talk machine's loop on talk files written by the assembler into a
// temporary install: loading on the grid, files and entries, the yield and
// run-on rules, the variable instructions, the end, the error policy, the
// instruction budget, the triggers and the mouse.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/settings.h"
#include "draw/dialog_node.h"
#include "platform/headless/headless.h"
#include "tests/support/place_role.h"
#include "tests/support/temp_folder.h"
#include "tests/world/walk/grid_map.h"
#include "tools/talk_asm.h"
#include "world/map/map_archive.h"
#include "world/map/map_render.h"
#include "world/role/role_def.h"
#include "world/role/role_helpers.h"
#include "world/script/path_slot.h"
#include "world/script/talk_machine.h"
#include "world/spirit/spirit.h"
#include "world/story_flags.h"
#include "world/dialog/dlg_message.h"
#include "world/walk/key_cole.h"
#include "world/walk/key_state.h"

namespace {

// Stand-in handlers for instructions of the families: a dialog that yields
// and a wait that holds for a number of frames.
int gYields = 0;
int gWaitFrames = 0;
TalkStep YieldHandler(TalkInstr&) {
    ++gYields;
    return TalkStep::kYield;
}
TalkStep WaitHandler(TalkInstr&) {
    if (gWaitFrames > 0) {
        --gWaitFrames;
        return TalkStep::kWait;
    }
    return TalkStep::kContinue;
}

constexpr uint16_t kOpDlg = 0x02;      // "dlg g w s": yields
constexpr uint16_t kOpWaitDlg = 0x0E;  // "waitdlg g": waits

class TalkMachineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWalkWorld();
        ResetTalkMachine();
        ClearPathSlots();
        gMapPoints.clear();
        gGameMode = 0;
        gStillFrames = gFadeLevel = 5;
        gCamera = Camera{0, 0, 640, 480};
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", install.Path().c_str());
        LoadOpenGrid(40, 30);
        TotalRole = 3;
        gPlayerRole = 0;
        AddRole(0, 1, 5, 5);
        AddRole(1, 20, 8, 5);
        AddRole(2, 21, 10, 8);
        gMapScriptGuid = 1;
        gYields = gWaitFrames = 0;
        savedDlg_ = SetTalkHandler(kOpDlg, YieldHandler);
        savedWait_ = SetTalkHandler(kOpWaitDlg, WaitHandler);
    }
    void TearDown() override {
        SetTalkHandler(kOpDlg, savedDlg_);
        SetTalkHandler(kOpWaitDlg, savedWait_);
        ResetTalkMachine();
        ClearPathSlots();
        gMapPoints.clear();
        gInstallPath[0] = 0;
        gGameMode = 0;
    }
    static void AddRole(uint32_t index, uint16_t guid, int cx, int cy) {
        RoleRecord& r = PlaceTestRole(index, guid, cx * 16, cy * 16);
        r.act.savedQq = r.act.savedDir = -1;
    }
    void Write(const std::string& source) {
        std::string error;
        ASSERT_TRUE(WriteTalkFiles(install.Path(), source, &error)) << error;
    }
    // Frames until the context is idle (at most limit); limit + 1 when it never ends.
    static int RunToEnd(int limit = 100) {
        for (int frame = 1; frame <= limit; ++frame) {
            RunTalk(gTalkContext);
            if (TalkContextIdle()) return frame;
        }
        return limit + 1;
    }
    static size_t Boxes() { return HeadlessMessageBoxes().size(); }
    static std::string LastBox() {
        return HeadlessMessageBoxes().empty() ? std::string() : HeadlessMessageBoxes().back().text;
    }
    static void ExpectIdleContext() {
        const RoleRecord& c = gTalkContext;
        EXPECT_EQ(c.guid, 0xFFFF);
        EXPECT_EQ(c.firstWord, 0xFFFFFFFFu);
        EXPECT_EQ(c.x, -1);
        EXPECT_EQ(c.y, -1);
        EXPECT_EQ(c.flags, 0xFFFFFFFFu);
        EXPECT_EQ(c.talkWindowBase, 0xFFFFFFFFu);
        EXPECT_EQ(c.talkNumber, 0xFFFF);
        EXPECT_EQ(c.talkPc, 0xFFFF);
        EXPECT_EQ(c.talkLock, 0xFFFF);
        EXPECT_EQ(c.pathNumber, 0xFFFF);
        EXPECT_EQ(c.soundId, 0xFFFFFFFFu);
        EXPECT_EQ(c.text, nullptr);
        EXPECT_EQ(c.extraAct, nullptr);
    }
    TempFolder install{"talk"};
    TalkHandler savedDlg_ = nullptr, savedWait_ = nullptr;
};

TEST_F(TalkMachineTest, ATalkLoadsOnlyOnceThePlayerStandsOnTheGrid) {
    Write("talk 5\n  setvar 3 1\n  end\n");
    gRole[0].x = 5 * 16 + 4;
    StartStoryTalk(5, kTalkGuidNone);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(RunTalk(gTalkContext), 1);
    EXPECT_FALSE(gTalkWindowLoaded);
    EXPECT_EQ(gTalkVar[3], 0u);
    EXPECT_EQ(gDialogState & kDialogPlayerHeld, 0u);
    gRole[0].x = 6 * 16;
    EXPECT_EQ(RunToEnd(), 1);
    EXPECT_EQ(gTalkVar[3], 1u);
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(TalkMachineTest, TalksOnBothSidesOfAFileBoundaryComeFromTheirFiles) {
    Write("talk 1999\n  setvar 3 7\n  end\ntalk 2000\n  setvar 3 9\n  end\n");
    FILE* second = std::fopen((install / "Talk2.dat").c_str(), "rb");
    ASSERT_NE(second, nullptr);
    std::fclose(second);
    StartStoryTalk(1999, kTalkGuidNone);
    EXPECT_EQ(RunToEnd(), 1);
    EXPECT_EQ(gTalkVar[3], 7u);
    EXPECT_EQ(gTalkMachine.file, 1u);
    StartStoryTalk(2000, kTalkGuidNone);
    EXPECT_EQ(RunToEnd(), 1);
    EXPECT_EQ(gTalkVar[3], 9u);
    EXPECT_EQ(gTalkMachine.file, 2u);
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(TalkMachineTest, StateInstructionsRunInOneFrameUpToTheFirstYield) {
    Write("talk 5\n  setvar 3 1\n  addvar 3 1\n  dlg none 0 \"a\"\n  setvar 4 1\n  dlg none 0 \"b\"\n  end\n");
    StartStoryTalk(5, kTalkGuidNone);
    RunTalk(gTalkContext);
    EXPECT_EQ(gTalkVar[3], 2u);
    EXPECT_EQ(gYields, 1);
    EXPECT_EQ(gTalkVar[4], 0u);
    RunTalk(gTalkContext);
    EXPECT_EQ(gTalkVar[4], 1u);
    EXPECT_EQ(gYields, 2);
    EXPECT_FALSE(TalkContextIdle());
    RunTalk(gTalkContext);
    EXPECT_TRUE(TalkContextIdle());
}

TEST_F(TalkMachineTest, RunOnKeepsYieldingInstructionsInTheFrameUntilRunOff) {
    Write("talk 5\n  runon\n  dlg none 0 \"a\"\n  nop\n  dlg none 0 \"b\"\n  runoff\n  setvar 4 1\n  end\n");
    StartStoryTalk(5, kTalkGuidNone);
    RunTalk(gTalkContext);
    EXPECT_EQ(gYields, 2);
    EXPECT_EQ(gTalkVar[4], 0u);  // run-off yields
    RunTalk(gTalkContext);
    EXPECT_EQ(gTalkVar[4], 1u);
    EXPECT_TRUE(TalkContextIdle());
}

TEST_F(TalkMachineTest, AWaitEndsTheFrameEvenInsideRunOn) {
    Write("talk 5\n  runon\n  waitdlg none\n  setvar 4 1\n  runoff\n  end\n");
    gWaitFrames = 3;
    StartStoryTalk(5, kTalkGuidNone);
    for (int i = 0; i < 3; ++i) {
        RunTalk(gTalkContext);
        EXPECT_EQ(gTalkVar[4], 0u);
    }
    EXPECT_EQ(RunToEnd(), 2);  // after the wait the run-on stretch is over: run-off's yield ends a frame
    EXPECT_EQ(gTalkVar[4], 1u);
    EXPECT_EQ(Boxes(), 0u);
}

struct VarCase {
    const char* name;
    const char* code;   // runs with variable 5 preset; variable 6 tells the branch
    uint32_t preset;
    uint32_t var5, var6;
};

class TalkVariableTest : public TalkMachineTest, public ::testing::WithParamInterface<VarCase> {};

TEST_P(TalkVariableTest, Runs) {
    const VarCase& c = GetParam();
    Write(std::string("talk 5\n") + c.code + "\n  end\nyes:\n  setvar 6 2\n  end\n");
    gTalkVar[5] = c.preset;
    StartStoryTalk(5, kTalkGuidNone);
    EXPECT_EQ(RunToEnd(), 1);
    EXPECT_EQ(gTalkVar[5], c.var5);
    EXPECT_EQ(gTalkVar[6], c.var6);
    EXPECT_EQ(Boxes(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TalkVariableTest,
    ::testing::Values(VarCase{"Set", "  setvar 5 -2", 0, 0xFFFFFFFEu, 0},
                      VarCase{"SubBelowZeroGivesZero", "  subvar 5 5", 3, 0, 0},
                      VarCase{"AddMinusOneSubtracts", "  addvar 5 0xFFFF", 7, 6, 0},
                      VarCase{"AddWraps", "  addvar32 5 2", 0xFFFFFFFFu, 1, 0},
                      VarCase{"LessEqualJumps", "  ifvarlt 5 5 yes\n  setvar 6 1", 5, 5, 2},
                      VarCase{"GreaterEqualJumps", "  ifvargt 5 5 yes\n  setvar 6 1", 5, 5, 2},
                      VarCase{"LessGoesOn", "  ifvarlt 5 5 yes\n  setvar 6 1", 4, 4, 1},
                      VarCase{"GreaterGoesOn", "  ifvargt 5 5 yes\n  setvar 6 1", 6, 6, 1},
                      VarCase{"CompareIsUnsigned", "  ifvarlt32 5 1 yes\n  setvar 6 1", 0xFFFFFFFFu, 0xFFFFFFFFu, 2},
                      VarCase{"Sub32", "  subvar32 5 70000", 70001, 1, 0},
                      VarCase{"Set32", "  setvar32 5 0x12345678", 0, 0x12345678u, 0}),
    [](const ::testing::TestParamInfo<VarCase>& info) { return std::string(info.param.name); });

TEST_F(TalkMachineTest, VariableZeroIsNeverNegative) {
    Write("talk 5\n  setvar 0 -5\n  setvar 7 -5\n  end\n");
    StartStoryTalk(5, kTalkGuidNone);
    RunToEnd();
    EXPECT_EQ(gTalkVar[0], 0u);
    EXPECT_EQ(gTalkVar[7], 0xFFFFFFFBu);
}

TEST_F(TalkMachineTest, SettingVariableTwoCarriesThatSpiritSlot) {
    ResetSpirit();  // the earth spirit, element 4
    Write("talk 5\n  setvar 2 9\n  setvar 2 3\n  end\n");
    StartStoryTalk(5, kTalkGuidNone);
    EXPECT_EQ(RunToEnd(), 1);
    EXPECT_EQ(gTalkVar[2], 3u);  // 9 names no slot and loads nothing; 3 loads slot 2
    // The variable is the spirit slot, and the spirit of element 2 came in
    // (from its start values: the install has no "kyvghost.dat").
    EXPECT_EQ(gSpiritSlot, 3u);
    EXPECT_EQ(gSpirit.Field(kSpiritElementField), 2);
    EXPECT_EQ(Boxes(), 0u);
    ResetSpirit();
}

TEST_F(TalkMachineTest, ABadVariableIndexShowsOneBoxAndEndsTheTalk) {
    Write("talk 5\n  setvar 64 1\n  setvar 5 1\n  end\n");
    StartStoryTalk(5, kTalkGuidNone);
    EXPECT_EQ(RunToEnd(), 1);
    for (int i = 0; i < 5; ++i) RunTalk(gTalkContext);
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_EQ(LastBox(), "\xC5\xDC\xBC\xC6\xA4\xA3\xA6X\xAAk(64)(1)\n");
    EXPECT_EQ(gTalkVar[5], 0u);
    ExpectIdleContext();
}

TEST_F(TalkMachineTest, AnUnknownInstructionShowsOneBoxAndEndsTheTalk) {
    Write("talk 5\n  setvar 5 1\n  word 0x0C0C\n  end\n");
    StartStoryTalk(5, kTalkGuidNone);
    EXPECT_EQ(RunToEnd(), 1);
    RunTalk(gTalkContext);
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_EQ(LastBox(), "\xA8S\xA6\xB3\xAB\xFC\xA5O(3084,c0c),(29,1d)");
    EXPECT_EQ(gTalkVar[5], 1u);
    EXPECT_EQ(gDialogState, 0u);
}

TEST_F(TalkMachineTest, AJumpLoopWithoutAYieldEndsAtTheInstructionBudget) {
    Write("talk 5\ntop:\n  addvar 5 1\n  ifvarlt 5 0 top\n  end\n");
    StartStoryTalk(5, kTalkGuidNone);
    EXPECT_EQ(RunToEnd(), 1);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_EQ(gTalkVar[5], kTalkStepBudget / 2);
    ExpectIdleContext();
}

TEST_F(TalkMachineTest, EntryOffsetsOutsideTheCodeEndTheTalkWithOneBox) {
    // Entry 5 at offset 0 (the offset table itself), entry 6 past the file.
    Write("talk 7\n  end\n");
    std::vector<uint8_t> file(512 + 8000 + 2, 0);
    file[512 + 8000] = 0xFF;
    file[512 + 8000 + 1] = 0x3F;
    for (uint32_t e = 0; e < 2000; ++e) {
        const uint32_t offset = e == 5 ? 0 : e == 6 ? 0x100000 : 8000;
        for (int b = 0; b < 4; ++b) file[512 + 4 * e + b] = uint8_t(offset >> (8 * b));
    }
    SetTalkFileBytes(1, file);
    for (uint32_t talk : {5u, 6u}) {
        StartStoryTalk(talk, kTalkGuidNone);
        EXPECT_EQ(RunToEnd(3), 1) << talk;
    }
    EXPECT_EQ(Boxes(), 2u);
    StartStoryTalk(7, kTalkGuidNone);
    EXPECT_EQ(RunToEnd(), 1);
    EXPECT_EQ(Boxes(), 2u);
}

TEST_F(TalkMachineTest, AMissingTalkFileClosesTheGame) {
    Write("talk 5\n  end\n");
    StartStoryTalk(2005, kTalkGuidNone);
    EXPECT_EQ(RunTalk(gTalkContext), 0);
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_EQ(HeadlessMessageBoxes().back().caption, "KYV3-Talk");
    EXPECT_EQ(LastBox(), "\xA7\xE4\xA4\xA3\xA8\xEC Talk2");
    EXPECT_NE(gGameMode & kModeQuit, 0u);
    EXPECT_TRUE(TalkContextIdle());
}

int gOpenTalk = 0;
TalkStep OpenHandler(TalkInstr&) {
    return OpenTalkScript(gTalkContext, uint32_t(gOpenTalk)) ? TalkStep::kJump : TalkStep::kFail;
}

TEST_F(TalkMachineTest, OpenTalkScriptGoesOnInAnotherFileAndAMissingOneClosesTheGame) {
    Write("talk 5\n  waitdlg none\n  end\ntalk 2001\n  setvar 6 1\n  ifvarlt 6 0 there\n  end\nthere:\n"
          "  setvar 7 1\n  end\n");
    SetTalkHandler(kOpWaitDlg, OpenHandler);
    gOpenTalk = 2001;
    StartStoryTalk(5, kTalkGuidNone);
    EXPECT_EQ(RunToEnd(), 1);
    EXPECT_EQ(gTalkVar[6], 1u);
    EXPECT_EQ(gTalkVar[7], 1u);  // the jump stays in Talk2.dat
    EXPECT_EQ(gTalkMachine.file, 2u);
    EXPECT_EQ(gTalkContext.talkNumber, 0xFFFF);
    EXPECT_EQ(Boxes(), 0u);
    gOpenTalk = 4001;  // Talk3.dat is missing
    StartStoryTalk(5, kTalkGuidNone);
    EXPECT_EQ(RunTalk(gTalkContext), 0);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_NE(gGameMode & kModeQuit, 0u);
    EXPECT_TRUE(TalkContextIdle());
}

TEST_F(TalkMachineTest, AJumpOutsideTheFileEndsTheTalk) {
    Write("talk 5\n  ifvarlt 5 0 99999\n  setvar 6 1\n  end\n");
    StartStoryTalk(5, kTalkGuidNone);
    EXPECT_EQ(RunToEnd(), 1);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_EQ(gTalkVar[6], 0u);
}

TEST_F(TalkMachineTest, CodeRunningOffTheWindowEndsTheTalk) {
    // 16383 yields fill the window to its last word, where a jump does not fit.
    std::string source = "talk 5\n";
    for (int i = 0; i < 16383; ++i) source += "  runoff\n";
    source += "  ifvarlt 5 0 0\n";
    Write(source);
    StartStoryTalk(5, kTalkGuidNone);
    EXPECT_EQ(RunToEnd(20000), 16384);
    EXPECT_EQ(Boxes(), 1u);
}

TEST_F(TalkMachineTest, TheEndReleasesTheStarterAndEmptiesTheContext) {
    Write("talk 5\n  dlg none 0 \"a\"\n  end\n");
    RoleRecord& r = gRole[1];
    r.talkNumber = 5;
    r.flags |= kRoleTurnsToTalker | kRoleHeld;
    r.act.qq = 0;
    r.act.dir = 3;
    r.act.savedQq = 7;
    r.act.savedDir = 2;
    gRole[2].act.savedQq = gRole[2].act.savedDir = 4;
    PathSlot* talkSlot = FreePathSlot();
    talkSlot->role = 2;
    talkSlot->mode = kSlotModeTalk;
    gRole[2].pathNumber = 9;
    StartRoleTalk(1);
    RunTalk(gTalkContext);
    EXPECT_NE(gRole[1].flags & kRoleTalkStarter, 0u);
    EXPECT_NE(gDialogState & kDialogPlayerHeld, 0u);
    RunTalk(gTalkContext);
    ExpectIdleContext();
    EXPECT_EQ(r.act.qq, 7);
    EXPECT_EQ(r.act.dir, 2);
    EXPECT_EQ(r.act.savedQq, -1);
    EXPECT_EQ(r.act.savedDir, -1);
    EXPECT_EQ(r.flags & (kRoleHeld | kRoleTalkStarter), 0u);
    EXPECT_EQ(gRole[2].act.savedQq, -1);
    EXPECT_EQ(talkSlot->role, kSlotFree);
    EXPECT_EQ(gRole[2].pathNumber, 0);
    EXPECT_EQ(gDialogState, 0u);
    EXPECT_EQ(gStillFrames, 0u);
    EXPECT_EQ(gFadeLevel, 0u);
    EXPECT_EQ(gTalkMachine.window[0], 0xFF);
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(TalkMachineTest, TalkEndPutsAHeldRoleBetweenCellsOnTheNearestCell) {
    RoleRecord& r = gRole[2];
    r.flags |= kRoleHeld | kRoleFar;
    r.x = 10 * 16 + 5;
    r.y = 8 * 16 + 11;
    r.act.wait = 3;
    PathSlot* slot = FreePathSlot();
    slot->role = 2;
    slot->mode = kSlotModeTalk;
    for (uint16_t& w : slot->talkWords) w = 0xFFFF;  // a talk move that took over no script move
    TalkEnd(2);
    EXPECT_EQ(r.x, 10 * 16);
    EXPECT_EQ(r.y, 9 * 16);
    EXPECT_EQ(r.flags & (kRoleHeld | kRoleFar), 0u);
    EXPECT_EQ(r.act.wait, 0);
    EXPECT_EQ(slot->role, kSlotFree);
    TalkEnd(299);  // past TotalRole: nothing
    TalkEnd(5000);
}

TEST_F(TalkMachineTest, TalkNinetyNineAfterALostFightEndsTheRunningTalkFirst) {
    Write("talk 5\n  dlg none 0 \"a\"\n  end\ntalk 99\n  setvar 6 99\n  end\n");
    gRole[1].talkNumber = 5;
    gRole[1].flags |= kRoleHeld;
    StartRoleTalk(1);
    RunTalk(gTalkContext);
    StartLostFightTalk();
    EXPECT_EQ(gRole[1].flags & (kRoleHeld | kRoleTalkStarter), 0u);
    EXPECT_EQ(gTalkContext.talkNumber, 99);
    EXPECT_EQ(gTalkContext.guid, 1);
    EXPECT_EQ(RunToEnd(), 1);
    EXPECT_EQ(gTalkVar[6], 99u);
}

TEST_F(TalkMachineTest, TheTimedTalkReleasesEveryRoleAndStartsForTheMapScript) {
    gRole[1].flags |= kRoleHeld;
    gRole[1].talkLock = 3;
    gCountdownTalk = 44;
    StartTimedTalk();
    EXPECT_EQ(gRole[1].flags & kRoleHeld, 0u);
    EXPECT_EQ(gRole[1].talkLock, 0);
    EXPECT_EQ(gTalkContext.talkNumber, 44);
    EXPECT_EQ(gTalkContext.guid, 1);
    EXPECT_EQ(gTalkContext.x, 0);
    EXPECT_EQ(gTalkContext.talkWindowBase, 0u);
}

TEST_F(TalkMachineTest, TheTalkKeyCopiesTheRolesPositionIntoTheContext) {
    ResetKeyCole();
    gRole[1].talkNumber = 5;
    gRole[1].flags |= 0x20000;
    StartTalkWith(1, "a", "b");
    EXPECT_EQ(gTalkContext.x, gRole[1].x);
    EXPECT_EQ(gTalkContext.y, gRole[1].y);
    EXPECT_EQ(gTalkContext.guid, 20);
    EXPECT_EQ(gTalkContext.flags, gRole[1].flags);
    // A second trigger while the talk runs changes nothing.
    gRole[2].talkNumber = 6;
    StartTalkWith(2, "a", "b");
    EXPECT_EQ(gTalkContext.guid, 20);
    EXPECT_TRUE(gKeyColeHooks.talkRunning());
    ResetKeyCole();
}

TEST_F(TalkMachineTest, AClickOnARoleStartsItsTalkFacingThePlayer) {
    RoleRecord& r = gRole[1];
    r.talkNumber = 5;
    r.flags |= kRoleTurnsToTalker;
    r.act.qq = 3;
    r.act.dir = 6;
    gKeyInput.mouseX = 8 * 16 + 4;
    gKeyInput.mouseY = 5 * 16 + 4;
    gCursorShape = 13;
    MouseActiveStory();
    EXPECT_EQ(gCursorShape, 9u);  // hover
    EXPECT_TRUE(TalkContextIdle());
    gKeyState[kKeyMouseLeft].state = 1;
    gKeyState[kKeyMouseLeft].framesHeld = 1;
    MouseActiveStory();
    EXPECT_EQ(gTalkContext.guid, 20);
    EXPECT_EQ(gTalkContext.talkNumber, 5);
    EXPECT_EQ(gTalkContext.x, r.x);
    EXPECT_EQ(r.act.savedQq, 3);
    EXPECT_EQ(r.act.savedDir, 6);
    EXPECT_EQ(r.act.dir, kFaceW);           // the player stands to its west
    EXPECT_EQ(gRole[0].act.dir, kFaceE);    // and faces east, toward it
    EXPECT_EQ(gKeyState[kKeyMouseLeft].framesHeld, 0u);
}

TEST_F(TalkMachineTest, AClickOnAFlaggedPointStartsItsTalkFromTheCell) {
    gMap.cells[7 * 40 + 12] = 4;
    gMapPoints.push_back(MapPoint{4, {0x8000 | 31, 600, 0}, "gate"});
    gKeyInput.mouseX = 12 * 16 + 3;
    gKeyInput.mouseY = 7 * 16 + 9;
    gKeyState[kKeyMouseLeft].state = 1;
    gKeyState[kKeyMouseLeft].framesHeld = 1;
    MouseActiveStory();
    EXPECT_TRUE(TalkContextIdle());  // flag 600 clear: not clickable
    SetFlag(600);
    MouseActiveStory();
    EXPECT_EQ(gCursorShape, 11u);
    EXPECT_EQ(gTalkContext.talkNumber, 31);
    EXPECT_EQ(gTalkContext.guid, kTalkGuidNone);
    EXPECT_EQ(gTalkContext.x, 12 * 16);
    EXPECT_EQ(gTalkContext.y, 7 * 16);
    EXPECT_EQ(gDialogState, kDialogPlayerHeld);
}

TEST_F(TalkMachineTest, TheHoveredChoiceIsKeptWhenAClickTakesIt) {
    AddEventRect(0, 100, 100, 200, 120);
    AddEventRect(1, 100, 130, 200, 150);
    gKeyInput.mouseX = 150;
    gKeyInput.mouseY = 140;
    MouseActiveStory();
    EXPECT_EQ(gEventRects.words[0], 1u);
    EXPECT_EQ(gCursorShape, 13u);
    gKeyState[kKeyMouseLeft].state = 1;
    gKeyState[kKeyMouseLeft].framesHeld = 1;
    MouseActiveStory();
    EXPECT_EQ(CountEventRects(), 0);
    EXPECT_EQ(gEventRects.words[0], 1u);
}

TEST_F(TalkMachineTest, APointerRestingOnALineLeavesTheKeysFreeToMoveTheChoice) {
    AddEventRect(0, 100, 100, 200, 120);
    AddEventRect(1, 100, 130, 200, 150);
    AddEventRect(2, 100, 160, 200, 180);
    gEventRects.words[kEventRectChoiceFlags] |= kChoiceKeysClose;
    gKeyInput.mouseX = 150;
    gKeyInput.mouseY = 140;
    // Each frame: the mouse, then the keys (as the game frame runs them).
    struct Frame {
        int32_t mouseY;  // where the pointer is
        int key;         // a key pressed this frame, -1 none
        uint32_t choice; // the choice after the frame
    } frames[] = {
        {140, -1, 1},            // the pointer comes onto line 1
        {140, kKeyDown, 2},      // the keys move on; the pointer rests
        {140, -1, 2},            // resting does not take the choice back
        {140, kKeyDown, 0},      // wrapping
        {110, -1, 0},            // onto line 0 (already the choice)
        {170, -1, 2},            // onto line 2
        {300, -1, 2},            // off every line
        {140, -1, 1},            // back onto line 1
    };
    for (const Frame& f : frames) {
        SCOPED_TRACE(f.mouseY);
        ClearKeyStates();
        gKeyInput.mouseY = f.mouseY;
        if (f.key >= 0) {
            gKeyState[f.key].state = 1;
            gKeyState[f.key].framesHeld = 1;
        }
        MouseActiveStory();
        KeyColeRun();
        EXPECT_EQ(TalkChoice(), f.choice);
        EXPECT_EQ(gEventRects.words[kEventRectChoice], f.choice);
    }
    // The confirm key takes the choice the keys made, under the resting pointer.
    ClearKeyStates();
    SetTalkChoice(2);
    gKeyState[kKeyConfirm].state = 1;
    gKeyState[kKeyConfirm].framesHeld = 1;
    MouseActiveStory();
    KeyColeRun();
    EXPECT_EQ(CountEventRects(), 0);
    EXPECT_EQ(TalkChoice(), 2u);
}

TEST_F(TalkMachineTest, AClickTurnsAPlainDialogsPageAsTheConfirmKeyDoes) {
    struct Case {
        bool dialog;           // a dialog is open
        uint32_t buttonFrames; // the left button's frames held
        uint32_t confirmState; // the confirm key's state word before
        uint32_t request;      // the page-turn request after the walking code
    } cases[] = {
        {true, 1, 0, 1}, {true, 2, 0, 0}, {true, 0, 0, 0}, {false, 1, 0, 0}, {true, 1, 1, 0},
    };
    StartStoryTalk(5, kTalkGuidNone);
    gDialogState = kDialogPlayerHeld;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dialog) + " " + std::to_string(c.buttonFrames) + " " +
                     std::to_string(c.confirmState));
        ClearKeyStates();
        FreeDialogList();
        gPageTurnRequest = 0;
        if (c.dialog) gDialogList = new DialogNode{};
        gKeyState[kKeyMouseLeft].state = c.buttonFrames ? 1 : 0;
        gKeyState[kKeyMouseLeft].framesHeld = c.buttonFrames;
        gKeyState[kKeyConfirm].state = c.confirmState;
        gKeyInput.mouseX = 400;
        gKeyInput.mouseY = 300;
        MouseActiveStory();
        KeyColeRun();
        EXPECT_EQ(gPageTurnRequest, c.request);
    }
    FreeDialogList();
    gPageTurnRequest = 0;
}

TEST_F(TalkMachineTest, TheWindowNumberIsTheLoadedWindowsOffset) {
    Write("talk 5\n  dlg none 0 \"A\"\n  dlg none 0 \"B\"\n  end\n");
    BindTalkSeams();
    ASSERT_NE(gMapSeams.talkWindow, nullptr);
    EXPECT_EQ(gMapSeams.talkWindow(), 0);  // no talk
    StartStoryTalk(5, kTalkGuidNone);
    EXPECT_EQ(gMapSeams.talkWindow(), 0);  // started, not loaded yet
    RunTalk(gTalkContext);
    ASSERT_FALSE(TalkContextIdle());
    EXPECT_EQ(uint32_t(gMapSeams.talkWindow()), gTalkContext.talkWindowBase);
    EXPECT_GT(gMapSeams.talkWindow(), 7);  // the menu button hides
    EXPECT_EQ(RunToEnd(), 2);
    EXPECT_EQ(gMapSeams.talkWindow(), 0);
    gMapSeams = MapFrameSeams{};
}

// A dialog stands on the screen where its speaker is seen, wherever the
// camera stands, and grows from the speaker's point on the screen.
TEST_F(TalkMachineTest, DialogsArePlacedFromTheCameraTheFrameWasDrawnWith) {
    SetTalkHandler(kOpDlg, savedDlg_);  // the real dialog instruction
    BindTalkSeams();
    Write("talk 5\n  dlg 20 0 \"Hello there\"\n  end\n");
    struct Seen {
        int32_t x, y, originX, originY;
    };
    auto place = [&](int left, int top) {
        gCamera = Camera{left, top, left + 640, top + 480};
        gRole[1].x = 8 * 16 + left;
        gRole[1].y = 5 * 16 + top;
        StartStoryTalk(5, kTalkGuidNone);
        RunTalk(gTalkContext);
        Seen s{-1, -1, gRole[1].x, gRole[1].y};
        if (gDialogList) {
            s.x = gDialogList->x;
            s.y = gDialogList->y;
        }
        gDialogToScreen(&s.originX, &s.originY);
        FreeDialogList();
        ResetTalkMachine();
        return s;
    };
    const Seen still = place(0, 0);
    const Seen moved = place(320, 160);
    ASSERT_NE(still.x, -1) << "no dialog was set up";
    EXPECT_EQ(moved.x, still.x);
    EXPECT_EQ(moved.y, still.y);
    EXPECT_EQ(moved.originX, 8 * 16);
    EXPECT_EQ(moved.originY, 5 * 16);
    gMapSeams = MapFrameSeams{};
    gDialogToScreen = DialogAnchorIdentity;
}

TEST_F(TalkMachineTest, AHeldButtonWalksThePlayerTowardThePointer) {
    gKeyInput.mouseX = 5 * 16 + 8 + 100;  // east of the player
    gKeyInput.mouseY = 5 * 16;
    gKeyState[kKeyMouseLeft].state = 1;
    gKeyState[kKeyMouseLeft].framesHeld = 4;
    gCursorShape = 13;
    MouseActiveStory();
    EXPECT_EQ(gCursorShape, uint32_t(kFaceE));
    EXPECT_EQ(gKeyState[kKeyRight].framesHeld, 4u);
    EXPECT_EQ(gKeyState[kKeyUp].framesHeld, 0u);
}

TEST_F(TalkMachineTest, RoleValueReadsAndWritesOneByteOfTheValueWord) {
    std::vector<uint8_t> defs(2 * kRoleDefBytes, 0);
    defs[2] = 42;                      // GUID 42
    defs[22] = 0x34;
    defs[23] = 0x12;                   // value word 0x1234
    defs[kRoleDefBytes] = 0xFF;
    defs[kRoleDefBytes + 1] = 0xFF;    // the end
    gRoleDef = defs.data();
    gRoleDefBytes = kRoleDefBytes;
    uint32_t v = 99;
    EXPECT_EQ(RoleValue(42, 1, &v, 1), 0);
    EXPECT_EQ(v, 0x34u);
    EXPECT_EQ(RoleValue(42, 2, &v, 1), 0);
    EXPECT_EQ(v, 0x12u);
    v = 0x1AB;
    RoleValue(42, 2, &v, 2);
    EXPECT_EQ(defs[23], 0xAB);
    EXPECT_EQ(defs[22], 0x34);
    v = 99;
    EXPECT_EQ(RoleValue(42, 3, &v, 1), 0);
    EXPECT_EQ(v, 0u);  // another select reads 0, never a stale value
    EXPECT_EQ(RoleValue(43, 1, &v, 1), -1);
    gRoleDef = nullptr;
    gRoleDefBytes = 0;
}

// A whole talk from the machine's own instructions over two entries and
// frames, started by a new game's trigger: deterministic, no box, ends.
TEST_F(TalkMachineTest, AWholeTalkOfTheMachinesOwnInstructionsRunsToItsEnd) {
    const std::string source =
        "talk 100\n"
        "  setvar 10 0\n"
        "loop:\n"
        "  addvar 10 1\n"
        "  runoff\n"              // one step a frame
        "  ifvargt 10 4 loop\n"   // goes on above 4, else back
        "  runon\n"
        "  setvar32 11 0x10000\n"
        "  dlg none 0 \"x\"\n"
        "  subvar32 11 1\n"
        "  runoff\n"
        "  ifvargt 11 0 done\n"
        "  setvar 12 1\n"
        "done:\n"
        "  end\n";
    Write(source);
    auto run = [] {
        ResetTalkMachine();
        StartStoryTalk(100, 1, 80, 80);
        return RunToEnd(50);
    };
    const int frames = run();
    EXPECT_EQ(frames, 7);
    EXPECT_EQ(gTalkVar[10], 5u);
    EXPECT_EQ(gTalkVar[11], 0xFFFFu);
    EXPECT_EQ(gTalkVar[12], 1u);
    EXPECT_EQ(gYields, 1);
    EXPECT_EQ(Boxes(), 0u);
    ExpectIdleContext();
    EXPECT_EQ(run(), frames);
}

} // namespace
