// The result pages: the booking of the rewards, the spoils, level-ups from
// the level table (page by page), new techniques and treasure growth.
#include <gtest/gtest.h>

#include <vector>

#include "battle/battle_services.h"
#include "battle/hud/hud_state.h"
#include "battle/results/battle_results.h"
#include "battle/turn/turn_state.h"
#include "media/music.h"
#include "tests/battle/enemy/enemy_fixture.h"
#include "tests/support/sound_recorder.h"
#include "tools/obj_db_writer.h"
#include "world/org/count_list.h"
#include "world/party/item_list.h"
#include "world/talk_state.h"

namespace {

constexpr uint16_t kHerb = 200, kRoot = 201;
constexpr uint16_t kFireMagic = 40;
constexpr uint16_t kFirstTechnique = 50, kSecondTechnique = 51;
constexpr uint16_t kTreasure = 300, kGrownTreasure = 301;

class ResultsTest : public EnemyTest {
protected:
    void SetUp() override {
        EnemyTest::SetUp();
        FreeItemLists();
        ObjFixedFields technique;
        technique.kind = 20;
        Table({{kHerb, ObjectRecordBytes("Herb", 0, {})},
               {kRoot, ObjectRecordBytes("Root", 0, {})},
               {kFireMagic, ObjectRecordBytes("Fire", 0, {})},
               // A technique: its follow-up (w16) and the points that follow-up needs (w15).
               {kFirstTechnique, ObjectRecordBytes("Slash", 0, {{16, kSecondTechnique}, {15, 2}}, technique)},
               // The last technique names itself as its follow-up and needs no points.
               {kSecondTechnique, ObjectRecordBytes("Cleave", 0, {{16, kSecondTechnique}, {15, 0}}, technique)},
               {kTreasure, Treasure("Pearl", kGrownTreasure)},
               {kGrownTreasure, ObjectRecordBytes("Moon Pearl", 0, {})}});
        // Member 1's levels 1..4: the experience for the next level, life and strength.
        gObjFiles.level = BuildLevelDat({{{1, 1}, Level(100, 100, 10)},
                                         {{1, 2}, Level(250, 140, 12)},
                                         {{1, 3}, Level(500, 200, 15, {kFireMagic})},
                                         {{1, 4}, Level(1000, 260, 19)}});
        gObjFiles.levelOpen = true;
    }
    void TearDown() override {
        FreeItemLists();
        EnemyTest::TearDown();
    }

    static std::vector<uint8_t> Level(uint32_t next, int16_t life, uint16_t strength,
                                      std::vector<uint16_t> magic = {}) {
        LevelSpec s{};
        s.gaugeMax[0] = life;
        s.gaugeMax[1] = 50;
        s.gaugeMax[2] = 50;
        s.stat[0] = strength;
        s.nextExperience = next;
        s.magic = std::move(magic);
        return LevelRecordBytes(s);
    }
    // A treasure growing to 10 points; word 150 names the treasure it turns into.
    static std::vector<uint8_t> Treasure(const std::string& name, uint16_t successor) {
        TagStream s;
        s.Tag(1000).Text(name);
        s.Word(ObjWordTag(16), 10);
        s.Tag(24).U16(0).U16(successor);
        return s.End();
    }

