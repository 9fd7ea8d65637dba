#include <gtest/gtest.h>

#include <cstring>

#include "draw/act_pack.h"
#include "draw/draw_kernel.h"
#include "draw/game_fonts.h"
#include "draw/text_colours.h"
#include "draw/text_font.h"
#include "draw/zoom_render.h"
#include "draw/surface.h"
#include "media/music.h"
#include "media/sound_bank.h"
#include "platform/headless/headless_media.h"
#include "tests/world/map/map_fixture.h"
#include "tools/act_writer.h"
#include "tools/sample_art.h"
#include "tools/snd_writer.h"
#include "tools/tsw_writer.h"
#include "world/dialog/story_timer.h"
#include "world/map/draw_order.h"
#include "world/map/map_effects.h"
#include "world/map/map_render.h"

namespace {

constexpr uint16_t kGuard = 0x5A5A;

class MapRenderTest : public DrawnMapTest {
protected:
    void SetUp() override {
        DrawnMapTest::SetUp();
        Fill(kGuard);
    }
    void Fill(uint16_t v) {
        for (int y = 0; y < kViewHeight; ++y)
            for (int x = 0; x < kViewWidth; ++x) *BackPixel(x, y) = v;
    }
    uint16_t At(int x, int y) { return *BackPixel(x, y); }
    // Tile colour of cell (cx, cy) of a map whose cell i shows tile i % tiles.
    static uint16_t TileColour(int tile) { return uint16_t(0x0421 * (tile + 1)); }
    // A map whose cells each show their own tile (w x h tiles in the layer).
    void LoadCellTiles(uint16_t w, uint16_t h, std::vector<uint32_t> cellBits = {}) {
        LmfMap m = SimpleMap(1, w, h, 1);
        std::vector<uint16_t> colours;
        for (uint32_t i = 0; i < uint32_t(w) * h; ++i) {
            m.tiles[i] = i;
            colours.push_back(TileColour(int(i % 30)));
            m.cells[i] = i < cellBits.size() ? cellBits[i] : 0;
        }
        m.pixels = SolidTiles16(colours);
        PutArchive({m});
        ASSERT_EQ(LoadMap3(1, &gMap), 1);
    }
    uint16_t CellColour(int cx, int cy) { return TileColour(int((cy * int(gMap.width) + cx) % 30)); }
    void SetCamera(int left, int top) { gCamera = {left, top, left + kViewWidth, top + kViewHeight}; }
};

TEST_F(MapRenderTest, AlignedCameraDrawsWholeTiles) {
    LoadCellTiles(50, 40);
    SetCamera(32, 48);
    DrawTileLayer();
    EXPECT_EQ(At(0, 0), CellColour(2, 3));
    EXPECT_EQ(At(15, 15), CellColour(2, 3));
    EXPECT_EQ(At(16, 0), CellColour(3, 3));
    EXPECT_EQ(At(639, 479), CellColour(41, 32));
}

TEST_F(MapRenderTest, UnalignedCameraClipsTheBorderCells) {
    LoadCellTiles(50, 40);
    SetCamera(37, 5);
    DrawTileLayer();
    EXPECT_EQ(At(0, 0), CellColour(2, 0));
    EXPECT_EQ(At(10, 10), CellColour(2, 0));
    EXPECT_EQ(At(11, 10), CellColour(3, 0));
    EXPECT_EQ(At(11, 11), CellColour(3, 1));
    EXPECT_EQ(At(639, 479), CellColour((37 + 639) / 16, (5 + 479) / 16));
}

TEST_F(MapRenderTest, Bit27HidesATileAndBit26KeysIt) {
    LmfMap m = SimpleMap(1, 40, 30, 2);
    for (uint32_t& t : m.tiles) t = 0;
    m.tiles[1] = 1;
    m.cells[0] = kCellNoTile;
    m.cells[1] = kCellKeyedTile;
    std::vector<uint8_t> layer = SolidTiles16({0x1234, 0x2222});
    for (int i = 0; i < 128; ++i) layer[512 + 2 * size_t(i)] = 0x6B, layer[512 + 2 * size_t(i) + 1] = 0x02;  // half key
    m.pixels = layer;
    PutArchive({m});
    ASSERT_EQ(LoadMap3(1, &gMap), 1);
    SetCamera(0, 0);
    DrawTileLayer();
    EXPECT_EQ(At(5, 5), kGuard);   // bit 27
    EXPECT_EQ(At(16, 0), kGuard);  // keyed part
    EXPECT_EQ(At(16, 15), ToScreenPixel(0x2222));
    EXPECT_EQ(At(32, 0), ToScreenPixel(0x1234));
    // Unaligned: the keyed border cell goes through the keyed clipping draw.
    Fill(kGuard);
    SetCamera(1, 0);
    DrawTileLayer();
    EXPECT_EQ(At(15, 0), kGuard);
    EXPECT_EQ(At(15, 15), ToScreenPixel(0x2222));
}

TEST_F(MapRenderTest, TileAnimationRunsBackAndForth) {
    LmfMap m = SimpleMap(1, 4, 4, 3);
    m.frames = 3;
    m.tiles.assign(48, 0);
    PutArchive({m});
    ASSERT_EQ(LoadMap3(1, &gMap), 1);
    gTileAnimPeriod = 1;
    std::vector<uint32_t> seen;
    for (int i = 0; i < 7; ++i) {
        seen.push_back(gMap.tileFrame);
        StepTileAnimation();
    }
    EXPECT_EQ(seen, (std::vector<uint32_t>{0, 1, 2, 1, 0, 1, 2}));
    gMap.tileFrames = 1;
    gMap.tileFrame = 0;
    for (int i = 0; i < 5; ++i) StepTileAnimation();
    EXPECT_EQ(gMap.tileFrame, 0u);
}

TEST_F(MapRenderTest, CameraOnSmallAndExactMaps) {
    LoadCellTiles(40, 30);
    gPlayerRole = 1;
    TotalRole = 2;
    gRole[1].x = 600;
    gRole[1].y = 400;
    CenterView();
    EXPECT_EQ(gCamera.left, 0);
    EXPECT_EQ(gCamera.top, 0);
    LoadCellTiles(20, 10);
    CenterView();
    EXPECT_EQ(gCamera.left, 0);
    EXPECT_EQ(gCamera.top, 0);
    EXPECT_EQ(gCamera.right, kViewWidth);
    Fill(kGuard);
    DrawTileLayer();
    EXPECT_EQ(At(319, 159), CellColour(19, 9));
    EXPECT_EQ(At(320, 0), kGuard);
    EXPECT_EQ(At(0, 160), kGuard);
    LoadCellTiles(60, 50);
    gRole[1].x = 59 * 16;
    gRole[1].y = 16;
    CenterView();
    EXPECT_EQ(gCamera.left, (60 - 40) * 16);
    EXPECT_EQ(gCamera.top, 0);
    Camera r;
    ViewRectAt(400, 500, &r);
    EXPECT_EQ(r.left, 80);
    EXPECT_EQ(r.top, 260);
}

TEST_F(MapRenderTest, CameraScrollEndsOnItsTargetWhateverTheStep) {
    struct Case {
        int32_t distance, step;
        int frames;
    } cases[] = {{10, 3, 4}, {9, 3, 3}, {10, 0, 1}, {-10, 4, 3}, {5, 100, 1}};
    for (const Case& c : cases) {
        SetCamera(100, 100);
        gCameraScroll = {c.distance, 0, c.step, 0};
        int frames = 0;
        while (gCameraScroll.remainX != 0 && frames < 100) {
            StepCameraScroll();
            ++frames;
        }
        EXPECT_EQ(frames, c.frames) << c.distance << "/" << c.step;
        EXPECT_EQ(gCamera.left, 100 + c.distance);
        EXPECT_EQ(gCamera.right, gCamera.left + kViewWidth);
    }
}

TEST_F(MapRenderTest, RouteCodesBeyondSevenAreRefused) {
    EXPECT_EQ(FacingOfRouteCode(0), 5);
    EXPECT_EQ(FacingOfRouteCode(7), 3);
    EXPECT_EQ(FacingOfRouteCode(8), -1);
    EXPECT_EQ(FacingOfRouteCode(255), -1);
    LoadCellTiles(4, 4);
    RoleRecord r;
    r.cellIndex = 3;  // (3, 0)
    EXPECT_FALSE(MoveRoleCell(&r, 9));
    EXPECT_FALSE(MoveRoleCell(&r, 7));  // east, off the map
    EXPECT_EQ(r.cellIndex, 3);
    EXPECT_TRUE(MoveRoleCell(&r, 1));   // south
    EXPECT_EQ(r.cellIndex, 7);
}

TEST_F(MapRenderTest, ObjectsDrawInPlaneOrderOverTheTiles) {
    LmfMap m = SimpleMap(1, 40, 30, 1);
    m.pictures = {{1, SolidFrame(8, 8, 0x7C00)}, {2, SolidFrame(8, 8, 0x001F)}, {3, SolidFrame(8, 8, 0x03E0)}};
    // Same place: plane code 2 (plane 1) is drawn last, code 0 (plane 2) first.
    m.objects = {{3, 100, 100, 100, 1}, {2, 100, 100, 100, 2}, {1, 100, 100, 100, 0}, {1, 200, 40, 48, 0, 2, -1}};
    PutArchive({m});
    ASSERT_EQ(LoadMap3(1, &gMap), 1);
    SetCamera(16, 32);
    RenderScene();
    EXPECT_EQ(At(100 - 16, 100 - 32), ToScreenPixel(0x001F));
    EXPECT_EQ(At(200 - 16 + 2, 40 - 32 - 1), ToScreenPixel(0x7C00));
    EXPECT_EQ(At(200 - 16 + 1, 40 - 32 - 1), ToScreenPixel(0x0421));  // the tile beside it
}

TEST_F(MapRenderTest, ActFailuresAreReportedOnce) {
    ActRecord a{};
    ResetActRecord(&a);
    a.act = 4000;
    for (int i = 0; i < 5; ++i) StepMapAct(&a, "Act Err(PicPaint:PlayAct)");
    EXPECT_EQ(BoxCount(), 1u);
}

class MapSoundTest : public MapRenderTest {
protected:
    void SetUp() override {
        MapRenderTest::SetUp();
        ResetSoundBank();
        HeadlessAudioReset();
        std::vector<uint8_t> wave = BuildWaveFile(ToneSamples(440, 200, 22050, 2, 8000), 22050, 2);
        ASSERT_TRUE(WriteBytesToFile((temp_ / "all.snd").c_str(), BuildSoundPack({{7, wave, kSoundKindWholeFile}})));
        ASSERT_TRUE(gSoundBank.OpenSound(temp_.Path().c_str()));
        gPlayerRole = 1;
        TotalRole = 3;
        gRole[1].x = gRole[1].y = 0;
        gRole[2].flags = kRoleActive;
        gRole[2].soundId = 7;
        gRole[2].x = 100;
    }
    void TearDown() override {
        ResetSoundBank();
        MapRenderTest::TearDown();
    }
};

TEST_F(MapSoundTest, ALoopingSoundStartsOnceAndStopsOutOfRange) {
    gRole[2].soundTimer = 0;  // interval 0: loops
    for (int i = 0; i < 5; ++i) PlayObjectSound(&gRole[2]);
    EXPECT_EQ(gSoundBank.BusyCount(), 1);
    EXPECT_NE(gRole[2].flags & kRolePlaying, 0u);
    gRole[2].x = 600;
    PlayObjectSound(&gRole[2]);
    gSoundBank.UpdateSounds();
    EXPECT_EQ(gRole[2].flags & kRolePlaying, 0u);
    EXPECT_EQ(gSoundBank.VoiceOf(7), -1);
}

TEST_F(MapSoundTest, ARepeatedSoundPlaysEveryIntervalFrames) {
    gRole[2].soundTimer = (4u << 16) | 4;
    int plays = 0;
    for (int i = 0; i < 12; ++i) {
        const int before = gSoundBank.BusyCount();
        PlayObjectSound(&gRole[2]);
        if (gSoundBank.BusyCount() > before) ++plays;
    }
    EXPECT_EQ(plays, 3);
}

TEST_F(MapRenderTest, ShakeTables) {
    SetCamera(100, 100);
    const int16_t none[] = {int16_t(kShakeEnd)};
    SetShakeTable(none, 1, 2);
    EXPECT_FALSE(ShakeRuns());
    StepScreenShake();
    EXPECT_EQ(gCamera.left, 100);

    const int16_t three[] = {1, 0, 2, 0, 3, 0, int16_t(kShakeEnd)};
    SetShakeTable(three, 7, 2);
    std::vector<int> seen;
    for (int i = 0; i < 8; ++i) {
        StepScreenShake();
        seen.push_back(gCamera.left - 100);
        EndShakeFrame();
        EXPECT_EQ(gCamera.left, 100);
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 1, 2, 2, 3, 3, 1, 1}));

    // An odd count drops the half pair: the end marker is never a dx.
    const int16_t odd[] = {4, 4, 5, int16_t(kShakeEnd)};
    SetShakeTable(odd, 4, 1);
    for (int i = 0; i < 4; ++i) {
        StepScreenShake();
        EXPECT_EQ(gCamera.left, 104);
        EndShakeFrame();
    }
    StopShake();
    EXPECT_FALSE(ShakeRuns());
}

