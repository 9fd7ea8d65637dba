// The battle's message queue: colour codes, stacking, blocking, lives,
// slides and the texts the queue keeps, read back from the drawn pixels.
#include "battle/screen/battle_messages.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/edition.h"
#include "battle_screen_fixture.h"

namespace {

// Every glyph of the stand-in face is one pixel at (2, 2) of its cell; drawn
// bold and outlined it leaves two pixels of its colour at (x + 2, y + 2) and
// (x + 3, y + 2) with the black outline around them.
bool DotRasteriser(int, int, uint16_t, uint8_t* cell, int, int, int rowBytes) {
    cell[2 * rowBytes] |= 0x20;
    return true;
}

struct Glyph {
    int x;
    uint16_t colour;
    bool operator==(const Glyph&) const = default;
};

void PrintTo(const Glyph& g, std::ostream* os) { *os << "(" << g.x << ", 0x" << std::hex << g.colour << ")"; }

class BattleMessagesTest : public BattleScreenTest {
protected:
    void SetUp() override {
        BattleScreenTest::SetUp();
        PlatFontSetRasteriser(DotRasteriser);
        gFontLarge.Init(nullptr);
        gFontLarge.SetFont(gEdition.fontFace, 20);
        gFontLarge.SetTarget(640, 480);
        gFontLarge.SetTextColour(kNoTextBox);
        gFontLarge.SetTextShadow(0);
        Fill(Ground());
    }
    static uint16_t Ground() { return Rgb(8, 8, 8); }
    static uint16_t Colour(int n) { return n < 0 ? 0xFFFF : gMsgColours[n]; }

    // The glyphs whose face lies on row y: a run of two pixels in one of the
    // texts' colours is the face of a glyph drawn two pixels to its left.
    static std::vector<Glyph> GlyphsOnRow(int y) {
        std::vector<Glyph> out;
        auto isText = [](uint16_t p) {
            if (p == 0xFFFF) return true;
            for (uint16_t c : gMsgColours)
                if (c != 0 && p == c) return true;
            return false;
        };
        for (int x = 0; x < 640; ++x) {
            if (!isText(At(x, y)) || (x > 0 && At(x - 1, y) == At(x, y))) continue;
            out.push_back({x - 2, At(x, y)});
        }
        return out;
    }
    static int QueueLength() {
        int n = 0;
        for (const BattleMessage* m = gBattleMsgs; m; m = m->next) ++n;
        return n;
    }
};

// A centred message at (280, 10): text y 16, faces on row 18, drawn from
// x = 315 - ((length / 2) x 20) / 2 at 11 pixels a byte.
TEST_F(BattleMessagesTest, ColourCodesPickTheColoursAndAreNeverDrawn) {
    struct Case {
        const char* text;
        int length;
        std::vector<std::pair<int, int>> glyphs;  // x, colour code (-1: the plain text's white)
    };
    const Case cases[] = {
        {"$1ab$0cd", 4, {{295, 1}, {306, 1}, {317, 0}, {328, 0}}},
        {"abcde", 5, {{295, -1}, {306, -1}, {317, -1}, {328, -1}, {339, -1}}},
        {"ab$2cd", 4, {{295, 0}, {306, 0}, {317, 2}, {328, 2}}},  // before the first code: white
        {"ab$", 2, {{305, 0}, {316, 0}}},                         // a "$" at the end is dropped
        {"$1ab$", 2, {{305, 1}, {316, 1}}},
        {"$7ab", 2, {{305, 0}, {316, 0}}},                        // a digit above 3 stands for white
        {"$xab", 3, {{305, 0}, {316, 0}, {327, 0}}},              // a "$" without a digit is dropped
        {"$", 0, {}},
        {"$3\xA4\xA4", 2, {{305, 3}}},                            // one two-byte character
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ClearBattleMessages();
        Fill(Ground());
        ASSERT_EQ(AddBattleMessage(280, 10, 30, c.text, kMsgCentred), 0);
        EXPECT_EQ(gBattleMsgs->length, c.length);
        DrawBattleMessages();
        std::vector<Glyph> expect;
        for (auto [x, code] : c.glyphs) expect.push_back({x, Colour(code)});
        EXPECT_EQ(GlyphsOnRow(18), expect);
    }
    EXPECT_EQ(gMsgColours[1], Rgb(31, 29, 23));
    EXPECT_EQ(gMsgColours[2], Rgb(31, 17, 0));
    EXPECT_EQ(gMsgColours[3], Rgb(31, 0, 0));
}

// Callers build their texts in one buffer they reuse: the queue keeps its
// own copy.
TEST_F(BattleMessagesTest, TheQueueKeepsItsOwnCopyOfTheText) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "$1%s$0%s", "ab", "cd");
    ASSERT_EQ(AddBattleMessage(280, 10, 30, buffer, kMsgCentred), 0);
    std::snprintf(buffer, sizeof buffer, "%s", "$3zzzzzzzzzzzzzzzzzzz");
    DrawBattleMessages();
    EXPECT_STREQ(gBattleMsgs->text, "$1ab$0cd");
    EXPECT_EQ(GlyphsOnRow(18), (std::vector<Glyph>{{295, Colour(1)}, {306, Colour(1)}, {317, Colour(0)}, {328, Colour(0)}}));
}

