// The screen-dump reader the virtual-display tests grab the screen with.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "tools/xwd_image.h"

namespace {

void PutBig32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (24 - 8 * i));
}

TEST(XwdImage, ReadsBackWhatTheWriterWroteAndCountsItsColours) {
    std::vector<uint32_t> pixels = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF0000, 0x123456};
    std::vector<uint8_t> dump = BuildXwd(3, 2, pixels);
    XwdImage image;
    ASSERT_TRUE(ReadXwd(dump.data(), dump.size(), &image));
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.height, 2u);
    for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(XwdPixel(image, i % 3, i / 3), pixels[i]) << i;
    EXPECT_EQ(CountXwdColours(image), 5u);
    std::vector<uint8_t> flat = BuildXwd(5, 5, std::vector<uint32_t>(25, 0x808080));
    ASSERT_TRUE(ReadXwd(flat.data(), flat.size(), &image));
    EXPECT_EQ(CountXwdColours(image), 1u);
}

TEST(XwdImage, BitsOutsideTheColourMasksDoNotCount) {
    // A 32-bit screen leaves the top byte to whatever the server puts there.
    std::vector<uint8_t> dump = BuildXwd(2, 1, {0x00ABCDEF, 0xFFABCDEF});
    XwdImage image;
    ASSERT_TRUE(ReadXwd(dump.data(), dump.size(), &image));
    EXPECT_EQ(CountXwdColours(image), 1u);
}

TEST(XwdImage, SixteenBitPixelsInEitherByteOrder) {
    std::vector<uint8_t> dump = BuildXwd(2, 1, {});
    PutBig32(dump, 11 * 4, 16);       // bits per pixel
    PutBig32(dump, 12 * 4, 4);        // bytes per line
    PutBig32(dump, 14 * 4, 0xF800);   // masks of 565
    PutBig32(dump, 15 * 4, 0x07E0);
    PutBig32(dump, 16 * 4, 0x001F);
    const size_t at = dump.size() - 8;
    dump[at] = 0x34, dump[at + 1] = 0x12, dump[at + 2] = 0x1F, dump[at + 3] = 0x00;
    XwdImage image;
    ASSERT_TRUE(ReadXwd(dump.data(), dump.size(), &image));
    EXPECT_EQ(XwdPixel(image, 0, 0), 0x1234u);
    EXPECT_EQ(XwdPixel(image, 1, 0), 0x001Fu);
    PutBig32(dump, 7 * 4, 1); // most significant byte first
    ASSERT_TRUE(ReadXwd(dump.data(), dump.size(), &image));
    EXPECT_EQ(XwdPixel(image, 0, 0), 0x3412u);
}

TEST(XwdImage, BrokenDumpsAreRefused) {
    const std::vector<uint8_t> good = BuildXwd(4, 4, std::vector<uint32_t>(16, 1));
    const struct {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
    } cases[] = {
        {"cut in the head", [](std::vector<uint8_t>& b) { b.resize(60); }},
        {"cut in the pixels", [](std::vector<uint8_t>& b) { b.pop_back(); }},
        {"another version", [](std::vector<uint8_t>& b) { PutBig32(b, 4, 6); }},
        {"a bitmap format", [](std::vector<uint8_t>& b) { PutBig32(b, 8, 1); }},
        {"12 bits per pixel", [](std::vector<uint8_t>& b) { PutBig32(b, 44, 12); }},
        {"rows shorter than the width", [](std::vector<uint8_t>& b) { PutBig32(b, 48, 12); }},
        {"a head size past the end", [](std::vector<uint8_t>& b) { PutBig32(b, 0, 0xFFFFFFF0u); }},
        {"a head size inside the fields", [](std::vector<uint8_t>& b) { PutBig32(b, 0, 40); }},
        {"colours past the end", [](std::vector<uint8_t>& b) { PutBig32(b, 76, 0x10000000u); }},
        {"no width", [](std::vector<uint8_t>& b) { PutBig32(b, 16, 0); }},
        {"a huge height", [](std::vector<uint8_t>& b) { PutBig32(b, 20, 0x40000000u); }},
    };
    XwdImage image;
    ASSERT_TRUE(ReadXwd(good.data(), good.size(), &image));
    for (const auto& c : cases) {
        std::vector<uint8_t> bad = good;
        c.damage(bad);
        EXPECT_FALSE(ReadXwd(bad.data(), bad.size(), &image)) << c.what;
    }
    EXPECT_FALSE(ReadXwd(nullptr, 0, &image));
}

