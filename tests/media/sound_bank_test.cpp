#include "media/sound_bank.h"

#include <gtest/gtest.h>

#include <climits>

#include "base/bytes.h"
#include "base/settings.h"
#include "draw/pack_file.h"
#include "media/music.h"
#include "media_fixture.h"
#include "platform/plat_audio.h"
#include "tools/media_writer.h"
#include "tools/snd_writer.h"

namespace {

// A 200 ms tone as a wave file.
std::vector<uint8_t> ToneWave(int hz = 440, int ms = 200) {
    return BuildWaveFile(ToneSamples(hz, ms, 22050, 2, 12000), 22050, 2);
}

struct ListenerAt {
    static inline int x = 0;
    static inline int y = 0;
    static bool Where(int* px, int* py) {
        *px = x;
        *py = y;
        return true;
    }
};

class SoundBankTest : public MediaTest {
protected:
    // A pack whose ids 1..20 hold 200 ms tones (odd ids headerless, even ids
    // whole wave files) and id 3000 a whole file; the bank opened on it.
    void OpenBank(std::vector<SoundEntrySpec> extra = {}) {
        std::vector<SoundEntrySpec> entries;
        for (int id = 1; id <= 20; ++id) {
            std::vector<uint8_t> wave = ToneWave(200 + id * 20);
            if (id % 2) {
                entries.push_back({id, HeaderlessWave(wave), kSoundKindHeaderless});
            } else {
                entries.push_back({id, wave, kSoundKindWholeFile});
            }
        }
        entries.push_back({3000, ToneWave(), kSoundKindWholeFile});
        for (auto& e : extra) entries.push_back(e);
        Put("all.snd", BuildSoundPack(entries));
        ASSERT_TRUE(gSoundBank.OpenSound(Folder().c_str())) << gSoundBank.LastError();
    }
};

TEST_F(SoundBankTest, HeaderlessSoundBecomesTheWaveItCameFrom) {
    std::vector<uint8_t> wave = ToneWave(330, 50);
    std::vector<uint8_t> record = HeaderlessWave(wave);
    ASSERT_FALSE(record.empty());
    OpenBank({{40, record, kSoundKindHeaderless}});

    std::vector<uint8_t> image = gSoundBank.LoadSound(40);
    const uint32_t s = uint32_t(record.size());
    ASSERT_EQ(image.size(), s + 24);
    ByteReader r(image);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r.view(4)), 4), "RIFF");
    EXPECT_EQ(r.u32(), s + 16) << "RIFF length: the bytes after its field";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r.view(8)), 8), "WAVEfmt ");
    EXPECT_EQ(r.u32(), 16u);
    EXPECT_TRUE(std::equal(record.begin(), record.begin() + 16, image.begin() + 20));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.data() + 36), 4), "data");
    r.seek(40);
    EXPECT_EQ(r.u32(), s - 20) << "data length: the samples that follow";
    EXPECT_EQ(image, wave);
}

TEST_F(SoundBankTest, HeaderlessRecordTooShortForItsHeadPlaysNothing) {
    const std::vector<uint8_t> sizes[] = {std::vector<uint8_t>(1, 0), std::vector<uint8_t>(12, 0),
                                          std::vector<uint8_t>(19, 0), std::vector<uint8_t>(23, 0)};
    std::vector<SoundEntrySpec> extra;
    int id = 50;
    for (const auto& bytes : sizes) extra.push_back({id++, bytes, kSoundKindHeaderless});
    OpenBank(extra);
    for (int i = 50; i < id; ++i) {
        if (i < 53) {
            EXPECT_TRUE(gSoundBank.LoadSound(i).empty()) << i;
        }
        PlaySfx(i, 6);
    }
    EXPECT_EQ(gSoundBank.BusyCount(), 0);
}

TEST_F(SoundBankTest, IdsOutsideTheIndexPlayNothing) {
    OpenBank();
    for (int id : {0, -1, -3000, 3001, 100000}) {
        PlaySfx(id, 6);
        EXPECT_TRUE(gSoundBank.LoadSound(id).empty()) << id;
        EXPECT_EQ(gSoundBank.Entry(id), nullptr) << id;
    }
    EXPECT_EQ(gSoundBank.BusyCount(), 0);
    PlaySfx(3000, 6);
    EXPECT_EQ(gSoundBank.BusyCount(), 1);
}

