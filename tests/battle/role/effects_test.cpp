// Status effects and ailments: conflicts, the ailment kinds' ticks, assists,
// element resistance, expiry messages, removal and the spreading effect.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "battle/role/effect_node.h"
#include "battle/role/effect_texts.h"
#include "battle/screen/battle_messages.h"
#include "tests/battle/role/role_fixture.h"

namespace {

constexpr uint32_t kAttackUp = 0x80000000u;
constexpr uint32_t kAttackDown = 0x8000000;
constexpr uint32_t kDefenceUp = 0x20000000;
constexpr uint32_t kDefenceDown = 0x80000;
constexpr uint32_t kSpeedUp = 0x40000000;
constexpr uint32_t kShield = 0x2000000;
constexpr uint32_t kResistAllMask = 0x4000000;
constexpr uint32_t kInvisibleMask = 0x10000000;
constexpr uint32_t kDispel = 0x10000;
constexpr uint32_t kMetalUp = 0x1000000;

ActionRecord Ailment(uint16_t kind, uint8_t duration = 5, uint32_t value = 100) {
    ActionRecord a{};
    a.ailment = kind;
    a.duration = duration;
    a.value = value;
    return a;
}

ActionRecord Assist(uint32_t mask, uint8_t duration = 5) {
    ActionRecord a{};
    a.mask = mask;
    a.duration = duration;
    return a;
}

ActionRecord Resist(uint16_t element, uint8_t duration = 5) {
    ActionRecord a{};
    a.flags = 0x8;
    a.word28 = element;  // the resistance element (tag 14)
    a.duration = duration;
    return a;
}

EffectNode* NodeOf(const Role& r, uint32_t kind) {
    for (EffectNode* n = r.effects; n != nullptr; n = n->next)
        if (n->kind == kind) return n;
    return nullptr;
}

int NodeCount(const Role& r) {
    int count = 0;
    for (const EffectNode* n = r.effects; n != nullptr; n = n->next) ++count;
    return count;
}

std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (const BattleMessage* m = gBattleMsgs; m != nullptr; m = m->next) texts.emplace_back(m->text);
    return texts;
}

std::string Named(const char* name, const char* text) { return std::string("$1") + name + "$0" + text; }

class EffectsTest : public RoleTest {
protected:
    void SetUp() override {
        RoleTest::SetUp();
        ClearBattleMessages();
        gGaugeFull = 14;  // every tick call is one tick of every node
    }
    void TearDown() override {
        ClearBattleMessages();
        RoleTest::TearDown();
    }
    // A clean battle again, for the next case of a table.
    void Fresh() {
        ResetBattleServices();
        ClearBattleMessages();
        gGaugeFull = 14;
    }

    // A party member whose ailments always hold (threshold 10) and whose
    // battle copy carries attack, defence, agility and wisdom.
    ManRole& Hero(int slot = 0, int member = 0) {
        gMemberStats[member].bonus[0] = 100;
        gMemberStats[member].bonus[1] = 50;
        gMemberStats[member].stat[2] = 30;
        gMemberStats[member].stat[5] = 10;
        ManRole& r = Member(slot, member, 500, 100, 100, 40);
        r.SetRoleName("Ann");
        return r;
    }
    MonRole& Foe(int index = 0) {
        MonRole& r = Enemy(index, 300);
        SetObjWordAt(r.objRecord, mon::kAilmentThreshold, 10);
        r.SetRoleName("Imp");
        return r;
    }
};

// ---- Conflicts ----

