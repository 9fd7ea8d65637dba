// The real hit acts of the action performance on generated act packs: a hit
// event resolves once, an act that loops ends at its bound, the sound plays
// once.
#include <cstdio>

#include "base/settings.h"
#include "battle/action/action_perform.h"
#include "draw/act_pack.h"
#include "draw/rle.h"
#include "tests/battle/action/action_fixture.h"
#include "tests/support/sound_recorder.h"
#include "tests/support/temp_folder.h"
#include "tools/act_writer.h"
#include "tools/file_writer.h"

namespace {

constexpr uint16_t kHitSet = 600;    // a hit event on its second frame
constexpr uint16_t kLatchSet = 601;  // a hit event raised on the first frame, three frames more
constexpr uint16_t kLoopSet = 602;   // never ends
constexpr uint16_t kTwoHitSet = 603; // two hit events
constexpr uint16_t kSoundSet = 604;  // a sound on the first frame, three frames more
constexpr int kHitSound = 77;

class HitActTest : public ActionTest {
protected:
    void SetUp() override {
        ActionTest::SetUp();
        UseDefaultPerformers();
        ResetActPacks();
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", install_.Path().c_str());
        ASSERT_TRUE(WriteBytesToFile(
            (install_ / "all_char.act").c_str(),
            BuildActPack({{kHitSet, Entry("SD 0 PA 0 ED PA 1 AT 1 ED PA 2 O2")},
                          {kLatchSet, Entry("SD 0 PA 0 AT 1 ED PA 1 ED PA 2 ED PA 3 O2")},
                          {kLoopSet, Entry("SD 0 PA 0 ED PA 1 OV")},
                          {kTwoHitSet, Entry("SD 0 PA 0 AT 1 ED PA 1 ED PA 2 AT 1 ED PA 3 O2")},
                          {kSoundSet, Entry("SD 0 PA 0 WV 77 ED PA 1 ED PA 2 ED PA 3 O2")}})));
        ResetActPacks();
        gActionFlags = kActionRunning;
    }
    void TearDown() override {
        ResetActPacks();
        ActionTest::TearDown();
    }
    static std::vector<uint8_t> Entry(const char* text) {
        return BuildActData({ActStreamData{true, ActWords(text)}});
    }
    static int RunToEnd(int limit = 1000) {
        for (int n = 1; n <= limit; ++n)
            if (RunCurrentAction() == 1) return n;
        return -1;
    }
    // A single party action of slot 0 on enemy 0 with hit act `act`.
    MonRole& Single(uint16_t act, uint32_t life = 300) {
        ManRole& m = Member(0, 0);
        MonRole& e = Enemy(0, life);
        Turn(20);
        m.BeginRoleAction(0);
        gManHitAct[0] = act;
        return e;
    }
    // The damage one resolution of slot 0's action deals to enemy 0.
    static uint32_t OneHit() {
        uint16_t s = 0, t = 0;
        const int d = gManRoles[0].ResolveManRoleAction(&gMonRoles[0], &s, &t);
        gMonRoles[0].shownCursor = 0;
        return uint32_t(d);
    }