TEST(XwdImage, CountsThePixelsNearAColourInARectangle) {
    // 4 x 3: a column of near-grass at x 1, pure grass at (2, 1), the rest black.
    std::vector<uint32_t> pixels(12, 0x000000);
    pixels[1] = 0x319131, pixels[5] = 0x2F9433, pixels[9] = 0x3A9131, pixels[6] = 0x319131;
    std::vector<uint8_t> dump = BuildXwd(4, 3, pixels);
    XwdImage image;
    ASSERT_TRUE(ReadXwd(dump.data(), dump.size(), &image));
    EXPECT_EQ(XwdRgb(image, 2, 1), 0x319131u);
    const struct {
        int x, y, w, h;
        uint32_t rgb;
        int tolerance;
        size_t count;
    } cases[] = {
        {0, 0, 4, 3, 0x319131, 0, 2},   // exact
        {0, 0, 4, 3, 0x319131, 4, 3},   // 0x3A is 9 off in red
        {0, 0, 4, 3, 0x319131, 9, 4},
        {1, 1, 1, 2, 0x319131, 9, 2},   // a part
        {-5, -5, 100, 100, 0x000000, 0, 8}, // clipped to the image
        {3, 2, 0, 5, 0x000000, 255, 0}, // empty
        {4, 0, 2, 2, 0x000000, 255, 0}, // outside
    };
    for (const auto& c : cases)
        EXPECT_EQ(CountXwdNear(image, c.x, c.y, c.w, c.h, c.rgb, c.tolerance), c.count)
            << c.x << "," << c.y << " " << c.w << "x" << c.h << " tolerance " << c.tolerance;
}

// The centre of the pixels near a colour: where a test points at a figure.
TEST(XwdImage, TheCentreOfThePixelsNearAColour) {
    // 5 x 4: a 3 x 2 block of red at (1..3, 1..2), one far red at (0, 3).
    std::vector<uint32_t> pixels(20, 0x000000);
    for (int y = 1; y <= 2; ++y)
        for (int x = 1; x <= 3; ++x) pixels[size_t(y * 5 + x)] = 0xF00000;
    pixels[15] = 0xF00000;
    std::vector<uint8_t> dump = BuildXwd(5, 4, pixels);
    XwdImage image;
    ASSERT_TRUE(ReadXwd(dump.data(), dump.size(), &image));
    int x = -1, y = -1;
    ASSERT_TRUE(CentreOfXwdNear(image, 1, 0, 4, 4, 0xF00000, 0, &x, &y));
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 1);  // rows 1 and 2: the mean rounds down
    ASSERT_TRUE(CentreOfXwdNear(image, 0, 0, 5, 4, 0xF00000, 0, &x, &y));
    EXPECT_EQ(x, 1);  // (0 + 6 x 2) / 7
    EXPECT_FALSE(CentreOfXwdNear(image, 0, 0, 5, 4, 0x00F000, 8, &x, &y));
}

TEST(XwdImage, ChannelsOfASixteenBitScreenAreScaledToEightBits) {
    std::vector<uint8_t> dump = BuildXwd(2, 1, {});
    PutBig32(dump, 11 * 4, 16);
    PutBig32(dump, 12 * 4, 4);
    PutBig32(dump, 14 * 4, 0xF800);
    PutBig32(dump, 15 * 4, 0x07E0);
    PutBig32(dump, 16 * 4, 0x001F);
    const size_t at = dump.size() - 8;
    dump[at] = 0xFF, dump[at + 1] = 0xFF;       // white
    dump[at + 2] = 0x00, dump[at + 3] = 0x84;   // red 16 of 31, green 32 of 63
    XwdImage image;
    ASSERT_TRUE(ReadXwd(dump.data(), dump.size(), &image));
    EXPECT_EQ(XwdRgb(image, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(XwdRgb(image, 1, 0), 0x838100u);
    // A colour-mapped screen has no channels to compare: nothing is near.
    PutBig32(dump, 14 * 4, 0), PutBig32(dump, 15 * 4, 0), PutBig32(dump, 16 * 4, 0);
    ASSERT_TRUE(ReadXwd(dump.data(), dump.size(), &image));
    EXPECT_EQ(CountXwdNear(image, 0, 0, 2, 1, 0, 255), 0u);
}

} // namespace
