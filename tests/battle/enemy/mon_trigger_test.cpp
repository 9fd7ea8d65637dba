// Enemy triggers driven by events, their reactions, the trigger act that
// stops time, the damage-transfer act, and the enemy's turn choice.
#include "tests/battle/enemy/enemy_fixture.h"

namespace {

constexpr uint16_t kOgre = 310, kSpellA = 401, kSpellB = 402, kSpellC = 403, kSpecialA = 404, kItem = 405;
constexpr uint16_t kPlain = 20, kSpellAction = 21, kSpecialAction = 22, kHealAction = 23, kWalkAction = 24;

MonsterSpec Ogre() {
    MonsterSpec m;
    m.level = 8;
    m.attack = 100;
    m.defence = 51;
    m.agility = 40;
    m.wisdom = 60;
    m.life = 900;
    m.attackAction = kPlain;
    return m;
}

class TriggerTest : public EnemyTest {
protected:
    MonRole& Load(const MonsterSpec& m) {
        Table({{kOgre, MonsterRecordBytes("Ogre", m)},
               {kSpellA, Object("Fire", kSpellAction)},
               {kSpellB, Object("Ice", kSpellAction)},
               {kSpellC, Object("Bolt", kSpellAction)},
               {kSpecialA, Object("Maul", kSpecialAction)},
               {kItem, Object("Salve", kHealAction)}},
              {{kPlain, Action(15)},
               {kSpellAction, Action(30, 0, 0, 0)},
               {kSpecialAction, Action(50, 0x10)},
               {kHealAction, Action(80)},
               {kWalkAction, Action(10, 0x10)}});
        return SetUpEnemy(0, kOgre);
    }
};

TEST_F(TriggerTest, EachCodeFiresOnItsEventAndOnlyOnce) {
    struct Case {
        uint16_t code;
        uint16_t event, element;
        bool fires;
    } cases[] = {
        {2, 2, 0, true},   {2, 0, 0, false}, {8, 8, 0, true},    {15, 15, 0, true}, {19, 19, 0, true},
        {27, 27, 0, true}, {30, 29, 0, false}, {12, 0, 3, true}, {12, 0, 0, false}, {10, 0, 1, true},
        {14, 0, 5, true},  {14, 0, 4, false}, {31, 31, 0, false}, {40, 0, 0, false},
    };
    for (const Case& c : cases) {
        MonsterSpec m = Ogre();
        m.trigger = c.code;
        m.reaction = 1013;
        MonRole& e = Load(m);
        EXPECT_EQ(e.CheckMonTrigger(c.event, c.element), 1u) << c.code;
        EXPECT_EQ((e.state & kStateTriggerFired) != 0, c.fires) << c.code << " event " << c.event;
        if (c.fires) {
            EXPECT_EQ(e.GetMonTriggerPhase(), 1) << c.code;
            EXPECT_EQ(e.CheckMonTrigger(c.event, c.element), 0u) << c.code;  // fired once
            EndTriggerDisplay();
        }
    }
}

TEST_F(TriggerTest, NoCheckForTheFallenTheHeldOrWithoutACode) {
    MonsterSpec m = Ogre();
    m.trigger = 2;
    MonRole& e = Load(m);
    e.status |= kStatusHeld;
    EXPECT_EQ(e.CheckMonTrigger(2, 0), 0u);
    e.status = 0;
    e.defeated = 1;
    EXPECT_EQ(e.CheckMonTrigger(2, 0), 0u);
    m.trigger = 0;
    EXPECT_EQ(Load(m).CheckMonTrigger(2, 0), 0u);
    // A party-side role never fires: event 2 marks its transfer flag.
    ManRole& p = Member(0, 0);
    EXPECT_EQ(p.CheckMonTrigger(2, 0), 0u);
    p.CountMonTriggerEvent(2);
    EXPECT_EQ(p.transferFlag, 1);
}

TEST_F(TriggerTest, CountedEventsFireAtTheirThresholds) {
    struct Case {
        uint16_t code, event;
        int times;
    } cases[] = {{4, 0, 15}, {6, 2, 5}, {5, 1, 1}, {7, 3, 1}};
    for (const Case& c : cases) {
        MonsterSpec m = Ogre();
        m.trigger = c.code;
        MonRole& e = Load(m);
        for (int i = 0; i < c.times; ++i) {
            EXPECT_EQ(e.state & kStateTriggerFired, 0u) << c.code << " at " << i;
            e.CountMonTriggerEvent(c.event);
            e.CheckMonTrigger(0, 0);
        }
        EXPECT_NE(e.state & kStateTriggerFired, 0u) << c.code;
        EndTriggerDisplay();
    }
}

TEST_F(TriggerTest, LifeBelowAThirdFiresOnTheSurvivingHitNotOnTheKillingOne) {
    MonsterSpec m = Ogre();
    m.trigger = 1;
    m.reaction = 1001;
    MonRole& e = Load(m);
    e.DamageRole(500, 0, 0);  // 400 left
    EXPECT_EQ(e.state & kStateTriggerFired, 0u);
    e.DamageRole(150, 0, 0);  // 250 < 300
    EXPECT_NE(e.state & kStateTriggerFired, 0u);
    EXPECT_EQ(ObjAttack(e.monRecord), 170);

    MonRole& f = Load(m);
    EXPECT_EQ(f.DamageRole(900, 0, 0), 1u);
    EXPECT_EQ(f.state & kStateTriggerFired, 0u);
}

TEST_F(TriggerTest, ReactionsChangeStatsSaturated) {
    struct Case {
        uint16_t reaction, attack, defence, speed;
        uint16_t wantAttack, wantDefence, wantSpeed;
    } cases[] = {
        {1004, 100, 51, 40, 200, 26, 40},     {1001, 60000, 1, 1, 65535, 1, 1},
        {1002, 1, 100, 1, 1, 170, 1},         {1005, 40000, 1, 9, 65535, 1, 5},
        {1006, 7, 30000, 1, 4, 60000, 1},     {1009, 1, 3, 50000, 1, 2, 65535},
        {1019, 5, 5, 5, 5, 5, 5},
    };
    for (const Case& c : cases) {
        MonsterSpec m = Ogre();
        m.trigger = 2;
        m.reaction = c.reaction;
        m.attack = c.attack;
        m.defence = c.defence;
        m.agility = c.speed;
        MonRole& e = Load(m);
        e.CheckMonTrigger(2, 0);
        EXPECT_EQ(ObjAttack(e.monRecord), c.wantAttack) << c.reaction;
        EXPECT_EQ(ObjDefence(e.monRecord), c.wantDefence) << c.reaction;
        EXPECT_EQ(ObjAgility(e.monRecord), c.wantSpeed) << c.reaction;
        EndTriggerDisplay();
    }
}

TEST_F(TriggerTest, OtherReactions) {
    MonsterSpec m = Ogre();
    m.trigger = 2;
    m.reaction = 1012;
    MonRole& e = Load(m);
    e.CheckMonTrigger(2, 0);
    EXPECT_EQ(e.extraLife, 1260);
    EXPECT_NE(e.state & kStateSelfDestruct, 0u);
    EndTriggerDisplay();

    m.reaction = 1010;
    MonRole& n = Load(m);
    n.CheckMonTrigger(2, 0);
    EXPECT_EQ(n.IsElementNeutral(), 1u);
    EndTriggerDisplay();

    m.reaction = kSpecialA;  // below 1001: a new special with uses to spare
    MonRole& s = Load(m);
    s.CheckMonTrigger(2, 0);
    EXPECT_EQ(MonSlotId(s.monRecord, 3), kSpecialA);
    EXPECT_EQ(MonSlotCount(s.monRecord, 3), 10000);
    EXPECT_EQ(ObjByteAt(s.monRecord, mon::kLeaveMark), 8);
}

TEST_F(TriggerTest, TheTriggerActStopsTimeAndGivesItBack) {
    // Act 7320 is entry 1320 of the magic pack: three frames, then "O2".
    Pack("all_magic.act", {{1320, Entry({{0, "SD 0 PA 0 ED PA 1 ED PA 2 O2"}})}});
    MonsterSpec m = Ogre();
    m.trigger = 2;
    m.reaction = 1011;
    MonRole& e = Load(m);
    e.CheckMonTrigger(2, 0);
    EXPECT_EQ(Stop, 1);
    EXPECT_EQ(gMonBattle.triggerHold, 1u);
    int frames = 0;
    while (!(e.state & kStateTriggerActDone) && frames < 50) {
        EXPECT_EQ(e.PlayMonTriggerAct(), 1u);
        ++frames;
    }
    EXPECT_EQ(frames, 3);
    EXPECT_EQ(Stop, 0);
    EXPECT_EQ(gMonBattle.triggerHold, 0u);
    EXPECT_EQ(e.status & kStatusInvisible, kStatusInvisible);  // 1011 at the act's end
    EXPECT_EQ(e.PlayMonTriggerAct(), 1u);
}

TEST_F(TriggerTest, AMissingTriggerActReleasesTimeAtOnce) {
    MonsterSpec m = Ogre();
    m.trigger = 2;
    MonRole& e = Load(m);
    e.CheckMonTrigger(2, 0);
    ASSERT_EQ(Stop, 1);
    const size_t traces = Traces();
    EXPECT_EQ(e.PlayMonTriggerAct(), 1u);
    EXPECT_EQ(Stop, 0);
    EXPECT_EQ(gMonBattle.triggerHold, 0u);
    EXPECT_EQ(Traces(), traces + 1);
    EXPECT_EQ(e.PlayMonTriggerAct(), 1u);
    EXPECT_EQ(Traces(), traces + 1);  // once
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(TriggerTest, ALoopingTriggerActEndsAtTheCap) {
    Pack("all_magic.act", {{1320, Entry({{0, "SD 0 PA 0 ED PA 1 OV"}})}});
    MonsterSpec m = Ogre();
    m.trigger = 2;
    MonRole& e = Load(m);
    e.CheckMonTrigger(2, 0);
    const size_t traces = Traces();
    int frames = 0;
    while (!(e.state & kStateTriggerActDone) && frames < 1000) {
        e.PlayMonTriggerAct();
        ++frames;
    }
    EXPECT_EQ(frames, kTriggerActFrameCap);
    EXPECT_EQ(Stop, 0);
    EXPECT_EQ(Traces(), traces + 1);
}

TEST_F(TriggerTest, AnOutEnemyDropsItsTriggerDisplay) {
    Pack("all_magic.act", {{1320, Entry({{0, "SD 0 PA 0 ED PA 1 OV"}})}});
    MonsterSpec m = Ogre();
    m.trigger = 2;
    MonRole& e = Load(m);
    e.CheckMonTrigger(2, 0);
    e.out = 1;
    EXPECT_EQ(e.PlayMonTriggerAct(), 1u);
    EXPECT_EQ(Stop, 0);
    EXPECT_EQ(e.state & kStateTriggerFired, 0u);
}

TEST_F(TriggerTest, TheTransferActMakesOneRipple) {
    ManRole& p = Member(0, 0);
    p.StartTransferAct();
    cRipple* first = p.transferRipple;
    ASSERT_NE(first, nullptr);
    p.StartTransferAct();
    p.StartTransferAct();
    EXPECT_EQ(p.transferRipple, first);
    p.FreeTransferRipple();
}

// ---- The turn choice ----

TEST_F(TriggerTest, WithoutChancesTheChoiceIsThePlainAttack) {
    MonsterSpec m = Ogre();
    m.slotId[0] = kSpellA;
    m.slotCount[0] = 3;
    MonRole& e = Load(m);
    uint32_t id = 0;
    EXPECT_EQ(e.ChooseMonAction(&id), 0u);
    EXPECT_EQ(e.GetCommand(), 1);
    EXPECT_EQ(e.action.value, 15u);
    EXPECT_EQ(e.skillAmount, 100);
    EXPECT_EQ(e.triggerCounter[kTrigAttacks], 1);
    EXPECT_EQ(e.choiceCounter[kChoiceSinceLast], 1);
}

TEST_F(TriggerTest, ASureSpellIsChosenAndUsesOneOfItsCount) {
    MonsterSpec m = Ogre();
    for (int s = 0; s < 3; ++s) {
        m.slotId[s] = uint16_t(kSpellA + s);
        m.slotCount[s] = 2;
    }
    m.spellChance = 10;  // Random(10) < 10: always
    m.wisdom = 70;
    MonRole& e = Load(m);
    e.choiceMode[kModeByte] = 2;  // spells
    uint32_t id = 0;
    EXPECT_EQ(e.ChooseMonAction(&id), 1u);
    ASSERT_GE(id, kSpellA);
    ASSERT_LE(id, kSpellC);
    const int s = int(id - kSpellA);
    EXPECT_EQ(MonSlotCount(e.monRecord, s), 1);
    EXPECT_EQ(e.actParam, s == 0 ? 44 : s == 1 ? 46 : 47);
    EXPECT_EQ(e.GetSubCommand(), 2);
    EXPECT_NE(e.actionFlags & 0x80, 0);
    EXPECT_EQ(e.skillAmount, 30);
    EXPECT_EQ(e.choiceCounter[kChoiceSpells], 1);
    // Chosen already: asked again the turn's choice stands.
    EXPECT_EQ(e.ChooseMonAction(&id), 1u);
}

TEST_F(TriggerTest, AUsedUpSlotIsNeverChosen) {
    MonsterSpec m = Ogre();
    m.slotId[0] = m.slotId[1] = m.slotId[2] = kSpellA;
    m.spellChance = 10;
    MonRole& e = Load(m);
    e.choiceMode[kModeByte] = 2;
    uint32_t id = 0;
    EXPECT_EQ(e.ChooseMonAction(&id), 0u);
    EXPECT_EQ(e.GetCommand(), 1);
}

TEST_F(TriggerTest, APendingItemHealsAndIsCounted) {
    MonsterSpec m = Ogre();
    m.slotId[5] = kItem;
    m.slotCount[5] = 1;
    MonRole& e = Load(m);
    e.choiceMode[kModePendingItem] = 1;
    uint32_t id = 0;
    EXPECT_EQ(e.ChooseMonAction(&id), 1u);
    EXPECT_EQ(id, kItem);
    EXPECT_EQ(e.regenAmount[0], 80);
    EXPECT_EQ(e.choiceMode[kModePendingItem], 0);
    EXPECT_EQ(MonSlotCount(e.monRecord, 5), 0);
    EXPECT_EQ(e.triggerCounter[kTrigItems], 1);
}

TEST_F(TriggerTest, ASpecialThatWalksUpStartsWithTheRunUp) {
    MonsterSpec m = Ogre();
    m.slotId[3] = kSpecialA;
    m.slotCount[3] = 5;
    m.slotId[4] = kSpecialA;
    m.slotCount[4] = 5;
    m.specialChance = 10;
    MonRole& e = Load(m);
    e.choiceMode[kModeByte] = 1;
    uint32_t id = 0;
    EXPECT_EQ(e.ChooseMonAction(&id), 0u);
    EXPECT_EQ(e.GetCommand(), 200);
    EXPECT_EQ(e.GetSubCommand(), 1);
    EXPECT_TRUE(e.specialMark == 1 || e.specialMark == 2);
    EXPECT_EQ(e.skillAmount, 50);
}

TEST_F(TriggerTest, ConfusionForcesThePlainAttackAndSelfDestructTeleports) {
    MonsterSpec m = Ogre();
    m.slotId[0] = kSpellA;
    m.slotCount[0] = 5;
    m.spellChance = 10;
    MonRole& e = Load(m);
    e.choiceMode[kModeByte] = 2;
    e.effectBits |= kEffectConfuse;
    uint32_t id = 0;
    EXPECT_EQ(e.ChooseMonAction(&id), 0u);
    EXPECT_EQ(e.GetCommand(), 1);
    e.EndRoleTurn();
    e.effectBits = 0;
    e.state |= kStateSelfDestruct;
    e.choiceMode[kModeByte] = 0;
    m.spellChance = 0;
    MonRole& f = Load(m);
    f.state |= kStateSelfDestruct;
    f.ChooseMonAction(&id);
    EXPECT_EQ(f.action.word20, 8);
}

TEST_F(TriggerTest, AUniqueEnemyRefusesAnEffectItCarries) {
    Table({{kOgre, MonsterRecordBytes("Ogre",
                                      [] {
                                          MonsterSpec m = Ogre();
                                          m.typeBits = 0x20;
                                          m.slotId[0] = m.slotId[1] = m.slotId[2] = kSpellA;
                                          m.slotCount[0] = m.slotCount[1] = m.slotCount[2] = 9;
                                          m.spellChance = 10;
                                          return m;
                                      }())},
           {kSpellA, Object("Ward", kSpellAction)}},
          {{kPlain, Action(15)}, {kSpellAction, Action(0, 0, 0, 0, 0x20000000)}});
    MonRole& e = SetUpEnemy(0, kOgre);
    e.choiceMode[kModeByte] = 2;
    ActionRecord up{};
    up.mask = 0x20000000;
    up.duration = 3;
    ASSERT_EQ(e.ApplyAssistEffect(&up), 1u);
    uint32_t id = 0;
    EXPECT_EQ(e.ChooseMonAction(&id), 0u);
    EXPECT_EQ(e.GetCommand(), 1);
    EXPECT_EQ(MonSlotCount(e.monRecord, 0) + MonSlotCount(e.monRecord, 1) + MonSlotCount(e.monRecord, 2), 27);
}

}  // namespace

namespace {

// Two reactions that fire together play one after the other under one held
// display; a reaction whose enemy is acting waits (pending) until it is free.
TEST_F(TriggerTest, ReactionActsPlayOneAtATimeAndWaitForTheirEnemysAction) {
    Pack("all_magic.act", {{1320, Entry({{0, "SD 0 PA 0 ED PA 1 ED PA 2 O2"}})}});
    MonsterSpec m = Ogre();
    m.trigger = 2;
    m.reaction = 1001;
    MonRole& a = Load(m);
    MonRole& b = SetUpEnemy(1, kOgre);
    b.acting = 1;
    a.CheckMonTrigger(2, 0);
    b.CheckMonTrigger(2, 0);
    // Both reactions' stats apply at once; only the first act shows.
    EXPECT_EQ(ObjWordAt(*b.objRecord, mon::kAttack), 170);
    EXPECT_EQ(gMonBattle.triggerOwner, 1);
    EXPECT_TRUE(b.acts[kActTrigger].Empty());
    std::vector<int> owners;
    for (int frame = 0; frame < 20 && !((a.state & b.state) & kStateTriggerActDone); ++frame) {
        if (frame == 5) b.acting = 0;  // its own action is over
        a.PlayMonTriggerAct();
        b.PlayMonTriggerAct();
        owners.push_back(gMonBattle.triggerOwner);
        // The turn pop waits exactly while a reaction shows (the acting
        // enemy's own turn holds it meanwhile).
        EXPECT_EQ(gMonBattle.triggerHold, gMonBattle.triggerOwner != 0 ? 1u : 0u) << frame;
    }
    // a plays frames 0..2; b waits for its action (on frames 2..4 no act
    // shows and b's is pending), starts on frame 5 and ends on frame 7.
    EXPECT_EQ(owners, (std::vector<int>{1, 1, 0, 0, 0, 2, 2, 0}));
    EXPECT_EQ(gMonBattle.triggerHold, 0u);
    EXPECT_EQ(Stop, 0);
}

}  // namespace
