// The mixer behind the audio device: levels by volume and pan, passes by
// loop count, and the statuses the game polls. Frames are pulled straight
// from the mixer, as the output device would.
#include <gtest/gtest.h>


#include "media_fixture.h"
#include "platform/plat_audio.h"
#include "platform/posix/decode_mixer.h"
#include "tools/snd_writer.h"

namespace {

constexpr int kRate = 44100;
constexpr int16_t kLevel = 10000;

// A wave at the mixer's own rate whose every sample is kLevel, so what comes
// out is the gain alone.
std::vector<uint8_t> FlatWave(int frames) {
    return BuildWaveFile(std::vector<int16_t>(size_t(frames) * 2, kLevel), kRate, 2);
}

class MixerTest : public MediaTest {
protected:
    void SetUp() override {
        MediaTest::SetUp();
        ASSERT_TRUE(PlatAudioOpen(kRate, 16, 2));
        ASSERT_EQ(MixerRate(), kRate);
    }

    PlatVoice LoadedVoice(int frames) {
        PlatVoice v = PlatVoiceAllocate();
        EXPECT_NE(v, kPlatNoVoice);
        std::vector<uint8_t> wave = FlatWave(frames);
        EXPECT_TRUE(PlatVoiceLoad(v, wave.data(), wave.size(), nullptr)) << PlatAudioLastError();
        return v;
    }

