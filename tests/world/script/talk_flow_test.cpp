// The flow family of talk instructions: jumps, flags, the story clock, timed
// waits, role values, dialogs with their settings and captions, and the
// dialog waits, each run as one instruction through its handler.
#include "world/script/talk_flow.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "base/game_state.h"
#include "base/random.h"
#include "tests/support/place_role.h"
#include "tests/world/script/talk_test_util.h"
#include "tests/world/world_fixture.h"
#include "tools/namex_writer.h"
#include "world/map/map.h"
#include "world/role/dialog_setup.h"
#include "world/role/role_def.h"
#include "world/script/path_run.h"
#include "world/story_flags.h"

namespace {

// The assembler lays entry code out from offset 8002 (after the 2000 offsets
// and the shared end instruction), so a label on the first instruction is 8002.
// It is also where the window stands after Load: an instruction that does not
// jump leaves it there.
constexpr uint32_t kTop = 8002;

class TalkFlowTest : public WorldTablesTest {
protected:
    void SetUp() override {
        WorldTablesTest::SetUp();
        ResetTalkMachine();
        ResetStoryFlags();
        ResetDialogSetup();
        FreeDialogList();
        ResetRandom();
        for (auto& r : gRole) r = RoleRecord{};
        TotalRole = 1;
        gPlayerRole = 0;
        gRole[0].guid = 1;
        gRole[0].flags = kRoleActive;
        gCurrentMap = 0;
        gStoryClock = gClockMark = 0;
        gNow = 0;
        gDialogScene.frames[0] = &frame_;
        gTalkContext = RoleRecord{};
        gTalkContext.guid = kTalkGuidNone;
        gTalkContext.x = 320;
        gTalkContext.y = 240;
    }
    void TearDown() override {
        FreeDialogList();
        FreeEventRects();
        ResetDialogSetup();
        ResetTalkMachine();
        gRoleDef = nullptr;
        gRoleDefBytes = 0;
        WorldTablesTest::TearDown();
    }
    // The code in the window as talk 0, and in Talk1.dat of the install.
    void Load(const std::string& code) {
        ASSERT_TRUE(LoadTalkCode(code));
        std::string error;
        ASSERT_TRUE(WriteTalkFiles(install.Path(), "talk 0\n" + code + "\n", &error)) << error;
        gTalkContext.talkNumber = 0;
    }
    TalkStep Run(const std::string& code, TalkInstr* out = nullptr) {
        Load(code);
        return RunTalkInstrAt(0, out);
    }
    // After the first instruction of a code whose label `to` (on an end) follows
    // it: a jump moves the window to the label and loads its code; no jump
    // leaves the window at the entry.
    static void ExpectJumped(bool jumps, const TalkInstr& first, const std::string& what) {
        if (jumps) {
            EXPECT_EQ(gTalkContext.talkWindowBase, kTop + first.length) << what;
            EXPECT_EQ(gTalkContext.talkPc, 0u) << what;
            EXPECT_EQ(gTalkMachine.window[0] | gTalkMachine.window[1] << 8, kTalkOpEnd) << what;
        } else {
            EXPECT_EQ(gTalkContext.talkWindowBase, kTop) << what;
        }
    }
    // Runs the instructions one after another up to the end instruction.
    std::vector<TalkStep> RunAll(const std::string& code) {
        Load(code + "\nend");
        std::vector<TalkStep> steps;
        for (uint32_t pc = 0; (gTalkMachine.window[pc] | gTalkMachine.window[pc + 1] << 8) != kTalkOpEnd;) {
            TalkInstr in;
            steps.push_back(RunTalkInstrAt(pc, &in));
            pc += in.length;
        }
        return steps;
    }
    RoleRecord& Role(uint32_t i, uint16_t guid, int x = 160, int y = 160) {
        return PlaceTestRole(i, guid, x, y);
    }
    // Role definitions (ids and value words) in a table of our own.
    void Defs(std::vector<std::pair<uint16_t, uint16_t>> defs) {
        defTable_.assign(defs.size() * kRoleDefBytes, 0);
        gRoleDef = defTable_.data();
        gRoleDefBytes = uint32_t(defTable_.size());
        for (uint32_t i = 0; i < defs.size(); ++i) {
            RoleDef d{};
            d.guid = defs[i].first;
            d.kept = defs[i].second;
            PutRoleDefAt(i, d);
        }
    }
    uint16_t Value(uint32_t def) const { return GetRoleDefAt(def).kept; }
    std::string LastCaption() const {
        return HeadlessMessageBoxes().empty() ? std::string() : HeadlessMessageBoxes().back().caption;
    }
    static size_t DialogCount() {
        size_t n = 0;
        for (DialogNode* d = gDialogList; d; d = d->next) ++n;
        return n;
    }
    static DialogNode* Node(uint16_t speaker, uint32_t flags) {
        auto* n = new DialogNode{};
        n->speaker = speaker;
        n->flags = flags;
        AppendDialogNode(n);
        return n;
    }
    ActRecord frame_{};
    std::vector<uint8_t> defTable_;
};

// ---- Jumps, flags and the clock -------------------------------------------------------------

struct FlowCase {
    const char* what;
    std::function<void()> before;
    std::string code;
    TalkStep step;
    bool jumps;
};

TEST_F(TalkFlowTest, JumpsFlagsAndClock) {
    const FlowCase cases[] = {
        {"jump", [] {}, "jump to\nto:\nend", TalkStep::kJump, true},
        {"ifflag set", [] { SetFlag(5); }, "ifflag 5 to\nto:\nend", TalkStep::kJump, true},
        {"ifflag clear", [] {}, "ifflag 5 to\nto:\nend", TalkStep::kContinue, false},
        {"ifnotflag clear", [] {}, "ifnotflag 5 to\nto:\nend", TalkStep::kJump, true},
        {"ifnotflag set", [] { SetFlag(5); }, "ifnotflag 5 to\nto:\nend", TalkStep::kContinue, false},
        {"ifallflags all", [] { SetFlag(1); SetFlag(2); }, "ifallflags 1 2 to\nto:\nend", TalkStep::kJump, true},
        {"ifallflags one", [] { SetFlag(2); }, "ifallflags 1 2 to\nto:\nend", TalkStep::kContinue, false},
        {"ifallflags empty", [] {}, "ifallflags to\nto:\nend", TalkStep::kJump, true},
        {"ifanyflag one", [] { SetFlag(2); }, "ifanyflag 1 2 to\nto:\nend", TalkStep::kJump, true},
        {"ifanyflag none", [] {}, "ifanyflag 1 2 to\nto:\nend", TalkStep::kContinue, false},
        {"ifanyflag empty", [] { SetFlag(1); }, "ifanyflag to\nto:\nend", TalkStep::kContinue, false},
        {"ifclock low byte", [] { gStoryClock = 5; }, "ifclock 0x0105 to\nto:\nend", TalkStep::kJump, true},
        {"ifclock later", [] { gStoryClock = 4; }, "ifclock 0x0105 to\nto:\nend", TalkStep::kContinue, false},
        {"ifclocksince across the wrap", [] { gClockMark = 995; gStoryClock = 6; }, "ifclocksince 10 to\nto:\nend",
         TalkStep::kJump, true},
        {"ifclocksince not yet", [] { gClockMark = 995; gStoryClock = 4; }, "ifclocksince 10 to\nto:\nend",
         TalkStep::kContinue, false},
        {"ifmap here", [] { gCurrentMap = 3; }, "ifmap 3 to\nto:\nend", TalkStep::kJump, true},
        {"ifmap elsewhere", [] { gCurrentMap = 4; }, "ifmap 3 to\nto:\nend", TalkStep::kContinue, false},
        {"ifnotmap elsewhere", [] { gCurrentMap = 4; }, "ifnotmap 3 to\nto:\nend", TalkStep::kJump, true},
        {"ifnotmap here", [] { gCurrentMap = 3; }, "ifnotmap 3 to\nto:\nend", TalkStep::kContinue, false},
        {"nop9d", [] {}, "nop9d 1 2 3", TalkStep::kContinue, false},
        {"nop73", [] {}, "nop73 1", TalkStep::kYield, false},
        {"nop9b", [] {}, "nop9b", TalkStep::kYield, false},
        {"nop9c", [] {}, "nop9c", TalkStep::kYield, false},
        {"stop9e", [] {}, "stop9e", TalkStep::kWait, false},
        {"stop9f", [] {}, "stop9f", TalkStep::kWait, false},
        {"stopcd", [] {}, "stopcd", TalkStep::kWait, false},
    };
    for (const FlowCase& c : cases) {
        SetUp();
        c.before();
        TalkInstr first;
        EXPECT_EQ(Run(c.code, &first), c.step) << c.what;
        ExpectJumped(c.jumps, first, c.what);
        TearDown();
    }
}

TEST_F(TalkFlowTest, FlagSetters) {
    struct Case {
        std::string code;
        TalkStep step;
        int flag;
        int value;
    } cases[] = {
        {"setflag 7", TalkStep::kContinue, 7, 1},   {"clearflag 8", TalkStep::kContinue, 8, 0},
        {"setflag70", TalkStep::kYield, 70, 1},     {"setflag19", TalkStep::kYield, 19, 1},
        {"clearflag19", TalkStep::kYield, 19, 0},   {"join 2", TalkStep::kContinue, 31, 1},
        {"leave 4", TalkStep::kContinue, 33, 0},
    };
    for (const Case& c : cases) {
        SetFlagTo(c.flag, 1 - c.value);
        EXPECT_EQ(Run(c.code), c.step) << c.code;
        EXPECT_EQ(IsFlag(c.flag), c.value) << c.code;
    }
}

TEST_F(TalkFlowTest, PartyMembersOutsideOneToFourChangeNoFlag) {
    for (const char* code : {"join 0", "join 5", "leave 5"}) {
        uint8_t before[kStoryFlagBytes];
        std::memcpy(before, gStoryFlag, sizeof before);
        const size_t boxes = BoxCount();
        EXPECT_EQ(Run(code), TalkStep::kContinue) << code;
        EXPECT_EQ(BoxCount(), boxes + 1) << code;
        EXPECT_EQ(std::memcmp(before, gStoryFlag, sizeof before), 0) << code;
    }
}

TEST_F(TalkFlowTest, ClockSettersAndMark) {
    EXPECT_EQ(Run("setclock 500"), TalkStep::kContinue);
    EXPECT_EQ(gStoryClock, 500u);
    EXPECT_EQ(Run("setclock 1001"), TalkStep::kContinue);
    EXPECT_EQ(gStoryClock, 0u);
    gStoryClock = 321;
    EXPECT_EQ(Run("markclock"), TalkStep::kContinue);
    EXPECT_EQ(gClockMark, 321u);
}

// ---- Timed wait ---------------------------------------------------------------------------

TEST_F(TalkFlowTest, SleepWaitsItsMillisecondsAndLeavesItsWordsAsTheyWere) {
    Load("sleep 1000");
    const std::vector<uint8_t> code(gTalkMachine.window, gTalkMachine.window + 4);
    gNow = 5000;
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kWait);
    EXPECT_EQ(gTalkMachine.window[1] & 0x80, 0x80);  // running
    gNow = 6000;
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kWait);
    gNow = 6001;
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kContinue);
    EXPECT_EQ(std::vector<uint8_t>(gTalkMachine.window, gTalkMachine.window + 4), code);
}