    // Slot 0 as member 0 at level `level` with `experience`.
    ManRole& Hero(int level = 1, uint32_t experience = 0) {
        ManRole& r = Member(0, 0);
        r.name = "Hero";
        r.baseStats->level = uint8_t(level);
        r.baseStats->experience = experience;
        return r;
    }
    // A beaten enemy that drops `item` for sure.
    MonRole& Beaten(int index, uint16_t item) {
        MonRole& e = Enemy(index);
        SetObjWordAt(e.objRecord, mon::kDropObject, item);
        SetObjByteAt(e.objRecord, mon::kDropChance, 20);
        e.SetMonLife(0);
        e.defeated = 1;
        e.out = 1;
        return e;
    }
    static void Book() {
        fMenu = 100;
        BattleResults();
    }
    static int BagCount(uint16_t id) {
        const ItemRecord* n = FindItem(gInventory, id);
        return n != nullptr ? n->count + n->newCount : 0;
    }
    // Runs frames with no key until the battle is left; the states seen, in order.
    static std::vector<int> Pages(int limit = 5000) {
        std::vector<int> seen;
        for (int frame = 0; frame < limit && gLeaveBattle == 0; ++frame) {
            if (seen.empty() || seen.back() != fMenu) seen.push_back(fMenu);
            BattleResults();
        }
        return seen;
    }
};

// ---- Booking -------------------------------------------------------------------------

struct BookingCase {
    const char* what;
    uint32_t exp, silver, treasure;
    uint16_t bonus, factor;
    uint32_t wantExp, wantSilver;
};

TEST_F(ResultsTest, RewardsAreBookedInFullWithTheirBonusAndFactor) {
    const BookingCase cases[] = {
        {"plain", 120, 30, 3, 0, 0, 120, 30},
        {"bonus 50 %", 120, 30, 3, 50, 0, 180, 30},
        {"silver past 15 bits", 70000, 40000, 3, 0, 0, 70000, 40000},
        {"silver factor", 10, 30000, 3, 0, 3, 10, 90000},
        {"both", 1000, 200, 20, 10, 2, 1100, 400},
    };
    for (const BookingCase& c : cases) {
        SCOPED_TRACE(c.what);
        ResetBattleResults();
        gLeaveBattle = 0;
        ManRole& r = Hero(1, 5);
        gTalkVar[0] = 7;
        gRewardExp = c.exp;
        gRewardSilver = c.silver;
        gRewardTreasure = c.treasure;
        gExpBonus = c.bonus;
        gSilverFactor = c.factor;
        Book();
        Book();  // booked once
        EXPECT_EQ(r.baseStats->experience, 5 + c.wantExp);
        EXPECT_EQ(gTalkVar[0], 7 + c.wantSilver);
        EXPECT_EQ(gExpBonus, 0);
        EXPECT_EQ(gSilverFactor, 0);
    }
}

// The roulette's treasure experience joins the treasure sum once, when the
// rewards are booked, and is then spent.
TEST_F(ResultsTest, TheRoulettesTreasureExperienceJoinsTheTreasureSumOnce) {
    struct Case {
        uint32_t treasure;
        uint16_t bonus;
        uint32_t want;
    };
    for (const Case c : {Case{3, 0, 3}, Case{3, 20, 23}, Case{0, 30, 30}, Case{UINT32_MAX - 5, 20, UINT32_MAX}}) {
        SCOPED_TRACE(c.bonus);
        ResetBattleResults();
        gLeaveBattle = 0;
        Hero(1, 5);
        gRewardExp = 10;
        gRewardTreasure = c.treasure;
        gHud.treasureBonus = c.bonus;
        Book();
        Book();
        EXPECT_EQ(gRewardTreasure, c.want);
        EXPECT_EQ(gHud.treasureBonus, 0);
    }
}

TEST_F(ResultsTest, MembersAtTheCapStoneOrOutGainNoExperience) {
    ManRole& capped = Hero(60, 10);
    gMemberStats[1].stat[5] = 10;  // its ailments always hold
    ManRole& stone = Member(1, 1);
    ActionRecord stoning{};
    stoning.ailment = kEffectStone;
    stoning.duration = 5;
    stoning.value = 100;
    ASSERT_EQ(stone.ApplyAilment(&stoning), 1u);
    ManRole& down = Member(2, 2);
    down.out = 1;
    ManRole& fine = Member(3, 3);
    // The stone member wears a treasure: it still grows.
    stone.treasureId[0] = kTreasure;
    ASSERT_EQ(ReadObjRecord(&stone.treasure[0], kTreasure), 1);
    gRewardExp = 50;
    gRewardTreasure = 3;
    Book();
    EXPECT_EQ(capped.baseStats->experience, 10u);
    EXPECT_EQ(stone.baseStats->experience, 0u);
    EXPECT_EQ(GetCount(&gFameList3, kTreasure), 3);
    EXPECT_EQ(down.baseStats->experience, 0u);
    EXPECT_EQ(fine.baseStats->experience, 50u);
}

TEST_F(ResultsTest, TechniquePointsRiseByOneOrByTwoAgainstThreeEnemies) {
    for (int enemies : {1, 3}) {
        SCOPED_TRACE(enemies);
        ResetBattleResults();
        ManRole& r = Hero();
        gMemberBattle[0] = MemberBattleRecord{0, 4, 9, kSecondTechnique};
        gBattleMonCount = uint32_t(enemies);
        Book();
        EXPECT_EQ(gMemberBattle[0].techniquePoints, enemies >= 3 ? 6u : 5u);
        (void)r;
    }
    // No next technique: nothing to count towards.
    ResetBattleResults();
    gMemberBattle[0] = MemberBattleRecord{0, 4, 9, kNoTechnique};
    Book();
    EXPECT_EQ(gMemberBattle[0].techniquePoints, 4u);
}

// ---- Spoils -----------------------------------------------------------------------------

TEST_F(ResultsTest, OnlyBeatenEnemiesDropAndEqualDropsShareALine) {
    Hero();
    Beaten(0, kHerb);
    Beaten(1, kHerb);
    Beaten(2, kRoot);
    MonRole& captured = Beaten(3, kRoot);
    captured.SetMonLife(40);  // taken alive
    MonRole& fled = Beaten(4, kRoot);
    fled.defeated = 0;        // left the field with its life
    fled.SetMonLife(25);
    MonRole& shown = Beaten(5, kHerb);
    shown.defeated = 0;       // its defeat was shown: out, the mark cleared
    Book();
    ASSERT_EQ(gSpoilCount, 2u);
    EXPECT_EQ(gSpoilIds[0], kHerb);
    EXPECT_EQ(gSpoilCounts[0], 3);
    EXPECT_EQ(gSpoilIds[1], kRoot);
    EXPECT_EQ(gSpoilCounts[1], 1);
    EXPECT_EQ(BagCount(kHerb), 3);
    EXPECT_EQ(BagCount(kRoot), 1);
    EXPECT_STREQ(gResults.spoilNames[0], "Herb");
    // Past the treasures, the spoils page, then the battle is left.
    fMenu = 113;
    gResultPick = kNoPick;
    EXPECT_EQ(Pages(), (std::vector<int>{113, 102}));
    EXPECT_EQ(gLeaveBattle, 1u);
}

TEST_F(ResultsTest, SpoilsPastTenKindsGoToTheBagWithoutALine) {
    std::map<uint32_t, std::vector<uint8_t>> objects;
    for (uint16_t id = 400; id < 412; ++id) objects[id] = ObjectRecordBytes("Thing", 0, {});
    Table(objects);
    Hero();
    for (int i = 0; i < 12; ++i) Beaten(i, uint16_t(400 + i));
    Book();
    EXPECT_EQ(gSpoilCount, uint32_t(kMaxSpoils));
    EXPECT_EQ(BagCount(410), 1);
    EXPECT_EQ(BagCount(411), 1);
}

TEST_F(ResultsTest, NoSpoilsWhenTheyAreSwitchedOff) {
    Hero();
    Beaten(0, kHerb);
    gResults.spoilsOff = 1;
    Book();
    EXPECT_EQ(gSpoilCount, 0u);
    EXPECT_EQ(BagCount(kHerb), 0);
}

// ---- Level-ups ----------------------------------------------------------------------------

TEST_F(ResultsTest, TwoLevelsInOneBattleShowTwoLevelPagesEachWithItsStatPage) {
    ManRole& r = Hero(1, 0);
    Beaten(0, 0);
    gRewardExp = 300;
    fMenu = 99;
    const std::vector<int> pages = Pages();
    // Level 2, its stats; level 3, its stats and the magic it teaches; no
    // technique, no treasure, no spoils: the battle is left.
    EXPECT_EQ(pages, (std::vector<int>{99, 100, 101, 110, 101, 110, 111, 101, 112, 113, 102}));
    EXPECT_EQ(gLeaveBattle, 1u);
    const MemberStats& s = *r.baseStats;
    EXPECT_EQ(s.level, 3);
    EXPECT_EQ(s.experience, 300u);
    EXPECT_EQ(s.nextExperience, 500u);
    EXPECT_EQ(s.gaugeMax[0], 500 + (200 - 100));  // the differences of the level records
    EXPECT_EQ(s.gauge[0], s.gaugeMax[0]);
    EXPECT_EQ(s.stat[0], 0 + (15 - 10));
    EXPECT_NE(FindItem(gMagicLists[0], kFireMagic), nullptr);
    EXPECT_EQ(gResults.levelUpMark, 1u);
}

TEST_F(ResultsTest, AConfirmWaitsUntilThePageMayTurn) {
    Hero(1, 0);
    gRewardExp = 100;
    Book();
    ConfirmResultPage();  // the victory page is too young
    EXPECT_EQ(fMenu, 100);
    for (int i = 0; i < 25; ++i) BattleResults();
    ConfirmResultPage();
    EXPECT_EQ(fMenu, 101);
    BattleResults();
    EXPECT_EQ(gResultPick, 0);
    ConfirmResultPage();  // the level page waits 30 frames
    EXPECT_EQ(fMenu, 101);
    for (int i = 0; i < 30; ++i) BattleResults();
    ConfirmResultPage();
    EXPECT_EQ(fMenu, 110);
}

TEST_F(ResultsTest, ALevelTheTableLacksStopsTheLevelUpWithOneTrace) {
    ManRole& r = Hero(4, 999999);  // level 5's record is missing
    Book();
    fMenu = 101;
    gResultPick = kNoPick;
    BattleResults();
    EXPECT_EQ(fMenu, 112);
    EXPECT_EQ(r.baseStats->level, 4);
    ApplyLevelUps();
    EXPECT_EQ(gResultPick, kNoPick);
    EXPECT_EQ(Traces(), 1u);
}

TEST_F(ResultsTest, AMissingLevelFileLevelsNobody) {
    gObjFiles.level.clear();
    gObjFiles.levelOpen = false;
    ManRole& r = Hero(1, 999999);
    ApplyLevelUps();
    ApplyLevelUps();
    EXPECT_EQ(gResultPick, kNoPick);
    EXPECT_EQ(r.baseStats->level, 1);
    EXPECT_EQ(Traces(), 1u);
}

TEST_F(ResultsTest, LevelUpsToALevelStopAtTheTableAndAddTheExperience) {
    ManRole& r = Hero(1, 100);
    ApplyLevelUpsTo(0, 99);
    EXPECT_EQ(r.baseStats->level, 4);
    EXPECT_EQ(r.baseStats->experience, 100u + (1000 - 100));
    EXPECT_EQ(r.baseStats->nextExperience, 1000u);
    EXPECT_EQ(Traces(), 1u);
    ApplyLevelUpsTo(0, 2);  // already past it
    EXPECT_EQ(r.baseStats->level, 4);
    ApplyLevelUpsTo(12, 5);  // no such slot
    EXPECT_EQ(Traces(), 2u);
}

TEST_F(ResultsTest, LevelUpsStopAtTheCap) {
    ManRole& r = Hero(1, 999999);
    gLevelCap = 3;
    ApplyLevelUpsTo(0, 99);
    EXPECT_EQ(r.baseStats->level, 3);
    ApplyLevelUps();
    EXPECT_EQ(gResultPick, kNoPick);
    EXPECT_EQ(Traces(), 0u);
    const uint32_t before = r.baseStats->experience;
    gRewardExp = 10;
    Book();  // a member at the cap gains nothing
    EXPECT_EQ(r.baseStats->experience, before);
}

// ---- Techniques and treasures ------------------------------------------------------------

TEST_F(ResultsTest, ATechniqueIsLearnedOnceItsPointsAreReachedAndNeverAgain) {
    ManRole& r = Hero();
    r.name = "Hero";
    ASSERT_NE(AddItem(&gMagicLists[0], kFirstTechnique, 1, kAddCount), nullptr);
    gMemberBattle[0] = MemberBattleRecord{0, 1, 0, 0};
    CollectNewSkills();  // the record follows the list: Cleave needs 2 points
    EXPECT_EQ(gResultPick, kNoPick);
    EXPECT_EQ(gMemberBattle[0].nextTechnique, kSecondTechnique | kTechniqueLearned);
    EXPECT_EQ(gMemberBattle[0].pointsNeeded, 2u);
    gMemberBattle[0].techniquePoints = 2;
    CollectNewSkills();
    EXPECT_EQ(gResultPick, 0);
    EXPECT_NE(FindItem(gMagicLists[0], kSecondTechnique), nullptr);
    EXPECT_STREQ(gResults.learnedName, "Cleave");
    EXPECT_EQ(gMemberBattle[0].techniquePoints, 0u);
    // Cleave names itself as its follow-up: there is no next technique.
    EXPECT_EQ(gMemberBattle[0].nextTechnique, kNoTechnique);
    gMemberBattle[0].techniquePoints = 50;
    CollectNewSkills();
    EXPECT_EQ(gResultPick, kNoPick);
}

TEST_F(ResultsTest, AGrownTreasureGivesWayToItsSuccessorOnce) {
    ManRole& r = Hero();
    gMemberEquip[0][7] = NewItemNode(kTreasure);
    ASSERT_NE(gMemberEquip[0][7], nullptr);
    r.treasureId[0] = kTreasure;
    ASSERT_EQ(ReadObjRecord(&r.treasure[0], kTreasure), 1);
    SetCount(&gFameList3, kTreasure, 10);
    CollectTreasureGrowth();
    EXPECT_EQ(gResultPick, 0);
    EXPECT_STREQ(gResults.learnedName, "Pearl");
    EXPECT_STREQ(gResults.secondName, "Moon Pearl");
    ASSERT_NE(gMemberEquip[0][7], nullptr);
    EXPECT_EQ(gMemberEquip[0][7]->id, kPlaceholderItem);  // a whole empty slot
    EXPECT_EQ(BagCount(kGrownTreasure), 1);
    CollectTreasureGrowth();
    EXPECT_EQ(gResultPick, kNoPick);
    EXPECT_EQ(BagCount(kGrownTreasure), 1);
}

// ---- Other pages ----------------------------------------------------------------------------

TEST_F(ResultsTest, DefeatAndRetreatPagesLeaveTheBattle) {
    fMenu = 103;
    EXPECT_EQ(Pages(), (std::vector<int>{103}));
    EXPECT_EQ(gLeaveBattle, 1u);
    gLeaveBattle = 0;
    fMenu = 103;
    gBattleOptions |= kOptionDefeatEnds;
    EXPECT_EQ(Pages(), (std::vector<int>{103}));
    EXPECT_EQ(gLeaveBattle, 1u);
    gLeaveBattle = 0;
    fMenu = 104;
    Pages();
    EXPECT_EQ(gLeaveBattle, 1u);
}

TEST_F(ResultsTest, AQueuedMessageHoldsThePagesOnlySoLong) {
    // Nothing draws the messages here, so they never age: the pages wait a
    // while, then go on.
    AddBattleMessage(280, 10, 60, "Hello", 0);
    ASSERT_NE(gBattleMsgs, nullptr);
    fMenu = 103;
    for (int i = 0; i < 100; ++i) BattleResults();
    EXPECT_EQ(gResultTimer, 0);
    Pages();
    EXPECT_EQ(gLeaveBattle, 1u);
}

TEST_F(ResultsTest, TheTalismanPageGoesBackToTheFightWithTimeRunning) {
    Hero();
    Enemy(0);  // still standing
    gTalismanMade = 1;
    fMenu = 98;
    const std::vector<int> pages = Pages(400);
    EXPECT_EQ(pages, (std::vector<int>{98, 99, 0}));
    EXPECT_EQ(fMenu, 0);
    EXPECT_EQ(Stop, 0);
    EXPECT_EQ(gLeaveBattle, 0u);
}

}  // namespace

namespace {

// The victory falls silent on the music side (mode 4 arms no track) and its
// jingle is sound 300, played once, after every other sound was stopped;
// the level-up swaps it for sound 299.
TEST_F(ResultsTest, TheVictoryJingleIsSound300OverSilencedMusic) {
    SoundRecorder heard;
    Hero(1, 100);
    gMusic.PlayMusic(3, 1, 0);
    Book();
    Book();
    EXPECT_EQ(gMusic.requestedMode, kMusicStop);
    EXPECT_EQ(heard.Count(300), 1);
    ASSERT_FALSE(heard.sounds.empty());
    EXPECT_EQ(heard.sounds.back().id, 300);
    ApplyLevelUps();
    EXPECT_EQ(heard.Count(299), 1);
}

}  // namespace
