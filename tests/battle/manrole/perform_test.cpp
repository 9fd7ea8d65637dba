// The performers of the party's special actions on acts generated for the
// test: the frames each takes and the hits it releases.
#include <cstdlib>
#include <functional>

#include "battle/battle_state.h"
#include "battle/effects/effect_layers.h"
#include "battle/manrole/man_battle.h"
#include "tests/battle/enemy/enemy_fixture.h"
#include "tests/battle/role/scripted_random.h"

namespace {

enum : uint16_t {
    kActorSet = 1,    // member 0: every performer's act, four frames, the hit on the second
    kLoopSet = 2,     // every act loops for ever
    kEffectSet = 20,  // act 0: three frames
    kCode4Act = 70,   // of kActorSet: code 4, the hit on the second frame
    kCode500Act = 71, // the effect raised on the second frame
    kPlainAct = 72,   // no event at all
    kDashAct = 73,    // code 400: the dash on frame 2, the hit on frame 3; its dash act 113
    kVolleyAct = 74,  // code 402: the hit on frame 2
    kHitEffectSet = 21,  // act 0: three frames, the hit on the second
    kWaitingAct = 79, // code 500: its follow-up (set 20) on frame 2, the act waiting for it
    kStagesAct = 80,
    kCode4FollowAct = 83,  // code 4: its own follow-up (set 20) on frame 1, the hit on frame 2  // code 409: acts 80 (the effect raised), 81 and 82 (the strike)
};
constexpr uint16_t kGatherIndex = 6142 - 6000;
constexpr uint16_t kAfterIndex = 8072 - 6000;
constexpr uint16_t kRefineIndex = 6251 - 6000;
constexpr uint16_t kImpactIndex = 7322 - 6000;
constexpr uint16_t kFusionIndex = 7320 - 6000;
constexpr const char* kFourFrames = "SD 0 PA 0 ED PA 1 AT 1 ED PA 2 ED PA 3 O2";
constexpr const char* kThreeFrames = "SD 0 PA 0 ED PA 1 ED PA 2 O2";
constexpr const char* kEndless = "SD 0 PA 0 ED PA 1 OV";

class PerformerTest : public EnemyTest {
protected:
    void SetUp() override {
        EnemyTest::SetUp();
        std::map<int, const char*> actor, loop;
        for (int act : {36, 42, 46, 47, 50, 52, 54, 60}) {
            actor[act] = kFourFrames;
            loop[act] = kEndless;
        }
        actor[kCode4Act] = kFourFrames;
        actor[kCode500Act] = "SD 0 PA 0 ED PA 1 AT 8 ED PA 2 O2";
        actor[kPlainAct] = kThreeFrames;
        actor[kDashAct] = "SD 0 RF 5 PA 0 ED PA 1 AT 0x108 ED PA 2 AT 1 ED PA 3 O2";
        actor[kDashAct + 40] = "SD 0 PA 0 ED PA 1 AT 8 ED PA 2 O2";
        actor[kVolleyAct] = kFourFrames;
        actor[kStagesAct] = "SD 0 PA 0 ED PA 1 AT 8 ED PA 2 O2";
        actor[kWaitingAct] = "SD 0 RF 5 PA 0 ED AE 20 QE 0 AT 0x202 PA 1 ED PA 2 O2";
        actor[kStagesAct + 1] = kThreeFrames;
        actor[kStagesAct + 2] = kThreeFrames;
        actor[kCode4FollowAct] = "SD 0 PA 0 AE 20 QE 0 AT 2 ED PA 1 AT 1 ED O2";
        Pack("all_char.act", {{kActorSet, Entry(actor)},
                              {kLoopSet, Entry(loop)},
                              {kEffectSet, Entry({{0, kThreeFrames}})},
                              {kHitEffectSet, Entry({{0, "SD 0 PA 0 ED PA 1 AT 1 ED PA 2 O2"}})}});
        Pack("all_magic.act", {{kImpactIndex, Entry({{0, kThreeFrames}})},
                               {kFusionIndex, Entry({{0, kThreeFrames}})},
                               {kRefineIndex, Entry({{0, kEndless}, {1, kEndless}})},
                               {kGatherIndex, Entry({{0, kThreeFrames}})},
                               {kAfterIndex, Entry({{0, kThreeFrames}})}});
    }
    ManRole& Actor(uint16_t set = kActorSet) {
        ManRole& m = Member(0, 0);
        m.spriteSet = set;
        m.name = "Hero";
        m.command = 1;
        m.skillAmount = 100;
        m.performPhase = 0;
        return m;
    }
    // Calls until the performer reports its end; the calls it took (0: not
    // within the limit).
    static int Run(const std::function<int()>& step, int limit = 2000) {
        for (int call = 1; call <= limit; ++call)
            if (step() == 1) return call;
        return 0;
    }
};

TEST_F(PerformerTest, EachPerformerTakesItsFramesAndReleasesItsHits) {
    const struct {
        const char* what;
        std::function<int(ManRole&, MonRole&)> step;
        int frames;
        int shown;   // numbers shown on the target
    } cases[] = {
        {"skill act with an effect", [](ManRole& m, MonRole& e) { return m.RunSkillAct(&e, kEffectSet); }, 4, 0},
        {"skill act without one", [](ManRole& m, MonRole& e) { return m.RunSkillAct(&e, 0); }, 4, 0},
        // The effect starts on the hit frame (2) and plays three frames.
        {"strike on all with an effect", [](ManRole& m, MonRole&) { return m.RunStrikeAllAct(kEffectSet); }, 4, 0},
        {"strike on all without one", [](ManRole& m, MonRole&) { return m.RunStrikeAllAct(0); }, 2, 0},
        {"throw", [](ManRole& m, MonRole& e) { return m.RunThrowAct(&e); }, 4, 1},
        {"theft", [](ManRole& m, MonRole& e) { return m.RunStealAct(&e); }, 4, 0},
        {"weapon skill 24", [](ManRole& m, MonRole& e) { return m.RunSkill24Act(&e); }, 4, 0},
        {"pose", [](ManRole& m, MonRole&) { return m.RunQueuedPoseAct(); }, 4, 0},
        {"code 4", [](ManRole& m, MonRole& e) {
             m.actParam = kCode4Act;
             return m.RunCode4Act(&e);
         }, 4, 1},
        {"code 500 without an effect", [](ManRole& m, MonRole& e) {
             m.actParam = kPlainAct;
             return m.RunCode500Act(&e);
         }, 3, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HeadlessReset();
        ManRole& m = Actor();
        MonRole& e = Enemy(1, 5000, 0);
        e.shownCursor = 0;
        ScriptRandom({});
        EXPECT_EQ(Run([&] { return c.step(m, e); }), c.frames);
        EXPECT_EQ(e.shownCursor, c.shown);
        EXPECT_EQ(m.performPhase, 0);
        EXPECT_TRUE(m.acts[kActPerform].Empty());
        EXPECT_TRUE(m.acts[6].Empty());
        EXPECT_EQ(Traces(), 0u);
    }
}

TEST_F(PerformerTest, TheThrowShowsItsHitOnTheHitFrame) {
    ManRole& m = Actor();
    MonRole& e = Enemy(1, 5000, 0);
    ScriptRandom({});
    EXPECT_EQ(m.RunThrowAct(&e), 0);
    EXPECT_EQ(e.shownCursor, 0);
    EXPECT_EQ(m.RunThrowAct(&e), 0);  // frame 2: the hit
    EXPECT_EQ(e.shownCursor, 1);
    EXPECT_EQ(e.shown[0].Amount(), 101);
    EXPECT_EQ(m.performHits, 1);
    EXPECT_FALSE(m.acts[6].Empty());  // the impact plays at the target
}

TEST_F(PerformerTest, AMissingActEndsThePerformerAtOnceWithOneTrace) {
    const std::function<int(ManRole&, MonRole&)> steps[] = {
        [](ManRole& m, MonRole& e) { return m.RunSkillAct(&e, 0); },
        [](ManRole& m, MonRole&) { return m.RunStrikeAllAct(0); },
        [](ManRole& m, MonRole& e) { return m.RunThrowAct(&e); },
        [](ManRole& m, MonRole& e) { return m.RunStealAct(&e); },
        [](ManRole& m, MonRole& e) { return m.RunSkill24Act(&e); },
        [](ManRole& m, MonRole&) { return m.RunQueuedPoseAct(); },
        [](ManRole& m, MonRole& e) { return m.RunCode4Act(&e); },
        [](ManRole& m, MonRole& e) { return m.RunCode500Act(&e); },
    };
    for (const auto& step : steps) {
        HeadlessReset();
        ManRole& m = Actor(kEffectSet);  // a sprite set with act 0 only
        m.actParam = 9;
        MonRole& e = Enemy(1);
        EXPECT_EQ(step(m, e), 1);
        EXPECT_EQ(Traces(), 1u);
        EXPECT_EQ(m.performPhase, 0);
    }
}

TEST_F(PerformerTest, ALoopingActEndsAtTheCapWithOneTrace) {
    ManRole& m = Actor(kLoopSet);
    MonRole& e = Enemy(1);
    EXPECT_EQ(Run([&] { return m.RunSkillAct(&e, 0); }), 301);
    EXPECT_EQ(Traces(), 1u);
    EXPECT_EQ(Run([&] { return m.RunThrowAct(&e); }), 301);
    EXPECT_EQ(Traces(), 2u);
}

TEST_F(PerformerTest, TheFusionZoomsForFiftyTwoFramesThenPlaysItsAct) {
    ManRole& guardRole = Actor();
    ManRole& member = Member(1, 1);
    int calls = 0;
    for (; calls < 51; ++calls) ASSERT_EQ(guardRole.RunFusionAct(&member, kActorSet), 0) << calls;
    EXPECT_EQ(gEffects.backgroundOn, 1u);
    for (int32_t c : gEffects.colourTarget) EXPECT_EQ(c, -12);
    EXPECT_EQ(Run([&] { return guardRole.RunFusionAct(&member, kActorSet); }), 1 + 3);
    EXPECT_EQ(guardRole.performCounter, 0);
    EXPECT_EQ(guardRole.performPhase, 0);
    EXPECT_EQ(Traces(), 0u);
}

TEST_F(PerformerTest, TheRetreatFadesToItsLevel) {
    const struct {
        int mode;
        uint32_t guard;
        int frames;
        int moved;
        uint32_t out;
    } cases[] = {
        {0, 0, 13, 0, 0},
        {1, 0, 9, 9 * 30, 0},
        {1, 1, 9, 9 * 30, 1},  // a guard that retreats is out
    };
    for (const auto& c : cases) {
        ManRole& m = Actor();
        m.guard = c.guard;
        m.out = 0;
        m.defeated = 0;
        m.status = 0;
        m.facing = 0;
        m.slot.homeX = 300;
        m.SetRolePos(300, 200);
        int16_t x0, y0, x1, y1;
        m.GetRolePos(&x0, &y0);
        EXPECT_EQ(Run([&] { return m.RunRetreatAct(c.mode); }), c.frames) << c.mode;
        m.GetRolePos(&x1, &y1);
        EXPECT_EQ(x1 - x0, c.moved) << c.mode;
        EXPECT_EQ(m.out, c.out);
        EXPECT_EQ(m.fadeCounter, 15);
    }
    ManRole& m = Actor();
    m.out = 1;
    EXPECT_EQ(m.RunRetreatAct(0), 1);  // an out role has nothing to retreat with
}

TEST_F(PerformerTest, TheSummonTintRisesAndFallsInSixtyFourFrames) {
    ManRole& m = Actor();
    m.itemAct = kEffectSet;
    EXPECT_EQ(Run([&] { return m.RunSummonAct(200, 200); }), 64);
    for (int16_t b : m.blend) EXPECT_EQ(b, 0);
    EXPECT_EQ(m.captureCounter, 0);
}

TEST_F(PerformerTest, MultiPartMagicWaitsForTheBattleToEndItsEffect) {
    ManRole& m = Actor();
    MonRole& e = Enemy(1);
    m.actParam = kCode500Act;
    gActionFlags = 0;
    for (int i = 0; i < 10; ++i) ASSERT_EQ(m.RunCode500Act(&e), 0) << i;
    EXPECT_NE(gActionFlags & kActionRunning, 0u);
    gActionFlags |= kActionOver;
    EXPECT_EQ(m.RunCode500Act(&e), 1);
    EXPECT_TRUE(m.acts[kActBegin].Empty());
}

TEST_F(PerformerTest, TheRefiningActsFlyFasterEveryFrame) {
    // 400 points at 8, 16, 24, ... a frame: 440 after ten frames.
    for (bool back : {false, true}) {
        ManRole& m = Actor();
        m.SetRolePos(100, 300);
        MonRole& e = Enemy(1);
        e.SetRolePos(500, 300);
        const int frames = Run([&] { return back ? m.RunCommand14Act(&e) : m.RunCommand13Act(&e); });
        EXPECT_EQ(frames, 10) << back;
        EXPECT_TRUE(m.acts[kActSecond].Empty());
        EXPECT_EQ(Traces(), 0u);
    }
}

TEST_F(PerformerTest, TheDashStrikesThreeTimesAndComesBack) {
    // Frame 2 starts the dash, 15 frames of 10 points; the main act's hit
    // and its follow-up, then the dash act's follow-up, then 14 frames back.
    for (uint32_t facing : {0u, 1u}) {
        ManRole& m = Actor();
        m.facing = facing;
        m.actParam = kDashAct;
        m.action = ActionRecord{};
        m.action.followUp = kHitEffectSet;
        MonRole& e = Enemy(1, 5000, 0);
        e.shownCursor = 0;
        gManBattle.plainAttacks = 0;
        gStrongAttack = 1;
        ScriptRandom({});
        for (int i = 0; i < 10; ++i) ASSERT_EQ(m.RunCode400Act(&e, 0), 0);
        EXPECT_EQ(m.performHits, 0);  // the act waits while the dash slides out
        EXPECT_EQ(std::abs(m.slideOffset), 90);
        EXPECT_EQ(Run([&] { return m.RunCode400Act(&e, 0); }), 33 - 10) << facing;
        EXPECT_EQ(m.performHits, 3);
        EXPECT_EQ(e.shownCursor, 3);
        EXPECT_EQ(m.slideOffset, 0);
        EXPECT_EQ(gManBattle.plainAttacks, 1);
        EXPECT_EQ(gStrongAttack, 0u);
        for (int b : {int(kActBegin), int(kActSecond), 6, 7}) EXPECT_TRUE(m.acts[b].Empty()) << b;
        EXPECT_EQ(Traces(), 0u);
    }
}

TEST_F(PerformerTest, TheVolleyShootsEightSpritesThatHitOnceEach) {
    ManRole& m = Actor();
    m.SetRolePos(100, 300);
    m.slot.homeX = 100;
    m.slot.homeY = 300;
    m.actParam = kVolleyAct;
    m.action = ActionRecord{};
    m.action.followUp = kEffectSet;
    MonRole& e = Enemy(1, 5000, 0);
    e.SetRolePos(500, 300);
    ScriptRandom({});
    const int frames = Run([&] { return m.RunCode402Act(&e); });
    EXPECT_GT(frames, 2 + 7 * 3);  // a shot every third frame from the hit on
    EXPECT_LT(frames, 60);
    EXPECT_EQ(e.shownCursor, 8);
    EXPECT_EQ(m.actEffects, nullptr);
    EXPECT_EQ(Traces(), 0u);
}

TEST_F(PerformerTest, TheDrainShowsWhatItTookOnBothRoles) {
    ManRole& m = Actor();
    gMemberStats[0].gauge[0] = 100;
    m.actParam = kVolleyAct;
    m.action = ActionRecord{};
    m.action.followUp = kHitEffectSet;
    MonRole& e = Enemy(1, 5000, 0);
    ScriptRandom({});
    // The main act's hit on frame 2 starts the follow-up; its hit on frame 3.
    EXPECT_EQ(Run([&] { return m.RunCode405Act(&e); }), 4);
    EXPECT_EQ(m.performHits, 1);
    EXPECT_EQ(e.shownCursor, 1);
    EXPECT_EQ(e.shown[0].Amount(), 101);
    EXPECT_EQ(m.shownCursor, 2);
    EXPECT_EQ(m.shown[0].sprite, 9085);
    EXPECT_EQ(m.shown[1].sprite, 9087);
    EXPECT_EQ(m.shown[1].delay, 8);
    EXPECT_EQ(gMemberStats[0].gauge[0], 201);
}

TEST_F(PerformerTest, TheSkillOf33FliesOutAndBackWithoutAHit) {
    ManRole& m = Actor();
    m.SetRolePos(100, 300);
    MonRole& e = Enemy(1, 5000, 0);
    e.SetRolePos(500, 300);
    const int frames = Run([&] { return m.RunSkill33Act(&e, kEffectSet); });
    EXPECT_GT(frames, 2 + 400 / 28);
    EXPECT_LT(frames, 60);
    EXPECT_EQ(e.IsHurtMarked(), 1u);
    EXPECT_EQ(e.shownCursor, 0);  // the roll is the application's
    EXPECT_EQ(m.actEffects, nullptr);
    EXPECT_EQ(Traces(), 0u);
}

TEST_F(PerformerTest, Code406FadesGathersStrikesOnceAndFadesBack) {
    ManRole& m = Actor();
    m.actParam = kCode500Act;  // the effect raised on frame 2
    MonRole& e = Enemy(1, 5000, 0);
    ScriptRandom({});
    // 2 frames to the effect, 32 gathering, one to turn, 3 of the strike, 3
    // of the after-effect, 16 fading back.
    EXPECT_EQ(Run([&] { return m.RunCode406Act(&e); }), 2 + 32 + 1 + 3 + 3 + 15);
    EXPECT_EQ(e.shownCursor, 1);
    EXPECT_EQ(m.performHits, 1);
    EXPECT_EQ(m.actPhase, 0);
    for (int b : {int(kActBegin), int(kActBeginPartner), 6, 7}) EXPECT_TRUE(m.acts[b].Empty()) << b;
    EXPECT_EQ(Traces(), 0u);
    // Without its effect the act ends with itself.
    ManRole& plain = Actor();
    plain.actParam = kPlainAct;
    EXPECT_EQ(Run([&] { return plain.RunCode406Act(&e); }), 3);
    EXPECT_EQ(e.shownCursor, 1);
}

TEST_F(PerformerTest, Code409PlaysItsThreeStagesAndWaitsForTheEffect) {
    ManRole& m = Actor();
    m.actParam = kStagesAct;
    m.action = ActionRecord{};
    MonRole& e = Enemy(1);
    gActionFlags = 0;
    int calls = 0;
    while (calls < 100 && m.actPhase < 3) {
        ASSERT_EQ(m.RunCode409Act(&e), 0);
        ++calls;
    }
    EXPECT_EQ(m.actPhase, 3);
    EXPECT_GE(calls, 3 + 3 + 1);      // two acts of three frames, then the strike home
    EXPECT_LT(calls, 3 + 3 + 20);
    EXPECT_NE(m.action.word20 & 0x8, 0);
    EXPECT_NE(gActionFlags & kActionRunning, 0u);
    for (int i = 0; i < 20; ++i) ASSERT_EQ(m.RunCode409Act(&e), 0);
    gActionFlags |= kActionOver;
    EXPECT_EQ(m.RunCode409Act(&e), 1);
    EXPECT_EQ(Traces(), 0u);
}

TEST_F(PerformerTest, MultiPartMagicWaitsForItsFollowUpWhenTheActSaysSo) {
    ManRole& m = Actor();
    MonRole& e = Enemy(1);
    m.actParam = kWaitingAct;
    gActionFlags = 0;
    // Frame 2 starts the three-frame follow-up; the act goes on once it ended.
    EXPECT_EQ(Run([&] { return m.RunCode500Act(&e); }), 5);
    EXPECT_TRUE(m.acts[kActFade].Empty());
    EXPECT_EQ(Traces(), 0u);
}

TEST_F(PerformerTest, Code4WaitsForItsOwnFollowUp) {
    ManRole& m = Actor();
    MonRole& e = Enemy(1, 5000, 0);
    m.actParam = kCode4FollowAct;
    ScriptRandom({});
    // The act's two frames; its follow-up of three frames from the first.
    EXPECT_EQ(Run([&] { return m.RunCode4Act(&e); }), 3);
    EXPECT_EQ(e.shownCursor, 1);
    EXPECT_TRUE(m.acts[kActFade].Empty());
    EXPECT_EQ(Traces(), 0u);
}

}  // namespace
