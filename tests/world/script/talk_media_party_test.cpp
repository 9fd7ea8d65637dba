// Talk instructions: items, magic, equipment, gauges, stats and the shop.
#include "tests/world/script/talk_media_test_util.h"

namespace {

constexpr uint16_t kSword = 10, kShield = 11, kHerb = 12, kFire = 20, kIce = 21, kBolt = 22, kMissing = 99;

class PartyTest : public TalkMediaTest {
protected:
    void SetUp() override {
        TalkMediaTest::SetUp();
        WriteMon({{kSword, Item("sword")},
                  {kShield, Item("shield")},
                  {kHerb, Item("herb")},
                  {kFire, ObjectRecordBytes("fire", 0xF0000000u, {})},   // every member
                  {kIce, ObjectRecordBytes("ice", 0x40000000u, {})},     // member 1 only
                  {kBolt, ObjectRecordBytes("bolt", 0x80008000u, {})}}); // member 0; "new" mark
    }
    static int BagCount(uint16_t id) {
        for (ItemRecord* n = gInventory; n; n = n->next)
            if (n->id == id) return n->count + n->newCount;
        return 0;
    }
};

TEST_F(PartyTest, AddItemGivesAndTakesButNeverThePlaceholder) {
    EXPECT_EQ(Run("additem 10 3"), TalkStep::kYield);
    EXPECT_EQ(BagCount(kSword), 3);
    EXPECT_EQ(Run("additem 10 -1"), TalkStep::kYield);
    EXPECT_EQ(BagCount(kSword), 2);
    EXPECT_EQ(Run("additem 65500 1"), TalkStep::kYield);
    EXPECT_EQ(Run("additem 0 1"), TalkStep::kYield);
    EXPECT_EQ(BagCount(kPlaceholderItem), 0);
    EXPECT_EQ(BagCount(0), 0);
}

TEST_F(PartyTest, ItemJumps) {
    AddItem(&gInventory, kSword, 2, kAddCount);
    gMemberEquip[1][3] = NewItemNode(kShield);
    gMemberEquip[1][3]->count = 1;
    struct Case {
        const char* code;
        bool jumps;
    } cases[] = {
        {"ifitem 10 far", true},       {"ifitem 11 far", true},          {"ifitem 12 far", false},
        {"ifnoitem 10 far", false},    {"ifnoitem 12 far", true},        {"ifequipped 11 far", true},
        {"ifequipped 10 far", false},  {"ifnotequipped 10 far", true},   {"ifnotequipped 11 far", false},
        {"ifitemcount 10 2 far", true}, {"ifitemcount 10 3 far", false}, {"ifitemcount 11 1 far", true},
        {"ifitemcount 12 0 far", false},  // nowhere: never
        {"ifitemcount 12 -5 far", false},
        {"ifitemfew 12 0 far", true},     // nowhere: always
        {"ifitemfew 12 -5 far", true},
        {"ifitemfew 10 2 far", true},   {"ifitemfew 10 1 far", false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Load(std::string(c.code) + "\nfar:\nend"));
        const uint32_t target = TargetAt(TalkInstrLength(gTalkMachine.window, kTalkWindowBytes, 0) - 4);
        gTalkContext.talkWindowBase = 1;
        const TalkStep step = RunTalkInstrAt(0);
        EXPECT_EQ(step, c.jumps ? TalkStep::kJump : TalkStep::kContinue) << c.code;
        if (c.jumps) {
            EXPECT_EQ(gTalkContext.talkWindowBase, target) << c.code;
        }
    }
}

TEST_F(PartyTest, LearningAMagicAppendsIt) {
    ASSERT_EQ(Run("learnmagic 0 22"), TalkStep::kContinue);
    ASSERT_NE(gMagicLists[0], nullptr);
    EXPECT_EQ(gMagicLists[0]->id, kBolt);
    EXPECT_EQ(gMagicLists[0]->obj.typeBits & kObjNewMark, 0u);  // its "new" mark is cleared
    ASSERT_EQ(Run("learnmagic 0 20"), TalkStep::kContinue);
    EXPECT_EQ(gMagicLists[0]->id, kBolt);  // the first magic stays first
    ASSERT_NE(gMagicLists[0]->next, nullptr);
    EXPECT_EQ(gMagicLists[0]->next->id, kFire);
    ASSERT_EQ(Run("learnmagic 0 20"), TalkStep::kContinue);  // known: nothing more
    EXPECT_EQ(gMagicLists[0]->next->next, nullptr);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

TEST_F(PartyTest, LearningRefusals) {
    struct Case {
        const char* code;
        int member;
        size_t boxes;
    } cases[] = {
        {"learnmagic 4 20", -1, 1},  // no fifth member
        {"learnmagic 0 21", 0, 1},   // not for member 0: shown and taken away
        {"learnmagic 2 99", 2, 0},   // no record: nothing added, nothing marked
        {"learnmagic 1 0", 1, 0},
    };
    for (const Case& c : cases) {
        FreeItemLists();
        ResetErrorBoxes();
        const size_t before = HeadlessMessageBoxes().size();
        EXPECT_EQ(Run(c.code), TalkStep::kContinue) << c.code;
        EXPECT_EQ(HeadlessMessageBoxes().size() - before, c.boxes) << c.code;
        if (c.member >= 0) {
            EXPECT_EQ(gMagicLists[c.member], nullptr) << c.code;
        }
    }
    EXPECT_EQ(Run("learnmagic 1 21"), TalkStep::kContinue);
    ASSERT_NE(gMagicLists[1], nullptr);
    EXPECT_EQ(gMagicLists[1]->id, kIce);
}

TEST_F(PartyTest, EquippingSwapsWithTheBag) {
    AddItem(&gInventory, kSword, 2, kAddCount);
    AddItem(&gInventory, kShield, 1, kAddNew);  // only a new count
    gMemberEquip[0][2] = NewPlaceholderItem();
    ASSERT_EQ(Run("equip 0 2 10"), TalkStep::kContinue);
    ASSERT_NE(gMemberEquip[0][2], nullptr);
    EXPECT_EQ(gMemberEquip[0][2]->id, kSword);
    EXPECT_EQ(gMemberEquip[0][2]->count, 1);
    EXPECT_EQ(gMemberEquip[0][2]->newCount, 0);
    EXPECT_STREQ(gMemberEquip[0][2]->obj.name, "sword");
    EXPECT_EQ(BagCount(kSword), 1);
    EXPECT_EQ(BagCount(kPlaceholderItem), 0);  // the empty slot's placeholder goes nowhere
    ASSERT_EQ(Run("equip 0 2 11"), TalkStep::kContinue);
    EXPECT_EQ(gMemberEquip[0][2]->id, kShield);
    EXPECT_EQ(BagCount(kShield), 0);
    EXPECT_EQ(BagCount(kSword), 2);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

TEST_F(PartyTest, EquippingRefusals) {
    AddItem(&gInventory, kSword, 1, kAddCount);
    for (const char* code : {"equip 4 0 10", "equip 0 12 10", "equip 0 0 12", "equip 0 0 65500"}) {
        ResetErrorBoxes();
        const size_t before = HeadlessMessageBoxes().size();
        EXPECT_EQ(Run(code), TalkStep::kContinue) << code;
        EXPECT_EQ(HeadlessMessageBoxes().size() - before, 1u) << code;
    }
    EXPECT_EQ(BagCount(kSword), 1);
    for (auto& member : gMemberEquip)
        for (ItemRecord* slot : member) EXPECT_EQ(slot, nullptr);
}

TEST_F(PartyTest, HealingKeepsGaugesInRange) {
    SetFlag(30);
    SetFlag(31);
    gMemberStats[1].gauge[0] = 50;
    MemberStats& m = gMemberStats[0];
    m.gaugeMax[0] = 100, m.gaugeMax[1] = 40, m.gaugeMax[2] = 30;
    m.gauge[0] = 10, m.gauge[1] = 10, m.gauge[2] = 10;
    m.status = 0x0102;
    ASSERT_EQ(Run("heal 1 500 -50 5"), TalkStep::kContinue);
    EXPECT_EQ(m.gauge[0], 100);
    EXPECT_EQ(m.gauge[1], 0);
    EXPECT_EQ(m.gauge[2], 15);
    EXPECT_EQ(m.status, 0);
    ASSERT_EQ(Run("heal 1 -32768 0 0"), TalkStep::kContinue);  // member 2 still stands
    EXPECT_EQ(m.gauge[0], 0);
    EXPECT_EQ(m.status, kStatusDown);
    EXPECT_EQ(gMenuRequest, 0u);
    for (const char* code : {"heal 0 1 1 1", "heal 5 1 1 1"}) {
        ResetErrorBoxes();
        const size_t before = HeadlessMessageBoxes().size();
        EXPECT_EQ(Run(code), TalkStep::kContinue) << code;
        EXPECT_EQ(HeadlessMessageBoxes().size() - before, 1u) << code;
    }
}

TEST_F(PartyTest, TheLastStandingMemberDownAsksForTheGameOverPage) {
    SetFlag(30);
    gMemberStats[0].gaugeMax[0] = 100;
    gMemberStats[0].gauge[0] = 20;
    gMemberStats[2].gauge[0] = 90;  // not in the party
    ASSERT_TRUE(Load("heal 1 -20 0 0\nsetflag 5"));
    const uint16_t next = WordAt(10);
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kYield);
    EXPECT_EQ(gMenuRequest, 0x80000004u);
    EXPECT_EQ(WordAt(10), next);  // the next instruction is left as it is
    EXPECT_EQ(WordAt(12), 5);
}

TEST_F(PartyTest, StatJumpsReadPartyRecordOne) {
    gMemberStats[1].stat[0] = 50;   // stat 6
    gMemberStats[0].stat[0] = 500;  // not read
    struct Case {
        const char* code;
        bool jumps;
    } cases[] = {
        {"ifstatlt 6 51 far", false}, {"ifstatlt 6 50 far", true}, {"ifstatgt 6 49 far", false},
        {"ifstatgt 6 50 far", true},  {"ifstatlt 17 1 far", false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Load(std::string(c.code) + "\nfar:\nend"));
        const TalkStep step = RunTalkInstrAt(0);
        if (std::string(c.code).find(" 17 ") != std::string::npos) {
            EXPECT_EQ(step, TalkStep::kFail);
            continue;
        }
        EXPECT_EQ(step, c.jumps ? TalkStep::kJumpYield : TalkStep::kContinue) << c.code;
    }
    EXPECT_EQ(HeadlessMessageBoxes().size(), 1u);
}

TEST_F(PartyTest, StatChangesKeepEachFieldInItsRange) {
    MemberStats& m = gMemberStats[1];
    m.gaugeMax[0] = 300;
    struct Case {
        const char* code;
        int field;
        int64_t expected;
    } cases[] = {
        {"setstat 6 -1", 6, 0},          {"setstat 6 32767", 6, 32767},   {"addstat 6 32767", 6, 65534},
        {"addstat 6 32767", 6, 65535},   {"substat 6 -32768", 6, 65535},  {"substat 7 5", 7, 0},
        {"setstat 0 1000", 0, 300},      {"substat 0 400", 0, 0},         {"addstat 3 32767", 3, 32767},
        {"setstat 15 -5", 15, 0},        {"addstat 15 100", 15, 100},     {"setstat 16 200", 16, 99},
        {"substat 16 500", 16, 0},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Run(c.code), TalkStep::kContinue) << c.code;
        const int32_t v = GetMemberStat(c.field, 1);
        EXPECT_EQ(c.field == 15 ? int64_t(uint32_t(v)) : int64_t(v), c.expected) << c.code;
    }
    EXPECT_EQ(Run("setstat 40 1"), TalkStep::kFail);
    EXPECT_EQ(HeadlessMessageBoxes().size(), 1u);
}

TEST_F(PartyTest, TheShopListHoldsAtMost127Ids) {
    std::string ids;
    for (int i = 1; i <= 127; ++i) ids += " " + std::to_string(i);
    ASSERT_EQ(Run("shop" + ids), TalkStep::kYield);
    ASSERT_NE(gShopStockIds, nullptr);
    for (int i = 0; i < 127; ++i) EXPECT_EQ(gShopStockIds[i], i + 1);
    EXPECT_EQ(gShopStockIds[127], 0);
    EXPECT_EQ(gMenuRequest, 0x80000002u);
    for (int i = 128; i <= 140; ++i) ids += " " + std::to_string(i);
    ASSERT_EQ(Run("shop" + ids), TalkStep::kYield);  // the old list is freed, the rest cut
    EXPECT_EQ(gShopStockIds[126], 127);
    EXPECT_EQ(gShopStockIds[127], 0);
}

} // namespace