// A stall fixture: the wait ends within its time on a clock that moves one
// frame at a time, whatever its operand.
TEST_F(TalkFlowTest, SleepEndsWithinItsTimeForEveryOperand) {
    for (uint32_t ms : {0u, 1u, 35u, 0x7FFFu, 0xFFFFu}) {
        Load("sleep " + std::to_string(ms));
        gNow = 100;
        int frames = 0;
        while (RunTalkInstrAt(0) == TalkStep::kWait && frames < 3000) {
            ++frames;
            gNow += kFrameMs;
        }
        EXPECT_LE(uint64_t(frames) * kFrameMs, uint64_t(ms) + 2 * kFrameMs) << ms;
    }
}

// ---- Choice and random branches ------------------------------------------------------------

TEST_F(TalkFlowTest, ChoiceJumpsToTheChosenTargetAndClearsTheChoice) {
    // choice with three targets is 18 bytes; a and b follow it, 2 bytes each.
    const std::string code = "choice top a b\ntop:\nnop9b\na:\nnop9b\nb:\nnop9b";
    SetTalkChoice(2);
    EXPECT_EQ(gEventRects.words[0], 2u);  // the dialog highlights the same option
    FreeEventRects();                     // the click frees the buttons; the choice stays
    EXPECT_EQ(TalkChoice(), 2u);
    EXPECT_EQ(Run(code), TalkStep::kJump);
    EXPECT_EQ(gTalkContext.talkWindowBase, kTop + 18 + 4);
    EXPECT_EQ(TalkChoice(), 0u);
}

