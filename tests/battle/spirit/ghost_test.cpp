// The talisman spirit in battle: its set-up from the spirit record, its
// decisions by order with a seeded Random, its events and actions, and the
// party side's small tests and actions.
#include <cstring>

#include "battle/battle_state.h"
#include "battle/manrole/man_battle.h"
#include "tests/battle/enemy/enemy_fixture.h"
#include "world/party/item_list.h"
#include "world/spirit/spirit.h"

namespace {

constexpr uint16_t kBolt = 601, kSalve = 602, kWard = 603, kPotion = 604, kGuard = 605;
constexpr uint16_t kBoltAction = 31, kSalveAction = 32, kWardAction = 33;

class GhostTest : public EnemyTest {
protected:
    void SetUp() override {
        EnemyTest::SetUp();
        FreeItemLists();
        ResetManBattle();
        Table({{kBolt, ObjectRecordBytes("Bolt", 0x8, {{13, kBoltAction}, {14, 0x8000 | 20}, {17, 555}})},
               {kSalve, ObjectRecordBytes("Salve", 0x1000, {{13, kSalveAction}, {14, 0x8000 | 10}, {8, 30}})},
               {kWard, ObjectRecordBytes("Ward", 0x4, {{13, kWardAction}, {14, 0x8000 | 90}})},
               {kPotion, ObjectRecordBytes("Potion", 0, {}, ObjFixedFields{{}, 0, 0, 0, 12})},
               {kGuard, MonsterRecordBytes("Guard", [] {
                    MonsterSpec m;
                    m.level = 20;
                    return m;
                }())}},
              {{kBoltAction, Action(40, 0, 0, 7)},
               {kSalveAction, Action(50)},
               {kWardAction, Action(0, 0, 0, 0, 0x20000000)},
               {171, Action(30, 0x10)},
               {173, Action(33)}});
    }
    void TearDown() override {
        FreeItemLists();
        EnemyTest::TearDown();
    }

