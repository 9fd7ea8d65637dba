// The defeat display: each state's frames to the end on a 20 x 40 fixture
// frame, the unique enemy's burst with its sounds and the music, and the
// displays that end at once.
#include <algorithm>

#include "battle/battle_frame.h"
#include "battle/role/mon_record.h"
#include "draw/zoom_render.h"
#include "tests/battle/role/role_screen_fixture.h"

namespace {

class DefeatTest : public RoleScreenTest {
protected:
    MonRole& Defeated(uint8_t state, uint16_t sprite = kRoleSprite) {
        MonRole& e = PlacedEnemy(0, 200, 300);
        e.spriteSet = sprite;
        e.defeated = 1;
        e.defeatEffect = state;
        return e;
    }
    // Runs the display to its end; the calls it took.
    static int Frames(Role& r, int limit = 3000) {
        return Run([&] { return r.RunDefeatEffect(); }, limit);
    }
    static void ExpectLeft(const Role& r) {
        EXPECT_EQ(r.defeated, 0u);
        EXPECT_EQ(r.out, 1u);
        EXPECT_EQ(r.acting, 0u);
        EXPECT_EQ(r.defeatParticles.pixels, nullptr);
        EXPECT_TRUE(r.deathAct.Empty());
    }
};

// Frames from the first call to the one that returns 1: the counter's step
// and limit of each state (the frame is 40 pixels tall).
TEST_F(DefeatTest, EachStateTakesItsFramesAndTheRoleLeaves) {
    const struct {
        uint8_t state;
        int frames;
    } cases[] = {
        {0, 1},   {1, 16},  {3, 17},  {4, 17},  {5, 3},   {6, 32},  {7, 32},  {9, 45},  {11, 32}, {12, 16},
        {13, 17}, {14, 35}, {15, 32}, {50, 15}, {51, 50}, {17, 1},  {49, 1},  {52, 1},  {99, 1},  {102, 1},
        {255, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.state));
        SoundRecorder heard;
        MonRole& e = Defeated(c.state);
        EXPECT_EQ(Frames(e), c.frames);
        ExpectLeft(e);
        // Sound 49 at the first frame of every state that has a display.
        EXPECT_EQ(heard.Count(49), c.frames > 1 ? 1 : 0);
    }
}

// State 1 rises: each frame is drawn 31 pixels higher, stretched by as much,
// and 8 more for every 31 pixels as it darkens by 2.
TEST_F(DefeatTest, StateOneRisesThirtyOnePixelsAFrame) {
    MonRole& e = Defeated(1);
    DrawRecorder drawn;
    for (int k = 0; k < 3; ++k) e.RunDefeatEffect();
    const auto calls = drawn.Of(1);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].y, 300 - kHotY);
    EXPECT_EQ(calls[1].y, 300 - kHotY - 31 - 8);
    EXPECT_EQ(calls[2].y, 300 - kHotY - 62 - 16);
    EXPECT_EQ(calls[2].tintRed, -4);
}

// The shatters dissolve the frame into particles that end; the image is
// freed with the display.
TEST_F(DefeatTest, TheShattersEndAndFreeTheirImage) {
    for (uint8_t state : {2, 8, 10}) {
        SCOPED_TRACE(int(state));
        MonRole& e = Defeated(state);
        Fill(kScreenGround);
        const int frames = Frames(e);
        EXPECT_GT(frames, 2);
        EXPECT_LT(frames, 2000);
        ExpectLeft(e);
    }
    EXPECT_EQ(Boxes(), 0u);
}

// A frame that cannot be unpacked is reported once; the display goes on
// without particles and ends.
TEST_F(DefeatTest, AFrameThatCannotBeUnpackedIsReportedOnce) {
    MonRole& e = Defeated(2, kRawSprite);
    EXPECT_EQ(Frames(e), 2);
    EXPECT_EQ(Boxes(), 1u);
    ExpectLeft(e);
}

// State 51 turns the frame about its centre: at the 46th frame (90 degrees)
// the 20 x 40 frame lies across, 40 wide and 20 tall.
TEST_F(DefeatTest, StateFiftyOneTurnsTheFrame) {
    MonRole& e = Defeated(51);
    for (int k = 0; k < 45; ++k) ASSERT_EQ(e.RunDefeatEffect(), 0u);
    Fill(kScreenGround);
    e.RunDefeatEffect();
    const int cx = 200 - kHotX + kFrameW / 2, cy = 300 - kHotY + kFrameH / 2;
    EXPECT_EQ(Pixel(cx + 15, cy), kScreenRed);
    EXPECT_EQ(Pixel(cx - 15, cy), kScreenRed);
    EXPECT_EQ(Pixel(cx, cy + 15), kScreenGround);
    EXPECT_EQ(Pixel(cx, cy - 15), kScreenGround);
}

