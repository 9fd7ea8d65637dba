// A waiting role on screen: the shown numbers as drawn, the wait act it
// chooses, the block banner, the action timer, the fades and the teleport
// halves, asserted through the draw and sound recorders.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "battle/battle_state.h"
#include "battle/hud/accumulator.h"
#include "battle/role/mon_battle.h"
#include "draw/screenshot.h"
#include "tests/battle/role/role_screen_fixture.h"

namespace {

using RoleScreen = RoleScreenTest;

void Show(Role& r, uint16_t sprite, int16_t amount) {
    r.PushShownNumber(sprite);
    r.SetDamageDigits(amount);
    r.CommitShownNumber(1);
}

// ---- Shown numbers as drawn ----

TEST_F(RoleScreen, AShownNumberDrawsItsDigitsWithoutLeadingZeros) {
    const struct {
        int16_t amount;
        const char* digits;
    } cases[] = {{0, "0"}, {7, "7"}, {40, "40"}, {1005, "1005"}, {-250, "250"}, {9999, "9999"}, {12000, "9999"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.amount);
        MonRole& e = PlacedEnemy(0, 200, 300);
        e.ResetRoleForBattle();
        e.side = 0;
        e.SetRolePos(200, 300);
        Show(e, 9097, c.amount);
        DrawRecorder drawn;
        e.StepShownNumbers();
        EXPECT_EQ(drawn.Digits(9097), c.digits);
        // The ones always at x + 32; the first frame draws at y - 30, the
        // next raises the first digit by the bounce (12).
        const auto calls = drawn.Of(9097);
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back().x, 200 + 32);
        EXPECT_EQ(calls.front().y, 300 - 30);
        drawn.Clear();
        e.StepShownNumbers();
        EXPECT_EQ(drawn.Of(9097).front().y, 300 - 30 - 12);
    }
}

// The 36th number of one action is written over the 35th: the list never
// shows more than 35 entries, and the last shown is the newest.
TEST_F(RoleScreen, TheListShowsThirtyFiveNumbersAtMost) {
    MonRole& e = PlacedEnemy(0, 300, 300);
    for (int i = 1; i <= 36; ++i) Show(e, 9097, int16_t(i));
    DrawRecorder drawn;
    e.StepShownNumbers();
    // 34 entries 1..34 and the 35th slot holding 36: 35 ones digits.
    size_t ones = 0;
    for (const DrawCallInfo& c : drawn.Of(9097)) ones += c.x == 300 + 32;
    EXPECT_EQ(ones, 35u);
    EXPECT_EQ(e.shown[34].Amount(), 36);
    const int frames = 1 + Run([&] { return e.StepShownNumbers(); }, 500);
    EXPECT_GT(frames, 1);
    EXPECT_EQ(e.shownCursor, 0);
}

// A cancelled number subtracts once, however often it is cancelled, and it
// shows as 0 afterwards.
TEST_F(RoleScreen, ACancelledNumberIsTakenOffTheTotalOnce) {
    ManRole& m = PlacedMember(0, 500, 300);
    m.statusDword = 0x8;
    SetAccumulatorCap(100000);
    AddToAccumulator(1500);
    Show(m, 9097, 1005);
    EXPECT_EQ(m.CancelLastShownNumber(), 1u);
    EXPECT_EQ(m.CancelLastShownNumber(), 0u);  // the window is spent: nothing more taken
    EXPECT_EQ(gAccumTotal, 495);
    DrawRecorder drawn;
    m.StepShownNumbers();
    EXPECT_EQ(drawn.Digits(9097), "0");
}

