#include "media/video.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/input.h"
#include "base/settings.h"
#include "draw/display.h"
#include "draw/surface.h"
#include "media_fixture.h"
#include "platform/plat_audio.h"
#include "platform/plat_video.h"
#include "tools/media_writer.h"
#include "tools/snd_writer.h"

namespace {

uint16_t Pack565(uint8_t r, uint8_t g, uint8_t b) { return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)); }

uint16_t GeneratedPixel(int frame) {
    uint8_t r, g, b;
    HeadlessVideoColour(frame, &r, &g, &b);
    return Pack565(r, g, b);
}

struct CloseRecorder {
    static inline int calls = 0;
    static void Close() { ++calls; }
};

class VideoTest : public MediaTest {
protected:
    void SetUp() override {
        MediaTest::SetUp();
        ResetGameState();
        ResetSettings();
        ResetDisplay();
        ResetInput();
        ResetErrorBoxes();
        HeadlessSetLayout(kLayout565);
        ASSERT_EQ(gDisplay.InitDDraw("KYV3", kModeFullScreen, 640, 480, 16), 1);
        gBackBuffer = gDisplay.CreateOffSurface(640, 480);
        ASSERT_NE(gBackBuffer, nullptr);
        SetupVideoSound(nullptr, 0, 0);
        gInput.InitDInput();
        // Videos come from the install folder's "Video" folder.
        gInstallKind = 4;
        std::strcpy(gInstallPath, Folder().c_str());
    }
    void TearDown() override {
        ResetVideo();
        ResetDisplay();
        ResetInput();
        ResetSettings();
        ResetGameState();
        ResetErrorBoxes();
        MediaTest::TearDown();
    }

    // A play-video instruction: opcode word, the name, the end mark, and a
    // next instruction after it.
    static std::vector<uint8_t> Instruction(const std::string& name, bool endMark = true) {
        std::vector<uint8_t> bytes(2 + name.size());
        bytes[0] = 0x30;
        std::memcpy(bytes.data() + 2, name.data(), name.size());
        if (endMark) {
            bytes.push_back(0x25);
            bytes.push_back(0x51);
            bytes.push_back(0x07);
            bytes.push_back(0x00);
        }
        return bytes;
    }

    // The game path a video name is played from in this install.
    std::string VideoFile(const std::string& name) const { return Folder() + "Video\\" + name; }

    void Play(const std::string& name) {
        std::vector<uint8_t> script = Instruction(name);
        uint32_t position = 0, length = 0;
        EXPECT_TRUE(PlayVideoCommand(script.data(), script.size(), &position, &length));
        EXPECT_EQ(position, uint32_t(script.size() - 2));
        EXPECT_EQ(length, position);
    }

    // Services the video until it stops, the clock moving 5 ms a turn;
    // returns the frames presented.
    uint32_t RunToEnd(int maxTurns = 2000) {
        uint32_t before = HeadlessPresentCount();
        for (int turn = 0; turn < maxTurns && (gGameMode & kModeVideo); ++turn) {
            ServiceVideo();
            HeadlessAdvanceClock(5);
        }
        return HeadlessPresentCount() - before;
    }
};

TEST_F(VideoTest, PathByInstallKind) {
    std::strcpy(gCdPath, "E:\\");
    std::strcpy(gInstallPath, "C:\\KYV\\");
    const struct {
        uint8_t kind;
        const char* path;
    } cases[] = {
        {1, "E:\\kyv3e\\Video\\op.bik"}, {2, "E:\\kyv3e\\Video\\op.bik"}, {4, "C:\\KYV\\Video\\op.bik"},
        {'4', "C:\\KYV\\Video\\op.bik"},
        // Any other kind (the installer stores any digit) is a hard-disk install.
        {3, "C:\\KYV\\Video\\op.bik"}, {0, "C:\\KYV\\Video\\op.bik"}, {'9', "C:\\KYV\\Video\\op.bik"},
        {0xFF, "C:\\KYV\\Video\\op.bik"},
    };
    for (const auto& c : cases) {
        gInstallKind = c.kind;
        Play("op.bik");
        EXPECT_STREQ(HeadlessVideoLastPath(), c.path) << int(c.kind);
        RunToEnd();
    }
}

TEST_F(VideoTest, DiscInstallWithoutADiscReadsTheInstallFolder) {
    gCdPath[0] = 0;
    for (uint8_t kind : {1, 2}) {
        gInstallKind = kind;
        HeadlessVideoAddClip(VideoFile("op.bik").c_str(), 2, 64, 64, 40);
        Play("op.bik");
        EXPECT_EQ(std::string(HeadlessVideoLastPath()), VideoFile("op.bik")) << int(kind);
        EXPECT_EQ(RunToEnd(), 2u) << int(kind);
    }
}

