// The status effects on screen: the icon row, the tinted and grey copies of
// a role's frame with the rising wipe, the revert act's end and the ripple
// of a damage transfer.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/settings.h"
#include "battle/role/effect_node.h"
#include "draw/act_pack.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "draw/tsw_pack.h"
#include "tests/battle/role/role_fixture.h"
#include "tests/support/screen_buffer.h"
#include "tools/file_writer.h"
#include "tools/rle_writer.h"
#include "tools/tsw_writer.h"

namespace {

constexpr uint16_t Rgb(int r, int g, int b) { return static_cast<uint16_t>((r << 10) | (g << 5) | b); }

class EffectDrawTest : public RoleTest {
protected:
    void SetUp() override {
        RoleTest::SetUp();
        ResetSettings();
        ResetPixelFormat();
        ResetDrawKernel();
        ResetTswPacks();
        ResetActPacks();
        screen_.Open();
        Fill(kGround);
    }
    void TearDown() override {
        ResetBattleServices();
        screen_.Close();
        ResetTswPacks();
        ResetActPacks();
        ResetDrawKernel();
        ResetPixelFormat();
        ResetSettings();
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
        RoleTest::TearDown();
    }

    // The icon picture 9142 (entry 142 of the system pack) in a fresh
    // install folder: frame i is (2 + i % 3) x 2 pixels of colour Icon(i).
    void WriteIcons() {
        const char* root = std::getenv("KYV_TEST_TMP");
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::path(root ? root : std::filesystem::temp_directory_path().string()) / "effect_draw" /
               info->name();
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        std::vector<TswFrameData> frames;
        for (int i = 0; i < 19; ++i) {
            const int w = IconWidth(i);
            frames.push_back({RleFromPixels(std::vector<uint16_t>(size_t(w) * 2, Icon(i)), w, 2), uint16_t(w), 2});
        }
        ASSERT_TRUE(WriteBytesToFile((dir_ / "all_sys.tsw").string().c_str(), BuildTswPack({{142, 16, {}, frames}})));
        MakePackPath(dir_.string().c_str());
        OpenTswPacks();
    }
    static int IconWidth(int frame) { return 2 + frame % 3; }
    static uint16_t Icon(int frame) { return Rgb(frame + 1, 31 - frame, 3); }

    // A role whose current frame is a w x h block at (x, y).
    void GiveFrame(Role& r, int w, int h) {
        frameBytes_ = RleFromPixels(std::vector<uint16_t>(size_t(w) * h, Rgb(1, 2, 3)), w, h);
        frame_ = PicFrame{frameBytes_.data(), nullptr, nullptr, uint16_t(w), uint16_t(h),
                          uint32_t(frameBytes_.size())};
        r.picture = &frame_;
        r.acts[kActWaitDraw].rec.hotX = 0;
        r.acts[kActWaitDraw].rec.hotY = 0;
    }

    static void Fill(uint16_t v) {
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) *BackPixel(x, y) = v;
    }
    static uint16_t At(int x, int y) { return *BackPixel(x, y); }
    // Pixels of the rectangle that are not `v`.
    static int CountNot(int x0, int y0, int x1, int y1, uint16_t v) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += At(x, y) != v;
        return n;
    }

    static constexpr uint16_t kGround = Rgb(20, 20, 20);
    ScreenBuffer screen_;
    std::filesystem::path dir_;
    std::vector<uint8_t> frameBytes_;
    PicFrame frame_{};
};

ActionRecord Ailment(uint16_t kind, uint8_t duration = 5) {
    ActionRecord a{};
    a.ailment = kind;
    a.duration = duration;
    a.value = 10;
    return a;
}

TEST_F(EffectDrawTest, IconsStandInListOrderEachAsWideAsItsFrame) {
    WriteIcons();
    MonRole& e = Enemy(0);
    SetObjWordAt(e.objRecord, mon::kAilmentThreshold, 10);
    ActionRecord poison = Ailment(0x40), seal = Ailment(0x80), attackUp{};
    attackUp.mask = 0x80000000u;
    attackUp.duration = 3;
    ASSERT_EQ(e.ApplyAilment(&poison), 1u);  // icon 5: frame 4, 3 wide
    ASSERT_EQ(e.ApplyAilment(&seal), 1u);    // icon 11: frame 10, 3 wide; at the head
    ASSERT_EQ(e.ApplyAssistEffect(&attackUp), 1u);  // an enemy's assist has no icon
    e.DrawRoleEffectIcons(10, 20);
    for (int y = 20; y < 22; ++y) {
        for (int x = 10; x < 13; ++x) EXPECT_EQ(At(x, y), Icon(10)) << x;
        for (int x = 13; x < 16; ++x) EXPECT_EQ(At(x, y), Icon(4)) << x;
        EXPECT_EQ(At(16, y), kGround);
        EXPECT_EQ(At(9, y), kGround);
    }
    EXPECT_EQ(CountNot(0, 0, 640, 480, kGround), 12);
}

