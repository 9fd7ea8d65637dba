#include "base/memory.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(AllocZero, RefusesSizesBelowOne) {
    EXPECT_EQ(AllocZero(0), nullptr);
    EXPECT_EQ(AllocZero(-5), nullptr);
    FreeMem(nullptr); // ignored
}

TEST(AllocZero, GivesZeroedBlockWithSlack) {
    // A one-byte block is 16 bytes; every size gets at least 12 bytes beyond n.
    for (int n : {1, 3, 4, 17, 1000}) {
        auto* p = static_cast<uint8_t*>(AllocZero(n));
        ASSERT_NE(p, nullptr);
        const int size = (n + 15) & ~3;
        for (int i = 0; i < size; ++i) ASSERT_EQ(p[i], 0) << n << " " << i;
        FreeMem(p);
    }
}