TEST_F(VideoTest, GeneratedClipPlaysToItsEndPacedByItsTimes) {
    HeadlessVideoAddClip(VideoFile("op.bik").c_str(), 5, 320, 240, 100);
    Play("op.bik");
    ASSERT_TRUE(gGameMode & kModeVideo);
    ASSERT_NE(gVideo, nullptr);
    EXPECT_EQ(gVideo->FrameCount(), 5);

    for (int frame = 1; frame <= 5; ++frame) {
        ServiceVideo();
        EXPECT_EQ(HeadlessPresentCount(), uint32_t(frame));
        EXPECT_EQ(HeadlessPixel(0, 0), GeneratedPixel(frame)) << frame;
        EXPECT_EQ(HeadlessPixel(319, 239), GeneratedPixel(frame)) << frame;
        EXPECT_EQ(HeadlessPixel(320, 0), 0) << "the screen round a small video is black";
        EXPECT_EQ(HeadlessPixel(0, 240), 0);
        if (frame < 5) {
            EXPECT_EQ(GetVideoFrame(), frame);
            // Not due yet: nothing more is shown until its time comes.
            HeadlessAdvanceClock(99);
            ServiceVideo();
            EXPECT_EQ(HeadlessPresentCount(), uint32_t(frame));
            HeadlessAdvanceClock(1);
        }
    }
    EXPECT_FALSE(gGameMode & kModeVideo);
    EXPECT_EQ(gVideo, nullptr);
    EXPECT_EQ(GetVideoFrame(), -1);
    EXPECT_FALSE(SetVideoCue(0, 0));
}

TEST_F(VideoTest, OneFrameVideoShowsOnceAndStops) {
    HeadlessVideoAddClip(VideoFile("one.bik").c_str(), 1, 640, 480, 40);
    Play("one.bik");
    EXPECT_EQ(RunToEnd(), 1u);
    EXPECT_EQ(HeadlessPixel(639, 479), GeneratedPixel(1));
}

TEST_F(VideoTest, EscStopsTheVideo) {
    HeadlessVideoAddClip(VideoFile("long.bik").c_str(), 100, 640, 480, 40);
    HeadlessQueueKey(kScanEsc, true, 2);
    HeadlessQueueKey(kScanEsc, false, 3);
    Play("long.bik");
    EXPECT_TRUE(SetVideoCue(0, 0));
    EXPECT_EQ(RunToEnd(), 3u) << "stopped when Esc is let go";
    EXPECT_FALSE(gGameMode & kModeVideo);
    EXPECT_EQ(gVideo, nullptr);
}

TEST_F(VideoTest, QuitAskedDuringTheVideoClosesTheWindowWhenItStops) {
    CloseRecorder::calls = 0;
    gRequestClose = &CloseRecorder::Close;
    HeadlessVideoAddClip(VideoFile("op.bik").c_str(), 3, 64, 64, 40);
    Play("op.bik");
    gGameMode |= kModeQuit;
    RunToEnd();
    EXPECT_EQ(CloseRecorder::calls, 1);
}

TEST_F(VideoTest, WideVideoIsScaledIntoTheScreen) {
    HeadlessVideoAddClip(VideoFile("wide.bik").c_str(), 2, 1280, 480, 40);
    Play("wide.bik");
    EXPECT_EQ(RunToEnd(), 2u);
    EXPECT_EQ(HeadlessPixel(639, 0), GeneratedPixel(2));
    EXPECT_EQ(HeadlessPixel(0, 239), GeneratedPixel(2));
    EXPECT_EQ(HeadlessPixel(0, 240), 0);
}

TEST_F(VideoTest, MissingVideoEndsAtTheFirstStep) {
    Play("none.bik");
    EXPECT_TRUE(gGameMode & kModeVideo);
    EXPECT_FALSE(SetVideoCue(0, 0));
    EXPECT_EQ(RunToEnd(), 0u);
    EXPECT_FALSE(gGameMode & kModeVideo);
}

TEST_F(VideoTest, EmptyNameOpensThePrefixAloneAndEnds) {
    gInstallKind = 4;
    std::strcpy(gInstallPath, Folder().c_str());
    Play("");
    EXPECT_EQ(std::string(HeadlessVideoLastPath()), Folder() + "Video\\");
    EXPECT_EQ(RunToEnd(), 0u);
    EXPECT_FALSE(gGameMode & kModeVideo);
}

TEST_F(VideoTest, NameWithoutEndMarkStopsAtTheScriptEnd) {
    std::vector<uint8_t> script = Instruction("op.bik", false);
    script.push_back(0x25); // half an end mark at the very end
    uint32_t position = 0, length = 0;
    PlayVideoCommand(script.data(), script.size(), &position, &length);
    EXPECT_EQ(position, script.size());
    EXPECT_EQ(length, script.size());
    EXPECT_FALSE(gGameMode & kModeVideo);
    EXPECT_EQ(gVideo, nullptr);
    EXPECT_EQ(HeadlessMessageBoxes().size(), 1u);
}