// The edges of the list: the entry being prepared (pushed, not committed)
// is not drawn; a cancel after the list emptied takes nothing back and reads
// no entry before the first; the repeat's extra entry with all 35 in use is
// not written past the list; a resist-all counter of 0 ends at the first
// resisted hit.
TEST_F(RoleScreen, TheListsEdgesStayInsideIt) {
    {
        SCOPED_TRACE("prepared");
        MonRole& e = PlacedEnemy(0, 300, 300);
        Show(e, 9097, 12);
        e.PushShownNumber(9097);
        e.SetDamageDigits(777);
        DrawRecorder drawn;
        e.StepShownNumbers();
        EXPECT_EQ(drawn.Digits(9097), "12");
    }
    {
        SCOPED_TRACE("cancel after the list emptied");
        ManRole& m = PlacedMember(0, 500, 300);
        m.statusDword = 0x8;
        SetAccumulatorCap(100000);
        AddToAccumulator(500);
        Show(m, 9097, 120);
        EXPECT_GT(Run([&] { return m.StepShownNumbers(); }, 500), 0);
        ASSERT_EQ(m.shownCursor, 0);
        EXPECT_EQ(m.CancelLastShownNumber(), 0u);
        EXPECT_EQ(gAccumTotal, 500);
    }
    {
        SCOPED_TRACE("repeat with the list full");
        MonRole& e = PlacedEnemy(1, 300, 300);
        for (int i = 1; i <= kShownNumbers; ++i) Show(e, 9097, int16_t(i));
        e.numberRepeat = 1;
        gBattle.repeatDigits[3] = 7;
        EXPECT_GT(Run([&] { return e.StepShownNumbers(); }, 2000), 0);
        EXPECT_EQ(e.shownCursor, 0);
        EXPECT_EQ(e.numberRepeat, 0u);
    }
    {
        SCOPED_TRACE("resist-all counter 0");
        ManRole& m = PlacedMember(1, 500, 300);
        m.effectBits = kEffectResistAll;
        m.resistAllHits = 0;
        m.PushShownNumber(9097);
        m.SetDamageDigits(100);
        EXPECT_EQ(m.effectBits & kEffectResistAll, 0u);
        EXPECT_EQ(m.shown[m.shownCursor].digit[1], 0);
        m.SetDamageDigits(100);  // the next hit shows
        EXPECT_EQ(m.shown[m.shownCursor].digit[1], 1);
    }
}

// ---- The wait act ----

TEST_F(RoleScreen, TheWaitActRulesApplyInOrder) {
    struct Case {
        const char* name;
        void (*set)(Role&);
        uint16_t sprite;
        int32_t act;
    };
    const Case cases[] = {
        {"plain", [](Role&) {}, kRoleSprite, 36},
        {"spirit dawdles", [](Role& r) { r.spiritEvents = 0x1; }, kRoleSprite, 37},
        {"weak pose", [](Role& r) { r.status = kStatusWeakened; }, 250, 36},
        {"low life", [](Role& r) { r.baseStats->gauge[0] = 125; }, kRoleSprite, 37},
        {"timer runs over low life",
         [](Role& r) {
             r.baseStats->gauge[0] = 100;
             r.actionTimerRunning = 1;
         },
         kRoleSprite, 45},
        {"out", [](Role& r) { r.out = 1; }, kRoleSprite, 39},
        {"scripted", [](Role& r) { r.scriptAct = 60; }, kRoleSprite, 60},
        {"acted", [](Role& r) { r.acted = 1; }, kRoleSprite, 44},
        {"acted with a cast act", [](Role& r) { r.acted = 1; r.actParam = 47; }, kRoleSprite, 47},
        {"acted, flag 0x20", [](Role& r) { r.acted = 1; r.actionFlags = 0x20; }, kRoleSprite, 52},
        {"acted, flag 0x08", [](Role& r) { r.acted = 1; r.actionFlags = 0x08; }, kRoleSprite, 49},
        {"acted, flag 0x02: nothing", [](Role& r) { r.acted = 1; r.actionFlags = 0x02; }, kRoleSprite, 0},
        {"acted, timer still running", [](Role& r) { r.acted = 1; r.actionTimerRunning = 1; }, kRoleSprite, 45},
        {"wait state 2 over all", [](Role& r) { r.scriptAct = 60; r.waitState = 2; }, kRoleSprite, 56},
        {"wait state 4", [](Role& r) { r.waitState = 4; }, kRoleSprite, 55},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gManRoles[0].ResetRoleForBattle();
        ManRole& m = PlacedMember(0, 500, 300);
        c.set(m);
        uint16_t sprite = 0;
        int32_t act = -1;
        m.ChooseWaitAct(&sprite, &act);
        EXPECT_EQ(sprite, c.sprite);
        EXPECT_EQ(act, c.act);
    }
}