// A unique enemy shatters, trembles five times and bursts for 1000 frames
// with the camera and the music; the music is given back at the end.
TEST_F(DefeatTest, AUniqueEnemyBurstsAndGivesTheMusicBack) {
    gMusicVolume = 11;
    MonRole& e = Defeated(3);
    e.objRecord->typeBits |= kObjUnique;
    SoundRecorder heard;
    int frames = 0, lowest = 127;
    while (frames < 3000 && e.RunDefeatEffect() == 0) {
        ++frames;
        lowest = std::min(lowest, gMusic.masterVolume);
    }
    EXPECT_GT(frames, 1000);
    EXPECT_LT(frames, 2000);
    ExpectLeft(e);
    EXPECT_EQ(heard.Count(235), 5);  // a sound at the top of each swing
    EXPECT_EQ(heard.Count(553), 34); // the burst every 30 frames of 1000
    EXPECT_EQ(heard.Count(563), 48); // the camera every 35 and every 45 frames
    EXPECT_EQ(heard.Count(49), 2);   // the display's start and the burst's
    EXPECT_LT(lowest, 10);
    EXPECT_EQ(gMusic.masterVolume, 127);
    EXPECT_EQ(gFrame.shake, 1u);
}

// A battle that ends in the middle of the burst gives the music back too.
TEST_F(DefeatTest, ABurstCutShortGivesTheMusicBack) {
    gMusicVolume = 11;
    MonRole& e = Defeated(0);
    e.defeatOverride = 101;
    for (int k = 0; k < 600; ++k) ASSERT_EQ(e.RunDefeatEffect(), 0u);
    EXPECT_LT(gMusic.masterVolume, 127);
    e.ResetRoleForBattle();
    EXPECT_EQ(gMusic.masterVolume, 127);
}

// An override set before the defeat replaces even a unique enemy's state.
TEST_F(DefeatTest, AnOverrideReplacesTheUniqueState) {
    MonRole& e = Defeated(3);
    e.objRecord->typeBits |= kObjUnique;
    e.defeatOverride = 6;
    EXPECT_EQ(Frames(e), 32);
}

// A party member has no display: it is out at once, its record marked down.
TEST_F(DefeatTest, APartyMemberIsOutAtOnce) {
    ManRole& m = PlacedMember(0, 500, 300);
    m.defeated = 1;
    m.defeatEffect = 6;
    EXPECT_EQ(m.RunDefeatEffect(), 1u);
    EXPECT_TRUE(m.baseStats->status & 0x8000);
    EXPECT_EQ(m.defeated, 0u);
    EXPECT_EQ(m.out, 1u);
}

// A role that is not defeated has nothing to show: a performer waiting on
// it goes on (it used to wait on 0 for ever).
TEST_F(DefeatTest, ARoleNotDefeatedDoesNotHoldItsPerformer) {
    MonRole& e = PlacedEnemy(0, 200, 300);
    EXPECT_EQ(e.RunDefeatEffect(), 1u);
    EXPECT_EQ(e.out, 0u);
}

// A role held by an ailment holds its display, but not for ever.
TEST_F(DefeatTest, AHeldDisplayStillEnds) {
    MonRole& e = Defeated(6);
    e.holdFlag = 1;
    const int frames = Frames(e);
    EXPECT_GT(frames, 32);
    EXPECT_LE(frames, 2001);
    ExpectLeft(e);
}

// State 16 flies an enemy's frame off the top left of the screen (toward
// (-160, -160)), shrinking as it goes; a long flight's zoom never falls
// below 1 (it went negative).
TEST_F(DefeatTest, StateSixteenFliesOffAndItsZoomStaysPositive) {
    MonRole& e = Defeated(16);
    e.SetRolePos(600, 470);
    DrawRecorder drawn;
    int32_t smallest = 1 << 30;
    const int frames = Run([&] {
        drawn.Clear();
        const uint32_t left = e.RunDefeatEffect();
        if (!drawn.Of(1).empty()) smallest = std::min(smallest, std::min(gZoomX, gZoomY));
        return left;
    });
    EXPECT_GT(frames, 10);
    EXPECT_GE(smallest, 1);
    ExpectLeft(e);
}

}  // namespace
