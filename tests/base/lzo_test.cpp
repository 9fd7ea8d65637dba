#include "base/lzo.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/memory.h"
#include "base/random.h"

namespace {

std::vector<uint8_t> Pack(const std::vector<uint8_t>& data) {
    uint32_t packedLength = 12345;
    uint8_t* packed = CompressBuffer(data.data(), static_cast<uint32_t>(data.size()), &packedLength);
    EXPECT_NE(packed, nullptr);
    if (!packed) return {};
    EXPECT_LE(packedLength, LzoPackedBound(data.size()));
    std::vector<uint8_t> out(packed, packed + packedLength);
    FreeMem(packed);
    return out;
}

std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed) {
    SetCRandSeed(seed);
    std::vector<uint8_t> out(n);
    for (auto& b : out) b = static_cast<uint8_t>(CRand() >> 3);
    return out;
}

struct RoundTripCase {
    const char* name;
    std::vector<uint8_t> data;
};

class LzoRoundTrip : public ::testing::TestWithParam<int> {};

std::vector<RoundTripCase> RoundTripCases() {
    std::vector<uint8_t> text;
    for (int i = 0; i < 20000; ++i) text.push_back(static_cast<uint8_t>("map cells "[i % 10]));
    return {
        {"empty", {}},
        {"one byte", {0x5A}},
        {"compressible", text},
        {"random 64 KB", RandomBytes(65536, 7)},
        {"random odd size", RandomBytes(70001, 9)},
    };
}

TEST_P(LzoRoundTrip, UnpacksToTheSameBytes) {
    const RoundTripCase c = RoundTripCases()[GetParam()];
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> packed = Pack(c.data);
    ASSERT_FALSE(packed.empty()); // even no data packs to an end marker
    std::vector<uint8_t> out(c.data.size() + 1, 0xEE);
    uint32_t length = static_cast<uint32_t>(out.size());
    ASSERT_EQ(DecompressBuffer(packed.data(), out.data(), static_cast<uint32_t>(packed.size()), &length), kLzoOk);
    ASSERT_EQ(length, c.data.size());
    out.resize(length);
    EXPECT_EQ(out, c.data);
}

INSTANTIATE_TEST_SUITE_P(Cases, LzoRoundTrip, ::testing::Range(0, 5));

TEST(Lzo, EmptyDataUnpacksIntoNoDestination) {
    const std::vector<uint8_t> packed = Pack({});
    uint32_t length = 0;
    EXPECT_EQ(DecompressBuffer(packed.data(), nullptr, static_cast<uint32_t>(packed.size()), &length), kLzoOk);
    EXPECT_EQ(length, 0u);
}

TEST(Lzo, CompressibleDataShrinks) {
    std::vector<uint8_t> zeros(65536, 0);
    EXPECT_LT(Pack(zeros).size(), 1024u);
}

TEST(Lzo, DestinationTooSmallIsRefused) {
    const std::vector<uint8_t> data = RandomBytes(4096, 3);
    const std::vector<uint8_t> packed = Pack(data);
    // Guard bytes after the capacity must stay untouched.
    std::vector<uint8_t> out(4096, 0xEE);
    uint32_t length = 4000;
    EXPECT_NE(DecompressBuffer(packed.data(), out.data(), static_cast<uint32_t>(packed.size()), &length), kLzoOk);
    EXPECT_EQ(length, 0u);
    for (size_t i = 4000; i < out.size(); ++i) ASSERT_EQ(out[i], 0xEE) << i;
}

TEST(Lzo, TruncatedBlockIsRefused) {
    const std::vector<uint8_t> data = RandomBytes(8192, 4);
    const std::vector<uint8_t> packed = Pack(data);
    std::vector<uint8_t> out(data.size());
    for (size_t cut : {size_t(0), size_t(1), packed.size() / 2, packed.size() - 1}) {
        std::vector<uint8_t> shortBlock(packed.begin(), packed.begin() + cut);
        uint32_t length = static_cast<uint32_t>(out.size());
        EXPECT_NE(DecompressBuffer(shortBlock.data(), out.data(), static_cast<uint32_t>(cut), &length), kLzoOk)
            << cut;
        EXPECT_EQ(length, 0u);
    }
}

