// Run-length frames: encoding, decoding, load-time conversions, hit tests,
// and the refusal of malformed frames by every reader.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "base/memory.h"
#include "draw/draw_kernel.h"
#include "draw/rle.h"
#include "tools/rle_writer.h"

namespace {

struct BlockFree {
    void operator()(void* p) const { FreeMem(p); }
};
using Block = std::unique_ptr<uint8_t, BlockFree>;

std::vector<uint8_t> Encode(const void* pixels, int width, int height, int depth) {
    int size = 0;
    Block block(EncodeRle(pixels, &size, width, height, depth));
    if (!block) return {};
    return std::vector<uint8_t>(block.get(), block.get() + size);
}

uint16_t Word(const std::vector<uint8_t>& v, size_t at) { return static_cast<uint16_t>(v[at] | (v[at + 1] << 8)); }

class Rle : public ::testing::Test {
protected:
    void SetUp() override { ResetDrawKernel(); }
    void TearDown() override { ResetDrawKernel(); }
};

TEST_F(Rle, RowOfTheShadowColourIsOneRunWithAClearRowBit) {
    const std::vector<uint16_t> row(5, kStoredShadowColour);
    const std::vector<uint8_t> frame = Encode(row.data(), 5, 1, 16);
    ASSERT_EQ(frame.size(), 8u + 6u + 2u);
    EXPECT_EQ(Word(frame, 6), 16);  // no key run: depth word bit 15 clear
    EXPECT_EQ(Word(frame, 8), 6);
    EXPECT_EQ(Word(frame, 10), 0x8000 | 5);
    EXPECT_EQ(Word(frame, 12), 0);
    EXPECT_EQ(Word(frame, 14), 0);
}

TEST_F(Rle, OpaqueFirstPixelMarksTheRowAndKeyRunsMarkTheFrame) {
    const std::vector<uint16_t> px = {0x1234, kStoredColourKey, kStoredColourKey, 0x0001,
                                      kStoredShadowColour, 0x7FFF, 0x7FFF, 0x7FFF};
    const std::vector<uint8_t> frame = Encode(px.data(), 4, 2, 16);
    EXPECT_EQ(Word(frame, 6), 0x8000 | 16);
    EXPECT_EQ(Word(frame, 8), 0x8000 | 14);  // length, lit 1 + pixel, key 2, lit 1 + pixel, 0
    const size_t row2 = 8 + 14;
    EXPECT_EQ(Word(frame, row2), 14);  // starts with a shadow pixel: bit 15 clear
    EXPECT_EQ(Word(frame, row2 + 2), 0x8001);
    EXPECT_EQ(Word(frame, row2 + 4), 3);
    // The fixture writer, written separately, builds the same bytes.
    EXPECT_EQ(frame, RleFromPixels(px, 4, 2));
}

TEST_F(Rle, EncodeDecodeRoundTripsAtBothDepths) {
    const int w = 23, h = 7;
    std::vector<uint16_t> px(w * h);
    std::vector<uint8_t> idx(w * h);
    for (int i = 0; i < w * h; ++i) {
        const int m = (i * 7) % 11;
        px[i] = m == 0 ? kStoredColourKey : m == 3 ? kStoredShadowColour : static_cast<uint16_t>(i * 97);
        idx[i] = static_cast<uint8_t>(m == 0 ? 1 : m == 3 ? 3 : (i * 13) % 256);
    }
    for (int depth : {16, 8}) {
        SCOPED_TRACE(depth);
        const void* src = depth == 16 ? static_cast<const void*>(px.data()) : idx.data();
        const std::vector<uint8_t> frame = Encode(src, w, h, depth);
        ASSERT_FALSE(frame.empty());
        EXPECT_EQ(frame, depth == 16 ? RleFromPixels(px, w, h) : RleFromIndices(idx, w, h));
        int ow = 0, oh = 0, od = 0;
        Block out(DecodeRle(frame.data(), static_cast<int>(frame.size()), &ow, &oh, &od));
        ASSERT_TRUE(out);
        EXPECT_EQ(ow, w);
        EXPECT_EQ(oh, h);
        EXPECT_EQ(od, depth);
        EXPECT_EQ(0, std::memcmp(out.get(), src, static_cast<size_t>(w) * h * depth / 8));
    }
}

// A valid frame may hold fewer rows than its height says. A header claiming
// 65535 x 32769 16-bit pixels wrapped the block's size to 65534 bytes, into
// which the first row alone wrote 131070; one claiming 63234 x 31022 8-bit
// pixels asked for 1.9 GB. Both are refused.
TEST_F(Rle, DecodeRefusesAFrameLargerThanAnyPicture) {
    const struct {
        int width, height, depth;
    } cases[] = {{65535, 32769, 16}, {63234, 31022, 8}, {8193, 4097, 16}};
    for (const auto& c : cases) {
        std::vector<uint8_t> frame = c.depth == 16 ? RleWriter(c.width, c.height).Row().Literal({1, 2}).Finish()
                                                   : RleWriter(c.width, c.height, 8).Row().Literal8({1, 2}).Finish();
        int w = 0, h = 0, depth = 0;
        uint8_t* out = DecodeRle(frame.data(), int(frame.size()), &w, &h, &depth);
        EXPECT_EQ(out, nullptr) << c.width << " x " << c.height;
        FreeMem(out);
    }
    std::vector<uint8_t> large = RleWriter(4096, 4096).Row().Literal({1, 2}).Finish();
    int w = 0, h = 0, depth = 0;
    uint8_t* out = DecodeRle(large.data(), int(large.size()), &w, &h, &depth);
    EXPECT_NE(out, nullptr) << "32 MB is still a picture";
    FreeMem(out);
}

TEST_F(Rle, EightBitOddRunsPutTheNextWordAtAnOddOffset) {
    const std::vector<uint8_t> frame = RleWriter(4, 1, 8).Row().Literal8({9, 8, 7}).Key(1).Finish();
    EXPECT_EQ(Word(frame, 8 + 2 + 2 + 3), 0xC001);  // at offset 15
    Block out(DecodeRle(frame.data(), static_cast<int>(frame.size()), nullptr, nullptr, nullptr));
    ASSERT_TRUE(out);
    EXPECT_EQ(std::vector<uint8_t>(out.get(), out.get() + 4), (std::vector<uint8_t>{9, 8, 7, 1}));
}

TEST_F(Rle, SkipRunsAdvanceTheColumnAndWriteNothing) {
    const std::vector<uint8_t> frame = RleWriter(4, 1).Row().Literal({5}).Skip(2).Literal({6}).Finish();
    Block out(DecodeRle(frame.data(), static_cast<int>(frame.size()), nullptr, nullptr, nullptr));
    ASSERT_TRUE(out);
    const uint16_t* p = reinterpret_cast<const uint16_t*>(out.get());
    EXPECT_EQ(std::vector<uint16_t>(p, p + 4), (std::vector<uint16_t>{5, 0, 0, 6}));
}

TEST_F(Rle, EmptyFrameDecodesToZeroedPixels) {
    const std::vector<uint8_t> frame = RleWriter(3, 2).Finish();
    Block out(DecodeRle(frame.data(), static_cast<int>(frame.size()), nullptr, nullptr, nullptr));
    ASSERT_TRUE(out);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(out.get()[i], 0);
}

TEST_F(Rle, SnapshotsKeepPixelsThatEqualAKeyOpaque) {
    const std::vector<uint16_t> px = {kStoredColourKey, kStoredShadowColour, 0x1111};
    int size = 0;
    Block block(EncodeRleSnapshot(px.data(), &size, 3, 1));
    ASSERT_TRUE(block);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(RleLookup(block.get(), static_cast<size_t>(size), x, 0, nullptr), 1) << x;
    // Art keeps its key runs.
    const std::vector<uint8_t> art = Encode(px.data(), 3, 1, 16);
    EXPECT_EQ(RleLookup(art.data(), art.size(), 0, 0, nullptr), 0);
    EXPECT_EQ(RleLookup(art.data(), art.size(), 1, 0, nullptr), 0);
}

TEST_F(Rle, EncoderRefusesWidthsItCannotStore) {
    std::vector<uint16_t> px(16384, 1);
    int size = 0;
    EXPECT_EQ(EncodeRle(px.data(), &size, 16384, 1, 16), nullptr);
}

// ---- Malformed frames ---------------------------------------------------------------

struct Broken {
    const char* name;
    std::vector<uint8_t> bytes;
};

std::vector<Broken> BrokenFrames() {
    std::vector<Broken> v;
    const std::vector<uint8_t> good = RleWriter(4, 2).Row().Literal({1, 2}).Key(2).Row().Shadow(4).Finish();
    v.push_back({"wrong magic", good});
    v.back().bytes[0] = 0xFE;
    v.push_back({"depth 12", good});
    v.back().bytes[6] = 12;
    v.push_back({"truncated in a run", std::vector<uint8_t>(good.begin(), good.begin() + 13)});
    v.push_back({"no terminator", std::vector<uint8_t>(good.begin(), good.end() - 2)});
    v.push_back({"header only", std::vector<uint8_t>(good.begin(), good.begin() + 6)});
    v.push_back({"runs past the width", RleWriter(4, 1).Row().Literal({1, 2, 3}).Key(2).Finish()});
    v.push_back({"more rows than the height", RleWriter(2, 1).Row().Key(2).Row().Key(2).Finish()});
    v.push_back({"row length too short", RleWriter(2, 1).Row().Key(2).RowLength(4).Finish()});
    v.push_back({"row length too long", RleWriter(2, 2).Row().Key(2).RowLength(200).Row().Key(2).Finish()});
    v.push_back({"literal count past the block", RleWriter(200, 1).Row().Word(150).Finish()});
    v.push_back({"kind with a zero count", RleWriter(2, 1).Row().Word(0x8000).Key(2).Finish()});
    return v;
}

TEST_F(Rle, EveryReaderRefusesMalformedFrames) {
    const uint16_t palette[256] = {};
    for (const Broken& b : BrokenFrames()) {
        SCOPED_TRACE(b.name);
        // Exactly sized copies, so the sanitizer sees any read past the end.
        std::unique_ptr<uint8_t[]> copy(new uint8_t[b.bytes.size()]);
        std::memcpy(copy.get(), b.bytes.data(), b.bytes.size());
        const int size = static_cast<int>(b.bytes.size());
        EXPECT_FALSE(ValidateRle(copy.get(), b.bytes.size(), nullptr));
        EXPECT_EQ(DecodeRle(copy.get(), size, nullptr, nullptr, nullptr), nullptr);
        EXPECT_EQ(ConvertRleToScreen(copy.get(), size, nullptr, nullptr, nullptr), 0);
        EXPECT_EQ(0, std::memcmp(copy.get(), b.bytes.data(), b.bytes.size())) << "a refused frame is left alone";
        EXPECT_EQ(WidenRle8(copy.get(), size, palette, nullptr), nullptr);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) RleLookup(copy.get(), b.bytes.size(), x, y, nullptr);
    }
}