// The camera puts the player 304 pixels from the left and 240 from the top;
// a rectangle asked for by a talk puts its point 320 from the left.
TEST_F(MapRenderTest, CenterViewOffsets) {
    PutArchive({SimpleMap(1, 100, 100)});
    ASSERT_EQ(LoadMap3(1, &gMap), 1);
    gPlayerRole = 1;
    TotalRole = 2;
    struct Case {
        int32_t x, y, left, top;
    } cases[] = {
        {1000, 800, 696, 560}, {304, 240, 0, 0}, {305, 241, 1, 1}, {303, 239, 0, 0}, {1600, 1600, 960, 1120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        gRole[1].x = c.x;
        gRole[1].y = c.y;
        CenterView();
        EXPECT_EQ(gCamera.left, c.left);
        EXPECT_EQ(gCamera.top, c.top);
        EXPECT_EQ(gCamera.right, c.left + kViewWidth);
        EXPECT_EQ(gCamera.bottom, c.top + kViewHeight);
    }
    Camera r;
    ViewRectAt(1000, 800, &r);
    EXPECT_EQ(r.left, 680);
    EXPECT_EQ(r.top, 560);
}

// A map with one object: an 8 x 8 picture whose top-left is at (100, 100).
class MapObjectTest : public MapRenderTest {
protected:
    void SetUp() override {
        MapRenderTest::SetUp();
        LmfMap m = SimpleMap(1, 40, 30, 1);
        m.pictures = {{1, SolidFrame(8, 8, 0x7C00)}};
        m.objects = {{1, 100, 100, 100, 1}};
        PutArchive({m});
        ASSERT_EQ(LoadMap3(1, &gMap), 1);
        ASSERT_EQ(TotalRole, 2u);
        SetCamera(0, 0);
    }
    void TearDown() override {
        std::free(gRole[1].text);
        gRole[1].text = nullptr;
        ResetTextFonts();
        ResetColourTables();
        gShadowMode = 0;
        MapRenderTest::TearDown();
    }
    RoleRecord& Object() { return gRole[1]; }
    // Pixels of the rectangle that are not the tile's colour.
    int Changed(int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += At(x, y) != ToScreenPixel(0x0421);
        return n;
    }
};

// A role's shadow leans one way for odd shadow modes and the other way for
// even ones, a quarter pixel per row.
TEST_F(MapObjectTest, ShadowsLeanByTheirMode) {
    Object().flags |= kRoleLit;
    const struct {
        uint32_t mode;
        int32_t shear;
    } cases[] = {{1, 256}, {2, -256}, {3, 256}, {4, -256}, {5, 256}, {6, -256}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        gShadowMode = c.mode;
        gZoomShear = 0;
        DrawMapObject(&Object());
        EXPECT_EQ(gZoomShear, c.shear);
    }
}

// A role's text is drawn centred over it, one text row above its top, while
// no talk runs.
TEST_F(MapObjectTest, ARolesTextStandsOverItWhileNoTalkRuns) {
    BuildColourTables();
    MakeFont(gFontLarge, kViewWidth, kViewHeight, 20);
    Object().text = static_cast<char*>(std::malloc(3));
    std::memcpy(Object().text, "AB", 3);
    Object().textKind = 2;
    static bool talk;
    talk = false;
    gMapSeams.talkRuns = [] { return talk; };
    RenderScene();
    // "AB" is 22 pixels wide, centred on x 104: from x 93 to 115 (its shadow
    // two pixels further), rows 78..99.
    EXPECT_GT(Changed(93, 78, 115, 100), 20);
    EXPECT_EQ(Changed(60, 60, 93, 100), 0);
    EXPECT_EQ(Changed(118, 60, 150, 100), 0);
    EXPECT_EQ(Changed(60, 60, 150, 76), 0);
    Fill(kGuard);
    talk = true;
    RenderScene();
    EXPECT_EQ(Changed(60, 60, 150, 100), 0);
}

// The talk countdown of the story is shown at (400, 8) on the map frame.
TEST_F(MapObjectTest, TheStoryCountdownIsShownOnTheMapFrame) {
    ASSERT_TRUE(WriteBytesToFile((temp_ / "all_sys.tsw").c_str(), BuildTswPack(SystemPictures())));
    ASSERT_TRUE(WriteBytesToFile((temp_ / "all_sys.act").c_str(), BuildActPack(SystemActs())));
    ASSERT_NE(MakePackPath(temp_.Path().c_str()), nullptr);
    OpenTswPacks();
    ResetActPacks();
    ResetStoryTimer();
    gBackBuffer = surface_;
    SetFlag(81);  // no silver, no cursor
    auto frame = [this] {
        Render();
        std::vector<uint16_t> top;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < kViewWidth; ++x) top.push_back(At(x, y));
        return top;
    };
    const std::vector<uint16_t> without = frame();
    StartStoryTimer(2, 5, 77, 0);
    const std::vector<uint16_t> with = frame();
    int left = 0, right = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < kViewWidth; ++x) {
            if (with[size_t(y) * kViewWidth + size_t(x)] == without[size_t(y) * kViewWidth + size_t(x)]) continue;
            (x < 400 || y < 8 ? left : right) += 1;
        }
    EXPECT_EQ(left, 0);
    EXPECT_GT(right, 0);
    gBackBuffer = nullptr;
    CloseTswPacks();
    ResetTswPacks();
    ResetActPacks();
    ResetStoryTimer();
}

} // namespace