// The waiting role: its shadow (a quarter of its height, a third lower),
// then its frame at its point less the hot spot, mirrored on the party side.
TEST_F(RoleScreen, AWaitingRoleDrawsItsShadowThenItsFrame) {
    ManRole& m = PlacedMember(0, 500, 300);
    MonRole& e = PlacedEnemy(0, 100, 280);
    DrawRecorder drawn;
    m.DrawRoleWait(0);
    e.DrawRoleWait(0);
    const auto calls = drawn.Of(1);
    ASSERT_EQ(calls.size(), 4u);
    // Party: mirrored, the hot spot measured from the right edge.
    EXPECT_EQ(calls[0].flags & 0x3C, 12u);
    EXPECT_EQ(calls[0].y, 300 - kHotY + kFrameH / 3);
    EXPECT_EQ(calls[0].tintRed, -6);
    EXPECT_EQ(calls[1].x, 500 - (kFrameW - kHotX));
    EXPECT_EQ(calls[1].y, 300 - kHotY);
    EXPECT_EQ(calls[1].flags & kFlagMirror, kFlagMirror);
    // Enemy: not mirrored.
    EXPECT_EQ(calls[3].x, 100 - kHotX);
    EXPECT_EQ(calls[3].flags & kFlagMirror, 0u);
    EXPECT_EQ(Pixel(500 - (kFrameW - kHotX) + 1, 300 - 2), kScreenRed);
    EXPECT_EQ(m.picture, GetTswPicture(1, 0));
}

// A wait act that cannot be played is reported once, not every frame.
TEST_F(RoleScreen, AMissingWaitActIsReportedOnce) {
    MonRole& e = PlacedEnemy(0, 100, 280);
    e.scriptAct = 90;  // no such act
    for (int frame = 0; frame < 20; ++frame) e.DrawRoleWait(0);
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_EQ(HeadlessMessageBoxes()[0].caption, "Wait Act");
}

// ---- Hit reactions ----

std::vector<int32_t> PlainXs(const DrawRecorder& d) {
    std::vector<int32_t> xs;
    for (const DrawCallInfo& c : d.Of(1))
        if ((c.flags & 0x3C) == 0) xs.push_back(c.x);
    return xs;
}

// A hit recoils the role by the dodge table (an enemy to the left) until its
// act ends; the hurt mark is then cleared.
TEST_F(RoleScreen, AHitRecoilsByTheDodgeTable) {
    MonRole& e = PlacedEnemy(0, 200, 300);
    e.state |= kStateHurt;
    DrawRecorder drawn;
    for (int frame = 0; frame < 5; ++frame) e.DrawRoleWait(0);
    EXPECT_EQ(PlainXs(drawn), (std::vector<int32_t>{200 - 20 - kHotX, 200 - 35 - kHotX, 200 - 42 - kHotX,
                                                    200 - kHotX, 200 - kHotX}));
    EXPECT_EQ(e.IsHurtMarked(), 0u);
    EXPECT_TRUE(e.acts[kActSecond].Empty());
}