TEST_F(EffectsTest, ConflictTable) {
    struct Case {
        const char* name;
        ActionRecord first;   // what the role has (an ailment or an assist)
        bool firstIsAssist;
        ActionRecord next;
        uint32_t result;
        bool firstStays;      // the first effect is still there afterwards
    };
    const Case cases[] = {
        {"burn cures poison", Ailment(0x40), false, Ailment(0x100), 0, false},
        {"poison refuses spreading", Ailment(0x40), false, Ailment(0x1000), 0, true},
        {"poison refuses invisibility", Ailment(0x40), false, Assist(kInvisibleMask), 0, true},
        {"poison cures spreading", Ailment(0x1000), false, Ailment(0x40), 0, false},
        {"spreading refuses stone", Ailment(0x1000), false, Ailment(0x4), 0, true},
        {"stone cures freeze", Ailment(0x2), false, Ailment(0x4), 0, false},
        {"freeze refuses burn", Ailment(0x2), false, Ailment(0x100), 0, true},
        {"freeze refuses invisibility", Ailment(0x2), false, Assist(kInvisibleMask), 0, true},
        {"freeze cures burn", Ailment(0x100), false, Ailment(0x2), 0, false},
        {"burn refuses poison", Ailment(0x100), false, Ailment(0x40), 0, true},
        {"spreading cures stone", Ailment(0x4), false, Ailment(0x1000), 0, false},
        {"stone refuses everything else", Ailment(0x4), false, Assist(kAttackUp), 0, true},
        {"sleep refuses confusion", Ailment(0x8), false, Ailment(0x20), 0, true},
        {"weakening lets poison on", Ailment(0x200), false, Ailment(0x40), 1, true},
        {"weakening refuses confusion", Ailment(0x200), false, Ailment(0x20), 0, true},
        {"stun refuses weakening", Ailment(0x1), false, Ailment(0x200), 0, true},
        {"confusion refuses resist-all", Ailment(0x20), false, Assist(kResistAllMask), 0, true},
        {"resist-all refuses ailments", Assist(kResistAllMask), true, Ailment(0x40), 0, true},
        {"resist-all lets attack up on", Assist(kResistAllMask), true, Assist(kAttackUp), 1, true},
        {"invisibility refuses poison", Assist(kInvisibleMask), true, Ailment(0x40), 0, true},
        {"nothing in the way", Assist(kSpeedUp), true, Ailment(0x80), 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        ManRole& r = Hero();
        if (c.firstIsAssist)
            ASSERT_EQ(r.ApplyAssistEffect(&c.first), 1u);
        else
            ASSERT_EQ(r.ApplyAilment(&c.first), 1u);
        const uint32_t firstKind = c.firstIsAssist ? c.first.mask : c.first.ailment;
        const bool hadNode = r.HasRoleEffect(firstKind) == 1;
        EXPECT_EQ(r.CheckEffectConflict(&c.next), c.result);
        if (hadNode) {
            EXPECT_EQ(r.HasRoleEffect(firstKind) == 1, c.firstStays);
        }
        ClearBattleMessages();
    }
}

TEST_F(EffectsTest, InvisibleAndRevealedStatusRefuse) {
    ManRole& r = Hero();
    r.status = kStatusRevealed;
    ActionRecord freeze = Ailment(0x2);
    EXPECT_EQ(r.CheckEffectConflict(&freeze), 0u);
    r.status = kStatusInvisible;
    ActionRecord spread = Ailment(0x1000);
    EXPECT_EQ(r.CheckEffectConflict(&spread), 0u);
    EXPECT_EQ(r.ApplyAilment(&spread), 0u);
    EXPECT_EQ(r.effects, nullptr);
}

TEST_F(EffectsTest, BurnOnPoisonCuresAndDoesNotTakeHold) {
    ManRole& r = Hero();
    ActionRecord poison = Ailment(0x40), burn = Ailment(0x100);
    ASSERT_EQ(r.ApplyAilment(&poison), 1u);
    EXPECT_EQ(r.ApplyAilment(&burn), 0u);
    EXPECT_EQ(r.effects, nullptr);
    EXPECT_EQ(r.effectBits, 0u);
}

// ---- Ailments ----

TEST_F(EffectsTest, RefusedAilments) {
    ManRole& r = Hero();
    ActionRecord poison = Ailment(0x40);
    r.guard = 1;
    EXPECT_EQ(r.ApplyAilment(&poison), 0u);
    r.guard = 0;
    r.status = 0x20;
    EXPECT_EQ(r.ApplyAilment(&poison), 0u);
    r.status = 0;
    r.effectBits = kEffectTransfer;
    EXPECT_EQ(r.ApplyAilment(&poison), 0u);
    r.effectBits = 0;
    ActionRecord cure = poison;
    cure.flags = 0x80;
    EXPECT_EQ(r.ApplyAilment(&cure), 0u);
    ActionRecord none = Ailment(0);
    EXPECT_EQ(r.ApplyAilment(&none), 0u);
    r.statsCopy.stat[5] = 0;  // threshold 0: no roll of 1..10 passes
    EXPECT_EQ(r.ApplyAilment(&poison), 0u);
    EXPECT_EQ(r.effects, nullptr);
}

TEST_F(EffectsTest, StoneRollAgainstWaterAndWood) {
    ManRole& r = Hero();
    ActionRecord stone = Ailment(0x4);
    // Wood 100 adds 5 to the roll: with threshold 5 nothing passes.
    r.statsCopy.stat[5] = 5;
    r.statsCopy.element[1] = 100;
    for (int i = 0; i < 20; ++i) EXPECT_EQ(r.ApplyAilment(&stone), 0u);
    // Water 100 takes 5 off first: with threshold 5 every roll passes.
    r.statsCopy.element[1] = 0;
    r.statsCopy.element[2] = 100;
    EXPECT_EQ(r.ApplyAilment(&stone), 1u);
    EXPECT_TRUE(r.effectBits & kEffectStone);
}

TEST_F(EffectsTest, NewAilmentNodesSetTheirBitsAndGoToTheHead) {
    struct Case {
        uint16_t kind;
        uint16_t icon;
        int32_t overlayQq;  // -1: no overlay act
        uint32_t effect;
        uint16_t status;
        float strength;
    };
    const Case cases[] = {
        {0x1, 8, 1, kEffectStun, kStatusHeld, 0},       {0x2, 2, -1, kEffectFreeze, kStatusHeld | kStatusHeld2, 0},
        {0x4, 4, -1, kEffectStone, kStatusHeld, 0},     {0x8, 12, 0, kEffectSleep, kStatusHeld, 0},
        {0x10, 9, 5, kEffectSlow, kStatusSlowed, 0},    {0x20, 6, 4, kEffectConfuse, 0, 0},
        {0x40, 5, -1, kEffectPoison, 0, 5},             {0x80, 11, 2, kEffectSeal, 0, 0},
        {0x100, 3, -1, kEffectBurn, 0, 20},             {0x200, 10, 6, kEffectWeaken, 0, 20},
        {0x400, 13, -1, kEffectDoom, 0, 0},             {0x1000, 1, -1, kEffectSpread, 0, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Fresh();
        MonRole& e = Foe();
        ActionRecord a = Ailment(c.kind, 7, 40);
        ASSERT_EQ(e.ApplyAilment(&a), 1u);
        ASSERT_NE(e.effects, nullptr);
        const EffectNode& n = *e.effects;
        EXPECT_EQ(n.kind, c.kind);
        EXPECT_EQ(n.icon, c.icon);
        EXPECT_EQ(n.overlay.act, c.overlayQq >= 0 ? 11000 : 0);
        if (c.overlayQq >= 0) {
            EXPECT_EQ(n.overlay.qq, c.overlayQq);
        }
        EXPECT_EQ(n.initialTurns, 7);
        EXPECT_EQ(n.value, 40);
        EXPECT_FLOAT_EQ(n.strength, c.strength);
        EXPECT_EQ(e.effectBits, c.effect);
        EXPECT_EQ(e.status, c.status);
    }
}

TEST_F(EffectsTest, ASecondAilmentRefreshesItsNodeUnlessAHoldingEffectIsOn) {
    MonRole& e = Foe();
    ActionRecord seal = Ailment(0x80, 6, 10);
    ASSERT_EQ(e.ApplyAilment(&seal), 1u);
    e.effects->turnsLeft = 2;
    e.effects->tick = 9;
    ActionRecord again = Ailment(0x80, 8, 30);
    EXPECT_EQ(e.ApplyAilment(&again), 1u);
    EXPECT_EQ(NodeCount(e), 1);
    EXPECT_EQ(e.effects->turnsLeft, 8);
    EXPECT_EQ(e.effects->value, 30);
    EXPECT_EQ(e.effects->tick, 0);
    // With a confusion on the role the node is left as it is.
    ActionRecord confuse = Ailment(0x20);
    ASSERT_EQ(e.ApplyAilment(&confuse), 1u);
    NodeOf(e, 0x80)->turnsLeft = 2;
    EXPECT_EQ(e.ApplyAilment(&again), 1u);
    EXPECT_EQ(NodeOf(e, 0x80)->turnsLeft, 2);
}

TEST_F(EffectsTest, OnlyTheKnownKindsMakeNodes) {
    ManRole& r = Hero();
    // An ailment word that is no kind of the table (an earth attack-up's bit,
    // two kinds at once, an unused bit) takes no hold.
    for (uint16_t kind : {0x4000, 0x41, 0x800, 0x2200}) {
        ActionRecord a = Ailment(kind);
        EXPECT_EQ(r.ApplyAilment(&a), 0u) << kind;
    }
    EXPECT_EQ(r.effects, nullptr);
    EXPECT_EQ(r.HasElementAttackUp(5), 0u);
    // Low bits of an assist's mask name nothing: alone the assist is refused,
    // beside an assist bit they are dropped. Its end then restores no stats.
    ActionRecord low = Assist(0x200, 1);
    EXPECT_EQ(r.ApplyAssistEffect(&low), 0u);
    EXPECT_EQ(r.effects, nullptr);
    ActionRecord mixed = Assist(kAttackUp | 0x200, 1);
    ASSERT_EQ(r.ApplyAssistEffect(&mixed), 1u);
    EXPECT_EQ(r.effects->kind, kAttackUp);
    EXPECT_EQ(r.attackAmount, 200);
    r.TickRoleEffects();
    EXPECT_EQ(r.effects, nullptr);
    EXPECT_EQ(r.statsCopy.bonus[0], 100);
    EXPECT_EQ(r.statsCopy.stat[3], 40);
}

TEST_F(EffectsTest, InstantKillMakesNoNode) {
    MonRole& e = Foe();
    ActionRecord kill = Ailment(0x8000);
    EXPECT_EQ(e.ApplyAilment(&kill), 1u);
    EXPECT_EQ(e.effects, nullptr);
}

TEST_F(EffectsTest, FreezeTurnsFollowEarthAndMetal) {
    ManRole& r = Hero();
    r.statsCopy.element[4] = 50;  // earth halves it
    r.statsCopy.element[0] = 20;  // metal adds a fifth
    ActionRecord freeze = Ailment(0x2, 10);
    ASSERT_EQ(r.ApplyAilment(&freeze), 1u);
    EXPECT_EQ(r.effects->turnsLeft, 7);
    EXPECT_EQ(r.wipe, 0x8000);
}

// ---- Ticks ----

TEST_F(EffectsTest, PoisonRisesBurnFalls) {
    struct Case {
        uint16_t kind;
        std::vector<int16_t> pending;
    };
    const Case cases[] = {
        {0x40, {5, 8, 11, 14, 17}},   // 5 + 15/5 a tick while below 20
        {0x100, {20, 16, 12, 8, 4}},  // 20 - 20/5 a tick while above 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Fresh();
        MonRole& e = Foe();
        ActionRecord a = Ailment(c.kind, 5, 100);
        ASSERT_EQ(e.ApplyAilment(&a), 1u);
        for (int16_t expected : c.pending) {
            e.TickRoleEffects();
            EXPECT_EQ(e.pendingDamage, expected);
            e.pendingDamage = 0;
        }
        EXPECT_EQ(e.effects, nullptr);  // five turns, five ticks
        EXPECT_EQ(e.effectBits, 0u);
    }
}

TEST_F(EffectsTest, TicksWaitForTheGaugeFullValue) {
    gGaugeFull = 100;
    MonRole& e = Foe();
    ActionRecord seal = Ailment(0x80, 3);
    ASSERT_EQ(e.ApplyAilment(&seal), 1u);
    for (int i = 0; i < 7; ++i) e.TickRoleEffects();  // 14 a call: 98
    EXPECT_EQ(e.effects->turnsLeft, 3);
    e.TickRoleEffects();
    EXPECT_EQ(e.effects->turnsLeft, 2);
    EXPECT_EQ(e.effects->tick, 0);
    e.holdFlag = 1;  // a held role's effects stand still
    for (int i = 0; i < 50; ++i) e.TickRoleEffects();
    EXPECT_EQ(e.effects->turnsLeft, 2);
}

TEST_F(EffectsTest, DurationZeroDividesNothing) {
    // Strength steps divide by the initial turns; a 0 from data counts as 1.
    MonRole& e = Foe();
    ActionRecord poison = Ailment(0x40, 0, 100);
    ASSERT_EQ(e.ApplyAilment(&poison), 1u);
    e.TickRoleEffects();
    EXPECT_EQ(e.pendingDamage, 5);
    EXPECT_EQ(e.effects, nullptr);

    ManRole& r = Hero();
    for (uint32_t mask : {kAttackDown, kAttackUp, kDefenceUp, kSpeedUp, 0x100000u}) {
        SCOPED_TRACE(mask);
        ActionRecord a = Assist(mask, 0);
        ASSERT_EQ(r.ApplyAssistEffect(&a), 1u);
        for (const EffectNode* n = r.effects; n != nullptr; n = n->next) EXPECT_TRUE(std::isfinite(n->strength));
        r.TickRoleEffects();
        EXPECT_EQ(r.effects, nullptr);
        EXPECT_EQ(r.attackAmount, 0);
        EXPECT_EQ(r.defenceAmount, 0);
        EXPECT_EQ(r.speedAmount, 0);
        ClearBattleMessages();
    }
}

TEST_F(EffectsTest, SpreadingDamageIsBoundedAndNeverHeals) {
    MonRole& e = Foe();
    ASSERT_EQ(e.CatchSpreadingEffect(static_cast<int16_t>(60000), 0), 1u);
    ASSERT_NE(e.effects, nullptr);
    EXPECT_EQ(e.effects->value, 48000);
    EXPECT_EQ(e.effects->turnsLeft, kEffectEndless);
    e.TickRoleEffects();  // caught one step before its tick
    EXPECT_EQ(e.pendingDamage, 48000 * 57 / 100 > 32767 ? 32767 : 48000 * 57 / 100);
    for (int i = 0; i < 5000; ++i) {
        e.pendingDamage = 0;
        e.TickRoleEffects();
        ASSERT_GT(e.pendingDamage, 0);
    }
    EXPECT_EQ(e.pendingDamage, 32767);
    EXPECT_LE(e.effects->strength, 1000.0f);
    EXPECT_EQ(e.effects->turnsLeft, kEffectEndless);  // endless: never counted down, never wraps
}

TEST_F(EffectsTest, SpreadingWaitsForPendingDamage) {
    MonRole& e = Foe();
    ActionRecord spread = Ailment(0x1000, 5, 100);
    ASSERT_EQ(e.ApplyAilment(&spread), 1u);
    e.pendingDamage = 3;
    e.TickRoleEffects();
    EXPECT_EQ(e.pendingDamage, 3);
    e.pendingDamage = 0;
    e.TickRoleEffects();
    EXPECT_EQ(e.pendingDamage, 100 * 12 / 100);  // strength 5 + 7
}

TEST_F(EffectsTest, RepeatedSpreadingGrowsItsTurnsWithoutWrapping) {
    MonRole& e = Foe();
    ActionRecord spread = Ailment(0x1000, 255, 10);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(e.ApplyAilment(&spread), 1u);
    EXPECT_EQ(NodeCount(e), 1);
    EXPECT_EQ(e.effects->turnsLeft, kEffectEndless - 1);
}

TEST_F(EffectsTest, StoneCancelsTickDamageAndKeepsItsTurns) {
    MonRole& e = Foe();
    ActionRecord stone = Ailment(0x4, 2);
    ASSERT_EQ(e.ApplyAilment(&stone), 1u);
    e.pendingDamage = 50;
    for (int i = 0; i < 10; ++i) e.TickRoleEffects();
    EXPECT_EQ(e.pendingDamage, 0);
    EXPECT_EQ(e.effects->turnsLeft, 2);
}

TEST_F(EffectsTest, WeakeningLowersTheBattleCopyAndGivesItBack) {
    ManRole& r = Hero();
    MemberStats before[kPartyMembers];
    std::memcpy(before, gMemberStats, sizeof before);
    ActionRecord weaken = Ailment(0x200, 3);
    ASSERT_EQ(r.ApplyAilment(&weaken), 1u);
    EXPECT_EQ(r.statsCopy.bonus[0], 80);
    EXPECT_EQ(r.statsCopy.bonus[1], 40);
    EXPECT_EQ(r.statsCopy.stat[3], 32);
    EXPECT_EQ(r.statsCopy.stat[2], 24);
    EXPECT_EQ(r.acts[kActTrigger].rec.act, 7051);
    r.TickRoleEffects();
    EXPECT_LT(r.statsCopy.bonus[0], 80);
    EXPECT_GE(r.effects->strength, 30.0f);
    r.TickRoleEffects();
    r.TickRoleEffects();
    EXPECT_EQ(r.effects, nullptr);
    EXPECT_EQ(r.statsCopy.bonus[0], 100);
    EXPECT_EQ(r.statsCopy.bonus[1], 50);
    EXPECT_EQ(r.statsCopy.stat[3], 40);
    EXPECT_EQ(r.statsCopy.stat[2], 30);
    EXPECT_EQ(std::memcmp(before, gMemberStats, sizeof before), 0);

    // An enemy keeps its stats: only a party role is weakened.
    MonRole& e = Foe();
    SetObjWordAt(e.objRecord, mon::kAttack, 70);
    ASSERT_EQ(e.ApplyAilment(&weaken), 1u);
    e.TickRoleEffects();
    EXPECT_EQ(e.BattleAttack(), 70);
}

TEST_F(EffectsTest, AnAilmentRoundTripLeavesTheMemberRecordsAsTheyWere) {
    ManRole& r = Hero();
    MemberStats before[kPartyMembers];
    std::memcpy(before, gMemberStats, sizeof before);
    ActionRecord water = Resist(3);
    ASSERT_EQ(r.ApplyAssistEffect(&water), 1u);
    for (uint16_t kind : {0x200, 0x40, 0x80}) {
        ActionRecord a = Ailment(kind, 4, 1);
        ASSERT_EQ(r.ApplyAilment(&a), 1u);
    }
    for (int i = 0; i < 3; ++i) {
        r.TickRoleEffects();
        r.pendingDamage = 0;
    }
    r.ResetRoleForBattle();  // the end of the battle ends what is left
    EXPECT_EQ(r.effects, nullptr);
    EXPECT_EQ(std::memcmp(before, gMemberStats, sizeof before), 0);
}

TEST_F(EffectsTest, DoomStrikesWhenItsOwnTurnsRunOut) {
    ManRole& r = Hero(1, 1);
    gControlMark[0] = 5;
    gControlMark[1] = 6;
    gControlMark[2] = 7;
    ActionRecord doom = Ailment(0x400, 2);
    ActionRecord up = Assist(kAttackUp, 1);
    ASSERT_EQ(r.ApplyAilment(&doom), 1u);
    ASSERT_EQ(r.ApplyAssistEffect(&up), 1u);
    r.TickRoleEffects();  // the attack-up ends: no doom for that
    EXPECT_EQ(r.pendingDamage, 0);
    EXPECT_EQ(NodeCount(r), 1);
    r.TickRoleEffects();
    EXPECT_EQ(r.pendingDamage, 9999);
    EXPECT_EQ(r.effects, nullptr);
    EXPECT_EQ(r.effectBits & kEffectDoom, 0u);
    // Only this member's mark is cleared.
    EXPECT_EQ(gControlMark[0], 5);
    EXPECT_EQ(gControlMark[1], 0);
    EXPECT_EQ(gControlMark[2], 7);
}

TEST_F(EffectsTest, HoldingAilmentsKeepTheHeldStatusUntilTheLastEnds) {
    MonRole& e = Foe();
    ActionRecord stun = Ailment(0x1, 1), sleep = Ailment(0x8, 3);
    ASSERT_EQ(e.ApplyAilment(&stun), 1u);
    ASSERT_EQ(e.ApplyAilment(&sleep), 1u);
    e.holdFlag = 0;
    e.TickRoleEffects();  // the stun ends
    EXPECT_EQ(e.effectBits, kEffectSleep);
    EXPECT_TRUE(e.status & kStatusHeld);
    e.TickRoleEffects();
    e.TickRoleEffects();
    EXPECT_EQ(e.effectBits, 0u);
    EXPECT_FALSE(e.status & kStatusHeld);
}

// ---- Assists ----

TEST_F(EffectsTest, AssistsSetTheirAmountsAndStepThem) {
    ManRole& r = Hero();
    ActionRecord up = Assist(kAttackUp, 4), def = Assist(kDefenceUp, 4), spd = Assist(kSpeedUp, 4);
    ASSERT_EQ(r.ApplyAssistEffect(&up), 1u);
    ClearBattleMessages();
    ASSERT_EQ(r.ApplyAssistEffect(&def), 1u);
    ClearBattleMessages();
    ASSERT_EQ(r.ApplyAssistEffect(&spd), 1u);
    EXPECT_EQ(r.attackAmount, 200);
    EXPECT_EQ(r.defenceAmount, 200);
    EXPECT_EQ(r.speedAmount, 40);
    EXPECT_EQ(r.effectBits, kEffectAttackUp | kEffectDefenceUp | kEffectSpeedUp);
    EXPECT_EQ(NodeOf(r, kAttackUp)->icon, 14);
    r.TickRoleEffects();
    EXPECT_EQ(r.attackAmount, 150);
    EXPECT_EQ(r.defenceAmount, 150);
    EXPECT_EQ(r.speedAmount, 30);
    // New assists go to the tail.
    EXPECT_EQ(r.effects->kind, kAttackUp);
}

TEST_F(EffectsTest, AttackUpAndAttackDownCancelEachOther) {
    for (bool upFirst : {true, false}) {
        SCOPED_TRACE(upFirst);
        Fresh();
        ManRole& r = Hero();
        ActionRecord up = Assist(kAttackUp), down = Assist(kAttackDown);
        ASSERT_EQ(r.ApplyAssistEffect(upFirst ? &up : &down), 1u);
        ASSERT_EQ(r.ApplyAssistEffect(upFirst ? &down : &up), 1u);
        EXPECT_EQ(r.effects, nullptr);
        EXPECT_EQ(r.effectBits, 0u);
        EXPECT_EQ(r.attackAmount, 0);
        ClearBattleMessages();
    }
}

TEST_F(EffectsTest, AnEnemysAssistNodeHasNoIconAndItsDefenceDownGrows) {
    MonRole& e = Foe();
    ActionRecord down = Assist(kDefenceDown, 3);
    ASSERT_EQ(e.ApplyAssistEffect(&down), 1u);
    const EffectNode* n = NodeOf(e, kDefenceDown);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->icon, 0);
    const int16_t step = e.defenceAmount;
    EXPECT_TRUE(step == 10 || step == 15 || step == 20);
    e.TickRoleEffects();
    EXPECT_EQ(e.defenceAmount, 2 * step);
}

TEST_F(EffectsTest, DispelEndsAssistsAndLeavesAilments) {
    ManRole& r = Hero();
    ActionRecord up = Assist(kAttackUp), def = Assist(kDefenceUp), metal = Assist(kMetalUp);
    ActionRecord poison = Ailment(0x40), dispel = Assist(kDispel);
    for (ActionRecord* a : {&up, &def, &metal}) {
        ASSERT_EQ(r.ApplyAssistEffect(a), 1u);
        ClearBattleMessages();
    }
    ASSERT_EQ(r.ApplyAilment(&poison), 1u);
    r.quietFlag = 1;  // the ends say nothing here; only the dispel is told
    EXPECT_EQ(r.ApplyAssistEffect(&dispel), 1u);
    EXPECT_EQ(r.HasAssistEffect(), 0u);
    EXPECT_EQ(r.effectBits, kEffectPoison);
    EXPECT_EQ(NodeCount(r), 1);
    EXPECT_EQ(Messages(), std::vector<std::string>{Named("Ann", effect_text::kDispel)});
}

TEST_F(EffectsTest, ResistAllBlocksHitsAndAilments) {
    MonRole& e = Foe();
    ActionRecord all = Assist(kResistAllMask, 3);
    EXPECT_EQ(e.ApplyAssistEffect(&all), 1u);
    EXPECT_EQ(e.effects, nullptr);
    EXPECT_TRUE(e.effectBits & kEffectResistAll);
    EXPECT_EQ(e.resistAllHits, 3);
    EXPECT_EQ(Messages(), std::vector<std::string>{Named("Imp", effect_text::kResistAllOn)});
    EXPECT_EQ(e.DamageRole(100, 0, 0), 0u);
    EXPECT_EQ(e.MonLife(), 300u);
    ActionRecord poison = Ailment(0x40);
    EXPECT_EQ(e.ApplyAilment(&poison), 0u);
}

TEST_F(EffectsTest, RefusedAssists) {
    ManRole& r = Hero();
    ActionRecord nothing = Assist(0);
    EXPECT_EQ(r.ApplyAssistEffect(&nothing), 0u);
    ActionRecord up = Assist(kAttackUp);
    r.guard = 1;
    EXPECT_EQ(r.ApplyAssistEffect(&up), 0u);
    EXPECT_EQ(r.effects, nullptr);
}

TEST_F(EffectsTest, ShieldCostsStaminaAndEndsWhenItRunsLow) {
    ManRole& r = Hero(0, 0);
    gMemberStats[0].gauge[2] = 25;
    ActionRecord shield = Assist(kShield, 10);
    ASSERT_EQ(r.ApplyAssistEffect(&shield), 1u);
    r.TickRoleEffects();
    EXPECT_EQ(gMemberStats[0].gauge[2], 15);
    r.TickRoleEffects();
    EXPECT_EQ(gMemberStats[0].gauge[2], 5);
    EXPECT_TRUE(r.effectBits & kEffectShield);
    r.TickRoleEffects();  // below 10: the shield ends, nothing is paid
    EXPECT_EQ(gMemberStats[0].gauge[2], 5);
    EXPECT_FALSE(r.effectBits & kEffectShield);
}

// ---- Element resistance ----

TEST_F(EffectsTest, ElementResistanceRoundTripIsExact) {
    struct Case {
        int8_t start;
        int8_t afterOne;
        int8_t afterTwo;
    };
    const Case cases[] = {
        {80, 100, 100}, {-60, -10, 40}, {0, 50, 100}, {100, 100, 100}, {120, 120, 120}, {-128, -78, -28},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.start));
        Fresh();
        gMemberStats[0].element[0] = c.start;
        ManRole& r = Hero();
        MemberStats before[kPartyMembers];
        std::memcpy(before, gMemberStats, sizeof before);
        ActionRecord metal = Resist(1, 2);
        ASSERT_EQ(r.ApplyAssistEffect(&metal), 1u);
        EXPECT_EQ(r.statsCopy.element[0], c.afterOne);
        ClearBattleMessages();
        ASSERT_EQ(r.ApplyAssistEffect(&metal), 1u);  // a refresh adds again, on the same node
        EXPECT_EQ(r.statsCopy.element[0], c.afterTwo);
        EXPECT_EQ(NodeCount(r), 1);
        r.TickRoleEffects();
        r.TickRoleEffects();
        EXPECT_EQ(r.effects, nullptr);
        EXPECT_EQ(r.statsCopy.element[0], c.start);
        EXPECT_EQ(std::memcmp(before, gMemberStats, sizeof before), 0);
        ClearBattleMessages();
    }
}

