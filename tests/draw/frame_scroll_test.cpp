// Scrolling of run-length frames against decode, rotate, compare; frames
// that cannot be scrolled are refused untouched, and a cached frame is
// scrolled only through a copy.
#include <gtest/gtest.h>

#include <vector>

#include "base/memory.h"
#include "draw/frame_scroll.h"
#include "draw/rle.h"
#include "tools/rle_writer.h"

namespace {

std::vector<uint16_t> Grid(int w, int h) {
    std::vector<uint16_t> px;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) px.push_back(static_cast<uint16_t>(0x0401 * x + 0x0021 * y + 7));
    return px;
}

std::vector<uint16_t> Decode(const std::vector<uint8_t>& frame) {
    int w = 0, h = 0, depth = 0;
    uint8_t* block = DecodeRle(frame.data(), static_cast<int>(frame.size()), &w, &h, &depth);
    EXPECT_NE(block, nullptr);
    if (!block) return {};
    std::vector<uint16_t> out(static_cast<size_t>(w) * h);
    std::memcpy(out.data(), block, out.size() * 2);
    FreeMem(block);
    return out;
}

// Screen pixel (x, y) after the scroll shows source pixel (x + dx, y + dy),
// wrapped around.
std::vector<uint16_t> Rotated(const std::vector<uint16_t>& px, int w, int h, int direction, int amount) {
    int dx = 0, dy = 0;
    if (direction == kScrollUp) dy = amount;
    if (direction == kScrollDown) dy = -amount;
    if (direction == kScrollLeft) dx = amount;
    if (direction == kScrollRight) dx = -amount;
    std::vector<uint16_t> out(px.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int sx = ((x + dx) % w + w) % w, sy = ((y + dy) % h + h) % h;
            out[y * w + x] = px[sy * w + sx];
        }
    return out;
}

TEST(FrameScroll, EveryDirectionAndAmountMatchesTheRotatedPicture) {
    const int w = 13, h = 7;
    const std::vector<uint16_t> px = Grid(w, h);
    for (int direction = 0; direction < 4; ++direction)
        for (int amount : {1, 2, 6, 7, 12, 13, 14, 40, 32767}) {
            SCOPED_TRACE(testing::Message() << "direction " << direction << " amount " << amount);
            std::vector<uint8_t> frame = RleFromPixels(px, w, h);
            ASSERT_EQ(ConvertRlePic(frame.data(), frame.size(), direction, amount), 1);
            RleInfo info;
            ASSERT_TRUE(ValidateRle(frame.data(), frame.size(), &info));
            EXPECT_EQ(Decode(frame), Rotated(px, w, h, direction, amount));
        }
}

TEST(FrameScroll, LeftByOneMovesTheFirstPixelToTheEnd) {
    std::vector<uint8_t> frame = RleFromPixels({0xA, 0xB, 0xC, 0xD}, 4, 1);
    ASSERT_EQ(ConvertRlePic(frame.data(), frame.size(), kScrollLeft, 1), 1);
    EXPECT_EQ(Decode(frame), (std::vector<uint16_t>{0xB, 0xC, 0xD, 0xA}));
}

TEST(FrameScroll, NothingToDoLeavesTheFrame) {
    const std::vector<uint8_t> original = RleFromPixels(Grid(5, 4), 5, 4);
    for (const auto& [direction, amount] : {std::pair{0, 0}, {2, -3}, {4, 1}, {-1, 1}}) {
        std::vector<uint8_t> frame = original;
        EXPECT_EQ(ConvertRlePic(frame.data(), frame.size(), direction, amount), 0);
        EXPECT_EQ(frame, original);
    }
}

// Key and shadow runs had their control words rotated as pixels; short,
// broken and 8-bit frames were read past their end.
TEST(FrameScroll, FramesThatAreNotOneLiteralRunPerRowAreRefused) {
    std::vector<uint16_t> keyed = Grid(6, 3);
    keyed[4] = 0x026B;
    std::vector<uint16_t> shadowed = Grid(6, 3);
    shadowed[13] = 0x319F;
    const std::vector<uint8_t> good = RleFromPixels(Grid(6, 3), 6, 3);
    const std::vector<std::vector<uint8_t>> frames = {
        RleFromPixels(keyed, 6, 3),
        RleFromPixels(shadowed, 6, 3),
        std::vector<uint8_t>(good.begin(), good.end() - 3),
        std::vector<uint8_t>(good.begin(), good.begin() + 9),
        RleFromIndices(std::vector<uint8_t>(18, 9), 6, 3),
        RleWriter(6, 2).Row().Literal({1, 2, 3}).Literal({4, 5, 6}).Row().Literal({1, 2, 3, 4, 5, 6}).Finish(),
        RleWriter(6, 2).Row().Literal({1, 2, 3, 4, 5, 6}).Finish(),  // fewer rows than its height
        RleWriter(6, 1).Row().Literal({1, 2, 3, 4, 5, 6}).RowLength(0x4012).Finish(),
        RleWriter(0, 0).Finish(),
    };
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(i);
        for (int direction = 0; direction < 4; ++direction) {
            std::vector<uint8_t> frame = frames[i];
            EXPECT_EQ(ConvertRlePic(frame.data(), frame.size(), direction, 2), 0);
            EXPECT_EQ(frame, frames[i]);
        }
    }
    EXPECT_EQ(ConvertRlePic(nullptr, 100, 0, 1), 0);
}

// A picture from a cache is scrolled through a copy kept between frames.
TEST(FrameScroll, ScrollFrameLeavesTheCachedPictureAlone) {
    const std::vector<uint16_t> px = Grid(9, 5);
    const std::vector<uint8_t> cached = RleFromPixels(px, 9, 5);
    cScrollFrame scroll;
    ASSERT_TRUE(scroll.Take(cached.data(), cached.size()));
    const uint8_t* block = scroll.data();
    for (int frame = 1; frame <= 4; ++frame) {
        ASSERT_EQ(scroll.Scroll(kScrollRight, 2), 1);
        const std::vector<uint8_t> now(scroll.data(), scroll.data() + scroll.size());
        EXPECT_EQ(Decode(now), Rotated(px, 9, 5, kScrollRight, 2 * frame));
    }
    EXPECT_EQ(cached, RleFromPixels(px, 9, 5));
    ASSERT_TRUE(scroll.Take(cached.data(), cached.size()));
    EXPECT_EQ(scroll.data(), block) << "the block is kept";
    std::vector<uint16_t> keyed = px;
    keyed[0] = 0x026B;
    const std::vector<uint8_t> refused = RleFromPixels(keyed, 9, 5);
    EXPECT_FALSE(scroll.Take(refused.data(), refused.size()));
    EXPECT_EQ(scroll.size(), 0u);
    EXPECT_EQ(scroll.Scroll(kScrollUp, 1), 0);
}

}  // namespace
