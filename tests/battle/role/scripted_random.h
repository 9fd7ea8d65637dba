// A scripted Random for tests: the generator's table is set so that the
// k-th call of Random(n) gives values[k] % n (each value below n gives
// itself), and every call after the script gives 0. At most 50 values.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

#include "base/random.h"

// Random draws two words a call and keeps the second: the k-th call keeps
// word 2k + 1 mixed with word 2k + 104, which stays 0 while the script is
// shorter than 50 values.
inline void ScriptRandom(std::initializer_list<int> values) {
    ASSERT_LE(values.size(), 50u);
    std::fill(std::begin(gRandomTable), std::end(gRandomTable), 0u);
    gRandomIndex = 0;
    int k = 0;
    for (int v : values) gRandomTable[2 * k++ + 1] = static_cast<uint32_t>(v) & 0xFFFF;
}