// ---- Conversions at load --------------------------------------------------------------

TEST_F(Rle, ConvertToScreenChangesLiteralsOnly) {
    InitDrawKernel(nullptr, kFormat565);
    std::vector<uint8_t> frame = RleWriter(4, 1).Row().Literal({0x7C00, 0x0021}).Key(1).Shadow(1).Finish();
    int w = 0, h = 0, d = 0;
    ASSERT_EQ(ConvertRleToScreen(frame.data(), static_cast<int>(frame.size()), &w, &h, &d), 1);
    EXPECT_EQ(w, 4);
    EXPECT_EQ(h, 1);
    EXPECT_EQ(d, 16);
    EXPECT_EQ(frame, RleWriter(4, 1).Row().Literal({0xF800, 0x0041}).Key(1).Shadow(1).Finish());
    std::vector<uint8_t> eight = RleWriter(1, 1, 8).Row().Literal8({4}).Finish();
    EXPECT_EQ(ConvertRleToScreen(eight.data(), static_cast<int>(eight.size()), nullptr, nullptr, nullptr), 0);
}

TEST_F(Rle, ConvertRle8WidensThroughThePalette) {
    InitDrawKernel(nullptr, kFormat565);
    const std::vector<uint8_t> src = RleWriter(5, 2, 8).Row().Literal8({7, 9, 7}).Key(2).Row().Shadow(1).Literal8({2}).Finish();
    uint16_t palette[256] = {};
    palette[7] = 0x7C00;
    palette[9] = 0x03E0;
    palette[2] = 0x001F;
    PicFrame frame{};
    frame.data = static_cast<uint8_t*>(AllocZero(static_cast<int>(src.size())));
    std::memcpy(frame.data, src.data(), src.size());
    frame.size = static_cast<uint32_t>(src.size());
    frame.palette = palette;
    ConvertRle8(&frame);
    const std::vector<uint8_t> got(frame.data, frame.data + frame.size);
    std::vector<uint8_t> want = RleWriter(5, 2).Row().Literal({0xF800, 0x07C0, 0xF800}).Key(2).Row().Shadow(1).Literal({0x001F}).Finish();
    // Widened rows carry no opaque-start mark.
    want[8 + 1] &= 0x7F;
    EXPECT_EQ(got, want);
    EXPECT_EQ(frame.width, 0);  // widening leaves the descriptor's size alone
    FreeMem(frame.data);
}

