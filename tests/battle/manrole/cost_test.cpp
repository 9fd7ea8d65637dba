// The command lists, the choices and their costs, reservations and use.
#include <cstring>
#include <string>

#include "battle/manrole/man_lists.h"
#include "battle/manrole/man_texts.h"
#include "tests/battle/manrole/man_fixture.h"
#include "world/org/cost_word.h"

namespace {

constexpr uint16_t kBattleUse = 0x10;  // use word bit 4: usable in battle

// Magic ids, item ids, action ids.
enum : uint16_t {
    kFire = 100, kDrain = 101, kSeal = 102, kStorm = 103, kFree = 104, kOdd = 105, kLongName = 106,
    kHerb = 200, kBrew = 201, kBalm = 202, kTalisman = 203, kFlask = 204, kDart = 205, kNet = 206, kGuard = 207,
    kActionHit = 1, kActionHeal = 2,
};

class CostTest : public ManRoleTest {
protected:
    void SetUp() override {
        ManRoleTest::SetUp();
        const uint16_t use = kBattleUse;
        Table(
            {
                {kFire, ObjectRecordBytes("Fire", 0x10, {{11, use}, {13, kActionHit}, {14, 0x8006}}, Fixed(17))},
                {kDrain, ObjectRecordBytes("Drain", 0x10, {{11, use}, {13, kActionHit}, {14, 0x401E}}, Fixed(17))},
                {kSeal, ObjectRecordBytes("Seal", 0x10, {{11, use}, {13, kActionHit}, {14, 0x0800 | kHerb}}, Fixed(17))},
                {kStorm, ObjectRecordBytes("Storm", 0x10, {{11, use}, {13, kActionHit}, {14, 402}, {17, 7100}}, Fixed(20))},
                {kFree, ObjectRecordBytes("Calm", 0x10, {{11, use}, {13, kActionHeal}, {8, 30}}, Fixed(17))},
                {kOdd, ObjectRecordBytes("Odd", 0x10, {{11, use}, {13, kActionHit}, {14, 0x8005}}, Fixed(20))},
                {kLongName, ObjectRecordBytes("\xA4\x6A\xA4\x6A\xA4\x6A\xA4\x6A\xA4\x6A\xA4\x6A\xA4\x6A\xA4\x6A", 0x10,
                                              {{11, use}, {13, kActionHit}, {14, 0x8001}}, Fixed(17))},
                {kHerb, ObjectRecordBytes("Herb", 0x4, {{11, use}, {13, kActionHeal}, {8, 50}})},
                {kBrew, ObjectRecordBytes("Brew", 0x4, {{11, use}, {13, kActionHeal}, {14, 0x4000 | 30}})},
                {kBalm, ObjectRecordBytes("Balm", 0x84, {{11, use}, {13, kActionHeal}})},
                {kTalisman, ObjectRecordBytes("Slip", 0x8000084, {{11, use}, {13, kActionHeal}})},
                {kFlask, ObjectRecordBytes("Flask", 0x4, {{11, use}, {12, 0x400 | 2}, {13, kActionHeal}})},
                {kDart, ObjectRecordBytes("Dart", 0x1, {{0, 15}, {11, use}, {13, kActionHit}, {14, 0x2000}})},
                {kNet, ObjectRecordBytes("Net", 0x2, {{13, kActionHit}, {18, 3}, {19, 7}})},
                {kGuard, ObjectRecordBytes("Idol", 0x800, {{11, use}, {13, kActionHit}})},
                {768, ObjectRecordBytes("Ash", 0x8000000, {{11, use}})},
            },
            {{kActionHit, ActionRecordBytes(Hit())}, {kActionHeal, ActionRecordBytes(40, 0, 0)}});
    }
    static ObjFixedFields Fixed(uint16_t kind) {
        ObjFixedFields f;
        f.kind = kind;
        return f;
    }
    static ActionSpec Hit() {
        ActionSpec a;
        a.value = 80;
        a.element = 4;
        a.followUp = 7001;
        a.rate = 1000;
        return a;
    }
};

TEST_F(CostTest, OneDecoderReadsTheCostWord) {
    const struct {
        uint16_t word, spirit, stamina, item;
        bool throwable;
    } cases[] = {
        {0x8006, 6, 0, 0, false},     {0x401E, 0, 30, 0, false},   {0xC003, 3, 3, 0, false},
        {0xA001, 0x2001, 0, 0, false}, {0x2000, 0, 0, 0, true},     {0x0805, 0, 0, 5, false},
        {0x2805, 0, 0, 5, true},      {0x0000, 0, 0, 0, false},    {0x4800, 0, 0x800, 0, false},
    };
    for (const auto& c : cases) {
        const ObjCost cost = DecodeCostWord(c.word);
        EXPECT_EQ(cost.spirit, c.spirit) << std::hex << c.word;
        EXPECT_EQ(cost.stamina, c.stamina) << std::hex << c.word;
        EXPECT_EQ(cost.itemId, c.item) << std::hex << c.word;
        EXPECT_EQ(cost.throwable, c.throwable) << std::hex << c.word;
    }
}

TEST_F(CostTest, TheMagicListReportsEachCostEncoding) {
    for (uint16_t id : {kFire, kDrain, kSeal, kStorm, kGuard}) Learn(0, id);
    ManRole& r = Party(0, 0);
    const struct {
        int kind, n;
        const char* name;
        uint16_t cost;
    } cases[] = {
        {0, 1, "Fire", 6},       // a spirit cost
        {0, 2, "Drain", 0x801E}, // a stamina cost - 32768: bit 15 marks it
        {0, 3, "Seal", 1000},    // an item cost
        {1, 1, "Storm", 1},      // an all-target magic
    };
    for (const auto& c : cases) {
        char name[32] = "x";
        uint16_t cost = 0;
        EXPECT_EQ(r.GetNthMagic(0, c.kind, c.n, name, sizeof name, &cost), 4) << c.name;
        EXPECT_STREQ(name, c.name);
        EXPECT_EQ(cost, c.cost) << c.name;
    }
    uint16_t cost = 0;
    EXPECT_EQ(r.GetNthMagic(0, 0, 4, nullptr, 0, &cost), 65535);
    EXPECT_EQ(cost, 65535);
    EXPECT_EQ(r.GetNthMagic(0, 2, 1, nullptr, 0, &cost), 65535);  // no such kind
    int count = 0;
    r.CountUsableMagic(0, 0, &count);
    r.CountUsableMagic(0, 1, &count);
    EXPECT_EQ(count, 4);
    count = 0;
    r.CountUsableMagic(1, 0, &count);  // mask 12: none of these
    EXPECT_EQ(count, 0);
}

TEST_F(CostTest, TheCostCheckTellsWhatIsMissing) {
    for (uint16_t id : {kFire, kDrain, kSeal, kFree}) Learn(0, id);
    ManRole& r = Party(0, 0, 500, 5, 40);
    EXPECT_EQ(r.CheckActionCost(0, 0), 0);
    EXPECT_EQ(r.CheckActionCost(0, 1), 0);  // 6 spirit asked, 5 held
    EXPECT_EQ(Messages(), 1);
    EXPECT_EQ(r.pendingCost[0], 6);
    EXPECT_EQ(r.CheckActionCost(0, 2), 1);  // 30 stamina of 40
    EXPECT_EQ(r.pendingCost[1], 30);
    gMemberStats[0].gauge[2] = 20;
    EXPECT_EQ(r.CheckActionCost(0, 2), 0);
    EXPECT_EQ(Messages(), 1);  // not while a message is shown
    ClearBattleMessages();
    EXPECT_EQ(r.CheckActionCost(0, 2), 0);
    ASSERT_EQ(Messages(), 1);
    EXPECT_STREQ(gBattleMsgs->text, kNoStaminaText);
    // A magic without a cost is free: it can always be chosen.
    EXPECT_EQ(r.CheckActionCost(0, 4), 1);
    EXPECT_EQ(r.pendingCost[0], 0);
    EXPECT_EQ(r.pendingCost[1], 0);
    // An item cost: the item is chosen and one of it kept for this magic.
    ClearBattleMessages();
    EXPECT_EQ(r.CheckActionCost(0, 3), 0);
    ASSERT_EQ(Messages(), 1);
    EXPECT_STREQ(gBattleMsgs->text, kNoItemText);
    Bag(kHerb, 1);
    EXPECT_EQ(r.CheckActionCost(0, 3), 1);
    EXPECT_EQ(r.GetSelectedItemId(), kHerb);
    EXPECT_EQ(ItemReserved(kHerb), 1);
    EXPECT_EQ(r.pendingCost[0], 0);  // the item id is never a spirit cost
    EXPECT_EQ(r.CheckActionCost(0, 3), 1);  // asked again: still one kept
    EXPECT_EQ(ItemReserved(kHerb), 1);
    ManRole& other = Party(1, 1, 500, 5, 40);
    Learn(1, kSeal);
    EXPECT_EQ(other.CheckActionCost(0, 1), 0);  // the only herb is kept for the first
}

TEST_F(CostTest, ChoosingAMagicLoadsItsAction) {
    for (uint16_t id : {kFire, kLongName}) Learn(0, id);
    Learn(0, kStorm);
    Learn(0, kOdd);
    ManRole& r = Party(0, 0);
    gMemberStats[0].stat[2] = 70;  // wisdom 70: the rate + 20 %
    uint16_t id = 0;
    EXPECT_EQ(r.SelectMagic(0, 0, 1, &id), 1);  // category 0's mask has 0x10
    EXPECT_EQ(id, kFire);
    EXPECT_EQ(r.action.word24, 1200);
    EXPECT_EQ(r.actionFlags & 0x80, 0x80);
    EXPECT_STREQ(r.actionName, "Fire");
    gMemberStats[0].stat[2] = 30000;  // the rate word saturates
    r.SelectMagic(0, 0, 1, &id);
    EXPECT_EQ(r.action.word24, 0xFFFF);
    // A long name of two-byte characters is cut between characters.
    r.SelectMagic(0, 0, 2, &id);
    EXPECT_EQ(std::strlen(r.actionName), 14u);
    EXPECT_EQ(uint8_t(r.actionName[13]), 0x6A);
    // An all-target magic brings its act's command and parameter.
    r.actionFlags = 0;
    EXPECT_EQ(r.SelectMagic(0, 1, 1, &id), 1);
    EXPECT_EQ(id, kStorm);
    EXPECT_EQ(r.storedCommand, 402);
    EXPECT_EQ(r.actParam, 7100);
    EXPECT_EQ(r.magicId, kStorm);
    // A cost word that names no act command is not taken as one.
    const size_t traces = Traces();
    r.SelectMagic(0, 1, 2, &id);
    EXPECT_EQ(id, kOdd);
    EXPECT_EQ(r.storedCommand, 0);
    EXPECT_EQ(Traces(), traces + 1);
    EXPECT_EQ(r.SelectMagic(0, 1, 3, &id), 65535);
    EXPECT_EQ(r.SelectMagic(0, 3, 1, &id), 65535);
}

TEST_F(CostTest, TheThirdUseCostsAThirdMoreAsShownAndAsChecked) {
    Bag(kBrew, 5);
    ManRole& r = Party(0, 0, 500, 100, 40);
    const struct {
        int uses;
        int16_t stamina;
        uint16_t flags;
        int chosen;
    } cases[] = {
        {0, 30, 0x8000, 1},          {1, 30, 0x8000, 1},          {1, 29, 0xC000, 0},
        {2, 40, 0xA000, 1},          {2, 39, 0xE000, 0},          {5, 40, 0xA000, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.uses << " uses, stamina " << c.stamina);
        ResetManBattle();
        for (int i = 0; i < c.uses; ++i) CountItemUse(kBrew);
        gMemberStats[0].gauge[2] = c.stamina;
        uint16_t flags = 0;
        int count = 0;
        char name[32];
        EXPECT_EQ(r.GetNthItem(1, 1, name, sizeof name, &flags, &count), 1);
        EXPECT_EQ(flags, c.flags);
        EXPECT_EQ(count, 5);
        uint16_t act = 0;
        int target = -1;
        EXPECT_EQ(r.SelectItem(1, 1, &act, &target), c.chosen);
        EXPECT_NE(act, 65535);  // a refusal for the cost, not a missing entry
        if (c.chosen) {
            EXPECT_EQ(r.pendingCost[1], c.uses >= 2 ? 40 : 30);
        }
        r.ClearManAction();
        EXPECT_EQ(ItemReserved(kBrew), 0);
    }
}

TEST_F(CostTest, ReservedUsesAreNotOfferedTwice) {
    Bag(kHerb, 1, 1);
    ManRole& a = Party(0, 0);
    ManRole& b = Party(1, 1);
    ManRole& c = Party(2, 2);
    uint16_t act = 0;
    int target = 0;
    EXPECT_EQ(a.SelectItem(1, 1, &act, &target), 1);
    EXPECT_EQ(act, 0);  // the heal's follow-up act
    EXPECT_EQ(a.regenAmount[0], 50);
    EXPECT_EQ(b.SelectItem(1, 1, &act, &target), 1);
    EXPECT_EQ(ItemReserved(kHerb), 2);
    int count = 0;
    c.CountItemsOfKind(1, &count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(c.SelectItem(1, 1, &act, &target), 0);
    EXPECT_EQ(act, 65535);
    b.ClearManAction();
    EXPECT_EQ(ItemReserved(kHerb), 1);
    EXPECT_EQ(c.SelectItem(1, 1, &act, &target), 1);
}

TEST_F(CostTest, AChoiceDoesNotOutliveItsBattle) {
    Bag(kHerb, 3);
    ManRole& a = Party(0, 0);
    uint16_t act = 0;
    int target = 0;
    ASSERT_EQ(a.SelectItem(1, 1, &act, &target), 1);
    CountItemUse(kHerb);
    a.ResetRoleForBattle();
    ResetManBattle();  // the battle's end
    EXPECT_EQ(a.GetSelectedItemId(), 0);
    EXPECT_EQ(ItemReserved(kHerb), 0);
    EXPECT_EQ(GetItemUseCount(kHerb), 0);
    a.ClearManAction();  // nothing left to give back
    EXPECT_EQ(ItemReserved(kHerb), 0);
}

TEST_F(CostTest, UsingUpTheLastUnitFreesItsNodeAndOtherChoicesFindItGone) {
    Bag(kHerb, 2);
    ManRole& a = Party(0, 0);
    ManRole& b = Party(1, 1);
    uint16_t act = 0;
    int target = 0;
    ASSERT_EQ(a.SelectItem(1, 1, &act, &target), 1);
    ASSERT_EQ(b.SelectItem(1, 1, &act, &target), 1);
    EXPECT_EQ(a.ConsumeSelectedItem(1, 0), kHerb);
    ASSERT_NE(FindBagItem(kHerb), nullptr);
    EXPECT_EQ(FindBagItem(kHerb)->count, 1);
    EXPECT_EQ(a.GetSelectedItemId(), 0);
    // The entry leaves the bag while b's choice waits (an enemy takes it).
    FreeItemNode(UnlinkItemById(&gInventory, kHerb));
    EXPECT_EQ(b.ConsumeSelectedItem(1, 0), 0);
    EXPECT_EQ(b.GetSelectedItemId(), 0);
    EXPECT_EQ(ItemReserved(kHerb), 0);

    Bag(kHerb, 0, 1);  // the last unit is a new one
    ASSERT_EQ(a.SelectItem(1, 1, &act, &target), 1);
    EXPECT_EQ(a.ConsumeSelectedItem(1, 0), kHerb);
    EXPECT_EQ(FindBagItem(kHerb), nullptr);
    EXPECT_EQ(gInventory, nullptr);
    EXPECT_EQ(a.ConsumeSelectedItem(1, 0), 0);  // nothing chosen
}

TEST_F(CostTest, KeptMultiUseThrownAndCaptureItems) {
    Bag(kBalm, 1);
    Bag(kTalisman, 1);
    Bag(kFlask, 1);
    Bag(kDart, 3);
    Bag(kNet, 1);
    ManRole& r = Party(0, 0);
    uint16_t act = 0;
    int target = 0;
    // A kept item is never used up and reserves nothing.
    ASSERT_EQ(r.SelectItem(1, 1, &act, &target), 1);
    EXPECT_EQ(r.GetSelectedItemId(), kBalm);
    EXPECT_EQ(ItemReserved(kBalm), 0);
    EXPECT_EQ(r.ConsumeSelectedItem(1, 0), kBalm);
    EXPECT_EQ(FindBagItem(kBalm)->count, 1);
    // ...unless it is a talisman.
    ASSERT_EQ(r.SelectItem(1, 2, &act, &target), 1);
    EXPECT_EQ(r.GetSelectedItemId(), kTalisman);
    EXPECT_EQ(r.ConsumeSelectedItem(1, 0), kTalisman);
    EXPECT_EQ(FindBagItem(kTalisman), nullptr);
    // A multi-use item loses a use first.
    ASSERT_EQ(r.SelectItem(1, 2, &act, &target), 1);
    EXPECT_EQ(r.GetSelectedItemId(), kFlask);
    EXPECT_EQ(r.ConsumeSelectedItem(1, 0), kFlask);
    EXPECT_EQ(FindBagItem(kFlask)->count, 1);
    EXPECT_EQ(FindBagItem(kFlask)->obj.w[kObjEffectMode], 0x401);
    EXPECT_EQ(ItemReserved(kFlask), 0);
    // A throwable: the skill amount is its attack word; its use reports 0.
    char name[32];
    int count = 0;
    ASSERT_EQ(r.GetNthThrowItem(1, name, sizeof name, &count), 1);
    EXPECT_STREQ(name, "Dart");
    EXPECT_EQ(count, 3);
    ASSERT_EQ(r.SelectItem(4, 1, &act, &target), 1);
    EXPECT_EQ(r.GetSelectedItemId(), kDart);
    EXPECT_EQ(r.skillAmount, 15);
    EXPECT_EQ(r.ConsumeSelectedItem(4, 0), 0);
    EXPECT_EQ(FindBagItem(kDart)->count, 2);
    // A capture item needs no battle-use flag and gives its class and chance.
    ASSERT_EQ(r.SelectItem(6, 1, &act, &target), 1);
    EXPECT_EQ(r.ConsumeSelectedItem(6, 0), kNet);
    EXPECT_EQ(r.actionFlags & 0x8, 0x8);
    EXPECT_EQ(r.captureClass, 3);
    EXPECT_EQ(r.captureChance, 7);
    EXPECT_EQ(FindBagItem(kNet), nullptr);
}

TEST_F(CostTest, PayingTakesThePendingCostsAndAnItemCostUsesTheItem) {
    Learn(0, kFire);
    Learn(0, kSeal);
    Bag(kHerb, 1);
    ManRole& r = Party(0, 0, 500, 10, 10);
    ASSERT_EQ(r.CheckActionCost(0, 1), 1);
    uint16_t id = 0;
    r.SelectMagic(0, 0, 1, &id);
    r.pendingCost[1] = 25;  // more stamina than held: stops at 0
    r.PayActionCost();
    EXPECT_EQ(gMemberStats[0].gauge[1], 4);
    EXPECT_EQ(gMemberStats[0].gauge[2], 0);
    EXPECT_EQ(r.pendingCost[0], 0);
    EXPECT_EQ(r.pendingCost[1], 0);
    r.ClearManAction();
    ASSERT_EQ(r.CheckActionCost(0, 2), 1);
    r.SelectMagic(0, 0, 2, &id);
    r.PayActionCost();
    EXPECT_EQ(gMemberStats[0].gauge[1], 4);  // the item pays
    EXPECT_EQ(FindBagItem(kHerb), nullptr);
    EXPECT_EQ(r.GetSelectedItemId(), 0);
}

TEST_F(CostTest, TheRefiningListAndTheStoredCommand) {
    Bag(768, 2);
    Bag(kTalisman, 3);
    ManRole& r = Party(0, 0);
    char name[32] = "";
    int count = 0;
    EXPECT_EQ(r.GetNthRefineItem(1, 1, name, sizeof name, &count), 1);
    EXPECT_STREQ(name, "Slip");
    EXPECT_EQ(count, 3);
    EXPECT_EQ(r.GetSelectedItemId(), kTalisman);
    EXPECT_EQ(ItemReserved(kTalisman), 0);  // a listing keeps nothing
    EXPECT_EQ(r.GetNthRefineItem(1, 2, name, sizeof name, &count), 0);
    EXPECT_EQ(r.GetNthRefineItem(1, 0, name, sizeof name, &count), 0);
    r.CountRefineItems(&count);
    EXPECT_EQ(count, 3);

    r.storedCommand = 405;
    r.command = 4;
    r.acts[kActBegin].rec.act = 9;
    EXPECT_EQ(r.UseStoredCommand(), 0);
    EXPECT_EQ(r.command, 405);
    EXPECT_EQ(r.actionFlags & 0x2, 0x2);
    EXPECT_EQ(r.runPrepared, 1u);
    EXPECT_TRUE(r.acts[kActBegin].Empty());

    uint16_t value = 0;
    r.SetActionFromObject(kFree, &value);
    EXPECT_EQ(r.action.word22, 30);  // element 0: the second word is its life amount
    EXPECT_EQ(r.actionFlags & 0x80, 0x80);
}

}  // namespace
