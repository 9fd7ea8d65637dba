#include "world/org/count_list.h"

#include <gtest/gtest.h>

#include "base/lzo.h"
#include "base/memory.h"
#include "tests/world/world_fixture.h"

namespace {

class CountListTest : public WorldTablesTest {
protected:
    void TearDown() override {
        FreeCountList(&list);
        WorldTablesTest::TearDown();
    }
    CountList list{};
};

TEST_F(CountListTest, CountsStopGrowingAtTheCap) {
    AddCount(&list, 7, 19);
    AddCount(&list, 7, 5);
    EXPECT_EQ(GetCount(&list, 7), 24);
    AddCount(&list, 7, 5);
    EXPECT_EQ(GetCount(&list, 7), 24);
    SetCount(&list, 8, 50);
    EXPECT_EQ(GetCount(&list, 8), 20);
    EXPECT_EQ(list.id, 2);
}

TEST_F(CountListTest, ANegativeDeltaStopsAtZero) {
    AddCount(&list, 3, 2);
    AddCount(&list, 3, -5);  // wrapped to 65533 before
    EXPECT_EQ(GetCount(&list, 3), 0);
    AddCount(&list, 4, -1);
    EXPECT_EQ(GetCount(&list, 4), 0);
}

TEST_F(CountListTest, LookupsSkipTheHead) {
    for (uint16_t id : {1, 2, 3}) AddCount(&list, id, id * 10);
    EXPECT_EQ(list.id, 3);
    EXPECT_EQ(GetCount(&list, 3), 30);
    EXPECT_EQ(GetCount(&list, 9), 0);
}

TEST_F(CountListTest, Percentages) {
    EXPECT_EQ(AddCountPercent(&list, 5, 50, 30), 0);
    EXPECT_EQ(GetListValue(&list, 5), 2);
    int result = 0;
    for (int i = 0; i < 60; ++i) result = AddCountPercent(&list, 5, 50, 30);
    EXPECT_EQ(GetListValue(&list, 5), 100);
    EXPECT_EQ(result, 30);
    // Double arithmetic as stored: 29 of 100 is 28.999..., truncated to 28.
    SetCountPercent(&list, 6, 100, 29);
    EXPECT_EQ(GetListValue(&list, 6), 28);
}

TEST_F(CountListTest, AZeroMaximumIsRefused) {
    EXPECT_EQ(AddCountPercent(&list, 5, 0, 30), 0);
    SetCountPercent(&list, 5, 0, 3);
    EXPECT_EQ(list.id, 0);
    WriteMon({{9, Item("no growth")}});
    EXPECT_EQ(SetCountForRecord(&list, 9, 5), 1);
    EXPECT_EQ(list.id, 0);
}

TEST_F(CountListTest, RecordValues) {
    WriteMon({{9, Item("Jade", {{kObjGrowthScale, 40}, {kObjGrowthMax, 10}})}});
    EXPECT_EQ(SetCountForRecord(&list, 9, 0), 1);
    EXPECT_EQ(list.id, 0);
    SetCountForRecord(&list, 9, 25);
    EXPECT_EQ(GetCount(&list, 9), 10);
    EXPECT_EQ(GetListValue(&list, 9), 100);
    int percent = 0, value = 0, max = 0, count = 0;
    GetScaledRecordValue(&list, 9, &percent, &value);
    EXPECT_EQ(percent, 100);
    EXPECT_EQ(value, 40);
    EXPECT_EQ(GetCountAndRecordValue(&list, 9, &max, &count), 1);
    EXPECT_EQ(max, 10);
    EXPECT_EQ(count, 10);
    EXPECT_EQ(GetCountAndRecordValue(&list, 8, &max, &count), 0);
}

TEST_F(CountListTest, FameBlockOfEmptyListsIsStoredAndLoaded) {
    EXPECT_EQ(FameRawForm().size(), 30u);
    std::vector<uint8_t> block;
    ASSERT_EQ(SaveFameBlock(block), 1);  // packs to more than 30 bytes: stored all the same
    EXPECT_GT(block.size(), 10u + 30u);
    EXPECT_EQ(block[0], 1);
    size_t boxes = BoxCount();
    ASSERT_EQ(LoadFameBlock(block.data(), block.size()), 1);
    EXPECT_EQ(BoxCount(), boxes);
    EXPECT_EQ(gFameList1.id + gFameList2.id + gFameList3.id, 0);
}

TEST_F(CountListTest, FameBlockRoundTrip) {
    AddCount(&gFameList1, 11, 3);
    AddCount(&gFameList2, 21, 4);
    AddCount(&gFameList2, 22, 5);
    SetCountPercent(&gFameList3, 31, 10, 7);
    FindCount(&gFameList3, 31)->level = 2;
    uint8_t* block = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(SaveFameBlock(&block, &size), 1);
    std::vector<uint8_t> bytes(block, block + size);
    FreeMem(block);
    FreeFameLists();
    ASSERT_EQ(LoadFameBlock(bytes.data(), bytes.size()), 1);
    EXPECT_EQ(gFameList2.id, 2);
    EXPECT_EQ(GetCount(&gFameList2, 22), 5);
    EXPECT_EQ(GetCount(&gFameList1, 11), 3);
    EXPECT_EQ(GetListValue(&gFameList3, 31), 70);
    EXPECT_EQ(FindCount(&gFameList3, 31)->level, 2);
}

// The stored block byte by byte: {1, 0, raw length, packed length}, then the
// packed raw form, whose sections are {length 10 + 14 n, n, four zero bytes}
// and n entries of the node's seven words; an empty section is 10 zero bytes.
TEST_F(CountListTest, FameBlockStoredBytes) {
    auto unpack = [](const std::vector<uint8_t>& block) {
        EXPECT_GE(block.size(), 10u);
        EXPECT_EQ(block[0], 1);
        EXPECT_EQ(block[1], 0);
        const uint32_t raw = uint32_t(block[2] | block[3] << 8 | block[4] << 16 | uint32_t(block[5]) << 24);
        const uint32_t packed = uint32_t(block[6] | block[7] << 8 | block[8] << 16 | uint32_t(block[9]) << 24);
        EXPECT_EQ(packed, block.size() - 10);
        std::vector<uint8_t> out(raw + 64);
        uint32_t length = uint32_t(out.size());
        EXPECT_EQ(DecompressBuffer(block.data() + 10, out.data(), packed, &length), kLzoOk);
        EXPECT_EQ(length, raw);
        out.resize(length);
        return out;
    };
    std::vector<uint8_t> block;
    ASSERT_EQ(SaveFameBlock(block), 1);
    EXPECT_EQ(unpack(block), std::vector<uint8_t>(30, 0));  // three empty sections of 10 zero bytes

    AddCount(&gFameList2, 0x0102, 3);
    AddCount(&gFameList2, 0x0304, 4);
    SetCountPercent(&gFameList3, 0x0506, 10, 7);
    CountNode* n = FindCount(&gFameList3, 0x0506);
    n->complete = 1;
    n->pointsToNext = 0x0A0B;
    n->level = 2;
    n->spare = 0x0C0D;
    ASSERT_EQ(SaveFameBlock(block), 1);
    const std::vector<uint8_t> want = {
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                                 // gFameList1: empty, all zero
        38, 0, 0, 0, 2, 0, 0, 0, 0, 0,                                // gFameList2: two entries
        0x02, 0x01, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0x04, 0x03, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        24, 0, 0, 0, 1, 0, 0, 0, 0, 0,                                // gFameList3: one
        0x06, 0x05, 7, 0, 70, 0, 1, 0, 0x0B, 0x0A, 2, 0, 0x0D, 0x0C,
    };
    EXPECT_EQ(unpack(block), want);
}

// A raw form packed into a block as the saver stores it.
std::vector<uint8_t> Block(const std::vector<uint8_t>& raw, uint32_t claimedRaw) {
    uint32_t packedLength = 0;
    uint8_t* packed = CompressBuffer(raw.data(), uint32_t(raw.size()), &packedLength);
    std::vector<uint8_t> out = {1, 0};
    for (uint32_t v : {claimedRaw, packedLength})
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
    out.insert(out.end(), packed, packed + packedLength);
    FreeMem(packed);
    return out;
}

TEST_F(CountListTest, CorruptFameBlocksAreRefused) {
    AddCount(&gFameList2, 21, 4);
    std::vector<uint8_t> good;
    ASSERT_EQ(SaveFameBlock(good), 1);
    std::vector<uint8_t> raw = FameRawForm();
    std::vector<uint8_t> badCount = raw;
    badCount[10 + 4] = 9;  // second section claims 9 nodes in 24 bytes
    std::vector<uint8_t> truncated = good;
    truncated.resize(good.size() - 3);
    std::vector<uint8_t> longPacked = good;
    longPacked[6] = 0xFF;  // packed length past the data
    struct Case {
        const char* what;
        std::vector<uint8_t> block;
    } cases[] = {
        {"head only", {1, 0, 30, 0}},
        {"bad kind", [&] { auto b = good; b[0] = 2; return b; }()},
        {"short packed data", truncated},
        {"packed length past the data", longPacked},
        {"raw length differs", Block(raw, uint32_t(raw.size() + 14))},
        {"count disagrees with length", Block(badCount, uint32_t(badCount.size()))},
    };
    for (const Case& c : cases) {
        size_t boxes = BoxCount();
        EXPECT_EQ(LoadFameBlock(c.block.data(), c.block.size()), 0) << c.what;
        EXPECT_EQ(BoxCount(), boxes + 1) << c.what;
        EXPECT_EQ(gFameList1.id + gFameList2.id + gFameList3.id, 0) << c.what;
        EXPECT_EQ(gFameList2.next, nullptr) << c.what;
    }
}

} // namespace
