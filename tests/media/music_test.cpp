#include "media/music.h"

#include <gtest/gtest.h>

#include "base/bytes.h"
#include "media_fixture.h"
#include "platform/plat_audio.h"
#include "tools/media_writer.h"
#include "tools/snd_writer.h"

namespace {

class MusicTest : public MediaTest {
protected:
    void SetUp() override {
        MediaTest::SetUp();
        ASSERT_TRUE(PlatAudioOpen(44100, 16, 2));
        gStreamPlayer.InitStreamPlayer(1);
        gMusic.UpdateMusic(); // the first update leaves the start-up stop state
    }

    // A wave file of ms milliseconds; returns its path.
    std::string Track(const std::string& name, int ms) {
        Put(name, BuildWaveFile(ToneSamples(440, ms, 22050, 2, 9000), 22050, 2));
        return Path(name);
    }

    // One game frame of the audio service.
    void Frame(uint32_t ms = 35) {
        HeadlessAdvanceClock(ms);
        gMusic.UpdateMusic();
        gSoundBank.UpdateSounds();
        gStreamPlayer.UpdateStreams();
    }

    // Runs frames for ms and lists the track ids that started, in order.
    std::vector<uint32_t> Started(int ms) {
        std::vector<uint32_t> ids;
        uint32_t last = gStreamPlayer.GetFirstStreamId();
        for (int t = 0; t < ms; t += 35) {
            Frame();
            uint32_t now = gStreamPlayer.GetFirstStreamId();
            if (now != 0 && now != last) ids.push_back(now);
            last = now;
        }
        return ids;
    }
};

TEST_F(MusicTest, TrackKindByExtensionInAnyCase) {
    const struct {
        const char* name;
        uint32_t kind;
    } cases[] = {
        {"C:\\Game\\music\\m01.mp3", kTrackStream},
        {"music\\M01.MP3", kTrackStream},
        {"music\\intro.Wav", kTrackStream},
        {"music\\battle.xmi", kTrackSequence},
        {"music\\battle.XMI", kTrackSequence},
        {"mp3\\notes.txt", kTrackNone},
        {"wav.d/readme", kTrackNone},
        {"music\\m01.mp3.bak", kTrackNone},
        {"music\\mp3", kTrackNone},
        {"", kTrackNone},
        {nullptr, kTrackNone},
    };
    for (const auto& c : cases) EXPECT_EQ(TrackKind(c.name), c.kind) << (c.name ? c.name : "(null)");
}

TEST_F(MusicTest, QueueTrackRefusesBadIdChannelOrMode) {
    const struct {
        uint32_t id;
        int channel;
        uint32_t mode;
    } cases[] = {{0, 0, 1}, {5, 2, 1}, {5, -1, 1}, {5, 0, 0}, {5, 0, 4}};
    for (const auto& c : cases) gMusic.QueueTrack("a.mp3", c.id, c.channel, c.mode);
    for (auto& mode : gMusic.slots) {
        for (auto& slot : mode) EXPECT_EQ(slot.id, 0u);
    }
    gMusic.QueueTrack("a.txt", 7, 1, 3);
    EXPECT_EQ(gMusic.slots[2][1].id, 7u);
    EXPECT_EQ(gMusic.slots[2][1].kind, kTrackNone);
    EXPECT_TRUE(gMusic.slots[2][1].name.empty());
}

TEST_F(MusicTest, ModeSwitchWaitsForTheFade) {
    gMusic.QueueTrack(Track("map.wav", 3000).c_str(), 11, 0, 1);
    gMusic.QueueTrack(Track("story.wav", 3000).c_str(), 22, 0, 2);
    gMusic.PlayMusic(1, 1, 1);
    Frame();
    ASSERT_EQ(gStreamPlayer.GetFirstStreamId(), 11u);

    gMusic.PlayMusic(2, 1, 15);
    int lastVolume = gStreamPlayer.StreamVolume16(11);
    for (int f = 1; f <= 14; ++f) {
        Frame();
        EXPECT_FALSE(gStreamPlayer.IsStreamDone(11)) << f;
        EXPECT_TRUE(gStreamPlayer.IsStreamDone(22)) << f;
        EXPECT_LT(gStreamPlayer.StreamVolume16(11), lastVolume);
        lastVolume = gStreamPlayer.StreamVolume16(11);
        EXPECT_EQ(gMusic.currentMode, 1u);
    }
    Frame();
    EXPECT_TRUE(gStreamPlayer.IsStreamDone(11));
    EXPECT_TRUE(gStreamPlayer.IsStreamDone(22));
    Frame();
    EXPECT_EQ(gMusic.currentMode, 2u);
    EXPECT_EQ(gStreamPlayer.GetFirstStreamId(), 22u);
}

TEST_F(MusicTest, RepeatOncePlaysEachSlotThenStaysSilent) {
    gMusic.QueueTrack(Track("a.wav", 200).c_str(), 1, 0, 1);
    gMusic.QueueTrack(Track("b.wav", 200).c_str(), 2, 1, 1);
    gMusic.PlayMusic(1, 2, 1);
    EXPECT_EQ(Started(2000), (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(gStreamPlayer.BusyCount(), 0);
    EXPECT_TRUE(gMusic.IsMusicTrackDone());
}

TEST_F(MusicTest, RepeatCycleReplaysALoneTrack) {
    gMusic.QueueTrack(Track("a.wav", 200).c_str(), 3, 0, 1);
    gMusic.PlayMusic(1, 7, 1); // an unknown repeat flag cycles
    EXPECT_EQ(gMusic.repeat[0], 1u);
    EXPECT_EQ(Started(1000).size(), 4u) << "200 ms track, a frame to finish and one to pass the empty slot";
}

TEST_F(MusicTest, StopModeFadesOutAndStaysSilent) {
    gMusic.QueueTrack(Track("a.wav", 3000).c_str(), 3, 0, 1);
    gMusic.PlayMusic(1, 1, 1);
    Frame();
    gMusic.PlayMusic(kMusicStop, 1, 15);
    for (int f = 0; f < 14; ++f) Frame();
    EXPECT_FALSE(gStreamPlayer.IsStreamDone(3));
    Frame();
    Frame();
    EXPECT_EQ(gMusic.currentMode, 0u);
    EXPECT_EQ(Started(4000).size(), 0u);
}

TEST_F(MusicTest, AThirdStreamIsRefused) {
    std::string a = Track("a.wav", 2000), b = Track("b.wav", 2000), c = Track("c.wav", 2000);
    EXPECT_EQ(gStreamPlayer.OpenStream(a.c_str(), 1, 127, 1), 1u);
    EXPECT_EQ(gStreamPlayer.OpenStream(a.c_str(), 1, 127, 1), 0u) << "an id plays once";
    EXPECT_EQ(gStreamPlayer.OpenStream(b.c_str(), 2, 127, 1), 2u);
    EXPECT_EQ(gStreamPlayer.OpenStream(c.c_str(), 3, 127, 1), 0u);
    EXPECT_EQ(gStreamPlayer.OpenStream(c.c_str(), 0, 127, 1), 0u);
    EXPECT_EQ(gStreamPlayer.BusyCount(), 2);
    EXPECT_EQ(gStreamPlayer.GetFirstStreamId(), 2u) << "the newest first";
}

TEST_F(MusicTest, VolumesAreClamped) {
    std::string a = Track("a.wav", 2000);
    gStreamPlayer.OpenStream(a.c_str(), 1, -5, 1);
    EXPECT_EQ(PlatStreamVolume(gStreamPlayer.StreamOf(1)), 0);
    gMusic.SetMusicVolume(200);
    EXPECT_EQ(gMusic.masterVolume, 200);
    EXPECT_EQ(PlatStreamVolume(gStreamPlayer.StreamOf(1)), 127);
    EXPECT_EQ(gStreamPlayer.StreamVolume16(1), 127 * 16);
    EXPECT_EQ(gStreamPlayer.SetStreamVolume(1, 60), 60);
    EXPECT_EQ(gStreamPlayer.SetStreamVolume(9, 60), -1);
}

TEST_F(MusicTest, FadeOverNoFramesSilencesAtTheNextUpdate) {
    std::string a = Track("a.wav", 2000);
    gStreamPlayer.OpenStream(a.c_str(), 1, 127, 1);
    EXPECT_EQ(gStreamPlayer.FadeOutStream(1, 0), 1u);
    EXPECT_EQ(gStreamPlayer.FadeOutStream(2, 5), 0u);
    gStreamPlayer.UpdateStreams();
    EXPECT_TRUE(gStreamPlayer.IsStreamDone(1));
}

TEST_F(MusicTest, BrokenStreamIsClosedAndTheMusicGoesOn) {
    gMusic.QueueTrack(Track("a.wav", 3000).c_str(), 1, 0, 1);
    gMusic.QueueTrack(Track("b.wav", 3000).c_str(), 2, 1, 1);
    gMusic.PlayMusic(1, 1, 1);
    Frame();
    ASSERT_EQ(gStreamPlayer.GetFirstStreamId(), 1u);
    HeadlessAudioBreakStream(gStreamPlayer.StreamOf(1));
    Frame();
    EXPECT_TRUE(gStreamPlayer.IsStreamDone(1));
    Frame();
    EXPECT_EQ(gStreamPlayer.GetFirstStreamId(), 2u);
}

TEST_F(MusicTest, MissingFileIsPassedOver) {
    gMusic.QueueTrack(Path("none.mp3").c_str(), 1, 0, 1);
    gMusic.QueueTrack(Track("b.wav", 3000).c_str(), 2, 1, 1);
    gMusic.PlayMusic(1, 1, 1);
    Frame();
    EXPECT_EQ(gStreamPlayer.BusyCount(), 0);
    EXPECT_TRUE(gMusic.IsMusicTrackDone());
    EXPECT_NE(std::string(gStreamPlayer.LastError()), "");
    Frame();
    EXPECT_EQ(gStreamPlayer.GetFirstStreamId(), 2u);
}

TEST_F(MusicTest, GarbageAndTruncatedFilesDoNotHoldTheMusicUp) {
    std::vector<uint8_t> garbage(4000);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 131 + 7);
    Put("garbage.mp3", garbage);
    std::vector<uint8_t> wave = BuildWaveFile(ToneSamples(440, 3000, 22050, 2, 9000), 22050, 2);
    wave.resize(44 + 22050 * 4 / 5); // 200 ms of the 3 s the head promises
    Put("cut.wav", wave);
    gMusic.QueueTrack(Path("garbage.mp3").c_str(), 1, 0, 1);
    gMusic.QueueTrack(Path("cut.wav").c_str(), 2, 1, 1);
    gMusic.PlayMusic(1, 2, 1);
    EXPECT_EQ(Started(1000), (std::vector<uint32_t>{2}));
    EXPECT_TRUE(gMusic.IsMusicTrackDone());
}

TEST_F(MusicTest, TrackWithABrokenRateIsPassedOver) {
    std::vector<uint8_t> slow = BuildWaveFile(ToneSamples(440, 500, 22050, 2, 9000), 22050, 2);
    ByteWriter w(slow);
    w.putU32At(24, 10);     // samples a second
    w.putU32At(28, 10 * 4); // bytes a second
    Put("slow.wav", slow);
    gMusic.QueueTrack(Path("slow.wav").c_str(), 1, 0, 1);
    gMusic.QueueTrack(Track("b.wav", 3000).c_str(), 2, 1, 1);
    gMusic.PlayMusic(1, 1, 1);
    Frame();
    EXPECT_EQ(gStreamPlayer.BusyCount(), 0);
    Frame();
    EXPECT_EQ(gStreamPlayer.GetFirstStreamId(), 2u);
}

TEST_F(MusicTest, SequenceTrackEndsAtOnce) {
    gMusic.QueueTrack("music\\battle.xmi", 5, 0, 3);
    gMusic.PlayMusic(3, 2, 1);
    Frame();
    EXPECT_EQ(gMusic.current.kind, kTrackSequence);
    EXPECT_TRUE(gMusic.IsMusicTrackDone());
    EXPECT_EQ(gStreamPlayer.BusyCount(), 0);
}

TEST_F(MusicTest, Mp3TrackPlays) {
    if (!CanWriteMp3()) GTEST_SKIP() << "no mp3 encoder on this machine";
    std::string error;
    ASSERT_TRUE(WriteMp3File(Path("M01.MP3"), ToneSamples(330, 500, 44100, 2, 9000), 44100, 2, &error)) << error;
    gMusic.QueueTrack(Path("M01.MP3").c_str(), 9, 0, 1);
    gMusic.PlayMusic(1, 2, 1);
    Frame();
    ASSERT_EQ(gStreamPlayer.GetFirstStreamId(), 9u);
    Frame();
    EXPECT_GT(HeadlessAudioTakePeak(), 1000);
    for (int f = 0; f < 20; ++f) Frame();
    EXPECT_TRUE(gMusic.IsMusicTrackDone());
}

// A process that ends with music and a sound playing, without shutting the
// players down, ends cleanly: their destructors leave the platform alone, and
// the mixer is closed at exit before its own storage goes (a stream was once
// closed at exit through the already destroyed mixer).
TEST_F(MusicTest, AProcessEndingWithMusicPlayingEndsCleanly) {
    const std::string track = Track("a.wav", 3000);
    Put("all.snd", BuildSoundPack({{1, BuildWaveFile(ToneSamples(330, 3000, 22050, 2, 9000), 22050, 2),
                                    kSoundKindWholeFile}}));
    EXPECT_EXIT(
        {
            if (gStreamPlayer.OpenStream(track.c_str(), 5, 100, 0) != 5) std::_Exit(3);
            if (!gSoundBank.OpenSound(Folder().c_str())) std::_Exit(4);
            gSoundBank.PlayBankSound(nullptr, 1, 100, 64, 0, 0);
            Frame();
            if (gStreamPlayer.BusyCount() != 1) std::_Exit(5);
            HeadlessAdvanceClock(100);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(MusicTest, NothingPlaysWithoutADevice) {
    PlatAudioClose();
    gStreamPlayer.ShutdownStreamPlayer();
    gStreamPlayer.InitStreamPlayer(0);
    gMusic.QueueTrack(Track("a.wav", 300).c_str(), 1, 0, 1);
    gMusic.PlayMusic(1, 1, 1);
    for (int f = 0; f < 5; ++f) Frame();
    EXPECT_EQ(gStreamPlayer.BusyCount(), 0);
    EXPECT_TRUE(gMusic.IsMusicTrackDone());
}

} // namespace