TEST_F(EffectsTest, AnEnemysElementResistanceLivesInItsRecord) {
    MonRole& e = Foe();
    SetMonElementOf(e.objRecord, 3, 70);
    ActionRecord fire = Resist(4, 1);
    ASSERT_EQ(e.ApplyAssistEffect(&fire), 1u);
    EXPECT_EQ(e.ElementPercent(3), 100);
    e.TickRoleEffects();
    EXPECT_EQ(e.ElementPercent(3), 70);
    // An element outside 1..5 changes nothing.
    ActionRecord odd = Resist(7, 1);
    EXPECT_EQ(e.ApplyAssistEffect(&odd), 1u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(e.ElementPercent(i), i == 3 ? 70 : 0);
}

// ---- Messages ----

TEST_F(EffectsTest, ExpiryMessagesGoToTheQueue) {
    struct Case {
        uint32_t mask;
        const char* text;
        uint32_t flags;
    };
    const Case cases[] = {
        {kAttackUp, effect_text::kEndAttackUp, 0x41000002},
        {kDefenceDown, effect_text::kEndDefenceDown, 0x41000002},
        {kShield, effect_text::kEndShield, 0x41000002},
        {kMetalUp, effect_text::kEndElementUp[0], 0x81000002},
        {0x4000, effect_text::kEndElementUp[4], 0x41000002},
        {kInvisibleMask, effect_text::kEndInvisible, 0x41000002},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        Fresh();
        ManRole& r = Hero();
        ActionRecord a = Assist(c.mask, 1);
        ASSERT_EQ(r.ApplyAssistEffect(&a), 1u);
        ClearBattleMessages();
        r.TickRoleEffects();
        ASSERT_NE(gBattleMsgs, nullptr);
        EXPECT_EQ(std::string(gBattleMsgs->text), Named("Ann", c.text));
        EXPECT_EQ(gBattleMsgs->flags, c.flags);
        EXPECT_EQ(gBattleMsgs->x, 280);
        EXPECT_EQ(gBattleMsgs->life, 50);
        EXPECT_EQ(gBattleMsgs->next, nullptr);
        ClearBattleMessages();
    }
}

TEST_F(EffectsTest, StartMessagesNameTheRoleOrTheWholeSide) {
    MonRole& e = Foe();
    ActionRecord up = Assist(kDefenceUp);
    ASSERT_EQ(e.ApplyAssistEffect(&up), 1u);
    EXPECT_EQ(Messages(), std::vector<std::string>{Named("Imp", effect_text::kDefenceUp)});
    EXPECT_EQ(gBattleMsgs->flags, 0x42000002u);
    ClearBattleMessages();
    gWholeSide = 1;
    ManRole& r = Hero();
    ActionRecord metal = Resist(1);
    ASSERT_EQ(r.ApplyAssistEffect(&metal), 1u);
    EXPECT_EQ(Messages(), std::vector<std::string>{std::string(effect_text::kPartyAll) + effect_text::kResist[0]});
    ClearBattleMessages();
    // Shield and the like are told for the party side only.
    ActionRecord shield = Assist(kShield);
    ASSERT_EQ(e.ApplyAssistEffect(&shield), 1u);
    EXPECT_EQ(gBattleMsgs, nullptr);
}

TEST_F(EffectsTest, TheQueueKeepsItsOwnCopyOfTheText) {
    ManRole& r = Hero();
    ActionRecord up = Assist(kMetalUp);
    ASSERT_EQ(r.ApplyAssistEffect(&up), 1u);
    std::memset(r.messageText, 'x', sizeof r.messageText - 1);
    ASSERT_NE(gBattleMsgs, nullptr);
    EXPECT_EQ(std::string(gBattleMsgs->text), Named("Ann", effect_text::kElementUp[0]));
}

TEST_F(EffectsTest, ALongNameIsCutOnACharacter) {
    ManRole& r = Hero();
    std::string name;
    for (int i = 0; i < 40; ++i) name += "\xA4\x40";
    r.SetRoleName(name.c_str());
    ActionRecord up = Assist(kMetalUp);
    ASSERT_EQ(r.ApplyAssistEffect(&up), 1u);
    ASSERT_NE(gBattleMsgs, nullptr);
    const std::string text = gBattleMsgs->text;
    ASSERT_LE(text.size(), 63u);
    // "$1" then whole two-byte characters only.
    EXPECT_EQ(text.substr(0, 2), "$1");
    EXPECT_EQ((text.size() - 2) % 2, 0u);
    for (size_t i = 2; i < text.size(); i += 2) EXPECT_EQ(text.substr(i, 2), "\xA4\x40");
}

TEST_F(EffectsTest, QuietRolesAndTheResetSayNothing) {
    ManRole& r = Hero();
    ActionRecord up = Assist(kAttackUp, 1), metal = Resist(1, 1), stun = Ailment(0x1, 4);
    ASSERT_EQ(r.ApplyAssistEffect(&up), 1u);
    ASSERT_EQ(r.ApplyAssistEffect(&metal), 1u);
    ASSERT_EQ(r.ApplyAilment(&stun), 1u);
    ClearBattleMessages();
    r.ResetRoleForBattle();
    EXPECT_EQ(r.effects, nullptr);
    EXPECT_EQ(gBattleMsgs, nullptr);
    EXPECT_EQ(r.quietFlag, 0u);

    ManRole& q = Hero(1, 1);
    ASSERT_EQ(q.ApplyAssistEffect(&up), 1u);
    ClearBattleMessages();
    q.quietFlag = 1;
    q.TickRoleEffects();
    EXPECT_EQ(q.effects, nullptr);
    EXPECT_EQ(gBattleMsgs, nullptr);
}

// ---- Removal and revival ----

TEST_F(EffectsTest, RemovingBitsThatNameNoNodeReturns) {
    MonRole& e = Foe();
    ActionRecord poison = Ailment(0x40);
    EXPECT_EQ(e.RemoveRoleEffect(0x40), 0u);  // empty list
    ASSERT_EQ(e.ApplyAilment(&poison), 1u);
    EXPECT_EQ(e.RemoveRoleEffect(0x40 | 0x100000 | 0x2), 1u);
    EXPECT_EQ(e.effects, nullptr);
    ASSERT_EQ(e.ApplyAilment(&poison), 1u);
    EXPECT_EQ(e.RemoveRoleEffect(0xFFFFFFFFu & ~0x40u), 1u);
    EXPECT_EQ(NodeCount(e), 1);
}

TEST_F(EffectsTest, ReviveOnALivingRoleChangesNothing) {
    ManRole& r = Hero();
    ActionRecord seal = Ailment(0x80);
    ASSERT_EQ(r.ApplyAilment(&seal), 1u);
    EXPECT_EQ(r.RemoveRoleEffect(0x8000), 1u);
    EXPECT_EQ(NodeCount(r), 1);
    EXPECT_EQ(r.out, 0u);
}

TEST_F(EffectsTest, ReviveBringsAnOutMemberBackAndCountsDownOnlyWhatWasCounted) {
    struct Case {
        uint8_t downed;
        uint8_t after;
    };
    for (const Case& c : {Case{2, 1}, Case{0, 0}}) {
        SCOPED_TRACE(static_cast<int>(c.downed));
        Fresh();
        ManRole& r = Hero();
        r.SetOut(1);
        gMemberStats[0].status = kStatusDown;
        gDownedMen = c.downed;
        EXPECT_EQ(r.RemoveRoleEffect(0x8000), 1u);
        EXPECT_EQ(r.out, 0u);
        EXPECT_EQ(r.defeated, 0u);
        EXPECT_EQ(gMemberStats[0].status & kStatusDown, 0);
        EXPECT_EQ(gDownedMen, c.after);
        // Revived, the member can be hurt and defeated again.
        EXPECT_EQ(r.DamageRole(-100, 0, 0), 0u);
        EXPECT_EQ(r.DamageRole(1000, 0, 0), 1u);
    }
}

// ---- Look-ups ----

TEST_F(EffectsTest, ElementAttackUpMatchesOnlyTheFiveElements) {
    ManRole& r = Hero();
    const uint32_t kinds[5] = {0x1000000, 0x800000, 0x400000, 0x200000, 0x4000};
    for (uint32_t k : kinds) {
        ActionRecord a = Assist(k);
        ASSERT_EQ(r.ApplyAssistEffect(&a), 1u);
        ClearBattleMessages();
    }
    for (uint32_t e = 1; e <= 5; ++e) EXPECT_EQ(r.HasElementAttackUp(e), 1u) << e;
    for (uint32_t e : {0u, 6u, 9u, 0x4000u, 0x1000000u, 0xFFFFFFFFu}) EXPECT_EQ(r.HasElementAttackUp(e), 0u) << e;
}

TEST_F(EffectsTest, ProgressAndAssistLookUps) {
    MonRole& e = Foe();
    EXPECT_EQ(e.GetEffectProgress(0x2), 0.0);
    ActionRecord freeze = Ailment(0x2, 4);
    ASSERT_EQ(e.ApplyAilment(&freeze), 1u);
    e.TickRoleEffects();
    EXPECT_DOUBLE_EQ(e.GetEffectProgress(0x2), 0.75);
    EXPECT_EQ(e.HasAssistEffect(), 0u);
    ActionRecord earth = Assist(0x4000);
    ASSERT_EQ(e.ApplyAssistEffect(&earth), 1u);
    EXPECT_EQ(e.HasAssistEffect(), 1u);
}

// ---- The spreading effect ----

TEST_F(EffectsTest, CatchingTheSpreadingEffect) {
    struct Case {
        uint8_t stage;
        uint16_t value;
    };
    const Case cases[] = {{0, 80}, {1, 60}, {2, 40}, {3, 20}, {4, 20}, {5, 20}, {255, 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.stage));
        Fresh();
        ManRole& r = Hero();
        ASSERT_EQ(r.CatchSpreadingEffect(100, c.stage), 1u);
        EXPECT_EQ(r.effects->value, c.value);
        EXPECT_EQ(r.effects->icon, 7);
        EXPECT_EQ(r.effects->turnsLeft, kEffectEndless);
        EXPECT_EQ(r.spreadStage, c.stage + 1);
        EXPECT_EQ(r.GetSpreadValue(), 100);
        EXPECT_EQ(r.CatchSpreadingEffect(100, c.stage), 0u);  // a carrier catches nothing more
    }
}

