#include <gtest/gtest.h>

#include "base/nick_names.h"
#include "base/random.h"

#include <cstring>
#include "draw/draw_kernel.h"
#include "draw/surface.h"
#include "menu/menu_services.h"
#include "tests/world/map/map_fixture.h"
#include "tools/sequence_writer.h"
#include "world/map/floater.h"
#include "world/map/frame_sequence.h"
#include "world/dialog/name_entry.h"
#include "world/map/map_effects.h"
#include "world/walk/key_state.h"
#include "world/map/map_render.h"

namespace {

class MapEffectsTest : public MapTest {
protected:
    void SetUp() override {
        MapTest::SetUp();
        ResetRandom();
        InitRandom(12345);
        ResetDrawKernel();
        surface_ = CreateSurface(kViewWidth, kViewHeight);
        InitDrawKernel(surface_, 0);
        gBackPixels = LockBackBuffer(surface_);
        Fill(0x1234);
        gMenuRequest = 0;
    }
    void TearDown() override {
        StopFrameSequence();
        UnlockBackBuffer(surface_, gBackPixels);
        gBackPixels = nullptr;
        FreeSurface(surface_);
        ResetDrawKernel();
        gMenuRequest = 0;
        MapTest::TearDown();
    }
    void Fill(uint16_t v) {
        for (int y = 0; y < kViewHeight; ++y)
            for (int x = 0; x < kViewWidth; ++x) *BackPixel(x, y) = v;
    }
    uint16_t At(int x, int y) { return *BackPixel(x, y); }
    Surface* surface_ = nullptr;
};

TEST_F(MapEffectsTest, MenuButtonSlidesInAfterSixteenIdleFrames) {
    int firstMove = -1, fullyIn = -1;
    for (int frame = 1; frame <= 60; ++frame) {
        RefrashCursor();
        if (firstMove < 0 && gMapCursor.offset < 0) firstMove = frame;
        if (fullyIn < 0 && gMapCursor.offset == -32) fullyIn = frame;
    }
    EXPECT_EQ(firstMove, 17);
    EXPECT_EQ(fullyIn, 17 + 31);
    gPlayerWalking = true;
    RefrashCursor();
    EXPECT_EQ(gMapCursor.offset, -31);
    EXPECT_EQ(gMenuRequest, 0u);
    gKeyInput.mouseX = 620;  // the pointer onto the button
    gKeyInput.mouseY = 10;
    RefrashCursor();
    EXPECT_EQ(gMapCursor.x, 620);
    EXPECT_EQ(gMapCursor.y, 10);
    EXPECT_EQ(gMenuRequest, 0x80000001u);
    gKeyInput = KeyInput{};
}

TEST_F(MapEffectsTest, HeadsEaseOntoTheirTargetAndLeavingHeadsGo) {
    std::vector<int> xs;
    int16_t x = 400;
    for (int i = 0; i < 8 && x != 100; ++i) xs.push_back(x = EaseHead(x, 100));
    EXPECT_EQ(xs, (std::vector<int>{200, 134, 112, 104, 102, 100}));
    RoleHead leaving;
    leaving.x = 700;
    leaving.speed = 10;
    gRoleHeads.push_back(leaving);
    for (int i = 0; i < 3; ++i) drawRoleHead();
    EXPECT_TRUE(gRoleHeads.empty());
}

TEST_F(MapEffectsTest, RainStartsAtMostItsIntensityEachFrame) {
    SetFlag(8);
    gWeather.rainIntensity = 8;
    DrawFlashPixels();
    EXPECT_LE(gWeather.rainActive, 8);
    EXPECT_GE(gWeather.rainActive, 1);
    DrawFlashPixels();
    EXPECT_LE(gWeather.rainActive, 16);
    ClearFlag(8);
    for (int i = 0; i < 2000 && (gWeather.rainIntensity || gWeather.rainActive); ++i) DrawFlashPixels();
    EXPECT_EQ(gWeather.rainIntensity, 0);
    EXPECT_EQ(gWeather.rainActive, 0);
}

TEST_F(MapEffectsTest, SparklesAtTheEdgesDoNotWrap) {
    // A dot's outer pixels at one edge would land on the other edge a row
    // away in a flat buffer.
    for (int x : {0, 639}) {
        Fill(0x1234);
        Streak& s = gWeather.sparkles[0];
        s = Streak{};
        s.x = int16_t(x * 16);
        s.y = 100;
        s.speed = 0;
        s.life = 470;
        s.active = true;
        gWeather.sparkleActive = 1;
        DrawSparkleDots();
        const int other = x == 0 ? 639 : 0;
        for (int y = 98; y <= 102; ++y) EXPECT_EQ(At(other, y), 0x1234) << x << "," << y;
        EXPECT_NE(At(x, 100), 0x1234);
    }
}

TEST_F(MapEffectsTest, WipeColourOutsideTheTableDrawsBlack) {
    LineWipe w;
    w.x = 10;
    w.y = 10;
    w.width = 20;
    w.state = kWipeHold;
    w.colour = 5000;
    w.start.assign(2, 0);
    w.length.assign(2, 20);
    gParticleLists.push_back(w);
    DrawParticles();
    EXPECT_EQ(gParticleLists.size(), 1u);
}

// The floater's alpha, steered frame by steered frame: half a level a frame
// in over 32 frames, 32 frames at 16, half a level a frame out.
TEST_F(MapEffectsTest, FloaterAlphaStepByStep) {
    const struct {
        int frames, alpha;
    } cases[] = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {30, 15}, {31, 15}, {32, 16}, {63, 16}, {64, 16},
                 {65, 15}, {66, 15}, {67, 14}, {94, 1}, {95, 0}, {96, 0}, {200, 0}};
    CreateFloater(91, 1, 100.0f, 100.0f, 2.0f, 4.0f);
    ASSERT_NE(gFloater, nullptr);
    int steered = 0;
    for (const auto& c : cases) {
        while (steered < c.frames) {
            SteerFloater(100.0f, 100.0f);
            ++steered;
        }
        EXPECT_EQ(FloaterAlpha(gFloater->fade), c.alpha) << c.frames << " frames";
    }
    FreeFloater();
}

