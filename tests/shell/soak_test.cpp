// The soak's judgement of resident memory: a steady rise over the run fails
// it; a plateau, the spikes of map loads and a rise that levels off do not.
#include "tools/soak.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr uint64_t kMB = 1024;

// 200 samples of `base` MB, the sample i given by shape(i) on top.
std::vector<uint64_t> Samples(uint64_t base, uint64_t (*shape)(size_t)) {
    std::vector<uint64_t> out;
    for (size_t i = 0; i < 200; ++i) out.push_back(base * kMB + shape(i));
    return out;
}

TEST(SoakMemory, OnlyASteadyRiseKeepsGrowing) {
    const struct {
        const char* name;
        uint64_t (*shape)(size_t);
        bool growing;
    } cases[] = {
        {"flat", [](size_t) { return uint64_t(0); }, false},
        {"a megabyte a second", [](size_t i) { return uint64_t(i) * kMB; }, true},
        {"rises while warming up, then flat", [](size_t i) { return uint64_t(std::min<size_t>(i, 40)) * 4 * kMB; }, false},
        {"a map load's spike every 10 s", [](size_t i) { return i % 10 == 0 ? 300 * kMB : 0; }, false},
        {"a small rise", [](size_t i) { return uint64_t(i) * 100; }, false},
        {"a rise that levels off", [](size_t i) { return uint64_t(std::min<size_t>(i, 120)) * kMB; }, false},
        {"a leak under the spikes", [](size_t i) { return uint64_t(i) * kMB + (i % 7 == 0 ? 500 * kMB : 0); }, true},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_EQ(MemoryKeepsGrowing(Samples(200, c.shape), &why), c.growing) << c.name;
        EXPECT_EQ(why.empty(), !c.growing) << c.name;
    }
}

TEST(SoakMemory, ARunTooShortToJudgeDoesNotFail) {
    std::vector<uint64_t> rising;
    for (uint64_t i = 0; i < 27; ++i) rising.push_back(100 * kMB + i * 50 * kMB);
    EXPECT_FALSE(MemoryKeepsGrowing(rising, nullptr));
    EXPECT_FALSE(MemoryKeepsGrowing({}, nullptr));
}

} // namespace