// A recoil whose act never ends (it loops) still ends after 90 frames, its
// dodge and weak-pose tables read inside their bounds every frame (the
// sanitizer run checks), with the weak pose's second copy drawn each frame.
TEST_F(RoleScreen, ALoopingRecoilEndsAndKeepsToItsTables) {
    Acts({{36, "SD 0 XY 4 40 RF 1 PA 0 ED OV"}, {58, "SD 0 XY 4 40 RF 1 PA 0 ED PA 1 ED OV"}});
    MonRole& e = PlacedEnemy(0, 200, 300);
    e.weakened = 1;
    e.state |= kStateHurt;
    DrawRecorder drawn;
    const int frames = Run([&] {
        e.DrawRoleWait(0);
        return e.IsHurtMarked() == 0 ? 1 : 0;
    }, 500);
    EXPECT_EQ(frames, 90);
    size_t weak = 0;
    for (const DrawCallInfo& c : drawn.Of(1)) weak += (c.flags & 0x3C) == 16 && c.tintRed == 15;
    EXPECT_EQ(weak, 90u);
    EXPECT_TRUE(e.acts[kActSecond].Empty());
}

// The appearing half whose fade act cannot be set shows "Fade Act" once and
// ends, rather than boxing every frame.
TEST_F(RoleScreen, AnAppearingHalfWithoutItsActIsReportedOnceAndEnds) {
    MonRole& e = PlacedEnemy(0, 200, 300);
    ManRole& m = PlacedMember(0, 500, 300);
    e.spriteSet = 9;  // no such sprite set
    e.appearCounter = 1;
    const size_t boxes = Boxes();
    EXPECT_EQ(e.RoleAppear(&m), 1u);
    EXPECT_EQ(Boxes(), boxes + 1);
    EXPECT_EQ(e.RoleAppear(&m), 1u);
    EXPECT_EQ(Boxes(), boxes + 1);
}

// A blocked hit slides the party role back 8 pixels a step for six steps
// with sound 5 panned to its side, and ends once the banner has gone.
TEST_F(RoleScreen, ABlockedHitSlidesBackAndEndsAfterTheBanner) {
    ManRole& m = PlacedMember(0, 500, 300);
    m.state |= kStateBlocking;
    m.status |= kStatusBanner;
    SoundRecorder heard;
    DrawRecorder drawn;
    int frames = 0;
    while ((m.state & kStateBlocking) && frames < 200) {
        m.DrawRoleWait(0);
        ++frames;
    }
    EXPECT_GE(frames, 16);  // not before the banner's 16 frames
    EXPECT_LE(frames, 90);
    ASSERT_EQ(heard.Count(5), 1);
    EXPECT_EQ(heard.Last(5)->pan, 48);
    const std::vector<int32_t> xs = PlainXs(drawn);
    ASSERT_GE(xs.size(), 7u);
    for (int k = 0; k < 7; ++k) EXPECT_EQ(xs[size_t(k)], 500 + 8 * std::min(k + 1, 6) - (kFrameW - kHotX)) << k;
    EXPECT_EQ(m.acting, 0u);
    EXPECT_EQ(m.status & kStatusBanner, 0);
}

// ---- The block banner ----

TEST_F(RoleScreen, TheBlockBannerPopsRisesAndEnds) {
    MonRole& e = PlacedEnemy(0, 200, 300);
    e.status = kStatusBanner;
    e.scriptAct = 60;
    DrawRecorder drawn;
    EXPECT_EQ(e.DrawStatusBanner(), 0u);
    const auto first = drawn.Of(9072);
    ASSERT_EQ(first.size(), 4u);
    const int xs[4] = {-20, -2, 10, 26};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(first[size_t(k)].frame, k);
        EXPECT_EQ(first[size_t(k)].x, 200 + xs[k]);
        EXPECT_EQ(first[size_t(k)].y, 300 - 20);
    }
    // 9 frames of popping (the first above), 6 of rising by 4, the end.
    EXPECT_EQ(1 + Run([&] { return e.DrawStatusBanner(); }), 16);
    EXPECT_EQ(e.status & kStatusBanner, 0);
    EXPECT_EQ(e.scriptAct, 0);
    EXPECT_EQ(e.DrawStatusBanner(), 0u);  // nothing without the status bit
}

// ---- The action timer ----