TEST_F(MapEffectsTest, FloaterFadesAndMovesOnePixelAFrame) {
    CreateFloater(91, 1, 100.0f, 100.0f, 2.0f, 4.0f);
    ASSERT_NE(gFloater, nullptr);
    EXPECT_EQ(FloaterAlpha(gFloater->fade), 0);
    for (int i = 0; i < 32; ++i) SteerFloater(200.0f, 100.0f);
    EXPECT_EQ(FloaterAlpha(gFloater->fade), 16);
    EXPECT_FLOAT_EQ(gFloater->x, 132.0f);
    for (int i = 0; i < 64; ++i) SteerFloater(200.0f, 100.0f);
    EXPECT_EQ(gFloater->fade, 64);
    EXPECT_EQ(FloaterAlpha(gFloater->fade), 0);
    EXPECT_FLOAT_EQ(gFloater->x, 196.0f);
    // Near the target it lands instead of shaking around it.
    for (int i = 0; i < 10; ++i) SteerFloater(200.5f, 100.0f);
    EXPECT_FLOAT_EQ(gFloater->x, 200.5f);
    SteerFloater(200.5f, 100.0f);
    EXPECT_FLOAT_EQ(gFloater->x, 200.5f);
    FreeFloater();
    EXPECT_EQ(gFloater, nullptr);
}

SequenceData TwoFrames(uint16_t height = 240) {
    SequenceData d;
    d.height = height;
    SequenceFrame a, b;
    a.spans = {SolidSpan16(0, 640, 0x7C00)};                   // the first row of the area
    b.spans = {SolidSpan16((height - 1) * 640 * 2, 10, 0x001F)}; // the start of its last row
    d.frames = {a, b};
    return d;
}

int RunSequence(int limit = 200) {
    int frames = 0;
    while (FrameSequenceRuns() && frames < limit) {
        PlayFrameSequence();
        ++frames;
    }
    return frames;
}

TEST_F(MapEffectsTest, SequencePlaysBetweenTheBarsAndEnds) {
    std::vector<uint8_t> file = BuildFrameSequence(TwoFrames());
    ASSERT_TRUE(StartFrameSequence(file.data(), file.size()));
    EXPECT_NE(gGameMode & kModeFrameSequence, 0u);
    for (int i = 0; i < 13; ++i) PlayFrameSequence();  // the letterbox closes
    EXPECT_EQ(At(5, 40), 0);
    EXPECT_EQ(At(5, 100), 0x1234);
    PlayFrameSequence();
    EXPECT_EQ(At(5, 120), ToScreenPixel(0x7C00));
    EXPECT_EQ(At(5, 0), 0);
    EXPECT_EQ(At(5, 479), 0);
    PlayFrameSequence();
    PlayFrameSequence();
    EXPECT_EQ(At(9, 359), ToScreenPixel(0x001F));
    EXPECT_EQ(At(10, 359), 0x1234);
    EXPECT_LT(RunSequence(), 100);
    EXPECT_EQ(gGameMode & kModeFrameSequence, 0u);
    EXPECT_EQ(gFrameInterval, 35u);
}

TEST_F(MapEffectsTest, SequencePaletteChangesAtItsFrame) {
    SequenceData d;
    d.depth = 8;
    d.height = 100;
    SequenceFrame f;
    f.spans = {{0, std::vector<uint8_t>(4, 3)}};
    d.frames = {f, f};
    std::vector<uint8_t> red(768, 0), blue(768, 0);
    red[9] = 255;
    blue[11] = 255;
    d.palettes = {{0, red}, {1, blue}};
    std::vector<uint8_t> file = BuildFrameSequence(d);
    ASSERT_TRUE(StartFrameSequence(file.data(), file.size()));
    for (int i = 0; i < 14; ++i) PlayFrameSequence();
    EXPECT_EQ(At(0, 190), ToScreenPixel(0x7C00));
    PlayFrameSequence();
    PlayFrameSequence();
    EXPECT_EQ(At(0, 190), ToScreenPixel(0x001F));
}

