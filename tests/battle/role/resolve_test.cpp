// The resolution of a hit: the block test, the enemy's and the party's
// resolvers with a scripted Random, and the party's hit.
#include <cstring>
#include <string>
#include <vector>

#include "battle/battle_state.h"
#include "battle/hud/accumulator.h"
#include "tests/battle/enemy/enemy_fixture.h"
#include "tests/battle/role/scripted_random.h"

namespace {

class ResolveTest : public EnemyTest {
protected:
    // An enemy actor with a plain attack of `power`.
    MonRole& Striker(uint16_t power) {
        MonRole& e = Enemy(0);
        e.name = "Ogre";
        e.command = 1;
        e.skillAmount = power;
        return e;
    }
    // A party actor with a plain attack of `power`.
    ManRole& Hero(uint16_t power) {
        ManRole& m = Member(0, 0);
        m.name = "Hero";
        m.command = 1;
        m.skillAmount = power;
        return m;
    }
    // The calls (from 1) of `calls` chance-0 block tests that blocked.
    static std::vector<int> Blocks(Role& t, int calls) {
        std::vector<int> at;
        for (int i = 1; i <= calls; ++i)
            if (t.TryBlockHit(0) == 1) {
                at.push_back(i);
                t.state &= ~kStateBlocking;
            }
        return at;
    }
    static void ExpectNeverTwoInARow(const std::vector<int>& at) {
        for (size_t i = 1; i < at.size(); ++i) EXPECT_GT(at[i], at[i - 1] + 1) << "blocks at " << at[i - 1];
    }
};

TEST_F(ResolveTest, ChanceZeroBlocksFollowTheCountersAndNeverComeTwiceInARow) {
    const struct {
        const char* what;
        uint32_t side;
        uint8_t blockChance;
        int roll;                 // every Random(10) of the script
        std::vector<int> first;   // the first blocks
    } cases[] = {
        // Party: no roll below 13 hits; 13..25 roll; above 25 sure.
        {"party, rolls that pass", 1, 10, 0, {14, 29, 44}},
        {"party, rolls that fail", 1, 1, 9, {27}},
        // Enemy below chance 4: 21..30 roll; 31 and above sure.
        {"enemy, rolls that fail", 0, 2, 9, {32}},
        // Enemy of chance 4 or more: its own counter; every other test blocks.
        {"enemy, own counter", 0, 5, 0, {1, 3, 5, 7}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetBattleState();
        Role& t = c.side == 1 ? static_cast<Role&>(Member(1, 1)) : static_cast<Role&>(Enemy(1));
        t.blockChance = c.blockChance;
        t.blockCounter = 0;
        t.status = 0;
        std::vector<int> rolls(49, c.roll);
        ScriptRandom({});
        for (size_t k = 0; k < rolls.size(); ++k) gRandomTable[2 * k + 1] = uint32_t(rolls[k]);
        const std::vector<int> at = Blocks(t, int(c.first.back()));
        EXPECT_EQ(at, c.first);
        EXPECT_EQ(t.status & kStatusBanner, kStatusBanner);
        ExpectNeverTwoInARow(Blocks(t, 200));
    }
}

TEST_F(ResolveTest, NoBlockForAGuardAHeldRoleOrAForcedHit) {
    ManRole& m = Member(1, 1);
    m.blockChance = 10;
    gBattle.manBlockCounter = 30;
    m.guard = 1;
    EXPECT_EQ(m.TryBlockHit(0), 0u);
    m.guard = 0;
    m.status = kStatusHeld;
    EXPECT_EQ(m.TryBlockHit(5), 0u);
    m.status = 0;
    gForceEnd = 1;
    EXPECT_EQ(m.TryBlockHit(5), 0u);
    gForceEnd = 0;
    m.blockChance = 0;
    EXPECT_EQ(m.TryBlockHit(0), 0u);  // no block chance: never by the counters
    m.blockChance = 10;
    EXPECT_EQ(m.TryBlockHit(0), 1u);
    EXPECT_EQ(gBattle.manBlockCounter, 0);
    EXPECT_NE(m.state & kStateBlocking, 0u);
}

TEST_F(ResolveTest, ADefendingTargetTakesBetween61And90Percent) {
    // 998 + 1, less defence 0, + 1: 1000 before the defence roll.
    const struct {
        int roll;
        int shown;
    } cases[] = {{0, 900}, {15, 750}, {29, 610}};
    for (const auto& c : cases) {
        MonRole& e = Striker(998);
        ManRole& m = Member(1, 1, 5000);
        m.turnOver = 1;
        ScriptRandom({0, 0, c.roll});
        EXPECT_EQ(e.ResolveMonRoleAction(&m), c.shown) << c.roll;
    }
    // Unscripted, always within the range.
    InitRandom(77);
    for (int i = 0; i < 200; ++i) {
        MonRole& e = Striker(998);
        ManRole& m = Member(1, 1, 5000);
        m.turnOver = 1;
        const int got = e.ResolveMonRoleAction(&m);
        EXPECT_GE(got, 1000 - 1000 * 39 / 100);  // 1000..1004 before the roll
        EXPECT_LE(got, 1004 - 1004 * 10 / 100);
    }
}

TEST_F(ResolveTest, ASilverTheftTakesWhatThePartyHas) {
    const struct {
        uint32_t silver, value;
        uint16_t carried;
        uint32_t left;
        uint16_t carriedAfter;
        const char* amount;
    } cases[] = {
        {120, 500, 0, 0, 120, "120"},
        {900, 500, 10, 400, 510, "500"},
        {120, 500, 65500, 0, 65535, "120"},  // the enemy's purse stops at its word
    };
    for (const auto& c : cases) {
        ClearBattleMessages();
        MonRole& e = Striker(50);
        e.state = 0;
        e.action = ActionRecord{};
        e.action.flags = 0x80000;
        e.action.value = c.value;
        SetObjWordAt(e.objRecord, mon::kSilver, c.carried);
        SetObjByteAt(e.objRecord, mon::kLeaveMark, 0);
        ManRole& m = Member(1, 1);
        gTalkVar[0] = c.silver;
        EXPECT_EQ(e.ResolveMonRoleAction(&m), -1);
        EXPECT_EQ(gTalkVar[0], c.left);
        EXPECT_EQ(ObjWordAt(*e.objRecord, mon::kSilver), c.carriedAfter);
        EXPECT_EQ(ObjByteAt(*e.objRecord, mon::kLeaveMark), 8);
        EXPECT_NE(e.state & kStateFleeOnce, 0u);
        ASSERT_NE(gBattleMsgs, nullptr);
        const std::string text = gBattleMsgs->text;
        EXPECT_EQ(text.rfind("$1Ogre$0", 0), 0u) << text;
        EXPECT_NE(text.find(std::string("\xA4" "F") + c.amount + "\xBB\xC8"), std::string::npos) << text;
    }
}

TEST_F(ResolveTest, AnItemTheftFollowsItsChance) {
    for (int roll : {4, 5}) {
        ClearBattleMessages();
        MonRole& e = Striker(50);
        e.state = 0;
        e.action = ActionRecord{};
        e.action.flags = 0x100000;
        e.action.word36 = 5;
        ManRole& m = Member(1, 1);
        ScriptRandom({roll});
        EXPECT_EQ(e.ResolveMonRoleAction(&m), -1);
        EXPECT_EQ(gStealSuccess, roll < 5 ? 1u : 0u);
        EXPECT_EQ((e.state & kStateFleeOnce) != 0, roll < 5);
        EXPECT_EQ(gBattleMsgs != nullptr, roll >= 5);  // "偷竊失敗"
    }
}

TEST_F(ResolveTest, TheWardKeepsOffTheKindsOfItsLevel) {
    const struct {
        uint16_t percent;     // the ward's skill value
        uint32_t wardBit;     // the special that lets the ward work
        uint16_t ailment;
        bool taken;
        uint16_t maximum = 100;  // the treasure's growth maximum
    } cases[] = {
        {100, 0x40, 0x1, false},     // level 5 keeps off every kind
        {100, 0x40, 0x8000, false},  // the instant kill too
        {10, 0x40, 0x8, false},      // level 0 (15 after the use) keeps off sleep
        {10, 0x40, 0x1, true},       // but not the stun
        {100, 0, 0x8, true},         // no ward without its special
        {300, 0x40, 0x1, false, 400},  // level 15, past the table: wards as its last level
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.percent << " " << c.ailment);
        FreeFameLists();
        MonRole& e = Striker(0);
        e.action = ActionRecord{};
        e.action.ailment = c.ailment;
        e.action.duration = 3;
        ManRole& m = Member(1, 1, 500);
        m.FreeRoleEffects();
        m.effectBits = 0;
        m.status = 0;
        m.stats->stat[5] = 10;  // every ailment roll holds
        m.statusDword = c.wardBit;
        m.treasureId[0] = 701;
        m.treasure[0].w[17] = 57;
        m.treasure[0].w[16] = c.maximum;
        SetCountPercent(&gFameList3, 701, c.maximum, c.percent);
        ScriptRandom({});
        e.ResolveMonRoleAction(&m);
        EXPECT_EQ(m.effects != nullptr, c.taken);
        if (c.ailment == 0x8000) {
            EXPECT_EQ(gMemberStats[1].gauge[0], 500);
        }
    }
}

TEST_F(ResolveTest, ABigHitStaysAHitWithinTheCap) {
    MonRole& target = Enemy(1, 60000, 20);
    ManRole& m = Hero(60000);
    ScriptRandom({});
    EXPECT_EQ(m.ResolveManRoleAction(&target, nullptr, nullptr), 9999);
    MonRole& e = Striker(65000);
    ManRole& victim = Member(1, 1, 30000);
    ScriptRandom({});
    EXPECT_EQ(e.ResolveMonRoleAction(&victim), 9999);
}

TEST_F(ResolveTest, AHitOf12000IsShownAndCountedAs9999) {
    MonRole& target = Enemy(1, 60000, 0);
    ManRole& m = Hero(12000);
    SetAccumulatorCap(100000);
    ScriptRandom({});
    m.ApplyHit(&target, 0);
    EXPECT_EQ(target.shown[0].Amount(), 9999);
    EXPECT_EQ(gAccumLast, 9999);
    EXPECT_EQ(gAccumTotal, 9999);
}

TEST_F(ResolveTest, TheThrowNeverDividesByZero) {
    const struct {
        uint16_t skill;
        uint16_t strength;
        int shown;
    } cases[] = {
        {0, 30, 200},    // 100 * (30 / 15)
        {280, 3, 300},   // no divisor left: the strength itself
        {1000, 3, 300},  // past it too
    };
    for (const auto& c : cases) {
        MonRole& target = Enemy(1, 5000, 0);
        ManRole& m = Hero(100);
        m.command = 27;
        m.skillValue = c.skill;
        m.stats->stat[0] = c.strength;
        EXPECT_EQ(m.ResolveManRoleAction(&target, nullptr, nullptr), c.shown) << c.skill;
    }
}

TEST_F(ResolveTest, TheInstantKillKillsWhateverTheLife) {
    for (uint32_t life : {500u, 9999u, 30000u, 200000u}) {
        MonRole& target = Enemy(1, life, 0);
        target.defeated = 0;
        target.effectBits = 0;
        target.FreeRoleEffects();
        SetObjWordAt(target.objRecord, mon::kAilmentThreshold, 10);
        ManRole& m = Hero(10);
        m.command = 2;
        m.action = ActionRecord{};
        m.action.ailment = 0x8000;
        m.action.value = 1;
        ScriptRandom({});
        EXPECT_EQ(m.ResolveManRoleAction(&target, nullptr, nullptr), int(std::min(life, 9999u))) << life;
        EXPECT_EQ(target.MonLife(), 0u) << life;
        EXPECT_EQ(target.defeated, 1u) << life;
    }
}

TEST_F(ResolveTest, ACureRemovesTheAilmentAndShowsTheHeal) {
    ManRole& m = Hero(0);
    m.command = 3;
    m.action = ActionRecord{};
    m.action.flags = 0x80;
    m.action.ailment = 0x40;
    m.regenAmount[0] = 40;
    m.regenAmount[1] = 7;
    ManRole& ally = Member(1, 1);
    ally.effectBits = kEffectPoison;
    uint16_t sp = 0, st = 0;
    EXPECT_EQ(m.ResolveManRoleAction(&ally, &sp, &st), -40);
    EXPECT_EQ(sp, 7);
    EXPECT_EQ(ally.shown[0].sprite, 9085);
}

TEST_F(ResolveTest, TheHitCountsOneBlockAnAction) {
    MonRole& target = Enemy(1, 5000, 0);
    target.blockChance = 10;
    target.effectBits = kEffectInvisible;  // blocks 9 times in 10
    ManRole& m = Hero(100);
    ScriptRandom({});
    m.ApplyHit(&target, 1);
    EXPECT_EQ(target.shownCursor, 0);  // blocked: nothing shown
    target.state &= ~kStateBlocking;
    m.ApplyHit(&target, 1);             // a second hit of the same action lands
    EXPECT_EQ(target.shownCursor, 1);
    EXPECT_EQ(m.hitCounter, 1);
}

}  // namespace