// At most 255 bytes are kept, and never the first byte of a two-byte
// character without its second.
TEST_F(BattleMessagesTest, LongTextsAreCutBetweenCharacters) {
    std::string pairs;
    for (int i = 0; i < 150; ++i) pairs += "\xA4\xA4";
    ASSERT_EQ(AddBattleMessage(280, 10, 30, pairs.c_str(), 0), 0);
    ASSERT_EQ(AddBattleMessage(280, 10, 30, ("a" + pairs).c_str(), 0), 0);
    ASSERT_EQ(AddBattleMessage(280, 10, 30, nullptr, 0), 0);
    EXPECT_EQ(std::strlen(gBattleMsgs->text), 254u);
    EXPECT_EQ(std::strlen(gBattleMsgs->next->text), 255u);
    EXPECT_EQ(gBattleMsgs->next->next->length, 0);
    DrawBattleMessages();
}

TEST_F(BattleMessagesTest, StackedLinesLieBelowEachOther) {
    ASSERT_EQ(AddBattleMessage(280, 10, 1, "ab", 0x41000002), 0);
    ASSERT_EQ(AddBattleMessage(280, 10, 30, "cd", 0x41000002), 0);
    EXPECT_EQ(gBattleMsgs->y, 10);
    EXPECT_EQ(gBattleMsgs->next->y, 42);
    EXPECT_EQ(gMsgStackCount, 2);
    DrawBattleMessages();  // the first is drawn once and removed
    EXPECT_EQ(GlyphsOnRow(18).size(), 2u);
    EXPECT_EQ(GlyphsOnRow(50).size(), 2u);
    EXPECT_EQ(QueueLength(), 1);
    EXPECT_EQ(gMsgStackCount, 1);
    ASSERT_EQ(AddBattleMessage(280, 10, 30, "ef", 0x41000002), 0);
    EXPECT_EQ(gBattleMsgs->next->y, 42);
}

// Only a centred message raised the stack count; removing another kind
// (here after its slide-out) leaves the count alone. The slide-out draws
// the coded text in its colours, as the first pass does.
TEST_F(BattleMessagesTest, ASlidingMessageKeepsItsColoursAndTheStackCount) {
    ASSERT_EQ(AddBattleMessage(280, 200, 100, "ab", 0x01000002), 0);
    ASSERT_EQ(AddBattleMessage(280, 10, 1, "$3ab", kMsgSlideLeft), 0);
    EXPECT_EQ(gMsgStackCount, 1);
    DrawBattleMessages();
    // In: slide x (640 + 77 + 227) / 2 = 472; out: 472 - 80 = 392, its panel
    // at 392 - 77 over the text drawn on the way in.
    EXPECT_EQ(gBattleMsgs->next->slideX, 392);
    EXPECT_EQ(GlyphsOnRow(18), (std::vector<Glyph>{{392, Colour(3)}, {403, Colour(3)}}));
    int frames = 1;
    while (QueueLength() == 2 && frames < 20) {
        DrawBattleMessages();
        ++frames;
    }
    EXPECT_EQ(frames, 6);  // 392, 312, 232, 152, 72, then -8 has left
    EXPECT_EQ(gMsgStackCount, 1);
    ASSERT_EQ(AddBattleMessage(280, 10, 30, "cd", 0x41000002), 0);
    EXPECT_EQ(gBattleMsgs->next->y, 42);
}

TEST_F(BattleMessagesTest, SlidingInSettlesAtTheRestPoint) {
    ASSERT_EQ(AddBattleMessage(520, 10, 30, "ab", kMsgSlideLeft), 0);
    ASSERT_EQ(AddBattleMessage(520, 10, 30, "ab", kMsgSlideRight), 0);
    std::vector<int> fromRight, fromLeft;
    for (int i = 0; i < 10; ++i) {
        DrawBattleMessages();
        fromRight.push_back(gBattleMsgs->slideX);
        fromLeft.push_back(gBattleMsgs->next->slideX);
    }
    EXPECT_EQ(fromRight, (std::vector<int>{472, 388, 346, 325, 314, 309, 306, 305, 304, 304}));
    EXPECT_EQ(fromLeft, (std::vector<int>{152, 228, 266, 285, 294, 299, 301, 302, 303, 303}));
}

