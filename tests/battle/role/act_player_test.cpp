// The act players that move a role: the run-up to a target and the strike
// back home (positions per frame, arrival frames, mirrored frames and the
// act's sound), an act flown to a target, a faded act, and the screen
// effects' particle slots.
#include <vector>

#include "battle/action/performers.h"
#include "tests/battle/role/role_screen_fixture.h"

namespace {

class ActPlayerTest : public RoleScreenTest {
protected:
    // The x of each frame's run until the player reports its end.
    template <typename F>
    static std::vector<int32_t> Xs(Role& r, F step, int limit = 200) {
        std::vector<int32_t> xs;
        for (int call = 0; call < limit; ++call) {
            const int done = step();
            xs.push_back(r.player.drawX);
            if (done == 1) break;
        }
        return xs;
    }
    // The frames drawn of picture 1 that are not shadows.
    static std::vector<DrawCallInfo> Frames(const DrawRecorder& d) {
        std::vector<DrawCallInfo> out;
        for (const DrawCallInfo& c : d.Of(1))
            if ((c.flags & 0x3C) != 12) out.push_back(c);
        return out;
    }
};

// The run-up moves count x 24 points a frame (the spirit 16), the count
// growing by one a frame, and stops beside the target (48 pixels short, on
// the runner's side).
TEST_F(ActPlayerTest, TheRunUpSpeedsUpAndStopsBesideItsTarget) {
    const struct {
        const char* name;
        bool spirit;
        bool enemy;
        std::vector<int32_t> xs;
    } cases[] = {
        {"party", false, false, {476, 428, 356, 260, 148}},
        {"spirit", true, false, {484, 452, 404, 340, 260, 164, 148}},
        {"enemy", false, true, {124, 172, 244, 340, 452}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ManRole& m = PlacedMember(0, 500, 300);
        MonRole& e = PlacedEnemy(0, 100, 300);
        m.spirit = c.spirit ? 1 : 0;
        Role& runner = c.enemy ? static_cast<Role&>(e) : m;
        Role& target = c.enemy ? static_cast<Role&>(m) : e;
        runner.player = ActPlayerState{};
        runner.state = 0;  // the case before may have left its arrival state
        DrawRecorder drawn;
        EXPECT_EQ(Xs(runner, [&] { return runner.StepRoleApproach(&target); }), c.xs);
        // Each frame drawn at its run point less the hot spot: mirrored (from
        // the right edge) on the party side.
        const auto frames = Frames(drawn);
        ASSERT_EQ(frames.size(), c.xs.size());
        for (size_t k = 0; k < frames.size(); ++k) {
            if (c.enemy) {
                EXPECT_EQ(frames[k].x, c.xs[k] - kHotX);
                EXPECT_EQ(frames[k].flags & kFlagMirror, 0u);
            } else {
                EXPECT_EQ(frames[k].x, c.xs[k] - (kFrameW - kHotX));
                EXPECT_EQ(frames[k].flags & kFlagMirror, kFlagMirror);
            }
            EXPECT_EQ(frames[k].y, 300 - kHotY);
        }
        EXPECT_TRUE(runner.acts[kActSecond].Empty());
    }
}

// The run-up's act sound plays once, panned by the screen half it is drawn in.
TEST_F(ActPlayerTest, TheRunUpSoundPansByTheScreenHalf) {
    ManRole& m = PlacedMember(0, 500, 300);
    MonRole& e = PlacedEnemy(0, 100, 300);
    SoundRecorder heard;
    while (m.StepRoleApproach(&e) == 0) {}
    ASSERT_EQ(heard.Count(77), 1);
    EXPECT_EQ(heard.Last(77)->pan, 48);
    EXPECT_EQ(heard.Last(77)->volume, int(gSfxVolume));
}

// The strike runs back home at count x 28 points a frame (the spirit 24);
// the count stays while the act carries no event 0x8.
TEST_F(ActPlayerTest, TheStrikeRunsHomeAtItsStep) {
    for (bool spirit : {false, true}) {
        SCOPED_TRACE(spirit);
        ManRole& m = PlacedMember(0, 500, 300);
        MonRole& e = PlacedEnemy(0, 100, 300);
        m.spirit = spirit ? 1 : 0;
        m.skillBits = 0x4;
        m.player = ActPlayerState{};
        const std::vector<int32_t> xs = Xs(m, [&] { return m.StepRoleStrike(&e, -1, 0); });
        const int step = spirit ? 24 : 28;
        ASSERT_EQ(xs.size(), size_t((352 + step - 1) / step));
        for (size_t k = 0; k + 1 < xs.size(); ++k) EXPECT_EQ(xs[k], 148 + step * int(k + 1));
        EXPECT_EQ(xs.back(), 500);
        EXPECT_EQ(m.player.running, 0u);
    }
}

// Once a frame of the strike's act carries event 0x8, the count rises a
// frame from then on.
TEST_F(ActPlayerTest, TheStrikeSpeedsUpFromItsBeat) {
    Acts({{36, "SD 0 XY 4 40 RF 1 PA 0 ED OV"}, {47, "SD 0 XY 4 40 RF 1 PA 1 AT 8 ED PA 1 ED OV"}});
    ManRole& m = PlacedMember(0, 500, 300);
    MonRole& e = PlacedEnemy(0, 100, 300);
    m.skillBits = 0x4;
    // Frame 1 moves 28 and shows the beat; frame 2 moves 28 and the count
    // rises from then on: 56, 84, 112, then the arrival.
    EXPECT_EQ(Xs(m, [&] { return m.StepRoleStrike(&e, -1, 0); }),
              (std::vector<int32_t>{176, 204, 260, 344, 456, 500}));
}

// An approach on its act's beat (approach bit 0x20) moves a sixteenth of the
// way left on frames with event 0x8, and at least a point: within 16 pixels
// the sixteenth was 0 and the run never arrived.
TEST_F(ActPlayerTest, AnApproachOnItsBeatArrivesFromClose) {
    Acts({{36, "SD 0 XY 4 40 RF 1 PA 0 ED OV"}, {46, "SD 0 XY 4 40 RF 1 PA 0 AT 8 ED OV"}});
    ManRole& m = PlacedMember(0, 500, 300);
    MonRole& e = PlacedEnemy(0, 462, 300);  // the run's end: 462 + 48 = 510
    m.action.word20 = 0x20;
    const std::vector<int32_t> xs = Xs(m, [&] { return m.StepRoleApproach(&e); });
    // The first frame has not shown the beat yet; then a point a frame.
    ASSERT_EQ(xs.size(), 11u);
    EXPECT_EQ(xs[0], 500);
    EXPECT_EQ(xs[1], 501);
    EXPECT_EQ(xs.back(), 510);
}

// The after-image trail keeps at most its length of entries in the ring;
// each fades and is emptied below level 1.
TEST_F(ActPlayerTest, TheAfterimageTrailStaysInsideItsRing) {
    MonRole& e = PlacedEnemy(0, 200, 300);
    AfterimageRing ring{};
    for (AfterimageEntry& a : ring.entry) a.frame = 65535;
    ring.length = 14;
    ring.fade = 1;
    for (int k = 0; k < 40; ++k) e.DrawAfterimageTrail(&ring, 1, 0, 0, 100 + k, 200);
    EXPECT_LE(ring.count, 14);
    for (int k = 14; k < kAfterimageRing; ++k) EXPECT_EQ(ring.entry[k].frame, 65535) << k;
    for (int k = 0; k < 60; ++k) e.DrawAfterimageTrail(&ring, 1, 0, 0, 100, 200);
    ring.delay = 200;  // no new entries: the old ones fade out
    for (int k = 0; k < 30; ++k) e.DrawAfterimageTrail(&ring, 1, 0, 0, 100, 200);
    for (int k = 0; k < ring.count; ++k) EXPECT_EQ(ring.entry[k].frame, 65535) << k;
}

// A frame whose event flags hold 0x1000 sets the hold timer once; a party
// role facing left draws every frame mirrored and pans its sound by the
// mirrored x.
TEST_F(ActPlayerTest, TheHoldEventSetsTheTimerOnce) {
    Acts({{36, "SD 0 XY 4 40 RF 1 PA 0 ED OV"}, {40, "SD 0 XY 4 40 RF 1 PA 0 WV 78 AT 0x1000 ED PA 1 ED PA 1 O2"}});
    ManRole& m = PlacedMember(0, 330, 300);
    m.acts[kActBegin].rec.act = kRoleSprite;
    m.acts[kActBegin].rec.qq = 40;
    SoundRecorder heard;
    DrawRecorder drawn;
    EXPECT_EQ(m.BeginRoleAct(nullptr, kActBegin), 0);
    EXPECT_EQ(m.holdTimer[0], 40);
    m.holdTimer[0] = 0;
    EXPECT_EQ(m.BeginRoleAct(nullptr, kActBegin), 0);
    EXPECT_EQ(m.BeginRoleAct(nullptr, kActBegin), 1);
    EXPECT_EQ(m.holdTimer[0], 0);  // not set again
    ASSERT_EQ(drawn.Count(1), 3u);
    for (const DrawCallInfo& c : drawn.Of(1)) {
        EXPECT_EQ(c.flags & kFlagMirror, kFlagMirror);
        EXPECT_EQ(c.x, 330 - (kFrameW - kHotX));
    }
    // Drawn from x 314: the left half of the screen, panned left.
    ASSERT_EQ(heard.Count(78), 1);
    EXPECT_EQ(heard.Last(78)->pan, -48);
}

// An invisible role shows its aura first (24 frames of its wait frame
// fading, each with its scaled shadow at -1), then runs unseen: its frames
// in mode 48 and no shadow.
TEST_F(ActPlayerTest, AnInvisibleRoleShowsItsAuraThenRunsWithoutItsShadow) {
    ManRole& m = PlacedMember(1, 500, 300);
    MonRole& e = PlacedEnemy(0, 100, 300);
    m.DrawRoleWait(0);
    m.effectBits |= kEffectInvisible;
    DrawRecorder drawn;
    for (int k = 0; k < 24; ++k) ASSERT_EQ(m.StepRoleApproach(&e), 0) << k;
    ASSERT_EQ(drawn.Count(1), 48u);
    const auto aura = drawn.Of(1);
    for (int k = 0; k < 24; ++k) {
        EXPECT_EQ(aura[2 * k].flags & 0x3C, 12u) << k;      // the shadow
        EXPECT_EQ(aura[2 * k].tintRed, -1) << k;
        EXPECT_EQ(aura[2 * k + 1].flags & 0x3C, 16u) << k;  // the fading frame
        EXPECT_EQ(aura[2 * k + 1].tintRed, 15 - k / 2) << k;
    }
    EXPECT_EQ(m.player.running, 0u);  // the run waited for the aura
    drawn.Clear();
    EXPECT_EQ(Run([&] { return m.StepRoleApproach(&e); }, 100), 5);
    ASSERT_EQ(drawn.Count(1), 5u);
    for (const DrawCallInfo& c : drawn.Of(1)) EXPECT_EQ(c.flags & 0x3C, 48u);
}

// Roles that have nothing to strike end at once.
TEST_F(ActPlayerTest, NothingToStrikeEndsAtOnce) {
    ManRole& m = PlacedMember(0, 500, 300);
    MonRole& e = PlacedEnemy(0, 100, 300);
    EXPECT_EQ(m.StepRoleStrike(&e, -1, 0), 1);  // no weapon skill, no approach kind
    EXPECT_EQ(e.StepRoleStrike(&m, -1, 0), 1);  // an enemy without approach bit 0x10
}

// A run-up whose act cannot be played is reported once and still arrives.
TEST_F(ActPlayerTest, ARunUpWithoutItsActArrivesWithOneReport) {
    ManRole& m = PlacedMember(0, 500, 300);
    MonRole& e = PlacedEnemy(0, 100, 300);
    m.spriteSet = 9;  // no such sprite set
    EXPECT_EQ(Run([&] { return m.StepRoleApproach(&e); }, 200), 5);
    EXPECT_EQ(Boxes(), 1u);
}

// An act flown to the target: after its delay it speeds up, doubling below
// 33 points and then growing by 48; a multiplier of 0 or less counts as 1.
TEST_F(ActPlayerTest, AFlownActArrivesWhateverItsMultiplier) {
    const struct {
        int32_t multiplier;
        int frames;
    } cases[] = {{1, 12}, {0, 12}, {-5, 12}, {3, 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.multiplier);
        ManRole& m = PlacedMember(0, 500, 300);
        MonRole& e = PlacedEnemy(0, 100, 300);
        m.acts[kActPerform].Clear();
        m.acts[kActPerform].rec.act = kRoleSprite;
        m.acts[kActPerform].rec.qq = 40;
        EXPECT_EQ(Run([&] { return m.PlayActRecord(&e, kActPerform, 0, -1, 500, 300, c.multiplier, 2, 0); }, 300),
                  c.frames);
        EXPECT_TRUE(m.acts[kActPerform].Empty());
    }
    ManRole& m = PlacedMember(0, 500, 300);
    EXPECT_EQ(m.PlayActRecord(nullptr, kActPerform, kScreenEffectSlots, -1, 0, 0, 1, 0, 0), 1);
}

TEST_F(ActPlayerTest, AFadedActEndsWhenItsLevelIsSpent) {
    MonRole& e = PlacedEnemy(0, 200, 300);
    e.acts[kActPerform].rec.act = kRoleSprite;
    e.acts[kActPerform].rec.qq = 40;
    DrawRecorder drawn;
    EXPECT_EQ(Run([&] { return e.PlayActRecordBlend(kActPerform, 16); }, 100), 8);
    const auto frames = drawn.Of(1);
    ASSERT_EQ(frames.size(), 8u);
    EXPECT_EQ(frames[0].alpha, 16);
    EXPECT_EQ(frames[7].alpha, 2);
    EXPECT_EQ(frames[0].flags & 0x3C, 20u);
}

// The screen effects: a slot outside 0..3 is refused; a frame that cannot
// be unpacked gives no particles (the end finds nothing); a frame that can
// dissolves and the slot is emptied at the end.
TEST_F(ActPlayerTest, ScreenEffectsRefuseBadSlotsAndEnd) {
    ManRole& m = PlacedMember(0, 500, 300);
    MonRole& e = PlacedEnemy(0, 150, 300);
    e.DrawRoleWait(0);
    for (int slot : {-1, kScreenEffectSlots, 1000}) {
        EXPECT_EQ(m.StartRoleScreenEffect(slot, &e), 0u);
        EXPECT_EQ(m.EndRoleScreenEffect(slot), 1u);
    }
    ASSERT_EQ(m.StartRoleScreenEffect(2, &e), 1u);
    EXPECT_TRUE(m.actionFlags & 0x8);
    EXPECT_NE(m.screenParticles[2].pixels, nullptr);
    const int frames = Run([&] { return m.EndRoleScreenEffect(2); }, 3000);
    EXPECT_GT(frames, 1);
    EXPECT_EQ(m.screenParticles[2].pixels, nullptr);
    EXPECT_EQ(m.screenParticles[2].particles, nullptr);

    MonRole& raw = PlacedEnemy(1, 300, 300);
    raw.spriteSet = kRawSprite;
    raw.DrawRoleWait(0);
    ASSERT_NE(raw.picture, nullptr);
    EXPECT_EQ(m.StartRoleScreenEffect(1, &raw), 0u);
    EXPECT_EQ(m.screenParticles[1].pixels, nullptr);
    EXPECT_EQ(m.EndRoleScreenEffect(1), 1u);
    EXPECT_EQ(Boxes(), 0u);
}

// The swallowing enemy's joining effect (enemy command 6's performer): the
// member's frame goes up in particles in the enemy's screen-effect slot 0
// and the performer runs until they are spent, then frees them; a member
// whose frame cannot be unpacked ends it at once.
TEST_F(ActPlayerTest, TheSwallowJoinsTheEnemyAndItsTargetUntilTheParticlesAreSpent) {
    UseDefaultPerformers();
    for (bool raw : {false, true}) {
        SCOPED_TRACE(raw ? "a frame that cannot be unpacked" : "the member's frame");
        ManRole& m = PlacedMember(0, 500, 300);
        m.spriteSet = raw ? kRawSprite : kRoleSprite;
        MonRole& e = PlacedEnemy(0, 150, 300);
        m.DrawRoleWait(0);
        ASSERT_NE(m.picture, nullptr);
        int frames = 0;
        for (int mode = 1; frames < 3000; mode = 0) {
            ++frames;
            if (mode == 1 && !raw) EXPECT_EQ(gPerformers.swallow(&e, &m, mode), 0);
            else if (gPerformers.swallow(&e, &m, mode) == 1) break;
            if (!raw) EXPECT_NE(e.screenParticles[0].pixels, nullptr);
        }
        if (raw) EXPECT_EQ(frames, 1);
        else EXPECT_GT(frames, 10);
        EXPECT_LT(frames, 3000);
        EXPECT_EQ(e.screenParticles[0].pixels, nullptr);
        EXPECT_EQ(e.screenParticles[0].particles, nullptr);
    }
    EXPECT_EQ(Boxes(), 0u);
}

// The first member (sprite set 1) reaches its target, then plays its
// arrival act (57) there until the act ends; only then does its command move
// on, and the strike runs home from that point. Any other role's command
// moves on at its arrival.
TEST_F(ActPlayerTest, TheFirstMemberPlaysItsArrivalActBeforeItsCommandMovesOn) {
    Acts({{36, "SD 0 XY 4 40 RF 1 PA 0 ED OV"},
          {46, "SD 0 XY 4 40 RF 1 PA 0 ED PA 1 ED OV"},
          {47, "SD 0 XY 4 40 RF 1 PA 1 ED OV"},
          {57, "SD 0 XY 4 40 RF 1 PA 1 WV 79 ED PA 0 ED PA 1 O2"}});
    ManRole& m = PlacedMember(0, 500, 300);
    MonRole& e = PlacedEnemy(0, 100, 300);
    m.command = 200;
    m.subCommand = 1;
    EXPECT_EQ(Run([&] { return m.StepRoleApproach(&e); }), 5);
    EXPECT_EQ(m.state & kStateArrived, kStateArrived);
    EXPECT_EQ(m.command, 200);  // the arrival act comes first
    EXPECT_EQ(m.subCommand, 1);
    SoundRecorder heard;
    DrawRecorder drawn;
    EXPECT_EQ(Run([&] { return m.StepRoleApproach(&e); }), 3);
    EXPECT_EQ(m.state & kStateArrived, 0u);
    EXPECT_EQ(m.command, 1);
    EXPECT_EQ(m.subCommand, 0);
    EXPECT_TRUE(m.acts[kActSecond].Empty());
    const auto frames = Frames(drawn);
    ASSERT_EQ(frames.size(), 3u);
    const uint16_t shown[] = {1, 0, 1};
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(frames[k].frame, shown[k]) << k;
        EXPECT_EQ(frames[k].x, 148 - (kFrameW - kHotX)) << k;  // at the run's end, mirrored
    }
    EXPECT_EQ(heard.Count(79), 1);
    // The strike then runs home from where the arrival act stood.
    m.skillBits = 0x4;
    const std::vector<int32_t> xs = Xs(m, [&] { return m.StepRoleStrike(&e, -1, 0); });
    ASSERT_FALSE(xs.empty());
    EXPECT_EQ(xs[0], 148 + 28);

    // Another member: the command moves on at the arrival, no arrival act.
    ManRole& other = PlacedMember(1, 500, 300);
    other.spriteSet = kRawSprite;
    other.command = 200;
    other.subCommand = 1;
    EXPECT_EQ(Run([&] { return other.StepRoleApproach(&e); }), 5);
    EXPECT_EQ(other.state & kStateArrived, 0u);
    EXPECT_EQ(other.command, 1);
}

// An arrival act that cannot be played, or that loops, still ends: the
// command moves on (one report for the missing act).
TEST_F(ActPlayerTest, AnArrivalActThatCannotEndStillEnds) {
    for (bool loops : {false, true}) {
        SCOPED_TRACE(loops);
        if (loops)
            Acts({{36, "SD 0 XY 4 40 RF 1 PA 0 ED OV"}, {46, "SD 0 XY 4 40 RF 1 PA 0 ED OV"},
                  {57, "SD 0 XY 4 40 RF 1 PA 0 ED PA 1 ED OV"}});
        ManRole& m = PlacedMember(0, 500, 300);
        MonRole& e = PlacedEnemy(0, 100, 300);
        m.state = 0;
        m.player = ActPlayerState{};
        m.command = 200;
        m.subCommand = 1;
        const size_t boxes = Boxes();
        EXPECT_EQ(Run([&] { return m.StepRoleApproach(&e); }), 5);
        const int frames = Run([&] { return m.StepRoleApproach(&e); }, 1000);
        EXPECT_GT(frames, 0);
        EXPECT_LE(frames, 121);
        EXPECT_EQ(m.command, 1);
        EXPECT_EQ(m.state & kStateArrived, 0u);
        EXPECT_EQ(Boxes(), boxes + (loops ? 0 : 1));
    }
}

// A turn that ends during the arrival act takes its state with it: the next
// run-up starts from home again.
TEST_F(ActPlayerTest, TheEndOfTheTurnEndsAnArrivalCutShort) {
    ManRole& m = PlacedMember(0, 500, 300);
    MonRole& e = PlacedEnemy(0, 100, 300);
    m.command = 200;
    m.subCommand = 1;
    EXPECT_EQ(Run([&] { return m.StepRoleApproach(&e); }), 5);
    ASSERT_EQ(m.state & kStateArrived, kStateArrived);
    m.EndRoleTurn();
    EXPECT_EQ(m.state & kStateArrived, 0u);
    m.command = 200;
    m.subCommand = 1;
    EXPECT_EQ(m.StepRoleApproach(&e), 0);
    EXPECT_EQ(m.player.drawX, 476);  // the first step of a new run from x 500
}

// The strike runs home facing away from its target, by its own rule: a role
// facing 1 and the spirit draw mirrored, whatever the side; the run-up
// mirrors by the common rule instead (the party facing 0 mirrored).
TEST_F(ActPlayerTest, TheStrikeMirrorsByItsOwnRule) {
    const struct {
        const char* name;
        bool enemy;
        bool spirit;
        uint32_t facing;
        bool mirrored;
    } cases[] = {
        {"party facing 0", false, false, 0, false},
        {"party facing 1", false, false, 1, true},
        {"spirit facing 0", false, true, 0, true},
        {"enemy facing 0", true, false, 0, false},
        {"enemy facing 1", true, false, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ManRole& m = PlacedMember(1, 500, 300);
        m.spriteSet = kRoleSprite;
        MonRole& e = PlacedEnemy(0, 100, 300);
        m.spirit = c.spirit ? 1 : 0;
        m.skillBits = 0x4;
        e.action.word20 = 0x10;
        Role& runner = c.enemy ? static_cast<Role&>(e) : m;
        Role& target = c.enemy ? static_cast<Role&>(m) : e;
        runner.facing = c.facing;
        runner.player = ActPlayerState{};
        DrawRecorder drawn;
        const std::vector<int32_t> xs = Xs(runner, [&] { return runner.StepRoleStrike(&target, -1, 0); });
        const auto frames = Frames(drawn);
        ASSERT_EQ(frames.size(), xs.size());
        for (size_t k = 0; k < frames.size(); ++k) {
            EXPECT_EQ(frames[k].flags & kFlagMirror, c.mirrored ? kFlagMirror : 0u) << k;
            EXPECT_EQ(frames[k].x, xs[k] - (c.mirrored ? kFrameW - kHotX : kHotX)) << k;
        }
        runner.facing = 0;
    }
}

// An act's second sprite (picture and frame + 1) follows the frame at its
// own offsets from the drawing point, mirrored with the frame, on every
// frame the act draws; the act's end clears it. The strike draws it too,
// by the strike's own mirror rule.
TEST_F(ActPlayerTest, TheSecondSpriteFollowsTheFrameAndEndsWithTheAct) {
    constexpr uint16_t kDigits = 9097;
    constexpr int kDigitW = 8;
    const auto setSecond = [](ActBlock& b) {
        b.secondPic = kDigits;
        b.secondFrame = 6;  // frame 5
        b.secondX = 10;
        b.secondY = -5;
    };
    const struct {
        const char* name;
        bool enemy;
        bool mirrored;
    } cases[] = {{"party, mirrored", false, true}, {"enemy", true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ManRole& m = PlacedMember(0, 500, 300);
        MonRole& e = PlacedEnemy(0, 100, 300);
        Role& r = c.enemy ? static_cast<Role&>(e) : m;
        ActBlock& b = r.acts[kActWork1];
        b.Clear();
        b.rec.act = kRoleSprite;
        b.rec.qq = 38;  // three frames, then the act ends
        setSecond(b);
        DrawRecorder drawn;
        EXPECT_EQ(Run([&] { return r.DrawActBlock(kActWork1, 200, 300, false); }), 3);
        const auto seconds = drawn.Of(kDigits);
        ASSERT_EQ(seconds.size(), 3u);
        for (const DrawCallInfo& d : seconds) {
            EXPECT_EQ(d.frame, 5);
            EXPECT_EQ(d.x, c.mirrored ? 200 - 10 - kDigitW : 210);
            EXPECT_EQ(d.y, 295);
            EXPECT_EQ(d.flags & kFlagMirror, c.mirrored ? kFlagMirror : 0u);
        }
        EXPECT_EQ(b.secondPic, 0);
        EXPECT_EQ(b.secondFrame, 0);
        EXPECT_EQ(b.secondX, 0);
        EXPECT_EQ(b.secondY, 0);
    }
    // The strike home: a party role facing right mirrors it.
    for (uint32_t facing : {0u, 1u}) {
        SCOPED_TRACE(facing);
        ManRole& m = PlacedMember(0, 500, 300);
        MonRole& e = PlacedEnemy(0, 100, 300);
        m.skillBits = 0x4;
        m.facing = facing;
        m.player = ActPlayerState{};
        DrawRecorder drawn;
        ASSERT_EQ(m.StepRoleStrike(&e, -1, 0), 0);
        setSecond(m.acts[kActSecond]);
        std::vector<int32_t> xs;
        while (xs.size() < 50) {
            const int done = m.StepRoleStrike(&e, -1, 0);
            xs.push_back(m.player.drawX);
            if (done == 1) break;
        }
        const auto seconds = drawn.Of(kDigits);
        ASSERT_EQ(seconds.size(), xs.size());
        for (size_t k = 0; k < xs.size(); ++k) {
            EXPECT_EQ(seconds[k].x, facing == 1 ? xs[k] - 10 - kDigitW : xs[k] + 10) << k;
            EXPECT_EQ(seconds[k].y, 295) << k;
            EXPECT_EQ(seconds[k].flags & kFlagMirror, facing == 1 ? kFlagMirror : 0u) << k;
        }
        m.facing = 0;
    }
    // The hit reaction (the second act block's idle act) draws it beside the
    // role's frame, at the role's point less the reaction's dodge.
    for (bool enemy : {false, true}) {
        SCOPED_TRACE(enemy ? "enemy's reaction" : "member's reaction");
        ManRole& m = PlacedMember(0, 500, 300);
        MonRole& e = PlacedEnemy(0, 100, 300);
        Role& r = enemy ? static_cast<Role&>(e) : m;
        r.acts[kActSecond].Clear();
        DrawRecorder drawn;
        ASSERT_EQ(r.PlayIdleAct(), 0u);
        EXPECT_EQ(drawn.Count(kDigits), 0u);
        setSecond(r.acts[kActSecond]);
        drawn.Clear();
        ASSERT_EQ(r.PlayIdleAct(), 0u);
        const auto frames = Frames(drawn);
        const auto seconds = drawn.Of(kDigits);
        ASSERT_EQ(seconds.size(), 1u);
        ASSERT_FALSE(frames.empty());
        // The frame's point: its left edge plus the hot spot (from the right
        // edge when mirrored).
        const bool mirrored = !enemy;
        const int32_t pointX = mirrored ? frames.back().x + kFrameW - kHotX : frames.back().x + kHotX;
        EXPECT_EQ(seconds[0].x, mirrored ? pointX - 10 - kDigitW : pointX + 10);
        EXPECT_EQ(seconds[0].y, 295);
        EXPECT_EQ(seconds[0].flags & kFlagMirror, mirrored ? kFlagMirror : 0u);
        r.acts[kActSecond].Clear();
    }
}

// While status 0x4 holds (time stands still for the role) the wait draw
// adds the frame again in grey (mode 0x28) where the frame lies.
TEST_F(ActPlayerTest, ARoleOutOfTimeIsDrawnAgainInGrey) {
    for (bool frozen : {false, true}) {
        SCOPED_TRACE(frozen);
        ManRole& m = PlacedMember(0, 300, 300);
        m.status = frozen ? 0x4 | kStatusHeld : 0;
        DrawRecorder drawn;
        m.DrawRoleWait(0);
        int grey = 0;
        for (const DrawCallInfo& c : drawn.Of(1)) {
            if ((c.flags & 0x3C) != 0x28) continue;
            ++grey;
            EXPECT_EQ(c.x, 300 - (kFrameW - kHotX));
            EXPECT_EQ(c.y, 300 - kHotY);
            EXPECT_EQ(c.flags & kFlagMirror, kFlagMirror);
        }
        EXPECT_EQ(grey, frozen ? 1 : 0);
    }
}

// Code 400's dash: while it slides out and back the role's frame is drawn
// twice a frame where the slide has taken it, at alpha 8 and then tinted
// with the first blend word at 10 (the other two as they stand); the dash
// act strikes there with its own after-image trail of two entries.
TEST_F(ActPlayerTest, TheDashDrawsTheRoleTwiceAndTrailsItsStrike) {
    Acts({{36, "SD 0 XY 4 40 RF 1 PA 0 ED OV"},
          {73, "SD 0 XY 4 40 RF 1 PA 0 ED PA 1 AT 0x108 ED PA 0 ED PA 1 O2"},
          {113, "SD 0 XY 4 40 RF 1 PA 0 ED PA 1 ED PA 0 ED PA 1 ED PA 0 O2"}});
    ManRole& m = PlacedMember(0, 500, 300);
    MonRole& e = PlacedEnemy(0, 100, 300);
    m.actParam = 73;
    m.action = ActionRecord{};
    m.performPhase = 0;
    m.blend[1] = 3;
    m.blend[2] = -2;
    m.DrawRoleWait(0);  // the way back draws the wait frame once the act has ended
    DrawRecorder drawn;
    EXPECT_GT(Run([&] { return m.RunCode400Act(&e, 0); }, 300), 0);
    // The double draws: alpha 8 then the tint, each pair at one point.
    std::vector<int32_t> pairs;
    const auto calls = drawn.Of(1);
    for (size_t k = 0; k + 1 < calls.size(); ++k) {
        if ((calls[k].flags & 0x3C) != 20 || calls[k].alpha != 8) continue;
        const DrawCallInfo& tint = calls[k + 1];
        EXPECT_EQ(tint.flags & 0x3C, 16u) << k;
        EXPECT_EQ(tint.x, calls[k].x) << k;
        EXPECT_EQ(tint.tintRed, 10) << k;
        EXPECT_EQ(tint.tintGreen, 3) << k;
        EXPECT_EQ(tint.tintBlue, -2) << k;
        pairs.push_back(calls[k].x);
    }
    // 15 frames out (slide 0 .. 140) and 15 back (150 .. 10), toward the
    // enemies: the point less the slide, mirrored from the right edge.
    ASSERT_EQ(pairs.size(), 30u);
    for (int k = 0; k < 15; ++k) EXPECT_EQ(pairs[size_t(k)], 500 - 10 * k - (kFrameW - kHotX)) << k;
    for (int k = 0; k < 15; ++k) EXPECT_EQ(pairs[size_t(15 + k)], 350 + 10 * k - (kFrameW - kHotX)) << k;
    // The trail: fading alpha copies behind the dash act, never more than
    // two a frame, left of it (mode 1).
    int trail = 0;
    for (const DrawCallInfo& c : calls)
        if ((c.flags & 0x3C) == 20 && c.alpha != 8) {
            ++trail;
            EXPECT_LT(c.alpha, 12);
            EXPECT_LE(c.x, 350 - (kFrameW - kHotX));
        }
    EXPECT_GT(trail, 0);
    EXPECT_LE(trail, 2 * 5);
    EXPECT_EQ(m.dashTrail.count, 0);  // emptied at the end
    EXPECT_EQ(m.slideOffset, 0);
}

// Code 406 darkens the role by its tint counter (0 down to -29) after the
// act raises its effect, and brings it back from -31 by 2 a frame at the end.
TEST_F(ActPlayerTest, Code406DrawsTheRoleTints) {
    Acts({{36, "SD 0 XY 4 40 RF 1 PA 0 ED OV"}, {71, "SD 0 XY 4 40 RF 1 PA 0 ED PA 1 AT 8 ED PA 0 O2"}});
    ManRole& m = PlacedMember(0, 300, 300);
    MonRole& e = PlacedEnemy(0, 100, 300);
    m.DrawRoleWait(0);
    m.actParam = 71;
    m.action = ActionRecord{};
    m.performPhase = 0;
    DrawRecorder drawn;
    EXPECT_GT(Run([&] { return m.RunCode406Act(&e); }, 300), 0);
    std::vector<int32_t> tints;
    for (const DrawCallInfo& c : drawn.Of(1))
        if ((c.flags & 0x3C) == 16) {
            tints.push_back(c.tintRed);
            EXPECT_EQ(c.tintGreen, c.tintRed);
            EXPECT_EQ(c.tintBlue, c.tintRed);
            EXPECT_EQ(c.x, 300 - (kFrameW - kHotX));
        }
    std::vector<int32_t> expected;
    for (int t = 0; t >= -29; --t) expected.push_back(t);
    for (int t = -31; t <= 0; t += 2) expected.push_back(t);
    EXPECT_EQ(tints, expected);
}

// The capture sprites fly by the performer's step and are drawn by the
// capturing member's wait draw, while its command is capture (6 or 80, or
// either parked as its second command), each where it has flown.
TEST_F(ActPlayerTest, TheCapturingMembersWaitDrawShowsTheFlyingSprites) {
    std::vector<PackEntryData> sprites;
    for (uint16_t set : {1211, 1212, 1213}) sprites.push_back({set, Entry({{0, "SD 0 RF 1 PA 1 ED PA 1 OV"}})});
    ASSERT_TRUE(WriteBytesToFile((install_ / "all_magic.act").c_str(), BuildActPack(sprites)));
    ResetActPacks();
    ManRole& m = PlacedMember(0, 500, 300);
    m.slot.homeX = 500;
    m.slot.homeY = 300;
    MonRole& e = PlacedEnemy(0, 150, 300);
    e.DrawRoleWait(0);
    ASSERT_EQ(m.BeginCaptureEffect(&e), 1u);
    DrawRecorder drawn;
    for (int k = 0; k < 12; ++k) ASSERT_EQ(m.StepCaptureEffect(), 0) << k;
    // The step flies them and draws none: only frame 1 of picture 1 is a sprite.
    EXPECT_EQ(drawn.Count(1), 0u);
    int flying = 0;
    for (int s = 0; s < kCaptureBlocks; ++s)
        flying += !m.captureActs[s].Empty() && m.captureFlight[s] != 0 && m.captureFlight[s] != 0xFFFFFFFFu;
    ASSERT_EQ(flying, 1);  // the first has arrived; the second flies from counter 10
    const struct {
        uint16_t command, second;
        int sprites;
    } cases[] = {{6, 0, 1}, {80, 0, 1}, {0, 6, 1}, {0, 80, 1}, {1, 0, 0}, {0, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.command << "/" << c.second);
        m.command = c.command;
        m.subCommand = c.second;
        drawn.Clear();
        m.DrawRoleWait(0);
        int shown = 0;
        for (const DrawCallInfo& d : drawn.Of(1)) shown += d.frame == 1 && (d.flags & 0x3C) == 0 && d.x != 500 - (kFrameW - kHotX);
        EXPECT_EQ(shown, c.sprites);
    }
    m.command = 0;
    m.FreeCaptureEffect();
}

}  // namespace

namespace {

// An enemy's run-up plays its wait pose, which raises no beat: an action
// that would move on the beat (approach bit 0x20) runs by the count and
// arrives as a plain run-up does, far from the frame cap.
TEST_F(ActPlayerTest, AnEnemysBeatApproachRunsByTheCountAndArrives) {
    Acts({{36, "SD 0 XY 4 40 RF 1 PA 0 ED OV"}, {46, "SD 0 XY 4 40 RF 1 PA 0 AT 8 ED OV"}});
    ManRole& m = PlacedMember(0, 500, 300);
    MonRole& e = PlacedEnemy(0, 100, 300);
    e.action.word20 = 0x20;
    EXPECT_EQ(Xs(e, [&] { return e.StepRoleApproach(&m); }), (std::vector<int32_t>{124, 172, 244, 340, 452}));
}

}  // namespace