TEST_F(MapEffectsTest, BrokenSequencesAreRefusedOrStopped) {
    std::vector<uint8_t> tall = BuildFrameSequence(TwoFrames(481));
    EXPECT_FALSE(StartFrameSequence(tall.data(), tall.size()));
    std::vector<uint8_t> cut = BuildFrameSequence(TwoFrames());
    cut.resize(40);
    EXPECT_FALSE(StartFrameSequence(cut.data(), cut.size()));
    // A span past the letterbox area ends the sequence without drawing.
    SequenceData d = TwoFrames(10);
    d.frames[0].spans = {SolidSpan16(10 * 640 * 2 - 4, 4, 0x7FFF)};
    std::vector<uint8_t> file = BuildFrameSequence(d);
    ASSERT_TRUE(StartFrameSequence(file.data(), file.size()));
    EXPECT_FALSE(DrawSequenceFrame(0));
    EXPECT_EQ(At(638, 245), 0x1234);
    EXPECT_LT(RunSequence(), 100);
}

TEST_F(MapEffectsTest, TheClosingPhaseDrawsTheMapWithoutComingBack) {
    std::vector<uint8_t> file = BuildFrameSequence(TwoFrames());
    ASSERT_TRUE(StartFrameSequence(file.data(), file.size()));
    // RenderScene is the caller here, as in play: it must end.
    int frames = 0;
    while (FrameSequenceRuns() && frames < 200) {
        RenderScene();
        ++frames;
    }
    EXPECT_LT(frames, 100);
    EXPECT_FALSE(FrameSequenceRuns());
}

TEST_F(MapEffectsTest, AHeldSequenceDoesNotAdvance) {
    SequenceData d = TwoFrames();
    d.mode = kSequenceHold;
    std::vector<uint8_t> file = BuildFrameSequence(d);
    ASSERT_TRUE(StartFrameSequence(file.data(), file.size()));
    for (int i = 0; i < 50; ++i) PlayFrameSequence();
    EXPECT_EQ(gFrameSequence.step, -13);
    EXPECT_EQ(At(5, 5), 0x1234);
}

} // namespace

namespace {
TEST_F(MapEffectsTest, NameEntryStaysInsideItsRowAndSlots) {
    InitNickNames();
    uint8_t before[kNickRows][kNickRowBytes];
    std::memcpy(before, gNickNames, sizeof before);
    const char* texts[3] = {"ab", "cd", "ABCDEFGH"};  // the third is longer than its slot
    EXPECT_FALSE(CommitNameEntry(4, texts));
    EXPECT_EQ(std::memcmp(before, gNickNames, sizeof before), 0);
    ASSERT_TRUE(CommitNameEntry(1, texts));
    EXPECT_STREQ(NickName(1, 0), "ab");
    EXPECT_STREQ(NickName(1, 1), "cd");
    EXPECT_STREQ(NickName(1, 2), "ABCDE");
    EXPECT_EQ(gNickNames[1][18], 0);  // nothing past the third slot
    EXPECT_EQ(std::memcmp(before[0], gNickNames[0], kNickRowBytes), 0);
    EXPECT_EQ(std::memcmp(before[2], gNickNames[2], kNickRowBytes), 0);
    gGameMode |= kModeTextEntry;
    SetFlag(kFlagEditField);
    CloseNameEntry();
    EXPECT_EQ(gGameMode & kModeTextEntry, 0u);
    EXPECT_FALSE(IsFlag(kFlagEditField));
    ResetNickNames();
}
} // namespace

namespace {
bool gTestTalkRuns = false;
int gTestTalkWindow = 0;
}

TEST_F(MapEffectsTest, TheSilverShowsUnlessATalkWindowIsLoadedOrFlag81IsSet) {
    const MapFrameSeams saved = gMapSeams;
    gMapSeams.talkRuns = [] { return gTestTalkRuns; };
    gMapSeams.talkWindow = [] { return gTestTalkWindow; };
    const struct {
        bool talk;
        int window;
        bool flag81;
        bool shown;
    } cases[] = {
        {false, 0, false, true}, {true, 0, false, true}, {true, 7, false, true},
        {true, 8, false, false}, {false, 0, true, false}, {true, 9, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.talk << " " << c.window << " " << c.flag81);
        gTestTalkRuns = c.talk;
        gTestTalkWindow = c.window;
        if (c.flag81) SetFlag(81);
        else ClearFlag(81);
        EXPECT_EQ(DrawMoneyNumber(), c.shown);
    }
    ClearFlag(81);
    gMapSeams = saved;
}