TEST_F(RoleScreen, TheActionTimerRunsOutWithoutWrapping) {
    const struct {
        uint16_t rate;
        int calls;
    } cases[] = {{1000, 3}, {2400, 1}, {3000, 1}, {65535, 1}, {7, 343}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        MonRole& e = PlacedEnemy(0, 200, 300);
        e.action.word24 = c.rate;
        e.StartActionTimer();
        EXPECT_EQ(Run([&] { return e.StepActionTimer(); }), c.calls);
        EXPECT_EQ(e.actionTimer, 0);
        EXPECT_EQ(e.actionTimerRunning, 0);
    }
    MonRole& e = PlacedEnemy(0, 200, 300);
    e.action.word24 = 0;
    e.actionTimerRunning = 1;
    EXPECT_EQ(e.StepActionTimer(), 1u);  // no rate: done at once
    EXPECT_EQ(e.actionTimerRunning, 0);  // and no longer running (no charging pose left)
    e.action.word24 = 10;
    e.StartActionTimer();
    e.commandChosen = 1;
    EXPECT_EQ(e.StepActionTimer(), 0u);
    EXPECT_EQ(e.actionTimer, 2400);
}

// ---- Fades and the teleport halves ----

TEST_F(RoleScreen, AFadeOutEndsFromAnOddLevel) {
    MonRole& e = PlacedEnemy(0, 200, 300);
    e.DrawRoleWait(0);
    for (int start : {0, -1, -31}) {
        SCOPED_TRACE(start);
        e.fadeLevel = start;
        const int frames = Run([&] { return e.FadeOutRoleFrame(0); }, 100);
        EXPECT_EQ(frames, (start + 32 + 1) / 2);
        EXPECT_EQ(e.fadeLevel, 0);
    }
}

TEST_F(RoleScreen, AFadeInRisesFromMinusThirtyTwoAndClearsItsStatus) {
    MonRole& e = PlacedEnemy(0, 200, 300);
    e.DrawRoleWait(0);
    e.SetRoleStatusBits(kStatusFadingIn);
    DrawRecorder drawn;
    EXPECT_EQ(Run([&] { return e.FadeInRoleFrame(); }, 100), 32);
    EXPECT_EQ(e.status & kStatusFadingIn, 0);
    EXPECT_EQ(e.fadeInLevel, 1);
    ASSERT_FALSE(drawn.calls.empty());
    EXPECT_EQ(drawn.calls.front().tintRed, -32);
}

