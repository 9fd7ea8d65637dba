// Second-layer magic on a real back buffer: a frame is drawn at its point
// less its origin, and a mirrored node measures the origin from the frame's
// other edge; the record keeps the act's own origin.
#include <cstdio>
#include <vector>

#include "base/settings.h"
#include "battle/effects/effect_layers.h"
#include "battle_screen_fixture.h"
#include "draw/act_pack.h"
#include "draw/tsw_pack.h"
#include "tests/support/temp_folder.h"
#include "tools/act_writer.h"
#include "tools/file_writer.h"
#include "tools/tsw_writer.h"

namespace {

constexpr int kWidth = 64;

class SecondLayerDrawTest : public BattleScreenTest {
protected:
    void SetUp() override {
        BattleScreenTest::SetUp();
        ResetTswPacks();
        ResetActPacks();
        // Picture 9045: one 64 x 4 frame of one colour; act 7 shows it with
        // origin (10, 0) for two frames.
        const std::vector<uint16_t> pixels(kWidth * 4, 0x7C00);
        ASSERT_TRUE(WriteBytesToFile((install.Path() + "all_sys.tsw").c_str(),
                                     BuildTswPack({{45, 16, {}, {{RawFrameBytes16(pixels), kWidth, 4}}}})));
        ASSERT_TRUE(WriteBytesToFile((install.Path() + "all_char.act").c_str(),
                                     BuildActPack({{7, BuildActDataFromText({"SD 0 XY 10 0 RF 9045 PA 0 ED PA 0 O2"})}})));
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", install.Path().c_str());
        ASSERT_NE(MakePackPath(install.Path().c_str()), nullptr);
        OpenTswPacks();
    }
    void TearDown() override {
        ResetTswPacks();
        ResetActPacks();
        ResetSettings();
        BattleScreenTest::TearDown();
    }
    // The first and last drawn column of row y, or -1.
    static std::pair<int, int> Columns(int y) {
        int first = -1, last = -1;
        for (int x = 0; x < 640; ++x)
            if (At(x, y) != 0) {
                if (first < 0) first = x;
                last = x;
            }
        return {first, last};
    }
    TempFolder install{"second_layer"};
};

TEST_F(SecondLayerDrawTest, AFrameIsDrawnAtItsPointLessItsOrigin) {
    Fill(0);
    AddSecondLayerMagic(7, 0, 100, 100, 0);
    DrawSecondLayerMagic();
    EXPECT_EQ(Columns(100), std::make_pair(90, 90 + kWidth - 1));
    EXPECT_EQ(Columns(99), std::make_pair(-1, -1));
}

TEST_F(SecondLayerDrawTest, AMirroredNodeTakesItsOriginFromTheOtherEdgeEveryFrame) {
    AddSecondLayerMagic(7, 0, 100, 100, 1);
    for (int frame = 0; frame < 2; ++frame) {
        Fill(0);
        DrawSecondLayerMagic();
        // Origin 64 - 10 = 54 on both frames: the act's own origin is kept.
        EXPECT_EQ(Columns(100), std::make_pair(46, 46 + kWidth - 1)) << frame;
    }
    EXPECT_EQ(IsSecondLayerMagicEmpty(), 1);
    EXPECT_EQ(HeadlessMessageBoxes().size(), 0u);
}

}  // namespace
