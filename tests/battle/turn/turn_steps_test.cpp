// The turn order of both sides, frame by frame: who is queued when, who
// takes the turn, and that every turn gives time back.
#include <vector>

#include "base/memory.h"
#include "battle/action/action_perform.h"
#include "battle/action/enemy_command.h"
#include "battle/action/performers.h"
#include "battle/battle_start.h"
#include "battle/role/effect_node.h"
#include "battle/turn/bookkeeping.h"
#include "battle/turn/targeting.h"
#include "battle/turn/turn_state.h"
#include "battle/turn/turn_steps.h"
#include "tests/battle/role/role_fixture.h"

namespace {

class TurnStepsTest : public RoleTest {
protected:
    void SetUp() override {
        RoleTest::SetUp();
        gBattleStart.guardCount = 0;
        gBattleStart.spiritFlags = 0;
        gOpeningSlot = 0x80;
    }
    void TearDown() override {
        gBattleStart.guardCount = 0;
        gBattleStart.spiritFlags = 0;
        RoleTest::TearDown();
    }
    void Arrange() {
        int n = 0;
        for (uint32_t i = 0; i < gBattleMonCount; ++i) gArrangeOrder[n++] = int(i);
        for (uint32_t s = 0; s < gBattleManCount; ++s) gArrangeOrder[n++] = kFirstManId + int(s);
        for (int i = n; i < kCombatantIds; ++i) gArrangeOrder[i] = -1;
    }
    // One frame as the battle frame runs the turns.
    static void Frame() {
        RunAutoAttack();
        if (gAttackOrder[0].id != -1 && GetCom == 0 && gBattleLive == 1 && fMenu == 0) {
            PopAttackOrder(&gCurRole);
            if (gCurRole.id != -1) GetCom = 1;
        }
        for (int id : gArrangeOrder) {
            if (id >= kFirstManId) RunPartyMemberStep(id - kFirstManId);
            else if (id >= 0) RunEnemyStep(id);
        }
        UpdateBattleRoles();
    }
    static std::vector<int> Queue() {
        std::vector<int> ids;
        for (const AttackOrderEntry& e : gAttackOrder) {
            if (e.id == -1) break;
            ids.push_back(e.id);
        }
        return ids;
    }
    static void Under(Role& r, uint32_t kind) {
        EffectNode* n = static_cast<EffectNode*>(AllocZero(int(sizeof(EffectNode))));
        n->kind = kind;
        n->turnsLeft = 5;
        n->next = r.effects;
        r.effects = n;
        r.effectBits |= kind;
    }
    static void Full(Role& r) { r.gauge = uint16_t(gGaugeFull); }
};

TEST_F(TurnStepsTest, AReadyMemberStopsTimeAndWaitsForItsCommand) {
    Member(0, 0);
    Enemy(0);
    Arrange();
    gAutoAttack = 1;  // the menus stay shut: the member waits for the attack
    Full(gManRoles[0]);
    RunPartyMemberStep(0);
    EXPECT_EQ(SEL, 20);
    EXPECT_EQ(Stop, 1);
    EXPECT_EQ(mStop, 1);
    EXPECT_EQ(gManRoles[0].commandChosen, 0u);
    EXPECT_TRUE(Queue().empty());
}

// A member whose gauge fills loses its mark on the party panel (the outline
// of its icon that a target cursor left).
TEST_F(TurnStepsTest, AReadyMemberLosesItsPartyPanelMark) {
    Member(0, 0);
    Enemy(0);
    Arrange();
    gAutoAttack = 1;
    gManRoles[0].highlight = 1;
    RunPartyMemberStep(0);
    EXPECT_EQ(gManRoles[0].highlight, 1u);  // not ready yet: the mark stays
    Full(gManRoles[0]);
    RunPartyMemberStep(0);
    EXPECT_EQ(SEL, 20);
    EXPECT_EQ(gManRoles[0].highlight, 0u);
}

TEST_F(TurnStepsTest, MagicTakesTheTurnAtOnceOrGoesToTheFront) {
    struct Case {
        std::vector<int> queued;
        int command;
        std::vector<int> queueAfter;
        int current;
    };
    const Case cases[] = {
        {{}, 2, {}, 20},           // magic, empty queue: the turn at once
        {{3, 21}, 2, {20, 3, 21}, -1},  // magic behind others: the front
        {{3}, 1, {3, 20}, -1},     // any other command: the end
    };
    for (const Case& c : cases) {
        ResetBattleServices();
        gOpeningSlot = 0x80;
        ManRole& m = Member(0, 0);
        Member(1, 1);
        Enemy(3);
        Arrange();
        for (int id : c.queued) AddToAttackOrder(1, id);
        gChosenCommand[0] = c.command;
        m.BeginRoleAction(3);
        m.actionTimer = 0;
        m.action.word24 = 100;  // one step of the timer runs it out
        RunPartyMemberStep(0);
        EXPECT_EQ(Queue(), c.queueAfter) << c.command;
        EXPECT_EQ(gCurRole.id, c.current) << c.command;
        EXPECT_EQ(gAllyQueued[0], 1);
        EXPECT_EQ(Stop, 1);
    }
}

TEST_F(TurnStepsTest, AQueuedMemberThatAnAilmentHoldsLeavesTheQueueAndTimeRuns) {
    ManRole& m = Member(0, 0);
    Enemy(0);
    Arrange();
    AddToAttackOrder(1, 20);
    gAllyQueued[0] = 1;
    Stop = mStop = 1;
    m.acted = 1;
    m.status |= kStatusHeld;
    RunPartyMemberStep(0);
    EXPECT_TRUE(Queue().empty());
    EXPECT_EQ(gAllyQueued[0], 0);
    EXPECT_EQ(Stop, 0);
    EXPECT_EQ(mStop, 0);
}

TEST_F(TurnStepsTest, AnEnemyChoosesInItsFirstTurnAndPerformsInItsSecond) {
    Member(0, 0);
    Member(1, 1);
    MonRole& e = Enemy(2);
    Arrange();
    Full(e);
    RunEnemyStep(2);
    ASSERT_EQ(Queue(), std::vector<int>{2});
    EXPECT_EQ(gAttackOrder[0].kind, 2);
    EXPECT_EQ(Stop, 1);
    EXPECT_EQ(mStop, 1);
    Frame();  // popped: its choosing turn gives the turn back
    EXPECT_EQ(gCurRole.id, -1);
    EXPECT_EQ(GetCom, 0);
    EXPECT_EQ(e.HasActed(), 1u);
    const int t = e.GetActionTarget();
    EXPECT_TRUE(t == 0 || t == 1) << t;
    // An action without a rate has no wait: it is queued to perform at once.
    EXPECT_EQ(gMonTimerRunning[2], 0);
    EXPECT_EQ(Queue(), std::vector<int>{2});
    gScriptActionDone = 0;
    int frames = 0;
    for (; frames < 400 && gScriptActionDone == 0; ++frames) Frame();
    EXPECT_EQ(gScriptActionDone, 1u);  // the performing turn closed
    EXPECT_LT(frames, 400);
    EXPECT_EQ(Stop, 0);
    EXPECT_EQ(mStop, 0);
    EXPECT_EQ(gMonActing, 0);
    EXPECT_EQ(e.HasActed(), 0u);
}

TEST_F(TurnStepsTest, AnEnemyHeldWhenItsTurnComesLosesItAndTimeRuns) {
    Member(0, 0);
    MonRole& e = Enemy(1);
    Enemy(2);
    Arrange();
    AddToAttackOrder(2, 1);
    AddToAttackOrder(2, 2);
    Stop = mStop = 1;
    e.status |= kStatusHeld;
    Frame();
    EXPECT_EQ(gTurn.heldEnemyNote, 2);
    EXPECT_EQ(Queue(), std::vector<int>{2});  // the queue goes on
    EXPECT_EQ(gCurRole.id, -1);
    EXPECT_EQ(Stop, 0);
    EXPECT_EQ(mStop, 0);
}

TEST_F(TurnStepsTest, EveryEnemyTurnEndsWithTimeRunningAgain) {
    Member(0, 0);
    MonRole& e = Enemy(0);
    Arrange();
    gCurRole.id = 0;
    gCurRole.kind = 2;
    GetCom = 1;
    Stop = mStop = 1;
    e.BeginRoleAction(-1);  // no target left: the command ends at once
    RunEnemyStep(0);
    EXPECT_EQ(gCurRole.id, -1);
    EXPECT_EQ(Stop, 0);
    EXPECT_EQ(mStop, 0);
    EXPECT_EQ(GetCom, 0);
    EXPECT_EQ(gMonActing, 0);
}

TEST_F(TurnStepsTest, AConfusedMemberActsByItselfEveryTurn) {
    ManRole& m = Member(0, 0);
    Enemy(0);
    Enemy(1);
    Arrange();
    Under(m, kEffectConfuse);
    for (int turn = 0; turn < 2; ++turn) {
        Full(m);
        RunPartyMemberStep(0);
        EXPECT_EQ(SEL, 0) << turn;           // no menu is opened for it
        EXPECT_EQ(m.HasActed(), 1u) << turn;  // its action has begun
        const int t = m.GetActionTarget();
        EXPECT_TRUE(t == 0 || t == 1) << t;
        m.EndRoleTurn();
        Stop = mStop = 0;
    }
}

TEST_F(TurnStepsTest, TheActionNeverStartsOnTargetMinusOne) {
    ManRole& m = Member(0, 0);
    Enemy(0).SetOut(1);
    Enemy(1);
    Arrange();
    gChosenCommand[0] = 1;
    MS = 0;  // no target chosen
    m.SetCommandChosen(1);
    RunPartyMemberStep(0);
    EXPECT_EQ(m.GetActionTarget(), 1);  // the first standing enemy
}

TEST_F(TurnStepsTest, ASuccessfulRetreatLeavesTheBattle) {
    ManRole& a = Member(0, 0);
    ManRole& b = Member(1, 1);
    a.stats->level = 60;
    b.stats->level = 60;
    MonRole& e = Enemy(0);
    SetObjWordAt(e.objRecord, mon::kLevel, 2);
    Arrange();
    gRetreatState = kRetreatAsked;
    // The retreat acts play out (each ends within its performer's frame cap).
    for (int frame = 0; frame < 1000 && fMenu != 104; ++frame) Frame();
    EXPECT_EQ(fMenu, 104);
    EXPECT_EQ(gDownedMen, 2);
    EXPECT_EQ(gRetreatState, 0);
    EXPECT_TRUE(Queue().empty());
}

TEST_F(TurnStepsTest, AFailedRetreatLetsTimeRunAgain) {
    ManRole& a = Member(0, 0);
    a.stats->level = 1;
    MonRole& e = Enemy(0);
    SetObjWordAt(e.objRecord, mon::kLevel, 90);
    Arrange();
    int failures = 0;
    for (int attempt = 0; attempt < 20; ++attempt) {
        gRetreatState = kRetreatAsked;
        gRetreatCount = 0;
        Stop = mStop = 1;
        // The turn-away act plays out, then the roll decides.
        for (int frame = 0; frame < 400 && gRetreatState == kRetreatAsked; ++frame) RunPartyMemberStep(0);
        if (gRetreatState == 0) {
            ++failures;
            EXPECT_EQ(Stop, 0);
            EXPECT_EQ(mStop, 0);
        } else {
            EXPECT_EQ(gRetreatState, kRetreatUnderWay);
        }
    }
    EXPECT_GT(failures, 0);  // 36 in 100 succeed against a higher level
}

TEST_F(TurnStepsTest, TheOpeningPoseStopsTimeUntilItIsDone) {
    Member(0, 0);
    Enemy(0);
    Arrange();
    gOpeningSlot = 0;
    RunPartyMemberStep(0);
    EXPECT_EQ(gOpeningSlot, 0x80);
    EXPECT_EQ(Stop, 0);
}

// Whatever the performers do, turns keep coming: over many frames the queue
// is popped again and again and time is never stopped for good (the party
// fights on auto-attack, as a player who switches it on).
TEST_F(TurnStepsTest, TurnsKeepFlowingWithoutAStall) {
    Member(0, 0);
    Member(1, 1);
    Enemy(0);
    Enemy(1);
    Arrange();
    gAutoAttack = 1;
    int turns = 0, stoppedFor = 0, longest = 0;
    int last = -1;
    for (int frame = 0; frame < 3000; ++frame) {
        Frame();
        if (gCurRole.id != -1 && gCurRole.id != last) ++turns;
        last = gCurRole.id;
        stoppedFor = (Stop || mStop) ? stoppedFor + 1 : 0;
        longest = std::max(longest, stoppedFor);
    }
    EXPECT_GT(turns, 10);
    EXPECT_LT(longest, 1000);
}

TEST_F(TurnStepsTest, TheSpiritChoosesByItselfAndItsOrderPicksTheEnemy) {
    Member(0, 0);
    ManRole& g = Member(1, 1);
    g.member = 0;
    g.spirit = 1;
    gBattleStart.spiritFlags = 1 | (1u << 16);
    Enemy(0, 300);
    Enemy(1, 100);
    Enemy(2, 200);
    Arrange();
    struct Case {
        uint16_t order;
        int target;
    };
    for (const Case c : {Case{5, 2}, Case{6, 0}}) {
        g.EndRoleTurn();
        g.SetGhostOrder(c.order);
        gLastPlayerTarget = 2;
        Stop = mStop = 0;
        Full(g);
        RunPartyMemberStep(1);
        EXPECT_EQ(SEL, 0) << c.order;  // no menu for the spirit
        EXPECT_EQ(g.HasActed(), 1u) << c.order;
        EXPECT_EQ(g.GetActionTarget(), c.target) << c.order;
    }
}

TEST_F(TurnStepsTest, AControlledEnemyAimsAtTheChosenEnemyOnceThenIsFree) {
    Member(0, 0);
    MonRole& e = Enemy(1);
    Enemy(2);
    Arrange();
    // As the control command hands it: aimed at its own side.
    gMonCommandWord[1] = 0x8000 | 2;
    MarkEnemyOnEnemy(1);
    AddToAttackOrder(2, 1);
    Frame();  // its choosing turn
    EXPECT_EQ(e.GetActionTarget(), 2);
    gScriptActionDone = 0;
    for (int frames = 0; frames < 400 && gScriptActionDone == 0; ++frames) Frame();
    EXPECT_EQ(gScriptActionDone, 1u);
    EXPECT_EQ(gMonCommandWord[1], 0);  // the control is spent
    EXPECT_EQ(mStop, 0);
}

}  // namespace

