// Talk instructions: sound, music, frame sequences and videos.
#include "tests/world/script/talk_media_test_util.h"
#include "tools/map_tables_writer.h"
#include "tools/sequence_writer.h"
#include "world/map/map_archive.h"
#include "world/map/map_load.h"

namespace {

class AvTest : public TalkMediaTest {
protected:
    // maps.dat with track names 1 "one.mp3", 2 "two.mp3" and map-music
    // records for maps 1 and 2.
    void WriteMusicImage() {
        MapsTables t;
        const std::vector<std::string> names = {"zero.mp3", "one.mp3", "two.mp3"};
        const std::vector<std::vector<uint16_t>> records = {{1, 1, 2, 1}, {2, 2, 1, 2}};
        t[kTableMusic] = MusicTable(0, names, records);
        t[kTableMusic] = MusicTable(MapsTableAt(t, kTableMusic), names, records);
        ASSERT_TRUE(WriteBytesToFile((install / "maps.dat").c_str(), BuildMapsFile(t)));
        ASSERT_EQ(ReadMapsImage(), kMapsImageRead);
    }
    void WriteSequence(const std::string& name, uint32_t frames) {
        SequenceData d;
        d.height = 8;
        for (uint32_t i = 0; i < frames; ++i) d.frames.push_back({{SolidSpan16(0, 16, uint16_t(i))}});
        install.MakeFolder("Video");
        ASSERT_TRUE(WriteBytesToFile((install / ("Video/" + name)).c_str(), BuildFrameSequence(d)));
    }
};

TEST_F(AvTest, SoundEffectsYield) {
    EXPECT_EQ(Run("sfx 12"), TalkStep::kYield);
    EXPECT_EQ(Run("sfx2 12 99"), TalkStep::kYield);
}

TEST_F(AvTest, TalkMusicQueuesBothTracksOnTheStoryChannels) {
    WriteMusicImage();
    ASSERT_EQ(Run("musicfade 2 30"), TalkStep::kContinue);
    EXPECT_EQ(gTalkMachine.media.fadeTime, 30u);
    ASSERT_EQ(Run("talkmusic 1 2 6"), TalkStep::kContinue);
    EXPECT_EQ(gMusic.slots[1][0].name, std::string(gInstallPath) + "music\\one.mp3");
    EXPECT_EQ(gMusic.slots[1][1].name, std::string(gInstallPath) + "music\\two.mp3");
    EXPECT_EQ(gMusic.requestedMode, 2u);
    EXPECT_EQ(gMusic.repeat[1], 2u);  // mode & 3
    EXPECT_EQ(gMusicResume[0], 1u);   // mode bit 2
    EXPECT_EQ(gMusicResume[1], 1u);
    EXPECT_EQ(gMusicResume[2], 2u);
    EXPECT_EQ(gTalkMachine.media.fadeTime, 0u);
    ASSERT_EQ(Run("talkmusic 2 9 0"), TalkStep::kContinue);  // track 9 has no name
    EXPECT_EQ(gMusic.repeat[1], 1u);                          // 0 repeats
    EXPECT_EQ(gMusicResume[0], 0u);
    ASSERT_EQ(Run("musicfade 1 30"), TalkStep::kContinue);
    EXPECT_EQ(gTalkMachine.media.fadeTime, 0u);  // kind 1 keeps no time
    gMapMusic = {3, 1, 2};
    ASSERT_EQ(Run("mapmusicback"), TalkStep::kContinue);
    EXPECT_EQ(gMusic.requestedMode, 1u);
    EXPECT_EQ(gMusic.repeat[0], 1u);  // map mode 3: the controller's default cycle
    EXPECT_EQ(gMusicResume[1], 0u);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

TEST_F(AvTest, MapMusicEntryTakesMapTracksAndMode) {
    WriteMusicImage();
    gCurrentMap = 2;
    gMapMusic = {};
    ASSERT_EQ(Run("mapmusic 0xFFF0 7 8 3"), TalkStep::kContinue);
    EXPECT_EQ(gMapMusic.mode, 3u);
    EXPECT_EQ(gMapMusic.trackA, 7u);
    EXPECT_EQ(gMapMusic.trackB, 8u);
    uint32_t at = 0;
    ASSERT_TRUE(FindMapMusicRecord(2, &at));
    const uint16_t expected[4] = {2, 7, 8, 3};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(gMapsImage[at + 2 * i] | gMapsImage[at + 2 * i + 1] << 8, expected[i]);
    // Another map's record changes, the music of the map shown does not.
    ASSERT_EQ(Run("mapmusic 1 5 6 1"), TalkStep::kContinue);
    EXPECT_EQ(gMapMusic.trackA, 7u);
    ASSERT_TRUE(FindMapMusicRecord(1, &at));
    EXPECT_EQ(gMapsImage[at + 2], 5);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
    ASSERT_EQ(Run("mapmusic 9 5 6 1"), TalkStep::kContinue);
    EXPECT_EQ(HeadlessMessageBoxes().size(), 1u);
}

TEST_F(AvTest, MusicWaitPassesForSilenceAndForALoopingQueue) {
    EXPECT_EQ(Run("waitmusic"), TalkStep::kYield);
    gMusic.PlayMusic(2, 1, 0);  // looping: it never ends
    gMusic.current.kind = kTrackStream;
    gMusic.current.id = 77;
    EXPECT_EQ(Run("waitmusic"), TalkStep::kYield);
}

TEST_F(AvTest, ASequenceStartsOnlyWhenItsFileIsGood) {
    gFrameInterval = 35;
    EXPECT_EQ(Run("sequence \"missing.seq\""), TalkStep::kYield);
    EXPECT_EQ(HeadlessMessageBoxes().size(), 1u);
    EXPECT_FALSE(gFrameSequence.running);
    EXPECT_EQ(gFrameInterval, 35u);  // the pace stays
    EXPECT_EQ(gGameMode & (kModeFrameSequence | kModeQuit), 0u);
    // A failed start is passed at once by both waits.
    EXPECT_EQ(Run("waitsequence"), TalkStep::kContinue);
    EXPECT_EQ(Run("waitseqframe 5"), TalkStep::kContinue);

    WriteSequence("a.seq", 4);
    EXPECT_EQ(Run("sequence \"a.seq\""), TalkStep::kYield);
    EXPECT_TRUE(gFrameSequence.running);
    EXPECT_EQ(gFrameInterval, 70u);
    EXPECT_NE(gGameMode & kModeFrameSequence, 0u);
    EXPECT_EQ(gGameMode & kModeQuit, 0u);  // never the quit bit
    EXPECT_LT(gFrameSequence.step, 0);      // the letterbox closes first
    EXPECT_EQ(gFrameSequence.mode & kSequenceFade, 0u);
    EXPECT_EQ(HeadlessMessageBoxes().size(), 1u);
}

TEST_F(AvTest, SequenceOptions) {
    WriteSequence("b.seq", 4);
    EXPECT_EQ(Run("sequence \"%*b.seq\""), TalkStep::kYield);
    ASSERT_TRUE(gFrameSequence.running);
    EXPECT_EQ(gFrameSequence.step, 0);  // '%': no closing letterbox
    EXPECT_NE(gFrameSequence.mode & kSequenceFade, 0u);
    StopFrameSequence();
    EXPECT_EQ(Run("sequence \"*b.seq\""), TalkStep::kYield);
    EXPECT_LT(gFrameSequence.step, 0);
    EXPECT_NE(gFrameSequence.mode & kSequenceFade, 0u);
    EXPECT_EQ(Run("seqflagon"), TalkStep::kContinue);
    EXPECT_NE(gFrameSequence.mode & kSequenceHold, 0u);
    EXPECT_EQ(Run("seqflagoff"), TalkStep::kYield);
    EXPECT_EQ(gFrameSequence.mode & kSequenceHold, 0u);
    EXPECT_EQ(Run("seqframe 3"), TalkStep::kYield);
    EXPECT_EQ(gFrameSequence.frame, 3u);
    EXPECT_EQ(Run("waitseqframe 2"), TalkStep::kContinue);
    EXPECT_EQ(Run("waitseqframe 3"), TalkStep::kWait);
}

TEST_F(AvTest, AfterKeepClosedTheArchiveStaysClosedAndTheSwitchClears) {
    EXPECT_EQ(Run("keeplmfclosed"), TalkStep::kContinue);
    EXPECT_TRUE(gTalkMachine.media.keepLmfClosed);
    gFrameInterval = 70;
    EXPECT_EQ(Run("waitsequence"), TalkStep::kContinue);
    EXPECT_FALSE(gLmfFile.IsOpen());
    EXPECT_FALSE(gTalkMachine.media.keepLmfClosed);
    EXPECT_EQ(gFrameInterval, kFrameMs);
}

TEST_F(AvTest, AHeldSequenceEndsTheWaitAndStops) {
    WriteSequence("c.seq", 4);
    ASSERT_EQ(Run("sequence \"c.seq\""), TalkStep::kYield);
    ASSERT_EQ(Run("seqflagon"), TalkStep::kContinue);
    ASSERT_TRUE(Load("waitsequence"));
    TalkStep last = TalkStep::kWait;
    EXPECT_LE(RunUntilDone(0, 5000, &last), int(kTalkStallFrames) + 1);
    EXPECT_EQ(last, TalkStep::kContinue);
    EXPECT_FALSE(gFrameSequence.running);
    EXPECT_EQ(gGameMode & kModeFrameSequence, 0u);
    EXPECT_EQ(gFrameInterval, kFrameMs);
}

TEST_F(AvTest, ASequenceFrameWaitThatSeesNoProgressEnds) {
    WriteSequence("d.seq", 40);
    ASSERT_EQ(Run("sequence \"d.seq\""), TalkStep::kYield);
    ASSERT_TRUE(Load("waitseqframe 30"));
    EXPECT_LE(RunUntilDone(0, 5000), int(kTalkStallFrames) + 1);
}

TEST_F(AvTest, VideoWaitsEndWhenTheVideoIsOver) {
    // The frame does not run while a video plays: the talk meets the cue
    // after the video's end, with the frame number at -1.
    install.MakeFolder("Video");
    ASSERT_TRUE(Load("video \"none.avi\"\nwaitvideoframe 40 1 2\nwaitvideo"));
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kYield);
    StopVideo();
    EXPECT_EQ(GetVideoFrame(), -1);
    const uint32_t cue = TalkInstrLength(gTalkMachine.window, kTalkWindowBytes, 0);
    EXPECT_EQ(RunTalkInstrAt(cue), TalkStep::kContinue);
    EXPECT_EQ(RunTalkInstrAt(cue + 8), TalkStep::kContinue);
    EXPECT_EQ(Run("waitvideoframe 0 0 0"), TalkStep::kContinue);
}

TEST_F(AvTest, TheWithdrawnVideoInstructionFailsWithOneBox) {
    EXPECT_EQ(Run("oldvideo"), TalkStep::kFail);
    EXPECT_EQ(HeadlessMessageBoxes().size(), 1u);
}

} // namespace