TEST_F(TalkFlowTest, AChoiceBeyondTheTargetsTakesTheFirst) {
    SetTalkChoice(5);
    EXPECT_EQ(Run("choice top a\ntop:\nnop9b\na:\nnop9b"), TalkStep::kJump);
    EXPECT_EQ(gTalkContext.talkWindowBase, kTop + 14);
    EXPECT_EQ(BoxCount(), 1u);
    EXPECT_EQ(LastCaption(), "\xB9\xEF\xB8\xDC\xA8t\xB2\xCE(BTN_JUMP)");
}

TEST_F(TalkFlowTest, TheKeysMoveTheChoiceThroughTheListedOptions) {
    struct Case {
        std::vector<uint32_t> words;  // the listed options, in list order
        uint32_t from;
        int delta;
        uint32_t to;
    } cases[] = {
        {{0, 1, 2}, 0, 1, 1},  {{0, 1, 2}, 2, 1, 0}, {{0, 1, 2}, 0, -1, 2}, {{0, 1}, 1, -1, 0},
        {{0}, 0, 1, 0},        {{1, 2}, 2, 1, 1},    {{1, 2}, 0, 1, 2},     // a choice naming no option counts as the first
        {{}, 4, 1, 4},                                                       // nothing listed: nothing moves
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.words) + " from " + std::to_string(c.from));
        FreeEventRects();
        for (uint32_t w : c.words) AddEventRect(w, 0, 0, 10, 10);
        SetTalkChoice(c.from);
        MoveTalkChoice(c.delta);
        EXPECT_EQ(TalkChoice(), c.to);
        EXPECT_EQ(gEventRects.words[kEventRectChoice], c.to);
    }
    // Taking it: the options go, the choice and its highlight word stay.
    gEventRects.words[kEventRectChoiceFlags] = kChoiceKeysClose;
    AddEventRect(7, 0, 0, 10, 10);
    SetTalkChoice(7);
    TakeTalkChoice();
    EXPECT_EQ(CountEventRects(), 0);
    EXPECT_EQ(gEventRects.words[kEventRectChoiceFlags], 0u);
    EXPECT_EQ(TalkChoice(), 7u);
    EXPECT_EQ(gEventRects.words[kEventRectChoice], 7u);
    FreeEventRects();
}

