// The turn's command and the plain attack of a party role, played on acts
// generated for the test (the character pack: sprite set n is entry n).
#include <cstdlib>
#include <map>
#include <string>

#include "base/settings.h"
#include "battle/manrole/man_texts.h"
#include "draw/act_pack.h"
#include "tests/battle/manrole/man_fixture.h"
#include "tests/battle/role/scripted_random.h"
#include "tests/support/temp_folder.h"
#include "tools/act_writer.h"
#include "tools/file_writer.h"

namespace {

enum : uint16_t {
    kHitSet = 1,       // act 40: the hit on frame 2, then "O2"; act 41: the hit on its last frame
    kLoopSet = 2,      // act 40 loops for ever
    kNoAttackSet = 3,  // no act 40
    kFollowSet = 4,    // act 0: three frames played on the target
    kLatchSet = 5,     // act 40: the hit raised once, then three more frames
};

std::vector<uint8_t> Entry(const std::map<int, const char*>& streams) {
    std::vector<ActStreamData> slots(size_t(streams.rbegin()->first + 1), ActStreamData{false, {}});
    for (const auto& [qq, text] : streams) slots[size_t(qq)] = ActStreamData{true, ActWords(text)};
    return BuildActData(slots);
}

class AttackTest : public ManRoleTest {
protected:
    void SetUp() override {
        ManRoleTest::SetUp();
        ResetActPacks();
        const std::vector<PackEntryData> entries = {
            {kHitSet, Entry({{40, "SD 0 PA 0 ED PA 1 AT 1 ED PA 2 O2"}, {41, "SD 0 PA 0 ED AT 1 PA 1 O2"}})},
            {kLoopSet, Entry({{40, "SD 0 PA 0 ED PA 1 OV"}})},
            {kNoAttackSet, Entry({{36, "SD 0 PA 0 O2"}})},
            {kFollowSet, Entry({{0, "SD 0 PA 0 ED PA 1 ED PA 2 O2"}})},
            {kLatchSet, Entry({{40, "SD 0 PA 0 AT 1 ED PA 1 ED PA 2 ED PA 3 O2"}})},
        };
        ASSERT_TRUE(WriteBytesToFile((install / "all_char.act").c_str(), BuildActPack(entries)));
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", install.Path().c_str());
        Table({}, {{5, ActionRecordBytes(Kind(0x08))}, {6, ActionRecordBytes(Kind(0x01))},
                   {7, ActionRecordBytes(Kind(0x20))}});
    }
    void TearDown() override {
        ResetActPacks();
        ManRoleTest::TearDown();
    }
    static ActionSpec Kind(uint16_t kind) {
        ActionSpec a;
        a.kind = kind;
        return a;
    }
    // Calls until the attack reports its end; the calls it took (0: not
    // within the limit).
    static int Run(ManRole& r, Role* target, int slot, int limit = 1000) {
        for (int call = 1; call <= limit; ++call)
            if (r.ManRoleAttack(target, slot) == 1) return call;
        return 0;
    }
    ManRole& Attacker(uint16_t spriteSet, uint16_t attack = 50) {
        ManRole& r = Party(0, 0);
        r.spriteSet = spriteSet;
        r.stats->bonus[0] = attack;
        // A plain attack with its power prepared, every roll 0.
        r.command = 1;
        r.skillAmount = attack;
        r.name = "Hero";
        ScriptRandom({});
        return r;
    }
    TempFolder install{"manattack"};
};

TEST_F(AttackTest, AGeneratedActHitsOnceAndEndsWithIt) {
    ManRole& r = Attacker(kHitSet);
    MonRole& e = Enemy(0, 300, 20);
    EXPECT_EQ(Run(r, &e, 0), 3);  // frames 0, 1 (the hit), 2 ("O2")
    EXPECT_EQ(e.shownCursor, 1);  // exactly one hit
    EXPECT_EQ(e.shown[0].Amount(), 31);  // 50 + 1 less defence 20
    EXPECT_EQ(e.IsHurtMarked(), 1u);
    EXPECT_EQ(r.hitCounter, 1);
    EXPECT_TRUE(r.acts[kActPerform].Empty());
    for (int32_t s : r.hitSlots) EXPECT_EQ(s, -1);
    EXPECT_EQ(gManBattle.plainAttacks, 1);
    EXPECT_EQ(Boxes(), 0u);
    EXPECT_EQ(Traces(), 0u);
}

TEST_F(AttackTest, ALatchedHitEventLandsOnce) {
    ManRole& r = Attacker(kLatchSet);
    MonRole& e = Enemy(0);
    EXPECT_EQ(Run(r, &e, 0), 4);
    EXPECT_EQ(e.shownCursor, 1);
}

TEST_F(AttackTest, ALoopingActEndsAtTheCapWithOneTrace) {
    ManRole& r = Attacker(kLoopSet);
    MonRole& e = Enemy(0);
    EXPECT_EQ(Run(r, &e, 0), kAttackFrameCap + 1);
    EXPECT_EQ(Traces(), 1u);
    EXPECT_EQ(e.shownCursor, 0);
    EXPECT_TRUE(r.acts[kActPerform].Empty());
    // The next attack starts afresh.
    r.spriteSet = kHitSet;
    EXPECT_EQ(Run(r, &e, 0), 3);
    EXPECT_EQ(Traces(), 1u);
}

TEST_F(AttackTest, AWaitThatIsNeverReleasedEndsAtTheCapToo) {
    ManRole& r = Attacker(kHitSet);
    MonRole& e = Enemy(0);
    r.repeatCount = 1;
    EXPECT_EQ(Run(r, &e, 0), kAttackFrameCap + 1);
    EXPECT_EQ(Traces(), 1u);
    EXPECT_EQ(e.shownCursor, 0);
}

TEST_F(AttackTest, AFailedStartShowsOneBoxAndEndsTheAttack) {
    ManRole& r = Attacker(kNoAttackSet);
    MonRole& e = Enemy(0);
    EXPECT_EQ(r.ManRoleAttack(&e, 0), 1);
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_EQ(HeadlessMessageBoxes()[0].caption, kAttackActCaption);
    EXPECT_NE(HeadlessMessageBoxes()[0].text.find("[Hero]QQ:40"), std::string::npos);
    EXPECT_EQ(e.shownCursor, 0);
}

TEST_F(AttackTest, NoTargetOrASlotOutsideTheBlocksEndsAtOnce) {
    ManRole& r = Attacker(kHitSet);
    MonRole& e = Enemy(0);
    EXPECT_EQ(r.ManRoleAttack(nullptr, 0), 1);
    EXPECT_EQ(r.ManRoleAttack(&e, -1), 1);
    EXPECT_EQ(r.ManRoleAttack(&e, 8), 1);
    EXPECT_EQ(Traces(), 3u);
    EXPECT_EQ(e.shownCursor, 0);
    EXPECT_EQ(Run(r, &e, 7), 3);  // the last hit block
}

TEST_F(AttackTest, AStrongAttackPlaysAct41AndTheWeaponsFollowUpOnTheTarget) {
    ManRole& r = Attacker(kHitSet);
    MonRole& e = Enemy(0);
    r.weaponId = 10;
    r.weapon.w[kObjAltWord] = kFollowSet;
    r.statusDword = 0x1;  // special 50: every attack strong...
    r.CheckStrongAttack();
    ASSERT_EQ(r.strongAttack, 1);
    EXPECT_EQ(r.ManRoleAttack(&e, 2), 0);
    EXPECT_EQ(r.acts[kActPerform].rec.qq, 41);
    EXPECT_EQ(gStrongAttack, 1u);
    EXPECT_EQ(r.ManRoleAttack(&e, 2), 0);  // the hit on act 41's last frame
    EXPECT_EQ(e.shownCursor, 1);
    EXPECT_EQ(r.acts[kActMultiFirst + 3].rec.act, kFollowSet);
    EXPECT_EQ(r.ManRoleAttack(&e, 2), 0);
    EXPECT_EQ(r.ManRoleAttack(&e, 2), 1);  // the follow-up played out
    EXPECT_EQ(r.strongAttack, 0);
    EXPECT_EQ(gStrongAttack, 0u);
    EXPECT_TRUE(r.acts[kActMultiFirst + 3].Empty());
    // ...but never twice running for the same role.
    r.CheckStrongAttack();
    EXPECT_EQ(r.strongAttack, 0);
    ManRole& other = Party(1, 1);
    other.statusDword = 0x1;
    other.CheckStrongAttack();
    EXPECT_EQ(other.strongAttack, 1);
}

TEST_F(AttackTest, TheCountOfPlainAttacksBringsTheStrongAttack) {
    ManRole& r = Attacker(kHitSet);
    gBattleManCount = 2;
    gManBattle.plainAttacks = 7;
    r.CheckStrongAttack();
    EXPECT_EQ(r.strongAttack, 0);
    gManBattle.plainAttacks = 10;
    r.CheckStrongAttack();
    EXPECT_EQ(r.strongAttack, 1);
    EXPECT_EQ(gManBattle.plainAttacks, 0);
    EXPECT_EQ(gManBattle.lastStrongSprite, kHitSet);
    // A guard, a chosen skill or stacks never strike strongly.
    ManRole& g = Party(1, 1);
    g.spriteSet = 9;
    g.statusDword = 0x1;
    g.guard = 1;
    g.CheckStrongAttack();
    EXPECT_EQ(g.strongAttack, 0);
    g.guard = 0;
    g.stackCount = 1;
    g.CheckStrongAttack();
    EXPECT_EQ(g.strongAttack, 0);
}

TEST_F(AttackTest, Skill21StrikesTwice) {
    ManRole& r = Attacker(kHitSet);
    MonRole& e = Enemy(0);
    r.command = 21;
    r.StartWeaponSkill(21);
    EXPECT_EQ(Run(r, &e, 0), 6);
    EXPECT_EQ(e.shownCursor, 2);
    EXPECT_EQ(r.skillBits & 0x1, 0u);
}

TEST_F(AttackTest, TheWeaponBonusAddsToDamageOnly) {
    MonRole& e = Enemy(0, 300, 20);
    const struct {
        uint32_t actionFlags;
        int16_t heal;
        int32_t shown;
        int16_t cursor;
    } cases[] = {
        {0, 0, 31 + 10, 1},  // 50 + 1 - 20 and one use of ten: 10 % of a ceiling of 100
        {0x4000, 0, 0, 0},   // no number: nothing shown, no bonus
        {0, 25, -25, 1},     // a heal is not raised
    };
    for (const auto& c : cases) {
        FreeFameLists();
        e.shownCursor = 0;
        e.shown[0] = ShownNumber{};
        ManRole& r = Attacker(kHitSet);
        r.weaponId = 10;
        r.weapon.w[kObjGrowthMax] = 10;
        r.weapon.w[kObjBonusCeiling] = 100;
        r.action.flags = c.actionFlags;
        r.regenAmount[0] = c.heal;
        r.ApplyHit(&e, 1);
        EXPECT_EQ(e.shownCursor, c.cursor) << c.actionFlags << " " << c.heal;
        EXPECT_EQ(e.shown[0].Amount(), std::abs(c.shown)) << c.actionFlags << " " << c.heal;
        if (c.shown < 0) EXPECT_EQ(e.shown[0].sprite, 9085);
        EXPECT_EQ(GetCount(&gFameList1, 10), 1);
    }
}

TEST_F(AttackTest, PreparingTheCommandDecidesTheRunUp) {
    const struct {
        uint16_t command;
        uint16_t weaponAction;
        uint32_t member;
        int result;
        uint16_t commandAfter, subAfter;
    } cases[] = {
        {0, 5, 1, 1, 0, 0},       // nothing chosen
        {1, 5, 1, 1, 200, 1},     // a weapon that runs up
        {1, 6, 1, 1, 1, 0},       // one that does not
        {23, 6, 1, 1, 23, 0},
        {1, 5, 0, 1, 1, 0},       // only a member runs up this way
        {1, 0, 1, 0, 1, 0},       // no weapon action
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.command << " weapon action " << c.weaponAction);
        ManRole& r = Attacker(kHitSet, 77);
        r.member = c.member;
        r.command = c.command;
        r.subCommand = 0;
        r.actionFlags = 0;
        r.weapon.w[kObjActionId] = c.weaponAction;
        EXPECT_EQ(r.PrepareManCommand(), c.result);
        EXPECT_EQ(r.command, c.commandAfter);
        EXPECT_EQ(r.subCommand, c.subAfter);
        if (c.command != 0) {
            EXPECT_EQ(r.skillAmount, 77);
        }
    }
    // A magic for all that was prepared before its turn runs up when its
    // action asks for it.
    ManRole& r = Attacker(kHitSet);
    r.command = 4;
    r.actionFlags = 0x2;
    r.storedCommand = 402;
    r.action = ActionRecord{};
    r.action.word20 = 0x20;
    EXPECT_EQ(r.PrepareManCommand(), 1);
    EXPECT_EQ(r.command, 200);
    EXPECT_EQ(r.subCommand, 402);
    EXPECT_EQ(r.runPrepared, 1u);
    r.command = 4;
    r.action.word20 = 0;
    EXPECT_EQ(r.PrepareManCommand(), 0);
    EXPECT_EQ(r.command, 402);
}

}  // namespace
