// The party's command application, code by code, with fake performers that
// finish after a set number of frames.
#include <string>

#include "base/settings.h"
#include "battle/action/action_texts.h"
#include "battle/battle_start.h"
#include "battle/input/menu_choice.h"
#include "draw/tsw_pack.h"
#include "tests/support/draw_recorder.h"
#include "tests/support/screen_buffer.h"
#include "tests/support/sound_recorder.h"
#include "tests/support/temp_folder.h"
#include "tools/file_writer.h"
#include "tools/sample_art.h"
#include "tools/tsw_writer.h"
#include "battle/turn/turn_state.h"
#include "platform/headless/headless.h"
#include "tests/battle/action/action_fixture.h"
#include "world/story_flags.h"

namespace {

constexpr uint16_t kMonster = 1000;

class PartyCommandTest : public ActionTest {
protected:
    void SetUp() override {
        ActionTest::SetUp();
        Table({{kMonster, ObjectRecordBytes("beast", 0, {})}, {300, ObjectRecordBytes("herb", 0, {})}});
    }
    int Run(int slot, int target, int limit = 100) {
        return FramesUntilDone([&] { return PartyFrame(slot, target); }, limit);
    }
};

// A table of plain codes: what the command returns on its frames, and what
// the command word is afterwards.
struct CodeCase {
    uint16_t code;
    int performerFrames;
    int expectFrames;       // frames until the command reports 1 (walk back included)
    uint32_t expectLife;    // the enemy's life afterwards
    int expectTraces;
};

class PartyCodeTable : public PartyCommandTest, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(PartyCodeTable, CodeGivesItsResults) {
    const CodeCase& k = GetParam();
    ManRole& m = Party(0, 0);
    MonRole& e = Enemy(0, 300);
    Turn(20);
    m.BeginRoleAction(0);
    m.SetCommand(k.code);
    for (FakeKind& f : gFakes) {
        f.frames = k.performerFrames;
        f.amount = 120;
    }
    gFakes[kFakeWalkBack].frames = 2;
    gFakes[kFakeWalkBack].amount = 0;
    const size_t traces = Traces();
    EXPECT_EQ(Run(0, 0), k.expectFrames);
    EXPECT_EQ(e.MonLife(), k.expectLife);
    EXPECT_EQ(int(Traces() - traces), k.expectTraces);
    EXPECT_EQ(m.GetCommand(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, PartyCodeTable,
    ::testing::Values(
        // attack: 3 frames, then the walk back of 2 (the first of them the frame the hit is booked)
        CodeCase{1, 3, 5, 180, 0},
        // technique: booked and finished on the performer's last frame
        CodeCase{4, 2, 2, 180, 0},
        CodeCase{405, 2, 4, 180, 0},
        // nothing to do
        CodeCase{5, 1, 1, 300, 0}, CodeCase{100, 1, 1, 300, 0},
        // codes without a row end at once with one trace
        CodeCase{7, 1, 1, 300, 1}, CodeCase{42, 1, 1, 300, 1}, CodeCase{250, 1, 1, 300, 1},
        CodeCase{401, 1, 1, 300, 1}));

TEST_F(PartyCommandTest, TechniqueAddsTechniquePointsAndMoreOnADown) {
    ManRole& m = Party(0, 0);
    Enemy(0, 300);
    Enemy(1, 100);
    Turn(20);
    m.BeginRoleAction(0);
    m.SetCommand(4);
    gFakes[kFakeTechnique].amount = 50;
    EXPECT_EQ(Run(0, 0), 1);
    EXPECT_EQ(m.battleRecord->techniquePoints, 2u);
    m.SetCommand(4);
    gFakes[kFakeTechnique] = FakeKind{1, 100};
    EXPECT_EQ(Run(0, 1), 1);
    EXPECT_EQ(m.battleRecord->techniquePoints, 9u);
}

TEST_F(PartyCommandTest, ADownedTargetIsMarkedAndTheBookedAmountIsNotLeftOver) {
    ManRole& m = Party(0, 0);
    MonRole& e = Enemy(0, 100);
    Turn(20);
    m.BeginRoleAction(0);
    m.SetCommand(1);
    gFakes[kFakeAttack].amount = 150;
    EXPECT_EQ(Run(0, 0), 2);
    EXPECT_EQ(e.defeated, 1u);
    EXPECT_EQ(gLastDowned, 0);
    EXPECT_EQ(gSomeoneDowned, 1u);
    // No -1 or other amount is left to heal or hurt the next target.
    EXPECT_EQ(gActionLife, 0);
}

TEST_F(PartyCommandTest, InvincibleNeverDownsThroughTheBooking) {
    ManRole& m = Party(0, 0);
    MonRole& e = Enemy(0, 100);
    Turn(20);
    m.BeginRoleAction(0);
    m.SetCommand(1);
    gFakes[kFakeAttack].amount = 150;
    gInvincible = 1;
    Run(0, 0);
    EXPECT_EQ(e.defeated, 0u);
    EXPECT_EQ(e.MonLife(), 100u);
}

TEST_F(PartyCommandTest, AnInvalidEnemyTargetEndsTheCommandAtOnce) {
    ManRole& m = Party(0, 0);
    Enemy(0);
    Turn(20);
    m.SetCommand(1);
    EXPECT_EQ(PartyFrame(0, -1), 1);
    EXPECT_EQ(PartyFrame(0, 5), 1);
    EXPECT_EQ(gFakes[kFakeAttack].calls, 0);
}

TEST_F(PartyCommandTest, AParkedItemRunsTheItemRowAndConsumesTheItem) {
    ManRole& m = Party(0, 0);
    Enemy(0);
    Bag(300, 3);
    Turn(20, 1);  // aimed at the party
    m.BeginRoleAction(0);
    m.SelectBagEntry(300, true);
    m.SetCommand(3);
    ASSERT_EQ(m.GetCommand(), 0);
    ASSERT_EQ(m.GetSubCommand(), 3);
    gHitActs[0] = ActRecord{};
    gPerformers.targetHit = [](Role*, Role*, int, int) { return 1; };
    // The action runs one frame, then the walk back (2 frames) ends the turn.
    EXPECT_EQ(Run(0, 0), 3);
    EXPECT_EQ(FindBagItem(300)->count, 2);
    EXPECT_EQ(gActionFlags & (kActionRunning | kActionOver), 0u);
    EXPECT_TRUE(AllTargetsOpen());
}

TEST_F(PartyCommandTest, MagicAfterACancelledActionIsPerformed) {
    ManRole& m = Party(0, 0);
    MonRole& e = Enemy(0, 300);
    Party(1, 1);
    // Another combatant's action was cancelled: its over bit was left set.
    gActionFlags = kActionRunning | kActionOver;
    gAction.commandActor = 21;
    Turn(20);
    m.BeginRoleAction(0);
    m.SetCommand(2);
    gPerformers.targetHit = [](Role*, Role*, int, int slot) {
        gHitLife[slot] += 100;
        gActionLife = gHitLife[slot];
        return 1;
    };
    EXPECT_GT(Run(0, 0), 1);
    EXPECT_EQ(e.MonLife(), 200u);
}

TEST_F(PartyCommandTest, ASecondCommandOfZeroFinishesAtOnce) {
    ManRole& m = Party(0, 0);
    Enemy(0);
    Turn(20);
    m.command = 0;
    m.subCommand = 0;
    EXPECT_EQ(PartyFrame(0, 0), 1);
}

TEST_F(PartyCommandTest, ACaptureOfAMonsterTakenTwentyTimesSucceedsAndPaysNothing) {
    ManRole& m = Party(0, 0);
    MonRole& e = Enemy(0);
    e.spriteSet = kMonster;
    AddCount(&gFameList2, kMonster, 20);
    gStolenItems[0][3] = 300;
    Turn(20);
    m.BeginRoleAction(0);
    m.SetCommand(6);
    const int frames = Run(0, 0, 200);
    EXPECT_GT(frames, 0);
    EXPECT_EQ(e.IsOut(), 1u);
    EXPECT_EQ(gCaptured[0], 1);
    // The monster is in the bag as new, and what it stole came back once.
    ASSERT_NE(FindBagItem(kMonster), nullptr);
    EXPECT_EQ(FindBagItem(kMonster)->newCount, 1);
    ASSERT_NE(FindBagItem(300), nullptr);
    EXPECT_EQ(FindBagItem(300)->newCount, 1);
    EXPECT_EQ(gStolenItems[0][3], 0);
    // The kill is not counted in fame.
    EXPECT_EQ(GetCount(&gFameList2, kMonster), 20);
    EXPECT_EQ(LastMessage(), std::string(kCaptureOkText));
}

TEST_F(PartyCommandTest, AFailedCaptureShowsItsMessage) {
    ManRole& m = Party(0, 0);
    MonRole& e = Enemy(0);
    e.spriteSet = kMonster;
    Turn(20);
    m.BeginRoleAction(0);
    m.SetCommand(6);
    EXPECT_GT(Run(0, 0, 200), 0);
    EXPECT_EQ(e.IsOut(), 0u);
    EXPECT_EQ(FindBagItem(kMonster), nullptr);
    EXPECT_EQ(LastMessage(), std::string(kCaptureFailText));
}

// A capture with a capture item (code 80) uses the item and, when the
// item's class is the monster's, only the item's chance; the chance is the
// item's capture's alone, and a capture without an item that follows rolls
// by the levels again (here hopeless: the monster is 20 levels above).
struct NetCase {
    const char* what;
    uint16_t netClass, netChance;
    bool thenPlain;     // a plain capture (code 6) of a second such monster follows
    bool caught;        // the net's monster
    bool plainCaught;   // the second monster
};

class CaptureItemTable : public PartyCommandTest, public ::testing::WithParamInterface<NetCase> {};

TEST_P(CaptureItemTable, TheItemsClassAndChanceDecide) {
    const NetCase& k = GetParam();
    constexpr uint16_t kNet = 310, kMonClass = 3;
    Table({{kMonster, ObjectRecordBytes("beast", 0, {})},
           {kNet, ObjectRecordBytes("net", 0x2, {{18, k.netClass}, {19, k.netChance}})}});
    Bag(kNet, 2);
    ManRole& m = Party(0, 0);
    auto capturable = [&m](MonRole& e) {
        e.spriteSet = kMonster;
        e.objRecord->typeBits |= kObjCapturable;
        SetObjWordAt(e.objRecord, mon::kClass, kMonClass);
        SetObjWordAt(e.objRecord, mon::kLevel, uint16_t(m.stats->level + 20));
    };
    MonRole& e = Enemy(0);
    capturable(e);
    Turn(20);
    m.BeginRoleAction(0);
    uint16_t act = 0;
    int target = 0;
    ASSERT_EQ(m.SelectItem(6, 1, &act, &target), 1);
    m.SetCommand(80);
    EXPECT_GT(Run(0, 0, 200), 0);
    EXPECT_EQ(e.IsOut(), k.caught ? 1u : 0u) << k.what;
    ASSERT_NE(FindBagItem(kNet), nullptr);
    EXPECT_EQ(FindBagItem(kNet)->count, 1) << "the net is used either way";
    EXPECT_EQ(LastMessage(), std::string(k.caught ? kCaptureOkText : kCaptureFailText)) << k.what;
    if (!k.thenPlain) return;
    MonRole& second = Enemy(1);
    capturable(second);
    Turn(20);
    m.BeginRoleAction(1);
    m.SetCommand(6);
    EXPECT_GT(Run(0, 1, 200), 0);
    EXPECT_EQ(second.IsOut(), k.plainCaught ? 1u : 0u) << k.what;
    EXPECT_EQ(FindBagItem(kNet)->count, 1) << "a plain capture uses no net";
}

INSTANTIATE_TEST_SUITE_P(
    Nets, CaptureItemTable,
    ::testing::Values(NetCase{"a net of the monster's class with a full chance", 3, 10, false, true, false},
                      NetCase{"a net of another class falls back to the levels", 4, 10, false, false, false},
                      NetCase{"a net of the class with no chance", 3, 0, false, false, false},
                      NetCase{"the net's chance is gone for the next capture", 3, 10, true, true, false}));

TEST_F(PartyCommandTest, TheTimedSkillEndsWhenItsCountdownSetsTheFlag) {
    ManRole& m = Party(0, 0);
    Enemy(0);
    Turn(20);
    m.BeginRoleAction(0);
    m.SetCommand(31);
    EXPECT_EQ(PartyFrame(0, 0), 0);
    EXPECT_EQ(PartyFrame(0, 0), 0);
    SetFlag(75);
    EXPECT_EQ(PartyFrame(0, 0), 1);
    EXPECT_EQ(IsFlag(75), 0);
}

TEST_F(PartyCommandTest, TheGroupTechniqueWithoutAPromptHandsOverAndEnds) {
    ManRole& m = Party(0, 0);
    MonRole& e = Enemy(0);
    Turn(20);
    m.BeginRoleAction(0);
    m.SetCommand(22);
    EXPECT_EQ(PartyFrame(0, 0), 0);
    EXPECT_EQ(e.state & kStateBit19, kStateBit19);
    // The stage moves on without a prompt: the strike on all runs.
    int frames = 1;
    while (PartyFrame(0, 0) == 0 && frames < 20) ++frames;
    EXPECT_LT(frames, 20);
    EXPECT_EQ(e.state & kStateBit19, 0u);
    EXPECT_EQ(UM, -1);
}

TEST_F(PartyCommandTest, CommandsWithoutATargetOfTheirOwnRunWithoutOne) {
    ManRole& m = Party(0, 0);
    Enemy(0);
    Turn(20);
    m.SetCommand(22);
    EXPECT_EQ(PartyFrame(0, -1), 0);  // the group technique starts
    EXPECT_GT(FramesUntilDone([] { return PartyFrame(0, -1); }), 0);
    m.SetCommand(1);
    EXPECT_EQ(PartyFrame(0, -1), 1);  // an attack without a target ends at once
    EXPECT_EQ(gFakes[kFakeAttack].calls, 0);
}

TEST_F(PartyCommandTest, FrozenTimeTakesBackOnlyTheBitsItAdded) {
    ManRole& m = Party(0, 0);
    ManRole& other = Party(1, 1);
    MonRole& held = Enemy(0);
    MonRole& free = Enemy(1);
    held.SetRoleStatusBits(kStatusHeld);  // a real ailment's hold
    Turn(20);
    m.BeginRoleAction(1);
    m.SetCommand(404);
    gFakes[kFakeTechnique].frames = 3;
    EXPECT_EQ(PartyFrame(0, 1), 0);
    EXPECT_EQ(other.status & 0x44, 0x44);
    EXPECT_EQ(free.status & 0x44, 0x44);
    EXPECT_GT(Run(0, 1), 0);
    EXPECT_EQ(other.status & 0x44, 0);
    EXPECT_EQ(free.status & 0x44, 0);
    EXPECT_EQ(held.status & kStatusHeld, kStatusHeld);
}

TEST_F(PartyCommandTest, AFailedFleeShowsItsMessageAndFinishes) {
    ManRole& m = Party(0, 0);
    Enemy(0);
    Turn(20);
    m.SetCommand(17);
    EXPECT_EQ(Run(0, 0), 1);
    EXPECT_EQ(LastMessage(), std::string(kRetreatFailedText));
    EXPECT_EQ(m.IsOut(), 0u);
}

TEST_F(PartyCommandTest, ASecondControlQueuesTheControlledEnemyWithoutARoll) {
    ManRole& m = Party(0, 0);
    Enemy(0);
    Enemy(1);
    Turn(20);
    m.SetCommand(25);
    EXPECT_EQ(Run(0, 1), 1);
    EXPECT_EQ(gControlledEnemy, 1);
    EXPECT_EQ(gController, 0);
    EXPECT_EQ(LastMessage(), std::string(kControlOkText));
    const int messages = Messages();
    m.SetCommand(25);
    EXPECT_EQ(Run(0, 0), 1);
    EXPECT_EQ(Messages(), messages);  // no second roll, no message
    EXPECT_TRUE(IsInAttackOrder(1));
    EXPECT_EQ(MS, 1);
    EXPECT_EQ(gMonCommandWord[1], 0x8000);
    // The release hands it back.
    m.SetCommand(99);
    EXPECT_EQ(Run(0, 0), 1);
    EXPECT_EQ(gControlledEnemy, -1);
    EXPECT_FALSE(IsInAttackOrder(1));
}

TEST_F(PartyCommandTest, AFailedStealShowsTheFailureAndWalksBack) {
    ManRole& m = Party(0, 0);
    MonRole& e = Enemy(0);
    // It carries something, but its steal chance of 0 lets no theft succeed.
    SetObjWordAt(e.objRecord, mon::kStealObject, 5);
    SetObjByteAt(e.objRecord, mon::kStealChance, 0);
    Turn(20);
    m.BeginRoleAction(0);
    m.SetCommand(23);
    EXPECT_EQ(Run(0, 0), 2);  // the steal, then the walk back
    EXPECT_EQ(LastMessage(), std::string(kStealFailText));
}

TEST_F(PartyCommandTest, ACommandThatNeverEndsIsEndedAtTheFrameBound) {
    ManRole& m = Party(0, 0);
    Enemy(0);
    Turn(20);
    m.BeginRoleAction(0);
    m.SetCommand(1);
    gFakes[kFakeAttack].frames = 1 << 30;
    const size_t traces = Traces();
    EXPECT_EQ(Run(0, 0, kCommandFrameCap + 5), kCommandFrameCap + 1);
    EXPECT_EQ(Traces(), traces + 1);
    EXPECT_EQ(m.GetCommand(), 0);
}

TEST_F(PartyCommandTest, TheApproachEndsEvenWhenThePerformerLeavesTheCommand) {
    ManRole& m = Party(0, 0);
    Enemy(0);
    Turn(20);
    m.BeginRoleAction(0);
    m.subCommand = 1;
    m.command = 200;
    gFakes[kFakeApproach].frames = 2;
    EXPECT_EQ(PartyFrame(0, 0), 0);
    EXPECT_EQ(PartyFrame(0, 0), 0);
    EXPECT_EQ(m.GetCommand(), 1);
}

}  // namespace

namespace {

TEST_F(PartyCommandTest, ASummonTakesOverADownedGuardsSlot) {
    ManRole& m = Party(0, 0);
    Party(1, 1);
    Enemy(0);
    ManRole& gone = gManRoles[2];
    gone.side = 1;
    gone.SetGuardFlag(1);
    gone.SetOut(1);
    gBattleManCount = 3;
    Bag(300, 1);
    m.SelectBagEntry(300, false);
    Turn(20);
    m.SetCommand(15);
    EXPECT_EQ(Run(0, 0), 2);
    EXPECT_EQ(gBattleManCount, 3u);  // no new slot: the downed guard's is reused
    EXPECT_EQ(gManRoles[2].IsGuardRole(), 1u);
    EXPECT_EQ(gManRoles[2].IsOut(), 0u);
    EXPECT_EQ(gManRoles[2].slot.spriteSet, 300);
    EXPECT_EQ(m.GetSelectedItemId(), 0);
}

// The slot the member chose in the menus is the one its summon sets up,
// at the place the menus wrote into its battle slot record: the next free
// slot, or a standing guard's that the menus sent back to the bag.
TEST_F(PartyCommandTest, ASummonSetsItsGuardUpInTheSlotTheMenusChose) {
    struct Case {
        const char* what;
        bool guardStands;
        uint32_t countAfter;
    };
    for (const Case& c : {Case{"next free slot", false, 3}, Case{"a sent-back guard's slot", true, 3}}) {
        SCOPED_TRACE(c.what);
        ManRole& m = Party(0, 0);
        Party(1, 1);
        Enemy(0);
        gBattleManCount = 2;
        if (c.guardStands) {
            gManRoles[2].side = 1;
            gManRoles[2].SetGuardFlag(1);
            gManRoles[2].slot.spriteSet = 301;
            gBattleManCount = 3;
            gBattleOptions |= kOptionGuardReturned;
        }
        gBattleStart.partySlots[2] = BattleSlot{};
        gBattleStart.partySlots[2].spriteSet = 300;
        gBattleStart.partySlots[2].homeX = 400;
        gBattleStart.partySlots[2].homeY = 350;
        gBattleStart.partySlots[2].side = 1;
        Bag(300, 1);
        m.SelectBagEntry(300, false);
        m.guardSlot = 2;
        Turn(20);
        m.SetCommand(15);
        EXPECT_EQ(Run(0, 0), 2);
        EXPECT_EQ(gBattleManCount, c.countAfter);
        EXPECT_EQ(gManRoles[2].IsGuardRole(), 1u);
        EXPECT_EQ(gManRoles[2].slot.spriteSet, 300);
        int16_t x, y;
        gManRoles[2].GetHomePos(&x, &y);
        EXPECT_EQ(x, 400);
        EXPECT_EQ(y, 350);
        EXPECT_EQ(m.guardSlot, -1);
        EXPECT_EQ(gBattleOptions & kOptionGuardReturned, 0u);
        ResetBattleServices();
    }
}

// The command menu takes the guard from the bag when it is chosen (the
// selection is consumed then): the summon sets the guard up from its battle
// slot record (its place) with the member's summon item word as its sprite
// set, as it does from a selection still held.
TEST_F(PartyCommandTest, TheGuardComesFromTheSummonItemWhenTheSelectionWasConsumed) {
    struct Case {
        bool selectionHeld;
    };
    for (const Case c : {Case{true}, Case{false}}) {
        SCOPED_TRACE(c.selectionHeld ? "selection held" : "selection consumed");
        ManRole& m = Party(0, 0);
        Enemy(0);
        gBattleManCount = 1;
        m.itemAct = 300;
        gBattleStart.partySlots[1] = BattleSlot{};
        gBattleStart.partySlots[1].homeX = 375;
        gBattleStart.partySlots[1].homeY = 200;
        if (c.selectionHeld) {
            Bag(300, 1);
            m.SelectBagEntry(300, false);
        } else {
            m.DropSelection();
        }
        Turn(20);
        m.SetCommand(15);
        EXPECT_EQ(Run(0, 0), 2);
        EXPECT_EQ(gBattleManCount, 2u);
        EXPECT_EQ(gManRoles[1].IsGuardRole(), 1u);
        EXPECT_EQ(gManRoles[1].slot.spriteSet, 300);
        // Its place is the one its battle slot record holds.
        EXPECT_EQ(gManRoles[1].slot.homeX, 375);
        EXPECT_EQ(gManRoles[1].slot.homeY, 200);
        EXPECT_TRUE(HeadlessMessageBoxes().empty());
        HeadlessReset();
    }
}

TEST_F(PartyCommandTest, NoThirdGuardIsSummoned) {
    ManRole& m = Party(0, 0);
    Enemy(0);
    for (int s = 1; s <= 2; ++s) {
        gManRoles[s].side = 1;
        gManRoles[s].SetGuardFlag(1);
    }
    gBattleManCount = 3;
    Turn(20);
    m.SetCommand(15);
    EXPECT_EQ(PartyFrame(0, 0), 1);
    EXPECT_EQ(gBattleManCount, 3u);
    EXPECT_EQ(gFakes[kFakeSummon].calls, 0);
}

TEST_F(PartyCommandTest, RefiningMarksStopAtTheEighth) {
    ManRole& m = Party(0, 0);
    for (int i = 0; i < 10; ++i) Enemy(i);
    Turn(20);
    for (int i = 0; i < 10; ++i) {
        m.SetCommand(13);
        EXPECT_EQ(Run(0, i), 1) << i;
    }
    for (int k = 0; k < kRefineMarks; ++k) EXPECT_EQ(gAction.refineMarks[0][k], k + 1) << k;
}

TEST_F(PartyCommandTest, MagicThatDownsEveryEnemySwitchesSilverOff) {
    ManRole& m = Party(0, 0);
    MonRole& a = Enemy(0);
    MonRole& b = Enemy(1);
    Turn(20, 0, 1, 0, 2);
    m.action.flags = 1u << 15;
    m.SetCommand(2);
    gPerformers.targetHit = [](Role*, Role*, int, int) { return 1; };
    EXPECT_GT(Run(0, 0), 0);
    EXPECT_EQ(a.IsOut(), 1u);
    EXPECT_EQ(b.IsOut(), 1u);
    EXPECT_EQ(gAction.silverOff, 1u);
}

TEST_F(PartyCommandTest, MusicIsDuckedWhileATechniqueRunsAndRestoredAfter) {
    ManRole& m = Party(0, 0);
    Enemy(0);
    Turn(20);
    m.BeginRoleAction(0);
    m.SetCommand(4);
    gFakes[kFakeTechnique].frames = 10;
    const uint32_t volume = gMusicVolume;
    gMusicVolume = 11;
    for (int i = 0; i < 9; ++i) EXPECT_EQ(PartyFrame(0, 0), 0);
    EXPECT_EQ(gMusicLevel, 5);  // down one a frame, never below 5
    EXPECT_EQ(PartyFrame(0, 0), 1);
    EXPECT_EQ(gMusicLevel, -1);
    gMusicVolume = volume;
}

class AutoAttackTest : public ActionTest {};

TEST_F(AutoAttackTest, WithoutATargetTheMenuAsksForOne) {
    Party(0, 0);
    Enemy(0);
    gAutoAttack = 1;
    SEL = 20;
    MS = -1;
    RunAutoAttack();
    EXPECT_EQ(fMenu, 3);
    EXPECT_EQ(SEL, 20);
}

TEST_F(AutoAttackTest, AnOutTargetMovesToTheFirstStandingEnemy) {
    ManRole& m = Party(0, 0);
    Enemy(0).SetOut(1);
    Enemy(1).SetOut(1);
    Enemy(2);
    gAutoAttack = 1;
    SEL = 20;
    fMenu = 1;
    MS = 2;  // enemy 1, which is out
    RunAutoAttack();
    EXPECT_EQ(SEL, 0);
    EXPECT_EQ(fMenu, 0);
    EXPECT_EQ(MS, 3);  // the turn order begins the attack on MS - 1
    EXPECT_EQ(gChosenCommand[0], 1);
    EXPECT_EQ(m.commandChosen, 1u);
}

TEST_F(AutoAttackTest, WithEveryEnemyOutTheAttackIsWithdrawnAndSwitchedOff) {
    ManRole& m = Party(0, 0);
    Enemy(0).SetOut(1);
    gAutoAttack = 1;
    SEL = 20;
    fMenu = 1;
    MS = 1;
    m.SetCommandChosen(1);
    RunAutoAttack();
    EXPECT_EQ(gAutoAttack, 0);
    EXPECT_EQ(MS, -1);
    EXPECT_EQ(m.commandChosen, 0u);
}

}  // namespace

namespace {

// The group technique hands its strike on all enemies to the action
// performance once: every standing enemy is struck one time and the command
// ends with its stage cleared (the strike's own stage word does not start it
// again).
TEST_F(PartyCommandTest, GroupTechniqueStrikesEveryEnemyOnceAndEnds) {
    ManRole& m = Party(0, 0);
    MonRole& a = Enemy(0, 300);
    MonRole& b = Enemy(1, 300);
    Turn(20);
    m.BeginRoleAction(0);
    m.SetCommand(22);
    // A scene whose polarity heals class 1: these class 0 enemies are struck.
    gTurn.scenePolarity = 1;
    const int frames = Run(0, 0);
    EXPECT_GT(frames, 0);
    EXPECT_LE(frames, 10);
    // Weapon skill 22 at level 0: 0 x 2400 / 100 + 100.
    EXPECT_EQ(a.MonLife(), 200u);
    EXPECT_EQ(b.MonLife(), 200u);
    EXPECT_EQ(gAction.groupStage, 0);
    EXPECT_EQ(gActionFlags & (kActionRunning | kActionOver | kActionStrikeAll), 0u);
    EXPECT_EQ(a.state & (1u << 19), 0u);
}

}  // namespace

namespace {

// The chained attack's prompt is the timing bar: with no press it runs out
// (bounded), strikes nothing more and the member walks back with its chain
// status removed.
TEST_F(PartyCommandTest, TheChainedAttackPromptRunsOutAndWalksBack) {
    ManRole& m = Party(0, 0);
    MonRole& e = Enemy(0, 300);
    Turn(20);
    m.BeginRoleAction(0);
    m.SetCommand(26);
    const int frames = Run(0, 0, 400);
    EXPECT_GT(frames, 100);  // the cursor crosses the bar at half a pixel a frame
    EXPECT_LT(frames, 200);
    EXPECT_EQ(gFakes[kFakeAttack].calls, 0);
    EXPECT_EQ(gFakes[kFakeWalkBack].calls, 1);
    EXPECT_EQ(e.MonLife(), 300u);
    EXPECT_EQ(m.status & 0x40, 0);
}

}  // namespace

namespace {

// With a press pending on every frame the chained attack strikes once at
// each of the timing bar's three marks, then walks back.
TEST_F(PartyCommandTest, TheChainedAttackStrikesOnceAtEachMarkItIsPressedOn) {
    ManRole& m = Party(0, 0);
    MonRole& e = Enemy(0, 300);
    Turn(20);
    m.BeginRoleAction(0);
    m.SetCommand(26);
    gFakes[kFakeAttack].amount = 10;
    const int frames = FramesUntilDone([&] {
        gActionWaitWord |= 1;  // a press on every frame
        return PartyFrame(0, 0);
    }, 400);
    EXPECT_GT(frames, 0);
    EXPECT_EQ(gFakes[kFakeAttack].calls, 3);
    EXPECT_EQ(e.MonLife(), 270u);
    EXPECT_EQ(m.status & 0x40, 0);
}

// The timed skill strikes on each press; a downing hit ends its wait at
// once (it sets the countdown's flag), and the flag is left clear.
TEST_F(PartyCommandTest, TheTimedSkillStrikesOnAPressAndADownEndsIt) {
    ManRole& m = Party(0, 0);
    MonRole& e = Enemy(0, 1);
    Turn(20);
    m.BeginRoleAction(0);
    m.SetCommand(31);
    m.skillAmount = 500;  // a strike that always takes the last point
    EXPECT_EQ(PartyFrame(0, 0), 0);  // the countdown starts
    EXPECT_EQ(PartyFrame(0, 0), 0);  // no press: nothing happens
    EXPECT_EQ(e.MonLife(), 1u);
    EXPECT_EQ(gActionWait, 1u);  // the input waits for the key
    gActionWaitWord |= 1;        // as a fresh confirm press marks it
    EXPECT_EQ(PartyFrame(0, 0), 0);         // the press downs the enemy
    EXPECT_EQ(e.MonLife(), 0u);
    EXPECT_EQ(PartyFrame(0, 0), 1);  // and the skill ends
    EXPECT_EQ(IsFlag(75), 0);
    EXPECT_EQ(IsFlag(74), 0);
    EXPECT_EQ(gActionWait, 0u);  // the menus take their keys again
}

}  // namespace

namespace {

// The command menus and the summon work out a guard's party slot with one
// rule (GuardPlaceSlot): guards summoned one after the other stand in
// places 1 and 2, each in its own slot, and a guard summoned into the place
// of a downed guard takes over that guard's slot, at that place, without a
// new slot. Two members (slots 0 and 1), so the guards hold slots 2 and 3.
TEST_F(PartyCommandTest, AGuardReplacesADownedGuardAtThePlaceTheMenusChose) {
    struct Step {
        int place;
        bool fromItems;
        int downBefore;  // slot of a guard that falls before this summon (-1 none)
        int slot;        // the slot the menus chose and the summon set up
        int16_t homeX, homeY;
        uint32_t men, guards;
    };
    const Step steps[] = {
        {1, true, -1, 2, 375, 200, 3, 1},   // no guard yet: straight into place 1
        {2, false, -1, 3, 400, 350, 4, 2},  // one guard: place 2 is the next free slot
        {1, false, 2, 2, 375, 200, 4, 2},   // place 1's guard is down: its slot is taken over
        {2, false, 3, 3, 400, 350, 4, 2},   // and so is place 2's
    };
    ManRole& m = Party(0, 0);
    Party(1, 1);
    gBattle.partyMask = 0x3;
    Enemy(0);
    gBattleManCount = 2;
    Table({{kMonster, ObjectRecordBytes("beast", 0, {})}, {300, ObjectRecordBytes("idol", 0, {})},
           {301, ObjectRecordBytes("idol", 0, {})}, {302, ObjectRecordBytes("idol", 0, {})},
           {303, ObjectRecordBytes("idol", 0, {})}});
    uint16_t item = 300;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.slot * 10 + s.place);
        if (s.downBefore >= 0) {
            gManRoles[s.downBefore].SetOut(1);
            gTurn.guardsGone = 1;
        }
        Bag(item, 1);
        m.SelectBagEntry(item, false);
        m.itemAct = item;
        SEL = 20;
        SummonGuard(s.place, s.fromItems);
        ASSERT_EQ(m.guardSlot, s.slot);
        Turn(20);
        m.SetCommand(15);
        EXPECT_EQ(Run(0, 0), 2);
        const ManRole& g = gManRoles[s.slot];
        EXPECT_EQ(g.IsGuardRole(), 1u);
        EXPECT_EQ(g.IsOut(), 0u);
        EXPECT_EQ(g.slot.spriteSet, item);
        int16_t x, y;
        g.GetHomePos(&x, &y);
        EXPECT_EQ(x, s.homeX);
        EXPECT_EQ(y, s.homeY);
        EXPECT_EQ(gBattleManCount, s.men);
        EXPECT_EQ(gBattleStart.guardCount, s.guards);
        EXPECT_EQ(gTurn.guardsGone, 0u);
        // The other guard keeps its slot and its item.
        if (s.guards == 2) {
            const ManRole& other = gManRoles[s.slot == 2 ? 3 : 2];
            EXPECT_EQ(other.IsGuardRole(), 1u);
            EXPECT_NE(other.slot.spriteSet, item);
        }
        ++item;
    }
    ResetBattleServices();
}

}  // namespace