TEST_F(TalkFlowTest, RandomPicksOneOfItsTargets) {
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(Run("random a b\na:\nnop9b\nb:\nnop9b"), TalkStep::kJump);
        const uint32_t base = gTalkContext.talkWindowBase;
        EXPECT_TRUE(base == kTop + 14 || base == kTop + 16) << base;
    }
}

// An empty target list (the assembler refuses one; a damaged file may hold
// it) never jumps to the list's terminator: one box, and the talk goes on.
TEST_F(TalkFlowTest, EmptyTargetListsGoOn) {
    for (const char* code : {"word 0x29 0xFF00 0xFF00", "word 0x57 0xFF00 0xFF00"}) {
        const size_t boxes = BoxCount();
        EXPECT_EQ(Run(code), TalkStep::kContinue) << code;
        EXPECT_EQ(gTalkContext.talkWindowBase, kTop) << code;
        EXPECT_EQ(BoxCount(), boxes + 1) << code;
    }
}

TEST_F(TalkFlowTest, GotoTalkRefusesANegativeNumber) {
    EXPECT_EQ(Run("gototalk -1"), TalkStep::kFail);
    EXPECT_EQ(BoxCount(), 1u);
}

// ---- Role values --------------------------------------------------------------------------

TEST_F(TalkFlowTest, RoleValues) {
    struct Case {
        std::string code;
        TalkStep step;
        bool jumps;
        uint16_t value10, value11; // the value words after it
    } cases[] = {
        {"rvset 10 1 0x199", TalkStep::kContinue, false, 0x1299, 0x00FA},
        {"rvadd 11 1 10", TalkStep::kContinue, false, 0x1234, 0x0004},  // 250 + 10 wraps to 4
        {"rvsub 10 2 0x13", TalkStep::kContinue, false, 0xFF34, 0x00FA},
        {"ifrvge 10 1 0x34 to\nto:\nend", TalkStep::kJump, true, 0x1234, 0x00FA},
        {"ifrvge 10 1 0x35 to\nto:\nend", TalkStep::kContinue, false, 0x1234, 0x00FA},
        {"ifrvle 10 1 0x33 to\nto:\nend", TalkStep::kContinue, false, 0x1234, 0x00FA},
        {"ifrvle 10 2 0x12 to\nto:\nend", TalkStep::kJump, true, 0x1234, 0x00FA},
        {"ifrveq 10 2 0x12 to\nto:\nend", TalkStep::kJump, true, 0x1234, 0x00FA},
        {"ifrveq 10 2 0x13 to\nto:\nend", TalkStep::kContinue, false, 0x1234, 0x00FA},
        {"ifrvcmp 10 2 11 1 to\nto:\nend", TalkStep::kContinue, false, 0x1234, 0x00FA},
        {"ifrvcmp 11 1 10 2 to\nto:\nend", TalkStep::kJump, true, 0x1234, 0x00FA},
    };
    for (const Case& c : cases) {
        Defs({{10, 0x1234}, {11, 0x00FA}});
        TalkInstr first;
        EXPECT_EQ(Run(c.code, &first), c.step) << c.code;
        ExpectJumped(c.jumps, first, c.code);
        EXPECT_EQ(Value(0), c.value10) << c.code;
        EXPECT_EQ(Value(1), c.value11) << c.code;
        EXPECT_EQ(BoxCount(), 0u) << c.code;
    }
}