    // The spirit in party slot 4 from a record with the given fields.
    ManRole& Spirit(int32_t affinity = 60, int32_t kind = 12, uint16_t order = 1) {
        SpiritRecord& s = gSpirit;
        std::memset(&s, 0, sizeof s);
        std::strcpy(s.name, "Wisp");
        s.Field(4) = affinity;
        s.Field(kSpiritStageField) = kind;
        s.Field(kSpiritElementField) = 2;
        s.Field(60) = 200;
        s.Field(61) = 100;
        s.Field(63) = 50;
        s.Field(64) = 40;
        s.Field(70) = kBolt;
        s.Field(71) = kWard;
        s.Field(72) = 0;
        s.Field(73) = kSalve;
        ManRole& r = gManRoles[4];
        r.ResetRoleForBattle();
        r.spiritOrder = order;
        BattleSlot slotRecord{};
        slotRecord.spriteSet = 92;
        slotRecord.side = 1;
        r.SetupGhostRole(&slotRecord, &s);
        if (gBattleManCount < 5) gBattleManCount = 5;
        return r;
    }
};

TEST_F(GhostTest, SetUpTakesTheRecordShapedByItsForm) {
    struct Case {
        int32_t kind;
        uint16_t attack, wisdom, agility;
    } cases[] = {{0, 70, 50, 20}, {6, 70, 50, 20}, {7, 50, 65, 28}, {10, 50, 65, 28}, {11, 130, 50, 52},
                 {24, 130, 50, 52}, {25, 100, 50, 40}, {-1, 100, 50, 40}};
    for (const Case& c : cases) {
        ManRole& r = Spirit(60, c.kind);
        EXPECT_EQ(r.stats->bonus[0], c.attack) << c.kind;
        EXPECT_EQ(r.stats->stat[2], c.wisdom) << c.kind;
        EXPECT_EQ(r.stats->stat[3], c.agility) << c.kind;
    }
    ManRole& r = Spirit(150);
    EXPECT_EQ(r.spirit, 1u);
    EXPECT_EQ(r.side, 1u);
    EXPECT_EQ(r.member, 0u);
    EXPECT_EQ(r.spriteSet, 92);
    EXPECT_EQ(r.battleAffinity, 100u);  // clamped
    EXPECT_EQ(r.baseStats, r.stats);
    EXPECT_EQ(r.stats->gauge[1], 200);
    EXPECT_EQ(r.stats->gaugeMax[1], 200);
    EXPECT_EQ(r.weapon.w[kObjActionId], 173);  // water
    EXPECT_EQ(gSpirit.Field(4), 150);          // the record is not changed
}

TEST_F(GhostTest, NothingOfTheSlotsPreviousUserCarriesOver) {
    ManRole& r = gManRoles[4];
    r.statusDword = 0xFF;
    r.weapon.w[kObjAltWord] = 9;
    r.treasureId[0] = 77;
    r.selectedItemId = 5;
    r.skillValue = 40;
    Spirit();
    EXPECT_EQ(r.statusDword, 0u);
    EXPECT_EQ(r.weapon.w[kObjAltWord], 0);
    EXPECT_EQ(r.treasureId[0], 0);
    EXPECT_EQ(r.selectedItemId, 0);
    EXPECT_EQ(r.skillValue, 0);
}

TEST_F(GhostTest, OrdersAtSetUpAndBySetGhostOrder) {
    EXPECT_EQ(Spirit(60, 12, 8).spiritOrder, 1);
    EXPECT_EQ(Spirit(60, 12, 0).spiritOrder, 1);
    ManRole& r = Spirit(60, 12, 4);
    EXPECT_NE(r.spiritEvents & 0x2, 0);
    r.SetGhostOrder(5);
    EXPECT_EQ(r.spiritEvents & 0x2, 0);
    EXPECT_EQ(r.IsGhostOrder5(), 1u);
    r.SetGhostOrder(9);
    EXPECT_EQ(r.GetGhostOrder(), 5);
}

TEST_F(GhostTest, OrderTwoRestsAndRegainsSpirit) {
    ManRole& r = Spirit(60, 12, 2);
    r.baseStats->gauge[1] = 10;
    const int roll = Draws(77, {10})[0];
    r.DecideGhostAction();
    EXPECT_NE(r.spiritEvents & 0x80, 0);
    EXPECT_EQ(r.spiritSelfAction, 0u);
    EXPECT_EQ(r.baseStats->gauge[1], 10 + (roll + 5) * 200 / 100);
    EXPECT_EQ(r.shown[0].Amount(), (roll + 5) * 200 / 100);
}

TEST_F(GhostTest, OrderThreePreparesItsOwnActionOnAnEnemy) {
    // Objects 0 (type 0x8) and 1 (type 0x4): only the first qualifies for
    // kind 3, so no draw picks between them.
    ManRole& r = Spirit(90, 12, 3);
    r.DecideGhostAction();
    EXPECT_EQ(r.spiritSelfAction, 1u);
    EXPECT_EQ(r.spiritChoice, 0);
    EXPECT_NE(r.spiritEvents & 0x8, 0);
    EXPECT_EQ(r.pendingCost[0], 20);
    EXPECT_EQ(r.action.value, 40u);
    EXPECT_EQ(r.TakeGhostEvent8(), 1u);  // order 3 at affinity 90
}

TEST_F(GhostTest, EventEightNeedsOrderOneOrThreeAndAffinity81) {
    struct Case {
        uint16_t order;
        int32_t affinity;
        uint32_t taken;
    } cases[] = {{3, 81, 1}, {3, 80, 0}, {1, 100, 1}, {5, 100, 0}};
    for (const Case& c : cases) {
        ManRole& r = Spirit(c.affinity, 12, c.order);
        r.spiritEvents |= 0x8;
        EXPECT_EQ(r.TakeGhostEvent8(), c.taken) << c.order << " " << c.affinity;
        EXPECT_EQ(r.spiritEvents & 0x8, 0);
        EXPECT_EQ(r.TakeGhostEvent8(), 0u);
    }
}

TEST_F(GhostTest, EventFourNeedsAffinity51) {
    for (int32_t a : {50, 51}) {
        ManRole& r = Spirit(a);
        r.spiritEvents |= 0x4 | 0x10 | 0x20;
        EXPECT_EQ(r.TakeGhostEvent4(), a == 51 ? 1u : 0u);
        EXPECT_EQ(r.TakeGhostEvent16(), 0u);
        EXPECT_EQ(r.TakeGhostEvent32(), 1u);
        EXPECT_EQ(r.spiritEvents, 0);
    }
}

TEST_F(GhostTest, ObedienceRollsAgainstTheAffinity) {
    for (uint32_t seed : {3u, 19u, 404u}) {
        const int r100 = Draws(seed, {100})[0] + 1;
        for (int32_t a : {0, 50, 100}) {
            ManRole& r = Spirit(a, 12, 4);
            InitRandom(seed);
            const uint32_t obeyed = r.RollGhostObedience();
            EXPECT_EQ(obeyed, r100 <= a ? 1u : 0u) << seed << " " << a;
            EXPECT_EQ((r.spiritEvents & 0x1) != 0, obeyed == 0);
            EXPECT_NE(r.spiritEvents & 0x2, 0);  // pending until a new order
        }
    }
    ManRole& r = Spirit(100, 12, 1);
    EXPECT_EQ(r.RollGhostObedience(), 0u);  // no test pending
}

TEST_F(GhostTest, OrderOneUsesARandomObjectHalfTheTime) {
    for (uint32_t seed = 1; seed < 40; ++seed) {
        ManRole& r = Spirit(60, 12, 1);
        const std::vector<int> d = Draws(seed, {100, 3});
        r.DecideGhostAction();
        const bool half = d[0] >= 50;
        if (!half) {
            EXPECT_EQ(r.spiritSelfAction, 0u) << seed;
            continue;
        }
        EXPECT_EQ(r.spiritChoice, d[1]) << seed;
        // Object 2 is empty: no self-action.
        EXPECT_EQ(r.spiritSelfAction, d[1] == 2 ? 0u : 1u) << seed;
    }
}

TEST_F(GhostTest, TakeGhostActionTurnsTheChoiceIntoACommand) {
    ManRole& r = Spirit(90, 12, 3);
    r.DecideGhostAction();
    uint16_t act = 0;
    uint32_t flag = 9;
    EXPECT_EQ(r.TakeGhostAction(&act, &flag), 1u);
    EXPECT_EQ(act, 555);
    EXPECT_EQ(flag, 0u);
    EXPECT_STREQ(r.actionName, "Bolt");
    EXPECT_EQ(r.skillAmount, 7);
    EXPECT_EQ(r.GetSubCommand(), 2);
    EXPECT_NE(r.actionFlags & 0x80, 0);

    // Too little spirit: the plain attack by its element.
    ManRole& s = Spirit(90, 12, 3);
    s.DecideGhostAction();
    s.baseStats->gauge[1] = 5;
    EXPECT_EQ(s.TakeGhostAction(&act, &flag), 0u);
    EXPECT_EQ(s.GetCommand(), 1);
    EXPECT_EQ(s.action.value, 33u);
    EXPECT_EQ(s.skillAmount, 130);
}

TEST_F(GhostTest, TheHealingObjectIsTheOneUsed) {
    ManRole& r = Spirit(90);
    r.spiritSelfAction = 1;
    EXPECT_EQ(r.PrepareGhostAction(1), 1u);
    EXPECT_NE(r.spiritEvents & 0x4, 0);
    uint16_t act = 0;
    uint32_t flag = 0;
    EXPECT_EQ(r.TakeGhostAction(&act, &flag), 1u);
    EXPECT_STREQ(r.actionName, "Salve");
    EXPECT_EQ(flag, 1u);
    EXPECT_EQ(r.regenAmount[0], 30);
    EXPECT_EQ(r.PrepareGhostAction(4), 0u);
    EXPECT_EQ(r.pendingCost[0], 0);
}

TEST_F(GhostTest, SpendSpiritForHeal) {
    struct Case {
        int16_t spirit;
        int32_t have, max, percent;
        uint32_t result;
        int16_t amount, spiritAfter;
    } cases[] = {
        {39, 0, 100, 100, 0, 0, 39},   {40, 0, 100, 100, 1, 40, 0},     {200, 0, 100, 100, 1, 100, 100},
        {200, 70, 100, 70, 0, 0, 200}, {200, 90, 100, 70, 0, 0, 200},   {200, 10, 100, 70, 1, 60, 140},
        {200, 0, -50, 70, 0, 0, 200},  {200, 0, 100, -5, 0, 0, 200},
    };
    for (const Case& c : cases) {
        ManRole& r = Spirit();
        r.baseStats->gauge[1] = c.spirit;
        EXPECT_EQ(r.SpendSpiritForHeal(c.have, c.max, c.percent), c.result) << c.spirit << " " << c.have;
        EXPECT_EQ(r.regenAmount[0], c.amount) << c.spirit << " " << c.have;
        EXPECT_EQ(r.baseStats->gauge[1], c.spiritAfter) << c.spirit << " " << c.have;
        EXPECT_EQ((r.spiritEvents & 0x40) != 0, c.result == 1);
    }
}

TEST_F(GhostTest, TheSpentTurnIsTakenOnce) {
    ManRole& r = Spirit();
    r.SpendSpiritForHeal(0, 100, 70);
    uint16_t act = 0;
    uint32_t flag = 0;
    EXPECT_EQ(r.TakeGhostAction(&act, &flag), 0u);
    EXPECT_EQ(r.spiritEvents & 0x40, 0);
}

// ---- The party side's small tests and actions ----

TEST_F(GhostTest, LifeAndGaugeTests) {
    struct Case {
        int16_t life, spirit, stamina;
        uint32_t below0, below1, part4, spiritLow, staminaLow;
    } cases[] = {{500, 100, 100, 0, 0, 0, 0, 0}, {499, 24, 25, 1, 0, 0, 1, 0}, {332, 25, 24, 1, 1, 0, 0, 1},
                 {250, 0, 0, 1, 1, 1, 1, 1}};
    for (const Case& c : cases) {
        ManRole& m = Member(0, 0, 1000, 100, 100);
        m.baseStats->gauge[0] = c.life;
        m.baseStats->gauge[1] = c.spirit;
        m.baseStats->gauge[2] = c.stamina;
        EXPECT_EQ(m.IsLifeBelow(0), c.below0) << c.life;
        EXPECT_EQ(m.IsLifeBelow(1), c.below1) << c.life;
        EXPECT_EQ(m.IsLifeBelow(2), 0u);
        EXPECT_EQ(m.IsLifeAtMostPart(4), c.part4) << c.life;
        EXPECT_EQ(m.IsLifeAtMostPart(0), 0u);  // no division by zero
        EXPECT_EQ(m.IsSpiritLow(), c.spiritLow) << c.spirit;
        EXPECT_EQ(m.IsStaminaLow(), c.staminaLow) << c.stamina;
    }
}

TEST_F(GhostTest, GuardLevelTable) {
    struct Case {
        uint8_t member;
        uint16_t skill;
        uint32_t ok;
    } cases[] = {{21, 20, 0}, {25, 20, 1}, {15, 20, 1}, {14, 20, 0}, {20, 20, 0}, {20, 100, 0},
                 {30, 30, 1}, {31, 30, 0}, {10, 30, 1}, {40, 50, 1}, {41, 50, 0}, {55, 70, 1},
                 {70, 90, 1}, {71, 90, 0}, {19, 101, 0}};
    for (const Case& c : cases) {
        ManRole& m = Member(0, 0);
        m.stats->level = c.member;
        EXPECT_EQ(m.CheckGuardLevel(kGuard, c.skill), c.ok) << int(c.member) << " " << c.skill;
    }
    ManRole& m = Member(0, 0);
    EXPECT_EQ(m.CheckGuardLevel(999, 50), 0u);  // no such guard
}

TEST_F(GhostTest, TheElementChangeIsTheBattlesOnly) {
    ManRole& m = Member(0, 0);
    m.stats->ownElement = 80;
    m.stats->firstElement = 1;
    m.stats->elementIndex = 1;
    m.stats->element[1] = 80;
    const MemberStats before = gMemberStats[0];
    m.SetRoleElement(4);  // fire, not the first element: skill value 0 gives 0
    EXPECT_EQ(m.stats->elementIndex, 3);
    EXPECT_EQ(m.stats->element[1], 0);
    EXPECT_EQ(std::memcmp(&before, &gMemberStats[0], sizeof before), 0);
    m.SetRoleElement(2);
    EXPECT_EQ(m.stats->element[1], 80);
    EXPECT_EQ(m.stats->element[3], 0);
    m.SetRoleElement(0);
    m.SetRoleElement(6);
    EXPECT_EQ(m.stats->elementIndex, 1);
}

TEST_F(GhostTest, TheRevertNeverPassesTheMaximum) {
    ManRole& m = Member(0, 0, 1000);
    m.baseStats->gauge[0] = 0;
    m.baseStats->status |= kStatusDown;
    m.out = 1;
    gDownedMen = 1;
    EXPECT_EQ(m.StartRevertAct(), 0u);  // without special 58
    m.statusDword |= 0x80;
    ASSERT_EQ(m.StartRevertAct(), 1u);
    // No act 6079 in the install: the revert revives at once, with one trace.
    const size_t traces = Traces();
    EXPECT_EQ(m.RunRevertAct(), 1u);
    EXPECT_EQ(Traces(), traces + 1);
    EXPECT_EQ(m.out, 0u);
    EXPECT_EQ(gDownedMen, 0);
    EXPECT_EQ(m.baseStats->status & kStatusDown, 0);
    EXPECT_EQ(m.baseStats->gauge[0], 400);  // 40 % with skill value 0
    EXPECT_EQ(gRevertRunning, 0u);
    EXPECT_EQ(m.RunRevertAct(), 0u);
}

TEST_F(GhostTest, StealTakesOnlyUnreservedUnitsAndEndsOnEmptyBags) {
    ManRole& m = Member(0, 0);
    m.SetManItemList(&gInventory);
    EXPECT_EQ(m.StealPartyItem(), 0);  // an empty bag
    ItemRecord* bolt = NewItemNode(kBolt);  // kind 0: not stealable
    bolt->count = 5;
    AppendItemNode(&gInventory, bolt);
    EXPECT_EQ(m.StealPartyItem(), 0);
    ItemRecord* potion = NewItemNode(kPotion);  // kind 12
    ASSERT_NE(potion, nullptr);
    potion->count = 1;
    AppendItemNode(&gInventory, potion);
    ReserveItemUse(kPotion);  // another member chose it
    EXPECT_EQ(m.StealPartyItem(), 0);
    ASSERT_EQ(FindBagItem(kPotion), potion);
    ReleaseItemUse(kPotion);
    potion->newCount = 1;
    EXPECT_EQ(m.StealPartyItem(), kPotion);
    EXPECT_EQ(potion->count, 0);
    EXPECT_EQ(m.StealPartyItem(), kPotion);
    EXPECT_EQ(FindBagItem(kPotion), nullptr);  // the last unit: unlinked and freed
    EXPECT_EQ(m.StealPartyItem(), 0);
    EXPECT_EQ(FindBagItem(kBolt), bolt);
}

TEST_F(GhostTest, LevelGapChance) {
    struct Case {
        uint16_t level;
        int lo, hi;  // per 1000
    } cases[] = {{30, 800, 900}, {20, 440, 560}, {5, 0, 0}, {13, 0, 0}, {14, 70, 130}, {19, 60, 140}, {24, 440, 560},
                 {2, 0, 0}};
    for (const Case& c : cases) {
        ManRole& m = Member(0, 0);
        m.stats->level = 5;
        int yes = 0;
        for (int i = 0; i < 1000; ++i) yes += m.RollLevelGapChance(c.level);
        EXPECT_GE(yes, c.lo) << c.level;
        EXPECT_LE(yes, c.hi) << c.level;
    }
}

}  // namespace