    // Pulls frames and counts those that carry sound on either side.
    static int SoundingFrames(int frames) {
        int sounding = 0;
        std::vector<int16_t> out(512 * 2);
        while (frames > 0) {
            int n = std::min(frames, 512);
            MixerRender(out.data(), n);
            for (int i = 0; i < n; ++i) sounding += (out[size_t(i) * 2] != 0 || out[size_t(i) * 2 + 1] != 0);
            frames -= n;
        }
        return sounding;
    }
};

TEST_F(MixerTest, VolumeAndPanSetTheLevelOfEachSide) {
    const struct {
        int volume, pan;
        int left, right;
    } cases[] = {
        {127, 0, 10000, 0},      // hard left
        {127, 127, 0, 10000},    // hard right
        {127, 63, 10000, 9920},  // the game's centre
        {127, 64, 9920, 10000},  // the device's centre
        {127, 32, 10000, 5039},  // half way to the left
        {64, 0, 5039, 0},        // half volume
        {0, 63, 0, 0},           // silent, still playing
        {500, -20, 10000, 0},    // out of range values are clamped
    };
    PlatVoice v = LoadedVoice(4096);
    for (const auto& c : cases) {
        PlatVoiceSetVolume(v, c.volume);
        PlatVoiceSetPan(v, c.pan);
        PlatVoiceStart(v);
        int16_t out[8 * 2];
        MixerRender(out, 8);
        EXPECT_EQ(out[14], c.left) << c.volume << "/" << c.pan;
        EXPECT_EQ(out[15], c.right) << c.volume << "/" << c.pan;
        EXPECT_EQ(PlatVoiceStatus(v), kPlatAudioPlaying);
    }
}

TEST_F(MixerTest, LoopCountGivesThePasses) {
    const struct {
        int loops;
        int sounding; // of 2000 frames pulled
        int status;
    } cases[] = {
        {1, 300, kPlatAudioDone}, {3, 900, kPlatAudioDone},      {0, 2000, kPlatAudioPlaying},
        {6, 1800, kPlatAudioDone}, {-4, 300, kPlatAudioDone},
    };
    for (const auto& c : cases) {
        PlatVoice v = LoadedVoice(300);
        PlatVoiceSetLoopCount(v, c.loops);
        PlatVoiceStart(v);
        EXPECT_EQ(SoundingFrames(2000), c.sounding) << c.loops;
        EXPECT_EQ(PlatVoiceStatus(v), c.status) << c.loops;
        PlatVoiceRelease(v);
    }
}

TEST_F(MixerTest, VoiceStatusesAsTheGamePollsThem) {
    PlatVoice v = PlatVoiceAllocate();
    EXPECT_EQ(PlatVoiceStatus(v), kPlatAudioFree);
    PlatVoiceStart(v);
    EXPECT_EQ(PlatVoiceStatus(v), kPlatAudioFree) << "nothing loaded, nothing starts";
    std::vector<uint8_t> wave = FlatWave(100);
    ASSERT_TRUE(PlatVoiceLoad(v, wave.data(), wave.size(), nullptr));
    EXPECT_EQ(PlatVoiceStatus(v), kPlatAudioStopped);
    PlatVoiceStart(v);
    EXPECT_EQ(PlatVoiceStatus(v), kPlatAudioPlaying);
    SoundingFrames(99);
    EXPECT_EQ(PlatVoiceStatus(v), kPlatAudioPlaying);
    SoundingFrames(2);
    EXPECT_EQ(PlatVoiceStatus(v), kPlatAudioDone);
    PlatVoiceStart(v);
    EXPECT_EQ(PlatVoiceStatus(v), kPlatAudioPlaying) << "a done voice starts again from its beginning";
    PlatVoiceEnd(v);
    EXPECT_EQ(PlatVoiceStatus(v), kPlatAudioDone);
    EXPECT_EQ(SoundingFrames(100), 0);
    PlatVoiceInit(v);
    EXPECT_EQ(PlatVoiceStatus(v), kPlatAudioFree);
    PlatVoiceRelease(v);
    EXPECT_EQ(PlatVoiceStatus(v), kPlatAudioFree);
    EXPECT_EQ(PlatVoiceStatus(kPlatNoVoice), kPlatAudioFree);
    EXPECT_EQ(PlatVoiceStatus(100000), kPlatAudioFree);
}

TEST_F(MixerTest, StreamPlaysItsPassesAtItsVolume) {
    Put("flat.wav", FlatWave(1000));
    const struct {
        int loops, volume;
        int sounding; // of 5000 frames pulled
        int status;
        int16_t level;
    } cases[] = {
        {1, 127, 1000, kPlatAudioDone, kLevel},
        {2, 64, 2000, kPlatAudioDone, 5039},
        {0, 127, 5000, kPlatAudioPlaying, kLevel},
    };
    for (const auto& c : cases) {
        PlatStream s = PlatStreamOpen(Path("flat.wav").c_str());
        ASSERT_NE(s, kPlatNoStream) << PlatAudioLastError();
        EXPECT_EQ(PlatStreamStatus(s), kPlatAudioStopped);
        PlatStreamSetLoopCount(s, c.loops);
        PlatStreamSetVolume(s, c.volume);
        PlatStreamStart(s);
        int16_t first[2];
        MixerRender(first, 1);
        EXPECT_EQ(first[0], c.level) << c.loops;
        EXPECT_EQ(first[1], c.level) << c.loops;
        EXPECT_EQ(SoundingFrames(4999) + 1, c.sounding) << c.loops;
        EXPECT_EQ(PlatStreamStatus(s), c.status) << c.loops;
        PlatStreamClose(s);
        EXPECT_EQ(PlatStreamStatus(s), kPlatAudioError) << "a closed stream is gone";
    }
}

// A sound's head may claim any rate. Below 1 kHz or above 384 kHz it is
// refused at once, whole or streamed: a head claiming 536,881,937 Hz would
// otherwise keep the converter busy for half a minute and take gigabytes.
TEST_F(MixerTest, RatesTheMixerCannotUseAreRefused) {
    const struct {
        int rate;
        bool plays;
    } cases[] = {{999, false}, {1000, true}, {384000, true}, {384001, false}, {536881937, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        std::vector<uint8_t> wave = BuildWaveFile(std::vector<int16_t>(8192, kLevel), c.rate, 1);
        PlatVoice v = PlatVoiceAllocate();
        ASSERT_NE(v, kPlatNoVoice);
        EXPECT_EQ(PlatVoiceLoad(v, wave.data(), wave.size(), nullptr), c.plays);
        if (!c.plays) {
            EXPECT_STREQ(PlatAudioLastError(), "sound rate out of range");
        }
        PlatVoiceRelease(v);
        Put("rate.wav", wave);
        PlatStream s = PlatStreamOpen(Path("rate.wav").c_str());
        EXPECT_EQ(s != kPlatNoStream, c.plays);
        if (s != kPlatNoStream) PlatStreamClose(s);
    }
}

// A wave whose data holds no samples: the whole-sound load refuses it and a
// stream of it ends at once, with nothing copied from a buffer that was never
// made (the sanitizer build checks the copy).
TEST_F(MixerTest, SoundWithoutSamplesPlaysNothing) {
    std::vector<uint8_t> wave = BuildWaveFile({}, kRate, 2);
    PlatVoice v = PlatVoiceAllocate();
    EXPECT_FALSE(PlatVoiceLoad(v, wave.data(), wave.size(), nullptr));
    Put("empty.wav", wave);
    PlatStream s = PlatStreamOpen(Path("empty.wav").c_str());
    ASSERT_NE(s, kPlatNoStream) << PlatAudioLastError();
    PlatStreamStart(s);
    EXPECT_EQ(SoundingFrames(256), 0);
    EXPECT_EQ(PlatStreamStatus(s), kPlatAudioDone);
    PlatStreamClose(s);
}

TEST_F(MixerTest, NothingWithoutADevice) {
    PlatAudioClose();
    EXPECT_EQ(PlatVoiceAllocate(), kPlatNoVoice);
    EXPECT_EQ(PlatStreamOpen("flat.wav"), kPlatNoStream);
    int16_t out[4 * 2] = {1, 1, 1, 1, 1, 1, 1, 1};
    MixerRender(out, 4);
    for (int16_t s : out) EXPECT_EQ(s, 0);
}

} // namespace
