// The battle field's tint ramps over a grey field, frame by frame as the
// battle frame steps them, and the view pan's inert entry points.
#include "battle/screen/battle_tint.h"

#include <optional>
#include <vector>

#include "battle/role/roles.h"
#include "battle_screen_fixture.h"

namespace {

// The field's grey with the top bit set: the bit lies outside the colour
// fields, and adding an offset (even 0) clears it, so a pixel that keeps it
// was not touched.
constexpr uint16_t kMark = 0x8000;

class BattleTintTest : public BattleScreenTest {
protected:
    static uint16_t Grey() { return static_cast<uint16_t>(Rgb(8, 8, 8) | kMark); }

    // Per frame, on a fresh grey field: the offsets (red, green, blue) the
    // battle frame's late step applied, or nothing when it left the field
    // untouched. The corners of the field agree, and the HUD below is never
    // touched.
    struct Applied {
        int r, g, b;
        bool operator==(const Applied&) const = default;
    };
    static std::optional<Applied> Frame() {
        Fill(Grey());
        FadeBackBattleTint();
        StepBattleTint(1);
        EXPECT_EQ(At(0, 384), Grey());
        EXPECT_EQ(At(639, 479), Grey());
        const uint16_t p = At(0, 0);
        EXPECT_EQ(At(639, 383), p);
        EXPECT_EQ(At(320, 200), p);
        if (p == Grey()) return std::nullopt;
        return Applied{Red(p) - 8, Green(p) - 8, Blue(p) - 8};
    }
    static std::vector<std::optional<Applied>> Frames(int n) {
        std::vector<std::optional<Applied>> out;
        for (int i = 0; i < n; ++i) out.push_back(Frame());
        return out;
    }
    static std::vector<std::optional<Applied>> Reds(std::initializer_list<int> reds, int untouched) {
        std::vector<std::optional<Applied>> out;
        for (int r : reds) out.push_back(Applied{r, 0, 0});
        for (int i = 0; i < untouched; ++i) out.push_back(std::nullopt);
        return out;
    }
};

TEST_F(BattleTintTest, WithoutARampTheFieldIsUntouched) {
    EXPECT_EQ(Frames(5), Reds({}, 5));
}

// 0 -> 20 over four frames, held, then faded back over eight frames: the
// fade-back's last step applies 0 once more as the ramp runs out, then the
// tint stops.
TEST_F(BattleTintTest, RampHoldsThenFadesBackAndStops) {
    StartBattleTint(0, 0, 0, 20, 0, 0, 4);
    EXPECT_EQ(gBattleTint.step[0], 5.0f);
    EXPECT_EQ(Frames(7), Reds({5, 10, 15, 20, 20, 20, 20}, 0));

    StartBattleTint(0, 0, 0, 20, 0, 0, 4);
    gTintFadeBack = 1;
    EXPECT_EQ(Frames(15), Reds({5, 10, 15, 20, 17, 15, 12, 10, 7, 5, 2, 0, 0}, 2));
    EXPECT_EQ(gTintFadeBack, 0);
    EXPECT_EQ(gBattleTint.step[0], 0.0f);
}

TEST_F(BattleTintTest, OffsetsSaturateEachChannel) {
    StartBattleTint(0, 0, 0, -20, 0, 40, 1);
    const auto first = Frame();
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, (Applied{-8, 0, 23}));  // red at 0, blue at full
    EXPECT_EQ(Frame(), first);                 // held
}

// The step is worked out from the start truncated toward zero; the current
// value keeps the fraction.
TEST_F(BattleTintTest, FractionalStartKeepsItsFraction) {
    StartBattleTint(2.5f, -2.5f, 0, 10, -10, 0, 2);
    EXPECT_EQ(gBattleTint.step[0], 4.0f);
    EXPECT_EQ(gBattleTint.step[1], -4.0f);
    EXPECT_EQ(Frames(3), (std::vector<std::optional<Applied>>{Applied{6, -6, 0}, Applied{10, -8, 0},
                                                               Applied{10, -8, 0}}));
    EXPECT_EQ(gBattleTint.current[0], 10.5f);
}

// A count of frames below 1 would divide by zero (or end before it began):
// it is refused and the running ramp goes on.
TEST_F(BattleTintTest, ZeroOrNegativeFramesAreRefused) {
    StartBattleTint(0, 0, 0, 0, 0, 30, 0);
    StartBattleTint(0, 0, 0, 0, 0, 30, -3);
    EXPECT_EQ(gBattleTint.framesLeft, -1);
    EXPECT_EQ(Frames(2), Reds({}, 2));

    StartBattleTint(0, 0, 0, 8, 0, 0, 2);
    EXPECT_EQ(Frame(), (Applied{4, 0, 0}));
    StartBattleTint(0, 0, 0, 0, 0, 30, 0);
    EXPECT_EQ(Frames(2), Reds({8, 8}, 0));
}

