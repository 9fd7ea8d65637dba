// Music controller and stream player. Both are stepped once per game frame
// by the frame's audio service: the controller, the effects, then the streams.
#include "media/music.h"

#include <cctype>
#include <cstring>

#include "platform/plat_audio.h"

cMusicController gMusic;
cMusicPlayer gStreamPlayer;

namespace {
constexpr uint32_t kRepeatCycle = 1;
constexpr uint32_t kRepeatOnce = 2;

bool IsMode(uint32_t mode) { return mode >= 1 && mode <= kMusicModes; }

bool SameLetters(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
    }
    return *a == *b;
}
} // namespace

uint32_t TrackKind(const char* name) {
    if (!name) return kTrackNone;
    // Only the file name's own extension counts, not a folder that happens
    // to contain "mp3" or "wav".
    const char* base = name;
    for (const char* p = name; *p; ++p) {
        if (*p == '\\' || *p == '/') base = p + 1;
    }
    const char* dot = std::strrchr(base, '.');
    if (!dot) return kTrackNone;
    const char* ext = dot + 1;
    if (SameLetters(ext, "mp3") || SameLetters(ext, "wav")) return kTrackStream;
    if (SameLetters(ext, "xmi")) return kTrackSequence;
    return kTrackNone;
}

// ---- Stream player ---------------------------------------------------------

void cMusicPlayer::InitStreamPlayer(AudioDriver driver) {
    driver_ = driver;
    enabled_ = on_ = true;
    busy_.clear();
    busy_.reserve(kMaxStreams);
}

void cMusicPlayer::ShutdownStreamPlayer() {
    if (!enabled_) return;
    for (StreamNode& n : busy_) {
        if (n.stream >= 0) PlatStreamClose(n.stream);
    }
    busy_.clear();
    enabled_ = on_ = false;
}