TEST_F(SoundBankTest, MissingPackIsNotCreated) {
    EXPECT_FALSE(gSoundBank.OpenSound(Folder().c_str()));
    EXPECT_STREQ(gSoundBank.LastError(), "SFX file connot open.");
    EXPECT_FALSE(Exists("all.snd"));
    PlaySfx(1, 6);
    StopAllSfx();
    gSoundBank.UpdateSounds();
    EXPECT_EQ(gSoundBank.BusyCount(), 0);
}

TEST_F(SoundBankTest, MissingPackSilencesOnlyTheEffects) {
    EXPECT_FALSE(gSoundBank.OpenSound(Folder().c_str()));
    EXPECT_FALSE(gSoundBank.OpenSound(Folder().c_str())) << "asking again changes nothing";
    // The output is open all the same: music and the video's sound use it.
    ASSERT_NE(gSoundBank.GetDriver(), 0u);
    gStreamPlayer.InitStreamPlayer(gSoundBank.GetDriver());
    Put("track.wav", ToneWave());
    EXPECT_EQ(gStreamPlayer.OpenStream((Folder() + "track.wav").c_str(), 1, 127, 1), 1u);
    PlaySfx(1, 6);
    EXPECT_EQ(gSoundBank.BusyCount(), 0);
    gStreamPlayer.ShutdownStreamPlayer();
    gSoundBank.CloseSound();
    EXPECT_EQ(gSoundBank.GetDriver(), 0u);
}

TEST_F(SoundBankTest, NoAudioDeviceLeavesTheGameSilent) {
    HeadlessAudioSetDevice(false, 24);
    Put("all.snd", BuildSoundPack({{1, ToneWave(), kSoundKindWholeFile}}));
    EXPECT_FALSE(gSoundBank.OpenSound(Folder().c_str()));
    EXPECT_EQ(gSoundBank.GetDriver(), 0u);
    PlaySfx(1, 6);
    EXPECT_EQ(gSoundBank.SetSoundPan(1, 10), 0);
    EXPECT_EQ(gSoundBank.BusyCount(), 0);
}

TEST_F(SoundBankTest, SeventeenthEffectIsDropped) {
    OpenBank();
    ASSERT_EQ(gSoundBank.SampleCount(), 16);
    for (int id = 1; id <= 16; ++id) PlaySfx(id, 6);
    EXPECT_EQ(gSoundBank.BusyCount(), 16);
    uint32_t reads = gPackReadCount;
    PlaySfx(17, 6);
    EXPECT_EQ(gPackReadCount, reads) << "a full pool reads nothing for the dropped sound";
    EXPECT_EQ(gSoundBank.BusyCount(), 16);
    EXPECT_EQ(gSoundBank.VoiceOf(17), -1);
    EXPECT_EQ(gSoundBank.Entry(17)->useCount, 0u);
}

TEST_F(SoundBankTest, FewerMixerVoicesGiveASmallerPool) {
    HeadlessAudioSetDevice(true, 12);
    OpenBank();
    EXPECT_EQ(gSoundBank.SampleCount(), 4);
}

TEST_F(SoundBankTest, PositionalPlayRefusedByAFullPoolLeavesOtherVoicesAlone) {
    OpenBank();
    gSfxVolume = 11;
    ListenerAt::x = 1000;
    ListenerAt::y = 1000;
    gSfxListener = &ListenerAt::Where;
    for (int i = 0; i < 16; ++i) gSoundBank.PlayBankSound(nullptr, 2, 100, 0, 1, 0);
    int oldest = gSoundBank.VoiceOf(2);
    PlaySfxAt(2, 1400, 1000);
    EXPECT_EQ(gSoundBank.BusyCount(), 16);
    EXPECT_EQ(PlatVoiceVolume(oldest), 100);
    EXPECT_EQ(PlatVoicePan(oldest), 63);
}

