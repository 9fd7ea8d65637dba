// Enemy set-up from its monster record, its choices, escape, rewards, drops,
// queries and the battle script's setters.
#include <cstring>

#include "tests/battle/enemy/enemy_fixture.h"

namespace {

constexpr uint16_t kSlime = 301, kBat = 302, kSpell = 401, kSpecial = 402, kItem = 403;
constexpr uint16_t kPlainAction = 10, kSpellAction = 11, kSpecialAction = 12, kItemAction = 13, kMagicSpecial = 14;

MonsterSpec Slime() {
    MonsterSpec m;
    m.level = 10;
    m.attack = 40;
    m.defence = 12;
    m.agility = 30;
    m.wisdom = 70;
    m.life = 900;
    m.attackAction = kPlainAction;
    m.experience = 100;
    m.silver = 55;
    m.blockChance = 7;
    m.escapeChance = 4;
    return m;
}

class MonRoleTest : public EnemyTest {
protected:
    void Load(const MonsterSpec& m, uint16_t id = kSlime) {
        Table({{id, MonsterRecordBytes("Slime", m)},
               {kSpell, Object("Spark", kSpellAction)},
               {kSpecial, Object("Bite", kSpecialAction)},
               {kItem, Object("Salve", kItemAction)},
               {405, Object("Gust", kMagicSpecial)}},
              {{kPlainAction, Action(20, 0x10)},
               {kSpellAction, Action(30, 0, 0, 5)},
               {kSpecialAction, Action(45, 0, 0, 9)},
               {kItemAction, Action(60)},
               {kMagicSpecial, Action(25, 0x2, 777, 3)}});
    }
};

TEST_F(MonRoleTest, SetUpReadsTheBlockAndHoldsTheMaximumLifeBattleSide) {
    MonsterSpec m = Slime();
    m.spriteSet = 1200;
    Load(m);
    MonRole& e = SetUpEnemy(0, kSlime);
    EXPECT_STREQ(e.name, "Slime");
    EXPECT_EQ(e.MonLifeMax(), 900u);
    EXPECT_EQ(e.MonLife(), 900u);
    EXPECT_EQ(e.blockChance, 7);
    EXPECT_EQ(e.spriteSet, 1200);
    EXPECT_EQ(e.action.value, 20u);  // the plain attack's action
    EXPECT_EQ(e.side, 0u);

    // Without an id word the slot names the sprite set; a reload falls back
    // to the id.
    Load(Slime());
    MonRole& f = SetUpEnemy(1, kSlime, 1500);
    EXPECT_EQ(f.spriteSet, 1500);
    f.ReloadMonRecord(kSlime);
    EXPECT_EQ(f.spriteSet, kSlime);
}

TEST_F(MonRoleTest, AMissingMonsterLeavesAZeroedRecordAndNothingOfTheSlotsLastEnemy) {
    Load(Slime());
    MonRole& e = SetUpEnemy(0, kSlime);
    e.stealCheck[0] = 1;
    e.attackKind = 2;
    e.performStarted = 1;
    MonRole& again = SetUpEnemy(0, 999, 1300);
    EXPECT_EQ(&again, &e);
    EXPECT_EQ(e.MonLife(), 0u);
    EXPECT_EQ(e.spriteSet, 1300);
    EXPECT_EQ(e.stealCheck[0], 0);
    EXPECT_EQ(e.attackKind, 0);
    EXPECT_EQ(e.performStarted, 0);
}

TEST_F(MonRoleTest, TheEnemyChoiceByteFollowsWhatItCarries) {
    struct Case {
        uint16_t carried, attack;
        uint8_t choice;
    } cases[] = {{2, 1, 0}, {0, 1, 1}, {2, 0, 2}, {0, 0, 2}};
    for (const Case& c : cases) {
        MonsterSpec m = Slime();
        m.slotId[0] = m.slotId[1] = m.slotId[2] = kSpell;
        m.slotCount[1] = c.carried;
        m.slotId[3] = m.slotId[4] = kSpecial;
        m.slotCount[4] = c.attack;
        Load(m);
        EXPECT_EQ(SetUpEnemy(0, kSlime).monChoice, c.choice) << c.carried << " " << c.attack;
    }
}

TEST_F(MonRoleTest, EscapeFollowsTheLevelGapTable) {
    // d = level - enemy level (10): the share of escapes over many tries.
    struct Case {
        uint16_t level;
        uint8_t chance;
        int lo, hi;  // escapes per 1000
    } cases[] = {{25, 4, 740, 860}, {20, 4, 440, 560}, {15, 4, 330, 470}, {15, 10, 1000, 1000},
                 {14, 4, 0, 0},    {5, 4, 0, 0}};
    for (const Case& c : cases) {
        MonsterSpec m = Slime();
        m.escapeChance = c.chance;
        Load(m);
        MonRole& e = SetUpEnemy(0, kSlime);
        int escaped = 0, none = 0;
        for (int i = 0; i < 1000; ++i) {
            const int r = e.MonTryEscape(c.level);
            escaped += r == 1;
            none += r == -1;
            e.state &= ~kStateTriggerFired;
        }
        EXPECT_GE(escaped, c.lo) << c.level;
        EXPECT_LE(escaped, c.hi) << c.level;
        EXPECT_EQ(escaped + none, 1000) << c.level;
    }
}

TEST_F(MonRoleTest, NoEscapeWithoutAChanceOrUnderTheNoRetreatMark) {
    MonsterSpec m = Slime();
    m.escapeChance = 0;
    Load(m);
    EXPECT_EQ(SetUpEnemy(0, kSlime).MonTryEscape(99), -1);
    Load(Slime());
    MonRole& e = SetUpEnemy(0, kSlime);
    e.status |= kStatusNoRetreat;
    EXPECT_EQ(e.MonTryEscape(99), -1);
}

TEST_F(MonRoleTest, AConfusedEnemyThatFailsToFleeSaysSoOnce) {
    Load(Slime());
    MonRole& e = SetUpEnemy(0, kSlime);
    e.effectBits |= kEffectConfuse;
    // Random(12) unused, Random(2) = 1 to try, Random(10) >= 3 to fail.
    for (uint32_t seed = 1; seed < 500; ++seed) {
        const std::vector<int> d = Draws(seed, {12, 2, 10});
        if (d[1] != 1 || d[2] < 3) continue;
        ClearBattleMessages();
        EXPECT_EQ(e.MonTryEscape(1), 0);
        ASSERT_NE(gBattleMsgs, nullptr);
        EXPECT_EQ(gBattleMsgs->next, nullptr);
        EXPECT_EQ(std::strncmp(e.messageText, "Slime", 5), 0);
        return;
    }
    FAIL() << "no seed gave a failed try";
}

TEST_F(MonRoleTest, AFailedRollRaisesTriggerNineteen) {
    MonsterSpec m = Slime();
    m.trigger = 19;
    m.reaction = 1013;
    m.escapeChance = 0;  // never rolls
    Load(m);
    MonRole& e = SetUpEnemy(0, kSlime);
    e.MonTryEscape(99);
    EXPECT_EQ(e.state & kStateTriggerFired, 0u);
    m.escapeChance = 1;
    Load(m);
    MonRole& f = SetUpEnemy(0, kSlime);
    for (int i = 0; i < 200 && !(f.state & kStateTriggerFired); ++i) f.MonTryEscape(15);  // d = 5
    EXPECT_NE(f.state & kStateTriggerFired, 0u);
    EXPECT_EQ(f.GetMonTriggerPhase(), 1);
}

TEST_F(MonRoleTest, RewardsRiseThirtyPercentOnceTheTriggerFired) {
    MonsterSpec m = Slime();
    m.experience = 65535;
    Load(m);
    MonRole& e = SetUpEnemy(0, kSlime);
    uint32_t exp = 0, silver = 0;
    e.GetMonRewards(&exp, &silver);
    EXPECT_EQ(exp, 65535u);
    EXPECT_EQ(silver, 55u);
    e.state |= kStateTriggerFired;
    e.GetMonRewards(&exp, &silver);
    EXPECT_EQ(exp, 65535u + 65535u * 30 / 100);  // worked out wide
    EXPECT_EQ(silver, 55u);
}

TEST_F(MonRoleTest, TheDropChanceIsInTwentieths) {
    struct Case {
        uint16_t drop;
        uint8_t chance;
        int lo, hi;
    } cases[] = {{0, 20, 0, 0}, {7, 0, 0, 0}, {7, 20, 1000, 1000}, {7, 10, 430, 570}};
    for (const Case& c : cases) {
        MonsterSpec m = Slime();
        m.dropObject = c.drop;
        m.dropChance = c.chance;
        Load(m);
        MonRole& e = SetUpEnemy(0, kSlime);
        int got = 0;
        for (int i = 0; i < 1000; ++i) got += e.RollMonDrop() == 7;
        EXPECT_GE(got, c.lo);
        EXPECT_LE(got, c.hi);
    }
}

TEST_F(MonRoleTest, QueriesAnswerFromTheRecord) {
    MonsterSpec m = Slime();
    m.tint = 9;
    m.element[2] = 30;
    m.slotId[1] = kSpell;
    m.slotId[4] = kSpecial;
    Load(m);
    MonRole& e = SetUpEnemy(0, kSlime);
    EXPECT_EQ(e.GetMonClass(), 9);
    EXPECT_EQ(e.GetMonElement(), 3);
    EXPECT_EQ(e.IsCapturable(), 1u);
    EXPECT_EQ(e.IsMonUnique(), 0u);
    EXPECT_EQ(e.GetMonAttackPlusLife(), 940u);
    char name[8];
    uint16_t id = 0;
    EXPECT_EQ(e.GetCarriedObject(0, name, sizeof name, &id), 0u);
    EXPECT_EQ(e.GetCarriedObject(1, name, sizeof name, &id), 1u);  // carried object 2
    EXPECT_EQ(id, kSpell);
    EXPECT_STREQ(name, "Spark");
    // Slots outside the carried objects are refused, not read past.
    EXPECT_EQ(e.GetCarriedObject(3, name, sizeof name, &id), 0u);
    EXPECT_EQ(e.GetCarriedObject(-1, name, sizeof name, &id), 0u);
    EXPECT_EQ(e.GetMonSkillName(1, name, sizeof name), 1u);
    EXPECT_STREQ(name, "Bite");
    EXPECT_EQ(e.GetMonSkillName(2, name, sizeof name), 0u);

    m.typeBits = 0x800 | 0x20;
    Load(m);
    EXPECT_EQ(SetUpEnemy(0, kSlime).IsCapturable(), 0u);
    m.typeBits = 0x800;
    m.monClass = 11;
    Load(m);
    EXPECT_EQ(SetUpEnemy(0, kSlime).IsCapturable(), 0u);
}

TEST_F(MonRoleTest, ANameCopiedIntoSixteenBytesIsNeverCutInsideACharacter) {
    // Eight double-byte characters (16 bytes): seven fit before the zero.
    const std::string big5 = "\xA4\x40\xA4\x40\xA4\x40\xA4\x40\xA4\x40\xA4\x40\xA4\x40\xA4\x40";
    Table({{kSlime, MonsterRecordBytes("Slime", Slime())}, {kSpell, Object(big5, kSpellAction)}},
          {{kSpellAction, Action(30)}});
    MonRole& e = SetUpEnemy(0, kSlime);
    uint16_t out = 0;
    e.PrepareMonMagic(kSpell, &out);
    EXPECT_EQ(std::strlen(e.actionName), 14u);
    EXPECT_EQ(e.GetSubCommand(), 2);
    EXPECT_NE(e.actionFlags & 0x80, 0);
}

TEST_F(MonRoleTest, SpecialsArePickedByTheSwitchAndBecomeThePendingItem) {
    MonsterSpec m = Slime();
    m.slotId[5] = kItem;
    m.slotCount[5] = 2;
    m.specialSwitch = 1;
    Load(m);
    MonRole& e = SetUpEnemy(0, kSlime);
    EXPECT_EQ(e.HasMonSpecial(), 1u);
    // Random(10) below 5 picks the first special; the second is empty.
    int picked = 0, refused = 0;
    for (int i = 0; i < 200; ++i) {
        e.choiceMode[kModePendingItem] = 0;
        if (e.ChooseMonSpecial() == 1) {
            ++picked;
            EXPECT_EQ(e.choiceMode[kModePendingItem], 1);
        } else {
            ++refused;
        }
    }
    EXPECT_GT(picked, 60);
    EXPECT_GT(refused, 60);
    e.status |= kStatusSlowed;
    EXPECT_EQ(e.ChooseMonSpecial(), 0u);
    e.state |= kStateTriggerFired;
    EXPECT_EQ(e.HasMonSpecial(), 0u);

    m.specialSwitch = 0;
    Load(m);
    EXPECT_EQ(SetUpEnemy(0, kSlime).ChooseMonSpecial(), 0u);
}

TEST_F(MonRoleTest, LowLifeCountsTheExtraPoolAndEndsOnceTheTriggerFired) {
    Load(Slime());
    MonRole& e = SetUpEnemy(0, kSlime);
    EXPECT_EQ(e.IsMonLifeLow(), 0u);
    e.SetMonLife(299);
    EXPECT_EQ(e.IsMonLifeLow(), 1u);
    e.extraLife = 500;
    EXPECT_EQ(e.IsMonLifeLow(), 0u);
    e.extraLife = 0;
    e.state |= kStateTriggerFired;
    EXPECT_EQ(e.IsMonLifeLow(), 0u);
}

TEST_F(MonRoleTest, PreparedAttacksAndMagicSetTheirCommands) {
    MonsterSpec m = Slime();
    m.slotId[3] = kSpecial;
    m.slotId[4] = 405;
    Load(m);
    MonRole& e = SetUpEnemy(0, kSlime);
    uint16_t out = 0;
    EXPECT_EQ(e.PrepareMonAttack(1, &out), 1u);
    EXPECT_EQ(e.attackKind, 1);
    EXPECT_EQ(e.GetCommand(), 1);
    EXPECT_EQ(e.skillAmount, 9);
    e.EndRoleTurn();
    EXPECT_EQ(e.PrepareMonAttack(2, &out), 0u);  // a magic kind: cast
    EXPECT_EQ(out, 777);
    EXPECT_EQ(e.GetSubCommand(), 2);
    e.EndRoleTurn();
    e.attackKind = 0;
    EXPECT_EQ(e.PrepareMonDefault(), 0);
    EXPECT_EQ(e.GetCommand(), 1);
    EXPECT_EQ(e.skillAmount, 40);
}

TEST_F(MonRoleTest, TheScriptSettersChangeOnlyWhatTheyAreGiven) {
    MonsterSpec m = Slime();
    m.slotId[0] = 11;
    m.slotCount[0] = 3;
    m.slotId[3] = 21;
    m.slotCount[4] = 5;
    Load(m);
    MonRole& e = SetUpEnemy(0, kSlime);
    e.SetMonCarried(0, 4, 12, 0, 13, 1);
    EXPECT_EQ(MonSlotId(e.monRecord, 0), 11);
    EXPECT_EQ(MonSlotCount(e.monRecord, 0), 4);
    EXPECT_EQ(MonSlotId(e.monRecord, 1), 12);
    EXPECT_EQ(MonSlotCount(e.monRecord, 2), 1);
    e.SetMonAttackItems(0, 0, 22, 7);
    EXPECT_EQ(MonSlotId(e.monRecord, 3), 21);
    EXPECT_EQ(MonSlotId(e.monRecord, 4), 22);
    EXPECT_EQ(MonSlotCount(e.monRecord, 4), 7);  // the fourth value: attack object 2's count
    const uint16_t elements[5] = {0x1F05, 0, 0xFFF6, 0, 100};
    e.SetMonElements(elements);
    EXPECT_EQ(MonElementOf(e.monRecord, 0), 5);
    EXPECT_EQ(MonElementOf(e.monRecord, 2), -10);
    EXPECT_EQ(MonElementOf(e.monRecord, 4), 100);
    // The price bytes are never written.
    EXPECT_EQ(ObjPrice(e.monRecord), 0);
}

TEST_F(MonRoleTest, EmptyHandedFollowsTheStealChecks) {
    MonsterSpec m = Slime();
    m.slotCount[3] = 1;
    Load(m);
    MonRole& e = SetUpEnemy(0, kSlime);
    EXPECT_EQ(e.IsMonEmptyHanded(), 0u);
    e.stealCheck[0] = 1;
    EXPECT_EQ(e.IsMonEmptyHanded(), 1u);
    e.stealCheck[0] = 0;
    e.stealCheck[1] = 1;
    EXPECT_EQ(e.IsMonEmptyHanded(), 0u);
}

TEST_F(MonRoleTest, ClearMonTurnAndActionValues) {
    Load(Slime());
    MonRole& e = SetUpEnemy(0, kSlime);
    e.action.value = 100000;
    e.action.duration = 4;
    uint16_t v = 0;
    uint8_t d = 0;
    e.GetActionValues(&v, &d);
    EXPECT_EQ(v, 65535);  // saturated
    EXPECT_EQ(d, 4);
    e.action.word24 = 30;
    e.specialAct = 5;
    e.acted = e.commandChosen = 1;
    std::strcpy(e.actionName, "x");
    e.ClearMonTurn();
    EXPECT_EQ(e.action.word24, 0);
    EXPECT_EQ(e.specialAct, 0u);
    EXPECT_EQ(e.acted + e.commandChosen, 0u);
    EXPECT_EQ(e.actionName[0], 0);
}

}  // namespace