    TempFolder install_{"hitact"};
};

TEST_F(HitActTest, AHitEventResolvesOnceAndIsAppliedAtTheEndOfTheAct) {
    MonRole& e = Single(kHitSet);
    const uint32_t hit = OneHit();
    const int frames = RunToEnd();
    EXPECT_GT(frames, 0);
    EXPECT_LE(frames, 4);
    EXPECT_EQ(e.MonLife(), 300 - hit);
    EXPECT_TRUE(AllTargetsOpen());
}

TEST_F(HitActTest, AHitEventOfTheFirstFrameIsNotRaisedAgainOnLaterFrames) {
    MonRole& e = Single(kLatchSet);
    const uint32_t hit = OneHit();
    EXPECT_GT(RunToEnd(), 0);
    EXPECT_EQ(e.MonLife(), 300 - hit);
}

TEST_F(HitActTest, TwoHitEventsGatherTwoHitsAppliedOnce) {
    MonRole& e = Single(kTwoHitSet, 1000);
    const uint32_t hit = OneHit();
    EXPECT_GT(RunToEnd(), 0);
    EXPECT_EQ(e.MonLife(), 1000 - 2 * hit);
}

TEST_F(HitActTest, ALoopingHitActEndsAtItsBound) {
    MonRole& e = Single(kLoopSet);
    const size_t traces = Traces();
    const int frames = RunToEnd();
    EXPECT_EQ(frames, kHitActFrameCap + 1);
    EXPECT_EQ(Traces(), traces + 1);
    EXPECT_EQ(e.MonLife(), 300u);  // no hit event: nothing to apply
}

TEST_F(HitActTest, AnActThatCannotBeSteppedEndsAtOnce) {
    MonRole& e = Single(4999);
    EXPECT_EQ(RunToEnd(), 1);
    EXPECT_EQ(e.MonLife(), 300u);
}

TEST_F(HitActTest, ARoleSlotActPlaysInTheRolesOwnBlockUntilItEnds) {
    MonRole& e = Enemy(0);
    int frames = 0;
    while (PlayRoleSlotAct(&e, kHitSet, 2) == 0 && frames < 50) ++frames;
    EXPECT_LT(frames, 5);
    EXPECT_TRUE(e.acts[kActMultiFirst + 2].Empty());
    // A looping act gives the slot back at its bound; no act and a bad slot at once.
    frames = 1;
    while (PlayRoleSlotAct(&e, kLoopSet, 0) == 0 && frames < 1000) ++frames;
    EXPECT_EQ(frames, kHitActFrameCap + 1);
    EXPECT_EQ(PlayRoleSlotAct(&e, 0, 0), 1);
    EXPECT_EQ(PlayRoleSlotAct(&e, kHitSet, 9), 1);
    EXPECT_EQ(PlayRoleSlotAct(nullptr, kHitSet, 0), 1);
}

// Acts played on a role stand on its hit point on the screen: the frame's hit
// point from the drawing origin (home less the act's offsets), mirrored for a
// role facing the other way, or the frame's centre when the act names none.
TEST_F(HitActTest, AHitActStandsOnTheRolesHitPointOnTheScreen) {
    MonRole& e = Enemy(0);
    e.slot.homeX = 200;
    e.slot.homeY = 300;
    e.actGeometry[0] = 20;
    e.actGeometry[1] = 60;
    PicFrame frame{};
    frame.width = 40;
    frame.height = 64;
    e.picture = &frame;
    struct Case {
        int16_t hitX, hitY;
        uint32_t facing;
        int16_t x, y;
    };
    for (const Case c : {Case{10, 12, 0, 190, 252}, Case{10, 12, 1, 210, 252}, Case{0, 0, 0, 200, 272}}) {
        e.acts[kActWaitDraw].rec.hitX = c.hitX;
        e.acts[kActWaitDraw].rec.hitY = c.hitY;
        e.facing = c.facing;
        int16_t x = 0, y = 0;
        HitPointOnScreen(&e, &x, &y);
        EXPECT_EQ(x, c.x) << c.hitX << "," << c.hitY << " facing " << c.facing;
        EXPECT_EQ(y, c.y) << c.hitX << "," << c.hitY << " facing " << c.facing;
    }
    e.picture = nullptr;
}

}  // namespace

namespace {

// A frame's sound is played on the frame it is raised, once, however many
// frames the act runs on.
TEST_F(HitActTest, AFramesSoundPlaysOnceOverTheWholeAct) {
    SoundRecorder heard;
    Single(kSoundSet);
    EXPECT_GT(RunToEnd(), 3);
    EXPECT_EQ(heard.Count(kHitSound), 1);
}

}  // namespace
