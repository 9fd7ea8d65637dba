// The pack layout pinned by bytes written out by hand: a 28-byte head, then
// 3000 records of 44 bytes (length at +20, data offset at +24, kind at
// +32), then the entries. Nothing here comes from the reader's or the
// writer's constants, so a change to either that moves a byte fails.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "base/file.h"
#include "draw/pack_file.h"
#include "pack_fixture.h"
#include "tools/pack_writer.h"

namespace {

void PutLittle32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// Index 2 (record 1, at byte 72) holds five bytes of kind 1 at 132,028;
// index 3000 (record 2999, at byte 131,984) three bytes of kind 2 behind them.
std::vector<uint8_t> GoldenPack() {
    std::vector<uint8_t> b(132028, 0);
    PutLittle32(b, 92, 5);
    PutLittle32(b, 96, 132028);
    PutLittle32(b, 104, 1);
    PutLittle32(b, 132004, 3);
    PutLittle32(b, 132008, 132033);
    PutLittle32(b, 132016, 2);
    for (uint8_t v : {0x11, 0x22, 0x33, 0x44, 0x55, 0xAA, 0xBB, 0xCC}) b.push_back(v);
    return b;
}

class PackLayoutTest : public PackFolderTest {};

TEST_F(PackLayoutTest, WriterAndReaderAgreeWithTheBytesWrittenByHand) {
    const std::vector<uint8_t> golden = GoldenPack();
    EXPECT_EQ(BuildPackFile({{2, {0x11, 0x22, 0x33, 0x44, 0x55}, 1}, {3000, {0xAA, 0xBB, 0xCC}, 2}}, 3000), golden);

    Put("golden.pak", golden);
    cFile file;
    std::vector<PackRecord> records(3000);
    ASSERT_TRUE(OpenPack(file, (Folder() + "/golden.pak").c_str(), records.data()));
    for (int k = 0; k < 3000; ++k) {
        SCOPED_TRACE(k);
        const PackRecord& r = records[k];
        if (k == 1) {
            EXPECT_EQ(r.length, 5u);
            EXPECT_EQ(r.offset, 132028u);
            EXPECT_EQ(r.kind, 1u);
        } else if (k == 2999) {
            EXPECT_EQ(r.length, 3u);
            EXPECT_EQ(r.offset, 132033u);
            EXPECT_EQ(r.kind, 2u);
        } else {
            EXPECT_EQ(r.length + r.offset + r.kind, 0u);
        }
    }
    uint8_t data[5] = {};
    ASSERT_TRUE(ReadPackBytes(file, 132028, data, 5));
    EXPECT_EQ(data[0], 0x11);
    EXPECT_EQ(data[4], 0x55);
}

} // namespace
