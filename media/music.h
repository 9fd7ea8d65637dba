// Music: a controller that keeps two queued tracks for each of three music
// modes (1 map, 2 story, 3 battle) and decides what plays next, and a stream
// player that opens, fades and closes the streams (two at most).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "media/sound_bank.h"

enum : uint32_t {
    kTrackNone = 0,
    kTrackStream = 1,   // mp3 or wave
    kTrackSequence = 2, // a MIDI sequence: never sounds, ends at once
};

constexpr uint32_t kMusicStop = 4;
constexpr int kMusicModes = 3;
constexpr int kTrackSlots = 2;
constexpr int kMaxStreams = 2;
constexpr uint32_t kStreamFading = 0x80000000u;

// Kind of a track by its file name's extension, in any letter case.
uint32_t TrackKind(const char* name);

struct MusicTrack {
    std::string name; // empty: none
    uint32_t id = 0;
    uint32_t kind = kTrackNone;
};

class cMusicPlayer {
public:
    cMusicPlayer() = default;
    // The player is a static object: its destructor leaves the platform alone,
    // since the mixer, another static, may be gone by then. The shell shuts
    // the player down before the program ends; a stream still open at exit
    // is the platform's to free.
    ~cMusicPlayer() = default;
    cMusicPlayer(const cMusicPlayer&) = delete;
    cMusicPlayer& operator=(const cMusicPlayer&) = delete;

    void InitStreamPlayer(AudioDriver driver);
    void ShutdownStreamPlayer();
    uint32_t OpenStream(const char* name, uint32_t id, int volume, int loops);
    uint32_t FadeOutStream(uint32_t id, int frames);
    int SetStreamVolume(uint32_t id, int volume);
    bool IsStreamDone(uint32_t id) const;
    uint32_t GetFirstStreamId() const;
    bool IsStreamPlayerOn() const { return enabled_; }
    void UpdateStreams();

    int BusyCount() const { return static_cast<int>(busy_.size()); }
    // The volume x 16 of the stream playing id, -1 when none plays it.
    int StreamVolume16(uint32_t id) const;
    // The platform stream playing id, -1 when none.
    int StreamOf(uint32_t id) const;
    const char* LastError() const { return lastError_.c_str(); }

private:
    struct StreamNode {
        int stream = -1;
        std::string name;
        int step = 0;
        int volume16 = 0;
        uint32_t flags = 0;
        uint32_t id = 0;
    };
    int FindBusy(uint32_t id) const;
    void CloseStream(size_t busyIndex);

    AudioDriver driver_ = 0;
    bool enabled_ = false;
    bool on_ = false;
    std::string lastError_;
    // Newest first; at most kMaxStreams play at once.
    std::vector<StreamNode> busy_;
};

class cMusicController {
public:
    cMusicController() { Reset(); }
    void Reset();

    int QueueTrack(const char* name, uint32_t id, int channel, uint32_t mode);
    int PlayMusic(uint32_t mode, uint32_t repeat, int fade);
    void UpdateMusic();
    void SetMusicVolume(int volume);
    bool IsMusicTrackDone() const;
    void ClearTracks(uint32_t mode);

    uint32_t currentMode = kMusicStop;
    uint32_t requestedMode = kMusicStop;
    int masterVolume = 127;
    MusicTrack current;
    // Indexed by mode - 1.
    int cursor[kMusicModes] = {};
    uint32_t repeat[kMusicModes] = {};
    MusicTrack slots[kMusicModes][kTrackSlots];
};

extern cMusicController gMusic;
extern cMusicPlayer gStreamPlayer;

// Back to the state before start-up (tests).
void ResetMusic();
