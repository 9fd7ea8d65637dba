#include "base/bytes.h"

#include <gtest/gtest.h>

TEST(ByteReader, ReadsLittleEndianValues) {
    const uint8_t data[] = {0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF};
    ByteReader r(data, sizeof data);
    EXPECT_EQ(r.u8(), 0x01);
    EXPECT_EQ(r.u16(), 0x1234);
    EXPECT_EQ(r.u32(), 0x12345678u);
    EXPECT_EQ(r.i32(), -2);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.remaining(), 0u);
}

TEST(ByteReader, ShortReadFailsStickyAndStaysPut) {
    const uint8_t data[] = {1, 2, 3};
    ByteReader r(data, sizeof data);
    EXPECT_EQ(r.u16(), 0x0201);
    EXPECT_EQ(r.u32(), 0u);  // only one byte left
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.tell(), 2u);
    EXPECT_EQ(r.u8(), 3);    // later reads that fit still work...
    EXPECT_FALSE(r.ok());    // ...but the failure is remembered
}

TEST(ByteReader, BytesAndSeekRefusePastEnd) {
    const uint8_t data[] = {9, 8, 7, 6};
    ByteReader r(data, sizeof data);
    uint8_t out[8];
    std::memset(out, 0xAA, sizeof out);
    EXPECT_FALSE(r.bytes(out, 5));
    for (uint8_t b : {out[0], out[4]}) EXPECT_EQ(b, 0);
    EXPECT_EQ(out[5], 0xAA);
    ByteReader s(data, sizeof data);
    EXPECT_TRUE(s.seek(4));
    EXPECT_FALSE(s.seek(5));
    EXPECT_EQ(s.tell(), 4u);
    ByteReader v(data, sizeof data);
    EXPECT_EQ(v.view(5), nullptr);
    EXPECT_NE(v.view(4), nullptr);
}

TEST(ByteReader, NullDataIsEmpty) {
    ByteReader r(nullptr, 100);
    EXPECT_EQ(r.size(), 0u);
    EXPECT_EQ(r.u8(), 0);
    EXPECT_FALSE(r.ok());
}

TEST(ByteWriter, WritesAndPatchesLittleEndian) {
    std::vector<uint8_t> out;
    ByteWriter w(out);
    w.u32(0);
    w.u16(0xBEEF);
    w.bytes("ab", 2);
    w.padding(2, 0x20);
    EXPECT_TRUE(w.putU32At(0, 0x11223344));
    EXPECT_FALSE(w.putU32At(7, 1));
    w.padTo(12);
    const std::vector<uint8_t> want = {0x44, 0x33, 0x22, 0x11, 0xEF, 0xBE, 'a', 'b', 0x20, 0x20, 0, 0};
    EXPECT_EQ(out, want);
    ByteReader r(out);
    EXPECT_EQ(r.u32(), 0x11223344u);
    EXPECT_EQ(r.u16(), 0xBEEF);
}

TEST(ByteWriter, PatchesPastTheEndAreRefused) {
    std::vector<uint8_t> out(4, 0);
    ByteWriter w(out);
    const size_t far = SIZE_MAX; // a position that wraps when a size is added
    for (size_t pos : {size_t(4), far - 1, far}) {
        EXPECT_FALSE(w.putU8At(pos, 1)) << pos;
        EXPECT_FALSE(w.putU16At(pos, 1)) << pos;
        EXPECT_FALSE(w.putU32At(pos, 1)) << pos;
        EXPECT_FALSE(w.putBytesAt(pos, "ab", 2)) << pos;
    }
    EXPECT_EQ(out, std::vector<uint8_t>(4, 0));
}