TEST_F(TalkFlowTest, RoleValueSwitch) {
    const std::string code = "rvswitch 12 1 a b c\na:\nnop9b\nb:\nnop9b\nc:\nnop9b";  // 6 + 16 bytes
    Defs({{12, 2}});
    EXPECT_EQ(Run(code), TalkStep::kJump);
    EXPECT_EQ(gTalkContext.talkWindowBase, kTop + 22 + 4);
    Defs({{12, 3}});
    EXPECT_EQ(Run(code), TalkStep::kContinue);
    EXPECT_EQ(gTalkContext.talkWindowBase, kTop);
    EXPECT_EQ(LastCaption(), "Err(Talk:rv_switch)");
}

TEST_F(TalkFlowTest, RoleValuesOfAMissingDefinitionOrABadSelectChangeNothing) {
    struct Case {
        std::string code;
        const char* caption;
    } cases[] = {
        {"rvset 99 1 5", "Err(Talk:rv_set)"},
        {"rvadd 10 3 5", "Err(Talk:rv_add)"},
        {"ifrveq 99 1 0 to\nto:\nend", "Err(Talk:rv_add)"},
        {"ifrvcmp 10 1 99 1 to\nto:\nend", "Err(Talk:rv_comp)"},
        {"rvswitch 10 0 to\nto:\nend", "Err(Talk:rv_switch)"},
    };
    for (const Case& c : cases) {
        Defs({{10, 0x1234}});
        const size_t boxes = BoxCount();
        TalkInstr first;
        EXPECT_EQ(Run(c.code, &first), TalkStep::kContinue) << c.code;
        EXPECT_EQ(BoxCount(), boxes + 1) << c.code;
        EXPECT_EQ(LastCaption(), c.caption) << c.code;
        EXPECT_EQ(Value(0), 0x1234) << c.code;
        ExpectJumped(false, first, c.code);
    }
}

// ---- Dialogs ------------------------------------------------------------------------------

TEST_F(TalkFlowTest, DialogKinds) {
    struct Case {
        std::string code;
        bool waits;
        uint32_t flags;
    } cases[] = {
        {"dlgw 50 0 \"Hello\"", true, kDlgReleasesPlayer},
        {"dlg 50 0 \"Hello\"", false, 0},
        {"dlgboxw 50 0 100 100 10 4 \"Hello\"", true, kDlgReleasesPlayer},
        {"dlgbox 50 0 100 100 10 4 \"Hello\"", false, 0},
        {"dlgfreew 50 0 100 100 10 4 \"Hello\"", true, kDlgReleasesPlayer | kDlgFadingClose},
        {"dlgfree 50 0 100 100 10 4 \"Hello\"", false, kDlgFadingClose},
        {"dlgsizew 50 0 10 4 \"Hello\"", true, kDlgReleasesPlayer},
        {"dlgsize 50 0 10 4 \"Hello\"", false, 0},
    };
    for (const Case& c : cases) {
        FreeDialogList();
        Role(1, 50);
        EXPECT_EQ(Run(c.code), TalkStep::kYield) << c.code;
        ASSERT_EQ(DialogCount(), 1u) << c.code;
        EXPECT_EQ(gDialogList->flags, c.flags) << c.code;
        EXPECT_EQ(gDialogList->speaker, 1) << c.code;
        EXPECT_STREQ(gDialogList->text, "Hello%Q") << c.code;
        EXPECT_EQ(gRole[1].talkLock, c.waits ? 1 : 2) << c.code;
        EXPECT_EQ(gDialogCount, c.waits ? 1u : 0u) << c.code;
    }
    EXPECT_EQ(BoxCount(), 0u);
}

TEST_F(TalkFlowTest, TheStarterIsWrittenBackAndADialogWithoutSpeakerLocksTheContext) {
    Role(1, 50);
    gTalkContext.guid = 50;
    EXPECT_EQ(Run("dlgw starter 0 \"Hi\""), TalkStep::kYield);
    EXPECT_EQ(gTalkMachine.window[2] | gTalkMachine.window[3] << 8, 50);
    EXPECT_EQ(gDialogList->speaker, 1);
    gTalkContext.guid = kTalkGuidNone;
    EXPECT_EQ(Run("dlg none 0 \"Hi\""), TalkStep::kYield);
    EXPECT_EQ(gTalkContext.talkLock, 2);
    EXPECT_EQ(gDialogList->next->speaker, kDialogNoSpeaker);
}