// The appearing half: an enemy grows by its act-number slot a frame. A slot
// of 0 used to never appear, and 4 (1, 5, 9, 13, 17) never met "15".
TEST_F(RoleScreen, AnEnemyAppearsWhateverItsStep) {
    const struct {
        uint16_t step;
        int frames;
    } cases[] = {{1, 14}, {0, 14}, {4, 4}, {20, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        MonRole& e = PlacedEnemy(0, 100, 280);
        ManRole& m = PlacedMember(0, 500, 300);
        e.appearCounter = 1;
        e.SetRoleActNumberSlot(c.step);
        EXPECT_EQ(Run([&] { return e.RoleAppear(&m); }, 100), c.frames);
        EXPECT_TRUE(e.acts[kActFade].Empty());
        EXPECT_EQ(e.RoleAppear(&m), 1u);  // stays appeared
    }
}

TEST_F(RoleScreen, TheVanishingHalfPlaysItsSoundOnceAndEnds) {
    ManRole& m = PlacedMember(0, 500, 300);
    SoundRecorder heard;
    DrawRecorder drawn;
    EXPECT_EQ(Run([&] { return m.RoleVanish(); }, 100), 15);
    ASSERT_EQ(heard.Count(667), 1);
    EXPECT_EQ(heard.Last(667)->pan, 48);  // the party side: 48 right
    EXPECT_EQ(heard.Last(667)->volume, int(gSfxVolume));
    EXPECT_EQ(drawn.Count(1), 15u);
    EXPECT_EQ(m.RoleVanish(), 1u);
}

// ---- Tints and the aura ----

// The pulse rises a step a frame from 2 to 24, falls back to 0 and starts
// again; it lights two channels. The status tint is the same pulse on red
// only, for a role whose trigger fired, and not while the trigger shows.
TEST_F(RoleScreen, ThePulseAndTheStatusTintRiseAndFall) {
    MonRole& e = PlacedEnemy(0, 200, 300);
    e.DrawRoleWait(0);
    DrawRecorder drawn;
    std::vector<int32_t> reds;
    for (int k = 0; k < 50; ++k) {
        drawn.Clear();
        ASSERT_EQ(e.StepPulse(), 1u);
        ASSERT_EQ(drawn.calls.size(), 1u);
        EXPECT_EQ(drawn.calls[0].tintGreen, drawn.calls[0].tintRed);
        EXPECT_EQ(drawn.calls[0].tintBlue, 0);
        reds.push_back(drawn.calls[0].tintRed);
    }
    EXPECT_EQ(reds[0], 2);
    EXPECT_EQ(reds[21], 23);
    EXPECT_EQ(reds[22], 24);
    EXPECT_EQ(reds[46], 0);
    EXPECT_EQ(reds[47], 2);  // the step starts again at 2
    EXPECT_EQ(reds[48], 3);

    EXPECT_EQ(e.StepStatusTint(), 0u);  // the trigger has not fired
    e.state |= kStateTriggerFired;
    gMonBattle.triggerDisplay = 1;
    EXPECT_EQ(e.StepStatusTint(), 0u);
    gMonBattle.triggerDisplay = 0;
    drawn.Clear();
    EXPECT_EQ(e.StepStatusTint(), 1u);
    ASSERT_EQ(drawn.calls.size(), 1u);
    EXPECT_EQ(drawn.calls[0].tintGreen, 0);
    EXPECT_EQ(drawn.calls[0].tintBlue, 0);
    e.effectBits = kEffectStone;
    EXPECT_EQ(e.StepStatusTint(), 0u);
}

// The aura of a role turning invisible: 24 frames of a fading copy, then
// the effect bit, the status bits cleared and 0.
TEST_F(RoleScreen, TheAuraEndsInInvisibility) {
    MonRole& e = PlacedEnemy(0, 200, 300);
    e.DrawRoleWait(0);
    e.status |= kStatusInvisible;
    DrawRecorder drawn;
    int frames = 0;
    while (e.DrawRoleAura(0) == 1 && frames < 100) ++frames;
    EXPECT_EQ(frames, 24);
    EXPECT_TRUE(e.effectBits & kEffectInvisible);
    EXPECT_EQ(e.status & kStatusInvisible, 0);
    // Each frame: the scaled copy (-1), then the frame at 15 - n / 2.
    ASSERT_EQ(drawn.Count(1), 48u);
    EXPECT_EQ(drawn.calls[1].tintRed, 15);
    EXPECT_EQ(drawn.calls[47].tintRed, 15 - 23 / 2);
}

// ---- A look at the screen ----

// Draws a frame of a battle with a role waiting, a banner and a number and
// writes it as a BMP under the test folder, for a person to look at; the
// test checks the file was written and the frame is where it should be.
TEST_F(RoleScreen, AFrameOfRolesCanBeSavedToLookAt) {
    ManRole& m = PlacedMember(0, 500, 300);
    MonRole& e = PlacedEnemy(0, 140, 280);
    e.status = kStatusBanner;
    Show(e, 9097, 1005);
    for (int frame = 0; frame < 3; ++frame) {
        Fill(kScreenGround);
        m.DrawRoleWait(0);
        e.DrawRoleWait(0);
        e.StepShownNumbers();
    }
    const std::string path = install_ / "roles.bmp";
    ASSERT_EQ(SaveScreenShot(gBackPixels, 640, 480, path.c_str()), 1);
    EXPECT_FALSE(install_.ReadFile("roles.bmp").empty());
    EXPECT_NE(Pixel(140 - kHotX + 2, 280 - 2), kScreenGround);
    if (const char* keep = std::getenv("KYV_KEEP_FRAMES")) SaveScreenShot(gBackPixels, 640, 480, keep);
}

}  // namespace