// The tinted copy lies on the frame as the wait act drew it: a party member
// facing left draws its frames mirrored, the hot spot (here 0) measured from
// the right edge, so the 6 x 4 copy of point (100, 50) covers x 94..99.
TEST_F(EffectDrawTest, TheSpreadingEffectTintsTheFrame) {
    ManRole& r = Member(0, 0);
    ASSERT_TRUE(r.DrawsMirrored());
    GiveFrame(r, 6, 4);
    r.statsCopy.stat[5] = 10;
    ActionRecord spread = Ailment(0x1000);
    ASSERT_EQ(r.ApplyAilment(&spread), 1u);
    r.DrawRoleEffectOverlays(100, 50);
    EXPECT_EQ(At(94, 50), Rgb(8, 8, 8));
    EXPECT_EQ(At(99, 53), Rgb(8, 8, 8));
    EXPECT_EQ(At(100, 50), kGround);
    EXPECT_EQ(CountNot(0, 0, 640, 480, kGround), 24);

    // A carrier is drawn redder: -32, -1, -1.
    ManRole& c = Member(1, 1);
    GiveFrame(c, 6, 4);
    ASSERT_EQ(c.CatchSpreadingEffect(10, 0), 1u);
    c.DrawRoleEffectOverlays(200, 50);
    EXPECT_EQ(At(194, 50), Rgb(0, 19, 19));
}

// The copies mirror as the frame itself does (DrawsMirrored), whatever the
// side: the party mirrors while facing left (0), an enemy while facing 1.
TEST_F(EffectDrawTest, TheTintedCopyMirrorsAsTheFrameDoes) {
    const struct {
        bool party;
        uint32_t facing;
        int index;
        int left;  // the copy's left edge for point 100 and a 6-wide frame, hot spot 2
    } cases[] = {{true, 0, 0, 96}, {true, 1, 1, 98}, {false, 0, 0, 98}, {false, 1, 1, 96}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "party " << c.party << " facing " << c.facing);
        Fill(kGround);
        Role* r = c.party ? static_cast<Role*>(&Member(c.index, c.index)) : static_cast<Role*>(&Enemy(c.index));
        if (c.party) static_cast<ManRole*>(r)->statsCopy.stat[5] = 10;
        else SetObjWordAt(r->objRecord, mon::kAilmentThreshold, 10);
        r->facing = c.facing;
        GiveFrame(*r, 6, 4);
        r->acts[kActWaitDraw].rec.hotX = 2;
        ActionRecord spread = Ailment(0x1000);
        ASSERT_EQ(r->ApplyAilment(&spread), 1u);
        r->DrawRoleEffectOverlays(100, 50);
        EXPECT_EQ(At(c.left, 50), Rgb(8, 8, 8));
        EXPECT_EQ(At(c.left + 5, 53), Rgb(8, 8, 8));
        EXPECT_EQ(At(c.left - 1, 50), kGround);
        EXPECT_EQ(At(c.left + 6, 50), kGround);
    }
}

TEST_F(EffectDrawTest, StoneRisesFromTheBottomEightRowsAFrame) {
    MonRole& e = Enemy(0);
    SetObjWordAt(e.objRecord, mon::kAilmentThreshold, 10);
    GiveFrame(e, 5, 20);
    ActionRecord stone = Ailment(0x4);
    ASSERT_EQ(e.ApplyAilment(&stone), 1u);
    const int expectedRows[] = {8, 16, 20, 20};
    for (int rows : expectedRows) {
        SCOPED_TRACE(rows);
        Fill(kGround);
        e.DrawRoleEffectOverlays(300, 100);
        EXPECT_EQ(CountNot(300, 100, 305, 120 - rows, kGround), 0);  // not reached yet
        EXPECT_EQ(CountNot(300, 120 - rows, 305, 120, kGround), rows * 5);
        EXPECT_EQ(CountNot(0, 0, 640, 480, kGround), rows * 5);
    }
    EXPECT_EQ(e.wipe, 0);
    // The clip rectangle is the whole screen again.
    EXPECT_EQ(gClip.top, 0);
    EXPECT_EQ(gClip.height, 480);
}

TEST_F(EffectDrawTest, AMissingRevertActStillWeakensTheRole) {
    ManRole& r = Member(0, 0);
    r.statsCopy.stat[5] = 10;
    ActionRecord weaken = Ailment(0x200);
    ASSERT_EQ(r.ApplyAilment(&weaken), 1u);
    EXPECT_FALSE(r.acts[kActTrigger].Empty());
    r.DrawRoleEffectOverlays(100, 100);
    EXPECT_TRUE(r.acts[kActTrigger].Empty());
    EXPECT_TRUE(r.status & kStatusWeakened);
    EXPECT_EQ(r.weakened, 1u);
    EXPECT_EQ(r.facing, 1u);
}

TEST_F(EffectDrawTest, TheTransferRippleRunsThirtyFramesAndIsFreed) {
    ManRole& r = Member(0, 0);
    r.SetRolePos(620, 470);  // near the corner: the ripple is kept on the screen
    r.StartTransferAct();
    ASSERT_NE(r.transferRipple, nullptr);
    EXPECT_EQ(Stop, 1);
    EXPECT_EQ(gTransferOverlay, 1u);
    GetCom = 1;
    for (int i = 0; i < 29; ++i) r.DrawRoleEffectOverlays(620, 470);
    EXPECT_NE(r.transferRipple, nullptr);
    EXPECT_TRUE(r.state & kStateTransferAct);
    r.DrawRoleEffectOverlays(620, 470);
    EXPECT_EQ(r.transferRipple, nullptr);
    EXPECT_FALSE(r.state & kStateTransferAct);
    EXPECT_TRUE(r.acts[kActTrigger].Empty());
    EXPECT_EQ(Stop, 0);
    EXPECT_EQ(GetCom, 0);
    EXPECT_EQ(gTransferOverlay, 0u);
}

TEST_F(EffectDrawTest, TheResetFreesARunningRipple) {
    ManRole& r = Member(0, 0);
    r.StartTransferAct();
    ASSERT_NE(r.transferRipple, nullptr);
    r.ResetRoleForBattle();
    EXPECT_EQ(r.transferRipple, nullptr);
}

}  // namespace