// A ramp whose start equals its target has steps of 0; it still applies its
// value while it runs and ends, so a fade-back asked with it starts.
TEST_F(BattleTintTest, ARampThatStandsStillStillEnds) {
    StartBattleTint(12, 0, 0, 12, 0, 0, 3);
    gTintFadeBack = 1;
    EXPECT_EQ(Frames(14), Reds({12, 12, 12, 10, 9, 7, 6, 4, 3, 1, 0, 0}, 2));
    EXPECT_EQ(gTintFadeBack, 0);

    // Standing still at zero: nothing to see, but the ramp ends and the
    // fade-back flag is spent.
    StartBattleTint(0, 0, 0, 0, 0, 0, 2);
    gTintFadeBack = 1;
    Frames(12);
    EXPECT_EQ(gTintFadeBack, 0);
    EXPECT_LT(gBattleTint.framesLeft, 0);
    EXPECT_EQ(Frames(2), Reds({}, 2));
}

TEST_F(BattleTintTest, ANewRampReplacesTheRunningOneAtOnce) {
    StartBattleTint(0, 0, 0, 20, 0, 0, 4);
    Frames(2);
    StartBattleTint(0, 0, 0, 0, 9, 0, 3);
    EXPECT_EQ(Frames(4), (std::vector<std::optional<Applied>>{Applied{0, 3, 0}, Applied{0, 6, 0}, Applied{0, 9, 0},
                                                               Applied{0, 9, 0}}));
}

// The pan's switch is never on: the entry points record the request and
// nothing moves.
TEST_F(BattleTintTest, PanRequestsMoveNothing) {
    gPanStep = 7;
    gViewOffsetX = -12;
    StartViewFollow(1);
    EXPECT_EQ(gPanMode, kPanFollow);
    EXPECT_EQ(gPanSide, 1);
    StartViewRecentre(0);
    EXPECT_EQ(gPanMode, kPanRecentre);
    EXPECT_EQ(gPanSide, 0);
    EXPECT_EQ(PanBattleView(3, 200, 1), 0);
    EXPECT_EQ(gPanStep, 7);
    EXPECT_EQ(gViewOffsetX, -12);
    EXPECT_EQ(gPanEnabled, 0);
    ResetBattleServices();
    EXPECT_EQ(gPanMode, kPanOff);
    EXPECT_EQ(gPanStep, 0);
}

// With its switch on, the pan eases the view toward its aim, a quarter of
// the way a frame within 1..16 pixels, and carries every role's home along.
TEST_F(BattleTintTest, ThePanEasesTheViewFrameByFrame) {
    gBattleManCount = 1;
    gBattleMonCount = 2;
    gManRoles[0].MoveRole(500, 0);
    gMonRoles[1].MoveRole(100, 0);
    gPanEnabled = 1;
    const auto run = [](int frames) {
        std::vector<int> offsets;
        for (int f = 0; f < frames && PanBattleView(gPanRoleId, gPanTargetX, gPanSide) == 1; ++f)
            offsets.push_back(gViewOffsetX);
        return offsets;
    };
    struct Case {
        const char* what;
        int mode;
        int16_t targetX;
        std::vector<int> offsets;
    };
    const Case cases[] = {
        {"follow to x 440", kPanFollow, 440,
         {16, 32, 48, 64, 78, 88, 96, 102, 106, 109, 111, 113, 114, 115, 116, 117, 118, 119, 120}},
        {"recentre", kPanRecentre, 440, {104, 88, 72, 56, 42, 32, 24, 18, 14, 11, 9, 7, 6, 5, 4, 3, 2, 1, 0}},
        {"follow beyond the range", kPanFollow, 10, {-16, -32, -48, -64, -80, -96, -112, -124, -133, -139, -144,
                                                     -148, -151, -153, -154, -155, -156, -157, -158, -159, -160}},
    };
    for (const Case& c : cases) {
        gPanMode = c.mode;
        gPanSide = 1;
        gPanRoleId = 0;
        gPanTargetX = c.targetX;
        int16_t before, y, after;
        gManRoles[0].GetHomePos(&before, &y);
        const int from = gViewOffsetX;
        EXPECT_EQ(run(40), c.offsets) << c.what;
        EXPECT_EQ(gPanStep, 0) << c.what;
        gManRoles[0].GetHomePos(&after, &y);
        EXPECT_EQ(after - before, from - gViewOffsetX) << c.what;
    }
    int16_t x, y;
    gMonRoles[1].GetHomePos(&x, &y);
    EXPECT_EQ(x, 100 + 160);
}

TEST_F(BattleTintTest, ThePanStopsOnARoleOutsideItsList) {
    gBattleManCount = 1;
    gBattleMonCount = 2;
    gPanEnabled = 1;
    struct Case {
        int index;
        uint16_t side;
    };
    for (const Case c : {Case{1, 1}, Case{-1, 1}, Case{2, 0}, Case{30, 0}}) {
        HeadlessReset();
        gPanMode = kPanFollow;
        gViewOffsetX = 5;
        EXPECT_EQ(PanBattleView(c.index, 600, c.side), 0) << c.index;
        EXPECT_EQ(gPanMode, kPanOff) << c.index;
        EXPECT_EQ(gViewOffsetX, 5) << c.index;
        EXPECT_EQ(HeadlessTraces().size(), 1u) << c.index;
    }
    gPanMode = kPanFollow;
    EXPECT_EQ(PanBattleView(1, 600, 0), 1);
}

}  // namespace
