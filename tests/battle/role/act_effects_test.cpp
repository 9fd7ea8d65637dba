// The act effect list: flying effect sprites on generated acts, their
// arrival frames, their impacts and the one hit each lands.
#include "battle/role/act_effect.h"
#include "tests/battle/enemy/enemy_fixture.h"
#include "tests/battle/role/scripted_random.h"

namespace {

enum : uint16_t {
    kFlySet = 10,        // act 0: a flying sprite that loops for ever
    kImpactSet = 11,     // act 0: three frames, then "O2"
    kEndlessSet = 12,    // act 0: an impact that loops for ever
};

class ActEffectTest : public EnemyTest {
protected:
    void SetUp() override {
        EnemyTest::SetUp();
        Pack("all_char.act", {{kFlySet, Entry({{0, "SD 0 PA 0 ED PA 1 OV"}})},
                              {kImpactSet, Entry({{0, "SD 0 PA 0 ED PA 1 ED PA 2 O2"}})},
                              {kEndlessSet, Entry({{0, "SD 0 PA 0 ED PA 1 OV"}})}});
    }
    ManRole& Thrower() {
        ManRole& m = Member(0, 0);
        m.name = "Hero";
        m.command = 1;
        m.skillAmount = 100;
        return m;
    }
    // Calls until the list reports it is empty; the calls it took.
    static int Run(Role& r, Role* t, int limit = 1000) {
        for (int call = 1; call <= limit; ++call)
            if (r.PlayActEffectList(t, 0) == 1) return call;
        return 0;
    }
    // The call on which the first node arrived (0: never within the limit).
    static int ArrivalCall(Role& r, Role* t, int limit = 400) {
        for (int call = 1; call <= limit; ++call) {
            r.PlayActEffectList(t, 0);
            if (r.actEffects == nullptr || (r.actEffects->flags & kActEffectArrived)) return call;
        }
        return 0;
    }
};

TEST_F(ActEffectTest, ANodeFliesArrivesPlaysItsImpactAndHitsOnce) {
    const struct {
        const char* what;
        int32_t endX;
        int16_t multiplier;
        uint16_t delay;
        int arrival;
    } cases[] = {
        {"accelerating over 100 points", 200, 0, 0, 7},   // 1 + 2 + 4 + ... + 64 passes 100 on the 7th frame
        {"a negative multiplier accelerates", 200, -3, 0, 7},
        {"fixed 10 points a frame", 200, 10, 0, 10},
        {"after a delay of 5", 200, 10, 5, 15},
        {"no distance at all", 100, 0, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ManRole& m = Thrower();
        MonRole& e = Enemy(1, 5000, 0);
        e.shownCursor = 0;
        m.AddActEffectNode(kFlySet, 0, c.endX, 100, 100, 100, c.multiplier, c.delay, kImpactSet, 0);
        ScriptRandom({});
        EXPECT_EQ(ArrivalCall(m, &e), c.arrival);
        EXPECT_EQ(e.shownCursor, 0);          // the impact plays first
        EXPECT_EQ(Run(m, &e), 3);             // two more impact frames, then the list is empty
        EXPECT_EQ(e.shownCursor, 1);          // one hit
        EXPECT_EQ(e.shown[0].Amount(), 101);
        EXPECT_EQ(m.actEffectsDone, 0);       // the empty list counts afresh
        EXPECT_EQ(Traces(), 0u);
    }
}

TEST_F(ActEffectTest, AFarFlightArrivesWithoutTheSpeedWrapping) {
    ManRole& m = Thrower();
    MonRole& e = Enemy(1);
    m.AddActEffectNode(kFlySet, 0, 30000, 20000, -30000, -20000, 0, 0, kImpactSet, kActEffectNoResolve);
    const int arrival = ArrivalCall(m, &e);
    EXPECT_GT(arrival, 7);
    EXPECT_LT(arrival, 60);
    EXPECT_LE(m.actEffects->speed, kActEffectSpeedCap);
    EXPECT_EQ(Run(m, &e), 3);
    EXPECT_EQ(e.shownCursor, 0);  // a node that resolves nothing
}

TEST_F(ActEffectTest, AnEndlessImpactEndsAtTheCapWithOneTraceAndStillHits) {
    ManRole& m = Thrower();
    MonRole& e = Enemy(1, 5000, 0);
    m.AddActEffectNode(kFlySet, 0, 100, 100, 100, 100, 0, 0, kEndlessSet, 0);
    EXPECT_EQ(Run(m, &e), kActEffectFrameCap + 2);
    EXPECT_EQ(Traces(), 1u);
    EXPECT_EQ(e.shownCursor, 1);
}

TEST_F(ActEffectTest, MissingActsEndTheNodeAtOnce) {
    ManRole& m = Thrower();
    MonRole& e = Enemy(1, 5000, 0);
    // A flying act that does not exist, no impact: it lands on the first frame.
    m.AddActEffectNode(kFlySet, 9, 300, 100, 100, 100, 0, 0, 0, 0);
    EXPECT_EQ(Run(m, &e), 2);
    EXPECT_EQ(e.shownCursor, 1);
}

TEST_F(ActEffectTest, SeveralNodesLandOneHitEach) {
    ManRole& m = Thrower();
    MonRole& e = Enemy(1, 5000, 0);
    for (int i = 0; i < 3; ++i) m.AddActEffectNode(kFlySet, 0, 200, 100, 100, 100, 10, uint16_t(5 * i), kImpactSet, 0);
    EXPECT_EQ(m.actEffectsAdded, 3);
    EXPECT_EQ(Run(m, &e), 10 + 10 + 2 + 1);
    EXPECT_EQ(e.shownCursor, 3);
}

TEST_F(ActEffectTest, EndingTheListTurnsOnTheLastNodesTrail) {
    ManRole& m = Thrower();
    m.EndActEffectList(1, 2, 3);  // an empty list: nothing to close
    EXPECT_EQ(m.actEffects, nullptr);
    m.AddActEffectNode(kFlySet, 0, 200, 100, 100, 100, 0, 0, kImpactSet, 0);
    m.AddActEffectNode(kFlySet, 0, 200, 100, 100, 100, 0, 0, kImpactSet, 0);
    m.EndActEffectList(4, 1, 0);
    const ActEffectNode* last = m.actEffects->next;
    EXPECT_EQ(m.actEffects->trailOn, 0);
    EXPECT_EQ(last->trailOn, 1);
    EXPECT_EQ(last->trail.count, 1);
    EXPECT_EQ(last->trail.delay, 2);
    EXPECT_EQ(last->trail.length, 3);
    EXPECT_EQ(last->trailParam[0], 4);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(last->trail.entry[i].frame, 65535);
    m.EndActEffectList(9, 9, 9);  // a trail already on stays as it is
    EXPECT_EQ(last->trailParam[0], 4);
    m.FreeActEffectList();
    EXPECT_EQ(m.actEffects, nullptr);
    EXPECT_EQ(m.actEffectsAdded, 0);
}

TEST_F(ActEffectTest, AnEnemysNodeResolvesWithTheEnemysResolver) {
    MonRole& e = Enemy(0);
    e.command = 2;
    e.skillAmount = 40;
    ManRole& m = Member(0, 0);
    ScriptRandom({});
    e.AddActEffectNode(kFlySet, 0, 100, 100, 100, 100, 0, 0, 0, 0);
    EXPECT_EQ(Run(e, &m), 2);
    EXPECT_EQ(m.shownCursor, 1);
    EXPECT_EQ(m.shown[0].Amount(), 41);  // 40 + the bonus r + 1 with r 0
}

}  // namespace
