#include "base/text_convert.h"

#include <gtest/gtest.h>

namespace {

// A character's two text bytes as the code the conversion takes.
uint16_t Code(uint8_t first, uint8_t second) { return static_cast<uint16_t>(first | (second << 8)); }

class TextConvertTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(BuildBig5ToGbTable()); }
    void TearDown() override { ResetTextConvert(); }
};

struct KnownPair {
    uint8_t big5[2];
    uint8_t gb[2];
};

// Punctuation keeps its sign; traditional characters become simplified ones.
const KnownPair kKnownPairs[] = {
    {{0xA1, 0x40}, {0xA1, 0xA1}},  // ideographic space
    {{0xA1, 0x41}, {0xA3, 0xAC}},  // comma
    {{0xA1, 0x42}, {0xA1, 0xA2}},  // enumeration comma
    {{0xA1, 0x43}, {0xA1, 0xA3}},  // full stop
    {{0xA4, 0xA4}, {0xD6, 0xD0}},  // middle: the same character in both
    {{0xC5, 0xE9}, {0xCC, 0xE5}},  // body
    {{0xB0, 0xEA}, {0xB9, 0xFA}},  // country
    {{0xBE, 0xC7}, {0xD1, 0xA7}},  // learn
    {{0xC0, 0x73}, {0xC1, 0xFA}},  // dragon
    {{0xAB, 0xE1}, {0xBA, 0xF3}},  // after
};

TEST_F(TextConvertTest, KnownPairsConvertBothWays) {
    for (const KnownPair& p : kKnownPairs) {
        SCOPED_TRACE(testing::Message() << std::hex << int(p.big5[0]) << int(p.big5[1]));
        EXPECT_EQ(Big5ToGb(Code(p.big5[0], p.big5[1])), Code(p.gb[0], p.gb[1]));
    }
    // Typing the GB2312 comma stores the Big5 comma.
    EXPECT_EQ(GbToBig5(Code(0xA3, 0xAC)), Code(0xA1, 0x41));
    EXPECT_EQ(GbToBig5(Code(0xCC, 0xE5)), Code(0xC5, 0xE9));
    EXPECT_EQ(GbToBig5(Code(0xB9, 0xFA)), Code(0xB0, 0xEA));
}

TEST_F(TextConvertTest, UnpairedBig5IsDrawnAsTwoFullStops) {
    // A1 45 is a Big5 sign GB2312 does not have; 81 40 is the user-defined area.
    EXPECT_EQ(Big5ToGb(Code(0xA1, 0x45)), kNoGbCode);
    EXPECT_EQ(Big5ToGb(Code(0x81, 0x40)), kNoGbCode);
    EXPECT_EQ(Big5ToGb(0), kNoGbCode);
    const uint16_t dots = kNoGbCode;
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(&dots)[0], '.');
}

TEST_F(TextConvertTest, UnpairedGbPassesUnchanged) {
    EXPECT_EQ(GbToBig5(Code(0xA1, 0x45)), Code(0xA1, 0x45));  // no Big5 sign becomes it
    EXPECT_EQ(GbToBig5(Code('A', 'B')), Code('A', 'B'));
}

TEST_F(TextConvertTest, ReverseLooksAtTheGbFieldOnly) {
    // B0 A1 is a GB2312 code and also a Big5 code that sorts before the pair
    // whose GB2312 field it is; typing it must give that pair's Big5 code.
    const uint16_t gbCode = Code(0xB0, 0xA1);
    uint16_t big5 = GbToBig5(gbCode);
    ASSERT_NE(big5, gbCode);
    EXPECT_EQ(Big5ToGb(big5), gbCode);
    EXPECT_NE(Big5ToGb(gbCode), gbCode);
}

TEST_F(TextConvertTest, PairTableIsSortedAndEnded) {
    ASSERT_GT(gBig5GbPairCount, 5000);
    EXPECT_EQ(gBig5GbPairs[gBig5GbPairCount].big5, 0);
    for (int i = 1; i < gBig5GbPairCount; ++i) ASSERT_LT(gBig5GbPairs[i - 1].big5, gBig5GbPairs[i].big5);
    // Fields hold the lead byte high: in memory the trail byte comes first.
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&gBig5GbPairs[0]);
    EXPECT_EQ(bytes[0], 0x40);
    EXPECT_EQ(bytes[1], 0xA1);
}

TEST(TextConvertLifetime, FreeClearsTheTableAndLookupsStaySafe) {
    ASSERT_TRUE(BuildBig5ToGbTable());
    EXPECT_NE(gBig5ToGb, nullptr);
    FreeBig5ToGbTable();
    EXPECT_EQ(gBig5ToGb, nullptr);
    EXPECT_EQ(Big5ToGb(Code(0xA1, 0x40)), Code(0xA1, 0x40));
}

}  // namespace