TEST_F(VideoTest, NameLongerThanThePathBufferIsRefused) {
    std::vector<uint8_t> script = Instruction(std::string(1100, 'a'));
    uint32_t position = 0, length = 0;
    PlayVideoCommand(script.data(), script.size(), &position, &length);
    EXPECT_EQ(position, script.size() - 2) << "the instruction is still passed over";
    EXPECT_FALSE(gGameMode & kModeVideo);
    EXPECT_EQ(HeadlessMessageBoxes().size(), 1u);
}

TEST_F(VideoTest, TruncatedVideoFileStopsCleanly) {
    VideoClipSpec spec;
    spec.frames = 20;
    std::string error;
    ASSERT_TRUE(WriteVideoFile(Path("full.avi"), spec, &error)) << error;
    std::ifstream in(Path("full.avi"), std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (size_t keep : {bytes.size() / 2, size_t(300), size_t(10)}) {
        Put("Video/cut.avi", std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::ptrdiff_t(keep)));
        Play("cut.avi");
        EXPECT_LT(RunToEnd(), 20u) << keep;
        EXPECT_FALSE(gGameMode & kModeVideo) << keep;
    }
}

// Video and sound files are only ever local files: a name that the media
// library would read as another protocol ("subfile,...", "file:", "concat:")
// or that a script could hand over opens nothing, while a local file whose
// name holds a colon still opens.
TEST_F(VideoTest, MediaNamesAreOnlyEverLocalFiles) {
    ASSERT_TRUE(PlatAudioOpen(44100, 16, 2));
    VideoClipSpec spec;
    spec.frames = 2;
    spec.withSound = true;
    std::string error;
    ASSERT_TRUE(WriteVideoFile(Path("clip.avi"), spec, &error)) << error;
    Put("tone.wav", BuildWaveFile(ToneSamples(440, 100, 22050, 2, 9000), 22050, 2));
    for (const std::string prefix : {"subfile,,start,0,end,0,,:", "file:", "concat:"}) {
        SCOPED_TRACE(prefix);
        PlatVideo* video = PlatVideoOpen((prefix + Path("clip.avi")).c_str(), 100);
        EXPECT_EQ(video, nullptr);
        if (video) PlatVideoClose(video);
        PlatStream stream = PlatStreamOpen((prefix + Path("tone.wav")).c_str());
        EXPECT_EQ(stream, kPlatNoStream);
        if (stream != kPlatNoStream) PlatStreamClose(stream);
    }
    Put("pipe:0", BuildWaveFile(ToneSamples(440, 100, 22050, 2, 9000), 22050, 2));
    PlatStream stream = PlatStreamOpen(Path("pipe:0").c_str());
    EXPECT_NE(stream, kPlatNoStream) << PlatAudioLastError();
    PlatStreamClose(stream);
}

// A script's video name is played from the install's video folder whatever
// it holds: with a kind the installer may store (3), "subfile,..." is a
// name inside that folder, not a way to another file.
TEST_F(VideoTest, ScriptNameNeverLeavesTheVideoFolder) {
    VideoClipSpec spec;
    spec.frames = 2;
    std::string error;
    ASSERT_TRUE(WriteVideoFile(Path("clip.avi"), spec, &error)) << error;
    gInstallKind = 3;
    std::string name = "subfile,,start,0,end,0,,:" + Path("clip.avi");
    Play(name);
    EXPECT_EQ(std::string(HeadlessVideoLastPath()), VideoFile(name));
    EXPECT_EQ(RunToEnd(), 0u);
}

TEST_F(VideoTest, EncodedClipWithSoundPlaysThrough) {
    ASSERT_TRUE(PlatAudioOpen(44100, 16, 2));
    VideoClipSpec spec;
    spec.width = 160;
    spec.height = 120;
    spec.frames = 6;
    spec.fps = 10;
    spec.withSound = true;
    std::string error;
    std::filesystem::create_directories(dir_ / "Video");
    ASSERT_TRUE(WriteVideoFile(Path("Video/clip.avi"), spec, &error)) << error;
    gInstallKind = 4;
    std::strcpy(gInstallPath, Folder().c_str());
    Play("clip.avi");
    ASSERT_NE(gVideo, nullptr);
    ASSERT_TRUE(gVideo->IsOpen()) << gVideo->LastError();
    EXPECT_EQ(gVideo->Width(), 160);
    ServiceVideo();
    ServiceVideo();
    EXPECT_EQ(HeadlessPresentCount(), 1u) << "the second frame waits for its time";
    HeadlessAdvanceClock(100);
    EXPECT_GT(HeadlessAudioTakePeak(), 1000) << "the video's sound plays";
    ServiceVideo();
    uint8_t r, g, b;
    VideoClipColour(2, &r, &g, &b);
    uint16_t px = HeadlessPixel(80, 60);
    EXPECT_NEAR(px >> 11, r >> 3, 1);
    EXPECT_NEAR((px >> 5) & 63, g >> 2, 2);
    EXPECT_NEAR(px & 31, b >> 3, 1);
    EXPECT_EQ(RunToEnd() + 2, 6u);
}

} // namespace
