#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/lzo.h"
#include "base/memory.h"
#include "draw/pixel_format.h"
#include "draw/rle.h"
#include "draw/tsw_pack.h"
#include "pack_fixture.h"
#include "platform/headless/headless.h"
#include "tools/tsw_writer.h"

namespace {

constexpr const char* kPackNames[kPackCount] = {
    "all_char.tsw", "all_item.tsw", "all_magic.tsw", "all_sys.tsw", "all_map1.tsw", "all_map2.tsw",
};

std::vector<uint8_t> TakeBlock(uint8_t* block, int size) {
    std::vector<uint8_t> out(block, block + size);
    FreeMem(block);
    return out;
}

// A raw 16-bit frame of one stored colour; the width tells pictures apart.
TswFrameData Raw16(uint16_t width, uint16_t height, uint16_t colour) {
    return {RawFrameBytes16(std::vector<uint16_t>(size_t(width) * height, colour)), width, height};
}

TswFrameData Rle16(uint16_t width, uint16_t height, const std::vector<uint16_t>& pixels) {
    int size = 0;
    uint8_t* block = EncodeRle(pixels.data(), &size, width, height, 16);
    return {TakeBlock(block, size), width, height};
}

TswFrameData Rle8(uint16_t width, uint16_t height, const std::vector<uint8_t>& indices) {
    int size = 0;
    uint8_t* block = EncodeRle(indices.data(), &size, width, height, 8);
    return {TakeBlock(block, size), width, height};
}

TswEntryData Entry16(int index, std::vector<TswFrameData> frames) { return {index, 16, {}, std::move(frames)}; }

// The data offset of entry `index` as the record table gives it.
uint32_t EntryOffset(const std::vector<uint8_t>& pack, int index) {
    ByteReader r(pack);
    r.seek(kPackHeadSize + kPackRecordSize * uint32_t(index - 1) + 24);
    return r.u32();
}
// File position of frame descriptor f of the 16-bit entry `index`.
size_t Descriptor16(const std::vector<uint8_t>& pack, int index, int f) {
    return EntryOffset(pack, index) + 12 + 36 * size_t(f);
}

// The pixel at column x of row y of a 16-bit run-length frame.
uint16_t RlePixel(const PicFrame* pic, int x, int y) {
    uint16_t pixel = 0;
    EXPECT_EQ(RleLookup(pic->data, pic->size, x, y, &pixel), 1);
    return pixel;
}

uint16_t TotalCount() {
    uint16_t n = 0;
    for (uint16_t c : gTswCache.counts) n = uint16_t(n + c);
    return n;
}

class PackPictureTest : public PackFolderTest {
protected:
    void SetUp() override {
        PackFolderTest::SetUp();
        ASSERT_NE(MakePackPath(Folder().c_str()), nullptr);
    }
    void PutPack(int pack, const std::vector<uint8_t>& bytes) { Put(kPackNames[pack], bytes); }
    void PutPack(int pack, const std::vector<TswEntryData>& entries) { PutPack(pack, BuildTswPack(entries)); }
};

struct SlotCase {
    uint32_t number;
    bool names;
    int pack, record;
};

const SlotCase kSlotCases[] = {
    {9045, true, 3, 44}, {1, true, 0, 0},     {2999, true, 0, 2998}, {3001, true, 1, 0},
    {17999, true, 5, 2998}, {0, false, 0, 0}, {3000, false, 0, 0},   {15000, false, 0, 0},
    {18000, false, 0, 0},  {65534, false, 0, 0}, {65535, false, 0, 0},
};

TEST(PackSlotTest, NumbersNamePackAndRecord) {
    for (const SlotCase& c : kSlotCases) {
        SCOPED_TRACE(c.number);
        int pack = -1, record = -1;
        ASSERT_EQ(PackSlotOf(c.number, &pack, &record), c.names);
        if (c.names) {
            EXPECT_EQ(pack, c.pack);
            EXPECT_EQ(record, c.record);
        }
    }
}

TEST_F(PackPictureTest, NumbersSelectTheirPackAndEntry) {
    for (int p = 0; p < kPackCount; ++p) {
        PutPack(p, std::vector<TswEntryData>{Entry16(1, {Raw16(uint16_t(10 * p + 1), 1, 0)}),
                                             Entry16(45, {Raw16(uint16_t(10 * p + 2), 1, 0)}),
                                             Entry16(2999, {Raw16(uint16_t(10 * p + 3), 1, 0)})});
    }
    OpenTswPacks();
    const struct {
        uint16_t number;
        int width;
    } cases[] = {{1, 1}, {45, 2}, {2999, 3}, {3001, 11}, {9045, 32}, {17999, 53}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        const PicFrame* pic = GetTswPicture(c.number, 0);
        ASSERT_NE(pic, nullptr);
        EXPECT_EQ(pic->width, c.width);
    }
    // Numbers that name no entry read nothing and yield nothing.
    const uint32_t reads = gPackReadCount;
    for (uint16_t n : {0, 3000, 9000, 18000, 30000, 65534}) {
        EXPECT_EQ(GetTswPicture(n, 0), nullptr) << n;
        PicFrame out;
        EXPECT_EQ(GetTswPictureDirect(&out, n, 0), nullptr) << n;
    }
    EXPECT_EQ(gPackReadCount, reads);
}

// A pack that does not open yields no pictures, and one line names it: a
// missing character pack otherwise gives a game of invisible people and no
// word why.
TEST_F(PackPictureTest, AMissingPackIsNamedInOneLine) {
    PutPack(3, std::vector<TswEntryData>{Entry16(45, {Raw16(4, 2, 0x1234)})});
    OpenTswPacks();
    EXPECT_NE(GetTswPicture(9045, 0), nullptr);
    EXPECT_EQ(GetTswPicture(1, 0), nullptr);
    const std::vector<std::string>& traces = HeadlessTraces();
    ASSERT_EQ(traces.size(), 5u);
    EXPECT_NE(traces[0].find("all_char.tsw: the picture pack is missing"), std::string::npos) << traces[0];
    for (const std::string& t : traces) EXPECT_EQ(t.find("all_sys.tsw"), std::string::npos) << t;
}

TEST_F(PackPictureTest, CacheHitsReadNothing) {
    PutPack(3, std::vector<TswEntryData>{Entry16(45, {Raw16(4, 2, 0x1234), Raw16(6, 2, 0x1234)})});
    OpenTswPacks();
    ResetPackReadCount();
    EXPECT_EQ(PeekTswPicture(9045, 0), nullptr);
    EXPECT_EQ(gPackReadCount, 0u);

    PicFrame* first = GetTswPicture(9045, 0);
    ASSERT_NE(first, nullptr);
    const uint32_t reads = gPackReadCount;
    EXPECT_EQ(reads, 2u) << "entry head and packed frame";
    EXPECT_EQ(GetTswPicture(9045, 0), first);
    EXPECT_EQ(PeekTswPicture(9045, 0), first);
    EXPECT_EQ(gPackReadCount, reads);
    EXPECT_EQ(gTswCache.total, 16u);

    // Another frame of the same picture is another cache entry.
    PicFrame* second = GetTswPicture(9045, 1);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(second->width, 6);
    EXPECT_EQ(TotalCount(), 2);
}

TEST_F(PackPictureTest, EvictionDropsTheOldestOfTheFullestBucket) {
    // Buckets go by the number's low four bits: 9001, 9017 and 9033 share
    // bucket 9; 9002 and 9018 share bucket 10.
    std::vector<TswEntryData> entries;
    for (int index : {1, 2, 17, 18, 33}) entries.push_back(Entry16(index, {Raw16(uint16_t(index), 1, 0x0421)}));
    PutPack(3, entries);
    OpenTswPacks();
    const uint32_t big = 0xFFFFFFF;
    SetTswCacheLimit(big);
    ASSERT_NE(GetTswPicture(9001, 0), nullptr);
    ASSERT_NE(GetTswPicture(9017, 0), nullptr);
    ASSERT_NE(GetTswPicture(9002, 0), nullptr);
    PicFrame* held = GetTswPicture(9001, 0); // a hit: 9017 is now the oldest of bucket 9
    const uint32_t total = gTswCache.total;  // 2 + 34 + 4 bytes

    // Over the limit: the miss trims bucket 9 (the fullest) until under the limit.
    SetTswCacheLimit(total - 1);
    ASSERT_NE(GetTswPicture(9033, 0), nullptr);
    EXPECT_EQ(PeekTswPicture(9017, 0), nullptr);
    EXPECT_EQ(PeekTswPicture(9001, 0), held);
    EXPECT_NE(PeekTswPicture(9002, 0), nullptr);
    EXPECT_EQ(gTswCache.counts[9], 2);
    ASSERT_NE(gTswCache.retired, nullptr);

    // A tie between buckets 9 and 10 (two each after 9018) trims bucket 9.
    SetTswCacheLimit(big);
    ASSERT_NE(GetTswPicture(9018, 0), nullptr);
    EXPECT_EQ(gTswCache.counts[9], 2);
    EXPECT_EQ(gTswCache.counts[10], 2);
    SetTswCacheLimit(1);
    PicFrame* dropped = PeekTswPicture(9001, 0);
    PeekTswPicture(9033, 0); // 9001 becomes the oldest of bucket 9
    ASSERT_EQ(GetTswPicture(9017, 0)->width, 17);
    EXPECT_EQ(PeekTswPicture(9001, 0), nullptr);
    EXPECT_EQ(PeekTswPicture(9033, 0), nullptr);
    EXPECT_NE(PeekTswPicture(9002, 0), nullptr);
    EXPECT_NE(PeekTswPicture(9018, 0), nullptr);

    // A picture evicted this frame is still whole until the frame ends.
    EXPECT_EQ(dropped->width, 1);
    EXPECT_EQ(dropped->data[0], 0x21);
    ReleaseRetiredTswPictures();
    EXPECT_EQ(gTswCache.retired, nullptr);
}

TEST_F(PackPictureTest, NothingIsEvictedFromAnEmptyCache) {
    PutPack(3, std::vector<TswEntryData>{Entry16(1, {Raw16(2, 2, 0)})});
    OpenTswPacks();
    SetTswCacheLimit(0);
    ASSERT_NE(GetTswPicture(9001, 0), nullptr);
    EXPECT_EQ(TotalCount(), 1);
}

// Breaks entry 2 of a pack whose entry 1 is good.
struct CorruptCase {
    const char* what;
    void (*corrupt)(std::vector<uint8_t>& pack);
    uint16_t frame;
};

void PutU16(std::vector<uint8_t>& pack, size_t pos, uint16_t v) { ByteWriter(pack).putU16At(pos, v); }
void PutU32(std::vector<uint8_t>& pack, size_t pos, uint32_t v) { ByteWriter(pack).putU32At(pos, v); }

const CorruptCase kCorruptCases[] = {
    {"wrong magic", [](std::vector<uint8_t>& p) { PutU16(p, EntryOffset(p, 2) + 4, 0x1234); }, 0},
    {"depth 12", [](std::vector<uint8_t>& p) { PutU16(p, EntryOffset(p, 2) + 8, 12); }, 0},
    {"frame past the descriptors in the file", [](std::vector<uint8_t>&) {}, 9},
    {"frame past the entry head", [](std::vector<uint8_t>&) {}, 400},
    {"record offset past the file", [](std::vector<uint8_t>& p) { PutU32(p, 28 + 44 + 24, uint32_t(p.size())); }, 0},
    {"packed length beyond what the frame packs to",
     [](std::vector<uint8_t>& p) { PutU32(p, Descriptor16(p, 2, 0) + 4, 0x10000); }, 0},
    {"packed bytes past the file", [](std::vector<uint8_t>& p) {
         ByteReader r(p);
         r.seek(Descriptor16(p, 2, 0) + 4);
         PutU32(p, Descriptor16(p, 2, 0) + 4, r.u32() + 2);
     }, 0},
    {"frame offset past the file",
     [](std::vector<uint8_t>& p) { PutU32(p, Descriptor16(p, 2, 0), 0xFFFFFFF0u); }, 0},
    {"unpacked length too long", [](std::vector<uint8_t>& p) {
         ByteReader r(p);
         r.seek(Descriptor16(p, 2, 0) + 8);
         PutU32(p, Descriptor16(p, 2, 0) + 8, r.u32() + 2);
     }, 0},
    {"unpacked length too short", [](std::vector<uint8_t>& p) { PutU32(p, Descriptor16(p, 2, 0) + 8, 4); }, 0},
    {"unpacked length 0", [](std::vector<uint8_t>& p) { PutU32(p, Descriptor16(p, 2, 0) + 8, 0); }, 0},
    {"unpacked length beyond any frame",
     [](std::vector<uint8_t>& p) { PutU32(p, Descriptor16(p, 2, 0) + 8, 0x7FFFFFFF); }, 0},
    {"packed data cut short", [](std::vector<uint8_t>& p) { p.resize(p.size() - 3); }, 0},
    {"raw frame smaller than its size", [](std::vector<uint8_t>& p) { PutU16(p, Descriptor16(p, 2, 0) + 34, 9); }, 0},
    {"raw frame of no pixels", [](std::vector<uint8_t>& p) { PutU16(p, Descriptor16(p, 2, 0) + 32, 0); }, 0},
};

TEST_F(PackPictureTest, CorruptEntriesAreRefusedAndTheNextLoadWorks) {
    for (const CorruptCase& c : kCorruptCases) {
        SCOPED_TRACE(c.what);
        ResetTswPacks();
        ASSERT_NE(MakePackPath(Folder().c_str()), nullptr);
        std::vector<uint8_t> pack = BuildTswPack({Entry16(1, {Raw16(3, 3, 0x0421)}), Entry16(2, {Raw16(4, 4, 0x0421)})});
        c.corrupt(pack);
        PutPack(3, pack);
        OpenTswPacks();
        EXPECT_EQ(GetTswPicture(9002, c.frame), nullptr);
        EXPECT_EQ(TotalCount(), 0);
        EXPECT_EQ(gTswCache.total, 0u);
        PicFrame out;
        std::memset(&out, 0x5A, sizeof out);
        EXPECT_EQ(GetTswPictureDirect(&out, 9002, c.frame), nullptr);
        EXPECT_EQ(out.data, nullptr);
        const PicFrame* good = GetTswPicture(9001, 0);
        ASSERT_NE(good, nullptr);
        EXPECT_EQ(good->width, 3);
    }
}

TEST_F(PackPictureTest, MalformedRunLengthFramesAreRefused) {
    std::vector<uint8_t> broken = Rle16(4, 2, std::vector<uint16_t>(8, 0x0421)).bytes;
    broken[8] = 0xF0; // the first row's length no longer fits the block
    const std::vector<uint8_t> eightBit = Rle8(4, 2, std::vector<uint8_t>(8, 7)).bytes;
    // An 8-bit frame in a 16-bit entry has no palette to widen it with.
    PutPack(3, std::vector<TswEntryData>{Entry16(1, {{broken, 4, 2}, {eightBit, 4, 2}})});
    OpenTswPacks();
    EXPECT_EQ(GetTswPicture(9001, 0), nullptr);
    EXPECT_EQ(GetTswPicture(9001, 1), nullptr);
}

TEST_F(PackPictureTest, ARefusedRunLengthFrameIsTracedOncePerEntry) {
    std::vector<uint8_t> broken = Rle16(4, 2, std::vector<uint16_t>(8, 0x0421)).bytes;
    broken[8] = 0xF0;
    PutPack(3, std::vector<TswEntryData>{Entry16(1, {{broken, 4, 2}, {broken, 4, 2}}),
                                         Entry16(2, {Raw16(3, 3, 0)}), Entry16(3, {{broken, 4, 2}})});
    // The other packs are there, so that only the frames are traced.
    for (int p : {0, 1, 2, 4, 5}) PutPack(p, std::vector<TswEntryData>{Entry16(1, {Raw16(1, 1, 0)})});
    OpenTswPacks();
    // Every frame asks again, as a drawing loop does.
    for (int pass = 0; pass < 3; ++pass) {
        EXPECT_EQ(GetTswPicture(9001, 0), nullptr);
        EXPECT_EQ(GetTswPicture(9001, 1), nullptr);
        EXPECT_NE(GetTswPicture(9002, 0), nullptr);
        PicFrame out;
        EXPECT_EQ(GetTswPictureDirect(&out, 9003, 0), nullptr);
    }
    EXPECT_EQ(GetTswPicture(9001, 7), nullptr); // no such frame: nothing to trace
    const std::vector<std::string> expected = {
        "all_sys.tsw: picture 9001 frame 0: the run-length frame is damaged and is not drawn",
        "all_sys.tsw: picture 9003 frame 0: the run-length frame is damaged and is not drawn",
    };
    EXPECT_EQ(HeadlessTraces(), expected);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

TEST_F(PackPictureTest, AWrongLengthGivesTheReadBufferBack) {
    std::vector<uint8_t> pack = BuildTswPack({Entry16(1, {Raw16(3, 3, 0)}), Entry16(2, {Raw16(4, 4, 0)})});
    PutU32(pack, Descriptor16(pack, 2, 0) + 8, 4 * 4 * 2 + 6);
    PutPack(3, pack);
    OpenTswPacks();
    ASSERT_NE(GetTswPicture(9001, 0), nullptr);
    EXPECT_GT(GetTswBufferCapacity(false), 0u);
    EXPECT_EQ(GetTswPicture(9002, 0), nullptr);
    EXPECT_EQ(GetTswBufferCapacity(false), 0u);
    ClearTswCache();
    ASSERT_NE(GetTswPicture(9001, 0), nullptr);
    EXPECT_GT(GetTswBufferCapacity(false), 0u);
}

TEST_F(PackPictureTest, AnEntryNearTheEndOfTheFileLoads) {
    // The whole entry is far shorter than the head the reader asks for.
    const std::vector<uint8_t> pack = BuildTswPack({Entry16(7, {Raw16(2, 1, 0x7FFF)})});
    ASSERT_LT(pack.size() - EntryOffset(pack, 7), size_t(kTswHeadBytes));
    PutPack(0, pack);
    OpenTswPacks();
    const PicFrame* pic = GetTswPicture(7, 0);
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic->size, 4u);
}

struct FormatCase {
    const char* what;
    int format;
};

const FormatCase kFormats[] = {{"555", kFormat555}, {"565", kFormat565}};

void UseFormat(int format) {
    const RgbMasks m = MasksOfFormat(format);
    SetPixelMasks(m.red, m.green, m.blue);
}

TEST_F(PackPictureTest, SixteenBitFramesAreConvertedOnce) {
    for (const FormatCase& f : kFormats) {
        SCOPED_TRACE(f.what);
        ResetTswPacks();
        ASSERT_NE(MakePackPath(Folder().c_str()), nullptr);
        UseFormat(f.format);
        // Red, then green, then the key colour; the run-length frame keeps its key runs.
        const std::vector<uint16_t> pixels = {0x7C00, 0x03E0, kStoredColourKey, 0x001F};
        PutPack(3, std::vector<TswEntryData>{Entry16(1, {Rle16(4, 1, pixels), Raw16(2, 1, 0x7C00)})});
        OpenTswPacks();
        const PicFrame* rle = GetTswPicture(9001, 0);
        ASSERT_NE(rle, nullptr);
        EXPECT_EQ(rle->width, 4);
        EXPECT_EQ(rle->height, 1);
        EXPECT_EQ(rle->palette, nullptr);
        EXPECT_EQ(RlePixel(rle, 0, 0), ToScreenPixel(0x7C00));
        EXPECT_EQ(RlePixel(rle, 1, 0), ToScreenPixel(0x03E0));
        EXPECT_EQ(RleLookup(rle->data, rle->size, 2, 0, nullptr), 0);
        // Raw frames are converted too, so drawing never converts.
        const PicFrame* raw = GetTswPicture(9001, 1);
        ASSERT_NE(raw, nullptr);
        EXPECT_EQ(LoadU16(raw->data), ToScreenPixel(0x7C00));
        EXPECT_EQ(LoadU16(raw->data + 2), f.format == kFormat565 ? 0xF800 : 0x7C00);
    }
}

TEST_F(PackPictureTest, EightBitEntriesAreWidenedAndKeepTheirOwnPalette) {
    for (const FormatCase& f : kFormats) {
        SCOPED_TRACE(f.what);
        ResetTswPacks();
        ASSERT_NE(MakePackPath(Folder().c_str()), nullptr);
        UseFormat(f.format);
        std::vector<uint16_t> warm(256, 0), cool(256, 0);
        warm[5] = 0x7C00;
        warm[6] = 0x7FE0;
        cool[5] = 0x001F;
        cool[6] = 0x03FF;
        const std::vector<uint8_t> indices = {5, 6, kIndexKey, 5};
        const std::vector<uint8_t> raw = {5, 6, 6, 5};
        TswEntryData a{1, 8, warm, {Rle8(4, 1, indices), {raw, 2, 2}}};
        TswEntryData b{2, 8, cool, {Rle8(4, 1, indices), {raw, 2, 2}}};
        PutPack(3, std::vector<TswEntryData>{a, b});
        OpenTswPacks();

        const PicFrame* wideA = GetTswPicture(9001, 0);
        ASSERT_NE(wideA, nullptr);
        RleInfo info;
        ASSERT_TRUE(ValidateRle(wideA->data, wideA->size, &info));
        EXPECT_EQ(info.depth, 16);
        EXPECT_EQ(wideA->palette, nullptr);
        EXPECT_EQ(RlePixel(wideA, 0, 0), ToScreenPixel(0x7C00));
        EXPECT_EQ(RlePixel(wideA, 1, 0), ToScreenPixel(0x7FE0));
        EXPECT_EQ(RleLookup(wideA->data, wideA->size, 2, 0, nullptr), 0);

        const PicFrame* rawA = GetTswPicture(9001, 1);
        ASSERT_NE(rawA, nullptr);
        ASSERT_NE(rawA->palette, nullptr);
        EXPECT_EQ(rawA->data[0], 5);
        EXPECT_EQ(rawA->palette[5], ToScreenPixel(0x7C00));

        // Loading the second entry leaves the first one's colours alone.
        const PicFrame* wideB = GetTswPicture(9002, 0);
        const PicFrame* rawB = GetTswPicture(9002, 1);
        ASSERT_NE(wideB, nullptr);
        ASSERT_NE(rawB, nullptr);
        EXPECT_EQ(RlePixel(wideB, 0, 0), ToScreenPixel(0x001F));
        EXPECT_EQ(rawB->palette[6], ToScreenPixel(0x03FF));
        EXPECT_EQ(rawA->palette[5], ToScreenPixel(0x7C00));
        EXPECT_EQ(rawA->palette[6], ToScreenPixel(0x7FE0));
        EXPECT_NE(rawA->palette, rawB->palette);
    }
}

TEST_F(PackPictureTest, DirectReadsBelongToTheCaller) {
    PutPack(3, std::vector<TswEntryData>{Entry16(1, {Raw16(3, 2, 0x0421)})});
    OpenTswPacks();
    PicFrame out;
    ASSERT_EQ(GetTswPictureDirect(&out, 9001, 0), &out);
    EXPECT_EQ(out.width, 3);
    EXPECT_EQ(out.size, 12u);
    EXPECT_EQ(PeekTswPicture(9001, 0), nullptr);
    EXPECT_EQ(gTswCache.total, 0u);
    EXPECT_GT(GetTswBufferCapacity(true), 0u);
    FreeMem(out.data);
    FreeMem(out.extra);
}

TEST_F(PackPictureTest, ADirectRawEightBitFrameIsOneBlockWithItsPalette) {
    // Callers that keep a direct read free its data block and nothing else;
    // the sanitizer build's leak check holds them to it.
    std::vector<uint16_t> colours(256, 0);
    colours[7] = 0x7C00;
    PutPack(3, std::vector<TswEntryData>{{1, 8, colours, {{{7, 7, 7}, 3, 1}}}});
    UseFormat(kFormat565);
    OpenTswPacks();
    PicFrame out;
    ASSERT_EQ(GetTswPictureDirect(&out, 9001, 0), &out);
    EXPECT_EQ(out.extra, nullptr);
    ASSERT_NE(out.palette, nullptr);
    const uint8_t* palette = reinterpret_cast<const uint8_t*>(out.palette);
    EXPECT_GE(palette, out.data + 3);
    EXPECT_LE(palette + 512, out.data + out.size);
    EXPECT_EQ(out.data[2], 7);
    EXPECT_EQ(out.palette[7], 0xF800);
    FreeMem(out.data);

    // Cached, the palette counts in the cache's bytes.
    const PicFrame* cached = GetTswPicture(9001, 0);
    ASSERT_NE(cached, nullptr);
    EXPECT_EQ(gTswCache.total, cached->size);
    EXPECT_GE(cached->size, 3u + 512u);
}

TEST_F(PackPictureTest, ClearingEmptiesCacheAndBuffers) {
    PutPack(3, std::vector<TswEntryData>{Entry16(1, {Raw16(3, 2, 0)}), Entry16(2, {Raw16(3, 2, 0)})});
    OpenTswPacks();
    ASSERT_NE(GetTswPicture(9001, 0), nullptr);
    PicFrame out;
    ASSERT_NE(GetTswPictureDirect(&out, 9002, 0), nullptr);
    FreeMem(out.data);
    ClearTswCache();
    EXPECT_EQ(TotalCount(), 0);
    EXPECT_EQ(gTswCache.total, 0u);
    EXPECT_EQ(GetTswBufferCapacity(false), 0u);
    EXPECT_EQ(GetTswBufferCapacity(true), 0u);
    ASSERT_NE(GetTswPicture(9001, 0), nullptr);

    // Closed packs yield nothing, and leave the cache empty.
    CloseTswPacks();
    EXPECT_EQ(TotalCount(), 0);
    EXPECT_EQ(GetTswPicture(9001, 0), nullptr);
}

TEST_F(PackPictureTest, MissingPacksYieldNothing) {
    OpenTswPacks();
    EXPECT_EQ(GetTswPicture(1, 0), nullptr);
    EXPECT_EQ(GetTswPicture(9045, 0), nullptr);
}

TEST_F(PackPictureTest, AnEmptyPackFolderKeepsThePreviousOne) {
    EXPECT_EQ(MakePackPath(""), nullptr);
    PutPack(3, std::vector<TswEntryData>{Entry16(1, {Raw16(3, 2, 0)})});
    OpenTswPacks();
    EXPECT_NE(GetTswPicture(9001, 0), nullptr);
    EXPECT_EQ(std::string(MakePackPath("x")), "x\\");
    EXPECT_EQ(MakePackPath(std::string(2000, 'a').c_str()), nullptr);
}

// A map with three pictures: a 16-bit frame, a palette with an 8-bit frame,
// and bytes that are neither.
struct FakeMap {
    std::vector<std::vector<uint8_t>> packed;
    std::vector<uint32_t> unpacked;
    int reads = 0;
} gFakeMap;

bool FakeFind(uint16_t n, uint32_t* packed, uint32_t* unpacked) {
    if (n >= gFakeMap.packed.size()) return false;
    *packed = uint32_t(gFakeMap.packed[n].size());
    *unpacked = gFakeMap.unpacked[n];
    return true;
}
bool FakeRead(uint16_t n, uint8_t* destination, uint32_t length) {
    ++gFakeMap.reads;
    if (n >= gFakeMap.packed.size() || length != gFakeMap.packed[n].size()) return false;
    std::memcpy(destination, gFakeMap.packed[n].data(), length);
    return true;
}

void AddMapPicture(const std::vector<uint8_t>& bytes) {
    uint32_t packedLength = 0;
    uint8_t* packed = CompressBuffer(bytes.data(), uint32_t(bytes.size()), &packedLength);
    gFakeMap.packed.push_back(TakeBlock(packed, int(packedLength)));
    gFakeMap.unpacked.push_back(uint32_t(bytes.size()));
}

TEST_F(PackPictureTest, MapPicturesComeFromTheMapSource) {
    PicFrame frame;
    EXPECT_EQ(LoadPackImage(0, &frame), 0) << "no map source yet";
    EXPECT_EQ(GetTswPicture(kMapPictureNumber, 0), nullptr);

    UseFormat(kFormat565);
    gFakeMap = {};
    AddMapPicture(Rle16(3, 1, {0x7C00, 0x7C00, 0x001F}).bytes);
    std::vector<uint8_t> withPalette(512, 0);
    ByteWriter(withPalette).putU16At(2 * 9, 0x03E0);
    const std::vector<uint8_t> eight = Rle8(2, 2, {9, 9, 9, kIndexShadow}).bytes;
    withPalette.insert(withPalette.end(), eight.begin(), eight.end());
    AddMapPicture(withPalette);
    AddMapPicture(std::vector<uint8_t>(600, 0x11));
    const MapPictureSource source{FakeFind, FakeRead};
    SetMapPictureSource(&source);

    ASSERT_EQ(LoadPackImage(0, &frame), 1);
    EXPECT_EQ(frame.width, 3);
    EXPECT_EQ(RlePixel(&frame, 0, 0), 0xF800);
    FreeMem(frame.data);

    const PicFrame* wide = GetTswPicture(kMapPictureNumber, 1);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->width, 2);
    EXPECT_EQ(wide->height, 2);
    EXPECT_EQ(RlePixel(wide, 1, 0), ToScreenPixel(0x03E0));
    EXPECT_EQ(gTswCache.counts[1], 1) << "map pictures are bucketed by their frame";
    const int reads = gFakeMap.reads;
    EXPECT_EQ(GetTswPicture(kMapPictureNumber, 1), wide);
    EXPECT_EQ(gFakeMap.reads, reads);

    EXPECT_EQ(LoadPackImage(2, &frame), 0) << "neither kind of frame";
    EXPECT_EQ(frame.data, nullptr);
    EXPECT_EQ(LoadPackImage(3, &frame), 0) << "no such picture";
    gFakeMap.unpacked[0] += 1;
    EXPECT_EQ(LoadPackImage(0, &frame), 0) << "wrong length";
    SetMapPictureSource(nullptr);
}

} // namespace
