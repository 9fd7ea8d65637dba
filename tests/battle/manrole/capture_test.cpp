// The capture effect: the target's wait frame dissolves while the capture
// sprites fly in; it ends, and frees what it took, however its picture is.
#include "battle/manrole/man_battle.h"
#include "draw/tsw_pack.h"
#include "tests/battle/enemy/enemy_fixture.h"
#include "tools/rle_writer.h"
#include "tools/tsw_writer.h"

namespace {

enum : uint16_t {
    kTargetSet = 30,    // act 0: the wait act on picture 30
    kNoPictureSet = 31, // act 0: a wait act without a picture
};

class CaptureTest : public EnemyTest {
protected:
    void SetUp() override {
        EnemyTest::SetUp();
        Pack("all_char.act", {{kTargetSet, Entry({{0, "SD 0 RF 30 PA 0 ED OV"}})},
                              {kNoPictureSet, Entry({{0, "SD 0 PA 0 ED OV"}})}});
        Pack("all_magic.act", {{1211, Entry({{0, "SD 0 PA 0 ED PA 1 OV"}})},
                               {1212, Entry({{0, "SD 0 PA 0 ED PA 1 OV"}})},
                               {1213, Entry({{0, "SD 0 PA 0 ED PA 1 OV"}})}});
        const std::vector<uint16_t> pixels(size_t(24) * 40, 0x1234);
        ASSERT_TRUE(WriteBytesToFile((install_ / "all_char.tsw").c_str(),
                                     BuildTswPack({{30, 16, {}, {{RleFromPixels(pixels, 24, 40), 24, 40}}}})));
        ResetTswPacks();
        MakePackPath(install_.Path().c_str());
        OpenTswPacks();
        opened_ = Traces();  // the packs the test does not write
    }
    void TearDown() override {
        ResetTswPacks();
        EnemyTest::TearDown();
    }
    MonRole& Target(uint16_t set) {
        MonRole& e = Enemy(1);
        e.slot.homeX = 420;
        e.slot.homeY = 280;
        e.acts[kActWait].Clear();
        e.acts[kActWait].rec.act = set;
        return e;
    }
    ManRole& Catcher() {
        ManRole& m = Member(0, 0);
        m.slot.homeX = 200;
        m.slot.homeY = 300;
        m.SetRolePos(200, 300);
        return m;
    }
    size_t opened_ = 0;
};

TEST_F(CaptureTest, TheTargetDissolvesWhileTheSpritesFlyInAndTheEffectEnds) {
    ManRole& m = Catcher();
    MonRole& e = Target(kTargetSet);
    ASSERT_EQ(m.BeginCaptureEffect(&e), 1u);
    EXPECT_NE(m.actionFlags & 0x8, 0);
    int calls = 0;
    bool flew = false;
    while (calls < 1000 && m.StepCaptureEffect() == 0) {
        ++calls;
        flew = flew || m.captureFlight[0] != 0;
    }
    EXPECT_GT(calls, 1);
    EXPECT_LT(calls, 600);
    EXPECT_TRUE(flew);
    EXPECT_EQ(m.capture, nullptr);
    EXPECT_EQ(m.captureCounter, 0);
    for (const ActBlock& b : m.captureActs) EXPECT_TRUE(b.Empty());
    EXPECT_EQ(Traces(), opened_);
}

TEST_F(CaptureTest, AWaitFrameThatCannotBeReadGivesNoParticlesAndEndsAtOnce) {
    ManRole& m = Catcher();
    MonRole& e = Target(kNoPictureSet);
    EXPECT_EQ(m.BeginCaptureEffect(&e), 0u);
    EXPECT_EQ(Traces(), opened_ + 1);
    EXPECT_EQ(m.StepCaptureEffect(), 1);
    EXPECT_EQ(m.capture, nullptr);
    EXPECT_EQ(m.StepCaptureEffect(), 1);  // and again: nothing is left running
}

TEST_F(CaptureTest, ANewCaptureOrTheReleaseFreesARunningOne) {
    ManRole& m = Catcher();
    MonRole& e = Target(kTargetSet);
    ASSERT_EQ(m.BeginCaptureEffect(&e), 1u);
    m.StepCaptureEffect();
    ASSERT_EQ(m.BeginCaptureEffect(&e), 1u);  // the first one's blocks are freed (the sanitizer run checks)
    m.StepCaptureEffect();
    FreeBattleRoles();
    EXPECT_EQ(gManRoles[0].capture, nullptr);
}

}  // namespace