TEST_F(EffectsTest, AUniqueEnemyCarriesForTenTurns) {
    MonRole& e = Foe();
    e.objRecord->typeBits = 0x20;
    ASSERT_EQ(e.CatchSpreadingEffect(50, 0), 1u);
    EXPECT_EQ(e.effects->turnsLeft, 10);
    for (int i = 0; i < 10; ++i) {
        e.pendingDamage = 0;
        e.TickRoleEffects();
    }
    EXPECT_EQ(e.effects, nullptr);
    EXPECT_EQ(e.state & kStateCarrier, 0u);
}

TEST_F(EffectsTest, TheCarrierSpreadsAfterFourSteps) {
    MonRole& e = Foe();
    ActionRecord carrier = Ailment(0x2000, 5, 90);
    e.StepSpreadCounter();
    EXPECT_EQ(e.spreadCounter, 0);  // not a carrier yet
    ASSERT_EQ(e.ApplyAilment(&carrier), 1u);
    EXPECT_EQ(e.effects->kind, 0x1000u);
    EXPECT_EQ(e.GetSpreadValue(), 90);
    for (int i = 0; i < 3; ++i) e.StepSpreadCounter();
    EXPECT_EQ(e.IsSpreadDue(), 0u);
    e.StepSpreadCounter();
    EXPECT_EQ(e.IsSpreadDue(), 1u);
    ActionRecord again = Ailment(0x2000);
    EXPECT_EQ(e.ApplyAilment(&again), 0u);
}

// ---- Release ----

TEST_F(EffectsTest, NoNodeSurvivesTheRelease) {
    for (int slot = 0; slot < 4; ++slot) {
        ManRole& r = Hero(slot, slot);
        for (uint16_t kind : {0x40, 0x2000}) {
            ActionRecord a = Ailment(kind);
            r.ApplyAilment(&a);
        }
        ActionRecord up = Assist(kAttackUp);
        r.ApplyAssistEffect(&up);
        r.StartTransferAct();
        ClearBattleMessages();
    }
    for (int i = 0; i < 5; ++i) {
        MonRole& e = Foe(i);
        ActionRecord a = Ailment(0x80);
        e.ApplyAilment(&a);
        e.CatchSpreadingEffect(10, 1);
    }
    FreeBattleRoles();
    for (const ManRole& r : gManRoles) {
        EXPECT_EQ(r.effects, nullptr);
        EXPECT_EQ(r.transferRipple, nullptr);
    }
    for (const MonRole& r : gMonRoles) EXPECT_EQ(r.effects, nullptr);
    // The sanitizer build's leak check sees every node and ripple freed.
}

}  // namespace
