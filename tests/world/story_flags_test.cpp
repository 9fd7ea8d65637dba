#include "world/story_flags.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/errorbox.h"
#include "draw/act_pack.h"
#include "platform/headless/headless.h"

namespace {

class StoryFlagTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ResetStoryFlags();
    }
    void TearDown() override { ResetStoryFlags(); }

    // Nothing but the given byte holds a bit.
    static bool OnlyByteSet(int index, uint8_t value) {
        for (int i = 0; i < kStoryFlagBytes; ++i) {
            if (gStoryFlag[i] != (i == index ? value : 0)) return false;
        }
        return true;
    }
};

TEST_F(StoryFlagTest, FlagNineIsBitOneOfByteOne) {
    SetFlag(9);
    EXPECT_TRUE(OnlyByteSet(1, 0x02));
    EXPECT_EQ(IsFlag(9), 1);
    EXPECT_EQ(IsFlag(8), 0);
    ClearFlag(9);
    EXPECT_TRUE(OnlyByteSet(1, 0x00));
}

TEST_F(StoryFlagTest, EdgesOfTheSet) {
    struct Case {
        int flag;
        int byte;
        uint8_t bit;
    } cases[] = {{0, 0, 0x01}, {7, 0, 0x80}, {82, 10, 0x04}, {5000 + 31, 628, 0x80}, {8191, 1023, 0x80}};
    for (const Case& c : cases) {
        ResetStoryFlags();
        SetFlag(c.flag);
        EXPECT_TRUE(OnlyByteSet(c.byte, c.bit)) << c.flag;
        EXPECT_EQ(IsFlag(c.flag), 1) << c.flag;
    }
}

TEST_F(StoryFlagTest, SetFlagToSetsOnlyOnOne) {
    SetFlagTo(100, 1);
    EXPECT_EQ(IsFlag(100), 1);
    SetFlagTo(100, 2);
    EXPECT_EQ(IsFlag(100), 0);
    SetFlag(100);
    SetFlagTo(100, -1);
    EXPECT_EQ(IsFlag(100), 0);
}

TEST_F(StoryFlagTest, OutOfRangeNumbersAreRefusedAndReportedOnce) {
    // 6000 + a map number past 2191 lands beyond the set.
    for (int frame = 0; frame < 10; ++frame) {
        SetFlag(8192);
        SetFlagTo(9000, 1);
        ClearFlag(-1);
        EXPECT_EQ(IsFlag(8192), 0);
    }
    EXPECT_TRUE(OnlyByteSet(0, 0));
    const auto& boxes = HeadlessMessageBoxes();
    ASSERT_EQ(boxes.size(), 3u); // 8192, 9000 and -1, each once
    EXPECT_NE(boxes[0].text.find("8192"), std::string::npos);
    EXPECT_NE(boxes[2].text.find("-1"), std::string::npos);
}

class EventRectTest : public StoryFlagTest {};

TEST_F(EventRectTest, EmptyListFindsNothing) {
    EventRectNode* node = reinterpret_cast<EventRectNode*>(1);
    EXPECT_EQ(CountEventRects(), 0);
    EXPECT_EQ(FindEventRect(5, 5, &node), 0);
    EXPECT_EQ(node, nullptr);
}

TEST_F(EventRectTest, PointsStrictlyInsideHit) {
    AddEventRect(100, 10, 10, 50, 30);
    AddEventRect(200, 10, 30, 50, 50); // shares an edge with the first
    AddEventRect(300, 0, 0, 640, 480); // behind both
    ASSERT_EQ(CountEventRects(), 3);
    struct Case {
        int x, y;
        int position;
        uint32_t word;
    } cases[] = {
        {20, 20, 0, 100}, {20, 40, 1, 200}, {20, 30, 2, 300}, // on the shared edge: only the big one
        {10, 20, 2, 300}, {50, 20, 2, 300}, {11, 11, 0, 100}, {49, 29, 0, 100},
        {0, 0, 3, 0},     {640, 5, 3, 0},                     // edges of the last: outside all
    };
    for (const Case& c : cases) {
        EventRectNode* node = nullptr;
        EXPECT_EQ(FindEventRect(c.x, c.y, &node), c.position) << c.x << "," << c.y;
        if (c.position < 3) {
            ASSERT_NE(node, nullptr);
            EXPECT_EQ(node->word, c.word);
        } else {
            EXPECT_EQ(node, nullptr);
        }
    }
}

TEST_F(EventRectTest, FreeClearsListAndTheWordsBesideIt) {
    AddEventRect(1, 0, 0, 10, 10);
    AddEventRect(2, 0, 0, 10, 10);
    gEventRects.words[0] = 1;
    gEventRects.words[3] = 7;
    FreeEventRects();
    EXPECT_EQ(CountEventRects(), 0);
    EXPECT_EQ(gEventRects.head, nullptr);
    for (uint32_t w : gEventRects.words) EXPECT_EQ(w, 0u);
}

TEST_F(StoryFlagTest, Setters) {
    EXPECT_EQ(SetFrameInterval(35), 1);
    EXPECT_EQ(gFrameInterval, 35u);
    EXPECT_EQ(ClearFrameInterval(99), 1);
    EXPECT_EQ(gFrameInterval, 0u);
    SetWalkStep(16);
    EXPECT_EQ(gWalkStep, 16);
}

TEST(ActRecordReset, IdlesOnlyTheSavedAndStreamFields) {
    ActRecord record;
    std::memset(&record, 0x5A, sizeof record);
    ActRecord want = record;
    want.savedAct = want.savedQq = want.savedDir = -1;
    want.cursor = want.wait = want.speed = want.waitOverride = 0;
    want.hold = 0;
    ResetActRecord(&record);
    EXPECT_EQ(std::memcmp(&record, &want, sizeof record), 0);
    EXPECT_EQ(record.act, want.act); // what plays is kept
}

} // namespace