TEST_F(BattleMessagesTest, ABlockingMessageRefusesOthersWhileShown) {
    ASSERT_EQ(AddBattleMessage(280, 10, 2, "ab", 0x42000002), 0);
    EXPECT_EQ(AddBattleMessage(280, 10, 30, "cd", 2), 1);
    DrawBattleMessages();
    EXPECT_EQ(AddBattleMessage(280, 10, 30, "cd", 0x42000002), 1);
    EXPECT_EQ(QueueLength(), 1);
    DrawBattleMessages();
    EXPECT_EQ(gBattleMsgs, nullptr);
    EXPECT_EQ(gMsgBlockCount, 0);
    EXPECT_EQ(gMsgStackCount, 0);
    EXPECT_EQ(AddBattleMessage(280, 10, 30, "cd", 2), 0);
}

TEST_F(BattleMessagesTest, LivesCountFrames) {
    ASSERT_EQ(AddBattleMessage(280, 10, 1, "ab", 0x40000002), 0);
    DrawBattleMessages();
    EXPECT_EQ(GlyphsOnRow(18).size(), 2u);  // drawn once, removed in the same frame
    EXPECT_EQ(gBattleMsgs, nullptr);

    Fill(Ground());
    ASSERT_EQ(AddBattleMessage(280, 10, 0, "ab", 2), 0);
    DrawBattleMessages();
    EXPECT_TRUE(GlyphsOnRow(18).empty());
    EXPECT_EQ(gBattleMsgs, nullptr);

    // A life past the signed 16-bit range is still a long life.
    ASSERT_EQ(AddBattleMessage(280, 10, 40000, "ab", 2), 0);
    DrawBattleMessages();
    ASSERT_NE(gBattleMsgs, nullptr);
    EXPECT_EQ(gBattleMsgs->life, 39999);
}

// Dropping in: -32, 0, 16, 24, 28, 30, 31; flying out by 1, 2, 4, 8, 16 and
// 32 pixels a frame. The last frame of its life also takes the first step out.
TEST_F(BattleMessagesTest, ADroppedMessageFallsInAndFliesOutFaster) {
    ASSERT_EQ(AddBattleMessage(280, 0, 7, "ab", kMsgDrop), 0);
    EXPECT_EQ(gBattleMsgs->slideY, -32);
    std::vector<int> seen;
    for (int i = 0; i < 12 && gBattleMsgs; ++i) {
        Fill(Ground());
        DrawBattleMessages();
        if (i == 5) {
            EXPECT_EQ(GlyphsOnRow(33), (std::vector<Glyph>{{304, 0xFFFF}, {315, 0xFFFF}}));
        }
        if (gBattleMsgs) seen.push_back(gBattleMsgs->slideY);
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 16, 24, 28, 30, 31, 30, 28, 24, 16, 0}));
    EXPECT_EQ(gBattleMsgs, nullptr);
}

// The strip is the translucent panel; the banner adds (-8, -8, 10) to its
// rectangle, and a banner frame act that cannot be played is told once.
TEST_F(BattleMessagesTest, StripAndBannerGrounds) {
    ASSERT_EQ(AddBattleMessage(280, 100, 30, "ab", kMsgStrip | kMsgCentred), 0);
    ASSERT_EQ(AddBattleMessage(280, 10, 30, "cd", kMsgBanner | kMsgCentred), 0);
    for (int i = 0; i < 3; ++i) {
        Fill(Ground());
        DrawBattleMessages();
    }
    EXPECT_EQ(At(10, 100), 255);  // the panel's first row is its colour
    EXPECT_EQ(At(629, 100), 255);
    EXPECT_EQ(At(9, 100), Ground());
    EXPECT_EQ(At(630, 100), Ground());
    EXPECT_EQ(At(10, 99), Ground());
    EXPECT_EQ(At(12, 12), Rgb(0, 0, 18));
    EXPECT_EQ(At(627, 41), Rgb(0, 0, 18));
    EXPECT_EQ(At(9, 12), Ground());
    EXPECT_EQ(At(630, 12), Ground());
    EXPECT_EQ(At(12, 42), Ground());
    EXPECT_EQ(HeadlessMessageBoxes().size(), 1u);
}

TEST_F(BattleMessagesTest, ClearingFreesEverything) {
    ASSERT_EQ(AddBattleMessage(280, 10, 30, "ab", 0x41000002), 0);
    ASSERT_EQ(AddBattleMessage(280, 10, 30, "cd", 0x42000002), 0);
    ASSERT_EQ(AddBattleMessage(280, 0, 30, "ef", kMsgDrop), 1);
    ClearBattleMessages();
    EXPECT_EQ(gBattleMsgs, nullptr);
    EXPECT_EQ(gMsgStackCount, 0);
    EXPECT_EQ(gMsgBlockCount, 0);
    EXPECT_EQ(AddBattleMessage(280, 0, 30, "ef", kMsgDrop), 0);
    DrawBattleMessages();
    Fill(Ground());
    ClearBattleMessages();
    DrawBattleMessages();  // an empty queue draws nothing
    EXPECT_EQ(At(304, 2), Ground());
}

}  // namespace