TEST_F(SoundBankTest, StopSfxStopsTheNewestInstance) {
    OpenBank();
    gSoundBank.PlayBankSound(nullptr, 4, 10, 0, 1, 0);
    gSoundBank.PlayBankSound(nullptr, 4, 90, 0, 1, 0);
    ASSERT_EQ(gSoundBank.Entry(4)->useCount, 2u);
    StopSfx(4);
    EXPECT_EQ(gSoundBank.BusyCount(), 1);
    EXPECT_EQ(PlatVoiceVolume(gSoundBank.VoiceOf(4)), 10);
    EXPECT_EQ(gSoundBank.Entry(4)->useCount, 1u);
}

TEST_F(SoundBankTest, LevelsScaleToTheVolumeRange) {
    OpenBank();
    const struct {
        int level;
        int volume;
    } cases[] = {{0, 0}, {1, 11}, {6, 69}, {11, 127}};
    int id = 2;
    for (const auto& c : cases) {
        PlaySfx(id, c.level);
        EXPECT_EQ(PlatVoiceVolume(gSoundBank.VoiceOf(id)), c.volume) << c.level;
        EXPECT_EQ(PlatVoicePan(gSoundBank.VoiceOf(id)), 63);
        id += 2;
    }
    EXPECT_EQ(gSoundBank.BusyCount(), 4) << "a silent effect still holds its voice";
}

TEST_F(SoundBankTest, PositionalVolumeAndPanByDistance) {
    const struct {
        int dx, dy, level;
        bool heard;
        int volume, pan;
    } cases[] = {
        {0, 0, 11, true, 128, 0},     {-511, 0, 11, true, 1, 63},  {511, 0, 11, true, 1, -63},
        {0, 511, 11, true, 1, 0},     {512, 0, 11, false, 0, 0},   {0, -512, 11, false, 0, 0},
        {300, 400, 11, true, 3, -37},  {-256, 0, 6, true, 34, 32},  {360, 360, 11, true, 1, -45},
    };
    for (const auto& c : cases) {
        int volume = 0, pan = 0;
        EXPECT_EQ(PositionalMix(c.dx, c.dy, c.level, &volume, &pan), c.heard) << c.dx << "," << c.dy;
        if (!c.heard) continue;
        EXPECT_EQ(volume, c.volume) << c.dx << "," << c.dy;
        EXPECT_EQ(pan, c.pan) << c.dx << "," << c.dy;
    }
}

TEST_F(SoundBankTest, PlaySfxAtHearsFromTheListener) {
    OpenBank();
    gSfxVolume = 11;
    ListenerAt::x = 1000;
    ListenerAt::y = 500;
    gSfxListener = &ListenerAt::Where;
    PlaySfxAt(2, 1000, 500);
    EXPECT_EQ(PlatVoiceVolume(gSoundBank.VoiceOf(2)), 127);
    EXPECT_EQ(PlatVoicePan(gSoundBank.VoiceOf(2)), 63);
    PlaySfxAt(4, 1511, 500);
    EXPECT_EQ(PlatVoiceVolume(gSoundBank.VoiceOf(4)), 1);
    EXPECT_EQ(PlatVoicePan(gSoundBank.VoiceOf(4)), 126);
    PlaySfxAt(6, 1512, 500);
    EXPECT_EQ(gSoundBank.VoiceOf(6), -1);
    gSfxListener = nullptr;
    PlaySfxAt(8, 1000, 500);
    EXPECT_EQ(gSoundBank.VoiceOf(8), -1);
}

TEST_F(SoundBankTest, ClampsTable) {
    const int pans[][2] = {{-100, 0}, {-63, 0}, {0, 63}, {64, 127}, {100, 127}};
    for (const auto& p : pans) EXPECT_EQ(ClampPan(p[0]), p[1]) << p[0];
    const int volumes[][2] = {{-5, 0}, {0, 0}, {127, 127}, {128, 127}, {1000, 127}};
    for (const auto& v : volumes) EXPECT_EQ(ClampVolume(v[0]), v[1]) << v[0];
}