TEST_F(Rle, ConvertRle8PalReplacesPaletteAndFrame) {
    const std::vector<uint8_t> frame8 = RleWriter(2, 1, 8).Row().Literal8({1, 255}).Finish();
    std::vector<uint8_t> bytes(512 + frame8.size());
    bytes[2 * 1] = 0x34;
    bytes[2 * 1 + 1] = 0x12;
    bytes[2 * 255] = 0x78;
    bytes[2 * 255 + 1] = 0x56;
    std::memcpy(bytes.data() + 512, frame8.data(), frame8.size());
    int size = static_cast<int>(bytes.size());
    uint8_t* block = static_cast<uint8_t*>(AllocZero(size));
    std::memcpy(block, bytes.data(), bytes.size());
    ConvertRle8Pal(&block, &size);
    std::vector<uint8_t> want = RleWriter(2, 1).Row().Literal({0x1234, 0x5678}).Finish();
    want[9] &= 0x7F;
    EXPECT_EQ(std::vector<uint8_t>(block, block + size), want);
    FreeMem(block);
}

// ---- Hit tests ----------------------------------------------------------------------------

TEST_F(Rle, HitTestsFindLiteralPixelsOnly) {
    std::vector<uint8_t> data = RleWriter(8, 3).Row().Key(8).Row().Shadow(1).Literal({0xAAAA, 0xBBBB}).Key(2).Skip(1).Literal({0xCCCC}).Row().Finish();
    PicFrame frame{data.data(), nullptr, nullptr, 8, 3, static_cast<uint32_t>(data.size())};
    const struct {
        int x, y;
        int hit;
        uint16_t pixel;
    } kCases[] = {
        {0, 0, 0, 0}, {0, 1, 0, 0}, {1, 1, 1, 0xAAAA}, {2, 1, 1, 0xBBBB},
        {3, 1, 0, 0},  // just right of a literal followed by a key run
        {5, 1, 0, 0},  // a skip run
        {6, 1, 1, 0xCCCC}, {7, 1, 0, 0}, {2, 2, 0, 0}, {8, 1, 0, 0}, {-1, 1, 0, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(HitTestRleImage(&frame, c.x + 100, c.y + 50, 100, 50), c.hit);
        uint16_t pixel = 0x5555;
        EXPECT_EQ(HitTestFrame(&frame, c.x, c.y, &pixel), c.hit == 1);
        EXPECT_EQ(pixel, c.pixel);
    }
    uint16_t untouched = 0x5555;
    EXPECT_FALSE(HitTestFrame(&frame, 1, 3, &untouched));
    EXPECT_EQ(untouched, 0x5555);
    EXPECT_EQ(HitTestRleImage(&frame, 101, 53, 100, 50), 0);
}

TEST_F(Rle, HitTestOfAnEightBitFrameGivesTheIndexByte) {
    std::vector<uint8_t> data = RleWriter(5, 1, 8).Row().Literal8({7, 200, 9}).Shadow(1).Literal8({4}).Finish();
    PicFrame frame{data.data(), nullptr, nullptr, 5, 1, static_cast<uint32_t>(data.size())};
    const struct {
        int x;
        bool hit;
        uint16_t pixel;
    } kCases[] = {{0, true, 7}, {1, true, 200}, {2, true, 9}, {3, false, 0}, {4, true, 4}};
    for (const auto& c : kCases) {
        uint16_t pixel = 0x5555;
        EXPECT_EQ(HitTestFrame(&frame, c.x, 0, &pixel), c.hit) << c.x;
        EXPECT_EQ(pixel, c.pixel) << c.x;
    }
}

}  // namespace
