// Sound effects: short sounds kept in the pack "all.snd" and played by id
// through a pool of at most 16 voices of the audio device.
//
// Ids are 1..3000; id n is record n - 1 of the pack. A record's kind 1 holds
// a whole sound file (RIFF wave or mp3); kind 0 holds a wave without its
// RIFF head (16 format bytes, four bytes "data", then the samples), which is
// given a head when it is loaded.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/file.h"

constexpr int kSoundCount = 3000;
constexpr int kMaxSoundVoices = 16;
// Voices the device keeps for the music and the video.
constexpr int kReservedVoices = 8;
// A kind-0 record is at least its format block and the "data" mark.
constexpr uint32_t kHeaderlessHeadSize = 20;
// Bytes of the RIFF head put in front of a kind-0 record's format block.
constexpr uint32_t kRiffHeadSize = 24;

// Stands for the started audio library; it has no state.
struct cMilesSystem {};
extern cMilesSystem gMilesSystem;

// A handle of the opened output, 0 when there is none.
using AudioDriver = uint32_t;

struct SoundIndexEntry {
    uint32_t offset;   // file offset of the data, 0 = no sound
    uint32_t sizeKind; // size in the low 26 bits, kind in bits 26-27
    uint32_t useCount; // voices now playing this sound
};

class cSoundBank {
public:
    cSoundBank() = default;
    // As the stream player's: the voices still held at exit are the
    // platform's to free, since the mixer may already be gone.
    ~cSoundBank() = default;
    cSoundBank(const cSoundBank&) = delete;
    cSoundBank& operator=(const cSoundBank&) = delete;

    bool OpenSound(const char* folder);
    void CloseSound();
    // Plays sound id (data must be null: sounds come from the pack). Returns 0.
    int PlayBankSound(const void* data, int id, int volume, int pan, int loops, uint32_t size);
    int StopSound(int id);
    bool StopAllSounds();
    int SetSoundVolume(int id, int volume);
    int SetSoundPan(int id, int pan);
    // Returns finished voices to the pool; once per game frame.
    void UpdateSounds();
    AudioDriver GetDriver() const { return driver_; }

    // The bytes of sound id as a whole sound file, empty when there is none.
    std::vector<uint8_t> LoadSound(int id);
    void ReleaseSoundData(int id);

    bool IsUsable() const { return open_ && enabled_; }
    int SampleCount() const { return sampleCount_; }
    int BusyCount() const { return static_cast<int>(busy_.size()); }
    const SoundIndexEntry* Entry(int id) const;
    const char* LastError() const { return lastError_.c_str(); }
    const char* Description() const { return description_.c_str(); }
    int OutputRate() const { return rate_; }
    int OutputBits() const { return bits_; }
    // The voice of the newest play of id, -1 when id is not playing.
    int VoiceOf(int id) const;

private:
    bool OpenSoundPack(const char* folder);
    bool OpenOutput();
    void MakeVoicePool();
    void FreeSoundIndex();
    void ReleaseNode(size_t busyIndex);

    struct SampleNode {
        int voice;
        int id;
    };

    cFile pack_;
    uint64_t packSize_ = 0;
    AudioDriver driver_ = 0;
    bool open_ = false;
    bool enabled_ = false;
    int sampleCount_ = 0;
    int rate_ = 0;
    int bits_ = 0;
    int channels_ = 0;
    std::string description_;
    std::string lastError_;
    // Newest first, as the game finds "the first busy voice playing id".
    std::vector<SampleNode> busy_;
    std::vector<SampleNode> free_;
    std::vector<SoundIndexEntry> index_;
};

extern cSoundBank gSoundBank;

void StartMiles(const char* folder);
// Plays id once, centred, at level 0..11 (the settings' effect volume).
void PlaySfx(int id, int level);
// Plays id as heard from the player's role; 512 pixels away or more is silent.
void PlaySfxAt(int id, int x, int y);
void StopSfx(int id);
void StopAllSfx();
void SetSfxPan(int id, int pan);

// A watcher of the sound effects, so tests can tell what was heard: PlaySfx
// reports (id, its level 0..11, pan 0, kSfxPlayed), SetSfxPan (id, 0, pan,
// kSfxPanned), PlaySfxAt (id, its volume 0..127, its pan, kSfxPlacedPlay).
// Called whether or not a sound pack is open. Null (the start state): none.
enum SfxEvent : int { kSfxPlayed = 0, kSfxPanned = 1, kSfxPlacedPlay = 2 };
using SfxWatcher = void (*)(int id, int volume, int pan, SfxEvent event);
extern SfxWatcher gSfxWatcher;

// Where the player's role stands, for positional sounds. The world sets it;
// without it (or when it returns false) positional sounds play nothing.
using SfxListenerFn = bool (*)(int* x, int* y);
extern SfxListenerFn gSfxListener;

// Volume limited to 0..127; pan from -63 (left) .. +64 (right) to 0..127.
int ClampVolume(int v);
int ClampPan(int p);
// Volume and pan of a positional sound at distance dx, dy from the listener,
// with the effect volume level; false when it is too far to be heard.
bool PositionalMix(int dx, int dy, int level, int* volume, int* pan);

// Back to the state before start-up (tests).
void ResetSoundBank();