TEST_F(SoundBankTest, FinishedSoundsGoBackToThePool) {
    OpenBank();
    gSoundBank.PlayBankSound(nullptr, 2, 100, 0, 1, 0);
    gSoundBank.PlayBankSound(nullptr, 2, 100, 0, 1, 0);
    gSoundBank.PlayBankSound(nullptr, 4, 100, 0, 0, 0); // endless
    HeadlessAdvanceClock(150);
    EXPECT_GT(HeadlessAudioTakePeak(), 1000);
    gSoundBank.UpdateSounds();
    EXPECT_EQ(gSoundBank.BusyCount(), 3);
    HeadlessAdvanceClock(100);
    gSoundBank.UpdateSounds();
    EXPECT_EQ(gSoundBank.BusyCount(), 1);
    EXPECT_EQ(gSoundBank.Entry(2)->useCount, 0u) << "both overlapping plays released";
    HeadlessAdvanceClock(5000);
    gSoundBank.UpdateSounds();
    EXPECT_EQ(gSoundBank.BusyCount(), 1) << "an endless sound plays on";
    StopAllSfx();
    EXPECT_EQ(gSoundBank.BusyCount(), 0);
    EXPECT_EQ(gSoundBank.Entry(4)->useCount, 0u);
}

TEST_F(SoundBankTest, LoopCountPlaysThatManyTimes) {
    OpenBank();
    gSoundBank.PlayBankSound(nullptr, 2, 100, 0, 3, 0);
    HeadlessAdvanceClock(590);
    gSoundBank.UpdateSounds();
    EXPECT_EQ(gSoundBank.BusyCount(), 1);
    HeadlessAdvanceClock(20);
    gSoundBank.UpdateSounds();
    EXPECT_EQ(gSoundBank.BusyCount(), 0);
}