// A speaker that is not on the map: one box from the set-up, no node, no
// count, no lock, and the talk goes on.
TEST_F(TalkFlowTest, AFailedSetUpAppendsNothing) {
    EXPECT_EQ(Run("opt20\ndlgw 77 0 \"Hi\""), TalkStep::kContinue);
    TalkInstr in;
    RunTalkInstrAt(2, &in);
    EXPECT_EQ(in.op, 0x01);
    EXPECT_EQ(gDialogList, nullptr);
    EXPECT_EQ(gDialogCount, 0u);
    EXPECT_EQ(gTalkContext.talkLock, 0);
    EXPECT_EQ(BoxCount(), 1u);
    EXPECT_EQ(gTalkMachine.flow.options.optionWord, 0xFFFFFFFFu);  // the settings went with it
}

TEST_F(TalkFlowTest, OptionsApplyToTheNextDialogOnly) {
    struct Case {
        std::string option;
        uint32_t flags;
    } cases[] = {
        {"opt20", kDlgNoSkip},       {"opt400", kDlgNoWait},  {"opttall", kDlgTall},
        {"opt02", kDlgClosing},      {"opttimer 30", kDlgAutoAdvance},
    };
    for (const Case& c : cases) {
        FreeDialogList();
        Role(1, 50);
        RunAll(c.option + "\ndlg 50 0 \"One\"\ndlg 50 0 \"Two\"");
        ASSERT_EQ(DialogCount(), 2u) << c.option;
        EXPECT_EQ(gDialogList->flags, c.flags) << c.option;
        EXPECT_EQ(gDialogList->next->flags, 0u) << c.option;
        EXPECT_EQ(gDialogList->next->autoTime, kDialogNoAutoTime) << c.option;
    }
    EXPECT_EQ(gDialogList->autoTime, 30);
}

TEST_F(TalkFlowTest, TwoOptionsAndACaptionApplyToOneDialog) {
    ASSERT_TRUE(WriteNamex(install.Path(), {"zero", "Sage"}));
    Role(1, 50);
    const std::vector<TalkStep> steps =
        RunAll("opt20\nopttall\ncaption 1\ndlgw 50 0 \"One\"\ndlgw 50 0 \"Two\"");
    const std::vector<TalkStep> expected = {TalkStep::kContinue, TalkStep::kContinue, TalkStep::kContinue,
                                            TalkStep::kYield, TalkStep::kYield};
    EXPECT_EQ(steps, expected);
    ASSERT_EQ(DialogCount(), 2u);
    EXPECT_EQ(gDialogList->flags, kDlgNoSkip | kDlgTall | kDlgReleasesPlayer);
    EXPECT_STREQ(gDialogList->caption, "Sage");
    EXPECT_EQ(gDialogList->next->flags, kDlgReleasesPlayer);
    EXPECT_STREQ(gDialogList->next->caption, "");
    EXPECT_EQ(gDialogCount, 2u);
}

TEST_F(TalkFlowTest, ModeOptions) {
    Role(1, 50, 320, 240);
    RunAll("opthistory\ndlg 50 0 \"Kept\"\ndlg 50 0 \"Not kept\"");
    ASSERT_NE(gTalkHistory, nullptr);
    EXPECT_STREQ(gTalkHistory->text, "Kept%Q");
    EXPECT_EQ(gTalkHistory->next, nullptr);

    FreeDialogList();
    RunAll("optoneline\ndlg 50 0 \"One line\"");
    EXPECT_EQ(gDialogList->height, 22);

    // Offsets are signed: the same dialog placed with offsets 40 and -40.
    FreeDialogList();
    RunAll("optoffset 40 20\ndlg 50 0 \"Here\"\noptoffset -40 -20\ndlg 50 0 \"Here\"");
    EXPECT_EQ(gDialogList->x - gDialogList->next->x, 80);
    EXPECT_EQ(gDialogList->y - gDialogList->next->y, 40);

    FreeDialogList();
    RunAll("dlgbox 50 0 200 100 10 4 \"Box\"\nopt40000\ndlgbox 50 0 200 100 10 4 \"Box\"");
    EXPECT_EQ(gDialogList->x - gDialogList->next->x, 55);  // half of 10 units
}

