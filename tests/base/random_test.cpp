#include "base/random.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class RandomTest : public ::testing::Test {
protected:
    void SetUp() override { ResetRandom(); }
    void TearDown() override { ResetRandom(); }
};

// Values checked by hand against the generator's definition, then pinned.
TEST_F(RandomTest, SeedingGeneratorSequence) {
    SeedLcg(1);
    const int want[] = {346, 130, 10982, 1090};
    for (int v : want) EXPECT_EQ(LcgNext(), v);
}

TEST_F(RandomTest, ShiftRegisterSequenceForASeed) {
    InitRandom(12345);
    const uint32_t want[] = {1173, 53403, 52352, 35341, 27497, 54011, 64279, 36646};
    for (uint32_t v : want) EXPECT_EQ(R250Next(), v);
}

TEST_F(RandomTest, RandomSequenceForASeed) {
    InitRandom(12345);
    const int want[] = {3, 41, 11, 46, 2, 89, 52, 25};
    for (int v : want) EXPECT_EQ(Random(100), v);
}

TEST_F(RandomTest, SameSeedSameSequence) {
    InitRandom(777);
    std::vector<int> first;
    for (int i = 0; i < 500; ++i) first.push_back(Random(1000));
    InitRandom(777);
    for (int i = 0; i < 500; ++i) EXPECT_EQ(Random(1000), first[i]) << i;
}

TEST_F(RandomTest, SeedingMarksSixteenIndependentWords) {
    InitRandom(99);
    for (int k = 0; k < 16; ++k) {
        const uint32_t word = gRandomTable[11 * k + 3];
        EXPECT_EQ(word >> (15 - k), 1u) << k; // bit 15-k set, the bits above clear
    }
    for (uint32_t word : gRandomTable) EXPECT_LE(word, 0xFFFFu);
}

TEST_F(RandomTest, RandomStaysBelowItsLimit) {
    InitRandom(2024);
    const int limits[] = {1, 2, 3, 7, 10, 100, 255, 1000, 32767, 32768, 40000, 65534, 65535};
    for (int n : limits) {
        for (int i = 0; i < 2000; ++i) {
            const int v = Random(n);
            ASSERT_GE(v, 0) << n;
            ASSERT_LT(v, n) << n;
        }
    }
}

TEST_F(RandomTest, RandomOfOneIsAlwaysZero) {
    InitRandom(5);
    for (int i = 0; i < 1000; ++i) EXPECT_EQ(Random(1), 0);
}

TEST_F(RandomTest, RandomOfZeroOrLessIsZeroAndLeavesTheSequence) {
    InitRandom(5);
    EXPECT_EQ(Random(0), 0);
    EXPECT_EQ(Random(-3), 0);
    const int after = Random(100);
    InitRandom(5);
    EXPECT_EQ(Random(100), after);
}

TEST_F(RandomTest, RandomAboveSixteenBitsEnds) {
    InitRandom(5);
    for (int i = 0; i < 100; ++i) EXPECT_LT(Random(100000), 65536);
}

TEST_F(RandomTest, CRandIsSeededAndReplaceable) {
    SetCRandSeed(1);
    const int want[] = {41, 18467, 6334, 26500};
    for (int v : want) EXPECT_EQ(CRand(), v);
    SetCRandSource([]() { return 0x12345; });
    EXPECT_EQ(CRand(), 0x2345); // kept to 0..32767
    SetCRandSource(nullptr);
    SetCRandSeed(1);
    EXPECT_EQ(CRand(), 41);
}

} // namespace
