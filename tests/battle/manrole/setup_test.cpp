// Set-up of members and guards, guard fusion, equipment and its specials,
// the per-turn recovery and the weapon skill that becomes the command.
#include <cstring>
#include <string>

#include "battle/manrole/man_texts.h"
#include "tests/battle/manrole/man_fixture.h"

namespace {

constexpr uint16_t kGuardId = 40;

// A monster-like record (a guard): the fixed block of tag 1 over 84..162.
std::vector<uint8_t> GuardBytes(uint16_t attack, uint16_t defence, uint16_t agility, uint16_t wisdom, uint16_t level,
                                uint32_t life, uint8_t block, const int8_t (&elements)[5], uint16_t attackAction) {
    std::vector<uint8_t> b(79, 0);
    auto put16 = [&](size_t at, uint16_t v) {
        b[at - 84] = uint8_t(v);
        b[at - 83] = uint8_t(v >> 8);
    };
    put16(88, level);
    put16(90, attack);
    put16(92, defence);
    put16(94, agility);
    put16(96, wisdom);
    put16(98, attackAction);
    put16(104, uint16_t(life));
    put16(106, uint16_t(life >> 16));
    b[146 - 84] = block;
    for (int e = 0; e < 5; ++e) b[156 - 84 + size_t(e)] = uint8_t(elements[e]);
    TagStream s;
    s.Tag(1000).Text("Guard").Tag(25).U16(0).U32(0x800).Tag(1).Raw(b);
    return s.End();
}

BattleSlot Slot(uint16_t spriteSet, uint32_t side = 1) {
    BattleSlot s{};
    s.spriteSet = spriteSet;
    s.side = side;
    s.homeX = 500;
    s.homeY = 300;
    return s;
}

using SetupTest = ManRoleTest;

TEST_F(SetupTest, AMemberEntersWithItsGaugesCutTo9999InItsOwnRecord) {
    MemberStats& m = gMemberStats[1];
    m.gauge[0] = m.gaugeMax[0] = 12000;
    m.gauge[1] = 9999;
    m.gaugeMax[1] = 15000;
    m.gauge[2] = m.gaugeMax[2] = 300;
    m.stat[0] = 45;  // strength
    m.stat[1] = 30;  // endurance
    m.stat[7] = 300; // a block chance past the byte
    m.bonus[0] = 999;
    ManRole& r = gManRoles[0];
    const BattleSlot s = Slot(2);
    r.SetupManRole(&m, &gMemberBattle[1], &s);
    EXPECT_EQ(m.gauge[0], 9999);
    EXPECT_EQ(m.gaugeMax[0], 9999);
    EXPECT_EQ(m.gaugeMax[1], 9999);
    EXPECT_EQ(m.gauge[2], 300);
    EXPECT_EQ(r.baseStats, &m);
    EXPECT_EQ(r.stats, &r.statsCopy);
    EXPECT_EQ(r.stats->bonus[0], 45);  // attack is the strength, never the stored word
    EXPECT_EQ(r.stats->bonus[1], 30);
    EXPECT_EQ(r.blockChance, 255);
    EXPECT_EQ(r.member, 1u);
    EXPECT_EQ(r.out, 0u);
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(SetupTest, TheDownMarkOrNoLifePutsTheMemberOut) {
    const struct {
        int16_t life;
        uint16_t status;
        uint32_t out;
    } cases[] = {{100, 0, 0}, {0, 0, 1}, {100, kStatusDown, 1}, {-5, 0, 1}};
    for (const auto& c : cases) {
        MemberStats& m = gMemberStats[0];
        m.gauge[0] = c.life;
        m.gaugeMax[0] = 100;
        m.status = c.status;
        const BattleSlot s = Slot(1);
        gManRoles[0].SetupManRole(&m, &gMemberBattle[0], &s);
        EXPECT_EQ(gManRoles[0].out, c.out) << c.life << " " << c.status;
    }
}

TEST_F(SetupTest, ASpriteSetOf0IsReportedOnce) {
    const BattleSlot s = Slot(0);
    gManRoles[0].SetupManRole(&gMemberStats[0], &gMemberBattle[0], &s);
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_NE(HeadlessMessageBoxes()[0].text.find(kMemberNoSpriteText), std::string::npos);
}

TEST_F(SetupTest, AGuardTakesItsRecordAndNothingOfTheSlotsLastUser) {
    Table({{kGuardId, GuardBytes(80, 40, 30, 20, 300, 70000, 4, {10, 0, -5, 0, 20}, 12)}});
    ManRole& r = gManRoles[2];
    // The slot's previous user leaves a copy, regeneration, treasures and a choice.
    r.statsCopy.stat[0] = 999;
    r.statsCopy.gauge[1] = 500;
    r.regenPercent3[0] = 10;
    r.treasureId[0] = 77;
    r.statusDword = 0x41;
    r.selectedItemId = 5;
    r.guard = 1;
    const BattleSlot s = Slot(kGuardId);
    EXPECT_EQ(r.SetupGuardRole(&s), 0);
    EXPECT_EQ(r.stats, &r.statsCopy);
    EXPECT_EQ(r.baseStats, &r.statsCopy);
    EXPECT_EQ(r.stats->bonus[0], 80);
    EXPECT_EQ(r.stats->bonus[1], 40);
    EXPECT_EQ(r.stats->stat[3], 30);
    EXPECT_EQ(r.stats->stat[2], 20);
    EXPECT_EQ(r.stats->level, 255);           // a level past the byte stops at 255
    EXPECT_EQ(r.stats->gauge[0], 9999);       // 70000 life would wrap a 16-bit gauge
    EXPECT_EQ(r.stats->gaugeMax[0], 9999);
    EXPECT_EQ(r.blockChance, 4);
    EXPECT_EQ(r.stats->element[0], 10);
    EXPECT_EQ(r.stats->element[2], -5);
    EXPECT_EQ(r.weapon.w[kObjActionId], 12);  // its plain attack
    EXPECT_EQ(r.stats->stat[0], 0);
    EXPECT_EQ(r.stats->gauge[1], 0);
    EXPECT_EQ(r.regenPercent3[0], 0);
    EXPECT_EQ(r.treasureId[0], 0);
    EXPECT_EQ(r.statusDword, 0u);
    EXPECT_EQ(r.selectedItemId, 0);
    EXPECT_EQ(r.noAct38, 1u);  // no animation pack: no act 38
    EXPECT_EQ(r.guard, 1u);
    EXPECT_EQ(r.member, 0u);
}

TEST_F(SetupTest, FusionAddsTheGuardToTheCopyAndKeepsLifeInTheMembersRecord) {
    Table({{kGuardId, GuardBytes(80, 40, 30, 20, 250, 900, 200, {0, 50, 0, 0, 0}, 12)}});
    ManRole& r = Party(0, 0, 500);
    r.stats->bonus[0] = 100;
    r.stats->level = 10;
    r.blockChance = 100;
    gMemberStats[0].gauge[0] = 300;  // hurt before the fusion
    r.AddRecordStats(kGuardId);
    EXPECT_EQ(r.stats->bonus[0], 180);
    EXPECT_EQ(r.stats->bonus[1], 40);
    EXPECT_EQ(r.stats->level, 255);
    EXPECT_EQ(r.blockChance, 255);
    EXPECT_EQ(r.stats->element[1], 50);
    EXPECT_EQ(r.baseStats, &gMemberStats[0]);
    EXPECT_EQ(gMemberStats[0].gauge[0], 300);  // nothing restored
    r.DamageRole(50, 0, 0);
    EXPECT_EQ(gMemberStats[0].gauge[0], 250);  // and nothing lost after it
    gMemberStats[0].gauge[0] = 250;
    r.AddRecordStats(999);  // no such record: nothing changes
    EXPECT_EQ(r.stats->bonus[0], 180);
}

TEST_F(SetupTest, EquipmentAddsItsBonusesAndHoldsTheOwnElementTo0To100) {
    Table({{10, ObjectRecordBytes("Blade", 0x100, {{0, 10}, {2, 3}, {7, 250}, {8, 2}, {17, 6001}})},
           {11, ObjectRecordBytes("Mail", 0x40000200, {{1, 5}, {3, 2}, {4, 7}, {5, 9}, {6, 4}, {8, 3}, {9, 1}},
                                  ObjFixedFields{{0, 0, 0, 30, 0}})},
           {12, ObjectRecordBytes("Band", 0x400, {{8, 50}, {12, 256}}, ObjFixedFields{{0, 0, 0, 25, 0}})},
           {13, ObjectRecordBytes("Cold Ring", 0x400, {}, ObjFixedFields{{0, 0, 0, -120, 0}})},
           {14, ObjectRecordBytes("Charm", 0x40, {{8, 40}}, ObjFixedFields{{0, 0, 0, 50, 0}})}});
    ManRole& r = Party(0, 0);
    r.stats->bonus[0] = 20;
    r.stats->bonus[1] = 10;
    r.stats->elementIndex = 3;  // fire
    r.stats->element[3] = 60;
    r.blockChance = 10;
    std::vector<ItemRecord*> slots = Slots({{0, 10}, {2, 11}, {3, 12}, {7, 14}, {11, 12}});
    r.ApplyEquipment(slots.data());
    EXPECT_EQ(r.weaponId, 10);
    EXPECT_EQ(r.weapon.w[kObjAltWord], 6001);
    EXPECT_EQ(r.stats->bonus[0], 20 + 10 + 3);  // attack bonus and strength
    EXPECT_EQ(r.stats->stat[0], 3);
    EXPECT_EQ(r.stats->bonus[1], 10 + 5 + 2);   // defence bonus and endurance
    EXPECT_EQ(r.stats->stat[1], 2);
    EXPECT_EQ(r.stats->stat[3], 40 + 7);        // agility
    EXPECT_EQ(r.stats->stat[2], 9);             // wisdom
    EXPECT_EQ(r.stats->stat[4], 4);
    EXPECT_EQ(r.blockChance, 255);              // 10 + 250 stops at the byte
    // Fire: 60 + 30 (mail) + 25 (band, slot 3) + 25 (band, slot 11) = 140 -> 100;
    // the talisman in slot 7 adds nothing here.
    EXPECT_EQ(r.stats->element[3], 100);
    EXPECT_EQ(r.stats->ownElement, 100);
    // Recovery from slots 0..6 whose switch is 0: blade 2 and mail 3/1; the
    // band's switch is 256 and the talisman is not in 0..6.
    EXPECT_EQ(r.regenPercent3[0], 5);
    EXPECT_EQ(r.regenPercent3[1], 1);
    EXPECT_EQ(Boxes(), 0u);

    ManRole& cold = Party(1, 1);
    cold.stats->elementIndex = 3;
    cold.stats->element[3] = 10;
    std::vector<ItemRecord*> ring = Slots({{4, 13}});
    cold.ApplyEquipment(ring.data());
    EXPECT_EQ(cold.stats->element[3], 0);

    ManRole& odd = Party(2, 2);
    odd.stats->elementIndex = 9;  // no such element: nothing is written past the five
    std::vector<ItemRecord*> mail = Slots({{2, 11}});
    odd.ApplyEquipment(mail.data());
    for (int e = 0; e < 5; ++e) EXPECT_EQ(odd.stats->element[e], 0) << e;
}

TEST_F(SetupTest, AWeaponWithoutAStrongAttackActIsReportedButTheEmptyHandIsNot) {
    Table({{10, ObjectRecordBytes("Stick", 0x100, {{0, 2}})}});
    ManRole& r = Party(0, 0);
    std::vector<ItemRecord*> bare = Slots({});
    r.ApplyEquipment(bare.data());
    EXPECT_EQ(Boxes(), 0u);
    EXPECT_EQ(r.weaponId, kPlaceholderItem);
    std::vector<ItemRecord*> stick = Slots({{0, 10}});
    r.ApplyEquipment(stick.data());
    ASSERT_EQ(Boxes(), 1u);
    char text[64];
    std::snprintf(text, sizeof text, kWeaponNoStrongActText, 10);
    EXPECT_NE(HeadlessMessageBoxes()[0].text.find(text), std::string::npos);
}

TEST_F(SetupTest, TreasureSpecials50To59) {
    const struct {
        uint16_t kind;
        uint32_t status;
        uint32_t shield;
        uint16_t attack;
        int8_t water;
    } cases[] = {
        {50, 0x1, 0, 100, 20},  {51, 0, 0, 100, 60}, {52, 0, 0, 135, 20}, {53, 0x4, 0, 100, 20},
        {54, 0x8, 0, 100, 20},  {55, 0x10, 0, 100, 20}, {56, 0x20, 0, 100, 20}, {57, 0x40, 0, 100, 20},
        {58, 0x80, 0, 100, 20}, {59, 0, 1, 100, 20},  {60, 0, 0, 100, 20}, {49, 0, 0, 100, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        FreeFameLists();
        CloseObjFiles();
        Table({{20, ObjectRecordBytes("Relic", 0x40, {{16, 100}, {17, c.kind}}, ObjFixedFields{{0, 0, 3, 0, 0}})}});
        SetCountPercent(&gFameList3, 20, 100, 50);  // 50 per cent grown
        ManRole& r = Party(0, 0);
        r.statusDword = 0;
        r.silverShield = 0;
        r.stats->bonus[0] = 100;
        r.stats->element[2] = 20;
        std::vector<ItemRecord*> slots = Slots({{7, 20}});
        r.ApplyEquipment(slots.data());
        EXPECT_EQ(r.statusDword, c.status);
        EXPECT_EQ(r.silverShield, c.shield);
        EXPECT_EQ(r.stats->bonus[0], c.attack);  // 52: + 10 % + (50 / 2) %
        EXPECT_EQ(r.stats->element[2], c.water); // 51: + 80 % of 50 on its first element
        EXPECT_EQ(r.treasureId[0], 20);
        EXPECT_EQ(r.treasure[0].w[kObjIdWord], 20);
    }
}

TEST_F(SetupTest, RecoveryHealsAtLeastOneAndShowsItsNumbersInTurn) {
    ManRole& r = Party(0, 0, 50, 200, 1000);
    gMemberStats[0].gauge[0] = 40;
    gMemberStats[0].gauge[1] = 100;
    gMemberStats[0].gauge[2] = 900;
    r.regenPercent3[0] = 1;   // 1 % of 50 is 0.5: heals 1
    r.regenPercent3[1] = 10;  // 20
    r.regenPercent3[2] = 5;   // 50
    r.ApplyEquipRegen();
    EXPECT_EQ(gMemberStats[0].gauge[0], 41);
    EXPECT_EQ(gMemberStats[0].gauge[1], 120);  // healed, not drained
    EXPECT_EQ(gMemberStats[0].gauge[2], 950);
    ASSERT_EQ(r.shownCursor, 3);
    const uint16_t sprites[3] = {9085, 9086, 9087};
    const uint16_t delays[3] = {0, 6, 12};
    const int32_t values[3] = {1, 20, 50};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(r.shown[i].sprite, sprites[i]) << i;
        EXPECT_EQ(r.shown[i].delay, delays[i]) << i;
        EXPECT_EQ(r.shown[i].Amount(), values[i]) << i;
    }
    for (int16_t a : r.regenAmount) EXPECT_EQ(a, 0);

    // Only the numbers shown count for the delays; the maxima hold.
    ManRole& s = Party(1, 1, 100, 100, 100);
    s.regenPercent3[1] = 50;
    s.regenPercent3[2] = 50;
    s.ApplyEquipRegen();
    EXPECT_EQ(gMemberStats[1].gauge[1], 100);
    EXPECT_EQ(s.shown[0].delay, 0);
    EXPECT_EQ(s.shown[1].delay, 6);
    EXPECT_EQ(s.shownCursor, 2);

    // A member who is down recovers nothing.
    ManRole& d = Party(2, 2, 100);
    gMemberStats[2].gauge[0] = 10;
    gMemberStats[2].status = kStatusDown;
    d.regenPercent3[0] = 50;
    d.ApplyEquipRegen();
    EXPECT_EQ(gMemberStats[2].gauge[0], 10);
    EXPECT_EQ(d.shownCursor, 0);
}

TEST_F(SetupTest, AWeaponSkillBecomesItsCommand) {
    const struct {
        uint16_t skill;
        uint16_t command, sub;
        uint8_t flags;
        uint32_t bits;
        bool grows;
    } cases[] = {
        {21, 1, 0, 0, 0x1, true},   {22, 0, 22, 0x4, 0x2, true}, {23, 23, 0, 0, 0x4, true},
        {25, 0, 25, 0x4, 0x10, true}, {26, 26, 0, 0, 0x20, true}, {29, 29, 0, 0, 0x100, true},
        {30, 30, 0, 0, 0x200, true}, {31, 0, 31, 0x4, 0, true},  {33, 33, 0, 0, 0, true},
        {37, 37, 0, 0, 0, false},   {38, 38, 0, 0, 0, false},    {41, 41, 0, 0, 0, true},
        {20, 20, 0, 0, 0, false},   {42, 42, 0, 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.skill);
        FreeFameLists();
        ManRole& r = Party(0, 0);
        r.command = c.skill;
        r.subCommand = 0;
        r.actionFlags = 0;
        r.skillBits = 0;
        r.pendingCost[1] = 0;
        r.treasureId[0] = 70;
        r.treasure[0].w[kObjAltWord] = c.skill;
        r.treasure[0].w[kObjGrowthMax] = 100;
        r.treasure[0].w[kObjCostWord] = 0x4000 | 12;
        r.StartWeaponSkill(c.skill);
        EXPECT_EQ(r.command, c.command);
        EXPECT_EQ(r.subCommand, c.sub);
        EXPECT_EQ(r.actionFlags, c.flags);
        EXPECT_EQ(r.skillBits, c.bits);
        EXPECT_EQ(r.pendingCost[1], 12);  // the skill's stamina cost
        EXPECT_EQ(GetListValue(&gFameList3, 70), c.grows ? 5 : 0);
    }
}

TEST_F(SetupTest, SkillsThatHealScaleWithTheirGauges) {
    ManRole& r = Party(0, 0, 1000, 300, 0);
    r.treasureId[0] = 70;
    r.treasure[0].w[kObjAltWord] = 36;
    r.treasure[0].w[kObjGrowthMax] = 100;
    r.StartWeaponSkill(36);
    EXPECT_EQ(r.regenAmount[2], 0);  // no stamina now: nothing gained

    SetCountPercent(&gFameList3, 70, 100, 80);
    r.treasure[0].w[kObjAltWord] = 34;
    r.StartWeaponSkill(34);
    // h = 80 / 2 = 40, value 40 - 8 = 32: 32 % of 1000 + 100.
    EXPECT_EQ(r.skillValue, 32);
    EXPECT_EQ(r.regenAmount[0], 420);

    r.statusDword = 0;
    r.treasure[0].w[kObjAltWord] = 40;
    r.StartWeaponSkill(40);
    EXPECT_EQ(r.statusDword & 0x100, 0x100u);  // charged
    r.command = 40;
    r.StartWeaponSkill(40);
    EXPECT_EQ(r.statusDword & 0x100, 0u);
    EXPECT_EQ(r.command, 40);
    EXPECT_EQ(r.skillBits & 0x400, 0x400u);

    r.stackCount = 0;
    r.StartWeaponSkill(39);
    EXPECT_EQ(r.stackCount, 1);
    r.StartWeaponSkill(21);
    EXPECT_EQ(r.extraStrike, 1);
}

}  // namespace