TEST_F(TalkFlowTest, AnAnchoredDialogStandsAtItsAnchor) {
    gDialogScene.cameraLeft = 1000;
    gDialogScene.cameraTop = 500;
    RunAll("optanchor 700 200\ndlg none 0 \"Over there\"");
    ASSERT_NE(gDialogList, nullptr);
    EXPECT_EQ(gDialogList->anchorX, 1016);  // beyond the screen: 16
    EXPECT_EQ(gDialogList->anchorY, 700);
    EXPECT_EQ(gDialogList->x, 30);          // centred on x 16, kept on the screen
    EXPECT_EQ(gDialogList->y, 200 - gDialogList->height / 2);
    EXPECT_EQ(gTalkMachine.flow.options.anchorX, TalkDialogOptions::kNoAnchor);
}

TEST_F(TalkFlowTest, CaptionsComeFromTheNameFileBoundedToTheirBytes) {
    WriteMon({{12, Item("Jade Ring")}});
    std::vector<std::string> names(60, "n");
    names[3] = "Elder %T12.";
    names[50] = std::string(40, 'L');
    names[51] = std::string(29, 'a') + "\xA4\x40\xA4\x40";  // a two-byte character would cross byte 31
    ASSERT_TRUE(WriteNamex(install.Path(), names));
    Role(1, 50);
    struct Case {
        std::string code;
        std::string caption;
    } cases[] = {
        {"caption 3", "Elder Jade Ring"},
        {"caption 50", std::string(31, 'L')},
        {"caption 51", std::string(29, 'a') + "\xA4\x40"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.code), TalkStep::kContinue) << c.code;
        EXPECT_EQ(std::string(gTalkMachine.flow.caption), c.caption) << c.code;
    }
    gTalkContext.guid = 3;
    Run("caption starter");
    EXPECT_EQ(std::string(gTalkMachine.flow.caption), "Elder Jade Ring");
    RunAll("dlg 50 0 \"Hi\"\ndlg 50 0 \"Hi\"");
    EXPECT_STREQ(gDialogList->caption, "Elder Jade Ring");
    EXPECT_STREQ(gDialogList->next->caption, "");
    EXPECT_EQ(gTalkMachine.flow.caption[0], 0);
    EXPECT_EQ(BoxCount(), 0u);
}

TEST_F(TalkFlowTest, CaptionByVariable) {
    ASSERT_TRUE(WriteNamex(install.Path(), {"zero", "one", "two", "Guard"}));
    gTalkVar[11] = 3;
    EXPECT_EQ(Run("captionvar 11"), TalkStep::kContinue);
    EXPECT_EQ(std::string(gTalkMachine.flow.caption), "Guard");
    for (const char* code : {"captionvar 5", "captionvar 12"}) {  // not 11 or 12; 12 holds 0
        gTalkMachine.flow.caption[0] = 0;
        const size_t boxes = BoxCount();
        EXPECT_EQ(Run(code), TalkStep::kContinue) << code;
        EXPECT_EQ(BoxCount(), boxes + 1) << code;
        EXPECT_EQ(LastCaption(), "\xB9\xEF\xB8\xDC\xA8t\xB2\xCE(Caption2)") << code;
        EXPECT_EQ(gTalkMachine.flow.caption[0], 0) << code;
    }
}

TEST_F(TalkFlowTest, HistoryAppendsItsTextAndYields) {
    EXPECT_EQ(Run("history \"Remember\""), TalkStep::kYield);
    ASSERT_NE(gTalkHistory, nullptr);
    EXPECT_STREQ(gTalkHistory->text, "Remember%Q");
    const std::string longest(253, 'h');
    EXPECT_EQ(Run("history \"" + longest + "\""), TalkStep::kYield);
    EXPECT_EQ(std::string(gTalkHistory->next->text), longest + "%Q");
}

// ---- Closing and waits --------------------------------------------------------------------

TEST_F(TalkFlowTest, ClosingGivesBackOnlyTheCountsOfDialogsThatHeldThePlayer) {
    Role(1, 50);
    Role(2, 60);
    Node(1, kDlgReleasesPlayer);
    Node(1, kDlgNoWait);
    Node(2, kDlgReleasesPlayer);
    Node(1, kDlgReleasesPlayer | kDlgEnded);  // already gave its count back
    gDialogCount = 2;
    gRole[1].talkLock = 1;
    gRole[2].talkLock = 1;
    EXPECT_EQ(Run("closedlg 50"), TalkStep::kContinue);
    ASSERT_EQ(DialogCount(), 1u);
    EXPECT_EQ(gDialogList->speaker, 2);
    EXPECT_EQ(gDialogCount, 1u);
    EXPECT_EQ(gRole[1].talkLock, 0);
    EXPECT_EQ(gRole[2].talkLock, 1);
    // Closing the rest twice never takes the count below 0.
    Node(kDialogNoSpeaker, kDlgReleasesPlayer);
    gDialogCount = 0;
    EXPECT_EQ(Run("closedlg none"), TalkStep::kContinue);
    EXPECT_EQ(gDialogCount, 0u);
    EXPECT_EQ(DialogCount(), 1u);
}