namespace {

// When a member's turn closes nothing prepared for it is left over: its
// stored (preset) command and an item it did not use are cleared, and under
// repeat mode 1 the follow-up flag is raised (only there).
TEST_F(TurnStepsTest, AClosedTurnClearsThePresetCommandAndRaisesTheRepeatFollowUp) {
    for (uint8_t mode : {uint8_t(0), uint8_t(1), uint8_t(2)}) {
        ResetBattleServices();
        gOpeningSlot = 0x80;
        ManRole& m = Member(0, 0);
        Enemy(0);
        Arrange();
        gRepeatMode = mode;
        gManCommands[0].commandSet = 1;
        gManCommands[0].extra = 7;
        m.selectedItemId = 300;
        // The turn is open and its command (5) finishes on its first frame.
        gCurRole = EmptyOrderEntry();
        gCurRole.id = 20;
        gAllyQueued[0] = 1;
        gTurnOpened = 1;
        m.BeginRoleAction(0);
        m.SetCommand(5);
        RunPartyMemberStep(0);
        EXPECT_EQ(gCurRole.id, -1) << int(mode);
        EXPECT_EQ(gAllyQueued[0], 0) << int(mode);
        EXPECT_EQ(gManCommands[0].commandSet, 0) << int(mode);
        EXPECT_EQ(gManCommands[0].extra, 0) << int(mode);
        EXPECT_EQ(m.GetSelectedItemId(), 0) << int(mode);
        EXPECT_EQ(gRepeatFollowUp, mode == 1 ? 1u : 0u) << int(mode);
    }
}

}  // namespace

namespace {

Role* gStruck = nullptr;
int32_t gStruckOnEnemies = -1;

// A confused enemy turns on its own side: its performing turn is told so,
// and its attack lands on the other enemy, not on the party slot of the
// same number.
TEST_F(TurnStepsTest, AConfusedEnemyStrikesAnotherEnemy) {
    Member(0, 0);
    Member(1, 1);
    MonRole& e = Enemy(0);
    MonRole& other = Enemy(1);
    Arrange();
    Under(e, kEffectConfuse);
    gPerformers.monAttack = [](Role*, Role* t, int) {
        gStruck = t;
        gStruckOnEnemies = gCurRole.monCommandSet;
        return 1;
    };
    gStruck = nullptr;
    AddToAttackOrder(2, 0);
    gScriptActionDone = 0;
    for (int frames = 0; frames < 400 && gScriptActionDone == 0; ++frames) Frame();
    UseDefaultPerformers();
    EXPECT_EQ(gStruck, &other);
    EXPECT_EQ(gStruckOnEnemies, 1);
}

}  // namespace
