#include <gtest/gtest.h>

#include <vector>

#include "base/memory.h"
#include "draw/act_pack.h"
#include "draw/draw_kernel.h"
#include "draw/rle.h"
#include "draw/tsw_pack.h"
#include "draw_test_util.h"
#include "pack_fixture.h"
#include "tools/act_writer.h"
#include "tools/tsw_writer.h"

namespace {

using drawtest::Target;

constexpr int kLayout = kFormat565;
constexpr int kW = 3, kH = 2;
// Picture 9045, frame 0: six opaque stored colours.
const std::vector<uint16_t> kStored = {0x7C00, 0x03E0, 0x001F, 0x4210, 0x1234, 0x2345};

class ActDrawTest : public PackFolderTest {
protected:
    void SetUp() override {
        PackFolderTest::SetUp();
        SetActCacheEnabled(1);
        int size = 0;
        uint8_t* block = EncodeRle(kStored.data(), &size, kW, kH, 16);
        std::vector<uint8_t> frame(block, block + size);
        FreeMem(block);
        // Pictures 9047 and 9048 hold the same colours as raw rows: 16-bit
        // pixels, and 8-bit indices 10..15 through a palette.
        std::vector<uint16_t> palette(256, 0);
        std::vector<uint8_t> indices;
        for (size_t i = 0; i < kStored.size(); ++i) {
            palette[10 + i] = kStored[i];
            indices.push_back(uint8_t(10 + i));
        }
        Put("all_sys.tsw", BuildTswPack({{45, 16, {}, {{frame, kW, kH}}},
                                         {47, 16, {}, {{RawFrameBytes16(kStored), kW, kH}}},
                                         {48, 8, palette, {{indices, kW, kH}}}}));
        ASSERT_NE(MakePackPath(Folder().c_str()), nullptr);
    }
    // Opens the picture packs once the target has set the screen's layout.
    void Open() { OpenTswPacks(); }
    void PutStreams(const std::vector<const char*>& streams) {
        Put("all_sys.act", BuildActPack({{1, BuildActDataFromText(streams)}}));
    }
    static ActRecord Record(int qq = 0) {
        ActRecord r{};
        r.act = 9001;
        r.qq = qq;
        return r;
    }
    // The picture expected with its top-left corner at (x, y).
    static void ExpectPicture(Target& t, int x, int y, bool mirrored) {
        for (int row = 0; row < kH; ++row)
            for (int col = 0; col < kW; ++col) {
                const int src = mirrored ? kW - 1 - col : col;
                t.Expect(x + col, y + row) = drawtest::ToLayout(kLayout, kStored[row * kW + src]);
            }
    }
};

TEST_F(ActDrawTest, DrawsTheFrameAtThePointLessItsHotSpot) {
    PutStreams({"XY 1 2 RF 9045 PA 0 ED"});
    Target t(kLayout);
    Open();
    ActRecord r = Record();
    EXPECT_EQ(DrawActData(&r, 20, 20), 1);
    ExpectPicture(t, 19, 18, false);
    EXPECT_TRUE(t.Matches());
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

TEST_F(ActDrawTest, FlagsVariantKeepsOnlyMirrorFlipAndTheRunLengthBit) {
    // "AM" asks for the tint mode; the flags variant drops it and keeps the mirror.
    PutStreams({"VI AM RF 9045 PA 0 ED"});
    Target t(kLayout);
    Open();
    ActRecord r = Record();
    EXPECT_EQ(DrawActDataFlags(&r, 12, 12, 0), 1);
    EXPECT_EQ(r.drawFlags, 0x05u);
    ExpectPicture(t, 12, 12, true);
    EXPECT_TRUE(t.Matches());
}

// The run-length bit of a record's flags outlives a restart, so it may
// still be set from an earlier act when the picture shown now is raw rows
// (or clear for a run-length one): the picture itself decides how it is read.
struct KindCase {
    const char* what;
    int qq;
    uint32_t recordFlags;
};

const KindCase kKindCases[] = {
    {"raw 16-bit rows under a run-length bit", 0, 0x80000000u},
    {"raw 8-bit rows under a run-length bit", 1, 0x80000000u},
    {"run-length frame without the bit", 2, 0},
    {"raw 16-bit rows without the bit", 0, 0},
};

TEST_F(ActDrawTest, ThePictureDecidesWhetherItIsReadAsRuns) {
    for (const KindCase& c : kKindCases) {
        SCOPED_TRACE(c.what);
        ResetActPacks();
        SetActCacheEnabled(1);
        PutStreams({"RF 9047 PA 0 ED", "RF 9048 PA 0 ED", "RF 9045 PA 0 ED"});
        Target t(kLayout);
        Open();
        ActRecord r = Record(c.qq);
        r.drawFlags = c.recordFlags;
        EXPECT_EQ(DrawActData(&r, 20, 14), 1);
        EXPECT_EQ(r.drawFlags, c.recordFlags);
        ExpectPicture(t, 20, 14, false);
        EXPECT_TRUE(t.Matches());
        ResetTswPacks();
        ASSERT_NE(MakePackPath(Folder().c_str()), nullptr);
    }
}

TEST_F(ActDrawTest, APictureDrawnWithoutARecord) {
    PutStreams({"ED"});
    Target t(kLayout);
    Open();
    DrawActFrame(9045, 0, 30, 9);
    ExpectPicture(t, 30, 9, false);
    EXPECT_TRUE(t.Matches());
}

TEST_F(ActDrawTest, AMissingPictureDrawsNothing) {
    PutStreams({"RF 9046 PA 0 ED", "RF 0 ED"});
    Target t(kLayout);
    Open();
    ActRecord r = Record();
    EXPECT_EQ(DrawActData(&r, 20, 20), 1);
    ActRecord none = Record(1);
    EXPECT_EQ(DrawActData(&none, 20, 20), 1);
    EXPECT_TRUE(t.Matches());
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

TEST_F(ActDrawTest, AMissingStreamIsReportedOnce) {
    PutStreams({"RF 9045 PA 0 ED"});
    Target t(kLayout);
    Open();
    ActRecord r = Record(5);
    for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(DrawActData(&r, 20, 20), 0);
    ASSERT_EQ(HeadlessMessageBoxes().size(), 1u);
    EXPECT_EQ(HeadlessMessageBoxes()[0].caption, "Act Err(Misc::DrawActData)");
    EXPECT_EQ(HeadlessMessageBoxes()[0].text, "\xB3\x5D\xA9\x77\xBF\xF9\xBB\x7E \nact[9001] qq[5] dir[0]");
    // Another direction of the same act is another error.
    r.dir = 2;
    EXPECT_EQ(DrawActDataFlags(&r, 20, 20, 0), 0);
    EXPECT_EQ(HeadlessMessageBoxes().size(), 2u);
    EXPECT_TRUE(t.Matches());
}

} // namespace