namespace {

// The treasure strike (37) on a screen with the system pictures: its counter
// (the roulette's digits) rolls at (360, 100) for 15 frames, locks with
// sound 186, and then the damage number goes up on the target.
class TreasureStrikeTest : public PartyCommandTest {
protected:
    void SetUp() override {
        PartyCommandTest::SetUp();
        screen_.Open();
        ResetTswPacks();
        ASSERT_TRUE(WriteBytesToFile((install_.Path() + "all_sys.tsw").c_str(), BuildTswPack(SystemPictures())));
        ASSERT_NE(MakePackPath(install_.Path().c_str()), nullptr);
        OpenTswPacks();
    }
    void TearDown() override {
        ResetTswPacks();
        screen_.Close();
        PartyCommandTest::TearDown();
    }
    TempFolder install_{"treasure_strike"};
    ScreenBuffer screen_;
};

TEST_F(TreasureStrikeTest, TheCounterRollsAtItsPlaceThenLocksWithItsSound) {
    constexpr uint16_t kCounterDigits = 9079;
    ManRole& m = Party(0, 0);
    MonRole& e = Enemy(0, 300);
    Turn(20);
    m.SetCommand(37);
    DrawRecorder drawn;
    SoundRecorder heard;
    std::vector<int> counterFrames;  // frames on which the counter was drawn
    int lockFrame = -1;
    for (int frame = 1; frame <= 60; ++frame) {
        const size_t before = drawn.calls.size();
        const int sounds = heard.Count(186);
        const int done = PartyFrame(0, 0);
        bool counter = false;
        for (size_t k = before; k < drawn.calls.size(); ++k) {
            const DrawCallInfo& d = drawn.calls[k];
            if (d.number != kCounterDigits || d.y != 100) continue;
            counter = true;
            EXPECT_GE(d.x, 360 - 14 - 16);  // two digits, the ones at x 360
            EXPECT_LE(d.x, 360);
        }
        if (counter) counterFrames.push_back(frame);
        if (heard.Count(186) > sounds) lockFrame = frame;
        if (done == 1) break;
    }
    ASSERT_EQ(counterFrames.size(), 15u);
    for (size_t k = 1; k < counterFrames.size(); ++k) EXPECT_EQ(counterFrames[k], counterFrames[k - 1] + 1);
    EXPECT_EQ(lockFrame, counterFrames.back());
    EXPECT_EQ(heard.Count(186), 1);
    EXPECT_EQ(e.shown[0].sprite, 9097);
}

}  // namespace
