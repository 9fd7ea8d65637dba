// Talk instructions: sound effects, music, frame sequences and videos.
#include <cstdio>
#include <cstring>
#include <string>

#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/settings.h"
#include "draw/draw_kernel.h"
#include "media/music.h"
#include "media/sound_bank.h"
#include "media/video.h"
#include "world/game_buffers.h"
#include "world/map/frame_sequence.h"
#include "world/map/map.h"
#include "world/map/map_archive.h"
#include "world/map/map_load.h"
#include "world/script/talk_machine.h"
#include "world/script/talk_media.h"
#include "world/story_flags.h"

namespace {

// "TalkOp:Scene_Music", "No map music is defined\n[%d,%d,%d,%d]"
constexpr char kCapSceneMusic[] = "TalkOp:Scene_Music";
constexpr char kTextNoMapMusic[] = "\xA7\xE4\xA4\xA3\xA8\xEC\xA6" "a\xB9\xCF\xAD\xB5\xBC\xD6\xA9w\xB8q\n[%d,%d,%d,%d]";
constexpr char kCapSequenceOpen[] = "MAni Open Failure!";
constexpr char kTextSequenceOpen[] = "MAni File Error!\n%s";
// "Talk system(Play_avi) ,an outdated instruction"
constexpr char kCapOldVideo[] = "\xB9\xEF\xB8\xDC\xA8t\xB2\xCE(Play_avi) ,\xB9L\xB4\xC1\xAA\xBA\xAB\xFC\xA5O";

constexpr uint32_t kMapMusicMode = 1, kStoryMusicMode = 2;
constexpr uint32_t kRepeatCycle = 1;       // the music controller's queue loops
constexpr uint32_t kFadeKindNone = 1;      // a fade kind that keeps no fade time
constexpr uint16_t kCurrentMap = 0xFFF0;
constexpr uint32_t kSequenceMs = 70;
constexpr size_t kSequenceNameMax = 32;
constexpr uint32_t kSequenceSkipIntro = 0x02;  // '%': no closing letterbox
constexpr int kCueRowsTop = 430;

uint64_t Mix(uint64_t key, uint64_t v) { return (key ^ v) * 0x100000001B3ull; }

// ---- Sound and music -------------------------------------------------------------------------

TalkStep OpSfx(TalkInstr& in) {
    PlaySfx(in.Operands().u16(), int(gSfxVolume));
    return TalkStep::kYield;
}

// Queues track `track` of the image's music names on a story channel.
void QueueStoryTrack(uint16_t track, int channel) {
    char name[64];
    if (track == 0 || !FindMusicTrackName(track, name, sizeof name)) {
        if (track != 0) TraceHook("talk %d: music track %u has no name", TalkNumberForText(), unsigned(track));
        return;
    }
    char path[kPathMax + 80];
    std::snprintf(path, sizeof path, "%smusic\\%s", gInstallPath, name);
    gMusic.QueueTrack(path, track, channel, kStoryMusicMode);
}

TalkStep OpTalkMusic(TalkInstr& in) {
    ByteReader r = in.Operands();
    const uint16_t a = r.u16(), b = r.u16(), mode = r.u16();
    TalkMediaState& m = gTalkMachine.media;
    QueueStoryTrack(a, 0);
    QueueStoryTrack(b, 1);
    const uint32_t repeat = (mode & 3) ? (mode & 3) : 1;
    gMusic.PlayMusic(kStoryMusicMode, repeat, int(m.fadeTime));
    m.fadeKind = m.fadeTime = 0;
    gMusicResume[0] = (mode & 4) ? 1 : 0;
    gMusicResume[1] = a;
    gMusicResume[2] = b;
    return TalkStep::kContinue;
}

TalkStep OpMapMusicBack(TalkInstr&) {
    TalkMediaState& m = gTalkMachine.media;
    gMusic.PlayMusic(kMapMusicMode, gMapMusic.mode & 3, int(m.fadeTime));
    m.fadeKind = m.fadeTime = 0;
    std::memset(gMusicResume, 0, sizeof gMusicResume);
    return TalkStep::kContinue;
}

TalkStep OpMusicFade(TalkInstr& in) {
    ByteReader r = in.Operands();
    TalkMediaState& m = gTalkMachine.media;
    m.fadeKind = r.u16();
    m.fadeTime = r.u16();
    if (m.fadeKind == kFadeKindNone) m.fadeTime = 0;
    return TalkStep::kContinue;
}

// The operands are map, track A, track B, mode: the map's record of the
// music list takes all four, and the map shown takes them at once.
TalkStep OpMapMusic(TalkInstr& in) {
    ByteReader r = in.Operands();
    const uint16_t w[4] = {r.u16(), r.u16(), r.u16(), r.u16()};
    const uint32_t map = w[0] == kCurrentMap ? gCurrentMap : w[0];
    uint32_t at = 0;
    if (!FindMapMusicRecord(map, &at) || !gMapsImage || at + 8 > gMapsImageSize) {
        ErrorBox(kCapSceneMusic, kTextNoMapMusic, w[0], w[1], w[2], w[3]);
        return TalkStep::kContinue;
    }
    const uint16_t record[4] = {uint16_t(map), w[1], w[2], w[3]};
    for (int i = 0; i < 4; ++i) {
        gMapsImage[at + 2 * i] = uint8_t(record[i]);
        gMapsImage[at + 2 * i + 1] = uint8_t(record[i] >> 8);
    }
    if (map == gCurrentMap) gMapMusic = {w[3], w[1], w[2]};
    return TalkStep::kContinue;
}

TalkStep OpWaitMusic(TalkInstr&) {
    // A looping queue never ends: waiting for it would hold the talk for ever.
    const uint32_t mode = gMusic.requestedMode >= 1 && gMusic.requestedMode <= kMusicModes ? gMusic.requestedMode
                                                                                          : gMusic.currentMode;
    const bool loops = mode >= 1 && mode <= kMusicModes && gMusic.repeat[mode - 1] == kRepeatCycle;
    if (!loops && !gMusic.IsMusicTrackDone()) return TalkStep::kWait;
    return TalkStep::kYield;
}

// ---- Frame sequences ------------------------------------------------------------------------------

void ReopenArchiveAfterMedia() {
    TalkMediaState& m = gTalkMachine.media;
    if (!m.keepLmfClosed) ReopenLmf();
    m.keepLmfClosed = false;
}

TalkStep OpSequence(TalkInstr& in) {
    const char* text = reinterpret_cast<const char*>(in.at + 2);
    size_t size = in.length - 4;
    uint32_t options = 0;
    if (size > 0 && text[0] == '%') options |= kSequenceSkipIntro, ++text, --size;
    if (size > 0 && text[0] == '*') options |= kSequenceFade, ++text, --size;
    const std::string path = size <= kSequenceNameMax ? MediaPath("kyv3e\\Video\\", "Video\\", text, size) : std::string();
    // The sequence is read whole before anything changes, so a file that
    // is missing or broken leaves the archive open and the pace as it was.
    if (path.empty() || !OpenFrameSequence(path.c_str())) {
        ErrorBox(kCapSequenceOpen, kTextSequenceOpen, path.empty() ? std::string(text, size).c_str() : path.c_str());
        return TalkStep::kYield;
    }
    gLmfFile.Close();
    SetFrameInterval(kSequenceMs);
    gFrameSequence.mode |= options;
    if (options & kSequenceSkipIntro) gFrameSequence.step = 0;
    return TalkStep::kYield;
}

uint64_t SequenceProgress() {
    const FrameSequence& s = gFrameSequence;
    return Mix(Mix(Mix(s.frame, uint32_t(s.step)), uint32_t(s.closing)), uint32_t(s.tick));
}

TalkStep OpWaitSequence(TalkInstr& in) {
    if (gFrameSequence.running) {
        if (!TalkWaitStalled(in.pc, SequenceProgress())) return TalkStep::kWait;
        StopFrameSequence();  // held for good: it ends here
    }
    TalkWaitDone();
    SetFrameInterval(kFrameMs);
    ReopenArchiveAfterMedia();
    return TalkStep::kContinue;
}

TalkStep OpSequenceFrame(TalkInstr& in) {
    const uint16_t n = in.Operands().u16();
    if (gFrameSequence.running) gFrameSequence.frame = n;
    return TalkStep::kYield;
}

TalkStep OpWaitSequenceFrame(TalkInstr& in) {
    const uint16_t n = in.Operands().u16();
    // A sequence that never started or has ended passes every frame number.
    if (gFrameSequence.running && gFrameSequence.frame <= n && !TalkWaitStalled(in.pc, SequenceProgress()))
        return TalkStep::kWait;
    TalkWaitDone();
    return TalkStep::kContinue;
}

TalkStep OpSequenceHold(TalkInstr&) {
    gFrameSequence.mode |= kSequenceHold;
    return TalkStep::kContinue;
}

TalkStep OpSequenceRelease(TalkInstr&) {
    gFrameSequence.mode &= ~kSequenceHold;
    return TalkStep::kYield;
}

TalkStep OpKeepLmfClosed(TalkInstr&) {
    gTalkMachine.media.keepLmfClosed = true;
    return TalkStep::kContinue;
}

// ---- Video ---------------------------------------------------------------------------------------------

TalkStep OpVideo(TalkInstr& in) {
    gLmfFile.Close();
    uint32_t position = in.pc, length = 0;
    PlayVideoCommand(gTalkMachine.window, sizeof gTalkMachine.window, &position, &length);
    return TalkStep::kYield;
}

// The frame does not run while a video plays, so the talk sees the video
// only before its first frame or after its end. A cue frame the video has
// reached or passed, or a video that is over, lets the talk go on.
TalkStep OpWaitVideoFrame(TalkInstr& in) {
    ByteReader r = in.Operands();
    const int frame = r.u16(), a = r.u16(), b = r.u16();
    const int now = GetVideoFrame();
    if (now >= 0 && now < frame) return TalkStep::kWait;
    if (now >= frame && SetVideoCue(a, b) && gBackPixels) {
        for (int y = kCueRowsTop; y < gScreenHeight; ++y) std::memset(BackPixel(0, y), 0, size_t(gScreenWidth) * 2);
    }
    return TalkStep::kContinue;
}

TalkStep OpWaitVideo(TalkInstr& in) {
    const int now = GetVideoFrame();
    if (now >= 0 && !TalkWaitStalled(in.pc, uint32_t(now))) return TalkStep::kWait;
    if (now >= 0) StopVideo();
    TalkWaitDone();
    ReopenArchiveAfterMedia();
    return TalkStep::kContinue;
}

TalkStep OpOldVideo(TalkInstr&) {
    ErrorBox(kCapOldVideo, "%s", kCapOldVideo);
    return TalkStep::kFail;
}

} // namespace

void RegisterTalkAvOps(TalkHandler* t) {
    t[0x3B] = OpSfx;
    t[0x71] = OpSfx;
    t[0x72] = OpTalkMusic;
    t[0x89] = OpMapMusicBack;
    t[0x8D] = OpMusicFade;
    t[0x7B] = OpMapMusic;
    t[0xC0] = OpWaitMusic;
    t[0x60] = OpSequence;
    t[0x61] = OpWaitSequence;
    t[0x62] = OpSequenceFrame;
    t[0x63] = OpWaitSequenceFrame;
    t[0xAF] = OpSequenceHold;
    t[0xB0] = OpSequenceRelease;
    t[0xD6] = OpKeepLmfClosed;
    t[0xC2] = OpVideo;
    t[0xC3] = OpWaitVideoFrame;
    t[0xC4] = OpWaitVideo;
    t[0x55] = OpOldVideo;
}
