// The numbers shown above a role.
#include "battle/hud/accumulator.h"
#include "battle/screen/battle_messages.h"
#include "tests/battle/role/role_fixture.h"

namespace {

using ShownNumberTest = RoleTest;

void Show(Role& r, uint16_t sprite, int16_t amount) {
    r.PushShownNumber(sprite);
    r.SetDamageDigits(amount);
    r.CommitShownNumber(1);
}

TEST_F(ShownNumberTest, DigitsOfTheAmount) {
    MonRole& e = Enemy(0);
    const struct {
        int16_t amount;
        int16_t d[4];
    } cases[] = {{0, {0, 0, 0, 0}},     {1005, {1, 0, 0, 5}}, {-250, {0, 2, 5, 0}},
                 {12000, {9, 9, 9, 9}}, {-32768, {9, 9, 9, 9}}};
    for (const auto& c : cases) {
        e.shownCursor = 0;
        Show(e, 9097, c.amount);
        for (int k = 0; k < 4; ++k) EXPECT_EQ(e.shown[0].digit[k], c.d[k]) << c.amount;
    }
}

TEST_F(ShownNumberTest, TheThirtySixthNumberIsWrittenOverTheThirtyFifth) {
    MonRole& e = Enemy(0);
    for (int i = 0; i < 36; ++i) Show(e, 9097, int16_t(i));
    // All 35 entries are committed (the 35th is shown too); the 36th went
    // into the 35th's slot.
    EXPECT_EQ(e.shownCursor, kShownNumbers);
    EXPECT_EQ(e.shown[34].digit[3], 5);  // 35 written over 34's slot
    // A take-back never goes below the first entry.
    for (int i = 0; i < 50; ++i) e.CommitShownNumber(0);
    EXPECT_EQ(e.shownCursor, 0);
}

TEST_F(ShownNumberTest, TheListPlaysOutAndEmpties) {
    MonRole& e = Enemy(0);
    Show(e, 9097, 42);
    e.SetShownNumberDelay(0);
    Show(e, 9085, 7);
    int frames = 0;
    while (e.StepShownNumbers() == 0 && frames < 500) ++frames;
    EXPECT_LT(frames, 100);
    EXPECT_EQ(e.shownCursor, 0);
    EXPECT_EQ(e.numberPending, 0u);
    EXPECT_EQ(e.StepShownNumbers(), 0u);  // nothing pending
}

TEST_F(ShownNumberTest, ResistAllSwallowsHitsAndItsEndIsAnnounced) {
    ManRole& m = Member(0, 0);
    m.effectBits = kEffectResistAll;
    m.resistAllHits = 3;
    for (int hit = 0; hit < 3; ++hit) {
        m.PushShownNumber(9097);
        m.SetDamageDigits(100);
        EXPECT_EQ(m.shown[0].digit[1], 0) << "no digits for a resisted hit";
    }
    EXPECT_FALSE(m.effectBits & kEffectResistAll);
    EXPECT_NE(gBattleMsgs, nullptr);
    m.PushShownNumber(9085);  // healing is never resisted
}

TEST_F(ShownNumberTest, CancellingTwiceInOneWindowSubtractsOnce) {
    ManRole& m = Member(0, 0);
    m.statusDword = 0x8;
    SetAccumulatorCap(100000);
    AddToAccumulator(500);
    Show(m, 9097, 120);
    EXPECT_EQ(m.numberWindow, 2);
    EXPECT_EQ(m.CancelLastShownNumber(), 1u);
    EXPECT_EQ(gAccumTotal, 380);
    EXPECT_EQ(m.CancelLastShownNumber(), 0u);
    EXPECT_EQ(gAccumTotal, 380);
    // A closed window takes nothing back and closes for good.
    Show(m, 9097, 30);
    m.CloseCancelWindow();
    EXPECT_EQ(m.CancelLastShownNumber(), 0u);
    EXPECT_EQ(m.numberWindow, -1);
}

TEST_F(ShownNumberTest, AHitUnderDamageTransferStartsTheTransferInsteadOfANumber) {
    ManRole& m = Member(0, 0);
    m.effectBits = kEffectTransfer;
    Show(m, 9097, 60);
    EXPECT_EQ(m.shownCursor, 0);
    EXPECT_TRUE(m.state & kStateTransferAct);
}

}  // namespace