TEST_F(TalkFlowTest, ClosingAChoiceDialogTakesItsButtons) {
    Role(1, 50);
    Node(1, kDlgOptions | kDlgOptionsListed);
    AddEventRect(0, 10, 10, 100, 30);
    EXPECT_EQ(Run("closedlg 50"), TalkStep::kContinue);
    EXPECT_EQ(gEventRects.head, nullptr);
}

// What the message dialog does when a box is gone: unlinked, the speaker's
// lock 0 (a box without a speaker leaves the context's lock alone).
void CloseLikeTheMessageDialog() {
    while (DialogNode* n = gDialogList) {
        gDialogList = n->next;
        if (n->speaker < TotalRole) gRole[n->speaker].talkLock = 0;
        if ((n->flags & kDlgReleasesPlayer) && gDialogCount > 0) --gDialogCount;
        delete n;
    }
}

// Stall fixtures: each dialog wait runs once a frame while the message
// dialog works, and must end within a bound once the dialog is closed.
struct WaitCase {
    const char* what;
    std::string dialog;  // opens the dialog waited for
    std::string wait;
    int closeAt;         // frame at which the message dialog closes it (-1: never)
    uint32_t setFlags;   // flags the message dialog sets at frame 2
};

TEST_F(TalkFlowTest, DialogWaitsEnd) {
    const WaitCase cases[] = {
        {"waitdlg on a speaker", "dlgw 50 0 \"A\"", "waitdlg 50", 5, 0},
        {"waitdlg on the starter", "dlgw 50 0 \"A\"", "waitdlg starter", 5, 0},
        {"waitdlg without a speaker", "dlgw none 0 \"A\"", "waitdlg none", 5, 0},
        {"waitdlg1 open", "dlgw 50 0 \"A\"", "waitdlg1 50", -1, kDlgOpenComplete},
        {"waitdlg1 closed before opening", "dlgw 50 0 \"A\"", "waitdlg1 50", 1, 0},
        {"waitdlg8000 last page", "dlgw none 0 \"A\"", "waitdlg8000 none", -1, kDlgLastPage},
        {"waitdlg8000 ended", "dlgw none 0 \"A\"", "waitdlg8000 none", -1, kDlgEnded},
    };
    for (const WaitCase& c : cases) {
        FreeDialogList();
        Role(1, 50);
        gTalkContext.guid = 50;
        gTalkContext.talkLock = 0;
        Run(c.dialog);
        Load(c.wait);
        int frame = 0;
        TalkStep step = TalkStep::kWait;
        for (; frame < 100 && (step = RunTalkInstrAt(0)) == TalkStep::kWait; ++frame) {
            if (frame == 2 && gDialogList) gDialogList->flags |= c.setFlags;
            if (frame == c.closeAt) CloseLikeTheMessageDialog();
        }
        EXPECT_LT(frame, 10) << c.what;
        EXPECT_NE(step, TalkStep::kWait) << c.what;
        EXPECT_EQ(BoxCount(), 0u) << c.what;
    }
}

// The message dialog never clears the context's lock: the wait on the
// dialogs without a speaker clears it when their last one is gone.
TEST_F(TalkFlowTest, WaitingOnDialogsWithoutSpeakerFreesTheContextLock) {
    Run("dlgw none 0 \"A\"");
    EXPECT_EQ(gTalkContext.talkLock, 1);
    Load("waitdlg none");
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kWait);
    CloseLikeTheMessageDialog();
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kYield);
    EXPECT_EQ(gTalkContext.talkLock, 0);
    EXPECT_EQ(gDialogCount, 0u);
}

TEST_F(TalkFlowTest, DialogWaitsOnARoleNotOnTheMapGoOnWithOneBox) {
    for (const char* code : {"waitdlg 77", "waitdlg1 77", "waitdlg8000 77"}) {
        const size_t boxes = BoxCount();
        EXPECT_NE(Run(code), TalkStep::kWait) << code;
        EXPECT_EQ(BoxCount(), boxes + 1) << code;
    }
    EXPECT_EQ(LastCaption(), "Talk(wait_dlg2)");
}

} // namespace