TEST(Lzo, CorruptBlocksAreRefusedSafely) {
    std::vector<uint8_t> text;
    for (int i = 0; i < 8192; ++i) text.push_back(static_cast<uint8_t>(i * 7 % 13));
    const std::vector<uint8_t> packed = Pack(text);
    std::vector<uint8_t> out(text.size());
    int refused = 0;
    // Flip bytes all over the block; the safe decompressor must never read or
    // write outside its buffers (the sanitizer build checks), and whatever it
    // accepts must still be a full, consistent length.
    for (size_t at = 0; at < packed.size(); ++at) {
        std::vector<uint8_t> bad = packed;
        bad[at] ^= 0xA5;
        uint32_t length = static_cast<uint32_t>(out.size());
        const int result = DecompressBuffer(bad.data(), out.data(), static_cast<uint32_t>(bad.size()), &length);
        if (result != kLzoOk) {
            ++refused;
            EXPECT_EQ(length, 0u);
        } else {
            EXPECT_LE(length, out.size());
        }
    }
    EXPECT_GT(refused, 0);
}

TEST(Lzo, BadArgumentsAreRefused) {
    uint32_t packedLength = 9;
    EXPECT_EQ(CompressBuffer(nullptr, 10, &packedLength), nullptr);
    EXPECT_EQ(packedLength, 0u);
    uint8_t out[4];
    uint32_t length = 4;
    EXPECT_NE(DecompressBuffer(nullptr, out, 3, &length), kLzoOk);
    EXPECT_EQ(length, 0u);
    EXPECT_NE(DecompressBuffer(out, out, 3, nullptr), kLzoOk);
}

} // namespace

namespace {

// The fame lists are packed with the 15-bit dictionary variant; the one safe
// decompressor unpacks it.
TEST(Lzo, FifteenBitVariantRoundTrips) {
    for (const std::vector<uint8_t>& data : {std::vector<uint8_t>{}, std::vector<uint8_t>(5000, 7),
                                             RandomBytes(70000, 11)}) {
        uint32_t packedLength = 1;
        uint8_t* packed = CompressBuffer15(data.data(), static_cast<uint32_t>(data.size()), &packedLength);
        ASSERT_NE(packed, nullptr);
        EXPECT_LE(packedLength, LzoPackedBound(data.size()));
        std::vector<uint8_t> back(data.size());
        uint32_t length = static_cast<uint32_t>(back.size());
        EXPECT_EQ(DecompressBuffer(packed, back.data(), packedLength, &length), kLzoOk);
        FreeMem(packed);
        EXPECT_EQ(length, data.size());
        EXPECT_EQ(back, data);
    }
}

} // namespace

namespace {

// The densest stream the format allows: four literals, then one match at
// distance 1 whose length is extended by a long run of zero bytes (each adds
// 255), then the end marker. What it unpacks to stays within the bound, and
// the bound is not much looser than that.
TEST(Lzo, UnpackedBoundHoldsForTheDensestStream) {
    constexpr size_t kZeros = 1000;
    std::vector<uint8_t> stream = {17 + 4, 'A', 'A', 'A', 'A', 32};
    stream.insert(stream.end(), kZeros, 0);
    stream.insert(stream.end(), {255, 0, 0, 0x11, 0, 0});
    const uint32_t expected = 4 + 31 + 255 * kZeros + 255 + 2;
    std::vector<uint8_t> out(expected);
    uint32_t length = expected;
    ASSERT_EQ(DecompressBuffer(stream.data(), out.data(), uint32_t(stream.size()), &length), kLzoOk);
    EXPECT_EQ(length, expected);
    EXPECT_EQ(out, std::vector<uint8_t>(expected, 'A'));
    EXPECT_LE(length, LzoUnpackedBound(stream.size()));
    EXPECT_GT(length, LzoUnpackedBound(stream.size()) * 98 / 100);
    // Packed zeros, the most packable data, stay within it too.
    const std::vector<uint8_t> zeros(1 << 20, 0);
    EXPECT_LE(zeros.size(), LzoUnpackedBound(Pack(zeros).size()));
}

} // namespace