int cMusicPlayer::FindBusy(uint32_t id) const {
    for (size_t i = 0; i < busy_.size(); ++i) {
        if (busy_[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

uint32_t cMusicPlayer::OpenStream(const char* name, uint32_t id, int volume, int loops) {
    if (!enabled_ || id == 0 || FindBusy(id) >= 0 || BusyCount() >= kMaxStreams || !name) return 0;
    StreamNode node;
    node.stream = driver_ ? PlatStreamOpen(name) : kPlatNoStream;
    if (node.stream == kPlatNoStream) {
        lastError_ = driver_ ? PlatAudioLastError() : "no audio driver";
        return 0;
    }
    node.name = name;
    node.id = id;
    node.volume16 = ClampVolume(volume) * 16;
    node.step = 0;
    node.flags = 0;
    PlatStreamSetUser(node.stream, static_cast<int32_t>(id));
    PlatStreamSetVolume(node.stream, ClampVolume(volume));
    PlatStreamSetLoopCount(node.stream, loops);
    PlatStreamStart(node.stream);
    busy_.insert(busy_.begin(), std::move(node));
    return id;
}

uint32_t cMusicPlayer::FadeOutStream(uint32_t id, int frames) {
    if (!enabled_ || !on_ || id == 0) return 0;
    int i = FindBusy(id);
    if (i < 0) return 0;
    StreamNode& n = busy_[i];
    n.flags |= kStreamFading;
    n.step = n.volume16 / (frames > 0 ? frames : 1);
    if (n.step < 1) n.step = 1;
    return id;
}

int cMusicPlayer::SetStreamVolume(uint32_t id, int volume) {
    if (!enabled_) return 0;
    int i = FindBusy(id);
    if (i < 0) return -1;
    busy_[i].volume16 = ClampVolume(volume) * 16;
    PlatStreamSetVolume(busy_[i].stream, ClampVolume(volume));
    return PlatStreamVolume(busy_[i].stream);
}

bool cMusicPlayer::IsStreamDone(uint32_t id) const { return FindBusy(id) < 0; }

uint32_t cMusicPlayer::GetFirstStreamId() const { return busy_.empty() ? 0 : busy_.front().id; }

int cMusicPlayer::StreamVolume16(uint32_t id) const {
    int i = FindBusy(id);
    return i < 0 ? -1 : busy_[i].volume16;
}

int cMusicPlayer::StreamOf(uint32_t id) const {
    int i = FindBusy(id);
    return i < 0 ? -1 : busy_[i].stream;
}

void cMusicPlayer::CloseStream(size_t busyIndex) {
    StreamNode node = std::move(busy_[busyIndex]);
    busy_.erase(busy_.begin() + static_cast<std::ptrdiff_t>(busyIndex));
    if (node.stream >= 0) PlatStreamClose(node.stream);
}

void cMusicPlayer::UpdateStreams() {
    for (size_t i = 0; i < busy_.size();) {
        StreamNode& n = busy_[i];
        bool close = false;
        if (n.flags & kStreamFading) {
            n.volume16 -= n.step;
            int volume = ClampVolume(n.volume16 / 16);
            if (volume != 0) {
                PlatStreamSetVolume(n.stream, volume);
            } else {
                close = true;
            }
        } else {
            int status = PlatStreamStatus(n.stream);
            // A stream that finished or failed is closed, whatever came
            // before it, so a broken file never holds the music up.
            close = !(status == kPlatAudioPlaying || status == kPlatAudioStopped || status == 16);
        }
        if (close) {
            CloseStream(i);
        } else {
            ++i;
        }
    }
}

// ---- Controller -------------------------------------------------------------

void cMusicController::Reset() {
    currentMode = requestedMode = kMusicStop;
    masterVolume = 127;
    current = MusicTrack{};
    for (int m = 0; m < kMusicModes; ++m) {
        cursor[m] = 0;
        repeat[m] = 0;
        for (MusicTrack& slot : slots[m]) slot = MusicTrack{};
    }
}

int cMusicController::QueueTrack(const char* name, uint32_t id, int channel, uint32_t mode) {
    if (id == 0 || channel < 0 || channel >= kTrackSlots || !IsMode(mode)) return 0;
    MusicTrack& slot = slots[mode - 1][channel];
    slot.kind = TrackKind(name);
    slot.name = slot.kind != kTrackNone ? name : "";
    slot.id = id;
    return 0;
}

int cMusicController::PlayMusic(uint32_t mode, uint32_t repeatFlag, int fade) {
    if (current.kind == kTrackStream) gStreamPlayer.FadeOutStream(current.id, fade);
    requestedMode = mode;
    if (IsMode(mode)) {
        cursor[mode - 1] = 0;
        repeat[mode - 1] = (repeatFlag == kRepeatCycle || repeatFlag == kRepeatOnce) ? repeatFlag : kRepeatCycle;
    } else {
        for (uint32_t m : {1u, 2u}) {
            cursor[m - 1] = 0;
            repeat[m - 1] = kRepeatCycle;
        }
    }
    return 0;
}

void cMusicController::UpdateMusic() {
    if (current.kind == kTrackStream && !gStreamPlayer.IsStreamDone(current.id)) return;
    current = MusicTrack{};
    if (IsMode(requestedMode)) {
        currentMode = requestedMode;
        requestedMode = 0;
        cursor[currentMode - 1] = 0;
    } else if (requestedMode == kMusicStop) {
        currentMode = 0;
        requestedMode = 0;
    }
    if (!IsMode(currentMode)) return;
    int& c = cursor[currentMode - 1];
    if (c >= kTrackSlots) return;
    current = slots[currentMode - 1][c];
    if (!current.name.empty() && current.kind == kTrackStream) {
        gStreamPlayer.OpenStream(current.name.c_str(), current.id, masterVolume, 1);
    }
    // A sequence is handed to nobody: it counts as ended at once.
    ++c;
    if (repeat[currentMode - 1] == kRepeatCycle && c >= kTrackSlots) c = 0;
}

void cMusicController::SetMusicVolume(int volume) {
    masterVolume = volume;
    if (gStreamPlayer.IsStreamPlayerOn()) gStreamPlayer.SetStreamVolume(gStreamPlayer.GetFirstStreamId(), volume);
}

bool cMusicController::IsMusicTrackDone() const {
    if (current.kind == kTrackStream) return gStreamPlayer.IsStreamDone(current.id);
    return true;
}

void cMusicController::ClearTracks(uint32_t mode) {
    if (!IsMode(mode)) return;
    for (MusicTrack& slot : slots[mode - 1]) slot = MusicTrack{};
}

void ResetMusic() {
    gStreamPlayer.ShutdownStreamPlayer();
    gMusic.Reset();
}