TEST_F(SoundBankTest, Mp3SoundPlays) {
    if (!CanWriteMp3()) GTEST_SKIP() << "no mp3 encoder on this machine";
    std::string error;
    ASSERT_TRUE(WriteMp3File(Path("tone.mp3"), ToneSamples(440, 300, 44100, 2, 12000), 44100, 2, &error)) << error;
    std::ifstream in(Path("tone.mp3"), std::ios::binary);
    std::vector<uint8_t> mp3((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    OpenBank({{60, mp3, kSoundKindWholeFile}});
    PlaySfx(60, 11);
    ASSERT_NE(gSoundBank.VoiceOf(60), -1);
    EXPECT_EQ(PlatVoiceStatus(gSoundBank.VoiceOf(60)), kPlatAudioPlaying);
    HeadlessAdvanceClock(100);
    EXPECT_GT(HeadlessAudioTakePeak(), 1000);
    HeadlessAdvanceClock(400);
    gSoundBank.UpdateSounds();
    EXPECT_EQ(gSoundBank.BusyCount(), 0);
}

TEST_F(SoundBankTest, BrokenSoundDataPlaysNothing) {
    OpenBank({{70, std::vector<uint8_t>(300, 0x5A), kSoundKindWholeFile},
              {71, ToneWave(), 2u},
              {72, {'R', 'I', 'F', 'F', 1, 2}, kSoundKindWholeFile}});
    EXPECT_EQ(gSoundBank.LoadSound(72).size(), 6u) << "a short whole file is taken as it is";
    for (int id : {70, 71, 72}) PlaySfx(id, 6);
    EXPECT_EQ(gSoundBank.BusyCount(), 0);
    EXPECT_EQ(gSoundBank.SampleCount(), 16) << "a refused sound gives its voice back";
}

TEST_F(SoundBankTest, RecordRunningPastThePackIsNotRead) {
    std::vector<uint8_t> pack = BuildSoundPack({{1, ToneWave(), kSoundKindWholeFile}});
    const uint32_t end = uint32_t(pack.size());
    const struct {
        uint32_t size, offset;
    } cases[] = {{0x3FFFFFF, 28 + 44 * 3000}, {100, end}, {2, end - 1}, {0x3FFFFFF, 0xFFFFFFF0u}};
    ByteWriter w(pack);
    int id = 10;
    for (const auto& c : cases) {
        const size_t record = 28 + 44 * size_t(id - 1);
        w.putU32At(record + 20, c.size);
        w.putU32At(record + 24, c.offset);
        w.putU32At(record + 32, kSoundKindWholeFile);
        ++id;
    }
    Put("all.snd", pack);
    ASSERT_TRUE(gSoundBank.OpenSound(Folder().c_str()));
    uint32_t reads = gPackReadCount;
    for (int i = 10; i < id; ++i) {
        EXPECT_TRUE(gSoundBank.LoadSound(i).empty()) << i;
        PlaySfx(i, 6);
    }
    EXPECT_EQ(gPackReadCount, reads);
    EXPECT_EQ(gSoundBank.BusyCount(), 0);
    PlaySfx(1, 6);
    EXPECT_EQ(gSoundBank.BusyCount(), 1) << "the last byte of the pack is still in reach";
}

TEST_F(SoundBankTest, BrokenLevelsAndFarPositionsStayInRange) {
    OpenBank();
    const struct {
        int level;
        int volume;
    } levels[] = {{INT_MAX, 127}, {INT_MIN, 0}, {-5, 0}, {12, 127}, {20000000, 127}};
    int id = 2;
    for (const auto& c : levels) {
        PlaySfx(id, c.level);
        EXPECT_EQ(PlatVoiceVolume(gSoundBank.VoiceOf(id)), c.volume) << c.level;
        id += 2;
    }
    StopAllSfx();

    gSfxVolume = 100000000; // a settings file with garbage in the level
    ListenerAt::x = 1000;
    ListenerAt::y = 1000;
    gSfxListener = &ListenerAt::Where;
    PlaySfxAt(2, 1100, 1000);
    EXPECT_EQ(PlatVoiceVolume(gSoundBank.VoiceOf(2)), 127);
    for (int far : {INT_MIN, INT_MAX}) {
        PlaySfxAt(4, far, 1000);
        PlaySfxAt(4, 1000, far);
    }
    EXPECT_EQ(gSoundBank.VoiceOf(4), -1);
}

TEST_F(SoundBankTest, NegativeLoopCountPlaysOnce) {
    OpenBank();
    gSoundBank.PlayBankSound(nullptr, 2, 100, 0, -1, 0);
    HeadlessAdvanceClock(250);
    gSoundBank.UpdateSounds();
    EXPECT_EQ(gSoundBank.BusyCount(), 0);
}

TEST_F(SoundBankTest, SoundWithABrokenRateIsRefused) {
    std::vector<uint8_t> slow = HeaderlessWave(ToneWave());
    ByteWriter w(slow);
    w.putU32At(4, 10);      // samples a second
    w.putU32At(8, 10 * 4);  // bytes a second
    OpenBank({{80, slow, kSoundKindHeaderless}});
    PlaySfx(80, 6);
    EXPECT_EQ(gSoundBank.BusyCount(), 0);
    EXPECT_EQ(gSoundBank.SampleCount(), 16) << "the refused sound gives its voice back";
    PlaySfx(2, 6);
    EXPECT_EQ(gSoundBank.BusyCount(), 1);
}

TEST_F(SoundBankTest, DamagedHeadsNeverBreakPlay) {
    // Every byte of a wave's head set to each of a few bad values, as a
    // whole file and as a kind-0 record: each plays or is refused, and the
    // pool stays whole.
    const std::vector<uint8_t> wave = ToneWave(440, 60);
    std::vector<SoundEntrySpec> extra;
    int id = 100;
    for (size_t at = 0; at < 44; ++at) {
        for (uint8_t bad : {uint8_t(0x00), uint8_t(0x7F), uint8_t(0xFF)}) {
            std::vector<uint8_t> broken = wave;
            broken[at] = bad;
            extra.push_back({id++, broken, kSoundKindWholeFile});
            if (at >= 20) {
                std::vector<uint8_t> record = HeaderlessWave(wave);
                record[at - 20] = bad;
                extra.push_back({id++, record, kSoundKindHeaderless});
            }
        }
    }
    OpenBank(extra);
    for (int i = 100; i < id; ++i) {
        PlaySfx(i, 6);
        HeadlessAdvanceClock(35);
        gSoundBank.UpdateSounds();
        if (gSoundBank.BusyCount() == gSoundBank.SampleCount()) StopAllSfx();
    }
    HeadlessAdvanceClock(60000);
    gSoundBank.UpdateSounds();
    EXPECT_EQ(gSoundBank.BusyCount(), 0);
    EXPECT_EQ(gSoundBank.SampleCount(), 16);
}

} // namespace
